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

// The dataset layer's messages.
inline constexpr const char* ClosedDataset = "Cannot do this operation on closed dataset";
inline constexpr const char* CloneNotActive = "Cloned table is not active!";
inline constexpr const char* StreamNotAssigned = "Loading stream is not assigned";
inline constexpr const char* SourceNotAssigned = "Record source is not assigned";
inline constexpr const char* ClonesNotClosed =
    "Cloned tables are not closed before source dataset is closed!";
inline constexpr const char* NotEditing = "Table is not in edit or insert mode";
inline constexpr const char* CannotEditCalcFields = "Cannot edit CalcFields";
inline constexpr const char* FieldReadOnly = "Field '%s' is read only!";
inline constexpr const char* ReadOnlyDelete = "Read-only record cannot be deleted";
inline constexpr const char* ReadOnlyEdit = "Read-only record cannot be changed";
inline constexpr const char* ReadOnlyInsert = "You have read only access, you can not add records!";
inline constexpr const char* SavingNewRecord = "Error saving new record: ";
inline constexpr const char* SavingRecord = "Error saving record: ";
inline constexpr const char* KeyViolation = "Key violation";
inline constexpr const char* DeletingRecord = "Error deleting record: ";
inline constexpr const char* NoCurrentRecord = "Number of records is equal to 0";
inline constexpr const char* CalcOrBlobKeyFields =
    "There are calc or BLOB fields in list of key fields";
inline constexpr const char* CircularLink = "Circular data link";
inline constexpr const char* MasterNotDorod =
    "Use only TDorodDataset descendants for master-detail relationship";
// A refresh loads a new store; clones would keep working on the old one.
inline constexpr const char* RefreshWithClones =
    "Cannot refresh a table while tables cloned from it are open";
// A SmallStr holds at most kMaxSmallStrLength characters; a longer text is a String.
inline constexpr const char* SmallStrTooLong =
    "Field '%s': a SmallStr holds 0 to 35 characters, not %d; a longer text is a String";

// The standard dataset layer's messages.
inline constexpr const char* OpenDatasetOperation =
    "Cannot perform this operation on an open dataset";
inline constexpr const char* ClosedDatasetOperation =
    "Cannot perform this operation on a closed dataset";
inline constexpr const char* EmptyDatasetOperation =
    "Cannot perform this operation on an empty dataset";
inline constexpr const char* FieldNameMissing = "Field name missing";
inline constexpr const char* DuplicateFieldName = "Duplicate field name '%s'";
inline constexpr const char* InvalidInteger = "'%s' is not a valid integer value";
inline constexpr const char* InvalidFloat = "'%s' is not a valid floating point value";
inline constexpr const char* InvalidFieldValue = "'%s' is not a valid value for field '%s'";
inline constexpr const char* CannotCalculate = "Field '%s' of this type cannot be calculated";
inline constexpr const char* FieldByNameMissing = "Field '%s' not found";

// The expression language's messages (lexer, condition parser, binding, masks).
inline constexpr const char* UnmatchedParentheses = "Unmatched parentheses";
inline constexpr const char* InvalidNumber = "Token %s is invalid number";
inline constexpr const char* ComparisonError = "Error in comparison expression";
inline constexpr const char* UnsupportedFunction = "Unsupported function %s in query";
inline constexpr const char* SymbolInAggregate =
    "Symbol %s is not supported in aggregate function argument";
inline constexpr const char* UnmatchedQuote = "Unmatched quote";
inline constexpr const char* InvalidSymbol =
    "Invalid symbol in parameter/identificator/reserved word";
inline constexpr const char* InvalidIdentifier = "Parameter %s is not valid identifier";
inline constexpr const char* FieldNotFound = "Field %s is not found";
inline constexpr const char* TypesNotEqual = "Types of compared fields are not equal";
inline constexpr const char* InvalidMask = "'%s' is an invalid mask at (%d)";
inline constexpr const char* MaskTooLong = "'%s' is an invalid mask: more than 128 characters";
} // namespace msg

// printf-style formatting of the messages above.
std::string formatMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace dorod
