#include "storage/DataSet.h"

#include "storage/DorodConvert.h"
#include "storage/DorodDate.h"
#include "storage/DorodLocale.h"
#include "storage/DorodRecord.h"
#include "storage/Win1251.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace dorod {

TFieldType fieldTypeOf(FieldType type) {
    switch (type) {
    case FieldType::SmallInt:
        return TFieldType::ftSmallint;
    case FieldType::Integer:
        return TFieldType::ftInteger;
    case FieldType::Int64:
        return TFieldType::ftLargeint;
    case FieldType::Boolean:
        return TFieldType::ftBoolean;
    case FieldType::Double:
        return TFieldType::ftFloat;
    case FieldType::Currency:
        return TFieldType::ftCurrency;
    case FieldType::Date:
        return TFieldType::ftDate;
    case FieldType::Time:
        return TFieldType::ftTime;
    case FieldType::DateTime:
        return TFieldType::ftDateTime;
    case FieldType::AutoInc:
        return TFieldType::ftAutoInc;
    case FieldType::SmallStr:
    case FieldType::String:
        return TFieldType::ftString;
    case FieldType::Blob:
        return TFieldType::ftBlob;
    case FieldType::Memo:
        return TFieldType::ftMemo;
    case FieldType::FmtMemo:
        return TFieldType::ftFmtMemo;
    case FieldType::Graphic:
        return TFieldType::ftGraphic;
    case FieldType::Unknown:
        break;
    }
    return TFieldType::ftUnknown;
}

namespace {
// The slot type that keeps a calculated value of this dataset type.
FieldType calcSlotType(TFieldType type, int size) {
    switch (type) {
    case TFieldType::ftString:
        return size <= kMaxSmallStrLength ? FieldType::SmallStr : FieldType::String;
    case TFieldType::ftSmallint:
        return FieldType::SmallInt;
    case TFieldType::ftInteger:
    case TFieldType::ftWord:
    case TFieldType::ftAutoInc:
        return FieldType::Integer; // nothing numbers calculated values
    case TFieldType::ftBoolean:
        return FieldType::Boolean;
    case TFieldType::ftFloat:
        return FieldType::Double;
    case TFieldType::ftCurrency:
        return FieldType::Currency;
    case TFieldType::ftDate:
        return FieldType::Date;
    case TFieldType::ftTime:
        return FieldType::Time;
    case TFieldType::ftDateTime:
        return FieldType::DateTime;
    case TFieldType::ftLargeint:
        return FieldType::Int64;
    default:
        return FieldType::Unknown;
    }
}
} // namespace

// ------------------------------------------------------------------------ TField

TField::TField(TDataSet& dataSet, int fieldNo, std::string name, TFieldType type, int size,
               TFieldKind kind)
    : m_dataSet(dataSet), m_fieldNo(fieldNo), m_name(std::move(name)), m_type(type), m_size(size),
      m_kind(kind) {}

const TDorodField& TField::storeField() const {
    return Calculated() ? m_dataSet.CalcField(m_fieldNo) : m_dataSet.StoreField(m_fieldNo);
}

const uint8_t* TField::readBuffer() const {
    if (!Calculated()) return m_dataSet.ActiveRecord();
    // A calculated value that was not set reads as null.
    const uint8_t* calc = m_dataSet.ActiveCalcRecord();
    return calc && calc[m_dataSet.CalcFlagOffset(m_fieldNo)] ? calc : nullptr;
}

bool TField::RightAligned() const {
    return isRightJustifiedType(storeField().type);
}

bool TField::IsNull() const {
    const uint8_t* rec = readBuffer();
    if (!rec) return true;
    const TDorodField& f = storeField();
    switch (f.type) {
    case FieldType::SmallInt:
    case FieldType::Integer:
    case FieldType::Boolean:
    case FieldType::Double:
    case FieldType::Currency:
    case FieldType::Time:
    case FieldType::AutoInc:
        return false;
    case FieldType::Date:
    case FieldType::DateTime:
    case FieldType::Int64:
        return std::all_of(rec + f.offset, rec + f.offset + f.slotSize,
                           [](uint8_t b) { return b == 0; });
    default:
        return record::isEmptyValue(rec, f);
    }
}

