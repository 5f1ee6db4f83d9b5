// The desk's two homes side by side on the large demo folder (200 000 announcements,
// 2 000 000 run dates): the folder of .d files, and a PostgreSQL database holding the same
// rows, imported from that folder by the import `dorod pg-import` runs. Each figure is a
// pair, …/Folder and …/Database, measured in one run:
//
//   Open/*               TDesk::open of the three tables (and config.INI, rielt_out.d);
//                        destruction untimed. Target on the database <= 2 s.
//   Save/*               saveAnnouncement of a new announcement with five run days, the
//                        entry form's save: on the folder data.d and dates.d written whole,
//                        on the database one transaction with the changed rows. Target on
//                        the database <= 20 ms. The row is deleted again (untimed), so the
//                        tables do not grow from one iteration to the next.
//   Keystroke/<text>/*   one keystroke in the main window's search box, as bench_desk:
//                        eTextForFind's text set (TDesk::search, the grid model reset);
//                        the box's previous text set outside the timed part.
//                        Target <= 30 ms.
//   FillDay/*            the output window's "Заполнить" for one broadcast day: the
//                        search box cleared, then fillDayList (as bench_desk and
//                        bench_output). Between fills the run-date view is put back on
//                        the current announcement (untimed), so that each fill builds
//                        the day's view over 2 000 000 rows. Target <= 50 ms.
//   MonthTotals/*        computePeriodTotals for the last 30 intake days, as bench_period.
//                        Target <= 20 ms.
//   FollowOthersSave/*   a second desk on the same home saves a new announcement (untimed);
//                        timed: the measured desk catching up until it shows the row. On
//                        the database that is followOthersSaves() called (waiting on its
//                        socket between calls) until it reads what the other counter
//                        saved; on the folder, which has no notice of others' saves, it is
//                        refreshTables() (F5). The counter `calls` is the number of
//                        followOthersSaves() calls. The row is deleted again afterwards
//                        and followed away, untimed.
//
// Each benchmark checks what it measured (the rows shown, the number saved, the row
// followed) against the figures read from the folder at the start, and fails loudly when
// they differ; the database desk must also open with exactly the folder's rows.
//
// The database: VORNELTA_BENCH_PG_URL names a PostgreSQL cluster (a libpq URL of a
// database the bench may connect to and create databases from). The bench makes a
// database of its own there, imports the folder, and drops the database at the end.
// Without the variable it says so and exits with 2. bench/database-side-by-side.sh
// starts a throw-away cluster for one run.
//
// Options besides the usual --benchmark_* ones:
//   --workload_dir=DIR   use the demo folder in DIR, generating it there when it has no
//                        data.d, and keep it (saves made here are deleted again)
#include "app/DeleteAnnouncement.h"
#include "app/uVornelta.h"
#include "bench/BenchOptions.h"
#include "bench/BenchSummary.h"
#include "bench/BenchWindows.h"
#include "bench/LargeDemoFolder.h"
#include "desk/Desk.h"
#include "intake/Announcement.h"
#include "output/DayList.h"
#include "pgstore/PgConnection.h"
#include "pgstore/PgTransfer.h"
#include "platform/DayNumber.h"
#include "platform/Dialogs.h"
#include "platform/SystemLocale.h"
#include "platform/TextCodec.h"
#include "reports/PeriodTotals.h"
#include "storage/DorodRecord.h"
#include "storage/Win1251.h"
#include "tables/AnnouncementTables.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTableView>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <map>
#include <memory>
#include <poll.h>
#include <string>
#include <unistd.h>
#include <vector>

using vornelta::bench::pumpEvents;
using vornelta::bench::SilentDialogs;
using vornelta::bench::waitExposed;

