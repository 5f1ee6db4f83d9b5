// The view of a dataset: which entries of the store it shows and in what order, ranges,
// searching and the master-detail link.
#include "storage/DorodConvert.h"
#include "storage/DorodDataset.h"
#include "storage/Win1251.h"

#include <algorithm>

namespace dorod {

namespace {
std::vector<std::string> splitTabs(const std::string& text) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (true) {
        const size_t tab = text.find('\t', start);
        parts.push_back(
            text.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) break;
        start = tab + 1;
    }
    return parts;
}

std::string joinTabs(const std::vector<std::string>& parts) {
    std::string out;
    for (size_t i = 0; i < parts.size(); ++i)
        out += (i ? "\t" : "") + parts[i];
    return out;
}
} // namespace

// ----------------------------------------------------------------- key buffers

TDorodDataset::KeyBuffer TDorodDataset::makeKeyBuffer(const std::string& fieldNames) const {
    if (!m_store || m_store->FieldCount() == 0) DatabaseError(msg::ClosedDataset);
    KeyBuffer key;
    key.storeFields = m_store->ResolveFieldList(fieldNames);
    size_t datasetFields = 0;
    std::string_view names = fieldNames;
    while (!names.empty()) {
        const size_t semicolon = names.find(';');
        std::string_view name = names.substr(0, semicolon);
        while (!name.empty() && name.front() == ' ')
            name.remove_prefix(1);
        while (!name.empty() && name.back() == ' ')
            name.remove_suffix(1);
        names =
            semicolon == std::string_view::npos ? std::string_view{} : names.substr(semicolon + 1);
        if (!name.empty() && FindField(name)) ++datasetFields;
    }
    if (datasetFields != key.storeFields.size()) DatabaseError(msg::CalcOrBlobKeyFields);
    key.inUse = key.storeFields.size();
    key.values = std::make_unique<TDorodRecordBuffer>(m_store->Layout());
    return key;
}

void TDorodDataset::fillKeyBuffer(KeyBuffer& key, const std::vector<std::string>& values) const {
    key.values->clear();
    const size_t n = std::min(values.size(), key.storeFields.size());
    for (size_t i = 0; i < n; ++i)
        textToStoredValue(*m_store->Field(key.storeFields[i]), values[i], key.values->data());
}

// ----------------------------------------------------------------- building the view

bool TDorodDataset::inRange(const TDorodRecordEntry* entry) const {
    // The leading fields in use form one key; the first difference decides.
    const TDorodRecordLayout& layout = *m_store->Layout();
    if (!m_rangeStart.used.empty() &&
        record::compareRecords(layout, m_rangeStart.used, entry->data(),
                               m_rangeStart.values->data(), false) < 0)
        return false;
    if (!m_rangeEnd.used.empty() && record::compareRecords(layout, m_rangeEnd.used, entry->data(),
                                                           m_rangeEnd.values->data(), false) > 0)
        return false;
    return true;
}

bool TDorodDataset::passesFilter(const TDorodRecordEntry* entry) {
    if (!OnFilterRecord) return true;
    bool accept = true;
    OnFilterRecord(*this, accept);
    (void)entry;
    return accept;
}

int TDorodDataset::compareView(const TDorodRecordEntry* a, const TDorodRecordEntry* b) const {
    const TDorodRecordLayout& layout = *m_store->Layout();
    const bool ignoreCase = (m_sortOptions & vsoCaseInsensitive) != 0;
    const bool descending = (m_sortOptions & vsoDescendSort) != 0;
    for (int i : m_indexFields) {
        const int d =
            record::compareField(layout.fields[size_t(i)], a->data(), b->data(), ignoreCase);
        if (d != 0) return descending ? -d : d;
    }
    return 0;
}

void TDorodDataset::RefilterView() {
    if (!Active()) return;
    m_filtered = true;
    const std::vector<TDorodRecordEntry*> shown = m_view;
    BuildView(false, &shown);
    SetPositionFirst();
    NotifyScrolled();
}

