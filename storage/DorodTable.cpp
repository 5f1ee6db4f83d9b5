#include "storage/DorodTable.h"

#include "storage/Coding.h"
#include "storage/DorodDatabase.h"
#include "storage/FileIo.h"

#include <algorithm>

namespace dorod {

namespace {
// Type character (and, for String, size) of a field definition in an empty image.
std::string typeCode(const TFieldDef& def) {
    switch (def.DataType) {
    case TFieldType::ftString:
        if (def.Size <= kMaxSmallStrLength)
            return std::string(1, char(def.Size < 10 ? '0' + std::max(def.Size, 0) : 55 + def.Size));
        return "s" + std::to_string(def.Size);
    case TFieldType::ftSmallint:
    case TFieldType::ftWord: return "l";
    case TFieldType::ftInteger: return "i";
    case TFieldType::ftLargeint: return "e";
    case TFieldType::ftBoolean: return "b";
    case TFieldType::ftFloat: return "f";
    case TFieldType::ftCurrency: return "c";
    case TFieldType::ftDate: return "d";
    case TFieldType::ftTime: return "v";
    case TFieldType::ftDateTime: return "t";
    case TFieldType::ftAutoInc: return "a";
    case TFieldType::ftBlob: return "o";
    case TFieldType::ftMemo: return "m";
    case TFieldType::ftFmtMemo: return "r";
    case TFieldType::ftGraphic: return "g";
    case TFieldType::ftUnknown: break;
    }
    return "s"; // Unknown: reads back as a String of 100
}
} // namespace

bool buildEmptyImage(const std::vector<TFieldDef>& defs, std::string& image) {
    if (defs.empty()) return false;
    std::string section;
    for (const TFieldDef& def : defs) {
        section += std::string(kDefaultQualifier) + ".";
        for (char c : def.Name) section += c == ' ' ? '_' : c;
        section += " " + typeCode(def) + kItemSeparator;
    }
    section += kSectionEnd;
    image.clear();
    putFixed32(image, uint32_t(section.size() + 17));
    image += kKindPlain;
    putFixed32(image, 0);
    putFixed32(image, uint32_t(defs.size()));
    putFixed32(image, uint32_t(section.size()));
    image += section;
    return true;
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

void TDorodTable::detachClone(TDorodTable* clone) { std::erase(m_clones, clone); }

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

void TDorodTable::LoadData() {
    switch (m_loadMode) {
    case TDorodLoadMode::lmClear: {
        TDorodStream stream;
        if (!buildEmptyImage(FieldDefs, stream.bytes))
            DatabaseError(msg::NoFieldDescriptions);
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
    }
}

void TDorodTable::InternalClose() {
    if (!m_clones.empty())
        DatabaseError(msg::ClonesNotClosed);
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