std::string TField::AsString() const {
    if (IsNull()) return {};
    const uint8_t* rec = readBuffer();
    const TDorodField& f = storeField();
    switch (f.type) {
    case FieldType::Boolean:
        return record::getBoolean(rec, f) ? "True" : "False";
    case FieldType::Double:
    case FieldType::Currency: {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.15g", record::getDouble(rec, f));
        std::string text = buf;
        std::replace(text.begin(), text.end(), '.', formatSettings().decimalSeparator);
        return text;
    }
    case FieldType::Date:
        return formatDate(record::getInt32(rec, f));
    case FieldType::Time:
        return formatTime(record::getInt32(rec, f));
    case FieldType::DateTime:
        return formatDateTime(record::getDouble(rec, f));
    case FieldType::String: {
        const std::string_view text = record::getText(rec, f);
        return std::string(text.substr(0, size_t(std::max(f.declaredSize, 0))));
    }
    case FieldType::Blob:
    case FieldType::Graphic:
        return std::string(record::getText(rec, f));
    default:
        return record::fieldAsText(f, rec);
    }
}

int64_t TField::AsLargeInt() const {
    if (IsNull()) return 0;
    const uint8_t* rec = readBuffer();
    const TDorodField& f = storeField();
    if (isIntegerType(f.type)) return record::getInteger(rec, f);
    switch (f.type) {
    case FieldType::Boolean:
        return record::getBoolean(rec, f) ? 1 : 0;
    case FieldType::Double:
    case FieldType::Currency:
    case FieldType::DateTime:
        return int64_t(std::llround(record::getDouble(rec, f)));
    default:
        break;
    }
    const std::string text = AsString();
    int64_t value = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    if (r.ec != std::errc() || r.ptr != text.data() + text.size())
        m_dataSet.DatabaseError(formatMessage(msg::InvalidInteger, text.c_str()));
    return value;
}

int32_t TField::AsInteger() const {
    return int32_t(AsLargeInt());
}

double TField::AsFloat() const {
    if (IsNull()) return 0;
    const uint8_t* rec = readBuffer();
    const TDorodField& f = storeField();
    switch (f.type) {
    case FieldType::Double:
    case FieldType::Currency:
        return record::getDouble(rec, f);
    case FieldType::Date:
    case FieldType::Time:
    case FieldType::DateTime:
        return AsDateTime();
    default:
        break;
    }
    if (f.isReference() || f.type == FieldType::SmallStr) {
        TDorodField probe;
        probe.type = FieldType::Double;
        probe.slotSize = 8;
        uint8_t value[8] = {};
        const std::string text = AsString();
        if (!textToStoredValue(probe, text, value))
            m_dataSet.DatabaseError(formatMessage(msg::InvalidFloat, text.c_str()));
        return record::getDouble(value, probe);
    }
    return double(AsLargeInt());
}

double TField::AsDateTime() const {
    if (IsNull()) return 0;
    const uint8_t* rec = readBuffer();
    const TDorodField& f = storeField();
    switch (f.type) {
    case FieldType::Date:
        return double(record::getInt32(rec, f) - kDay18991230);
    case FieldType::Time:
        return double(record::getInt32(rec, f)) / double(kMsPerDay);
    case FieldType::DateTime:
        return record::getDouble(rec, f) / double(kMsPerDay) - kDay18991230;
    default:
        return AsFloat();
    }
}

int32_t TField::AsDayNumber() const {
    if (IsNull()) return 0;
    const TDorodField& f = storeField();
    if (f.type == FieldType::Date) return record::getInt32(readBuffer(), f);
    return int32_t(std::floor(AsDateTime())) + kDay18991230;
}

bool TField::AsBoolean() const {
    if (IsNull()) return false;
    const TDorodField& f = storeField();
    if (f.type == FieldType::Boolean) return record::getBoolean(readBuffer(), f);
    if (f.type == FieldType::SmallStr || f.isReference()) {
        const std::string upper = win1251::toUpper(AsString());
        return upper == "TRUE" || upper == "T" || upper == "YES" || upper == "1";
    }
    return AsFloat() != 0;
}

std::string TField::DisplayText() const {
    const TDorodField& f = storeField();
    if ((f.type == FieldType::Double) && !IsNull())
        return formatFloat(record::getDouble(readBuffer(), f));
    return AsString();
}

uint8_t* TField::writeBuffer() {
    // Both raise outside the edit states.
    uint8_t* rec = Calculated() ? m_dataSet.EditCalcRecord() : m_dataSet.EditRecord();
    const TDataSetState state = m_dataSet.State();
    const bool keyOrFilter = state == TDataSetState::dsSetKey || state == TDataSetState::dsFilter;
    if (ReadOnly && !keyOrFilter)
        m_dataSet.DatabaseError(formatMessage(msg::FieldReadOnly, m_name.c_str()));
    // The store numbers new records itself.
    if (storeField().type == FieldType::AutoInc && !keyOrFilter) return nullptr;
    return rec;
}