namespace {

namespace fs = std::filesystem;
using namespace vornelta;

enum class Home { Folder, Database };
const Home kHomes[] = {Home::Folder, Home::Database};

const char* nameOf(Home home) {
    return home == Home::Folder ? "Folder" : "Database";
}

struct Fragment {
    const char* label;       // ASCII, for benchmark names
    const char* typed;       // what the operator typed (UTF-8 here)
    const char* before = ""; // the box's text before the keystroke
};

// As in bench_desk: part of a word, a room count, the first keystroke (the most hits),
// and a keystroke that extends the text.
const Fragment kFragments[] = {
    {"kvart", "кварт"}, {"2-komn", "2-комн"}, {"k", "к"}, {"kvar+t", "кварт", "квар"}};

// What the folder holds, read once at the start: what each benchmark must see.
struct Expected {
    int announcements = 0;
    int runDates = 0;
    std::map<std::string, int> searchRows; // by fragment label
    int dayRows = 0;
    int monthRows = 0;
    double monthMoney = 0;
};

struct World {
    QString folder;
    std::string databaseUrl;
    int32_t fillDay = 0;
    int32_t lastDay = 0;
    Expected expected;
    // The measured desk of each home, open for the whole run, and a second counter's
    // desk on the same home, made for FollowOthersSave.
    std::unique_ptr<TDesk> desks[2];
    std::unique_ptr<TDesk> otherDesks[2];
};
World* world = nullptr;

// Opens a desk on the workload folder; on the database home its tables come from the
// database (the folder keeps config.INI and rielt_out.d). Throws as TDesk::open does.
std::unique_ptr<TDesk> openDesk(Home home) {
    auto desk = std::make_unique<TDesk>(ProgramFolder(world->folder));
    if (home == Home::Database) desk->setDatabaseUrl(QString::fromStdString(world->databaseUrl));
    desk->open();
    return desk;
}

TDesk& measuredDesk(Home home) {
    return *world->desks[int(home)];
}

TDesk& otherDesk(Home home) {
    std::unique_ptr<TDesk>& desk = world->otherDesks[int(home)];
    if (!desk) desk = openDesk(home);
    return *desk;
}

std::string cp1251Upper(const char* utf8) {
    return dorod::win1251::toUpper(fromQt(QString::fromUtf8(utf8)));
}

// A new announcement as the entry form makes it, under the next free number.
TAnnouncement sampleAnnouncement(TDesk& desk, const QString& text) {
    TAnnouncement a;
    a.id = nextAnnouncementNumber(desk.tData, nullptr);
    a.indate = QDate(2026, 12, 9);
    a.client = QStringLiteral("ИВАНОВ ИВАН");
    a.clientCat = QStringLiteral("ФИЗЛИЦА");
    a.oplata = QStringLiteral("НАЛИЧНЫЙ");
    a.objCat = QStringLiteral("ПРОЧЕЕ");
    a.text = text;
    a.xml = QStringLiteral("<<16777215>>\r\n") + a.text;
    a.slov = 5;
    a.summa = 62.5;
    return a;
}

QList<int32_t> sampleRunDays() {
    const int32_t first = dayNumberOf(QDate(2026, 12, 10));
    return {first, first + 1, first + 2, first + 3, first + 4};
}

// Saves a new announcement with its five run days through the entry form's save; its
// number as saved (another counter may have taken the one proposed), or the refusal.
ValueResult<int32_t> saveNew(TDesk& desk, const QString& text) {
    const TAnnouncement a = sampleAnnouncement(desk, text);
    if (const Result r = saveAnnouncement(desk, a, sampleRunDays(), true); !r) return r;
    return desk.savedNumber(a.id);
}

// The live rows of one announcement in a desk's tables, counted straight from their
// records rather than through the desk's views, so that a view built wrongly does not
// decide what the tables hold.
struct RowsOf {
    int announcements = 0;
    int runDates = 0;
};

RowsOf rowsOf(TDesk& desk, int32_t number) {
    const auto count = [number](dorod::TDorodTable& table) {
        dorod::TDorodCursor& store = *table.Store();
        const dorod::TDorodField& id = *store.FindField(field::kId);
        int n = 0;
        for (const dorod::TDorodRecordEntry* entry : store.Entries())
            n += entry->isLive() && dorod::record::getInteger(entry->data(), id) == number;
        return n;
    };
    return {count(desk.tData), count(desk.tDates)};
}

// Whether the desk holds announcement `number` once, with its five run days, and its
// list can go to it.
bool holds(TDesk& desk, int32_t number) {
    const RowsOf rows = rowsOf(desk, number);
    return rows.announcements == 1 && rows.runDates == sampleRunDays().size() &&
           desk.tData.Locate(field::kId, {std::to_string(number)});
}

bool holdsNone(TDesk& desk, int32_t number) {
    const RowsOf rows = rowsOf(desk, number);
    return rows.announcements == 0 && rows.runDates == 0;
}

// Deletes announcement `number` and its run days, as "Удалить" does.
Result removeAnnouncement(TDesk& desk, int32_t number) {
    const DeskScope one = desk.announcement(number);
    if (desk.tData.RecordCount() != 1)
        return Result::failed(QStringLiteral("announcement %1 is not there").arg(number));
    return deleteCurrentAnnouncement(desk);
}

// The measured desk catching up with another counter's save: on the database,
// followOthersSaves() until it has read the tables again, waiting on the desk's socket
// between calls (at most 30 s in all); on the folder, refreshTables(). The number of
// followOthersSaves() calls in `calls`; false when the save never arrived.
bool followOthers(TDesk& desk, Home home, int& calls) {
    calls = 0;
    if (home == Home::Folder) {
        desk.refreshTables();
        return true;
    }
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        ++calls;
        if (desk.followOthersSaves()) return true;
        const qint64 left = 30000 - timer.elapsed();
        if (left <= 0) return false;
        // Short waits: what arrived may already sit in the connection's buffer, where the
        // socket no longer shows it.
        pollfd socket{desk.othersSavesSocket(), POLLIN, 0};
        ::poll(&socket, 1, int(std::min<qint64>(left, 5)));
    }
}

