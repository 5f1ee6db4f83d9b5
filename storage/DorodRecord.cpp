#include "storage/DorodRecord.h"

#include "storage/Coding.h"
#include "storage/DorodLocale.h"
#include "storage/Win1251.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace dorod {

uint16_t slotSizeOf(FieldType type, int32_t declaredSize) {
    switch (type) {
    case FieldType::SmallInt:
    case FieldType::Boolean:
        return 2;
    case FieldType::Integer:
    case FieldType::Date:
    case FieldType::Time:
    case FieldType::AutoInc:
        return 4;
    case FieldType::Int64:
    case FieldType::Double:
    case FieldType::Currency:
    case FieldType::DateTime:
        return 8;
    case FieldType::SmallStr:
        return uint16_t(std::clamp(declaredSize, 0, 0xFFFE) + 1);
    case FieldType::String:
    case FieldType::Blob:
    case FieldType::Memo:
    case FieldType::FmtMemo:
    case FieldType::Graphic:
        return sizeof(TDorodValueBlock*);
    case FieldType::Unknown:
        break;
    }
    return 0;
}

void TDorodRecordLayout::addField(TDorodField field) {
    field.slotSize = slotSizeOf(field.type, field.declaredSize);
    field.offset = recordSize;
    field.rightJustified = isRightJustifiedType(field.type);
    recordSize += field.slotSize;
    if (field.isReference()) referenceFields.push_back(uint32_t(fields.size()));
    fields.push_back(std::move(field));
}

void TDorodRecordLayout::clear() {
    fields.clear();
    referenceFields.clear();
    recordSize = 0;
}