void TDorodDataset::FilterAmong(const std::vector<TDorodRecordEntry*>& candidates) {
    if (!Active()) return;
    // A view in index order is built whole.
    if (!m_indexFields.empty()) {
        SetFiltered(true);
        return;
    }
    m_filtered = true;
    m_sortedCount = 0;
    BuildView(false, &candidates);
    SetPositionFirst();
    NotifyScrolled();
}

void TDorodDataset::BuildView(bool keepPosition, const std::vector<TDorodRecordEntry*>* from) {
    if (!m_store) return;
    ++m_viewGeneration;
    // Conditions that do not fit the fields fail here, before the view changes.
    const bool useConditions = m_filtered && m_conditions;
    if (useConditions) bindConditions();
    const bool open = m_state != TDataSetState::dsInactive;
    TDorodRecordEntry* remembered = nullptr;
    if (open) {
        CheckBrowseMode();
        remembered = CurrentEntry();
        DisableControls();
        if (BeforeScroll) BeforeScroll(*this);
    }
    try {
        std::vector<TDorodRecordEntry*> view;
        view.reserve(from ? from->size() : m_store->Entries().size());
        size_t keptFromSorted = 0;
        const bool filtering = m_filtered && OnFilterRecord;
        {
            RecordSwitch filterState = filterPass();
            const std::vector<TDorodRecordEntry*>& candidates = from ? *from : m_store->Entries();
            for (size_t i = 0; i < candidates.size(); ++i) {
                TDorodRecordEntry* entry = candidates[i];
                if (!entry->isLive()) continue;
                if (m_ranged && !inRange(entry)) continue;
                // The handler sees only records that passed the conditions.
                if (useConditions && !passesConditions(entry)) continue;
                if (filtering) {
                    filterState.set(entry->data());
                    if (!passesFilter(entry)) continue;
                }
                if (i < m_sortedCount) ++keptFromSorted;
                view.push_back(entry);
            }
        }
        if (from) {
            // A subset of the view keeps its order; its sorted part stays sorted.
            m_sortedCount = keptFromSorted;
        } else if (!m_indexFields.empty()) {
            const auto before = [this](const TDorodRecordEntry* a, const TDorodRecordEntry* b) {
                return compareView(a, b) < 0;
            };
            // Tables are mostly kept in the order they are viewed in (by id): one pass
            // tells, and spares the sort.
            if (!std::is_sorted(view.begin(), view.end(), before))
                std::stable_sort(view.begin(), view.end(), before);
            m_sortedCount = view.size();
        } else {
            m_sortedCount = 0;
        }
        m_view = std::move(view);
    } catch (...) {
        if (open) EnableControls();
        throw;
    }
    m_position = -1;
    if (keepPosition && remembered) {
        const auto it = std::find(m_view.begin(), m_view.end(), remembered);
        if (it != m_view.end()) m_position = int(it - m_view.begin());
    }
    if (m_position < 0) {
        m_position = m_view.empty() ? -1 : 0;
        m_bof = true;
    } else {
        m_bof = m_position == 0;
    }
    m_eof = m_view.empty();
    if (open) {
        Resync();
        EnableControls();
        if (AfterScroll) AfterScroll(*this);
    }
}

// ----------------------------------------------------------------- ranges

void TDorodDataset::SetRange(const std::string& startValues, const std::string& endValues) {
    if (!m_store || m_store->FieldCount() == 0) DatabaseError(msg::ClosedDataset);
    CheckBrowseMode();
    m_rangeStart = makeKeyBuffer(m_rangeFieldNames);
    m_rangeEnd = makeKeyBuffer(m_rangeFieldNames);
    const std::vector<std::string> start = splitTabs(startValues);
    const std::vector<std::string> end = splitTabs(endValues);
    fillKeyBuffer(m_rangeStart, start);
    fillKeyBuffer(m_rangeEnd, end);
    for (KeyBuffer* key : {&m_rangeStart, &m_rangeEnd}) {
        const size_t given = key == &m_rangeStart ? start.size() : end.size();
        key->inUse = std::min(given, key->storeFields.size());
        key->used.assign(key->storeFields.begin(),
                         key->storeFields.begin() + std::ptrdiff_t(key->inUse));
    }
    m_ranged = true;
    BuildView(false);
    if (Active()) First();
}

