#include "intake/RunDates.h"

#include "desk/Desk.h"
#include "platform/TextCodec.h"
#include "storage/DorodDate.h"
#include "storage/DorodLocale.h"

#include <cstdlib>

namespace vornelta {

namespace {

// Puts the run-date view on tData's current announcement for a while; the mode the
// desk had comes back, also when the engine throws.
class ByAnnouncement {
public:
    explicit ByAnnouncement(TDesk& desk) : m_desk(desk), m_saved(desk.runDateFilterMode) {
        m_desk.runDateFilterMode = rdmByAnnouncement;
        m_desk.followCurrentAnnouncement();
    }
    ~ByAnnouncement() {
        if (m_saved == m_desk.runDateFilterMode) return;
        m_desk.runDateFilterMode = m_saved;
        try {
            m_desk.followCurrentAnnouncement();
        } catch (...) { // the first error is the one to report
        }
    }
    ByAnnouncement(const ByAnnouncement&) = delete;
    ByAnnouncement& operator=(const ByAnnouncement&) = delete;

private:
    TDesk& m_desk;
    int m_saved;
};

} // namespace

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

int32_t dayNumberOf(const QDate& date) {
    return dorod::dayNumberFromCivil(date.year(), date.month(), date.day());
}

QDate dateOfDayNumber(int32_t dayNumber) {
    const dorod::CivilDate c = dorod::civilFromDayNumber(dayNumber);
    return QDate(c.year, c.month, c.day);
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
    ByAnnouncement following(desk);
    dorod::TDorodTable& dates = desk.tDates;
    dorod::TField& date = dates.FieldByName("date");
    for (int i = 0; i < dates.RecordCount(); ++i)
        entries << toQt(dates.DisplayTextAt(i, date));
    return entries;
}

void replaceRunDates(TDesk& desk, int id, const QList<int32_t>& days) {
    ByAnnouncement following(desk);
    dorod::TDorodTable& dates = desk.tDates;
    dates.DisableControls();
    struct Enable {
        dorod::TDorodTable& t;
        ~Enable() { t.EnableControls(); }
    } enable{dates};
    // The view holds exactly this announcement's days; keep anything else out of it.
    dorod::TField& idField = dates.FieldByName("id");
    for (int i = dates.RecordCount() - 1; i >= 0; --i) {
        dates.SetRecNo(i + 1);
        if (idField.AsInteger() == id) dates.Delete();
    }
    dorod::TField& dateField = dates.FieldByName("date");
    for (int32_t day : days) {
        dates.Append();
        idField.SetAsInteger(id);
        dateField.SetAsDayNumber(day);
        dates.Post();
    }
}

} // namespace vornelta

namespace vornelta {
namespace {
std::function<QDate()>& todaySource() {
    static std::function<QDate()> source;
    return source;
}
} // namespace
QDate intakeToday() {
    return todaySource() ? todaySource()() : QDate::currentDate();
}
void setIntakeToday(std::function<QDate()> today) {
    todaySource() = std::move(today);
}
} // namespace vornelta
