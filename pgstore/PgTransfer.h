// Moving a desk between its folder and the database: the folder's data.d, dates.d and
// rielt.d put into the database's tables, and the tables written back as table files.
#pragma once

#include "pgstore/PgConnection.h"

#include <string>

namespace pgstore {

struct PgTransferCounts {
    long long announcements = 0, runDates = 0, realty = 0;
};

// Puts the folder's tables into the database in one transaction, making the schema when
// absent. Refused, with a message saying so, when the database holds rows already,
// unless replace: then they are replaced. A table file missing from the folder counts as
// an empty table; data.d must be there.
bool importFolder(PgConnection& connection, const std::string& folder, bool replace,
                  PgTransferCounts& counts, std::string& message);

// Writes the database's tables into the folder as data.d, dates.d and rielt.d, each
// replaced atomically, all read at one moment of the database.
bool exportFolder(PgConnection& connection, const std::string& folder, PgTransferCounts& counts,
                  std::string& message);

} // namespace pgstore