void TDorodDataset::CancelRange() {
    if (!m_store || m_store->FieldCount() == 0) DatabaseError(msg::ClosedDataset);
    CheckBrowseMode();
    m_ranged = false;
    BuildView(true);
}

// ----------------------------------------------------------------- searching

void TDorodDataset::moveTo(int position) {
    if (BeforeScroll) BeforeScroll(*this);
    m_position = position;
    m_bof = m_eof = false;
    NotifyScrolled();
    if (AfterScroll) AfterScroll(*this);
}

bool TDorodDataset::GotoEntry(const TDorodRecordEntry* entry) {
    const auto it = std::find(m_view.begin(), m_view.end(), entry);
    if (it == m_view.end()) return false;
    moveTo(int(it - m_view.begin()));
    return true;
}

int TDorodDataset::findEntry(const std::string& keyFields,
                             const std::vector<std::string>& keyValues, unsigned options) {
    if (m_view.empty() || keyFields.empty() || keyValues.empty()) return -1;
    KeyBuffer key = makeKeyBuffer(keyFields);
    if (key.storeFields.empty()) return -1;
    const TDorodRecordLayout& layout = *m_store->Layout();

    if (options & (loCaseInsensitive | loPartialKey)) {
        const bool ignoreCase = options & loCaseInsensitive;
        const bool partial = options & loPartialKey;
        RecordSwitch filterState = filterPass();
        for (size_t pos = 0; pos < m_view.size(); ++pos) {
            const uint8_t* rec = m_view[pos]->data();
            bool match = true;
            for (size_t i = 0; i < key.storeFields.size() && match; ++i) {
                const std::string& value =
                    keyValues.size() == 1 ? keyValues[0]
                                          : (i < keyValues.size() ? keyValues[i] : std::string());
                const TDorodField& f = layout.fields[size_t(key.storeFields[i])];
                filterState.set(rec);
                const TField* field = FindField(f.name);
                if (value.empty() || !field || field->IsNull()) {
                    match = false;
                } else if (f.type == FieldType::SmallStr || f.isReference()) {
                    std::string text(record::getText(rec, f));
                    std::string wanted = value;
                    if (ignoreCase) {
                        win1251::upperInPlace(text);
                        win1251::upperInPlace(wanted);
                    }
                    match = partial ? text.compare(0, wanted.size(), wanted) == 0 : text == wanted;
                } else {
                    TDorodRecordBuffer probe(m_store->Layout());
                    match = textToStoredValue(f, value, probe.data()) &&
                            record::compareField(f, rec, probe.data(), false) == 0;
                }
            }
            if (match) return int(pos);
        }
        return -1;
    }

    fillKeyBuffer(key, keyValues);
    const uint8_t* wanted = key.values->data();
    const auto compareKey = [&](const TDorodRecordEntry* e) {
        return record::compareRecords(layout, key.storeFields, e->data(), wanted, false);
    };

    // The binary search serves when the key fields lead the index and the view is in
    // index order with letter case respected.
    std::string upperKey = win1251::toUpper(keyFields);
    std::string upperIndex = win1251::toUpper(m_indexFieldNames);
    const bool leadsIndex =
        !upperIndex.empty() &&
        (upperIndex == upperKey || (upperIndex.size() > upperKey.size() &&
                                    upperIndex.compare(0, upperKey.size(), upperKey) == 0 &&
                                    upperIndex[upperKey.size()] == ';'));
    size_t scanFrom = 0;
    if (leadsIndex && !(m_sortOptions & vsoCaseInsensitive) && m_sortedCount > 0) {
        const bool descending = (m_sortOptions & vsoDescendSort) != 0;
        const auto sortedEnd = m_view.begin() + std::ptrdiff_t(m_sortedCount);
        const auto it =
            std::partition_point(m_view.begin(), sortedEnd, [&](const TDorodRecordEntry* e) {
                const int d = compareKey(e);
                return descending ? d > 0 : d < 0;
            });
        if (it != sortedEnd && compareKey(*it) == 0) return int(it - m_view.begin());
        // Records appended after the last sort stand unsorted at the end.
        scanFrom = m_sortedCount;
    }
    if (scanFrom == 0) {
        const int found = findInLookupList(key.storeFields, wanted);
        if (found != -2) return found;
    }
    for (size_t pos = scanFrom; pos < m_view.size(); ++pos)
        if (compareKey(m_view[pos]) == 0) return int(pos);
    return -1;
}

