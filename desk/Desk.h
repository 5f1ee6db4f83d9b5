// The desk's data for the whole run: the tables the main window owns, the settings, the
// program folder, the clock and the report being shown. It is built before any window and
// can be built in a test without one.
//
// What the tables' views show is the desk's business: the search box narrows the
// announcement list, and every other view a command needs (one announcement, a period, a
// day's run dates, the realty rows of an interval) is a scoped operation — it returns a
// DeskScope, and the view the desk had comes back when that scope ends, by return or by
// exception. Nothing outside sets a filter mode by hand.
//
// The announcements, their run days and the realty rows live either in the program folder's
// .d files or, for several counters on one set of announcements, in a PostgreSQL database
// (databaseUrl). Either way the rows are held in memory as the same tables; saveTables is
// the one place that knows where they go.
#pragma once

#include "desk/ScopeGuard.h"
#include "desk/Settings.h"
#include "platform/DriveMap.h"
#include "platform/ProgramFolder.h"
#include "platform/Result.h"
#include "storage/DataSet.h"
#include "storage/DorodTable.h"
#include "storage/FieldReader.h"

#include <QDate>
#include <QElapsedTimer>
#include <QString>

#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace pgstore {
class PgDeskTables;
struct PgSaveHooks;
} // namespace pgstore

namespace vornelta {

class TReport;
struct TTableDefinition;

// What the announcement list (tData) shows while it is filtered.
enum class AnnouncementFilter {
    None,   // every announcement
    Search, // those whose text holds the search text, letter case ignored
    Period, // those taken in within an interval of days
    One,    // one announcement, by its number
};

// What the run-date view (tDates, filtered for the whole run) shows.
enum class RunDateFilter {
    ByAnnouncement, // the run days of tData's current announcement
    OutputDay,      // every run date of one broadcast day
};

// Why the last save of the tables did not go through.
enum class SaveProblem {
    None,           // it did
    Refused,        // a file could not be written, or the database refused: nothing saved
    Conflict,       // another counter changed or deleted the same rows first: nothing saved
    ConnectionLost, // the database was out of reach: nothing saved (or not known yet)
};

// A view of the desk held for a while; the previous one comes back when it ends.
using DeskScope = ScopeGuard<std::function<void()>>;

class TDesk {
public:
    explicit TDesk(ProgramFolder folder);
    ~TDesk();
    TDesk(const TDesk&) = delete;
    TDesk& operator=(const TDesk&) = delete;

    // Reads config.INI and opens the tables: from the database when there is a URL (the
    // one given here, else config.INI's), from the program folder otherwise, where a
    // missing table file is created empty with its fields first. Engine errors and a
    // database that cannot be reached propagate as exceptions.
    void open();
    // The database given on the command line; it wins over config.INI's. Before open().
    void setDatabaseUrl(const QString& url) { m_givenDatabaseUrl = url; }
    // The database the tables are in while open; empty for the folder's files.
    QString databaseUrl() const;
    void close();

    const ProgramFolder& folder() const { return m_folder; }
    QString configPath() const { return m_folder.file(kConfigFileName); }
    Result saveSettings();
    // Writes these settings and drives to config.INI and, only when that succeeded, makes
    // them the desk's: either both the file and the record change, or neither does.
    Result replaceSettings(const TSettings& newSettings, const DriveMap& newDrives);

    dorod::TDorodTable tData;     // data.d, the announcements
    dorod::TDorodTable tDates;    // dates.d, their run days; filtered for the whole run
    dorod::TDorodTable tRielt;    // rielt.d, realty classification rows
    dorod::TDorodTable tRieltOut; // rielt_out.d, the layout of the transfer file
    dorod::TDataSource sData{&tData};
    dorod::TDataSource sDates{&tDates};

    TSettings settings;
    DriveMap drives;

    // --- the clock: today for every window and command; the system's unless set ---
    QDate today() const;
    // A test's own clock; an empty function gives the system clock back.
    void setClock(std::function<QDate()> clock) { m_clock = std::move(clock); }

