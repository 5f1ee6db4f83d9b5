// The desk's data for the whole run: the tables the main window owns, the settings, the
// program folder and the process-wide values other windows read (the new-announcement
// flag, the filter modes and what the filters compare with). It is built before any
// window and can be built in a test without one.
#pragma once

#include "desk/Settings.h"
#include "platform/DriveMap.h"
#include "platform/ProgramFolder.h"
#include "reports/engine/Report.h"
#include "storage/DataSet.h"
#include "storage/DorodTable.h"
#include "storage/FieldReader.h"

#include <QString>

#include <memory>
#include <optional>
#include <string>

namespace vornelta {

struct TTableDefinition;

// Rules of the announcement filter (tDataFilterRecord).
enum TAnnouncementFilterMode { afmNone = 0, afmSearch = 2, afmPeriod = 3 };
// Rules of the run-date filter (tDatesFilterRecord).
enum TRunDateFilterMode { rdmByAnnouncement = 0, rdmOutputDay = 1 };

class TDesk {
public:
    explicit TDesk(ProgramFolder folder);
    ~TDesk();
    TDesk(const TDesk&) = delete;
    TDesk& operator=(const TDesk&) = delete;

    // Reads config.INI and opens the tables from the program folder; a missing table
    // file is created empty with its fields first. Engine errors propagate.
    void open();
    void close();

    const ProgramFolder& folder() const { return m_folder; }
    QString configPath() const { return m_folder.file(kConfigFileName); }
    bool saveSettings(QString* error = nullptr);
    // Writes these settings and drives to config.INI and, only when that succeeded, makes
    // them the desk's: either both the file and the record change, or neither does.
    bool replaceSettings(const TSettings& newSettings, const DriveMap& newDrives,
                         QString* error = nullptr);

    dorod::TDorodTable tData;     // data.d, the announcements
    dorod::TDorodTable tDates;    // dates.d, their run days; filtered for the whole run
    dorod::TDorodTable tRielt;    // rielt.d, realty classification rows
    dorod::TDorodTable tRieltOut; // rielt_out.d, the layout of the transfer file
    dorod::TDataSource sData{&tData};
    dorod::TDataSource sDates{&tDates};
    TReport fRep; // the report component every window prints through

    TSettings settings;
    DriveMap drives;

    // --- process-wide values ---
    bool newAnnouncement = false;
    int announcementFilterMode = afmNone;
    int runDateFilterMode = rdmByAnnouncement;
    // The search text in Windows-1251, upper-cased (set by the search box).
    std::string searchTextUpper;
    // Day numbers the filters compare with; 0 when not set. The period report and the
    // realty export set their intervals, the output window its day.
    int32_t periodFrom = 0, periodTo = 0;
    int32_t realtyFrom = 0, realtyTo = 0;
    int32_t outputDay = 0;

    // Sets the search text (as typed) and refilters the announcements and their run days.
    void search(const QString& text);
    // Rebuilds the run-date view for the announcement current now, unless it already
    // shows exactly that.
    void followCurrentAnnouncement();
    // Writes a table to its own file; the file then holds what the table holds.
    void saveTable(dorod::TDorodTable& table);

private:
    void tDataFilterRecord(dorod::TDataSet& dataSet, bool& accept);
    void tDatesFilterRecord(dorod::TDataSet& dataSet, bool& accept);
    void tRieltFilterRecord(dorod::TDataSet& dataSet, bool& accept);
    void openTable(dorod::TDorodTable& table, const TTableDefinition& definition);
    // The id of tData's current announcement; none without one.
    std::optional<int64_t> currentAnnouncementId() const;

    ProgramFolder m_folder;
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
        int mode = -1;
        std::optional<int64_t> followedId;
        int32_t outputDay = 0;
        bool operator==(const RunDateViewKey&) const = default;
    };
    RunDateViewKey currentRunDateViewKey() const;
    RunDateViewKey m_runDateViewKey;
};

} // namespace vornelta
