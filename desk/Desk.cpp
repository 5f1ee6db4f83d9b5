#include "desk/Desk.h"

#include "tables/AnnouncementTables.h"
#include "storage/DorodDate.h"
#include "storage/DorodRecord.h"
#include "tables/RealtyTables.h"
#include "platform/TextCodec.h"
#include "storage/Win1251.h"

#include <QFileInfo>

namespace vornelta {

TDesk::TDesk(ProgramFolder folder) : m_folder(std::move(folder)) {
    tData.Name = "tData";
    tDates.Name = "tDates";
    tRielt.Name = "tRielt";
    tRieltOut.Name = "tRieltOut";
    tData.OnFilterRecord = [this](dorod::TDataSet& d, bool& accept) { tDataFilterRecord(d, accept); };
    tDates.OnFilterRecord = [this](dorod::TDataSet& d, bool& accept) { tDatesFilterRecord(d, accept); };
    tRielt.OnFilterRecord = [this](dorod::TDataSet& d, bool& accept) { tRieltFilterRecord(d, accept); };
}

TDesk::~TDesk() { close(); }

void TDesk::openTable(dorod::TDorodTable& table, const QString& fileName,
                      const std::vector<dorod::TFieldDef>& defs) {
    const QString path = m_folder.file(fileName);
    // A table missing at first start is created empty with its fields.
    if (!QFileInfo::exists(path)) {
        QString error;
        if (!createTableFile(path, defs, &error))
            throw dorod::EDatabaseError(fromQt(error));
    }
    table.SetTableName(fromQt(path));
    table.Open();
}

void TDesk::open() {
    LoadConfig(configPath(), settings, &drives);
    openTable(tData, QStringLiteral("data.d"), announcementFieldDefs());
    openTable(tDates, QStringLiteral("dates.d"), runDateFieldDefs());
    openTable(tRielt, QStringLiteral("rielt.d"), realtyFieldDefs());
    openTable(tRieltOut, QStringLiteral("rielt_out.d"), realtyOutFieldDefs());

    const auto find = [](dorod::TDorodTable& table, const char* name) {
        return static_cast<const dorod::TDorodField*>(table.Store()->FindField(name));
    };
    m_textField = find(tData, "text");
    m_indateField = find(tData, "indate");
    m_dateIdField = find(tDates, "id");
    m_dateDateField = find(tDates, "date");
    m_rieltDateField = find(tRielt, "date");
    tDates.SetFiltered(true);
}

void TDesk::close() {
    for (dorod::TDorodTable* table : {&tRieltOut, &tRielt, &tDates, &tData}) table->Close();
    m_textField = m_indateField = m_dateIdField = m_dateDateField = m_rieltDateField = nullptr;
}

bool TDesk::saveSettings(QString* error) { return SaveConfig(configPath(), settings, &drives, error); }

// ------------------------------------------------------------------- filters

void TDesk::tDataFilterRecord(dorod::TDataSet& dataSet, bool& accept) {
    const uint8_t* rec = dataSet.ActiveRecord();
    switch (announcementFilterMode) {
    case afmSearch:
        accept = rec && m_textField &&
                 dorod::win1251::containsUpperCased(dorod::record::getText(rec, *m_textField), searchTextUpper);
        break;
    case afmPeriod: {
        const int32_t day = rec && m_indateField ? dorod::record::getInt32(rec, *m_indateField) : 0;
        accept = day >= periodFrom && day <= periodTo;
        break;
    }
    default:
        accept = true;
        break;
    }
}

void TDesk::tDatesFilterRecord(dorod::TDataSet& dataSet, bool& accept) {
    const uint8_t* rec = dataSet.ActiveRecord();
    switch (runDateFilterMode) {
    case rdmOutputDay:
        accept = rec && m_dateDateField && dorod::record::getInt32(rec, *m_dateDateField) == outputDay;
        break;
    case rdmByAnnouncement:
        accept = rec && m_dateIdField && m_followedId != 0 &&
                 dorod::record::getInt32(rec, *m_dateIdField) == m_followedId;
        break;
    default:
        accept = true;
        break;
    }
}

void TDesk::tRieltFilterRecord(dorod::TDataSet& dataSet, bool& accept) {
    const uint8_t* rec = dataSet.ActiveRecord();
    if (!rec || !m_rieltDateField) {
        accept = false;
        return;
    }
    // Whole days are compared, whether the date is kept as a date or a date and time.
    const dorod::TDorodField& f = *m_rieltDateField;
    const int64_t day = f.type == dorod::FieldType::DateTime
                            ? int64_t(dorod::record::getDouble(rec, f) / double(dorod::kMsPerDay))
                            : dorod::record::getInt32(rec, f);
    accept = day >= realtyFrom && day <= realtyTo;
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
    // A text that only grew can match only rows shown now: just those are searched.
    const bool extended = wasSearching && ok && !text.isEmpty() && !previous.empty() &&
                          previous.find('\0') == std::string::npos &&
                          searchTextUpper.size() > previous.size() &&
                          searchTextUpper.compare(0, previous.size(), previous) == 0;
    if (extended)
        tData.RefilterView();
    else
        tData.SetFiltered(!text.isEmpty());
    followCurrentAnnouncement();
}

void TDesk::followCurrentAnnouncement() {
    dorod::TField* id = tData.Active() ? tData.FindField("id") : nullptr;
    m_followedId = id && tData.CurrentEntry() ? id->AsInteger() : 0;
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
            m_followedId, outputDay};
}

void TDesk::saveTable(dorod::TDorodTable& table) {
    table.SaveToFile(table.TablePath());
    // The file now holds what the table holds.
    table.ApplyChanges();
}

bool TDesk::deleteCurrentAnnouncement() {
    if (!tData.Active() || !tData.CurrentEntry()) return false;
    const int savedMode = runDateFilterMode;
    runDateFilterMode = rdmByAnnouncement;
    followCurrentAnnouncement();
    tDates.DisableControls();
    try {
        while (tDates.RecordCount() > 0) {
            tDates.First();
            tDates.Delete();
        }
    } catch (...) {
        tDates.EnableControls();
        runDateFilterMode = savedMode;
        throw;
    }
    tDates.EnableControls();
    tData.Delete();
    saveTable(tDates);
    saveTable(tData);
    runDateFilterMode = savedMode;
    followCurrentAnnouncement();
    return true;
}

} // namespace vornelta
