#include "desk/Desk.h"

#include "pgstore/PgConnection.h"
#include "pgstore/PgDeskTables.h"
#include "platform/TextCodec.h"
#include "reports/engine/Report.h"
#include "storage/Win1251.h"
#include "tables/AnnouncementTables.h"
#include "tables/RealtyTables.h"

#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <vector>

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
    const QString url = databaseUrl();
    if (url.isEmpty()) {
        openTable(tData, announcementTable());
        openTable(tDates, runDateTable());
        openTable(tRielt, realtyTable());
    } else {
        std::string message;
        m_database = pgstore::PgDeskTables::connect(url.toStdString(), message);
        if (!m_database)
            throw std::runtime_error(QStringLiteral("Не удалось подключиться к базе данных: %1")
                                         .arg(QString::fromStdString(message).trimmed())
                                         .toStdString());
        m_database->attach(tData, tDates, tRielt);
        m_database->settleTable = [this](dorod::TDorodTable& table) { settleSavedTable(table); };
        // Read as of one moment: a save another counter commits meanwhile shows in all three
        // tables or in none, so a new announcement's number is never proposed from data
        // while dates already holds that number's run days.
        const pgstore::PgReadMoment moment(m_database->connection());
        tData.Open();
        tDates.Open();
        tRielt.Open();
    }
    // The transfer file's layout is the workstation's own, in the folder either way.
    openTable(tRieltOut, realtyOutTable());

    const auto reader = [](dorod::TDorodTable& table, const char* name) {
        const dorod::TField* found = table.FindField(name);
        return found ? dorod::TFieldReader(*found) : dorod::TFieldReader();
    };
    m_dataId = reader(tData, field::kId);
    m_dataText = reader(tData, field::kText);
    m_dataIndate = reader(tData, field::kIndate);
    m_datesId = reader(tDates, field::kId);
    m_datesDate = reader(tDates, field::kDate);
    m_rieltDate = reader(tRielt, field::kDate);
    tDates.SetFiltered(true);
}

void TDesk::close() {
    for (dorod::TDorodTable* table : {&tRieltOut, &tRielt, &tDates, &tData})
        table->Close();
    m_dataId = m_dataText = m_dataIndate = m_datesId = m_datesDate = m_rieltDate = {};
    m_database.reset();
}

QString TDesk::databaseUrl() const {
    return m_givenDatabaseUrl.isEmpty() ? settings.DatabaseUrl : m_givenDatabaseUrl;
}

Result TDesk::saveSettings() {
    return SaveConfig(configPath(), settings, &drives);
}

Result TDesk::replaceSettings(const TSettings& newSettings, const DriveMap& newDrives) {
    if (const Result saved = SaveConfig(configPath(), newSettings, &newDrives); !saved)
        return saved;
    settings = newSettings;
    drives = newDrives;
    return {};
}

QDate TDesk::today() const {
    return m_clock ? m_clock() : QDate::currentDate();
}

TReport& TDesk::newReport() {
    m_report = std::make_unique<TReport>();
    return *m_report;
}

TReport& TDesk::report() {
    if (!m_report) m_report = std::make_unique<TReport>();
    return *m_report;
}

// ------------------------------------------------------------------- filters

// The handlers read the record under test through the field readers of their own table.

void TDesk::tDataFilterRecord(dorod::TDataSet&, bool& accept) {
    const AnnouncementView& view = m_announcements;
    switch (view.mode) {
    case AnnouncementFilter::Search:
        accept = m_dataText.Bound() &&
                 dorod::win1251::containsUpperCased(m_dataText.Text(), view.searchUpper);
        break;
    case AnnouncementFilter::Period: {
        const int32_t day = m_dataIndate.DayNumber();
        accept = day >= view.from && day <= view.to;
        break;
    }
    case AnnouncementFilter::One:
        accept = m_dataId.Bound() && m_dataId.Integer() == view.id;
        break;
    case AnnouncementFilter::None:
        accept = true;
        break;
    }
}

void TDesk::tDatesFilterRecord(dorod::TDataSet&, bool& accept) {
    switch (m_runDates.mode) {
    case RunDateFilter::OutputDay:
        accept = m_datesDate.Bound() && m_datesDate.DayNumber() == m_runDates.day;
        break;
    case RunDateFilter::ByAnnouncement:
        // Each build of the view compares with the announcement current when it began.
        if (m_followedForViewGeneration != tDates.ViewGeneration()) {
            m_followedId = currentAnnouncementId();
            m_followedForViewGeneration = tDates.ViewGeneration();
        }
        accept = m_followedId && m_datesId.Bound() && m_datesId.Integer() == *m_followedId;
        break;
    }
}

