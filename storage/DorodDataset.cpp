#include "storage/DorodDataset.h"

#include "storage/DorodConvert.h"
#include "storage/DorodDatabase.h"
#include "storage/DorodDate.h"
#include "storage/DorodExp.h"
#include "storage/Win1251.h"

#include <algorithm>
#include <chrono>

namespace dorod {

namespace {
constexpr std::string_view kCodeAlphabet =
    "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

void appendBase62(std::string& out, int64_t value, int digits) {
    std::string part(size_t(digits), '0');
    for (int i = digits - 1; i >= 0; --i) {
        part[size_t(i)] = kCodeAlphabet[size_t(value % 62)];
        value /= 62;
    }
    out += part;
}

// Runs a piece of code in another dataset state and returns to the old one after.
class StateGuard {
public:
    StateGuard(TDataSetState& state, TDataSetState temporary) : m_state(state), m_old(state) {
        m_state = temporary;
    }
    ~StateGuard() { m_state = m_old; }

private:
    TDataSetState& m_state;
    TDataSetState m_old;
};
} // namespace

std::string makeUnicodCode() {
    TDorodSession& session = TDorodSession::Instance();
    const TDorodClockReading now = session.Now();
    int32_t& counter = session.UnicodCounter;
    counter = counter < 0 ? now.hour * 60 + now.minute : counter + 1;
    if (counter >= 62 * 62) counter = 0;
    int64_t a = int64_t(now.dayNumber - dayNumberFromCivil(2000, 11, 1)) * 24 + now.hour;
    if (a >= 238328) a -= 238328;
    if (a < 0) a = 0;
    const int64_t b = now.minute * 60 + now.second;
    const int64_t c = int64_t(now.millisecond / 10) * 1922 + counter;
    std::string code;
    appendBase62(code, a, 3);
    appendBase62(code, b, 2);
    appendBase62(code, c, 3);
    return code;
}

TDorodDataset::TDorodDataset() = default;

TDorodDataset::~TDorodDataset() {
    m_conditions.reset();
    m_masterLink.reset();
    if (m_database) m_database->forget(this);
}

std::string TDorodDataset::Version() {
    return std::string(kEngineVersion);
}

void TDorodDataset::SetDatabase(TDorodDatabase* database) {
    if (database == m_database) return;
    Close();
    if (m_database) m_database->forget(this);
    m_database = database;
    if (m_database) m_database->m_members.push_back(this);
}

// ----------------------------------------------------------------- field access

const TDorodField& TDorodDataset::StoreField(int fieldNo) const {
    return *m_store->Field(fieldNo);
}

TDorodRecordEntry* TDorodDataset::CurrentEntry() const {
    return m_position >= 0 && size_t(m_position) < m_view.size() ? m_view[size_t(m_position)]
                                                                 : nullptr;
}

const uint8_t* TDorodDataset::ActiveRecordOutsideFilter() const {
    switch (m_state) {
    case TDataSetState::dsEdit:
    case TDataSetState::dsInsert:
        return m_editBuffer ? m_editBuffer->data() : nullptr;
    case TDataSetState::dsFilter:
    case TDataSetState::dsInternalCalc:
    case TDataSetState::dsSetKey:
    case TDataSetState::dsCalcFields:
        return m_overrideRecord;
    case TDataSetState::dsInactive:
        return nullptr;
    default: {
        const TDorodRecordEntry* entry = CurrentEntry();
        return entry ? entry->data() : nullptr;
    }
    }
}

const uint8_t* TDorodDataset::ActiveCalcRecord() const {
    switch (m_state) {
    case TDataSetState::dsEdit:
    case TDataSetState::dsInsert:
        return m_calcBuffer ? m_calcBuffer->data() : nullptr;
    case TDataSetState::dsBrowse:
        return m_calcBuffer && CurrentEntry() ? m_calcBuffer->data() : nullptr;
    case TDataSetState::dsInactive:
        return nullptr;
    default:
        return m_overrideCalc;
    }
}

uint8_t* TDorodDataset::EditCalcRecord() {
    switch (m_state) {
    case TDataSetState::dsEdit:
    case TDataSetState::dsInsert:
        if (m_calcBuffer) return m_calcBuffer->data();
        break;
    case TDataSetState::dsCalcFields:
    case TDataSetState::dsSetKey:
    case TDataSetState::dsFilter:
    case TDataSetState::dsNewValue:
    case TDataSetState::dsInternalCalc:
        if (m_overrideCalc) return m_overrideCalc;
        break;
    default:
        break;
    }
    DatabaseError(msg::NotEditing);
}

// ----------------------------------------------------------------- calculated fields

void TDorodDataset::calculateFields(const uint8_t* rec, TDorodRecordBuffer& calc) {
    calc.clear();
    if (!rec || !OnCalcFields) return;
    RecordSwitch calculating(*this, TDataSetState::dsCalcFields, rec, calc.data());
    OnCalcFields(*this);
}

std::unique_ptr<TDorodRecordBuffer> TDorodDataset::calculatedValuesOf(const uint8_t* rec) {
    if (!CalcLayout()) return nullptr;
    auto calc = std::make_unique<TDorodRecordBuffer>(CalcLayout());
    calculateFields(rec, *calc);
    return calc;
}

void TDorodDataset::GetCalcFields() {
    if (!m_calcBuffer) return;
    const uint8_t* rec = nullptr;
    switch (m_state) {
    case TDataSetState::dsEdit:
    case TDataSetState::dsInsert:
        rec = m_editBuffer ? m_editBuffer->data() : nullptr;
        break;
    case TDataSetState::dsBrowse:
        if (const TDorodRecordEntry* entry = CurrentEntry()) rec = entry->data();
        break;
    default:
        return; // a record of a pass or a look-up, not the current one
    }
    calculateFields(rec, *m_calcBuffer);
}

uint8_t* TDorodDataset::EditRecord() {
    switch (m_state) {
    case TDataSetState::dsEdit:
    case TDataSetState::dsInsert:
        return m_editBuffer->data();
    case TDataSetState::dsSetKey:
    case TDataSetState::dsFilter:
    case TDataSetState::dsNewValue:
    case TDataSetState::dsInternalCalc:
        if (m_overrideRecord) return const_cast<uint8_t*>(m_overrideRecord);
        break;
    case TDataSetState::dsCalcFields:
        DatabaseError(msg::CannotEditCalcFields);
    default:
        break;
    }
    DatabaseError(msg::NotEditing);
}

// ----------------------------------------------------------------- open and close

void TDorodDataset::BindStoreEvents() {
    m_store->OnCallback = [this](int percent) {
        if (OnCallback) OnCallback(*this, percent);
    };
    m_store->OnDestroyRecordData = [this](void* userData) {
        if (OnDestroyRecordData) OnDestroyRecordData(*this, userData);
    };
}

void TDorodDataset::LoadImage(TDorodStream& stream, const std::string& password) {
    const std::string_view image =
        std::string_view(stream.bytes).substr(std::min(stream.position, stream.bytes.size()));
    stream.position = stream.bytes.size();
    LoadImage(image, password);
}

void TDorodDataset::LoadImage(std::string_view image, const std::string& password) {
    if (!m_store) m_store = std::make_shared<TDorodCursor>();
    BindStoreEvents();
    m_store->SetPassword(password);
    m_store->PasswordResolver = [](TDorodCursor& store, const TDorodKeyBlock& block) {
        return TDorodSession::Instance().ResolvePassword(store, block);
    };
    m_store->PartialOpen = PartialOpen;
    m_view.clear();
    m_loadSize = image.size();
    std::string message;
    if (!m_store->LoadFromImage(image, message)) {
        m_store.reset();
        m_position = -1;
        DatabaseError(msg::ErrorOpeningTable + message);
    }
    if (!message.empty()) TDorodSession::Instance().ShowMessage(message);
}

void TDorodDataset::FreeData() {
    m_store.reset();
}

void TDorodDataset::InternalOpen() {
    const auto started = std::chrono::steady_clock::now();
    m_position = -1;
    try {
        LoadData();
        StoreReplaced();
    } catch (...) {
        FreeData();
        throw;
    }
    // A failed open leaves the dataset closed and its store freed, whatever failed: the
    // fields, the master link, a filter text that does not fit or a filter handler.
    try {
        openLoadedStore();
    } catch (...) {
        abandonOpen();
        throw;
    }
    m_openMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now() - started)
                   .count();
    if (m_database) m_database->addOpen(this);
}

