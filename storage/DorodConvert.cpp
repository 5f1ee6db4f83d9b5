#include "storage/DorodConvert.h"

#include "storage/DorodLocale.h"
#include "storage/DorodRecord.h"
#include "storage/Win1251.h"

#include <charconv>
#include <cstring>
#include <limits>
#include <optional>
#include <system_error>

namespace dorod {

namespace {

std::string_view trimBlanks(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

// A decimal integer in [low, high]: an optional sign, then digits only.
std::optional<int64_t> parseInteger(std::string_view text, int64_t low, int64_t high) {
    text = trimBlanks(text);
    // from_chars takes a minus but no plus.
    size_t firstDigit = 0;
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    else if (!text.empty() && text.front() == '-')
        firstDigit = 1;
    if (firstDigit >= text.size() || text[firstDigit] < '0' || text[firstDigit] > '9')
        return std::nullopt;
    int64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    if (value < low || value > high) return std::nullopt;
    return value;
}

template <typename T> std::optional<int64_t> parseIntegerOf(std::string_view text) {
    return parseInteger(text, std::numeric_limits<T>::min(), std::numeric_limits<T>::max());
}

// The words are Windows-1251 bytes: "ДА" is C4 C0.
bool isTrueWord(std::string_view text) {
    const std::string upper = win1251::toUpper(trimBlanks(text));
    return upper == "TRUE" || upper == "\xC4\xC0" || upper == "YES" || upper == "T" || upper == "1";
}

void resetSlot(const TDorodField& field, uint8_t* rec) {
    if (field.isReference())
        record::setText(rec, field, {});
    else if (field.slotSize > 0)
        std::memset(rec + field.offset, 0, field.slotSize);
}

} // namespace

bool textToStoredValue(const TDorodField& field, std::string_view text, uint8_t* rec) {
    resetSlot(field, rec);
    if (text.empty()) return false;
    switch (field.type) {
    case FieldType::SmallInt:
        if (const auto v = parseIntegerOf<int16_t>(text)) {
            record::setInt16(rec, field, int16_t(*v));
            return true;
        }
        return false;
    case FieldType::Integer:
    case FieldType::AutoInc:
        if (const auto v = parseIntegerOf<int32_t>(text)) {
            record::setInt32(rec, field, int32_t(*v));
            return true;
        }
        return false;
    case FieldType::Int64:
        if (const auto v = parseIntegerOf<int64_t>(text)) {
            record::setInt64(rec, field, *v);
            return true;
        }
        return false;
    case FieldType::Boolean:
        record::setBoolean(rec, field, isTrueWord(text));
        return true;
    case FieldType::Double:
    case FieldType::Currency:
        if (const auto v = parseFloat(text)) {
            // -0 and 0 are one value and must give the same bytes.
            record::setDouble(rec, field, *v == 0 ? 0.0 : *v);
            return true;
        }
        return false;
    case FieldType::Date:
        if (const auto day = parseDate(text)) {
            record::setInt32(rec, field, *day);
            return true;
        }
        return false;
    case FieldType::Time:
        if (const auto ms = parseTime(text)) {
            record::setInt32(rec, field, *ms);
            return true;
        }
        return false;
    case FieldType::DateTime:
        if (const auto v = parseDateTime(text)) {
            record::setDouble(rec, field, *v);
            return true;
        }
        return false;
    case FieldType::SmallStr:
    case FieldType::String:
    case FieldType::Memo:
    case FieldType::FmtMemo:
        // Memo fields declare no size; setText applies the String and SmallStr limits.
        if (field.declaredSize > 0) text = text.substr(0, size_t(field.declaredSize));
        record::setText(rec, field, text);
        return true;
    case FieldType::Blob:
    case FieldType::Graphic:
    case FieldType::Unknown:
        break;
    }
    return false;
}

} // namespace dorod