void TDesk::tRieltFilterRecord(dorod::TDataSet&, bool& accept) {
    // Whole days are compared, whether the date is kept as a date or a date and time.
    const int32_t day = m_rieltDate.DayNumber();
    accept = m_rieltDate.Bound() && day >= m_realtyFrom && day <= m_realtyTo;
}

std::optional<int64_t> TDesk::currentAnnouncementId() const {
    if (!tData.Active() || !m_dataId.Bound() || !tData.CurrentEntry()) return std::nullopt;
    return m_dataId.Integer();
}

// ------------------------------------------------------------------- the search box

void TDesk::search(const QString& text) {
    AnnouncementView& view = m_announcements;
    const bool wasSearching = view.mode == AnnouncementFilter::Search && tData.Filtered();
    const std::string previous = view.searchUpper;
    view.mode = AnnouncementFilter::Search;
    bool ok = true;
    view.searchUpper = dorod::win1251::toUpper(fromQt(text, &ok));
    // A character the tables cannot hold matches no text.
    if (!ok) view.searchUpper = std::string("\0\0", 2);
    // A text that only grew can match only rows shown now, unless a record changed (an
    // edit elsewhere may have put the text into a hidden row) or someone rebuilt the view.
    const dorod::TDorodCursor* store = tData.Store();
    const bool unchanged = store && store->Generation() == m_searchStoreGeneration &&
                           tData.ViewGeneration() == m_searchViewGeneration;
    const bool extended = wasSearching && unchanged && ok && !text.isEmpty() && !previous.empty() &&
                          previous.find('\0') == std::string::npos &&
                          view.searchUpper.size() > previous.size() &&
                          view.searchUpper.compare(0, previous.size(), previous) == 0;
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
    std::optional<std::vector<dorod::TDorodRecordEntry*>> few;
    if (m_runDates.mode == RunDateFilter::ByAnnouncement)
        if (const std::optional<int64_t> id = currentAnnouncementId())
            few = runDatesThatMayHold(*id);
    if (few)
        tDates.FilterAmong(*few);
    else
        tDates.SetFiltered(true);
    m_runDateViewKey = currentRunDateViewKey();
}

std::optional<std::vector<dorod::TDorodRecordEntry*>> TDesk::runDatesThatMayHold(int64_t id) {
    const dorod::TDorodCursor* store = tDates.Store();
    const int idField = store ? store->FieldIndex(field::kId) : -1;
    if (idField < 0) return std::nullopt;
    const dorod::TDorodField& ids = *store->Field(idField);
    const std::vector<dorod::TDorodRecordEntry*>& entries = store->Entries();
    RunDateNumbers& seen = m_runDateNumbers;
    // Learnt again when values may have changed; a long tail is taken in too (a pass over
    // it only), so that it stays short.
    constexpr size_t kLongTail = 4096;
    const bool stale =
        seen.editGeneration != store->EditGeneration() || seen.entriesSeen > entries.size();
    if (stale || entries.size() - seen.entriesSeen > kLongTail) {
        if (stale) seen = {store->EditGeneration(), 0, 0};
        for (size_t i = seen.entriesSeen; i < entries.size(); ++i)
            seen.highest =
                std::max(seen.highest, dorod::record::getInteger(entries[i]->data(), ids));
        seen.entriesSeen = entries.size();
    }
    if (id <= seen.highest) return std::nullopt;
    return std::vector<dorod::TDorodRecordEntry*>(
        entries.begin() + std::ptrdiff_t(seen.entriesSeen), entries.end());
}

TDesk::RunDateViewKey TDesk::currentRunDateViewKey() const {
    const dorod::TDorodCursor* store = tDates.Store();
    const bool byAnnouncement = m_runDates.mode == RunDateFilter::ByAnnouncement;
    return {store ? store->Generation() : 0,
            tDates.ViewGeneration(),
            m_runDates.mode,
            byAnnouncement ? currentAnnouncementId() : std::nullopt,
            byAnnouncement ? 0 : m_runDates.day,
            true};
}