void TDorodDataset::abandonOpen() {
    m_state = TDataSetState::dsInactive;
    m_position = -1;
    m_bof = m_eof = true;
    InternalClose();
    DestroyFields();
}

void TDorodDataset::openLoadedStore() {
    FieldDefs.clear();
    for (int i = 0; i < m_store->FieldCount(); ++i) {
        const TDorodField& f = *m_store->Field(i);
        FieldDefs.push_back({f.name, fieldTypeOf(f.type), f.declaredSize});
    }
    CreateFields(); // a calculated field named like a data field fails
    if (CalcLayout()) {
        m_calcBuffer = std::make_unique<TDorodRecordBuffer>(CalcLayout());
        m_passCalc = std::make_unique<TDorodRecordBuffer>(CalcLayout());
    }
    for (int i = 0; i < FieldCount(); ++i) {
        if (Field(i).DataType() == TFieldType::ftFloat && Field(i).DisplayFormat.empty())
            Field(i).DisplayFormat = "0.######";
    }
    m_editBuffer = std::make_unique<TDorodRecordBuffer>(m_store->Layout());
    m_indexFields = m_store->ResolveFieldList(m_indexFieldNames);
    m_rangeStart = KeyBuffer{};
    m_rangeEnd = KeyBuffer{};
    m_ranged = false;
    m_state = TDataSetState::dsBrowse; // the view is built in an open dataset
    ApplyMasterLink();
    if (!m_ranged) BuildView(false);
    m_state = TDataSetState::dsInactive;
}