    // --- reports: each report is a fresh one; the desk keeps the last for showing ---
    // Starts a new report (nothing loaded, no dataset bound) and makes it the current one.
    TReport& newReport();
    // The report made last (an empty one before any).
    TReport& report();

    // --- the search box and the list ---
    // Sets the search text (as typed) and refilters the announcements and their run days.
    void search(const QString& text);
    // Rebuilds the run-date view for the announcement current now, unless it already
    // shows exactly that.
    void followCurrentAnnouncement();
    AnnouncementFilter announcementFilter() const { return m_announcements.mode; }
    RunDateFilter runDateFilter() const { return m_runDates.mode; }

    // --- scoped views ---
    // The announcement list shows only announcement `id`, current when it exists (an empty
    // list otherwise). Afterwards the list is as it was, on `id` when it shows it.
    DeskScope announcement(int id);
    // The list shows the announcements taken in from..to (day numbers, both ends
    // included). Afterwards the filter is off: the list shows every announcement, from
    // the first, whatever it showed before.
    DeskScope announcementsInPeriod(int32_t from, int32_t to);
    // The run-date view shows every run date of `day`.
    DeskScope runDatesOfDay(int32_t day);
    // The run-date view shows the run days of tData's current announcement.
    DeskScope runDatesOfCurrentAnnouncement();
    // tRielt shows its rows dated from..to (day numbers, both ends included); unfiltered
    // afterwards.
    DeskScope realtyRowsInPeriod(int32_t from, int32_t to);

    // --- writing ---
    // Writes the tables' files in the order given; once all are written, their changes
    // count as saved. When one cannot be written the changes of all of them are undone and
    // the files already written are written back as they were: the reason says which file
    // failed and what is on disk now.
    //
    // On a database every change of the announcements, run days and realty rows goes in
    // one transaction, whichever tables are named. A new announcement's number is settled
    // there (savedNumber). When another counter changed the same rows first, or the
    // database refused, nothing is saved and the tables are as they were read. When the
    // connection is lost, askToRetry (if set) is asked: yes connects again and saves again;
    // no (or none) fails, and the tables are as they were read.
    Result saveTables(std::initializer_list<dorod::TDorodTable*> tables);
    SaveProblem lastSaveProblem() const { return m_lastSaveProblem; }
    // The number a new announcement proposed as `proposed` was saved under by the last
    // save: another counter may have taken the proposed one first.
    int32_t savedNumber(int32_t proposed) const;
    // Gets the message of a lost connection; true to connect again and retry.
    std::function<bool(const QString& message)> askToRetry;
    // Tests: what happens around the commit of a save to the database.
    const pgstore::PgSaveHooks* databaseSaveHooks = nullptr;

    // --- other counters ---
    // The descriptor that becomes readable when another counter saved; -1 on the folder.
    int othersSavesSocket() const;
    // Whether another counter saved since the tables were read; the tables then take
    // what it saved (refreshTables). Never waits. Always false on the folder, and while
    // this desk holds changes not yet saved (they are read after that save). A connection
    // lost meanwhile is made again (pauses from five seconds to a minute) and the tables
    // followed then.
    bool followOthersSaves();
    // Whether the tables are in a database whose connection is lost now (the list then
    // shows what was read last).
    bool databaseOutOfReach() const;
    // Reads the tables again (F5): on a database just the rows the other counters added,
    // changed or deleted since (whole after an import), on the folder the files whole. The
    // list stays on the announcement it was on when that one still exists.
    void refreshTables();
    // On a database: whether it answers, connecting again when it does not (the tables
    // untouched). Done on the folder.
    Result reachDatabase();

private:
    void tDataFilterRecord(dorod::TDataSet& dataSet, bool& accept);
    void tDatesFilterRecord(dorod::TDataSet& dataSet, bool& accept);
    void tRieltFilterRecord(dorod::TDataSet& dataSet, bool& accept);
    void openTable(dorod::TDorodTable& table, const TTableDefinition& definition);
    // The id of tData's current announcement; none without one.
    std::optional<int64_t> currentAnnouncementId() const;
    DeskScope runDatesIn(RunDateFilter mode, int32_t day);

