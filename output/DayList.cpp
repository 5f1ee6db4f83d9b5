#include "output/DayList.h"

#include "desk/Desk.h"
#include "platform/DayNumber.h"
#include "platform/TextCodec.h"
#include "tables/defs/TableDefinitions.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>
#include <optional>
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

// ------------------------------------------------------------------- fill

namespace {

// The fields the day list copies, looked up once.
struct AnnouncementFields {
    explicit AnnouncementFields(dorod::TDataSet& t)
        : id(t.FieldByName(field::kId)), indate(t.FieldByName(field::kIndate)),
          xml(t.FieldByName(field::kXml)), objCat(t.FieldByName(field::kObjCat)),
          povt(t.FieldByName(field::kPovt)), tel(t.FieldByName(field::kTel)),
          text(t.FieldByName(field::kText)) {}
    TDayRow read() const {
        TDayRow row;
        row.Indate = dateOfDayNumber(indate.AsDayNumber());
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
    return desk.tData.Locate(field::kId, {std::to_string(id)});
}

TDayRow dayRowFromCurrentAnnouncement(TDesk& desk) {
    return AnnouncementFields(desk.tData).read();
}

bool editDayListRow(TDesk& desk, TDayList& list, int row, const std::function<bool(TDesk&)>& edit) {
    if (row < 0 || row >= list.count() || !edit) return false;
    const int id = list.row(row).Id;
    if (!locateAnnouncement(desk, id)) return false;
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

    // Last of all the run-date view comes back (after the grids are bound again).
    std::optional<DeskScope> dayShown;
    desk.tDates.DisableControls();
    desk.tData.DisableControls();
    const ScopeGuard enable([&] {
        desk.tData.EnableControls();
        desk.tDates.EnableControls();
    });
    dayShown.emplace(desk.runDatesOfDay(dayNumberOf(day)));

    // The ids are taken first: moving in data.d may rebuild the run-date view (anything
    // following the current announcement), and the walk must not depend on it.
    std::vector<int> ids;
    ids.reserve(size_t(desk.tDates.RecordCount()));
    dorod::TField& runId = desk.tDates.FieldByName(field::kId);
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
