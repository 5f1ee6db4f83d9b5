// Dates of the windows and day numbers of the tables (0001-01-01 is day 1), both ways.
// Day 0 stands for "no date" on either side: an invalid date gives 0 and 0 (or less)
// gives an invalid date, so an empty field and an empty date box mean the same.
#pragma once

#include <QDate>

#include <cstdint>

namespace vornelta {

int32_t dayNumberOf(const QDate& date);
QDate dateOfDayNumber(int32_t dayNumber);

} // namespace vornelta
