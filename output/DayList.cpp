#include "output/DayList.h"

#include "desk/Desk.h"
#include "desk/ScopeGuard.h"
#include "platform/TextCodec.h"
#include "storage/DorodDate.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>
#include <string>
#include <vector>

namespace vornelta {

QList<TDayRow> TDayList::rows() const {
    QList<TDayRow> out;
    out.reserve(m_rows.size());
    for (const Entry& e : m_rows)
        out.append(e.fields);
    return out;
}

void TDayList::clear() {
    m_rows.clear();
    m_nextCreation = 1;
}

void TDayList::append(const TDayRow& row) {
    m_rows.append(Entry{m_nextCreation++, row});
}

int TDayList::sort(TDayOrder order, int selected) {
    if (order == TDayOrder::None || m_rows.size() < 2) return selected;
    QCollator collator{QLocale()};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    QList<int> places(m_rows.size());
    for (int i = 0; i < places.size(); ++i)
        places[i] = i;
    const auto less = [&](int a, int b) {
        const Entry& x = m_rows[a];
        const Entry& y = m_rows[b];
        int c = 0;
        if (order == TDayOrder::ByDate)
            c = x.fields.Indate < y.fields.Indate ? -1
                                                  : (y.fields.Indate < x.fields.Indate ? 1 : 0);
        else
            c = collator.compare(x.fields.ObjCat, y.fields.ObjCat);
        return c != 0 ? c < 0 : x.creation < y.creation;
    };
    std::sort(places.begin(), places.end(), less);
    QList<Entry> sorted;
    sorted.reserve(m_rows.size());
    int moved = -1;
    for (int i = 0; i < places.size(); ++i) {
        sorted.append(m_rows[places[i]]);
        if (places[i] == selected) moved = i;
    }
    m_rows = std::move(sorted);
    return moved;
}

void TDayList::exchange(int a, int b) {
    std::swap(m_rows[a].fields, m_rows[b].fields);
}

void TDayList::moveToTop(int index) {
    for (int i = index; i > 0; --i)
        exchange(i, i - 1);
}

// ------------------------------------------------------------------- dates

int32_t dayNumberFromDate(const QDate& date) {
    return date.isValid() ? dorod::dayNumberFromCivil(date.year(), date.month(), date.day()) : 0;
}

QDate dateFromDayNumber(int32_t dayNumber) {
    if (dayNumber <= 0) return {};
    const dorod::CivilDate c = dorod::civilFromDayNumber(dayNumber);
    return QDate(c.year, c.month, c.day);
}

// ------------------------------------------------------------------- fill

namespace {

// The fields the day list copies, looked up once.
struct AnnouncementFields {
    explicit AnnouncementFields(dorod::TDataSet& t)
        : id(t.FieldByName("id")), indate(t.FieldByName("indate")), xml(t.FieldByName("XML")),
          objCat(t.FieldByName("ObjCat")), povt(t.FieldByName("povt")), tel(t.FieldByName("Tel")),
          text(t.FieldByName("Text")) {}
    TDayRow read() const {
        TDayRow row;
        row.Indate = dateFromDayNumber(indate.AsDayNumber());
        row.XML = toQt(xml.AsString());
        row.ObjCat = toQt(objCat.AsString());
        row.Id = id.AsInteger();
        row.Povt = povt.AsBoolean();
        row.Tel = toQt(tel.AsString());
        row.text = toQt(text.AsString()).left(kDayTextWidth);
        return row;
    }
    dorod::TField& id;
    dorod::TField& indate;
    dorod::TField& xml;
    dorod::TField& objCat;
    dorod::TField& povt;
    dorod::TField& tel;
    dorod::TField& text;
};

} // namespace

bool locateAnnouncement(TDesk& desk, int id) {
    return desk.tData.Locate("id", {std::to_string(id)});
}

TDayRow dayRowFromCurrentAnnouncement(TDesk& desk) {
    return AnnouncementFields(desk.tData).read();
}

bool editDayListRow(TDesk& desk, TDayList& list, int row, const std::function<bool(TDesk&)>& edit) {
    if (row < 0 || row >= list.count() || !edit) return false;
    const int id = list.row(row).Id;
    if (!locateAnnouncement(desk, id)) return false;
    desk.newAnnouncement = false;
    desk.followCurrentAnnouncement();
    edit(desk);
    const bool reread = locateAnnouncement(desk, id);
    if (reread) list.setRow(row, dayRowFromCurrentAnnouncement(desk));
    desk.followCurrentAnnouncement();
    return reread;
}

void fillDayList(TDesk& desk, const QDate& day, TDayList& list, const TFillProgress& progress) {
    if (desk.tData.Filtered()) desk.search(QString());
    list.clear();

    const int savedMode = desk.runDateFilterMode;
    const int32_t savedDay = desk.outputDay;
    desk.tDates.DisableControls();
    desk.tData.DisableControls();
    ScopeGuard restore([&] {
        desk.runDateFilterMode = savedMode == rdmOutputDay ? rdmByAnnouncement : savedMode;
        desk.outputDay = savedDay;
        desk.tData.EnableControls();
        desk.tDates.EnableControls();
        desk.followCurrentAnnouncement();
    });
    desk.outputDay = dayNumberFromDate(day);
    desk.runDateFilterMode = rdmOutputDay;
    desk.followCurrentAnnouncement();

    // The ids are taken first: moving in data.d may rebuild the run-date view (anything
    // following the current announcement), and the walk must not depend on it.
    std::vector<int> ids;
    ids.reserve(size_t(desk.tDates.RecordCount()));
    dorod::TField& runId = desk.tDates.FieldByName("id");
    for (desk.tDates.First(); !desk.tDates.Eof(); desk.tDates.Next())
        ids.push_back(runId.AsInteger());

    const AnnouncementFields fields(desk.tData);
    if (progress.started) progress.started(int(ids.size()));
    int number = 0;
    for (const int id : ids) {
        if (locateAnnouncement(desk, id))
            list.append(fields.read());
        else if (progress.lost)
            progress.lost(id);
        if (progress.step) progress.step(++number);
    }
}

} // namespace vornelta