void TDorodDataset::InternalClose() {
    m_view.clear();
    ++m_viewGeneration;
    m_sortedCount = 0;
    m_editBuffer.reset();
    m_editEntry = nullptr;
    m_calcBuffer.reset();
    m_passCalc.reset();
    m_rangeStart = KeyBuffer{};
    m_rangeEnd = KeyBuffer{};
    m_ranged = false;
    m_loadSize = 0;
    m_openMs = 0;
    if (m_database) {
        m_database->removeOpen(this);
        m_database->removeChanged(this);
    }
    m_changeCount = 0;
    FreeData();
}

// ----------------------------------------------------------------- change tracking

void TDorodDataset::IncrementChanges() {
    if (++m_changeCount == 1) {
        if (m_database) m_database->addChanged(this);
        if (OnNeedToSaveChange) OnNeedToSaveChange(*this);
    }
}

void TDorodDataset::DecrementChanges() {
    if (m_changeCount == 0) return;
    if (--m_changeCount == 0) {
        if (m_database) m_database->removeChanged(this);
        if (OnNeedToSaveChange) OnNeedToSaveChange(*this);
    }
}

void TDorodDataset::LeaveChangedList() {
    if (m_database) m_database->removeChanged(this);
}

void TDorodDataset::ResetChanges() {
    m_changeCount = 0;
    if (m_database) m_database->removeChanged(this);
    if (OnNeedToSaveChange) OnNeedToSaveChange(*this);
}

// ----------------------------------------------------------------- editing

void TDorodDataset::InternalEdit() {
    if (ReadOnly) DatabaseError(msg::ReadOnlyEdit);
}

TDorodRecordEntry* TDorodDataset::CheckedCurrentEntry() const {
    TDorodRecordEntry* entry = CurrentEntry();
    if (!entry) DatabaseError(msg::NoCurrentRecord);
    return entry;
}

bool TDorodDataset::InternalBeginEdit() {
    TDorodRecordEntry* entry = CheckedCurrentEntry();
    if (!m_store->BeginEdit(entry)) return false;
    m_editEntry = entry;
    m_editBuffer->assign(entry->data());
    IncrementChanges();
    m_pendingCounted = true;
    return true;
}

void TDorodDataset::InternalInsert() {
    if (ReadOnly) DatabaseError(msg::ReadOnlyInsert);
    IncrementChanges();
    m_pendingCounted = true;
    m_editEntry = nullptr;
    m_editBuffer->clear();
    // A new record has no calculated values until a field change computes them.
    if (m_calcBuffer) m_calcBuffer->clear();
    applyDefaults();
    copyMasterValues();
}