namespace {
// Fields whose comparison is a strict order that equality can be searched in: numbers
// kept as integers and texts. (Floating-point values may hold NaN, which compares equal
// to everything.)
bool orderedForLookup(const TDorodField& f) {
    return isIntegerType(f.type) || f.type == FieldType::SmallStr || f.type == FieldType::String;
}
} // namespace

int TDorodDataset::findInLookupList(const std::vector<int>& fields, const uint8_t* wanted) {
    const TDorodRecordLayout& layout = *m_store->Layout();
    LookupList& list = m_lookupList;
    const bool current = list.fields == fields && list.viewGeneration == m_viewGeneration &&
                         list.storeGeneration == m_store->Generation() &&
                         list.viewSize == m_view.size();
    if (!current) {
        // The first Locate of a series scans: a single look-up costs less that way.
        list.fields = fields;
        list.viewGeneration = m_viewGeneration;
        list.storeGeneration = m_store->Generation();
        list.viewSize = m_view.size();
        list.built = false;
        list.positions.clear();
        list.integerKeys.clear();
        return -2;
    }
    if (fields.size() == 1 && isIntegerType(layout.fields[size_t(fields[0])].type))
        return findInIntegerLookupList(layout.fields[size_t(fields[0])], wanted);
    if (!list.built) {
        if (!std::all_of(fields.begin(), fields.end(),
                         [&](int i) { return orderedForLookup(layout.fields[size_t(i)]); }))
            return -2;
        list.positions.resize(m_view.size());
        for (size_t i = 0; i < m_view.size(); ++i)
            list.positions[i] = uint32_t(i);
        std::stable_sort(list.positions.begin(), list.positions.end(), [&](uint32_t a, uint32_t b) {
            return record::compareRecords(layout, fields, m_view[a]->data(), m_view[b]->data(),
                                          false) < 0;
        });
        list.built = true;
    }
    const auto it =
        std::partition_point(list.positions.begin(), list.positions.end(), [&](uint32_t pos) {
            return record::compareRecords(layout, fields, m_view[pos]->data(), wanted, false) < 0;
        });
    if (it != list.positions.end() &&
        record::compareRecords(layout, fields, m_view[*it]->data(), wanted, false) == 0)
        return int(*it);
    return -1;
}

int TDorodDataset::findInIntegerLookupList(const TDorodField& field, const uint8_t* wanted) {
    LookupList& list = m_lookupList;
    if (!list.built) {
        std::vector<std::pair<int64_t, uint32_t>> keyed(m_view.size());
        for (size_t i = 0; i < m_view.size(); ++i)
            keyed[i] = {record::getInteger(m_view[i]->data(), field), uint32_t(i)};
        std::sort(keyed.begin(), keyed.end()); // equal keys by view position
        list.positions.resize(keyed.size());
        list.integerKeys.resize(keyed.size());
        for (size_t i = 0; i < keyed.size(); ++i) {
            list.integerKeys[i] = keyed[i].first;
            list.positions[i] = keyed[i].second;
        }
        list.built = true;
    }
    const int64_t key = record::getInteger(wanted, field);
    const auto it = std::lower_bound(list.integerKeys.begin(), list.integerKeys.end(), key);
    if (it == list.integerKeys.end() || *it != key) return -1;
    return int(list.positions[size_t(it - list.integerKeys.begin())]);
}

