// The realty transfer file: the rows of rielt.d whose date lies in an interval, copied
// in the order they were classified through the staging table rielt_out.d into
// "transfer.d" on the folder drive A: stands for. Serves the window 'Вывод в "Квартеон"'
// and the command --export-realty alike.
#pragma once

#include "tables/defs/TableDefinitions.h"

#include <QString>

class QTextStream;

#include <cstdint>

namespace vornelta {

class TDesk;

inline constexpr char kTransferDrive[] = "A:";

struct TransferResult {
    QString path; // the transfer file written
    int rows = 0; // rows in it
};

// The path the transfer file goes to: transfer.d in the folder of drive A:.
QString transferFilePath(const TDesk& desk);

// Exports the realty rows dated from..to (day numbers, both ends included; none when from
// lies after to) and writes the transfer file whole, replacing an older one. Afterwards,
// and also when it fails, the staging table is re-read from rielt_out.d (it holds none of
// the copied rows) and rielt.d is unfiltered, so the next export writes exactly its own
// rows. A missing drive folder or a failed write raises an exception with the reason; no
// half-written file is left behind.
TransferResult exportRealty(TDesk& desk, int32_t from, int32_t to);

// The command --export-realty: exports as above and prints the file's path and its row
// count, separated by a tab; gives 0. A failure is an exception, reported by the caller.
int runExportRealty(TDesk& desk, int32_t from, int32_t to, QTextStream& out, QTextStream& err);

} // namespace vornelta