void TDorodDataset::applyDefaults() {
    for (int i = 0; i < FieldCount(); ++i) {
        TField& field = Field(i);
        if (field.Calculated()) continue;
        const TDorodField& f = StoreField(field.FieldNo());
        const std::string& expression =
            field.DefaultExpression.empty() ? f.defaultValue : field.DefaultExpression;
        if (expression.empty()) continue;
        uint8_t* rec = m_editBuffer->data();
        const std::string upper = win1251::toUpper(expression);
        const TDorodClockReading now = TDorodSession::Instance().Now();
        const int32_t ms =
            ((now.hour * 60 + now.minute) * 60 + now.second) * 1000 + now.millisecond;
        if (upper == "TODAY" && f.type == FieldType::Date) {
            record::setInt32(rec, f, now.dayNumber);
        } else if (upper == "NOW" && f.type == FieldType::DateTime) {
            record::setDouble(rec, f, double(now.dayNumber) * double(kMsPerDay) + ms);
        } else if (upper == "NOW" && f.type == FieldType::Time) {
            record::setInt32(rec, f, ms);
        } else if (upper == "UNICOD" &&
                   (f.type == FieldType::SmallStr || f.type == FieldType::String)) {
            record::setText(rec, f, makeUnicodCode());
        } else {
            field.SetAsString(expression);
        }
    }
}

void TDorodDataset::InternalPost() {
    TDorodRecordBuffer& buffer = *m_editBuffer;
    const bool inserting = m_state == TDataSetState::dsInsert;
    const char* prefix = inserting ? msg::SavingNewRecord : msg::SavingRecord;
    if (CheckKeyViolation && !UniqueFieldNames.empty() &&
        m_store->HasDuplicate(buffer.data(), inserting ? nullptr : m_editEntry, UniqueFieldNames))
        DatabaseError(std::string(prefix) + msg::KeyViolation);

    std::string message;
    if (inserting) {
        TDorodRecordEntry* entry = nullptr;
        if (!m_store->PostRecord(buffer.data(), entry, message))
            DatabaseError(std::string(prefix) + message);
        const bool wasSorted = !m_indexFields.empty() && m_sortedCount == m_view.size();
        m_view.push_back(entry);
        m_position = int(m_view.size()) - 1;
        if (wasSorted && (m_sortOptions & vsoInsertInOrder)) {
            // Binary search for the first entry that is not before the new one.
            const auto place = std::partition_point(
                m_view.begin(), m_view.end() - 1,
                [&](const TDorodRecordEntry* e) { return compareView(e, entry) < 0; });
            std::rotate(place, m_view.end() - 1, m_view.end());
            m_position = int(place - m_view.begin());
            m_sortedCount = m_view.size();
        }
        m_bof = m_eof = false;
    } else {
        TDorodRecordEntry* entry = m_editEntry;
        const bool keyChanged = !m_indexFields.empty() &&
                                record::compareRecords(*m_store->Layout(), m_indexFields,
                                                       entry->data(), buffer.data(), false) != 0;
        if (!m_store->PostRecord(buffer.data(), entry, message))
            DatabaseError(std::string(prefix) + message);
        if (keyChanged) m_sortedCount = 0;
    }
    m_editEntry = nullptr;
    m_pendingCounted = false;
}

void TDorodDataset::InternalCancel() {
    if (m_state == TDataSetState::dsEdit && m_editEntry) m_store->RevertRecord(m_editEntry);
    m_editEntry = nullptr;
    if (m_editBuffer) m_editBuffer->clear();
    // An insert refused before it began was never counted.
    if (m_pendingCounted) DecrementChanges();
    m_pendingCounted = false;
}

void TDorodDataset::InternalDelete() {
    if (ReadOnly) DatabaseError(msg::ReadOnlyDelete);
    TDorodRecordEntry* entry = CheckedCurrentEntry();
    std::string message;
    if (!m_store->DeleteRecord(entry, message)) DatabaseError(msg::DeletingRecord + message);
    m_view.erase(m_view.begin() + m_position);
    if (size_t(m_position) < m_sortedCount) --m_sortedCount;
    IncrementChanges();
}

// ----------------------------------------------------------------- saving

void TDorodDataset::Save() {
    CheckBrowseMode();
    StoreData();
}

void TDorodDataset::CancelChanges() {
    if (m_state == TDataSetState::dsEdit || m_state == TDataSetState::dsInsert) Cancel();
    if (m_changeCount <= 0 || !m_store) return;
    m_store->RevertChanges();
    m_changeCount = 0;
    BuildView(true);
    ResetChanges();
    ChangesSettled();
}