void TField::changed(uint8_t* rec, bool hasValue) {
    if (Calculated()) rec[m_dataSet.CalcFlagOffset(m_fieldNo)] = hasValue ? 1 : 0;
    const TDataSetState state = m_dataSet.State();
    if (state == TDataSetState::dsSetKey || state == TDataSetState::dsCalcFields ||
        state == TDataSetState::dsFilter)
        return;
    if (OnChange) OnChange(*this);
    m_dataSet.DataEvent_RecordChanged(this);
}

void TField::SetAsString(std::string_view value) {
    uint8_t* rec = writeBuffer();
    if (!rec) return;
    const TDorodField& f = storeField();
    if (f.type == FieldType::SmallStr || f.isReference()) {
        if (f.type == FieldType::String || f.type == FieldType::SmallStr)
            value = value.substr(0, std::min(value.size(), size_t(std::max(f.declaredSize, 0))));
        record::setText(rec, f, value);
    } else {
        std::vector<uint8_t> scratch(f.offset + f.slotSize, 0);
        const bool blank = value.find_first_not_of(' ') == std::string_view::npos;
        if (!blank && !textToStoredValue(f, value, scratch.data()))
            m_dataSet.DatabaseError(
                formatMessage(msg::InvalidFieldValue, std::string(value).c_str(), m_name.c_str()));
        std::copy_n(scratch.data() + f.offset, f.slotSize, rec + f.offset);
    }
    changed(rec);
}

void TField::SetAsLargeInt(int64_t value) {
    uint8_t* rec = writeBuffer();
    if (!rec) return;
    const TDorodField& f = storeField();
    switch (f.type) {
    case FieldType::SmallInt:
        record::setInt16(rec, f, int16_t(value));
        break;
    case FieldType::Boolean:
        record::setBoolean(rec, f, value != 0);
        break;
    case FieldType::Integer:
    case FieldType::AutoInc:
    case FieldType::Date:
    case FieldType::Time:
        record::setInt32(rec, f, int32_t(value));
        break;
    case FieldType::Int64:
        record::setInt64(rec, f, value);
        break;
    case FieldType::Double:
    case FieldType::Currency:
    case FieldType::DateTime:
        record::setDouble(rec, f, double(value));
        break;
    default:
        record::setText(rec, f, std::to_string(value));
        break;
    }
    changed(rec);
}

void TField::SetAsInteger(int32_t value) {
    SetAsLargeInt(value);
}

void TField::SetAsFloat(double value) {
    const TDorodField& f = storeField();
    switch (f.type) {
    case FieldType::Double:
    case FieldType::Currency: {
        uint8_t* rec = writeBuffer();
        if (!rec) return;
        record::setDouble(rec, f, value);
        changed(rec);
        return;
    }
    case FieldType::Date:
    case FieldType::Time:
    case FieldType::DateTime:
        SetAsDateTime(value);
        return;
    case FieldType::SmallStr:
    case FieldType::String:
    case FieldType::Memo:
    case FieldType::FmtMemo:
        SetAsString(formatFloat(value));
        return;
    default:
        SetAsLargeInt(int64_t(std::llround(value)));
        return;
    }
}

void TField::SetAsDateTime(double value) {
    const TDorodField& f = storeField();
    uint8_t* rec = nullptr;
    switch (f.type) {
    case FieldType::Date:
        if (!(rec = writeBuffer())) return;
        record::setInt32(rec, f, int32_t(std::floor(value)) + kDay18991230);
        break;
    case FieldType::Time: {
        if (!(rec = writeBuffer())) return;
        const double fraction = value - std::floor(value);
        record::setInt32(rec, f, int32_t(std::llround(fraction * double(kMsPerDay))));
        break;
    }
    case FieldType::DateTime:
        if (!(rec = writeBuffer())) return;
        record::setDouble(rec, f, std::round((value + kDay18991230) * double(kMsPerDay)));
        break;
    default:
        SetAsFloat(value);
        return;
    }
    changed(rec);
}

void TField::SetAsDayNumber(int32_t value) {
    SetAsDateTime(double(value - kDay18991230));
}

