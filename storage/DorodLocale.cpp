#include "DorodLocale.h"

#include "DorodDate.h"

#include <cmath>
#include <cstdio>

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
        while (i + run < format.size() && format[i + run] == c) ++run;
        if (!writeField(out, c, int(run))) out.append(run, c);
        i += run;
    }
    return out;
}
} // namespace

const FormatSettings& formatSettings() { return settingsInstance(); }
void setFormatSettings(const FormatSettings& settings) { settingsInstance() = settings; }

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
        while (end > dot + 1 && out[end - 1] == '0') --end;
        if (end == dot + 1) --end;
        out.resize(end);
        if (end > dot) out[dot] = formatSettings().decimalSeparator;
    }
    if (out == "-0") out = "0";
    return out;
}

} // namespace dorod
