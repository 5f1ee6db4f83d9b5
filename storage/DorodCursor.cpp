#include "storage/DorodCursor.h"

#include "storage/DorodKeyBlock.h"
#include "storage/Win1251.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <utility>

namespace dorod {

namespace {
std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}
} // namespace

TDorodCursor::TDorodCursor() : m_layout(std::make_shared<TDorodRecordLayout>()) {}

TDorodCursor::~TDorodCursor() {
    releaseAll();
}

TDorodField* TDorodCursor::Field(int index) {
    return index >= 0 && index < FieldCount() ? &m_layout->fields[size_t(index)] : nullptr;
}

const TDorodField* TDorodCursor::Field(int index) const {
    return index >= 0 && index < FieldCount() ? &m_layout->fields[size_t(index)] : nullptr;
}

int TDorodCursor::FieldIndex(std::string_view name) const {
    for (int i = 0; i < FieldCount(); ++i) {
        const std::string& fieldName = m_layout->fields[size_t(i)].name;
        if (fieldName.size() == name.size() && win1251::compareText(fieldName, name, true) == 0)
            return i;
    }
    return -1;
}

TDorodField* TDorodCursor::FindField(std::string_view name) {
    return Field(FieldIndex(name));
}

std::vector<int> TDorodCursor::ResolveFieldList(std::string_view names) const {
    std::vector<int> result;
    while (!names.empty()) {
        const size_t semicolon = names.find(';');
        const std::string_view name = trimBlanks(names.substr(0, semicolon));
        names =
            semicolon == std::string_view::npos ? std::string_view{} : names.substr(semicolon + 1);
        const int index = FieldIndex(name);
        if (index >= 0 && !isBlobFamily(m_layout->fields[size_t(index)].type))
            result.push_back(index);
    }
    return result;
}

bool TDorodCursor::DefineFields(const std::vector<TDorodField>& fields, std::string& message) {
    releaseAll();
    for (const TDorodField& f : fields) {
        if (f.type == FieldType::SmallStr &&
            (f.declaredSize < 0 || f.declaredSize > kMaxSmallStrLength)) {
            message = formatMessage(msg::SmallStrTooLong, f.name.c_str(), int(f.declaredSize));
            return false;
        }
    }
    for (const TDorodField& f : fields)
        m_layout->addField(f);
    for (int i = 0; i < FieldCount(); ++i) {
        if (m_layout->fields[size_t(i)].type == FieldType::AutoInc) {
            m_autoIncField = i;
            break;
        }
    }
    return true;
}

namespace {
std::atomic<uint64_t> lastGeneration{0};
}

void TDorodCursor::changed() {
    m_generation = ++lastGeneration;
}

void TDorodCursor::edited() {
    changed();
    m_editGeneration = m_generation;
}

TDorodRecordEntry* TDorodCursor::Entry(int index) const {
    return index >= 0 && index < EntryCount() ? m_entries[size_t(index)] : nullptr;
}

int TDorodCursor::LiveRecordCount() const {
    return int(std::count_if(m_entries.begin(), m_entries.end(),
                             [](const TDorodRecordEntry* e) { return e->isLive(); }));
}

TDorodRecordEntry* TDorodCursor::newEntry() {
    void* memory = m_arena.allocate(sizeof(TDorodRecordEntry) + RecordSize());
    // Arena memory comes zeroed: the record starts with every value empty.
    auto* entry = new (memory) TDorodRecordEntry;
    return entry;
}

TDorodArena& TDorodCursor::valueArena(size_t field) {
    if (m_valueArenas.size() <= field) m_valueArenas.resize(field + 1);
    std::unique_ptr<TDorodArena>& arena = m_valueArenas[field];
    if (!arena) arena = std::make_unique<TDorodArena>();
    return *arena;
}

void* TDorodCursor::UserData(const TDorodRecordEntry* entry) const {
    if (!entry || !entry->hasUserData) return nullptr;
    const auto it = m_extras.find(entry);
    return it == m_extras.end() ? nullptr : it->second.userData;
}

void TDorodCursor::SetUserData(TDorodRecordEntry* entry, void* userData) {
    if (!entry) return;
    extra(entry).userData = userData;
    entry->hasUserData = userData != nullptr;
}

bool TDorodCursor::findEntry(const TDorodRecordEntry* entry) const {
    return entry && std::find(m_entries.begin(), m_entries.end(), entry) != m_entries.end();
}

bool TDorodCursor::checkLiveEntry(const TDorodRecordEntry* entry, std::string& message) const {
    if (!findEntry(entry)) {
        message = msg::RecordNotFound;
        return false;
    }
    if (!entry->isLive()) {
        message = msg::RecordDeleted;
        return false;
    }
    return true;
}

void TDorodCursor::dropPreEdit(TDorodRecordEntry* entry) {
    if (entry->hasPreEdit) record::clear(extra(entry).preEdit, *m_layout);
    entry->hasPreEdit = false;
}

