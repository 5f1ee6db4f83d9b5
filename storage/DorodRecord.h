// Values inside record buffers: typed access, copying, releasing, comparison, the size
// a record takes in an image, and display texts.
#pragma once

#include "storage/Coding.h"
#include "storage/DorodArena.h"
#include "storage/DorodField.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace dorod {

// A String or BLOB-family value. The bytes follow the header and end with a zero byte
// that is not counted in the length. Blocks read from an image live in the store's
// arena; blocks made by edits are on the heap and belong to the record that holds them.
struct TDorodValueBlock {
    uint32_t length = 0;
    bool onHeap = false;

    char* bytes() { return reinterpret_cast<char*>(this + 1); }
    const char* bytes() const { return reinterpret_cast<const char*>(this + 1); }
    std::string_view view() const { return {bytes(), length}; }
};

namespace record {

TDorodValueBlock* newHeapBlock(std::string_view bytes);
TDorodValueBlock* newArenaBlock(TDorodArena& arena, std::string_view bytes);

// Reads below are inline: filter handlers call them once per record over millions.
inline TDorodValueBlock* reference(const uint8_t* rec, const TDorodField& f) {
    TDorodValueBlock* block = nullptr;
    std::memcpy(&block, rec + f.offset, sizeof block);
    return block;
}
void setReference(uint8_t* rec, const TDorodField& f, TDorodValueBlock* block);

// Frees the heap values of a record and clears its references.
void releaseValues(uint8_t* rec, const TDorodRecordLayout& layout);
// Releases the values and zeroes every slot.
void clear(uint8_t* rec, const TDorodRecordLayout& layout);
// Copies src into dst, duplicating referenced values on the heap. dst's own values are
// released first.
void copy(uint8_t* dst, const uint8_t* src, const TDorodRecordLayout& layout);

// True when the value is stored as a zero length byte only (zero number, empty text,
// no value).
bool isEmptyValue(const uint8_t* rec, const TDorodField& f);
// Bytes the record takes in an image: its length array plus its non-empty values.
uint32_t storedSize(const uint8_t* rec, const TDorodRecordLayout& layout);

// Typed reads and writes of fixed slots.
inline int16_t getInt16(const uint8_t* rec, const TDorodField& f) {
    return int16_t(decodeFixed16(rec + f.offset));
}
inline int32_t getInt32(const uint8_t* rec, const TDorodField& f) {
    return int32_t(decodeFixed32(rec + f.offset));
}
inline int64_t getInt64(const uint8_t* rec, const TDorodField& f) {
    return int64_t(decodeFixed64(rec + f.offset));
}
inline double getDouble(const uint8_t* rec, const TDorodField& f) {
    return decodeDouble(rec + f.offset);
}
inline bool getBoolean(const uint8_t* rec, const TDorodField& f) {
    return getInt16(rec, f) != 0;
}
// The value of a field of an integer type (isIntegerType) in 64 bits.
inline int64_t getInteger(const uint8_t* rec, const TDorodField& f) {
    switch (f.type) {
    case FieldType::SmallInt:
        return getInt16(rec, f);
    case FieldType::Int64:
        return getInt64(rec, f);
    default:
        return getInt32(rec, f);
    }
}
void setInt16(uint8_t* rec, const TDorodField& f, int16_t v);
void setInt32(uint8_t* rec, const TDorodField& f, int32_t v);
void setInt64(uint8_t* rec, const TDorodField& f, int64_t v);
void setDouble(uint8_t* rec, const TDorodField& f, double v);
void setBoolean(uint8_t* rec, const TDorodField& f, bool v);

// The text of a SmallStr, String, Memo or FmtMemo field, or the bytes of a BLOB-family
// value; empty when absent.
std::string_view smallStrText(const uint8_t* rec, const TDorodField& f);
inline std::string_view getText(const uint8_t* rec, const TDorodField& f) {
    if (f.isReference()) {
        const TDorodValueBlock* block = reference(rec, f);
        return block ? block->view() : std::string_view{};
    }
    return f.type == FieldType::SmallStr ? smallStrText(rec, f) : std::string_view{};
}
// Stores a text or BLOB value. SmallStr keeps at most its declared length, String at
// most 8191 bytes, so that every stored value can be written and read back; an empty
// value is stored as no value.
void setText(uint8_t* rec, const TDorodField& f, std::string_view text);

// Value order of one field (<0, 0, >0).
int compareField(const TDorodField& f, const uint8_t* a, const uint8_t* b, bool ignoreCase);
// Record order over the listed fields; the first difference decides.
int compareRecords(const TDorodRecordLayout& layout, const std::vector<int>& fields,
                   const uint8_t* a, const uint8_t* b, bool ignoreCase);

// The display text of one value under the process-wide locale.
std::string fieldAsText(const TDorodField& f, const uint8_t* rec);

} // namespace record

// A record buffer outside the store (the dataset's edit buffer, a record being built):
// owns its referenced values, and copying it duplicates them.
class TDorodRecordBuffer {
public:
    explicit TDorodRecordBuffer(std::shared_ptr<const TDorodRecordLayout> layout);
    TDorodRecordBuffer(const TDorodRecordBuffer& other);
    TDorodRecordBuffer& operator=(const TDorodRecordBuffer& other);
    TDorodRecordBuffer(TDorodRecordBuffer&& other) noexcept = default;
    TDorodRecordBuffer& operator=(TDorodRecordBuffer&& other) noexcept;
    ~TDorodRecordBuffer();

    uint8_t* data() { return m_bytes.data(); }
    const uint8_t* data() const { return m_bytes.data(); }
    const TDorodRecordLayout& layout() const { return *m_layout; }
    void clear();
    // Replaces the contents with a copy of a record of the same layout.
    void assign(const uint8_t* rec);

private:
    std::shared_ptr<const TDorodRecordLayout> m_layout;
    std::vector<uint8_t> m_bytes;
};

} // namespace dorod
