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
};

} // namespace dorod
