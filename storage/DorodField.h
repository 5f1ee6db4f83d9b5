// Field descriptors and the layout of a record buffer.
//
// A record buffer is a fixed block of bytes, one slot per field in field order:
//
//   Type                              Slot bytes      Slot content
//   SmallInt, Boolean                 2               the value (Boolean: 1 is true)
//   Integer, Date, Time, AutoInc      4               the value
//   Int64, Double, Currency, DateTime 8               the value
//   SmallStr of length n              n + 1           the text, then at least one zero byte
//   String, BLOB, Memo, FmtMemo,      pointer-sized   reference to a TDorodValueBlock
//   Graphic                                           (none = empty)
//
// Fixed values are kept in the little-endian byte order of the file, so a record's
// bytes read from an image are copied into their slots unchanged.
#pragma once

#include "storage/DorodConst.h"

#include <cstdint>
#include <string>
#include <vector>

namespace dorod {

struct TDorodField {
    std::string name;
    std::string qualifier{kDefaultQualifier};
    uint16_t slotSize = 0;
    int32_t declaredSize = 0; // text length of SmallStr and String, 0 otherwise
    uint32_t offset = 0;
    FieldType type = FieldType::Unknown;
    // Numeric types sort right-justified; the dataset overwrites it for key fields.
    bool rightJustified = false;
    std::string defaultValue;
    std::string extraText;

    bool isReference() const { return isReferenceType(type); }
};

// Slot bytes of a field of this type (declaredSize matters for SmallStr only).
uint16_t slotSizeOf(FieldType type, int32_t declaredSize);

// The field list of a table with the offsets of their slots.
struct TDorodRecordLayout {
    std::vector<TDorodField> fields;
    uint32_t recordSize = 0;
    std::vector<uint32_t> referenceFields; // indexes of String and BLOB-family fields

    // Appends a field, assigning its slot size, offset and right-justified flag.
    void addField(TDorodField field);
    void clear();
};

} // namespace dorod