// ------------------------------------------------------------------ benchmarks

void BM_Open(benchmark::State& state, Home home) {
    for (auto _ : state) {
        std::unique_ptr<TDesk> desk;
        try {
            desk = openDesk(home);
        } catch (const std::exception& e) {
            state.SkipWithError(e.what());
            break;
        }
        state.PauseTiming();
        const bool same = desk->tData.Store()->LiveRecordCount() == world->expected.announcements &&
                          desk->tDates.Store()->LiveRecordCount() == world->expected.runDates;
        desk.reset();
        state.ResumeTiming();
        if (!same) {
            state.SkipWithError("the desk opened with other rows than the folder holds");
            break;
        }
    }
}

void BM_Save(benchmark::State& state, Home home) {
    TDesk& desk = measuredDesk(home);
    desk.search(QString());
    for (auto _ : state) {
        state.PauseTiming();
        const TAnnouncement a =
            sampleAnnouncement(desk, QStringLiteral("Продам гараж в центре города недорого"));
        state.ResumeTiming();
        const Result saved = saveAnnouncement(desk, a, sampleRunDays(), true);
        state.PauseTiming();
        if (!saved) {
            state.SkipWithError(qPrintable(saved.error()));
            break;
        }
        const int32_t number = desk.savedNumber(a.id);
        const bool held = number > 0 && holds(desk, number);
        // Deleted again whatever the check found, so that the tables keep their rows.
        const Result removed = removeAnnouncement(desk, number);
        if (!held) {
            state.SkipWithError("the saved announcement is not in the desk's tables");
            break;
        }
        if (!removed) {
            state.SkipWithError(qPrintable(removed.error()));
            break;
        }
        state.ResumeTiming();
    }
}

void BM_Keystroke(benchmark::State& state, Home home, const Fragment& f) {
    TDesk& desk = measuredDesk(home);
    // The window lives for this benchmark only: on the database its timer follows other
    // counters' saves, which must not happen under another benchmark.
    TfVornelta window(desk);
    window.show();
    if (!waitExposed(window)) {
        state.SkipWithError("the main window was never exposed");
        return;
    }
    auto* search = window.findChild<QLineEdit*>(QStringLiteral("eTextForFind"));
    const QAbstractItemModel* list =
        window.findChild<QTableView*>(QStringLiteral("RxDBGrid1"))->model();
    const QString before = QString::fromUtf8(f.before);
    const QString typed = QString::fromUtf8(f.typed);
    for (auto _ : state) {
        state.PauseTiming();
        search->setText(before);
        pumpEvents();
        state.ResumeTiming();
        search->setText(typed);
    }
    const int shown = list->rowCount();
    if (shown != world->expected.searchRows[f.label])
        state.SkipWithError("the grid shows another number of rows than the folder has");
    state.counters["rows"] = double(shown);
    search->setText(QString());
    pumpEvents();
}

