// The process-wide locale: the short date format, the time format and the decimal
// separator that display texts use. The program sets it from the system at start;
// tests set it explicitly. Formats use Qt's letters: d dd M MM yy yyyy for dates,
// h hh m mm s ss zzz for times; any other character stands for itself.
#pragma once

#include <cstdint>
#include <string>

namespace dorod {

struct FormatSettings {
    std::string shortDateFormat = "dd.MM.yyyy";
    std::string timeFormat = "hh:mm:ss";
    char decimalSeparator = ',';
};

const FormatSettings& formatSettings();
void setFormatSettings(const FormatSettings& settings);

// Display texts of stored values under the process-wide locale.
std::string formatDate(int64_t dayNumber);
std::string formatTime(int64_t ms);
// Date and time; the time is left out when the value falls on midnight.
std::string formatDateTime(double value);
// A number as the format "0.######" gives it: at most six decimals, no trailing zeros.
std::string formatFloat(double value);

} // namespace dorod
