// TDorodTable: the table component. Its load mode says where the data comes from: an
// empty table built from FieldDefs, a file, another table's store, or a stream.
#pragma once

#include "storage/DorodDataset.h"

#include <string>
#include <vector>

namespace dorod {

enum class TDorodLoadMode { lmClear = 0, lmFile = 1, lmClone = 2, lmStream = 3 };

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

    const std::string& Password() const;
    void SetPassword(const std::string& password);

    // The file this table reads and writes: the database's folder + TableName when the
    // name has no folder part, else TableName itself.
    std::string TablePath() const;

protected:
    void LoadData() override;
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
};

// The image of an empty table with these field definitions; false when there are none.
bool buildEmptyImage(const std::vector<TFieldDef>& defs, std::string& image);

} // namespace dorod