void BM_FillDay(benchmark::State& state, Home home) {
    TDesk& desk = measuredDesk(home);
    const QDate day = dateOfDayNumber(world->fillDay);
    TDayList list;
    for (auto _ : state) {
        // The run-date view back on the current announcement, as the main window leaves
        // it: each fill builds the day's view as the first fill of a day does.
        state.PauseTiming();
        desk.followCurrentAnnouncement();
        state.ResumeTiming();
        // The output window clears the main window's search, then fills.
        desk.search(QString());
        fillDayList(desk, day, list);
    }
    if (list.count() != world->expected.dayRows)
        state.SkipWithError("the day's list has another number of rows than the folder's day");
    state.counters["rows"] = double(list.count());
}

void BM_MonthTotals(benchmark::State& state, Home home) {
    TDesk& desk = measuredDesk(home);
    PeriodTotals totals;
    for (auto _ : state)
        totals = computePeriodTotals(desk, world->lastDay - 29, world->lastDay);
    const Expected& e = world->expected;
    if (totals.rows != e.monthRows ||
        std::abs(totals.money - e.monthMoney) > 1e-6 * std::max(1.0, std::abs(e.monthMoney)))
        state.SkipWithError("the month's totals differ from the folder's");
    state.counters["rows"] = totals.rows;
}

void BM_FollowOthersSave(benchmark::State& state, Home home) {
    TDesk& desk = measuredDesk(home);
    TDesk* other = nullptr;
    try {
        other = &otherDesk(home);
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
        return;
    }
    // The measured desk's own saves are no news to it; anything else pending is read now.
    if (home == Home::Database) desk.followOthersSaves();
    int calls = 0, totalCalls = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const ValueResult<int32_t> saved =
            saveNew(*other, QStringLiteral("Продам дачу у реки, другое рабочее место"));
        if (!saved) {
            state.SkipWithError(qPrintable(saved.error()));
            break;
        }
        const int32_t number = saved.value();
        state.ResumeTiming();
        const bool followed = followOthers(desk, home, calls);
        state.PauseTiming();
        totalCalls += calls;
        const bool held = followed && holds(desk, number);
        // Back to the rows of the start on both desks, whatever the check found.
        const Result removed = removeAnnouncement(*other, number);
        const bool followedAway =
            removed && followOthers(desk, home, calls) && holdsNone(desk, number);
        if (!followed) {
            state.SkipWithError("the other counter's save never reached the measured desk");
            break;
        }
        if (!held) {
            state.SkipWithError("the measured desk followed, but without the other's row");
            break;
        }
        if (!removed) {
            state.SkipWithError(qPrintable(removed.error()));
            break;
        }
        if (!followedAway) {
            state.SkipWithError("the measured desk did not follow the other's delete");
            break;
        }
        state.ResumeTiming();
    }
    if (home == Home::Database && state.iterations() > 0)
        state.counters["calls"] = double(totalCalls) / double(state.iterations());
}

// ------------------------------------------------------------------ summary

class SummaryReporter : public bench::FigureReporter {
public:
    using FigureReporter::FigureReporter;

    // Whether a benchmark failed its own checks: the run then ends with a failure.
    bool anyFailed() const { return m_failed; }

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            m_failed = m_failed || run.error_occurred;
        FigureReporter::ReportRuns(runs);
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        std::FILE* out = stdout;
        std::fflush(out);
        std::fprintf(out, "\n%-26s %12s %12s %12s %8s  %s\n", "figure (ms)", "folder", "database",
                     "db fastest", "db/fold", "target on the database");
        line(out, "Open", 2000);
        line(out, "Save", 20);
        for (const Fragment& f : kFragments)
            line(out, std::string("Keystroke/") + f.label, 30);
        line(out, "FillDay", 50);
        line(out, "MonthTotals", 20);
        line(out, "FollowOthersSave", 0);
        if (m_failed) std::fprintf(out, "\nFAILED: a benchmark found a wrong result (above)\n");
        std::fflush(out);
    }

private:
    bool m_failed = false;

    void line(std::FILE* out, const std::string& name, double targetMs) const {
        const bench::Figures* folder = figures(name + "/Folder");
        const bench::Figures* database = figures(name + "/Database");
        if (!folder && !database) return;
        const auto ms = [](const bench::Figures* f, bool fastest) {
            char text[32] = "-";
            const std::optional<double>& v = f ? (fastest ? f->fastest : f->real) : std::nullopt;
            if (v) std::snprintf(text, sizeof text, "%.2f", *v);
            return std::string(text);
        };
        char ratio[32] = "-";
        if (folder && database && *folder->real > 0)
            std::snprintf(ratio, sizeof ratio, "%.2f", *database->real / *folder->real);
        std::string target = "-";
        if (targetMs > 0 && database)
            target = std::string(*database->real <= targetMs ? "met" : "MISSED") +
                     " (<= " + std::to_string(int(targetMs)) + " ms)";
        std::fprintf(out, "%-26s %12s %12s %12s %8s  %s\n", name.c_str(), ms(folder, false).c_str(),
                     ms(database, false).c_str(), ms(database, true).c_str(), ratio,
                     target.c_str());
    }
};

