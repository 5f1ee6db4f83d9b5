#include "storage/DorodDate.h"

namespace dorod {

namespace {
// Days from 1970-01-01 to 0001-01-01 is -719162; day numbers start at 1 there.
constexpr int64_t kDayOneOffset = 719163;

// Proleptic Gregorian calendar, days relative to 1970-01-01 (the well-known
// era-based conversion).
int64_t daysFromCivil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2 ? 1 : 0;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}
} // namespace

int32_t dayNumberFromCivil(int32_t year, int32_t month, int32_t day) {
    return int32_t(daysFromCivil(year, month, day) + kDayOneOffset);
}

CivilDate civilFromDayNumber(int64_t dayNumber) {
    int64_t z = dayNumber - kDayOneOffset + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int64_t d = doy - (153 * mp + 2) / 5 + 1;
    const int64_t m = mp < 10 ? mp + 3 : mp - 9;
    const int64_t y = yoe + era * 400 + (m <= 2 ? 1 : 0);
    return {int32_t(y), int32_t(m), int32_t(d)};
}

bool isValidCivil(int32_t year, int32_t month, int32_t day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    const int limit = kDays[month - 1] + (month == 2 && leap ? 1 : 0);
    return day <= limit;
}

TimeOfDay timeOfDayFromMs(int64_t ms) {
    TimeOfDay t;
    t.millisecond = int32_t(ms % 1000);
    ms /= 1000;
    t.second = int32_t(ms % 60);
    ms /= 60;
    t.minute = int32_t(ms % 60);
    t.hour = int32_t(ms / 60);
    return t;
}

} // namespace dorod
