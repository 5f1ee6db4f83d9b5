// Saving the changed records of one or more desk tables in one transaction: rows added,
// changed (only when still at the version read) and deleted, new announcements' numbers
// settled under the desk lock, the change counter raised and announced. All or nothing.
#pragma once

#include "pgstore/PgTableSource.h"

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace pgstore {

enum class PgSaveStatus {
    Saved,
    // A row was changed or deleted at another counter since it was read: nothing saved.
    Conflict,
    // The connection broke before the end of the save: nothing saved; reconnect and
    // save again.
    ConnectionLost,
    // The connection broke while the save was being committed: whether it went through
    // is known once the database is reached again (wasCommitted).
    CommitUnknown,
    // The database refused a statement: nothing saved.
    Failed,
};

struct PgSaveResult {
    PgSaveStatus status = PgSaveStatus::Failed;
    std::string message; // empty when saved
    // The change counter of this save (also of a CommitUnknown one).
    int64_t change = 0;
    // New announcements whose proposed number another counter took first: the number
    // proposed and the one saved. The store and the run days' rows already carry the
    // saved one. With CommitUnknown: the numbers they were being saved under.
    std::vector<std::pair<int32_t, int32_t>> renumbered;
    // Rows written (added, changed, deleted) over all tables.
    int rowsWritten = 0;
};

struct PgTableChanges {
    PgTableSource* source = nullptr;
    dorod::TDorodCursor* store = nullptr;
};

// For tests: beforeCommit is called after every row is written, before the commit;
// afterCommit after the commit went through, and when it returns false the save goes on as
// if the commit's answer had never arrived (the error set, the connection lost).
struct PgSaveHooks {
    std::function<void()> beforeCommit;
    std::function<bool(PgConnection& connection, std::string& error)> afterCommit;
};

// Writes the changes of the stores (entries Inserted, Modified, Deleted) in one
// transaction. On success the sources know the new rows and versions; the entries keep
// their statuses for the caller to settle (ApplyChanges). On any failure nothing is
// written and the stores are as they were: the save can be tried again.
PgSaveResult saveChanges(PgConnection& connection, const std::vector<PgTableChanges>& tables,
                         const PgSaveHooks* hooks = nullptr);

// After CommitUnknown, on a new connection: whether the save of that change went through.
bool wasCommitted(PgConnection& connection, int64_t change, bool& committed, std::string& message);

} // namespace pgstore
