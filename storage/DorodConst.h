// Frozen constants of the table engine: field type codes and names, the type characters
// of the field description section, and the fixed list of engine messages.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace dorod {

inline constexpr std::string_view kEngineVersion = "DorodDB Engine v5.9";

// Type codes as stored in a field descriptor.
enum class FieldType : uint8_t {
    Unknown = 0,
    SmallInt = 1,
    Integer = 2,
    Int64 = 3,
    Boolean = 4,
    Double = 5,
    Currency = 6,
    Date = 7,
    Time = 8,
    DateTime = 9,
    AutoInc = 10,
    SmallStr = 11,
    String = 12,
    Blob = 13,
    Memo = 14,
    FmtMemo = 15,
    Graphic = 16,
};
inline constexpr int kFieldTypeCount = 17;

// A text field declared up to this length is stored inline (SmallStr).
inline constexpr int kMaxSmallStrLength = 35;
// A String without a declared length ("s" alone) has this length.
inline constexpr int kDefaultStringLength = 100;
// Largest String text a record may hold, and largest BLOB-family value.
inline constexpr int32_t kMaxStringBytes = 8191;
inline constexpr int32_t kMaxBlobBytes = 1073741823;
// The description section may not be longer than this.
inline constexpr uint32_t kMaxDescriptionLength = 99999;
// The notes block stores its length as a signed 16-bit value.
inline constexpr size_t kMaxNotesLength = 32767;
inline constexpr uint16_t kMaxDeclaredStringLength = 65535;

// Bytes of the table image.
inline constexpr char kKindPlain = 'S';
inline constexpr char kKindEnciphered = 'P';
inline constexpr char kKindError = 'E';
inline constexpr char kNotesMark = '*';
inline constexpr char kItemSeparator = 0x12;
inline constexpr char kSectionEnd = 0x14;
inline constexpr size_t kKeyBlockSize = 40;
inline constexpr std::string_view kDefaultQualifier = "XXX";

std::string_view fieldTypeName(FieldType type);
// The type from its name ("SmallInt" ...); false when the name is not one of them.
bool fieldTypeFromName(std::string_view name, FieldType& type);
// BLOB, Memo, FmtMemo, Graphic
constexpr bool isBlobFamily(FieldType type) {
    return type == FieldType::Blob || type == FieldType::Memo || type == FieldType::FmtMemo ||
           type == FieldType::Graphic;
}
// String and the BLOB family
constexpr bool isReferenceType(FieldType type) {
    return type == FieldType::String || isBlobFamily(type);
}
bool isRightJustifiedType(FieldType type);
// Whole numbers kept as 16, 32 or 64-bit integers (dates and times as day and millisecond
// counts, the auto-increment value)
constexpr bool isIntegerType(FieldType type) {
    return type == FieldType::SmallInt || type == FieldType::Integer || type == FieldType::Date ||
           type == FieldType::Time || type == FieldType::AutoInc || type == FieldType::Int64;
}

// The engine's fixed messages. Texts with % are printf formats.
namespace msg {
inline constexpr const char* BufferCorruption = "Buffer structure corruption!";
inline constexpr const char* InvalidPassword = "Invalid password. Table cannot be open";
inline constexpr const char* PasswordTryAgain = "Password is invalid. Try again";
inline constexpr const char* DescriptionSection =
    "Error in buffer structure (field description section)";
inline constexpr const char* UnexpectedEnd = "Unexpected end of buffer";
inline constexpr const char* FieldWrongLength = "Field '%s' has wrong length %d in record %d";
inline constexpr const char* StringWrongLength =
    "String field '%s' has wrong length %d in record %d";
inline constexpr const char* BlobWrongLength = "BLOB field '%s' has wrong length %d in record %d";
inline constexpr const char* RecordCountMismatch =
    "Number of records read (%d) does not match declared record count (%d)";
inline constexpr const char* ErrorOpeningFile = "Error opening file %s";
inline constexpr const char* NoFieldDescriptions = "Error creating table (no field descriptions)";
inline constexpr const char* ErrorOpeningTable = "Error opening table: ";
inline constexpr const char* RecordNotFound = "Record is not found";
inline constexpr const char* RecordDeleted = "Record has been deleted";
inline constexpr const char* CannotCreateFile = "Cannot create file %s";
} // namespace msg

// printf-style formatting of the messages above.
std::string formatMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace dorod
