// Run dates of an announcement: the interval fill, calendar paging, the short date form
// of the list entries, and reading and replacing an announcement's rows of dates.d.
#pragma once

#include "platform/DayNumber.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace vornelta {

class TDesk;

// The days `from`, from + 1, …, from + n − 1 with n the whole number of days between the
// two dates (either order): `to` itself is never included, equal dates give nothing.
QList<QDate> intervalDays(const QDate& from, const QDate& to);

// `dTo` for a number of days: dFrom + days.
QDate intervalEnd(const QDate& from, int days);

// Calendar paging keeps the day of the month, or the month's last day where it is
// shorter (29 February a year on is 28 February).
QDate pageMonths(const QDate& date, int months);
QDate pageYears(const QDate& date, int years);

// A day in the locale's short date format ("10.06.2004"), and back.
QString shortDate(const QDate& date);
std::optional<QDate> parseShortDate(const QString& text);

// The receipt's "dates": the entries joined by "," without spaces.
QString receiptDatesText(const QStringList& entries);

// The run days of tData's current announcement in the order of the run-date view, each
// in the short date format. The run-date view is rebuilt by announcement for this, also
// when the output window has it on its day; the desk's mode comes back afterwards.
QStringList loadRunDates(TDesk& desk);

// Replaces the run days of announcement `id` in dates.d by `days` (in their order) and
// posts them; does not save. tData's current row must be that announcement. The
// run-date filter mode is kept as it was.
void replaceRunDates(TDesk& desk, int id, const QList<int32_t>& days);

} // namespace vornelta
