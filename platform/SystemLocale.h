// The process-wide locale of the engine (short date format, time format, decimal
// separator) taken from the system's. Where the system locale is "C"/POSIX, the Russian
// conventions are used (dd.MM.yyyy, hh:mm:ss, ',').
#pragma once

#include <QString>

#include <optional>
#include <string>

class QLocale;

namespace vornelta {

void applyLocale(const QLocale& locale);
void applySystemLocale();

// The engine's form (Windows-1251) of a Qt short date or time format; nothing when it
// cannot be expressed, and the Russian convention is used instead. Names of days are
// left out and names of months become their numbers. Times lose am/pm and the time
// zone (the 24-hour clock) and always carry seconds: the engine shows the time of a
// stored value with this format, and a time shown without seconds would not read back
// as what is stored.
std::optional<std::string> engineDateFormat(const QString& qtFormat);
std::optional<std::string> engineTimeFormat(const QString& qtFormat);

} // namespace vornelta
