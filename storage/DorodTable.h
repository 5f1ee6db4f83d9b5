// TDorodTable: the table component. Its load mode says where the data comes from: an
// empty table built from FieldDefs, a file, another table's store, a stream, or a record
// source (a database server).
#pragma once

#include "storage/DorodDataset.h"

#include <string>
#include <vector>

namespace dorod {

enum class TDorodLoadMode { lmClear = 0, lmFile = 1, lmClone = 2, lmStream = 3, lmSource = 4 };

class TDorodRecordSource;

class TDorodTable : public TDorodDataset {
public:
    TDorodTable();
    ~TDorodTable() override;

    // A table in a database with a folder keeps just the file name of its table.
    void SetDatabase(TDorodDatabase* database) override;
    const std::string& TableName() const { return m_tableName; }
    void SetTableName(const std::string& name);
    TDorodLoadMode LoadMode() const { return m_loadMode; }
    void SetLoadMode(TDorodLoadMode mode);
    TDorodDataset* CloneDS() const { return m_cloneSource; }
    void SetCloneDS(TDorodDataset* source);
    bool StoreDefs = false;
    // The stream of lmStream mode; the program's, never rewound or freed here.
    TDorodStream* LoadStream = nullptr;
    // The record source of lmSource mode; the program's, not freed here. Setting one
    // closes the table and switches it to lmSource (none: back to lmClear).
    TDorodRecordSource* RecordSource() const { return m_recordSource; }
    void SetRecordSource(TDorodRecordSource* source);

    const std::string& Password() const;
    void SetPassword(const std::string& password);

    // The file this table reads and writes: the database's folder + TableName when the
    // name has no folder part, else TableName itself.
    std::string TablePath() const;

protected:
    void LoadData() override;
    bool LoadDataChanges() override;
    void StoreData() override;
    void FreeData() override;
    void InternalClose() override;
    bool HasOpenClones() const override;
    void ChangesSettled() override;

private:
    friend class TDorodDataset;
    void detachClone(TDorodTable* clone);

    std::string m_tableName;
    TDorodLoadMode m_loadMode = TDorodLoadMode::lmClear;
    TDorodDataset* m_cloneSource = nullptr;
    std::vector<TDorodTable*> m_clones;
    std::string m_password;
    TDorodRecordSource* m_recordSource = nullptr;
};

// The store's field for a field definition: a text of size up to 35 is a SmallStr, a
// longer one a String.
TDorodField storeFieldOf(const TFieldDef& def);
std::vector<TDorodField> storeFieldsOf(const std::vector<TFieldDef>& defs);
// The image of an empty table with these field definitions, written by the store;
// false when there are none.
bool buildEmptyImage(const std::vector<TFieldDef>& defs, std::string& image);
// Writes an empty table file with these fields, replacing any file of that name
// atomically. False with the engine's message when there are no fields or the file
// cannot be written.
bool createTableFile(const std::string& path, const std::vector<TFieldDef>& defs,
                     std::string& message);

} // namespace dorod