// ------------------------------------------------------------------ setup

// What the folder desk's tables hold, as plain loops over their records.
Expected readExpected(TDesk& desk, int32_t fillDay, int32_t lastDay) {
    Expected e;
    e.announcements = desk.tData.Store()->LiveRecordCount();
    e.runDates = desk.tDates.Store()->LiveRecordCount();

    dorod::TDorodCursor& data = *desk.tData.Store();
    const dorod::TDorodField* text = data.FindField(field::kText);
    const dorod::TDorodField* summa = data.FindField(field::kSumma);
    std::vector<std::string> uppers;
    for (const Fragment& f : kFragments)
        uppers.push_back(cp1251Upper(f.typed));
    std::vector<int> hits(uppers.size(), 0);
    dorod::TField& indate = desk.tData.FieldByName(field::kIndate);
    desk.tData.DisableControls();
    for (desk.tData.First(); !desk.tData.Eof(); desk.tData.Next()) {
        const uint8_t* rec = desk.tData.ActiveRecord();
        const std::string_view t = dorod::record::getText(rec, *text);
        for (size_t i = 0; i < uppers.size(); ++i)
            hits[i] += dorod::win1251::containsUpperCased(t, uppers[i]);
        const int32_t day = indate.AsDayNumber();
        if (day >= lastDay - 29 && day <= lastDay) {
            ++e.monthRows;
            e.monthMoney += dorod::record::getDouble(rec, *summa);
        }
    }
    desk.tData.First();
    desk.tData.EnableControls();
    for (size_t i = 0; i < uppers.size(); ++i)
        e.searchRows[kFragments[i].label] = hits[i];

    dorod::TDorodCursor& dates = *desk.tDates.Store();
    const dorod::TDorodField* date = dates.FindField(field::kDate);
    for (const dorod::TDorodRecordEntry* entry : dates.Entries())
        if (entry->isLive() && dorod::record::getInt32(entry->data(), *date) == fillDay)
            ++e.dayRows;
    return e;
}

// A database of this run's own in the cluster, dropped when the run ends.
class BenchDatabase {
public:
    // Creates the database and imports the folder into it; false with why.
    bool make(const std::string& clusterUrl, const std::string& folder, std::string& why) {
        m_cluster = clusterUrl;
        const std::string name = "vornelta_bench_" + std::to_string(::getpid());
        if (!runSql("CREATE DATABASE " + name, why)) return false;
        m_name = name;
        m_url =
            clusterUrl + (clusterUrl.find('?') == std::string::npos ? "?" : "&") + "dbname=" + name;
        auto connection = pgstore::PgConnection::open(m_url, why);
        if (!connection) return false;
        pgstore::PgTransferCounts counts;
        QElapsedTimer timer;
        timer.start();
        if (!pgstore::importFolder(*connection, folder, false, counts, why)) return false;
        std::fprintf(
            stderr, "imported %lld announcements, %lld run dates, %lld realty rows in %.1f s\n",
            counts.announcements, counts.runDates, counts.realty, double(timer.elapsed()) / 1000.0);
        return true;
    }
    const std::string& url() const { return m_url; }
    ~BenchDatabase() {
        std::string message;
        if (!m_name.empty() &&
            !runSql("DROP DATABASE IF EXISTS " + m_name + " WITH (FORCE)", message))
            std::fprintf(stderr, "could not drop database %s: %s\n", m_name.c_str(),
                         message.c_str());
    }

private:
    bool runSql(const std::string& sql, std::string& message) const {
        auto connection = pgstore::PgConnection::open(m_cluster, message);
        return connection && connection->exec(sql, message);
    }

    std::string m_cluster, m_name, m_url;
};