bool TDorodDataset::Locate(const std::string& keyFields, const std::vector<std::string>& keyValues,
                           unsigned options) {
    if (!Active()) DatabaseError(msg::ClosedDatasetOperation);
    CheckBrowseMode();
    // Before-scroll runs whether or not a record is found; after-scroll only on a move.
    if (BeforeScroll) BeforeScroll(*this);
    const int found = findEntry(keyFields, keyValues, options);
    if (found < 0) return false;
    m_position = found;
    m_bof = m_eof = false;
    NotifyScrolled();
    if (AfterScroll) AfterScroll(*this);
    return true;
}

std::optional<std::vector<std::string>>
TDorodDataset::Lookup(const std::string& keyFields, const std::vector<std::string>& keyValues,
                      const std::string& resultFields) {
    if (!Active()) DatabaseError(msg::ClosedDatasetOperation);
    CheckBrowseMode();
    const int found = findEntry(keyFields, keyValues, 0);
    if (found < 0) return std::nullopt;
    // The found record's calculated fields are computed beside it; the current record
    // keeps its own.
    const uint8_t* rec = m_view[size_t(found)]->data();
    const std::unique_ptr<TDorodRecordBuffer> calc = calculatedValuesOf(rec);
    RecordSwitch lookupState(*this, TDataSetState::dsInternalCalc, rec,
                             calc ? calc->data() : nullptr);
    std::vector<std::string> values;
    std::string_view names = resultFields;
    while (!names.empty()) {
        const size_t semicolon = names.find(';');
        values.push_back(FieldByName(names.substr(0, semicolon)).AsString());
        names =
            semicolon == std::string_view::npos ? std::string_view{} : names.substr(semicolon + 1);
    }
    return values;
}

std::string TDorodDataset::DisplayTextAt(int viewIndex, const TField& field) {
    const TDorodRecordEntry* entry = ViewEntry(viewIndex);
    if (!entry) return {};
    const std::unique_ptr<TDorodRecordBuffer> calc =
        field.Calculated() ? calculatedValuesOf(entry->data()) : nullptr;
    RecordSwitch reading(*this, TDataSetState::dsInternalCalc, entry->data(),
                         calc ? calc->data() : nullptr);
    return field.DisplayText();
}

bool TDorodDataset::findWithFilter(int start, int step) {
    CheckBrowseMode();
    if (m_filtered) {
        if (start < 0 || start >= RecordCount()) return false;
        moveTo(start);
        return true;
    }
    int found = -1;
    bindConditions();
    {
        RecordSwitch filterState = filterPass();
        for (int pos = start; pos >= 0 && pos < RecordCount(); pos += step) {
            filterState.set(m_view[size_t(pos)]->data());
            if (passesConditions(m_view[size_t(pos)]) && passesFilter(m_view[size_t(pos)])) {
                found = pos;
                break;
            }
        }
    }
    if (found < 0) return false;
    moveTo(found);
    return true;
}

bool TDorodDataset::FindFirst() {
    return findWithFilter(0, 1);
}
bool TDorodDataset::FindLast() {
    return findWithFilter(RecordCount() - 1, -1);
}
bool TDorodDataset::FindNext() {
    return findWithFilter(m_position + 1, 1);
}
bool TDorodDataset::FindPrior() {
    return findWithFilter(m_position - 1, -1);
}

// ----------------------------------------------------------------- master-detail

// Follows the master's current record and keeps the detail's range on its values.
class TDorodMasterLink : public TDataLink {
public:
    explicit TDorodMasterLink(TDorodDataset& detail) : m_detail(detail) {}

