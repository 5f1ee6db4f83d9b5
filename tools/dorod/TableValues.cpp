#include "tools/dorod/TableValues.h"

#include "storage/DorodDate.h"
#include "storage/DorodRecord.h"
#include "storage/Win1251.h"
#include "tools/dorod/Base64.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace dorod::tool {

namespace {
bool isNullValue(const TDorodField& f, const uint8_t* rec) {
    switch (f.type) {
    case FieldType::Unknown:
        return true;
    case FieldType::Date:
    case FieldType::Int64:
    case FieldType::SmallStr:
    case FieldType::String:
    case FieldType::Blob:
    case FieldType::Memo:
    case FieldType::FmtMemo:
    case FieldType::Graphic:
        return record::isEmptyValue(rec, f);
    case FieldType::DateTime:
        return record::getInt64(rec, f) == 0; // all bytes zero; -0.0 is a value
    default:
        return false;
    }
}

// A DateTime that is a whole number of milliseconds on a calendar day shows as text.
bool dateTimeParts(double v, int64_t& day, int64_t& ms) {
    if (!std::isfinite(v) || v != std::floor(v) || v < double(kMsPerDay) ||
        v >= 3652060.0 * double(kMsPerDay))
        return false;
    const auto whole = int64_t(v);
    day = whole / kMsPerDay;
    ms = whole % kMsPerDay;
    return true;
}

bool dayInRange(int64_t day) {
    return day >= 1 && day <= dayNumberFromCivil(9999, 12, 31);
}

std::string doubleText(double v) {
    if (std::isnan(v)) return "NaN";
    if (std::isinf(v)) return v > 0 ? "Infinity" : "-Infinity";
    return json::doubleText(v);
}

json::Value doubleJson(double v) {
    if (!std::isfinite(v)) return json::Value(doubleText(v));
    return json::Value(v);
}

bool jsonToDouble(const json::Value& v, double& out) {
    if (v.is_number()) return json::toDouble(v, out);
    if (!v.is_string()) return false;
    const std::string& s = v.get_ref<const std::string&>();
    if (s == "NaN")
        out = std::numeric_limits<double>::quiet_NaN();
    else if (s == "Infinity")
        out = std::numeric_limits<double>::infinity();
    else if (s == "-Infinity")
        out = -std::numeric_limits<double>::infinity();
    else
        return false;
    return true;
}

bool jsonToInt(const json::Value& v, int64_t min, int64_t max, int64_t& out) {
    return json::toInt64(v, out) && out >= min && out <= max;
}

bool digits(std::string_view s, size_t pos, size_t n, int32_t& out) {
    if (pos + n > s.size()) return false;
    out = 0;
    for (size_t i = pos; i < pos + n; ++i) {
        if (s[i] < '0' || s[i] > '9') return false;
        out = out * 10 + (s[i] - '0');
    }
    return true;
}
} // namespace

std::string isoDate(int64_t dayNumber) {
    const CivilDate d = civilFromDayNumber(dayNumber);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d.year, d.month, d.day);
    return buf;
}

std::string isoTime(int64_t ms) {
    const TimeOfDay t = timeOfDayFromMs(ms);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d.%03d", t.hour, t.minute, t.second,
                  t.millisecond);
    return buf;
}

bool parseIsoDate(std::string_view text, int32_t& dayNumber) {
    int32_t y = 0, m = 0, d = 0;
    if (text.size() != 10 || text[4] != '-' || text[7] != '-' || !digits(text, 0, 4, y) ||
        !digits(text, 5, 2, m) || !digits(text, 8, 2, d) || !isValidCivil(y, m, d))
        return false;
    dayNumber = dayNumberFromCivil(y, m, d);
    return true;
}

bool parseIsoTime(std::string_view text, int32_t& ms) {
    int32_t h = 0, m = 0, s = 0, z = 0;
    if (text.size() != 12 || text[2] != ':' || text[5] != ':' || text[8] != '.' ||
        !digits(text, 0, 2, h) || !digits(text, 3, 2, m) || !digits(text, 6, 2, s) ||
        !digits(text, 9, 3, z) || h > 23 || m > 59 || s > 59)
        return false;
    ms = ((h * 60 + m) * 60 + s) * 1000 + z;
    return true;
}

json::Value valueToJson(const TDorodField& f, const uint8_t* rec) {
    if (isNullValue(f, rec)) return json::Value();
    switch (f.type) {
    case FieldType::SmallInt:
        return json::Value(record::getInt16(rec, f));
    case FieldType::Integer:
    case FieldType::AutoInc:
        return json::Value(record::getInt32(rec, f));
    case FieldType::Int64:
        return json::Value(record::getInt64(rec, f));
    case FieldType::Boolean:
        return json::Value(record::getBoolean(rec, f));
    case FieldType::Double:
    case FieldType::Currency:
        return doubleJson(record::getDouble(rec, f));
    case FieldType::Date: {
        const int32_t day = record::getInt32(rec, f);
        return dayInRange(day) ? json::Value(isoDate(day)) : json::Value(day);
    }
    case FieldType::Time: {
        const int32_t ms = record::getInt32(rec, f);
        return ms >= 0 && ms < kMsPerDay ? json::Value(isoTime(ms)) : json::Value(ms);
    }
    case FieldType::DateTime: {
        const double v = record::getDouble(rec, f);
        int64_t day = 0, ms = 0;
        if (dateTimeParts(v, day, ms)) return json::Value(isoDate(day) + "T" + isoTime(ms));
        return doubleJson(v);
    }
    case FieldType::SmallStr:
    case FieldType::String:
    case FieldType::Memo:
    case FieldType::FmtMemo:
        return json::Value(win1251::toUtf8(record::getText(rec, f)));
    case FieldType::Blob:
    case FieldType::Graphic:
        return json::Value(base64::encode(record::getText(rec, f)));
    case FieldType::Unknown:
        break;
    }
    return json::Value();
}