void TDorodDataset::ApplyChanges() {
    if (m_changeCount <= 0 || !m_store) return;
    CheckBrowseMode();
    m_store->CommitChanges();
    m_changeCount = 0;
    BuildView(true);
    ResetChanges();
    ChangesSettled();
}

void TDorodDataset::ApplyChangesKeepingView() {
    if (m_changeCount <= 0 || !m_store) return;
    CheckBrowseMode();
    m_store->CommitChanges();
    m_changeCount = 0;
    if (std::all_of(m_view.begin(), m_view.end(),
                    [](const TDorodRecordEntry* e) { return e->isLive(); }))
        Resync();
    else
        BuildView(true);
    ResetChanges();
    ChangesSettled();
}

void TDorodDataset::SaveToFile(const std::string& path) {
    if (!m_store) DatabaseError(msg::ClosedDataset);
    std::string message;
    if (!m_store->SaveToFile(path, SaveOptions, (m_sortOptions & vsoCaseInsensitive) != 0,
                             m_indexFieldNames, message))
        DatabaseError(message);
}

void TDorodDataset::Refresh() {
    if (!Active()) return;
    if (HasOpenClones()) DatabaseError(msg::RefreshWithClones);
    std::vector<std::string> unique;
    if (!UniqueFieldNames.empty() && CurrentEntry()) {
        for (int fieldNo : m_store->ResolveFieldList(UniqueFieldNames)) {
            TField* field = FindField(m_store->Field(fieldNo)->name);
            unique.push_back(field ? field->AsString() : std::string());
        }
    }
    if (HasChanges()) Save();
    DisableControls();
    try {
        // A failed merge leaves the store and the view as they were.
        const bool merged = LoadDataChanges();
        m_view.clear();
        m_position = -1;
        if (!merged) {
            LoadData();
            StoreReplaced();
            m_editBuffer = std::make_unique<TDorodRecordBuffer>(m_store->Layout());
        }
        m_indexFields = m_store->ResolveFieldList(m_indexFieldNames);
        ApplyMasterLink();
        BuildView(false);
        if (!unique.empty()) {
            const int found = findEntry(UniqueFieldNames, unique, 0);
            m_position = found;
            m_bof = found <= 0;
            m_eof = found < 0;
        }
    } catch (...) {
        EnableControls();
        throw;
    }
    Resync();
    EnableControls();
}

// ----------------------------------------------------------------- properties

void TDorodDataset::SetIndexFieldNames(const std::string& names) {
    m_indexFieldNames = names;
    if (!Active()) return;
    m_indexFields = m_store->ResolveFieldList(names);
    BuildView(true);
}

void TDorodDataset::SetSortOptions(TDorodSortOptions options) {
    m_sortOptions = options;
    if (Active()) BuildView(true);
}

void TDorodDataset::SetRangeFieldNames(const std::string& names) {
    m_rangeFieldNames = names;
    m_rangeStart = KeyBuffer{};
    m_rangeEnd = KeyBuffer{};
    if (Active()) ApplyMasterLink();
}

void TDorodDataset::InternalFilterChanged() {
    BuildView(false);
    SetPositionFirst();
    NotifyScrolled();
}

void TDorodDataset::expressionError(const std::exception& error) const {
    const auto* expression = dynamic_cast<const EDorodExprError*>(&error);
    if (expression && !expression->ForDataset()) throw EDatabaseError(error.what());
    DatabaseError(error.what());
}

void TDorodDataset::InternalFilterTextSet(const std::string& text) {
    // A text that does not parse leaves the filter as it was.
    try {
        auto conditions = std::make_unique<TDorodCFieldList>(ParseFilter(text));
        m_conditions = conditions->empty() ? nullptr : std::move(conditions);
    } catch (const EDorodExprError& e) {
        expressionError(e);
    }
}

void TDorodDataset::bindConditions() {
    if (!m_conditions || !m_store) return;
    try {
        m_conditions->Bind(*m_store);
    } catch (const EDorodExprError& e) {
        expressionError(e);
    }
}

bool TDorodDataset::passesConditions(const TDorodRecordEntry* entry) const {
    if (!m_conditions) return true;
    try {
        return m_conditions->TestRecord(*m_store, entry->data(), FilterOptions & foCaseInsensitive);
    } catch (const EDorodExprError& e) {
        expressionError(e);
    }
}

} // namespace dorod