template <typename Fn>
benchmark::internal::Benchmark* add(const std::string& name, Home home, Fn fn) {
    const std::string full = name + "/" + nameOf(home);
    return benchmark::RegisterBenchmark(full.c_str(),
                                        [fn, home](benchmark::State& s) { fn(s, home); })
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->ComputeStatistics("min", [](const std::vector<double>& v) {
            return *std::min_element(v.begin(), v.end());
        });
}

// Each figure's two homes one after the other, so that both meet the same machine.
void registerBenchmarks() {
    for (Home home : kHomes)
        add("Open", home, BM_Open)->Iterations(2);
    for (Home home : kHomes)
        add("Save", home, BM_Save)->Iterations(5);
    for (const Fragment& f : kFragments)
        for (Home home : kHomes)
            add(std::string("Keystroke/") + f.label, home,
                [&f](benchmark::State& s, Home h) { BM_Keystroke(s, h, f); });
    for (Home home : kHomes)
        add("FillDay", home, BM_FillDay);
    for (Home home : kHomes)
        add("MonthTotals", home, BM_MonthTotals);
    for (Home home : kHomes)
        add("FollowOthersSave", home, BM_FollowOthersSave)->Iterations(3);
}

} // namespace

int main(int argc, char** argv) {
    const std::string workloadDir = vornelta::bench::takeWorkloadDir(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    const char* clusterUrl = std::getenv("VORNELTA_BENCH_PG_URL");
    if (!clusterUrl || !*clusterUrl) {
        std::fprintf(stderr,
                     "bench_database: VORNELTA_BENCH_PG_URL is not set, so there is no database "
                     "to measure: nothing measured.\n"
                     "Set it to a PostgreSQL URL, or run bench/database-side-by-side.sh, which "
                     "starts a throw-away cluster.\n");
        return 2;
    }

    const vornelta::bench::WorkloadFolder workload(workloadDir, "database");
    if (workload.path().empty()) return 1;
    const fs::path& folder = workload.path();
    // Generated before any connection or window: the generator runs in a forked child.
    if (!fs::exists(folder / "data.d")) {
        QElapsedTimer timer;
        timer.start();
        if (!bench::makeLargeDemoFolder(folder, argc, argv)) return 1;
        std::fprintf(stderr, "demo folder generated in %.1f s\n", double(timer.elapsed()) / 1000.0);
    }

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vornelta"));
    applySystemLocale();
    SilentDialogs dialogs;
    Dialogs::setInstance(&dialogs);

    BenchDatabase database;
    if (std::string why; !database.make(clusterUrl, folder.string(), why)) {
        std::fprintf(stderr, "bench_database: the database could not be made: %s\n", why.c_str());
        return 1;
    }

    World w;
    world = &w;
    w.folder = QString::fromStdString(folder.string());
    w.databaseUrl = database.url();
    w.lastDay = workload::AnnouncementGenerator::defaultLastDay();
    // A day in the steady state: a month before the last intake day.
    w.fillDay = w.lastDay - 30;
    int status = 0;
    try {
        for (Home home : kHomes)
            w.desks[int(home)] = openDesk(home);
        w.expected = readExpected(*w.desks[int(Home::Folder)], w.fillDay, w.lastDay);
        const TDesk& onDatabase = *w.desks[int(Home::Database)];
        if (onDatabase.tData.Store()->LiveRecordCount() != w.expected.announcements ||
            onDatabase.tDates.Store()->LiveRecordCount() != w.expected.runDates) {
            std::fprintf(stderr, "bench_database: the database holds other rows than the folder\n");
            status = 1;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_database: %s\n", e.what());
        status = 1;
    }
    if (status == 0) {
        std::fprintf(stderr,
                     "folder %s: %d announcements, %d run dates, %d on the filled day, %d in the "
                     "month's totals\n",
                     folder.c_str(), w.expected.announcements, w.expected.runDates,
                     w.expected.dayRows, w.expected.monthRows);
        registerBenchmarks();
        SummaryReporter reporter(isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_ColorTabular
                                                       : benchmark::ConsoleReporter::OO_Tabular);
        benchmark::RunSpecifiedBenchmarks(&reporter);
        if (reporter.anyFailed()) status = 1;
    }
    benchmark::Shutdown();

    for (Home home : kHomes) {
        w.otherDesks[int(home)].reset();
        w.desks[int(home)].reset();
    }
    world = nullptr;
    Dialogs::setInstance(nullptr);
    return status;
}