// ------------------------------------------------------------------- scoped views

DeskScope TDesk::announcement(int id) {
    const AnnouncementView saved = m_announcements;
    const bool wasFiltered = tData.Filtered();
    m_announcements.mode = AnnouncementFilter::One;
    m_announcements.id = id;
    DeskScope scope([this, saved, wasFiltered, id] {
        m_announcements = saved;
        tData.SetFiltered(wasFiltered);
        // The list stays on the announcement when it still shows it.
        tData.Locate(field::kId, {std::to_string(id)});
        followCurrentAnnouncement();
    });
    tData.SetFiltered(true);
    followCurrentAnnouncement();
    return scope;
}

DeskScope TDesk::announcementsInPeriod(int32_t from, int32_t to) {
    m_announcements.mode = AnnouncementFilter::Period;
    m_announcements.from = from;
    m_announcements.to = to;
    DeskScope scope([this] {
        // A period shown ends with every announcement shown, the search included.
        m_announcements.mode = AnnouncementFilter::None;
        tData.SetFiltered(false);
        followCurrentAnnouncement();
    });
    tData.SetFiltered(true);
    return scope;
}

DeskScope TDesk::runDatesIn(RunDateFilter mode, int32_t day) {
    const RunDateView saved = m_runDates;
    m_runDates = {mode, day};
    DeskScope scope([this, saved] {
        m_runDates = saved;
        // A day's view held further out is shown again at once. The run days of the current
        // announcement are rebuilt by their next reader instead: every one of them follows
        // the current announcement first, which sees the view was built for another mode,
        // and no grid shows them, so a day's fill does not pay for a pass over every run
        // date that nobody may read.
        if (saved.mode != RunDateFilter::ByAnnouncement) followCurrentAnnouncement();
    });
    followCurrentAnnouncement();
    return scope;
}

DeskScope TDesk::runDatesOfDay(int32_t day) {
    return runDatesIn(RunDateFilter::OutputDay, day);
}

DeskScope TDesk::runDatesOfCurrentAnnouncement() {
    return runDatesIn(RunDateFilter::ByAnnouncement, 0);
}

DeskScope TDesk::realtyRowsInPeriod(int32_t from, int32_t to) {
    m_realtyFrom = from;
    m_realtyTo = to;
    DeskScope scope([this] { tRielt.SetFiltered(false); });
    tRielt.SetFiltered(true);
    return scope;
}

// ------------------------------------------------------------------- writing

namespace {

// The engine's reason for a file that could not be written.
std::optional<QString> writeFile(dorod::TDorodTable& table) {
    try {
        table.SaveToFile(table.TablePath());
        return std::nullopt;
    } catch (const dorod::EDatabaseError& e) {
        return toQt(e.what());
    }
}

QString fileNameOf(const dorod::TDorodTable& table) {
    return QFileInfo(toQt(table.TablePath())).fileName();
}

} // namespace

Result TDesk::saveTables(std::initializer_list<dorod::TDorodTable*> tables) {
    m_renumbered.clear();
    const Result saved = m_database ? saveToDatabase() : saveToFiles(tables);
    if (saved) {
        m_lastSaveProblem = SaveProblem::None;
        // What another counter saved meanwhile is read now that nothing is pending here.
        if (m_othersSavedMeanwhile) refreshQuietly();
    } else if (m_lastSaveProblem == SaveProblem::None) {
        m_lastSaveProblem = SaveProblem::Refused;
    }
    return saved;
}

Result TDesk::saveToFiles(std::initializer_list<dorod::TDorodTable*> tables) {
    std::vector<dorod::TDorodTable*> written;
    for (dorod::TDorodTable* table : tables) {
        const std::optional<QString> error = writeFile(*table);
        if (!error) {
            written.push_back(table);
            continue;
        }
        // Back to what the files held: the changes go, and the files already written get
        // the tables' saved state again.
        for (auto it = std::rbegin(tables); it != std::rend(tables); ++it)
            (*it)->CancelChanges();
        QStringList names;
        for (const dorod::TDorodTable* t : tables)
            names << fileNameOf(*t);
        const QString failed =
            QStringLiteral("Не удалось записать файл %1: %2\n").arg(fileNameOf(*table), *error);
        QStringList notRestored;
        QString restoreError;
        for (dorod::TDorodTable* t : written)
            if (const std::optional<QString> e = writeFile(*t)) {
                notRestored << fileNameOf(*t);
                restoreError = *e;
            }
        if (notRestored.isEmpty())
            return Result::failed(failed + QStringLiteral("Изменения не сохранены, файлы %1 "
                                                          "не изменены.")
                                               .arg(names.join(QStringLiteral(", "))));
        return Result::failed(failed + QStringLiteral("Изменения уже записаны в %1, а в %2 — нет "
                                                      "(вернуть прежний файл не удалось: %3). "
                                                      "Сохраните ещё раз.")
                                           .arg(notRestored.join(QStringLiteral(", ")),
                                                fileNameOf(*table), restoreError));
    }
    // The files now hold what the tables hold.
    for (dorod::TDorodTable* table : tables)
        settleSavedTable(*table);
    return {};
}

