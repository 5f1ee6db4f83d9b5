// The day list `mtDAta`: the announcements of one broadcast day, in the order the
// operator arranges them. In memory only, never stored. Every row has a creation number,
// given as the fill creates rows; it breaks ties in sorting and stays with the row's
// place when rows are moved by hand (a move exchanges the fields, not the places).
#pragma once

#include <QDate>
#include <QList>
#include <QString>

#include <functional>

namespace vornelta {

class TDesk;

// One announcement of the day (the fields the output copies from data.d).
struct TDayRow {
    QDate Indate;
    QString XML;
    QString ObjCat;
    int Id = 0;
    bool Povt = false;
    QString Tel;
    QString text; // at most kDayTextWidth characters

    bool operator==(const TDayRow&) const = default;
};

inline constexpr int kDayTextWidth = 600;

enum class TDayOrder { None, ByDate, ByCategory };

class TDayList {
public:
    int count() const { return int(m_rows.size()); }
    bool isEmpty() const { return m_rows.isEmpty(); }
    const TDayRow& row(int index) const { return m_rows[index].fields; }
    int creationNumber(int index) const { return m_rows[index].creation; }
    QList<TDayRow> rows() const;

    void clear();
    // Adds a row at the end with the next creation number.
    void append(const TDayRow& row);
    void setRow(int index, const TDayRow& row) { m_rows[index].fields = row; }

    // Ascending by Indate or by ObjCat (the locale's collation, letter case ignored); equal
    // keys by creation number. Gives where the row at `selected` went (-1 stays -1).
    int sort(TDayOrder order, int selected);
    // Exchanges the fields of two rows; creation numbers stay with the places.
    void exchange(int a, int b);
    // Moves the row's fields to the top by exchanges with the row above; the rows above
    // move down by one.
    void moveToTop(int index);

private:
    struct Entry {
        int creation = 0;
        TDayRow fields;
    };
    QList<Entry> m_rows;
    int m_nextCreation = 1;
};

// What a fill tells its caller as it goes.
struct TFillProgress {
    std::function<void(int total)> started;       // the number of run-date rows of the day
    std::function<void(int rowNumber)> step;      // after each run-date row (from 1)
    std::function<void(int announcementId)> lost; // a run date whose announcement is gone
};

// Fills the list with every announcement that runs on `day` (one row per run-date row,
// in the run-date table's order; a run-date row without its announcement is reported
// and skipped). The run-date filter is in output-day mode only for the time of the fill,
// also when the engine throws. The caller clears the main window's search first; a search
// filter still on is removed here so that every announcement can be found.
void fillDayList(TDesk& desk, const QDate& day, TDayList& list, const TFillProgress& progress = {});

// The day-list row of tData's current announcement.
TDayRow dayRowFromCurrentAnnouncement(TDesk& desk);
// Makes the announcement with this id tData's current row; false when there is none.
bool locateAnnouncement(TDesk& desk, int id);

// Opens the entry form (`edit`, for tData's current announcement) on the announcement
// of the list's row, then shows that announcement in the row as it is now, even when it
// no longer runs that day. True when the row was read again. An announcement deleted
// meanwhile opens nothing: the form must not open on another one.
bool editDayListRow(TDesk& desk, TDayList& list, int row, const std::function<bool(TDesk&)>& edit);

} // namespace vornelta