std::string valueToCell(const TDorodField& f, const uint8_t* rec) {
    const json::Value v = valueToJson(f, rec);
    if (v.is_null()) return {};
    if (v.is_boolean()) return v.get<bool>() ? "true" : "false";
    if (v.is_number_float()) return json::doubleText(v.get<double>());
    if (v.is_number()) return v.dump();
    return v.get<std::string>();
}

bool jsonToValue(const TDorodField& f, const json::Value& v, uint8_t* rec, std::string& error) {
    if (v.is_null()) return true; // the record starts all zero
    int64_t n = 0;
    double d = 0;
    switch (f.type) {
    case FieldType::SmallInt:
        if (!jsonToInt(v, INT16_MIN, INT16_MAX, n)) break;
        record::setInt16(rec, f, int16_t(n));
        return true;
    case FieldType::Integer:
    case FieldType::AutoInc:
        if (!jsonToInt(v, INT32_MIN, INT32_MAX, n)) break;
        record::setInt32(rec, f, int32_t(n));
        return true;
    case FieldType::Int64:
        if (!jsonToInt(v, INT64_MIN, INT64_MAX, n)) break;
        record::setInt64(rec, f, n);
        return true;
    case FieldType::Boolean:
        if (!v.is_boolean()) break;
        record::setBoolean(rec, f, v.get<bool>());
        return true;
    case FieldType::Double:
    case FieldType::Currency:
        if (!jsonToDouble(v, d)) break;
        record::setDouble(rec, f, d);
        return true;
    case FieldType::Date: {
        int32_t day = 0;
        if (v.is_string() ? !parseIsoDate(v.get_ref<const std::string&>(), day)
                          : !jsonToInt(v, INT32_MIN, INT32_MAX, n))
            break;
        record::setInt32(rec, f, v.is_string() ? day : int32_t(n));
        return true;
    }
    case FieldType::Time: {
        int32_t ms = 0;
        if (v.is_string() ? !parseIsoTime(v.get_ref<const std::string&>(), ms)
                          : !jsonToInt(v, INT32_MIN, INT32_MAX, n))
            break;
        record::setInt32(rec, f, v.is_string() ? ms : int32_t(n));
        return true;
    }
    case FieldType::DateTime: {
        if (v.is_string() && v.get_ref<const std::string&>().size() == 23 &&
            v.get_ref<const std::string&>()[10] == 'T') {
            int32_t day = 0, ms = 0;
            const std::string& s = v.get_ref<const std::string&>();
            if (!parseIsoDate(std::string_view(s).substr(0, 10), day) ||
                !parseIsoTime(std::string_view(s).substr(11), ms))
                break;
            record::setDouble(rec, f, double(day) * double(kMsPerDay) + ms);
            return true;
        }
        if (!jsonToDouble(v, d)) break;
        record::setDouble(rec, f, d);
        return true;
    }
    case FieldType::SmallStr:
    case FieldType::String:
    case FieldType::Memo:
    case FieldType::FmtMemo: {
        if (!v.is_string()) break;
        std::string bytes;
        size_t bad = 0;
        if (!win1251::fromUtf8(v.get_ref<const std::string&>(), bytes, &bad)) {
            error = "character " + std::to_string(bad + 1) + " has no Windows-1251 code";
            return false;
        }
        const size_t limit = f.type == FieldType::SmallStr ? size_t(f.declaredSize)
                             : f.type == FieldType::String ? size_t(kMaxStringBytes)
                                                           : size_t(kMaxBlobBytes);
        if (bytes.size() > limit) {
            error = "text of " + std::to_string(bytes.size()) + " bytes is longer than " +
                    std::to_string(limit);
            return false;
        }
        record::setText(rec, f, bytes);
        return true;
    }
    case FieldType::Blob:
    case FieldType::Graphic: {
        std::string bytes;
        if (!v.is_string() || !base64::decode(v.get_ref<const std::string&>(), bytes)) break;
        if (bytes.size() > size_t(kMaxBlobBytes)) {
            error = "value is longer than " + std::to_string(kMaxBlobBytes) + " bytes";
            return false;
        }
        record::setText(rec, f, bytes);
        return true;
    }
    case FieldType::Unknown:
        error = "an Unknown field holds no value";
        return false;
    }
    error = "not a valid " + std::string(fieldTypeName(f.type)) + " value";
    return false;
}

} // namespace dorod::tool