void TDesk::settleSavedTable(dorod::TDorodTable& table) {
    // The operation changed the run days of the current announcement through their own
    // view (built for it, and kept right by the posts and deletes): that view still shows
    // them, and is kept rather than built again over every run date.
    const bool runDaysShown =
        m_runDates.mode == RunDateFilter::ByAnnouncement && m_runDateViewKey.built &&
        m_runDateViewKey.mode == RunDateFilter::ByAnnouncement &&
        m_runDateViewKey.viewGeneration == tDates.ViewGeneration() &&
        m_runDateViewKey.followedId == currentAnnouncementId() && tDates.Filtered();
    if (&table == &tDates && runDaysShown) {
        tDates.ApplyChangesKeepingView();
        m_runDateViewKey = currentRunDateViewKey();
        return;
    }
    table.ApplyChanges();
}

void TDesk::dropUnsavedChanges() {
    for (dorod::TDorodTable* table : {&tRielt, &tDates, &tData})
        if (table->Active()) table->CancelChanges();
}

Result TDesk::saveToDatabase() {
    m_lastSaveProblem = SaveProblem::None;
    if (m_database->commitUnknown()) {
        // An earlier save was given up while its commit was not known. Settling it reads
        // the tables again when it went through, which would drop this operation's changes
        // unseen: they are dropped here, openly, and saved again by the operator.
        dropUnsavedChanges();
        m_lastSaveProblem = SaveProblem::ConnectionLost;
        std::string message;
        if (!m_database->reconnect(message))
            return Result::failed(
                QStringLiteral("Нет связи с базой данных, изменения не сохранены: %1")
                    .arg(QString::fromStdString(message).trimmed()));
        const auto settled = m_database->takeSettledSave();
        if (settled && settled->committed)
            // Saving again would save the same announcement twice.
            return Result::failed(QStringLiteral(
                "Связь с базой данных восстановлена: прерванное сохранение прошло, изменения "
                "уже в базе данных (список обновлён). Сохранять их ещё раз не нужно."));
        return Result::failed(QStringLiteral("Связь с базой данных восстановлена: прерванное "
                                             "сохранение не прошло. Эти изменения ещё не "
                                             "сохранены: сохраните их ещё раз."));
    }
    for (;;) {
        const pgstore::PgSaveResult result = m_database->saveOperation(databaseSaveHooks);
        const QString detail = QString::fromStdString(result.message).trimmed();
        switch (result.status) {
        case pgstore::PgSaveStatus::Saved:
            m_renumbered = result.renumbered;
            return {};
        case pgstore::PgSaveStatus::Conflict:
            // Nothing is overwritten: the operator looks at the other counter's version
            // (F5) and makes the change again.
            m_lastSaveProblem = SaveProblem::Conflict;
            dropUnsavedChanges();
            return Result::failed(QStringLiteral("Изменено на другом рабочем месте, пока было "
                                                 "открыто здесь: изменения не сохранены. "
                                                 "Обновите список (F5) и внесите их снова.\n(%1)")
                                      .arg(detail));
        case pgstore::PgSaveStatus::Failed:
            m_lastSaveProblem = SaveProblem::Refused;
            dropUnsavedChanges();
            return Result::failed(
                QStringLiteral("База данных не приняла изменения, ничего не сохранено: %1")
                    .arg(detail));
        case pgstore::PgSaveStatus::ConnectionLost:
        case pgstore::PgSaveStatus::CommitUnknown:
            break;
        }
        m_lastSaveProblem = SaveProblem::ConnectionLost;
        QString lost =
            result.status == pgstore::PgSaveStatus::ConnectionLost
                ? QStringLiteral("Связь с базой данных потеряна, изменения не сохранены.")
                : QStringLiteral("Связь с базой данных потеряна во время записи: сохранены "
                                 "ли изменения, станет известно после подключения.");
        lost += QStringLiteral("\n(%1)").arg(detail);
        // The tables keep their changes while the operator retries.
        while (askToRetry && askToRetry(lost + QStringLiteral("\nПовторить?"))) {
            std::string message;
            if (m_database->reconnect(message)) {
                // The save whose commit was not known went through: the tables now hold
                // it as saved (read again), under the numbers it was saved with.
                const auto settled = m_database->takeSettledSave();
                if (settled && settled->committed) {
                    m_renumbered = settled->renumbered;
                    return {};
                }
                lost.clear();
                break;
            }
            lost = QStringLiteral("Нет связи с базой данных: %1")
                       .arg(QString::fromStdString(message).trimmed());
        }
        if (!lost.isEmpty()) {
            // Given up: the tables hold what was read, the form what was typed. A save
            // whose commit is not known is settled at the next save's reconnect.
            dropUnsavedChanges();
            return Result::failed(lost);
        }
    }
}

