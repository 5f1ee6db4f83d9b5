#include "storage/DorodLocale.h"

#include "storage/DorodDate.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <system_error>
#include <vector>

namespace dorod {

namespace {
FormatSettings& settingsInstance() {
    static FormatSettings settings;
    return settings;
}

void appendNumber(std::string& out, int64_t value, int width) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%0*lld", width, static_cast<long long>(value));
    out += buf;
}

// Expands a format: runs of one letter are fields, everything else is literal.
template <typename FieldWriter>
std::string expand(const std::string& format, FieldWriter writeField) {
    std::string out;
    for (size_t i = 0; i < format.size();) {
        const char c = format[i];
        size_t run = 1;
        while (i + run < format.size() && format[i + run] == c)
            ++run;
        if (!writeField(out, c, int(run))) out.append(run, c);
        i += run;
    }
    return out;
}
} // namespace

const FormatSettings& formatSettings() {
    return settingsInstance();
}
void setFormatSettings(const FormatSettings& settings) {
    settingsInstance() = settings;
}

std::string formatDate(int64_t dayNumber) {
    const CivilDate date = civilFromDayNumber(dayNumber);
    return expand(formatSettings().shortDateFormat, [&](std::string& out, char c, int run) {
        switch (c) {
        case 'd':
            appendNumber(out, date.day, run >= 2 ? 2 : 1);
            return true;
        case 'M':
            appendNumber(out, date.month, run >= 2 ? 2 : 1);
            return true;
        case 'y':
            if (run >= 4)
                appendNumber(out, date.year, 4);
            else
                appendNumber(out, ((date.year % 100) + 100) % 100, 2);
            return true;
        default:
            return false;
        }
    });
}

std::string formatTime(int64_t ms) {
    const TimeOfDay t = timeOfDayFromMs(ms);
    return expand(formatSettings().timeFormat, [&](std::string& out, char c, int run) {
        switch (c) {
        case 'h':
        case 'H':
            appendNumber(out, t.hour, run >= 2 ? 2 : 1);
            return true;
        case 'm':
            appendNumber(out, t.minute, run >= 2 ? 2 : 1);
            return true;
        case 's':
            appendNumber(out, t.second, run >= 2 ? 2 : 1);
            return true;
        case 'z':
            appendNumber(out, t.millisecond, run >= 3 ? 3 : 1);
            return true;
        default:
            return false;
        }
    });
}

std::string formatDateTime(double value) {
    const double days = std::floor(value / double(kMsPerDay));
    const auto ms = int64_t(std::llround(value - days * double(kMsPerDay)));
    std::string out = formatDate(int64_t(days));
    if (ms != 0) out += " " + formatTime(ms);
    return out;
}

std::string formatFloat(double value) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
    char buf[400];
    std::snprintf(buf, sizeof buf, "%.6f", value);
    std::string out = buf;
    const size_t dot = out.find('.');
    if (dot != std::string::npos) {
        size_t end = out.size();
        while (end > dot + 1 && out[end - 1] == '0')
            --end;
        if (end == dot + 1) --end;
        out.resize(end);
        if (end > dot) out[dot] = formatSettings().decimalSeparator;
    }
    if (out == "-0") out = "0";
    return out;
}

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// One run of equal characters of a format: a field when its letter is one of the
// format's field letters, literal text otherwise.
struct FormatRun {
    char letter;
    int length;
    bool field;
};

std::vector<FormatRun> splitFormat(std::string_view format, bool timeFormat) {
    std::vector<FormatRun> runs;
    for (size_t i = 0; i < format.size();) {
        const char c = format[i];
        size_t run = 1;
        while (i + run < format.size() && format[i + run] == c)
            ++run;
        const bool field = timeFormat ? (c == 'h' || c == 'H' || c == 'm' || c == 's' || c == 'z')
                                      : (c == 'd' || c == 'M' || c == 'y');
        runs.push_back({c, int(run), field});
        i += run;
    }
    return runs;
}

// Digits a field takes when it touches another field (nothing else tells where one
// ends), and at most otherwise.
int fixedWidth(const FormatRun& r) {
    if (r.letter == 'y') return r.length >= 4 ? 4 : 2;
    return r.letter == 'z' ? 3 : 2;
}
int maxWidth(const FormatRun& r) {
    if (r.letter == 'y') return 4;
    return r.letter == 'z' ? 3 : 2;
}

// Values read from a text; -1 where the format has no such field.
struct ReadFields {
    int day = -1;
    int month = -1;
    int year = -1;
    int yearDigits = 0;
    int hour = -1;
    int minute = -1;
    int second = -1;
    int millisecond = -1;
};

// A format naming a field twice must get the same value both times.
bool keep(int& slot, int value) {
    if (slot >= 0 && slot != value) return false;
    slot = value;
    return true;
}

bool onlySecondsFrom(const std::vector<FormatRun>& runs, size_t from) {
    for (size_t i = from; i < runs.size(); ++i)
        if (runs[i].field && runs[i].letter != 's' && runs[i].letter != 'z') return false;
    return true;
}