void TDorodCursor::releaseEntryData(TDorodRecordEntry* entry) {
    record::clear(entry->data(), *m_layout);
    dropPreEdit(entry);
    entry->storedSize = 0;
    if (entry->hasUserData) {
        void* userData = std::exchange(extra(entry).userData, nullptr);
        entry->hasUserData = false;
        if (userData && OnDestroyRecordData) OnDestroyRecordData(userData);
    }
}

void TDorodCursor::releaseAll() {
    edited();
    // The arena goes as a whole: only heap values and user data need a visit.
    const bool hasReferences = !m_layout->referenceFields.empty();
    for (TDorodRecordEntry* entry : m_entries) {
        if (entry->status == TDorodRecordStatus::Discarded) continue;
        if (hasReferences || entry->hasPreEdit || entry->hasUserData) releaseEntryData(entry);
    }
    m_entries.clear();
    m_changed.clear();
    m_extras.clear();
    m_arena.clear();
    m_valueArenas.clear();
    // Buffers made for the old fields keep their layout; the store starts a new one.
    m_layout = std::make_shared<TDorodRecordLayout>();
    m_autoIncField = -1;
    m_autoIncCounter = 0;
    m_notes.clear();
}

void TDorodCursor::SetNotes(std::string_view notes) {
    m_notes = std::string(notes.substr(0, std::min(notes.size(), kMaxNotesLength)));
}

TDorodRecordEntry* TDorodCursor::AppendStoredRecord(const uint8_t* buffer) {
    changed();
    TDorodRecordEntry* entry = newEntry();
    // As a record read from an image: its texts go to the field's arena, not one heap
    // block each (a database load appends millions of them).
    std::memcpy(entry->data(), buffer, m_layout->recordSize);
    for (uint32_t i : m_layout->referenceFields) {
        const TDorodField& f = m_layout->fields[i];
        if (const TDorodValueBlock* block = record::reference(buffer, f))
            record::setReference(entry->data(), f,
                                 record::newArenaBlock(valueArena(i), block->view()));
    }
    entry->storedSize = record::storedSize(entry->data(), *m_layout);
    m_entries.push_back(entry);
    return entry;
}

bool TDorodCursor::ReplaceStoredRecord(TDorodRecordEntry* entry, const uint8_t* buffer) {
    if (!entry || entry->status != TDorodRecordStatus::Clean) return false;
    edited();
    record::copy(entry->data(), buffer, *m_layout);
    entry->storedSize = record::storedSize(entry->data(), *m_layout);
    return true;
}

bool TDorodCursor::RemoveStoredRecord(TDorodRecordEntry* entry) {
    if (!entry || entry->status != TDorodRecordStatus::Clean) return false;
    changed();
    entry->status = TDorodRecordStatus::Discarded;
    releaseEntryData(entry);
    return true;
}

bool TDorodCursor::SetEntryOrder(std::vector<TDorodRecordEntry*> entries) {
    if (entries.size() != m_entries.size()) return false;
    edited();
    m_entries = std::move(entries);
    return true;
}

bool TDorodCursor::PostRecord(const uint8_t* buffer, TDorodRecordEntry*& entry,
                              std::string& message) {
    if (entry) {
        if (!checkLiveEntry(entry, message)) return false;
        edited();
        if (entry->status == TDorodRecordStatus::Clean) {
            entry->status = TDorodRecordStatus::Modified;
            m_changed.push_back(entry);
        }
        record::copy(entry->data(), buffer, *m_layout);
    } else {
        changed();
        entry = newEntry();
        entry->status = TDorodRecordStatus::Inserted;
        m_changed.push_back(entry);
        record::copy(entry->data(), buffer, *m_layout);
        if (m_autoIncField >= 0) {
            ++m_autoIncCounter;
            record::setInt32(entry->data(), m_layout->fields[size_t(m_autoIncField)],
                             m_autoIncCounter);
        }
        m_entries.push_back(entry);
    }
    entry->storedSize = record::storedSize(entry->data(), *m_layout);
    return true;
}

bool TDorodCursor::BeginEdit(TDorodRecordEntry* entry) {
    if (!entry || !entry->isLive()) return false;
    if (!entry->hasPreEdit) {
        uint8_t*& preEdit = extra(entry).preEdit;
        if (!preEdit) {
            preEdit = static_cast<uint8_t*>(m_arena.allocate(RecordSize()));
        }
        record::copy(preEdit, entry->data(), *m_layout);
        entry->hasPreEdit = true;
    }
    return true;
}

