#include "intake/RunDates.h"

#include "desk/Desk.h"
#include "platform/TextCodec.h"
#include "storage/DorodLocale.h"
#include "tables/defs/TableDefinitions.h"

#include <cstdlib>

namespace vornelta {

QList<QDate> intervalDays(const QDate& from, const QDate& to) {
    QList<QDate> days;
    if (!from.isValid() || !to.isValid()) return days;
    const qint64 n = std::llabs(from.daysTo(to));
    days.reserve(n);
    for (qint64 i = 0; i < n; ++i)
        days.append(from.addDays(i));
    return days;
}

QDate intervalEnd(const QDate& from, int days) {
    return from.addDays(days);
}

QDate pageMonths(const QDate& date, int months) {
    return date.addMonths(months);
}
QDate pageYears(const QDate& date, int years) {
    return date.addYears(years);
}

QString shortDate(const QDate& date) {
    return toQt(dorod::formatDate(dayNumberOf(date)));
}

std::optional<QDate> parseShortDate(const QString& text) {
    bool ok = false;
    const std::string bytes = fromQt(text, &ok);
    if (!ok) return std::nullopt;
    const std::optional<int32_t> day = dorod::parseDate(bytes);
    if (!day) return std::nullopt;
    return dateOfDayNumber(*day);
}

QString receiptDatesText(const QStringList& entries) {
    return entries.join(QLatin1Char(','));
}

QStringList loadRunDates(TDesk& desk) {
    QStringList entries;
    if (!desk.tDates.Active()) return entries;
    const DeskScope following = desk.runDatesOfCurrentAnnouncement();
    dorod::TDorodTable& dates = desk.tDates;
    dorod::TField& date = dates.FieldByName(field::kDate);
    for (int i = 0; i < dates.RecordCount(); ++i)
        entries << toQt(dates.DisplayTextAt(i, date));
    return entries;
}

void replaceRunDates(TDesk& desk, int id, const QList<int32_t>& days) {
    const DeskScope following = desk.runDatesOfCurrentAnnouncement();
    dorod::TDorodTable& dates = desk.tDates;
    dates.DisableControls();
    const ScopeGuard enable([&] { dates.EnableControls(); });
    // The view holds exactly this announcement's days; keep anything else out of it.
    dorod::TField& idField = dates.FieldByName(field::kId);
    for (int i = dates.RecordCount() - 1; i >= 0; --i) {
        dates.SetRecNo(i + 1);
        if (idField.AsInteger() == id) dates.Delete();
    }
    dorod::TField& dateField = dates.FieldByName(field::kDate);
    for (int32_t day : days) {
        dates.Append();
        idField.SetAsInteger(id);
        dateField.SetAsDayNumber(day);
        dates.Post();
    }
}

} // namespace vornelta