void TField::SetAsBoolean(bool value) {
    const TDorodField& f = storeField();
    if (f.type == FieldType::SmallStr || f.isReference()) {
        SetAsString(value ? "True" : "False");
        return;
    }
    SetAsLargeInt(value ? 1 : 0);
}

void TField::Clear() {
    uint8_t* rec = writeBuffer();
    if (!rec) return;
    const TDorodField& f = storeField();
    if (f.isReference())
        record::setText(rec, f, {});
    else
        std::fill_n(rec + f.offset, f.slotSize, uint8_t(0));
    changed(rec, false);
}

// -------------------------------------------------------------- links and sources

TDataLink::~TDataLink() {
    SetDataSource(nullptr);
}

void TDataLink::SetDataSource(TDataSource* source) {
    if (m_source == source) return;
    if (m_source) std::erase(m_source->m_links, this);
    m_source = source;
    if (m_source) m_source->m_links.push_back(this);
    ActiveChanged();
}

TDataSet* TDataLink::DataSet() const {
    return m_source ? m_source->DataSet() : nullptr;
}

TDataSource::TDataSource(TDataSet* dataSet) {
    SetDataSet(dataSet);
}

TDataSource::~TDataSource() {
    SetDataSet(nullptr);
    for (TDataLink* link : std::vector<TDataLink*>(m_links))
        link->SetDataSource(nullptr);
}

void TDataSource::SetDataSet(TDataSet* dataSet) {
    if (m_dataSet == dataSet) return;
    if (m_dataSet) m_dataSet->removeSource(this);
    m_dataSet = dataSet;
    if (m_dataSet) m_dataSet->addSource(this);
    for (TDataLink* link : std::vector<TDataLink*>(m_links))
        link->ActiveChanged();
}

// ---------------------------------------------------------------------- TDataSet

TDataSet::TDataSet() = default;

TDataSet::~TDataSet() {
    for (TDataSource* source : std::vector<TDataSource*>(m_sources))
        source->m_dataSet = nullptr;
}

void TDataSet::addSource(TDataSource* source) {
    m_sources.push_back(source);
}
void TDataSet::removeSource(TDataSource* source) {
    std::erase(m_sources, source);
}

template <typename F> void TDataSet::forEachLink(F f) {
    for (TDataSource* source : std::vector<TDataSource*>(m_sources))
        for (TDataLink* link : std::vector<TDataLink*>(source->m_links))
            f(*link);
}

void TDataSet::DatabaseError(const std::string& message) const {
    throw EDatabaseError(Name.empty() ? message : Name + ": " + message);
}

void TDataSet::SetActive(bool active) {
    if (active == Active()) return;
    if (active) {
        if (BeforeOpen) BeforeOpen(*this);
        InternalOpen();
        m_state = TDataSetState::dsBrowse;
        m_recordModified = false;
        SetPositionFirst();
        GetCalcFields();
        if (AfterOpen) AfterOpen(*this);
        NotifyActiveChanged();
        if (AfterScroll) AfterScroll(*this);
    } else {
        if (BeforeClose) BeforeClose(*this);
        if (m_state == TDataSetState::dsEdit || m_state == TDataSetState::dsInsert) {
            InternalCancel();
            m_state = TDataSetState::dsBrowse;
        }
        InternalClose();
        DestroyFields();
        m_state = TDataSetState::dsInactive;
        m_position = -1;
        m_bof = m_eof = true;
        if (AfterClose) AfterClose(*this);
        NotifyActiveChanged();
    }
}

void TDataSet::CreateFields() {
    m_fields.clear();
    m_calcLayout.reset();
    for (size_t i = 0; i < FieldDefs.size(); ++i) {
        const TFieldDef& def = FieldDefs[i];
        m_fields.push_back(
            std::make_unique<TField>(*this, int(i), def.Name, def.DataType, def.Size));
    }
    if (m_calcFieldDefs.empty()) return;
    auto layout = std::make_shared<TDorodRecordLayout>();
    for (const TFieldDef& def : m_calcFieldDefs) {
        if (FindField(def.Name)) {
            m_fields.clear();
            DatabaseError(formatMessage(msg::DuplicateFieldName, def.Name.c_str()));
        }
        TDorodField f;
        f.name = def.Name;
        f.type = calcSlotType(def.DataType, def.Size);
        if (f.type == FieldType::SmallStr || f.type == FieldType::String) f.declaredSize = def.Size;
        layout->addField(std::move(f));
    }
    // The flags follow the values.
    m_calcFlagsOffset = layout->recordSize;
    layout->recordSize += uint32_t(m_calcFieldDefs.size());
    m_calcLayout = std::move(layout);
    for (size_t i = 0; i < m_calcFieldDefs.size(); ++i) {
        const TFieldDef& def = m_calcFieldDefs[i];
        m_fields.push_back(std::make_unique<TField>(*this, int(i), def.Name, def.DataType, def.Size,
                                                    TFieldKind::fkCalculated));
    }
}