int32_t TDesk::savedNumber(int32_t proposed) const {
    for (const auto& [asked, saved] : m_renumbered)
        if (asked == proposed) return saved;
    return proposed;
}

bool TDesk::databaseOutOfReach() const {
    return m_database && !m_database->connection().connected();
}

int TDesk::othersSavesSocket() const {
    return m_database ? m_database->socket() : -1;
}

bool TDesk::followOthersSaves() {
    if (!m_database) return false;
    if (!m_database->connection().connected() && !reconnectWhileIdle()) return false;
    if (m_database->othersSaved()) m_othersSavedMeanwhile = true;
    if (!m_othersSavedMeanwhile) return false;
    // Reading the tables again would save what is pending; it waits for the save.
    for (const dorod::TDorodTable* table : {&tData, &tDates, &tRielt})
        if (table->Active() &&
            (table->HasChanges() || table->State() != dorod::TDataSetState::dsBrowse))
            return false;
    return refreshQuietly();
}

bool TDesk::reconnectWhileIdle() {
    // A save whose commit is not known is settled by the next save, which says so.
    if (m_database->commitUnknown()) return false;
    // Tried now and then, not at every look: an unreachable server may take seconds to
    // refuse, and the window waits meanwhile. Each failed try doubles the pause, up to a
    // minute.
    constexpr qint64 kFirstPauseMs = 5000, kLongestPauseMs = 60000;
    if (m_lastIdleReconnect.isValid() && m_lastIdleReconnect.elapsed() < m_idleReconnectPauseMs)
        return false;
    m_lastIdleReconnect.start();
    std::string message;
    if (!m_database->reconnect(message)) {
        m_idleReconnectPauseMs =
            std::clamp(2 * m_idleReconnectPauseMs, kFirstPauseMs, kLongestPauseMs);
        return false;
    }
    m_idleReconnectPauseMs = 0;
    // What the others saved while the connection was down was never announced here.
    m_othersSavedMeanwhile = true;
    return true;
}

bool TDesk::refreshQuietly() {
    try {
        refreshTables();
        return true;
    } catch (...) {
        // A view that cannot be rebuilt now (a report holds a copy of a table, the
        // database does not answer): the next look tries again; the save stands.
        m_othersSavedMeanwhile = true;
        return false;
    }
}

Result TDesk::reachDatabase() {
    if (!m_database) return {};
    std::string message;
    if (m_database->connection().exec("SELECT 1", message)) return {};
    if (m_database->reconnect(message)) return {};
    return Result::failed(QStringLiteral("Нет связи с базой данных: %1")
                              .arg(QString::fromStdString(message).trimmed()));
}

void TDesk::refreshTables() {
    if (!tData.Active()) return;
    const std::optional<int64_t> current = currentAnnouncementId();
    {
        std::optional<pgstore::PgReadMoment> moment;
        if (m_database) moment.emplace(m_database->connection());
        for (dorod::TDorodTable* table : {&tData, &tDates, &tRielt})
            table->Refresh();
    }
    m_othersSavedMeanwhile = false;
    if (current) tData.Locate(field::kId, {std::to_string(*current)});
}

} // namespace vornelta
