// `--write-day DATE`: a broadcast day written without a window or a display, as "Вывести"
// writes it: the day list filled for DATE, sorted when asked (else in fill order), the
// plain text file, then the titling file of the driver. No prompts; each path written is
// printed. A lost announcement is reported on stderr and skipped. Failures: the message
// on stderr, exit 1, no half file.
//
// The files are named by DATE, the broadcast day written, with the names the output
// window gives them when it writes on that day: a day written the night before does not
// replace the files of the day on air.
#pragma once

#include "output/DayList.h"
#include "output/TitlingDrivers.h"

#include <QDate>
#include <QString>

class QTextStream;

namespace vornelta {

class TDesk;

struct TWriteDayOptions {
    QDate day;
    QString driver = kDriverAlpha; // a name of titlingDrivers()
    TDayOrder order = TDayOrder::None;
};

// Runs the command on an open desk. Gives the exit code.
int runWriteDay(TDesk& desk, const TWriteDayOptions& options, QTextStream& out, QTextStream& err);

} // namespace vornelta