namespace record {

namespace {
TDorodValueBlock* initBlock(void* memory, std::string_view bytes, bool onHeap) {
    auto* block = new (memory) TDorodValueBlock;
    block->length = uint32_t(bytes.size());
    block->onHeap = onHeap;
    if (!bytes.empty()) std::memcpy(block->bytes(), bytes.data(), bytes.size());
    block->bytes()[bytes.size()] = '\0';
    return block;
}

void freeBlock(TDorodValueBlock* block) {
    if (block && block->onHeap) ::operator delete(block);
}

const uint8_t* slot(const uint8_t* rec, const TDorodField& f) {
    return rec + f.offset;
}
uint8_t* slot(uint8_t* rec, const TDorodField& f) {
    return rec + f.offset;
}

size_t smallStrLength(const uint8_t* rec, const TDorodField& f) {
    const auto* s = slot(rec, f);
    const void* zero = std::memchr(s, 0, f.slotSize);
    return zero ? size_t(static_cast<const uint8_t*>(zero) - s) : f.slotSize;
}

template <typename T> int threeWay(T a, T b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}
} // namespace

TDorodValueBlock* newHeapBlock(std::string_view bytes) {
    return initBlock(::operator new(sizeof(TDorodValueBlock) + bytes.size() + 1), bytes, true);
}

TDorodValueBlock* newArenaBlock(TDorodArena& arena, std::string_view bytes) {
    return initBlock(arena.allocate(sizeof(TDorodValueBlock) + bytes.size() + 1), bytes, false);
}

void setReference(uint8_t* rec, const TDorodField& f, TDorodValueBlock* block) {
    std::memcpy(slot(rec, f), &block, sizeof block);
}

void releaseValues(uint8_t* rec, const TDorodRecordLayout& layout) {
    for (uint32_t i : layout.referenceFields) {
        const TDorodField& f = layout.fields[i];
        freeBlock(reference(rec, f));
        setReference(rec, f, nullptr);
    }
}

void clear(uint8_t* rec, const TDorodRecordLayout& layout) {
    releaseValues(rec, layout);
    std::memset(rec, 0, layout.recordSize);
}

void copy(uint8_t* dst, const uint8_t* src, const TDorodRecordLayout& layout) {
    if (dst == src) return;
    releaseValues(dst, layout);
    std::memcpy(dst, src, layout.recordSize);
    for (uint32_t i : layout.referenceFields) {
        const TDorodField& f = layout.fields[i];
        if (const TDorodValueBlock* block = reference(src, f))
            setReference(dst, f, newHeapBlock(block->view()));
    }
}

bool isEmptyValue(const uint8_t* rec, const TDorodField& f) {
    switch (f.type) {
    case FieldType::SmallInt:
    case FieldType::Boolean:
        return getInt16(rec, f) == 0;
    case FieldType::Integer:
    case FieldType::Date:
    case FieldType::Time:
    case FieldType::AutoInc:
        return getInt32(rec, f) == 0;
    case FieldType::Int64:
        return getInt64(rec, f) == 0;
    case FieldType::Double:
    case FieldType::Currency:
    case FieldType::DateTime:
        return getDouble(rec, f) == 0.0;
    case FieldType::SmallStr:
        return smallStrLength(rec, f) == 0;
    case FieldType::String:
    case FieldType::Blob:
    case FieldType::Memo:
    case FieldType::FmtMemo:
    case FieldType::Graphic: {
        const TDorodValueBlock* block = reference(rec, f);
        return !block || block->length == 0;
    }
    case FieldType::Unknown:
        break;
    }
    return true;
}

uint32_t storedSize(const uint8_t* rec, const TDorodRecordLayout& layout) {
    auto size = uint32_t(layout.fields.size());
    for (const TDorodField& f : layout.fields) {
        if (isEmptyValue(rec, f)) continue;
        if (f.type == FieldType::SmallStr)
            size += uint32_t(smallStrLength(rec, f));
        else if (f.isReference())
            size += 4 + reference(rec, f)->length;
        else
            size += f.slotSize;
    }
    return size;
}

void setInt16(uint8_t* rec, const TDorodField& f, int16_t v) {
    const auto u = uint16_t(v);
    slot(rec, f)[0] = uint8_t(u & 0xFF);
    slot(rec, f)[1] = uint8_t(u >> 8);
}
void setInt32(uint8_t* rec, const TDorodField& f, int32_t v) {
    encodeFixed32(reinterpret_cast<char*>(slot(rec, f)), uint32_t(v));
}
void setInt64(uint8_t* rec, const TDorodField& f, int64_t v) {
    encodeFixed64(reinterpret_cast<char*>(slot(rec, f)), uint64_t(v));
}
void setDouble(uint8_t* rec, const TDorodField& f, double v) {
    setInt64(rec, f, int64_t(doubleBits(v)));
}
void setBoolean(uint8_t* rec, const TDorodField& f, bool v) {
    setInt16(rec, f, v ? 1 : 0);
}

std::string_view smallStrText(const uint8_t* rec, const TDorodField& f) {
    return {reinterpret_cast<const char*>(slot(rec, f)), smallStrLength(rec, f)};
}

void setText(uint8_t* rec, const TDorodField& f, std::string_view text) {
    if (f.type == FieldType::SmallStr) {
        text = text.substr(0, size_t(std::max(f.declaredSize, 0)));
        std::memset(slot(rec, f), 0, f.slotSize);
        std::memcpy(slot(rec, f), text.data(), std::min(text.size(), size_t(f.slotSize - 1)));
        return;
    }
    if (!f.isReference()) return;
    const size_t limit = f.type == FieldType::String ? kMaxStringBytes : kMaxBlobBytes;
    text = text.substr(0, std::min(text.size(), limit));
    freeBlock(reference(rec, f));
    setReference(rec, f, text.empty() ? nullptr : newHeapBlock(text));
}

int compareField(const TDorodField& f, const uint8_t* a, const uint8_t* b, bool ignoreCase) {
    switch (f.type) {
    case FieldType::SmallInt:
        return threeWay(getInt16(a, f), getInt16(b, f));
    case FieldType::Integer:
    case FieldType::Date:
    case FieldType::Time:
    case FieldType::AutoInc:
        return threeWay(getInt32(a, f), getInt32(b, f));
    case FieldType::Int64:
        return threeWay(getInt64(a, f), getInt64(b, f));
    case FieldType::Double:
    case FieldType::Currency:
    case FieldType::DateTime:
        return threeWay(getDouble(a, f), getDouble(b, f));
    case FieldType::Boolean:
        // true sorts before false
        return threeWay(!getBoolean(a, f), !getBoolean(b, f));
    case FieldType::SmallStr: {
        const std::string_view ta = getText(a, f);
        const std::string_view tb = getText(b, f);
        if (f.rightJustified && ta.size() != tb.size()) return ta.size() < tb.size() ? -1 : 1;
        return win1251::compareText(ta, tb, ignoreCase);
    }
    case FieldType::String: {
        const TDorodValueBlock* va = reference(a, f);
        const TDorodValueBlock* vb = reference(b, f);
        if (!va || !vb) return threeWay(va != nullptr, vb != nullptr);
        return win1251::compareText(va->view(), vb->view(), ignoreCase);
    }
    case FieldType::Memo:
    case FieldType::FmtMemo: {
        const TDorodValueBlock* va = reference(a, f);
        const TDorodValueBlock* vb = reference(b, f);
        if (!va || !vb) return threeWay(va != nullptr, vb != nullptr);
        if (va->length == 0 || vb->length == 0) return threeWay(va->length, vb->length);
        return win1251::compareText(va->view(), vb->view(), ignoreCase);
    }
    case FieldType::Blob:
    case FieldType::Graphic:
    case FieldType::Unknown:
        break;
    }
    return 0;
}

int compareRecords(const TDorodRecordLayout& layout, const std::vector<int>& fields,
                   const uint8_t* a, const uint8_t* b, bool ignoreCase) {
    for (int i : fields) {
        const int d = compareField(layout.fields[size_t(i)], a, b, ignoreCase);
        if (d != 0) return d;
    }
    return 0;
}

std::string fieldAsText(const TDorodField& f, const uint8_t* rec) {
    switch (f.type) {
    case FieldType::SmallInt:
        return std::to_string(getInt16(rec, f));
    case FieldType::Integer:
    case FieldType::AutoInc:
        return std::to_string(getInt32(rec, f));
    case FieldType::Int64:
        return std::to_string(getInt64(rec, f));
    case FieldType::Boolean:
        return getBoolean(rec, f) ? "Yes" : "No";
    case FieldType::Double:
    case FieldType::Currency:
        return formatFloat(getDouble(rec, f));
    case FieldType::Date: {
        const int32_t day = getInt32(rec, f);
        return day > 0 ? formatDate(day) : std::string();
    }
    case FieldType::Time: {
        const int32_t ms = getInt32(rec, f);
        return ms > 0 ? formatTime(ms) : std::string();
    }
    case FieldType::DateTime: {
        const double v = getDouble(rec, f);
        return v > 0 ? formatDateTime(v) : std::string();
    }
    case FieldType::SmallStr:
    case FieldType::String:
    case FieldType::Memo:
    case FieldType::FmtMemo:
        return std::string(getText(rec, f));
    case FieldType::Blob:
    case FieldType::Graphic:
        return "Not Found";
    case FieldType::Unknown:
        break;
    }
    return {};
}

} // namespace record