void TDataSet::DestroyFields() {
    m_fields.clear();
    m_calcLayout.reset();
}

void TDataSet::AddCalculatedField(const std::string& name, TFieldType type, int size) {
    if (Active()) DatabaseError(msg::OpenDatasetOperation);
    if (name.empty()) DatabaseError(msg::FieldNameMissing);
    for (const TFieldDef& def : m_calcFieldDefs)
        if (win1251::compareText(def.Name, name, true) == 0)
            DatabaseError(formatMessage(msg::DuplicateFieldName, name.c_str()));
    if (calcSlotType(type, size) == FieldType::Unknown)
        DatabaseError(formatMessage(msg::CannotCalculate, name.c_str()));
    if (type == TFieldType::ftString && size <= 0) size = kDefaultStringLength;
    m_calcFieldDefs.push_back({name, type, size});
}

uint8_t* TDataSet::EditCalcRecord() {
    DatabaseError(msg::NotEditing);
}

void TDataSet::ResetCalcFlags(uint8_t* calc) const {
    if (m_calcLayout)
        std::fill_n(calc + m_calcFlagsOffset, m_calcLayout->fields.size(), uint8_t(0));
}

TField* TDataSet::FindField(std::string_view name) const {
    for (const auto& field : m_fields) {
        const std::string& n = field->FieldName();
        if (n.size() == name.size() && win1251::compareText(n, name, true) == 0) return field.get();
    }
    return nullptr;
}

TField& TDataSet::FieldByName(std::string_view name) const {
    TField* field = FindField(name);
    if (!field) DatabaseError(formatMessage(msg::FieldByNameMissing, std::string(name).c_str()));
    return *field;
}

void TDataSet::SetPositionFirst() {
    if (RecordCount() > 0) {
        m_position = 0;
        m_bof = true;
        m_eof = false;
    } else {
        m_position = -1;
        m_bof = m_eof = true;
    }
}

void TDataSet::First() {
    CheckBrowseMode();
    if (BeforeScroll) BeforeScroll(*this);
    SetPositionFirst();
    NotifyScrolled();
    if (AfterScroll) AfterScroll(*this);
}

void TDataSet::Last() {
    CheckBrowseMode();
    if (BeforeScroll) BeforeScroll(*this);
    m_position = RecordCount() - 1;
    m_eof = true;
    m_bof = RecordCount() == 0;
    NotifyScrolled();
    if (AfterScroll) AfterScroll(*this);
}

void TDataSet::Next() {
    CheckBrowseMode();
    if (m_position + 1 < RecordCount()) {
        if (BeforeScroll) BeforeScroll(*this);
        ++m_position;
        m_bof = m_eof = false;
        NotifyScrolled();
        if (AfterScroll) AfterScroll(*this);
    } else {
        m_eof = true;
        m_bof = RecordCount() == 0;
    }
}

void TDataSet::Prior() {
    CheckBrowseMode();
    if (m_position > 0) {
        if (BeforeScroll) BeforeScroll(*this);
        --m_position;
        m_bof = m_eof = false;
        NotifyScrolled();
        if (AfterScroll) AfterScroll(*this);
    } else {
        m_bof = true;
        m_eof = RecordCount() == 0;
    }
}

int TDataSet::RecNo() const {
    if (m_state == TDataSetState::dsInsert) return -1;
    return m_position + 1;
}

void TDataSet::SetRecNo(int recNo) {
    CheckBrowseMode();
    if (RecordCount() == 0) return;
    recNo = std::clamp(recNo, 1, RecordCount());
    if (BeforeScroll) BeforeScroll(*this);
    m_position = recNo - 1;
    m_bof = m_eof = false;
    NotifyScrolled();
    if (AfterScroll) AfterScroll(*this);
}

void TDataSet::Edit() {
    if (m_state == TDataSetState::dsEdit || m_state == TDataSetState::dsInsert) return;
    if (!Active()) DatabaseError(msg::ClosedDatasetOperation);
    if (RecordCount() == 0) {
        Insert();
        return;
    }
    if (BeforeEdit) BeforeEdit(*this);
    InternalEdit();
    if (!InternalBeginEdit()) return;
    GetCalcFields();
    m_state = TDataSetState::dsEdit;
    m_recordModified = false;
    DataEvent_RecordChanged(nullptr);
    if (AfterEdit) AfterEdit(*this);
}

