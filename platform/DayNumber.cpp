#include "platform/DayNumber.h"

#include "storage/DorodDate.h"

namespace vornelta {

int32_t dayNumberOf(const QDate& date) {
    return date.isValid() ? dorod::dayNumberFromCivil(date.year(), date.month(), date.day()) : 0;
}

QDate dateOfDayNumber(int32_t dayNumber) {
    if (dayNumber <= 0) return {};
    const dorod::CivilDate c = dorod::civilFromDayNumber(dayNumber);
    return QDate(c.year, c.month, c.day);
}

} // namespace vornelta