// Reads text from pos against the runs of a format and leaves pos after what it read.
bool scan(std::string_view text, size_t& pos, const std::vector<FormatRun>& runs, bool timeFormat,
          ReadFields& out) {
    for (size_t i = 0; i < runs.size(); ++i) {
        const FormatRun& r = runs[i];
        // "12:30" is a time under "hh:mm:ss": the seconds may be left out, but only
        // right after a field, so "12:30:" stays wrong.
        if (timeFormat && pos == text.size() && i > 0 && runs[i - 1].field &&
            onlySecondsFrom(runs, i))
            return true;
        if (!r.field) {
            if (isBlank(r.letter)) {
                if (pos >= text.size() || !isBlank(text[pos])) return false;
                while (pos < text.size() && isBlank(text[pos]))
                    ++pos;
                continue;
            }
            for (int k = 0; k < r.length; ++k, ++pos)
                if (pos >= text.size() || text[pos] != r.letter) return false;
            continue;
        }
        const bool adjacent =
            (i + 1 < runs.size() && runs[i + 1].field) || (i > 0 && runs[i - 1].field);
        const int width = adjacent ? fixedWidth(r) : maxWidth(r);
        int value = 0;
        int digits = 0;
        for (; digits < width && pos < text.size() && isDigit(text[pos]); ++digits, ++pos)
            value = value * 10 + (text[pos] - '0');
        if (digits == 0 || (adjacent && digits < width)) return false;
        if (!adjacent && pos < text.size() && isDigit(text[pos])) return false;
        bool consistent = true;
        switch (r.letter) {
        case 'd':
            consistent = keep(out.day, value);
            break;
        case 'M':
            consistent = keep(out.month, value);
            break;
        case 'y':
            consistent = keep(out.year, value);
            out.yearDigits = digits;
            break;
        case 'h':
        case 'H':
            consistent = keep(out.hour, value);
            break;
        case 'm':
            consistent = keep(out.minute, value);
            break;
        case 's':
            consistent = keep(out.second, value);
            break;
        default:
            consistent = keep(out.millisecond, value);
            break;
        }
        if (!consistent) return false;
    }
    return true;
}

std::optional<int32_t> dayFromFields(const ReadFields& f) {
    if (f.day < 0 || f.month < 0 || f.year < 0) return std::nullopt;
    int year = f.year;
    // Two-digit years: a fixed window keeps the result independent of today's date.
    if (f.yearDigits <= 2) year += year < 50 ? 2000 : 1900;
    if (!isValidCivil(year, f.month, f.day)) return std::nullopt;
    return dayNumberFromCivil(year, f.month, f.day);
}

std::optional<int32_t> msFromFields(const ReadFields& f) {
    if (f.hour < 0) return std::nullopt;
    const int minute = std::max(f.minute, 0);
    const int second = std::max(f.second, 0);
    const int ms = std::max(f.millisecond, 0);
    if (f.hour > 23 || minute > 59 || second > 59 || ms > 999) return std::nullopt;
    return ((f.hour * 60 + minute) * 60 + second) * 1000 + ms;
}

std::optional<int32_t> readDate(std::string_view text, size_t& pos) {
    ReadFields fields;
    if (!scan(text, pos, splitFormat(formatSettings().shortDateFormat, false), false, fields))
        return std::nullopt;
    return dayFromFields(fields);
}

std::optional<int32_t> readTime(std::string_view text, size_t& pos) {
    ReadFields fields;
    if (!scan(text, pos, splitFormat(formatSettings().timeFormat, true), true, fields))
        return std::nullopt;
    return msFromFields(fields);
}

} // namespace

std::optional<int32_t> parseDate(std::string_view text) {
    text = trimBlanks(text);
    size_t pos = 0;
    const auto day = readDate(text, pos);
    if (!day || pos != text.size()) return std::nullopt;
    return day;
}

std::optional<int32_t> parseTime(std::string_view text) {
    text = trimBlanks(text);
    size_t pos = 0;
    const auto ms = readTime(text, pos);
    if (!ms || pos != text.size()) return std::nullopt;
    return ms;
}

std::optional<double> parseDateTime(std::string_view text) {
    text = trimBlanks(text);
    size_t pos = 0;
    const auto day = readDate(text, pos);
    if (!day) return std::nullopt;
    int32_t ms = 0;
    if (pos != text.size()) {
        if (!isBlank(text[pos])) return std::nullopt;
        while (pos < text.size() && isBlank(text[pos]))
            ++pos;
        const auto time = readTime(text, pos);
        if (!time || pos != text.size()) return std::nullopt;
        ms = *time;
    }
    return double(*day) * double(kMsPerDay) + double(ms);
}

std::optional<double> parseFloat(std::string_view text) {
    text = trimBlanks(text);
    const char separator = formatSettings().decimalSeparator;
    // Rewritten for from_chars: a point for the separator, no plus sign.
    std::string plain;
    size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') plain += '-';
        ++i;
    }
    size_t digits = 0;
    for (; i < text.size() && isDigit(text[i]); ++i, ++digits)
        plain += text[i];
    if (i < text.size() && (text[i] == separator || text[i] == '.')) {
        plain += '.';
        for (++i; i < text.size() && isDigit(text[i]); ++i, ++digits)
            plain += text[i];
    }
    if (digits == 0) return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        plain += 'e';
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) plain += text[i++];
        size_t exponentDigits = 0;
        for (; i < text.size() && isDigit(text[i]); ++i, ++exponentDigits)
            plain += text[i];
        if (exponentDigits == 0) return std::nullopt;
    }
    if (i != text.size()) return std::nullopt;
    double value = 0;
    const auto [end, ec] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (ec != std::errc() || end != plain.data() + plain.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace dorod