    void ActiveChanged() override { m_detail.ApplyMasterLink(); }
    void DataSetChanged() override { m_detail.ApplyMasterLink(); }
    void DataSetScrolled() override { follow(); }
    void LayoutChanged() override { m_detail.ApplyMasterLink(); }
    void RecordChanged(TField* field) override {
        if (!field || !DataSet() || DataSet()->State() == TDataSetState::dsSetKey) return;
        for (TField* master : masterFields())
            if (master == field) follow();
    }

    std::vector<TField*> masterFields() const {
        std::vector<TField*> fields;
        TDataSet* master = DataSet();
        if (!master || !master->Active()) return fields;
        std::string_view names = m_detail.MasterFields();
        while (!names.empty()) {
            const size_t semicolon = names.find(';');
            const std::string_view name = names.substr(0, semicolon);
            TField* f = master->FindField(name);
            // An unknown name would shift the pairing with the range fields.
            if (!f)
                m_detail.DatabaseError(
                    formatMessage(msg::FieldNotFound, std::string(name).c_str()));
            fields.push_back(f);
            names = semicolon == std::string_view::npos ? std::string_view{}
                                                        : names.substr(semicolon + 1);
        }
        return fields;
    }

private:
    void follow() {
        if (!m_detail.Active()) return;
        m_detail.CheckBrowseMode();
        m_detail.ApplyMasterLink();
    }
    TDorodDataset& m_detail;
};

TDataSource* TDorodDataset::MasterSource() const {
    return m_masterLink ? m_masterLink->DataSource() : nullptr;
}

void TDorodDataset::SetMasterSource(TDataSource* source) {
    if (source) {
        TDataSet* master = source->DataSet();
        if (master && !dynamic_cast<TDorodDataset*>(master)) DatabaseError(msg::MasterNotDorod);
        // Walk up the chain of masters: this dataset may not be among them.
        for (TDataSet* d = master; d;) {
            if (d == this) DatabaseError(msg::CircularLink);
            auto* dorodSet = dynamic_cast<TDorodDataset*>(d);
            TDataSource* up = dorodSet ? dorodSet->MasterSource() : nullptr;
            d = up ? up->DataSet() : nullptr;
        }
    }
    if (!source) {
        m_masterLink.reset();
        if (Active() && m_ranged) CancelRange();
        return;
    }
    if (!m_masterLink) m_masterLink = std::make_unique<TDorodMasterLink>(*this);
    m_masterLink->SetDataSource(source);
}

void TDorodDataset::SetMasterFields(const std::string& names) {
    m_masterFields = names;
    ApplyMasterLink();
}

void TDorodDataset::ApplyMasterLink() {
    if (!m_masterLink || !m_masterLink->DataSource() || !m_store) return;
    if (m_state == TDataSetState::dsInactive && !m_editBuffer) return;
    auto* link = static_cast<TDorodMasterLink*>(m_masterLink.get());
    const std::vector<TField*> fields = link->masterFields();
    if (fields.empty()) {
        if (m_ranged) {
            m_ranged = false;
            BuildView(true);
        }
        return;
    }
    std::vector<std::string> values;
    for (TField* f : fields)
        values.push_back(f->AsString());
    const std::string joined = joinTabs(values);
    SetRange(joined, joined);
}

void TDorodDataset::copyMasterValues() {
    if (!m_masterLink) return;
    auto* link = static_cast<TDorodMasterLink*>(m_masterLink.get());
    const std::vector<TField*> masters = link->masterFields();
    if (masters.empty()) return;
    std::vector<int> detailFields = m_store->ResolveFieldList(m_rangeFieldNames);
    for (size_t i = 0; i < masters.size() && i < detailFields.size(); ++i) {
        TField* detail = FindField(m_store->Field(detailFields[i])->name);
        if (detail) detail->SetAsString(masters[i]->AsString());
    }
}

} // namespace dorod
