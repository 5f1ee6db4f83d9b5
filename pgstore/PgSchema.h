// The database side of the desk's tables: one PostgreSQL table per table file, a typed
// column per field, and the bookkeeping every row carries:
//
//   row_id       bigint identity  the row's own key (the files have none)
//   row_version  integer          raised by every update; an update or delete names the
//                                 version it read, so a row changed at another counter
//                                 since then is not overwritten
//   row_change   bigint           the change counter of the save that wrote the row last
//
// Beside them: vornelta_state holds the change counter, raised once per save (its row lock
// puts saves in one order); vornelta_saves one row per committed save; vornelta_deleted
// the rows deleted, with the change that deleted them. A counter that holds change N
// re-reads what is newer; every save ends with NOTIFY vornelta_changes, 'N'.
#pragma once

#include "pgstore/PgConnection.h"
#include "tables/defs/TableDefinitions.h"

#include <string>
#include <vector>

namespace pgstore {

inline constexpr char kChangeChannel[] = "vornelta_changes";
// The key of the transaction lock under which numbers are settled, the schema is made and
// a desk is imported.
inline constexpr long long kDeskLockKey = 0x766f726e656c7461; // "vornelta"

// How a field is kept in its column.
enum class PgColumnKind { SmallInt, Integer, BigInt, Boolean, Double, Date, Timestamp, Text };

struct PgColumn {
    std::string name; // the field's name, quoted in SQL to keep its letter case
    PgColumnKind kind = PgColumnKind::Text;
    std::string sqlType;
    int storeField = 0; // the field's index in the store
};

// One table file's PostgreSQL table.
struct PgTableMap {
    const vornelta::TTableDefinition* definition = nullptr;
    std::string tableName; // in the database
    std::vector<PgColumn> columns;
    // The announcement number: settled at the save in the announcements' table, followed
    // by the run days' rows that carry it. -1 when the table has none.
    int numberColumn = -1;
    bool settlesNumbers = false;

    // "id", "Client", … quoted and comma-separated, in field order.
    std::string columnList() const;
    // The file name the rows come from (data.d, …), for messages.
    const std::string& fileName() const { return definition->fileName; }
};

// data.d, dates.d and rielt.d.
const PgTableMap& announcementMap();
const PgTableMap& runDateMap();
const PgTableMap& realtyMap();
// The three, in the order they are imported and saved.
std::vector<const PgTableMap*> deskMaps();

// An identifier in double quotes (a name of ours, never a user's value).
std::string quoteIdent(const std::string& name);

// Creates the tables, indexes and bookkeeping that are missing; what exists is kept.
bool ensureSchema(PgConnection& connection, std::string& message);
// Whether any of the desk's tables holds a row; false with message set on failure.
bool deskHoldsRows(PgConnection& connection, bool& holds, std::string& message);

} // namespace pgstore