TDorodRecordBuffer::TDorodRecordBuffer(std::shared_ptr<const TDorodRecordLayout> layout)
    : m_layout(std::move(layout)), m_bytes(m_layout->recordSize, 0) {}

TDorodRecordBuffer::TDorodRecordBuffer(const TDorodRecordBuffer& other)
    : m_layout(other.m_layout), m_bytes(other.m_bytes.size(), 0) {
    if (!m_bytes.empty()) record::copy(m_bytes.data(), other.m_bytes.data(), *m_layout);
}

TDorodRecordBuffer& TDorodRecordBuffer::operator=(const TDorodRecordBuffer& other) {
    if (this != &other) {
        TDorodRecordBuffer copy(other);
        *this = std::move(copy);
    }
    return *this;
}

TDorodRecordBuffer& TDorodRecordBuffer::operator=(TDorodRecordBuffer&& other) noexcept {
    if (this != &other) {
        if (m_layout && !m_bytes.empty()) record::releaseValues(m_bytes.data(), *m_layout);
        m_layout = std::move(other.m_layout);
        m_bytes = std::move(other.m_bytes);
        other.m_bytes.clear();
    }
    return *this;
}

TDorodRecordBuffer::~TDorodRecordBuffer() {
    if (m_layout && !m_bytes.empty()) record::releaseValues(m_bytes.data(), *m_layout);
}

void TDorodRecordBuffer::clear() {
    if (!m_bytes.empty()) record::clear(m_bytes.data(), *m_layout);
}

void TDorodRecordBuffer::assign(const uint8_t* rec) {
    if (!m_bytes.empty()) record::copy(m_bytes.data(), rec, *m_layout);
}

} // namespace dorod
