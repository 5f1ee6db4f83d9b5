// Calendar arithmetic of stored dates: a Date holds a day number where 0001-01-01 is
// day 1 (so 1899-12-30 is day 693594); a Time holds milliseconds since midnight; a
// DateTime holds day number × 86 400 000 + milliseconds, as a double.
#pragma once

#include <cstdint>

namespace dorod {

inline constexpr int64_t kMsPerDay = 86400000;
// The day number of 1899-12-30, the zero of date-time values (a TDateTime of 0.0).
inline constexpr int32_t kDay18991230 = 693594;

struct CivilDate {
    int32_t year = 1;
    int32_t month = 1;
    int32_t day = 1;
};

struct TimeOfDay {
    int32_t hour = 0;
    int32_t minute = 0;
    int32_t second = 0;
    int32_t millisecond = 0;
};

int32_t dayNumberFromCivil(int32_t year, int32_t month, int32_t day);
CivilDate civilFromDayNumber(int64_t dayNumber);
bool isValidCivil(int32_t year, int32_t month, int32_t day);
TimeOfDay timeOfDayFromMs(int64_t ms);

} // namespace dorod