    Result saveToFiles(std::initializer_list<dorod::TDorodTable*> tables);
    Result saveToDatabase();
    // Every change of the tables undone: they hold what was read (or saved) last.
    void dropUnsavedChanges();
    // refreshTables, or false (another try due) when the tables cannot be read now.
    bool refreshQuietly();
    // A connection lost while nothing was being saved: connects again (at once, then after
    // pauses growing from five seconds to a minute). True once connected.
    bool reconnectWhileIdle();
    // Accepts a saved table's changes in memory.
    void settleSavedTable(dorod::TDorodTable& table);

    ProgramFolder m_folder;
    QString m_givenDatabaseUrl;
    std::unique_ptr<pgstore::PgDeskTables> m_database;
    SaveProblem m_lastSaveProblem = SaveProblem::None;
    std::vector<std::pair<int32_t, int32_t>> m_renumbered; // proposed, saved
    bool m_othersSavedMeanwhile = false;
    QElapsedTimer m_lastIdleReconnect;
    qint64 m_idleReconnectPauseMs = 0; // before the next idle try; 0: at once
    std::function<QDate()> m_clock;
    std::unique_ptr<TReport> m_report;

    // What tDataFilterRecord compares with.
    struct AnnouncementView {
        AnnouncementFilter mode = AnnouncementFilter::None;
        // The search text in Windows-1251, upper-cased.
        std::string searchUpper;
        int32_t from = 0, to = 0; // Period
        int64_t id = 0;           // One
    } m_announcements;
    // What tDatesFilterRecord compares with.
    struct RunDateView {
        RunDateFilter mode = RunDateFilter::ByAnnouncement;
        int32_t day = 0; // OutputDay
    } m_runDates;
    int32_t m_realtyFrom = 0, m_realtyTo = 0;

    // Fields the filters read, resolved once per open.
    dorod::TFieldReader m_dataId, m_dataText, m_dataIndate;
    dorod::TFieldReader m_datesId, m_datesDate;
    dorod::TFieldReader m_rieltDate;
    // The announcement the run-date view was (or is being) built for, read from tData
    // once at the start of each build of that view.
    std::optional<int64_t> m_followedId;
    uint64_t m_followedForViewGeneration = ~uint64_t(0);
    // What the announcement view held after the last search: a longer search text may
    // filter only the rows shown when neither the records nor the view changed since.
    uint64_t m_searchStoreGeneration = 0;
    uint64_t m_searchViewGeneration = 0;

    // What the run-date view was last built from: the records, the view itself (anyone
    // may rebuild it) and every value tDatesFilterRecord compares with.
    struct RunDateViewKey {
        uint64_t storeGeneration = 0;
        uint64_t viewGeneration = 0;
        RunDateFilter mode = RunDateFilter::ByAnnouncement;
        std::optional<int64_t> followedId;
        int32_t day = 0;
        bool built = false;
        bool operator==(const RunDateViewKey&) const = default;
    };
    RunDateViewKey currentRunDateViewKey() const;
    RunDateViewKey m_runDateViewKey;

    // The highest announcement number among the first run dates of the store, while their
    // values stay as they were read: a number above it has run dates only among those
    // appended since. A new announcement's run days are then found without a pass over
    // every run date.
    struct RunDateNumbers {
        uint64_t editGeneration = 0;
        size_t entriesSeen = 0;
        int64_t highest = 0;
    };
    RunDateNumbers m_runDateNumbers;
    // The run dates that may hold this number, when it is above every number the store's
    // earlier run dates hold; none when only a pass over every run date can tell.
    std::optional<std::vector<dorod::TDorodRecordEntry*>> runDatesThatMayHold(int64_t id);
};

} // namespace vornelta