bool TDorodCursor::DeleteRecord(TDorodRecordEntry* entry, std::string& message) {
    if (!checkLiveEntry(entry, message)) return false;
    changed();
    if (entry->status == TDorodRecordStatus::Inserted) {
        entry->status = TDorodRecordStatus::Discarded;
        releaseEntryData(entry);
    } else {
        if (entry->status == TDorodRecordStatus::Clean) m_changed.push_back(entry);
        entry->status = TDorodRecordStatus::Deleted;
    }
    return true;
}

void TDorodCursor::RevertChanges() {
    edited();
    for (TDorodRecordEntry* entry : std::exchange(m_changed, {})) {
        switch (entry->status) {
        case TDorodRecordStatus::Modified:
        case TDorodRecordStatus::Deleted:
            if (entry->hasPreEdit) record::copy(entry->data(), extra(entry).preEdit, *m_layout);
            dropPreEdit(entry);
            entry->status = TDorodRecordStatus::Clean;
            entry->storedSize = record::storedSize(entry->data(), *m_layout);
            break;
        case TDorodRecordStatus::Inserted:
            entry->status = TDorodRecordStatus::Discarded;
            releaseEntryData(entry);
            break;
        default:
            break;
        }
    }
}

void TDorodCursor::RevertRecord(TDorodRecordEntry* entry) {
    edited();
    if (!entry || entry->status == TDorodRecordStatus::Discarded) return;
    if (entry->hasPreEdit) record::copy(entry->data(), extra(entry).preEdit, *m_layout);
    dropPreEdit(entry);
    if (entry->status != TDorodRecordStatus::Inserted &&
        entry->status != TDorodRecordStatus::Clean) {
        entry->status = TDorodRecordStatus::Clean;
        // Unchanged again: off the list, so that a later change lists it once.
        const auto listed = std::find(m_changed.rbegin(), m_changed.rend(), entry);
        if (listed != m_changed.rend()) m_changed.erase(std::next(listed).base());
    }
    entry->storedSize = record::storedSize(entry->data(), *m_layout);
}

void TDorodCursor::CommitChanges() {
    changed();
    for (TDorodRecordEntry* entry : std::exchange(m_changed, {})) {
        if (entry->status == TDorodRecordStatus::Deleted) {
            entry->status = TDorodRecordStatus::Discarded;
            releaseEntryData(entry);
        } else if (entry->status != TDorodRecordStatus::Discarded) {
            entry->status = TDorodRecordStatus::Clean;
            dropPreEdit(entry);
        }
    }
}

void TDorodCursor::SortEntries(std::string_view fieldNames, bool caseInsensitive) {
    SortEntries(ResolveFieldList(fieldNames), caseInsensitive);
}

void TDorodCursor::SortEntries(const std::vector<int>& fields, bool caseInsensitive) {
    edited();
    if (fields.empty()) return;
    const TDorodRecordLayout& layout = *m_layout;
    // Deleted and discarded entries hold no order of their own; they go after the live
    // ones so that the comparison stays a strict weak order.
    std::sort(m_entries.begin(), m_entries.end(),
              [&](const TDorodRecordEntry* a, const TDorodRecordEntry* b) {
                  if (!a->isLive() || !b->isLive()) return a->isLive() && !b->isLive();
                  return record::compareRecords(layout, fields, a->data(), b->data(),
                                                caseInsensitive) < 0;
              });
}

bool TDorodCursor::HasDuplicate(const uint8_t* buffer, const TDorodRecordEntry* entry,
                                std::string_view fieldNames) const {
    const std::vector<int> fields = ResolveFieldList(fieldNames);
    if (fields.empty()) return false;
    for (const TDorodRecordEntry* other : m_entries) {
        if (other == entry || !other->isLive()) continue;
        if (record::compareRecords(*m_layout, fields, buffer, other->data(), false) == 0)
            return true;
    }
    return false;
}

std::string TDorodCursor::FieldAsText(const TDorodField& field,
                                      const TDorodRecordEntry* entry) const {
    if (!entry || !entry->isLive()) return {};
    return record::fieldAsText(field, entry->data());
}

void TDorodCursor::setAutoIncFromRecords() {
    m_autoIncCounter = 0;
    if (m_autoIncField < 0 || m_entries.empty()) return;
    SortEntries(std::vector<int>{m_autoIncField}, false);
    const TDorodRecordEntry* last = m_entries.back();
    if (last->isLive())
        m_autoIncCounter =
            std::max(0, record::getInt32(last->data(), m_layout->fields[size_t(m_autoIncField)]));
}

bool TDorodCursor::TryPassword(std::string_view candidate, const TDorodKeyBlock& block) {
    std::string keyText;
    if (!unlockKeyBlock(candidate, block, keyText)) return false;
    m_keyText = keyText;
    std::memcpy(m_keyBlock.data(), keyText.data(), std::min(keyText.size(), kKeyTextBytes));
    m_keyBlock[38] = block[38];
    m_keyBlock[39] = block[39];
    m_password = std::string(candidate);
    return true;
}

} // namespace dorod