void TDataSet::Insert() {
    if (!Active()) DatabaseError(msg::ClosedDatasetOperation);
    CheckBrowseMode();
    if (BeforeInsert) BeforeInsert(*this);
    m_state = TDataSetState::dsInsert;
    try {
        InternalInsert();
        m_recordModified = false;
        if (OnNewRecord) OnNewRecord(*this);
    } catch (...) {
        InternalCancel();
        m_state = TDataSetState::dsBrowse;
        throw;
    }
    DataEvent_RecordChanged(nullptr);
    if (AfterInsert) AfterInsert(*this);
}

void TDataSet::Append() {
    Insert();
}

void TDataSet::Post() {
    if (m_state != TDataSetState::dsEdit && m_state != TDataSetState::dsInsert) return;
    if (BeforePost) BeforePost(*this);
    InternalPost();
    m_state = TDataSetState::dsBrowse;
    m_recordModified = false;
    Resync();
    if (AfterPost) AfterPost(*this);
}

void TDataSet::Cancel() {
    if (m_state != TDataSetState::dsEdit && m_state != TDataSetState::dsInsert) return;
    if (BeforeCancel) BeforeCancel(*this);
    InternalCancel();
    m_state = TDataSetState::dsBrowse;
    m_recordModified = false;
    Resync();
    if (AfterCancel) AfterCancel(*this);
}

void TDataSet::Delete() {
    if (!Active()) DatabaseError(msg::ClosedDatasetOperation);
    if (m_state == TDataSetState::dsInsert) {
        Cancel();
        return;
    }
    if (RecordCount() == 0) DatabaseError(msg::EmptyDatasetOperation);
    CheckBrowseMode();
    if (BeforeDelete) BeforeDelete(*this);
    InternalDelete();
    m_state = TDataSetState::dsBrowse;
    if (m_position >= RecordCount()) m_position = RecordCount() - 1;
    m_bof = m_position <= 0;
    m_eof = RecordCount() == 0;
    Resync();
    if (AfterDelete) AfterDelete(*this);
    if (AfterScroll) AfterScroll(*this);
}

void TDataSet::CheckBrowseMode() {
    if (m_state == TDataSetState::dsEdit || m_state == TDataSetState::dsInsert) Post();
}

void TDataSet::SetFiltered(bool filtered) {
    // Every assignment on an open dataset rebuilds the view, so that a handler that reads
    // other state (another table's current record) is asked again.
    m_filtered = filtered;
    if (Active()) InternalFilterChanged();
}

void TDataSet::SetFilter(const std::string& text) {
    InternalFilterTextSet(text);
    m_filterText = text;
    if (Active() && m_filtered) InternalFilterChanged();
}

void TDataSet::DisableControls() {
    ++m_disableCount;
}

void TDataSet::EnableControls() {
    if (m_disableCount > 0 && --m_disableCount == 0 && m_changedWhileDisabled) {
        m_changedWhileDisabled = false;
        forEachLink([](TDataLink& link) { link.DataSetChanged(); });
    }
}

void TDataSet::Resync() {
    GetCalcFields();
    if (m_disableCount > 0) {
        m_changedWhileDisabled = true;
        return;
    }
    forEachLink([](TDataLink& link) { link.DataSetChanged(); });
}

void TDataSet::NotifyScrolled() {
    GetCalcFields();
    if (m_disableCount > 0) {
        m_changedWhileDisabled = true;
        return;
    }
    forEachLink([](TDataLink& link) { link.DataSetScrolled(); });
}

void TDataSet::NotifyActiveChanged() {
    forEachLink([](TDataLink& link) { link.ActiveChanged(); });
}

void TDataSet::NotifyLayoutChanged() {
    forEachLink([](TDataLink& link) { link.LayoutChanged(); });
}

void TDataSet::DataEvent_RecordChanged(TField* field) {
    if ((m_state == TDataSetState::dsEdit || m_state == TDataSetState::dsInsert) && field &&
        !field->Calculated()) {
        m_recordModified = true;
        if (AutoCalcFields) GetCalcFields();
    }
    if (m_disableCount > 0) return;
    forEachLink([field](TDataLink& link) { link.RecordChanged(field); });
}

} // namespace dorod
