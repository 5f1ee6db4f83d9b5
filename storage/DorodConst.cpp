#include "storage/DorodConst.h"

#include <array>
#include <cstdarg>
#include <cstdio>

namespace dorod {

namespace {
constexpr std::array<std::string_view, kFieldTypeCount> kTypeNames = {
    "Unknown",  "SmallInt", "Integer",  "Int64",  "Boolean", "Double", "Currency", "Date",   "Time",
    "DateTime", "AutoInc",  "SmallStr", "String", "BLOB",    "Memo",   "FmtMemo",  "Graphic"};
}

std::string_view fieldTypeName(FieldType type) {
    const auto i = size_t(type);
    return i < kTypeNames.size() ? kTypeNames[i] : kTypeNames[0];
}

bool fieldTypeFromName(std::string_view name, FieldType& type) {
    for (size_t i = 0; i < kTypeNames.size(); ++i) {
        if (kTypeNames[i] == name) {
            type = FieldType(i);
            return true;
        }
    }
    return false;
}

bool isRightJustifiedType(FieldType type) {
    switch (type) {
    case FieldType::SmallInt:
    case FieldType::Integer:
    case FieldType::Int64:
    case FieldType::Double:
    case FieldType::Currency:
    case FieldType::AutoInc:
        return true;
    default:
        return false;
    }
}

std::string formatMessage(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string out(n > 0 ? size_t(n) : 0, '\0');
    if (n > 0) std::vsnprintf(out.data(), out.size() + 1, format, args);
    va_end(args);
    return out;
}

} // namespace dorod
