// TDorodRecordSource: where a table's records live when they are not in a table file of
// its own (a database server). A table with a source asks it to fill the store at open
// and to write the changed records at a save; the store, its views and filters are the
// same as for a file.
#pragma once

#include <string>

namespace dorod {

class TDorodCursor;

class TDorodRecordSource {
public:
    virtual ~TDorodRecordSource() = default;
    // Fills an empty store: defines its fields and appends the records as stored
    // (AppendStoredRecord). False with a message when the records cannot be read.
    virtual bool LoadRecords(TDorodCursor& store, std::string& message) = 0;
    // Writes the records added, changed or deleted since the last save, all or nothing.
    // The entries keep their statuses: the caller settles them (ApplyChanges) once it
    // knows the save went through. False with a message, nothing written.
    virtual bool SaveChanges(TDorodCursor& store, std::string& message) = 0;
    // Brings a loaded store without changes of its own up to date: the records added,
    // changed or removed at the source since it was loaded (or since the last call)
    // (AppendStoredRecord, ReplaceStoredRecord, RemoveStoredRecord). Sets reloadNeeded,
    // touching nothing, when only a whole load can (a source that cannot tell what
    // changed). False with a message when the changes cannot be read.
    virtual bool LoadChanges(TDorodCursor& store, bool& reloadNeeded, std::string& message) {
        static_cast<void>(store);
        static_cast<void>(message);
        reloadNeeded = true;
        return true;
    }
};

} // namespace dorod
