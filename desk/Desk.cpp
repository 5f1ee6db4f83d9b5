#include "desk/Desk.h"

#include "platform/TextCodec.h"
#include "storage/Win1251.h"
#include "tables/AnnouncementTables.h"
#include "tables/RealtyTables.h"

#include <QFileInfo>

namespace vornelta {

TDesk::TDesk(ProgramFolder folder) : m_folder(std::move(folder)) {
    tData.Name = announcementTable().componentName;
    tDates.Name = runDateTable().componentName;
    tRielt.Name = realtyTable().componentName;
    tRieltOut.Name = realtyOutTable().componentName;
    // Every save keeps the file it replaces as ".~d": the last good copy a damaged table
    // file can be opened from (desk/DamagedTable).
    for (dorod::TDorodTable* table : {&tData, &tDates, &tRielt})
        table->SaveOptions = dorod::savAutoBackup;
    tData.OnFilterRecord = [this](dorod::TDataSet& d, bool& accept) {
        tDataFilterRecord(d, accept);
    };
    tDates.OnFilterRecord = [this](dorod::TDataSet& d, bool& accept) {
        tDatesFilterRecord(d, accept);
    };
    tRielt.OnFilterRecord = [this](dorod::TDataSet& d, bool& accept) {
        tRieltFilterRecord(d, accept);
    };
}

TDesk::~TDesk() {
    close();
}

void TDesk::openTable(dorod::TDorodTable& table, const TTableDefinition& definition) {
    const QString path = m_folder.file(QString::fromStdString(definition.fileName));
    // A table missing at first start is created empty with its fields.
    if (!QFileInfo::exists(path)) {
        QString error;
        if (!createTableFile(path, definition.fields, &error))
            throw dorod::EDatabaseError(fromQt(error));
    }
    table.SetTableName(fromQt(path));
    table.Open();
}

void TDesk::open() {
    LoadConfig(configPath(), settings, &drives);
    openTable(tData, announcementTable());
    openTable(tDates, runDateTable());
    openTable(tRielt, realtyTable());
    openTable(tRieltOut, realtyOutTable());

    const auto reader = [](dorod::TDorodTable& table, const char* name) {
        const dorod::TField* field = table.FindField(name);
        return field ? dorod::TFieldReader(*field) : dorod::TFieldReader();
    };
    m_dataId = reader(tData, "id");
    m_dataText = reader(tData, "text");
    m_dataIndate = reader(tData, "indate");
    m_datesId = reader(tDates, "id");
    m_datesDate = reader(tDates, "date");
    m_rieltDate = reader(tRielt, "date");
    tDates.SetFiltered(true);
}

void TDesk::close() {
    for (dorod::TDorodTable* table : {&tRieltOut, &tRielt, &tDates, &tData})
        table->Close();
    m_dataId = m_dataText = m_dataIndate = m_datesId = m_datesDate = m_rieltDate = {};
}

bool TDesk::saveSettings(QString* error) {
    return SaveConfig(configPath(), settings, &drives, error);
}

bool TDesk::replaceSettings(const TSettings& newSettings, const DriveMap& newDrives,
                            QString* error) {
    if (!SaveConfig(configPath(), newSettings, &newDrives, error)) return false;
    settings = newSettings;
    drives = newDrives;
    return true;
}

// ------------------------------------------------------------------- filters

// The handlers read the record under test through the field readers of their own table.

void TDesk::tDataFilterRecord(dorod::TDataSet&, bool& accept) {
    switch (announcementFilterMode) {
    case afmSearch:
        accept = m_dataText.Bound() &&
                 dorod::win1251::containsUpperCased(m_dataText.Text(), searchTextUpper);
        break;
    case afmPeriod: {
        const int32_t day = m_dataIndate.DayNumber();
        accept = day >= periodFrom && day <= periodTo;
        break;
    }
    default:
        accept = true;
        break;
    }
}

void TDesk::tDatesFilterRecord(dorod::TDataSet&, bool& accept) {
    switch (runDateFilterMode) {
    case rdmOutputDay:
        accept = m_datesDate.Bound() && m_datesDate.DayNumber() == outputDay;
        break;
    case rdmByAnnouncement:
        // Each build of the view compares with the announcement current when it began.
        if (m_followedForViewGeneration != tDates.ViewGeneration()) {
            m_followedId = currentAnnouncementId();
            m_followedForViewGeneration = tDates.ViewGeneration();
        }
        accept = m_followedId && m_datesId.Bound() && m_datesId.Integer() == *m_followedId;
        break;
    default:
        accept = true;
        break;
    }
}

void TDesk::tRieltFilterRecord(dorod::TDataSet&, bool& accept) {
    // Whole days are compared, whether the date is kept as a date or a date and time.
    const int32_t day = m_rieltDate.DayNumber();
    accept = m_rieltDate.Bound() && day >= realtyFrom && day <= realtyTo;
}

std::optional<int64_t> TDesk::currentAnnouncementId() const {
    if (!tData.Active() || !m_dataId.Bound() || !tData.CurrentEntry()) return std::nullopt;
    return m_dataId.Integer();
}

// ------------------------------------------------------------------- commands

void TDesk::search(const QString& text) {
    const bool wasSearching = announcementFilterMode == afmSearch && tData.Filtered();
    const std::string previous = searchTextUpper;
    announcementFilterMode = afmSearch;
    bool ok = true;
    searchTextUpper = dorod::win1251::toUpper(fromQt(text, &ok));
    // A character the tables cannot hold matches no text.
    if (!ok) searchTextUpper = std::string("\0\0", 2);
    // A text that only grew can match only rows shown now, unless a record changed (an
    // edit elsewhere may have put the text into a hidden row) or someone rebuilt the view.
    const dorod::TDorodCursor* store = tData.Store();
    const bool unchanged = store && store->Generation() == m_searchStoreGeneration &&
                           tData.ViewGeneration() == m_searchViewGeneration;
    const bool extended = wasSearching && unchanged && ok && !text.isEmpty() && !previous.empty() &&
                          previous.find('\0') == std::string::npos &&
                          searchTextUpper.size() > previous.size() &&
                          searchTextUpper.compare(0, previous.size(), previous) == 0;
    if (extended)
        tData.RefilterView();
    else
        tData.SetFiltered(!text.isEmpty());
    m_searchStoreGeneration = store ? store->Generation() : 0;
    m_searchViewGeneration = tData.ViewGeneration();
    followCurrentAnnouncement();
}

void TDesk::followCurrentAnnouncement() {
    // Rebuilding walks every run date; most keystrokes leave the same announcement
    // current, and then the view already shows its run days.
    const RunDateViewKey key = currentRunDateViewKey();
    if (tDates.Active() && tDates.Filtered() && key == m_runDateViewKey) return;
    tDates.SetFiltered(true);
    m_runDateViewKey = currentRunDateViewKey();
}

TDesk::RunDateViewKey TDesk::currentRunDateViewKey() const {
    const dorod::TDorodCursor* store = tDates.Store();
    return {store ? store->Generation() : 0, tDates.ViewGeneration(), runDateFilterMode,
            runDateFilterMode == rdmByAnnouncement ? currentAnnouncementId() : std::nullopt,
            outputDay};
}

void TDesk::saveTable(dorod::TDorodTable& table) {
    table.SaveToFile(table.TablePath());
    // The file now holds what the table holds.
    table.ApplyChanges();
}

} // namespace vornelta
