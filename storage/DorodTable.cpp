#include "storage/DorodTable.h"

#include "storage/Coding.h"
#include "storage/DorodDatabase.h"
#include "storage/DorodRecordSource.h"
#include "storage/FileIo.h"

#include <algorithm>

namespace dorod {

TDorodField storeFieldOf(const TFieldDef& def) {
    TDorodField f;
    f.name = def.Name;
    switch (def.DataType) {
    case TFieldType::ftString:
        f.type = def.Size <= kMaxSmallStrLength ? FieldType::SmallStr : FieldType::String;
        f.declaredSize = std::max(def.Size, 0);
        break;
    case TFieldType::ftSmallint:
    case TFieldType::ftWord:
        f.type = FieldType::SmallInt;
        break;
    case TFieldType::ftInteger:
        f.type = FieldType::Integer;
        break;
    case TFieldType::ftLargeint:
        f.type = FieldType::Int64;
        break;
    case TFieldType::ftBoolean:
        f.type = FieldType::Boolean;
        break;
    case TFieldType::ftFloat:
        f.type = FieldType::Double;
        break;
    case TFieldType::ftCurrency:
        f.type = FieldType::Currency;
        break;
    case TFieldType::ftDate:
        f.type = FieldType::Date;
        break;
    case TFieldType::ftTime:
        f.type = FieldType::Time;
        break;
    case TFieldType::ftDateTime:
        f.type = FieldType::DateTime;
        break;
    case TFieldType::ftAutoInc:
        f.type = FieldType::AutoInc;
        break;
    case TFieldType::ftBlob:
        f.type = FieldType::Blob;
        break;
    case TFieldType::ftMemo:
        f.type = FieldType::Memo;
        break;
    case TFieldType::ftFmtMemo:
        f.type = FieldType::FmtMemo;
        break;
    case TFieldType::ftGraphic:
        f.type = FieldType::Graphic;
        break;
    case TFieldType::ftUnknown:
        f.type = FieldType::Unknown;
        break; // written "s": a String of 100
    }
    return f;
}

std::vector<TDorodField> storeFieldsOf(const std::vector<TFieldDef>& defs) {
    std::vector<TDorodField> fields;
    fields.reserve(defs.size());
    for (const TFieldDef& def : defs)
        fields.push_back(storeFieldOf(def));
    return fields;
}

bool buildEmptyImage(const std::vector<TFieldDef>& defs, std::string& image) {
    if (defs.empty()) return false;
    // The store writes it, as it writes every image.
    TDorodCursor store;
    std::string message;
    if (!store.DefineFields(storeFieldsOf(defs), message)) return false;
    TDorodStream stream;
    store.WriteImage(stream);
    image = std::move(stream.bytes);
    return true;
}

bool createTableFile(const std::string& path, const std::vector<TFieldDef>& defs,
                     std::string& message) {
    std::string image;
    if (!buildEmptyImage(defs, image)) {
        message = msg::NoFieldDescriptions;
        return false;
    }
    return fileio::writeFileAtomically(path, image, message);
}

TDorodTable::TDorodTable() = default;

TDorodTable::~TDorodTable() {
    for (TDorodTable* clone : std::vector<TDorodTable*>(m_clones)) {
        clone->Close();
        clone->m_cloneSource = nullptr;
        clone->m_loadMode = TDorodLoadMode::lmClear;
    }
    m_clones.clear();
    if (Active() && m_cloneSource) Close();
    if (auto* source = dynamic_cast<TDorodTable*>(m_cloneSource)) source->detachClone(this);
    if (Active()) {
        try {
            Close();
        } catch (...) {
        }
    }
}

void TDorodTable::SetTableName(const std::string& name) {
    Close();
    m_tableName = name;
    m_loadMode = name.empty() ? TDorodLoadMode::lmClear : TDorodLoadMode::lmFile;
    // A table in a database with a folder keeps just its file name.
    if (Database() && !Database()->DatabasePath().empty()) {
        const size_t slash = m_tableName.find_last_of('/');
        if (slash != std::string::npos) m_tableName = m_tableName.substr(slash + 1);
    }
}

void TDorodTable::SetDatabase(TDorodDatabase* database) {
    TDorodDataset::SetDatabase(database);
    if (database && !database->DatabasePath().empty()) {
        const size_t slash = m_tableName.find_last_of('/');
        if (slash != std::string::npos) m_tableName = m_tableName.substr(slash + 1);
    }
}

void TDorodTable::SetLoadMode(TDorodLoadMode mode) {
    Close();
    m_loadMode = mode;
}

void TDorodTable::SetCloneDS(TDorodDataset* source) {
    Close();
    if (auto* old = dynamic_cast<TDorodTable*>(m_cloneSource)) old->detachClone(this);
    m_cloneSource = source;
    m_loadMode = source ? TDorodLoadMode::lmClone : TDorodLoadMode::lmClear;
}

void TDorodTable::SetRecordSource(TDorodRecordSource* source) {
    Close();
    m_recordSource = source;
    m_loadMode = source ? TDorodLoadMode::lmSource : TDorodLoadMode::lmClear;
}

void TDorodTable::detachClone(TDorodTable* clone) {
    std::erase(m_clones, clone);
}

std::string TDorodTable::TablePath() const {
    const bool hasFolder = m_tableName.find('/') != std::string::npos;
    if (!hasFolder && Database()) return Database()->DatabasePath() + m_tableName;
    return m_tableName;
}

const std::string& TDorodTable::Password() const {
    return m_store ? m_store->Password() : m_password;
}

void TDorodTable::SetPassword(const std::string& password) {
    TDorodSession& session = TDorodSession::Instance();
    const std::string previous = Password();
    if (password.empty())
        session.RemovePassword(previous);
    else
        session.AddPassword(password);
    m_password = password;
    if (m_store && Active()) {
        m_store->SetPassword(password);
        IncrementChanges();
    }
}

bool TDorodTable::LoadDataChanges() {
    // Only a record source can tell what changed; and a store with changes of its own is
    // read whole (as LoadData does) rather than merged with what arrived.
    if (m_loadMode != TDorodLoadMode::lmSource || !m_recordSource || !m_store || HasChanges())
        return false;
    bool reloadNeeded = false;
    std::string message;
    if (!m_recordSource->LoadChanges(*m_store, reloadNeeded, message))
        DatabaseError(msg::ErrorOpeningTable + message);
    return !reloadNeeded;
}

void TDorodTable::LoadData() {
    switch (m_loadMode) {
    case TDorodLoadMode::lmClear: {
        TDorodStream stream;
        if (!buildEmptyImage(FieldDefs, stream.bytes)) DatabaseError(msg::NoFieldDescriptions);
        m_store.reset();
        LoadImage(stream, m_password);
        break;
    }
    case TDorodLoadMode::lmFile: {
        const std::string path = TablePath();
        fileio::TMappedFile file;
        std::string error;
        if (!fileio::fileExists(path) || !file.open(path, error))
            DatabaseError(formatMessage(msg::ErrorOpeningFile, path.c_str()));
        m_store.reset();
        LoadImage(file.bytes(), m_password);
        break;
    }
    case TDorodLoadMode::lmClone: {
        if (!m_cloneSource || !m_cloneSource->Active() || !m_cloneSource->Store())
            DatabaseError(msg::CloneNotActive);
        if (auto* source = dynamic_cast<TDorodTable*>(m_cloneSource)) {
            if (std::find(source->m_clones.begin(), source->m_clones.end(), this) ==
                source->m_clones.end())
                source->m_clones.push_back(this);
            m_store = source->m_store;
        } else {
            DatabaseError(msg::CloneNotActive);
        }
        break;
    }
    case TDorodLoadMode::lmStream:
        if (!LoadStream) DatabaseError(msg::StreamNotAssigned);
        LoadImage(*LoadStream, m_password);
        break;
    case TDorodLoadMode::lmSource: {
        if (!m_recordSource) DatabaseError(msg::SourceNotAssigned);
        m_store = std::make_shared<TDorodCursor>();
        BindStoreEvents();
        m_store->SetPassword(m_password);
        m_loadSize = 0;
        std::string message;
        if (!m_recordSource->LoadRecords(*m_store, message)) {
            m_store.reset();
            DatabaseError(msg::ErrorOpeningTable + message);
        }
        break;
    }
    }
    // The store now holds the password that opened it (or the table's own).
    if (m_loadMode != TDorodLoadMode::lmClone) m_password = m_store->Password();
}

void TDorodTable::StoreData() {
    if (!HasChanges() || !m_store) return;
    if (m_loadMode == TDorodLoadMode::lmFile) {
        SaveToFile(TablePath());
    } else if (m_loadMode == TDorodLoadMode::lmClone) {
        if (auto* source = dynamic_cast<TDorodTable*>(m_cloneSource)) {
            source->SaveToFile(source->TablePath());
            if (source->Active()) source->BuildView(true);
        }
    } else if (m_loadMode == TDorodLoadMode::lmSource && m_recordSource) {
        std::string message;
        if (!m_recordSource->SaveChanges(*m_store, message)) DatabaseError(message);
    }
}

void TDorodTable::InternalClose() {
    if (!m_clones.empty()) DatabaseError(msg::ClonesNotClosed);
    if (auto* source = dynamic_cast<TDorodTable*>(m_cloneSource)) source->detachClone(this);
    TDorodDataset::InternalClose();
}

bool TDorodTable::HasOpenClones() const {
    return std::any_of(m_clones.begin(), m_clones.end(),
                       [](const TDorodTable* clone) { return clone->Active(); });
}

void TDorodTable::ChangesSettled() {
    // The clone's changes were the source's store's: the source has nothing left to save.
    if (m_loadMode != TDorodLoadMode::lmClone) return;
    if (auto* source = dynamic_cast<TDorodTable*>(m_cloneSource)) source->LeaveChangedList();
}

void TDorodTable::FreeData() {
    if (m_loadMode == TDorodLoadMode::lmClone) {
        m_store.reset(); // the source keeps its store
        return;
    }
    TDorodDataset::FreeData();
}

} // namespace dorod
