// The process-wide locale: the short date format, the time format and the decimal
// separator that display texts use. The program sets it from the system at start;
// tests set it explicitly. Formats use Qt's letters: d dd M MM yy yyyy for dates,
// h hh m mm s ss zzz for times; any other character stands for itself.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

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

// Reading texts back under the process-wide locale. Blanks around the text are ignored;
// anything else that does not fit the format gives no value. A field takes one or two
// digits (a year up to four, milliseconds up to three), but exactly its width (yyyy
// four, zzz three, the others two) when it touches another field with no separator
// between, as in "yyyyMMdd".
//
// A date follows the short date format. A year of one or two digits falls into
// 1950..2049, whatever today is; three or four digits are the year itself. The day must
// exist in the calendar. Gives the day number.
std::optional<int32_t> parseDate(std::string_view text);
// A time follows the time format (h and H are hours 0..23, z the milliseconds); the text
// may stop after the minutes when only seconds and milliseconds remain, so "12:30" reads
// under "hh:mm:ss". Gives milliseconds since midnight.
std::optional<int32_t> parseTime(std::string_view text);
// A date, or a date, blanks and a time; a date alone is midnight. Gives the stored
// DateTime value, day number × 86 400 000 + milliseconds.
std::optional<double> parseDateTime(std::string_view text);
// A decimal number with an optional sign, the locale's decimal separator (a point is
// taken too) and an optional exponent. Infinite and out-of-range values give no value.
std::optional<double> parseFloat(std::string_view text);

} // namespace dorod
