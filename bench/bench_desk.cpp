// The desk on the large demo folder (200 000 announcements, 2 000 000 run dates): what the
// operator waits for, each beside the plain loop that does the same work on plain data.
//
//   Keystroke/*     one keystroke in the main window's search box: eTextForFind's text set,
//                   which runs TDesk::search (the announcement view rebuilt through the
//                   search filter, the run-date view rebuilt for the announcement now
//                   current) and resets the grid's model. .../paint also lets the window
//                   repaint (processEvents). Target <= 30 ms.
//   ProgramStart    TDesk::open + TfVornelta construction + show + events until the
//                   window is exposed and painted. Target <= 1 s. DeskOpen: the open alone.
//   ViewRebuild/*   the engine alone: SetFiltered(true) on data.d with an OnFilterRecord
//                   that does the search. Target <= 20 ms.
//   ViewRebuild/kvar+t/refine  the same for an extending keystroke: the view of «квар»
//                   filtered again (RefilterView) for «кварт».
//   PlainSearch/*   the same search over a std::vector<std::string> of the same texts.
//   Diagnostics, to tell where the time goes:
//   StoreScan/*     the search straight over the store's records (no view, no handler,
//                   no std::function): the store's memory layout without the dataset.
//   .../spread      PlainSearch over the same texts copied into one buffer the way the
//                   store lays them out: each followed by its XML and ~200 bytes for the
//                   other values of its record (no pointers to follow at all).
//   StoreWalk       only the memory the scan touches: each record's entry, its text's
//                   length and first byte; PlainWalk the same over the vector.
//   DeskParts/*     the two views a keystroke rebuilds, timed apart on a desk without a
//                   window: the announcement view through tDataFilterRecord, and the
//                   run-date view (2 000 000 rows) through tDatesFilterRecord.
//   Locate/*        one Locate of an id: id-ordered view (binary search) and store order
//                   (one Locate after another in the same view: the first scans, the
//                   rest use the view's look-up list), beside std::lower_bound /
//                   std::find over the ids.
//   FillDay/*       one broadcast day: the search box cleared (the announcement view
//                   rebuilt), the run-date filter for one date over 2 000 000 rows,
//                   then, for each row, Locate of its announcement in data.d and a read of
//                   the fields the output window copies. Target <= 50 ms.
//   LikeFilter/*    SetFilter("Text LIKE '%fragment%'") + SetFiltered(true) over data.d,
//                   beside PlainSearch. Target within 3x of the plain loop.
//
// The demo folder is generated once (in a child process) into a temporary folder and
// removed at the end. Extra options, besides the usual --benchmark_* ones:
//   --workload_dir=DIR   use the demo folder in DIR, generating it there when it has no
//                        data.d, and keep it
// Times are wall-clock in ms (µs for Locate). The summary at the end gives each figure
// beside its target and its plain counterpart.
#include "app/uVornelta.h"
#include "bench/BenchOptions.h"
#include "bench/BenchSummary.h"
#include "bench/BenchWindows.h"
#include "bench/LargeDemoFolder.h"
#include "desk/Desk.h"
#include "platform/SystemLocale.h"
#include "platform/TextCodec.h"
#include "storage/DorodRecord.h"
#include "storage/DorodTable.h"
#include "storage/Win1251.h"
#include "tools/demodata/DemoData.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTableView>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using vornelta::bench::pumpEvents;
using vornelta::bench::waitExposed;

namespace {

namespace fs = std::filesystem;
using vornelta::TDesk;
using vornelta::TfVornelta;

// ------------------------------------------------------------------ shared state

struct Fragment {
    const char* label;       // ASCII, for benchmark names
    const char* typed;       // what the operator typed (UTF-8 here)
    const char* before = ""; // the box's text before the keystroke
};

// Typical searches: part of a word, a whole word, a room count; one letter (the first
// keystroke, the most hits); one keystroke that extends the text; clearing the box.
const Fragment kFragments[] = {
    {"kvart", "кварт"}, {"prodam", "продам"},        {"2-komn", "2-комн"},
    {"k", "к"},         {"kvar+t", "кварт", "квар"}, {"clear", "", "кварт"},
};

std::string cp1251(const char* utf8) {
    return vornelta::fromQt(QString::fromUtf8(utf8));
}
std::string upperCp1251(const char* utf8) {
    return dorod::win1251::toUpper(cp1251(utf8));
}
std::string pathOf(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

struct World {
    QString folder;
    std::string dataPath;
    std::string datesPath;
    std::vector<std::string> texts; // Text of every announcement, store order
    // The texts again, spread out as in the store (see PlainSearch/.../spread).
    std::string spreadBytes;
    std::vector<std::string_view> spreadTexts;
    std::vector<int32_t> ids; // id of every announcement, store order
    std::vector<int32_t> sortedIds;
    std::vector<vornelta::workload::RunDate> runDates;
    int32_t fillDay = 0;

    // The main window on its own desk, made on first use.
    std::unique_ptr<TDesk> windowDesk;
    std::unique_ptr<TfVornelta> window;
    // data.d in a bare table, for the engine-only benchmarks.
    std::unique_ptr<dorod::TDorodTable> engine;
    // A desk without a window: filling a day, the parts of a keystroke.
    std::unique_ptr<TDesk> bareDesk;
};
World* world = nullptr;

TfVornelta& mainWindow() {
    if (!world->window) {
        world->windowDesk = std::make_unique<TDesk>(vornelta::ProgramFolder(world->folder));
        world->windowDesk->open();
        world->window = std::make_unique<TfVornelta>(*world->windowDesk);
        world->window->show();
        waitExposed(*world->window);
    }
    return *world->window;
}

dorod::TDorodTable& engineTable() {
    if (!world->engine) {
        world->engine = std::make_unique<dorod::TDorodTable>();
        world->engine->Name = "tEngine";
        world->engine->SetTableName(world->dataPath);
        world->engine->Open();
    }
    dorod::TDorodTable& t = *world->engine;
    // Each benchmark starts from the plain table.
    t.OnFilterRecord = nullptr;
    if (!t.Filter().empty()) t.SetFilter("");
    if (t.Filtered()) t.SetFiltered(false);
    if (!t.IndexFieldNames().empty()) t.SetIndexFieldNames("");
    return t;
}

TDesk& bareDesk() {
    if (!world->bareDesk) {
        world->bareDesk = std::make_unique<TDesk>(vornelta::ProgramFolder(world->folder));
        world->bareDesk->open();
    }
    return *world->bareDesk;
}

size_t plainSearch(std::string_view upper, std::vector<uint32_t>& hits) {
    hits.clear();
    const std::vector<std::string>& texts = world->texts;
    for (size_t i = 0; i < texts.size(); ++i)
        if (dorod::win1251::containsUpperCased(texts[i], upper)) hits.push_back(uint32_t(i));
    return hits.size();
}

size_t plainCount(const char* typed) {
    std::vector<uint32_t> hits;
    hits.reserve(world->texts.size());
    return plainSearch(upperCp1251(typed), hits);
}

// ------------------------------------------------------------------ benchmarks

void BM_Keystroke(benchmark::State& state, const Fragment& f, bool paint) {
    TfVornelta& w = mainWindow();
    auto* search = w.findChild<QLineEdit*>(QStringLiteral("eTextForFind"));
    const QAbstractItemModel* list = w.findChild<QTableView*>(QStringLiteral("RxDBGrid1"))->model();
    const QString before = QString::fromUtf8(f.before);
    const QString typed = QString::fromUtf8(f.typed);
    const size_t expected = plainCount(f.typed);
    for (auto _ : state) {
        state.PauseTiming();
        search->setText(before);
        pumpEvents();
        state.ResumeTiming();
        search->setText(typed);
        if (paint) pumpEvents();
    }
    const int shown = list->rowCount();
    if (size_t(shown) != expected) state.SkipWithError("the grid shows another number of rows");
    state.counters["rows"] = double(shown);
    search->setText(QString());
}

void BM_ProgramStart(benchmark::State& state) {
    for (auto _ : state) {
        auto desk = std::make_unique<TDesk>(vornelta::ProgramFolder(world->folder));
        desk->open();
        auto window = std::make_unique<TfVornelta>(*desk);
        window->show();
        const bool exposed = waitExposed(*window);
        state.PauseTiming();
        if (!exposed) state.SkipWithError("the window was never exposed");
        if (window->findChild<QTableView*>(QStringLiteral("RxDBGrid1"))->model()->rowCount() !=
            int(world->texts.size()))
            state.SkipWithError("the grid does not show every announcement");
        window.reset();
        desk.reset();
        pumpEvents();
        state.ResumeTiming();
    }
}

void BM_DeskOpen(benchmark::State& state) {
    for (auto _ : state) {
        auto desk = std::make_unique<TDesk>(vornelta::ProgramFolder(world->folder));
        desk->open();
        state.PauseTiming();
        desk.reset();
        state.ResumeTiming();
    }
}

void BM_ViewRebuild(benchmark::State& state, const Fragment& f, bool idOrdered) {
    dorod::TDorodTable& t = engineTable();
    if (idOrdered) t.SetIndexFieldNames("id");
    const dorod::TDorodField* text = t.Store()->FindField("text");
    const std::string upper = upperCp1251(f.typed);
    t.OnFilterRecord = [text, &upper](dorod::TDataSet& d, bool& accept) {
        const uint8_t* rec = d.ActiveRecord();
        accept =
            rec && dorod::win1251::containsUpperCased(dorod::record::getText(rec, *text), upper);
    };
    for (auto _ : state)
        t.SetFiltered(true);
    if (size_t(t.RecordCount()) != plainCount(f.typed))
        state.SkipWithError("rows differ from the plain loop");
    state.counters["rows"] = double(t.RecordCount());
    t.SetFiltered(false);
    t.OnFilterRecord = nullptr;
}

// An extending keystroke in the engine: the view of the shorter text filtered again
// (RefilterView) with the longer one.
void BM_ViewRefine(benchmark::State& state, const Fragment& f) {
    dorod::TDorodTable& t = engineTable();
    const dorod::TDorodField* text = t.Store()->FindField("text");
    std::string upper;
    t.OnFilterRecord = [text, &upper](dorod::TDataSet& d, bool& accept) {
        const uint8_t* rec = d.ActiveRecord();
        accept =
            rec && dorod::win1251::containsUpperCased(dorod::record::getText(rec, *text), upper);
    };
    for (auto _ : state) {
        state.PauseTiming();
        upper = upperCp1251(f.before);
        t.SetFiltered(true);
        upper = upperCp1251(f.typed);
        state.ResumeTiming();
        t.RefilterView();
    }
    if (size_t(t.RecordCount()) != plainCount(f.typed))
        state.SkipWithError("rows differ from the plain loop");
    state.counters["rows"] = double(t.RecordCount());
    t.SetFiltered(false);
    t.OnFilterRecord = nullptr;
}

void BM_ViewRebuildUnfiltered(benchmark::State& state, bool idOrdered) {
    dorod::TDorodTable& t = engineTable();
    if (idOrdered) t.SetIndexFieldNames("id");
    for (auto _ : state)
        t.SetFiltered(false);
    state.counters["rows"] = double(t.RecordCount());
}

void BM_PlainSearch(benchmark::State& state, const Fragment& f) {
    const std::string upper = upperCp1251(f.typed);
    std::vector<uint32_t> hits;
    hits.reserve(world->texts.size());
    for (auto _ : state)
        benchmark::DoNotOptimize(plainSearch(upper, hits));
    state.counters["rows"] = double(hits.size());
}

void BM_StoreScan(benchmark::State& state, const Fragment& f) {
    dorod::TDorodTable& t = engineTable();
    const dorod::TDorodField& text = *t.Store()->FindField("text");
    const std::string upper = upperCp1251(f.typed);
    std::vector<dorod::TDorodRecordEntry*> view;
    view.reserve(t.Store()->Entries().size());
    for (auto _ : state) {
        view.clear();
        for (dorod::TDorodRecordEntry* e : t.Store()->Entries()) {
            if (!e->isLive()) continue;
            if (dorod::win1251::containsUpperCased(dorod::record::getText(e->data(), text), upper))
                view.push_back(e);
        }
    }
    if (view.size() != plainCount(f.typed)) state.SkipWithError("rows differ from the plain loop");
    state.counters["rows"] = double(view.size());
}

// Touches what the scan must touch of every record (the entry, the record, the first
// bytes of its text) and searches nothing.
void BM_StoreWalk(benchmark::State& state) {
    dorod::TDorodTable& t = engineTable();
    const dorod::TDorodField& text = *t.Store()->FindField("text");
    for (auto _ : state) {
        size_t sum = 0;
        for (const dorod::TDorodRecordEntry* e : t.Store()->Entries()) {
            if (!e->isLive()) continue;
            const std::string_view value = dorod::record::getText(e->data(), text);
            sum += value.size() + (value.empty() ? 0 : uint8_t(value[0]));
        }
        benchmark::DoNotOptimize(sum);
    }
}

void BM_PlainWalk(benchmark::State& state) {
    for (auto _ : state) {
        size_t sum = 0;
        for (const std::string& value : world->texts)
            sum += value.size() + (value.empty() ? 0 : uint8_t(value[0]));
        benchmark::DoNotOptimize(sum);
    }
}

void BM_DeskSearchView(benchmark::State& state, const Fragment& f) {
    TDesk& desk = bareDesk();
    desk.search(QString::fromUtf8(f.typed)); // the search filter on, for this text
    for (auto _ : state)
        desk.tData.SetFiltered(true);
    if (size_t(desk.tData.RecordCount()) != plainCount(f.typed))
        state.SkipWithError("rows differ from the plain loop");
    state.counters["rows"] = double(desk.tData.RecordCount());
    desk.tData.SetFiltered(false);
}

void BM_DeskRunDateView(benchmark::State& state) {
    TDesk& desk = bareDesk();
    desk.tData.First();
    for (auto _ : state) {
        // Another announcement each time: the same one would find its view current.
        state.PauseTiming();
        if (desk.tData.RecNo() == 1)
            desk.tData.Next();
        else
            desk.tData.First();
        state.ResumeTiming();
        desk.followCurrentAnnouncement();
    }
    state.counters["rows"] = double(desk.tDates.RecordCount());
}

void BM_PlainSearchSpread(benchmark::State& state, const Fragment& f) {
    if (world->spreadTexts.empty()) {
        dorod::TDorodTable& t = engineTable();
        const dorod::TDorodField& text = *t.Store()->FindField("text");
        const dorod::TDorodField& xml = *t.Store()->FindField("XML");
        std::vector<std::pair<size_t, size_t>> at;
        for (const dorod::TDorodRecordEntry* e : t.Store()->Entries()) {
            const std::string_view value = dorod::record::getText(e->data(), text);
            at.emplace_back(world->spreadBytes.size(), value.size());
            world->spreadBytes += value;
            world->spreadBytes += dorod::record::getText(e->data(), xml);
            world->spreadBytes.append(200, ' ');
        }
        for (const auto& [offset, size] : at)
            world->spreadTexts.emplace_back(world->spreadBytes.data() + offset, size);
    }
    const std::string upper = upperCp1251(f.typed);
    std::vector<uint32_t> hits;
    hits.reserve(world->spreadTexts.size());
    for (auto _ : state) {
        hits.clear();
        for (size_t i = 0; i < world->spreadTexts.size(); ++i)
            if (dorod::win1251::containsUpperCased(world->spreadTexts[i], upper))
                hits.push_back(uint32_t(i));
    }
    if (hits.size() != plainCount(f.typed)) state.SkipWithError("rows differ from the plain loop");
    state.counters["rows"] = double(hits.size());
}

void BM_LikeFilter(benchmark::State& state, const Fragment& f) {
    dorod::TDorodTable& t = engineTable();
    t.SetFilter("Text LIKE '%" + cp1251(f.typed) + "%'");
    for (auto _ : state)
        t.SetFiltered(true);
    if (size_t(t.RecordCount()) != plainCount(f.typed))
        state.SkipWithError("rows differ from the plain loop");
    state.counters["rows"] = double(t.RecordCount());
    t.SetFiltered(false);
    t.SetFilter("");
}

// Ids to look up: spread over the whole table, the same every run.
std::vector<int32_t> probeIds() {
    vornelta::workload::Random r(42);
    std::vector<int32_t> out(4096);
    for (int32_t& id : out)
        id = world->ids[r.below(world->ids.size())];
    return out;
}

void BM_Locate(benchmark::State& state, bool ordered) {
    dorod::TDorodTable& t = engineTable();
    if (ordered) t.SetIndexFieldNames("id");
    const std::vector<int32_t> ids = probeIds();
    std::vector<std::string> keys;
    for (int32_t id : ids)
        keys.push_back(std::to_string(id));
    dorod::TField& idField = t.FieldByName("id");
    size_t i = 0;
    for (auto _ : state) {
        const std::string& key = keys[i++ % keys.size()];
        if (!t.Locate("id", {key})) state.SkipWithError("an id was not found");
    }
    if (idField.AsInteger() != ids[(i - 1) % ids.size()])
        state.SkipWithError("Locate went elsewhere");
    if (ordered) t.SetIndexFieldNames("");
}

void BM_PlainLocate(benchmark::State& state, bool ordered) {
    const std::vector<int32_t> ids = probeIds();
    size_t i = 0;
    for (auto _ : state) {
        const int32_t id = ids[i++ % ids.size()];
        if (ordered) {
            benchmark::DoNotOptimize(
                std::lower_bound(world->sortedIds.begin(), world->sortedIds.end(), id));
        } else {
            benchmark::DoNotOptimize(std::find(world->ids.begin(), world->ids.end(), id));
        }
    }
}

// What the output window does for "Заполнить": the day's run dates, and for each its
// announcement located in data.d and the fields of the day list read.
size_t fillDay(TDesk& desk, int32_t day) {
    // The fill first clears the search box, which takes the search filter off the
    // announcements: their view is built anew, and any look-up list with it.
    desk.search(QString());
    const vornelta::DeskScope dayShown = desk.runDatesOfDay(day);
    dorod::TField& dateId = desk.tDates.FieldByName("id");
    dorod::TDorodTable& data = desk.tData;
    dorod::TField* fields[] = {&data.FieldByName("indate"), &data.FieldByName("XML"),
                               &data.FieldByName("ObjCat"), &data.FieldByName("id"),
                               &data.FieldByName("povt"),   &data.FieldByName("Tel"),
                               &data.FieldByName("Text")};
    size_t found = 0, bytes = 0;
    data.DisableControls();
    for (desk.tDates.First(); !desk.tDates.Eof(); desk.tDates.Next()) {
        if (!data.Locate("id", {std::to_string(dateId.AsInteger())})) continue;
        ++found;
        for (dorod::TField* f : fields)
            bytes += f->AsString().size();
    }
    data.EnableControls();
    benchmark::DoNotOptimize(bytes);
    return found;
}

size_t plainDayRows() {
    size_t n = 0;
    for (const auto& d : world->runDates)
        n += d.date == world->fillDay;
    return n;
}

void BM_FillDay(benchmark::State& state, bool ordered) {
    TDesk& desk = bareDesk();
    if (ordered) desk.tData.SetIndexFieldNames("id");
    size_t found = 0;
    for (auto _ : state)
        found = fillDay(desk, world->fillDay);
    if (found != plainDayRows()) state.SkipWithError("another number of announcements was found");
    state.counters["rows"] = double(found);
    if (ordered) desk.tData.SetIndexFieldNames("");
    desk.followCurrentAnnouncement();
}

void BM_FillDayFilterOnly(benchmark::State& state) {
    TDesk& desk = bareDesk();
    {
        const vornelta::DeskScope dayShown = desk.runDatesOfDay(world->fillDay);
        for (auto _ : state)
            desk.tDates.SetFiltered(true);
        state.counters["rows"] = double(desk.tDates.RecordCount());
    }
}

void BM_PlainFillDay(benchmark::State& state) {
    std::vector<int32_t> dayIds;
    dayIds.reserve(1 << 16);
    for (auto _ : state) {
        dayIds.clear();
        for (const auto& d : world->runDates)
            if (d.date == world->fillDay) dayIds.push_back(d.id);
        size_t bytes = 0;
        for (int32_t id : dayIds) {
            const auto it = std::lower_bound(world->sortedIds.begin(), world->sortedIds.end(), id);
            bytes += world->texts[size_t(it - world->sortedIds.begin())].size();
        }
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["rows"] = double(dayIds.size());
}

// ------------------------------------------------------------------ summary

class SummaryReporter : public vornelta::bench::FigureReporter {
public:
    using FigureReporter::FigureReporter;

    void Finalize() override {
        ConsoleReporter::Finalize();
        std::FILE* out = stdout;
        std::fflush(out);
        std::fprintf(out, "\n%-28s %10s %10s %10s %10s %8s  %s\n", "benchmark", "median", "fastest",
                     "cpu", "plain", "ratio", "target");
        for (const Fragment& f : kFragments) {
            const std::string l = f.label;
            line(out, "Keystroke/" + l, "", "ms", 30.0, 0);
            line(out, "Keystroke/" + l + "/paint", "", "ms", 30.0, 0);
        }
        line(out, "ProgramStart", "", "ms", 1000.0, 0);
        line(out, "DeskOpen", "", "ms", 0, 0);
        for (const Fragment& f : kFragments) {
            const std::string l = f.label;
            if (*f.typed == 0) continue;
            line(out, "ViewRebuild/" + l, "PlainSearch/" + l, "ms", 20.0, 0);
            line(out, "ViewRebuild/" + l + "/id-ordered", "PlainSearch/" + l, "ms", 20.0, 0);
            line(out, "StoreScan/" + l, "PlainSearch/" + l, "ms", 0, 0);
            line(out, "PlainSearch/" + l + "/spread", "PlainSearch/" + l, "ms", 0, 0);
            line(out, "DeskParts/search-view/" + l, "PlainSearch/" + l, "ms", 0, 0);
        }
        line(out, "DeskParts/run-date-view", "", "ms", 0, 0);
        line(out, "StoreWalk", "PlainWalk", "ms", 0, 0);
        line(out, "ViewRebuild/kvar+t/refine", "PlainSearch/kvart", "ms", 20.0, 0);
        line(out, "ViewRebuild/unfiltered", "", "ms", 0, 0);
        line(out, "ViewRebuild/unfiltered/id-ordered", "", "ms", 0, 0);
        line(out, "Locate/ordered", "PlainLocate/ordered", "us", 0, 0);
        line(out, "Locate/unordered", "PlainLocate/unordered", "us", 0, 0);
        line(out, "FillDay/unordered", "PlainFillDay", "ms", 50.0, 0);
        line(out, "FillDay/ordered", "PlainFillDay", "ms", 50.0, 0);
        line(out, "FillDay/filter-only", "", "ms", 0, 0);
        for (const Fragment& f : kFragments) {
            const std::string l = f.label;
            if (*f.typed == 0 || *f.before != 0) continue;
            line(out, "LikeFilter/" + l, "PlainSearch/" + l, "ms", 0, 3.0);
        }
        std::fflush(out);
    }

private:
    // Target: a time in ms (limitMs > 0) or a multiple of the plain figure (maxRatio > 0).
    void line(std::FILE* out, const std::string& name, const std::string& plain, const char* unit,
              double limitMs, double maxRatio) const {
        const vornelta::bench::Figures* found = figures(name);
        if (!found) return;
        const double scale = std::strcmp(unit, "us") == 0 ? 1000.0 : 1.0;
        const vornelta::bench::Figures& E = *found;
        std::optional<double> p;
        if (const vornelta::bench::Figures* plainFigures = figures(plain)) p = plainFigures->real;
        const double ratio = p && *p > 0 ? *E.real / *p : 0.0;
        std::string target = "-";
        if (limitMs > 0)
            target = std::string(*E.real <= limitMs ? "met" : "MISSED") +
                     " (<= " + std::to_string(int(limitMs)) + " ms)";
        else if (maxRatio > 0)
            target = std::string(p && ratio <= maxRatio ? "met" : "MISSED") + " (<= 3x plain)";
        char plainText[32] = "-";
        if (p) std::snprintf(plainText, sizeof plainText, "%.3f", *p * scale);
        char ratioText[32] = "-";
        if (p) std::snprintf(ratioText, sizeof ratioText, "%.2f", ratio);
        std::fprintf(out, "%-28s %10.3f %10.3f %10.3f %10s %8s  %s %s\n", name.c_str(),
                     *E.real * scale, E.fastest.value_or(0) * scale, E.cpu.value_or(0) * scale,
                     plainText, ratioText, unit, target.c_str());
    }
};

// ------------------------------------------------------------------ setup

// The plain side's copies of the tables: texts and ids of data.d, the run dates.
void loadPlainCopies(World& w) {
    {
        dorod::TDorodTable t;
        t.SetTableName(w.dataPath);
        t.Open();
        const dorod::TDorodField* text = t.Store()->FindField("Text");
        const dorod::TDorodField* id = t.Store()->FindField("id");
        for (const dorod::TDorodRecordEntry* e : t.Store()->Entries()) {
            w.texts.emplace_back(dorod::record::getText(e->data(), *text));
            w.ids.push_back(dorod::record::getInt32(e->data(), *id));
        }
    }
    w.sortedIds = w.ids;
    std::sort(w.sortedIds.begin(), w.sortedIds.end());
    {
        dorod::TDorodTable t;
        t.SetTableName(w.datesPath);
        t.Open();
        const dorod::TDorodField* id = t.Store()->FindField("id");
        const dorod::TDorodField* date = t.Store()->FindField("date");
        w.runDates.reserve(t.Store()->Entries().size());
        for (const dorod::TDorodRecordEntry* e : t.Store()->Entries())
            w.runDates.push_back({dorod::record::getInt32(e->data(), *id),
                                  dorod::record::getInt32(e->data(), *date)});
    }
}

template <typename Fn>
benchmark::internal::Benchmark* add(const std::string& name, Fn fn, benchmark::TimeUnit unit) {
    return benchmark::RegisterBenchmark(name.c_str(), fn)
        ->Unit(unit)
        ->UseRealTime()
        ->Repetitions(3)
        ->ComputeStatistics(
            "min",
            [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); })
        ->ReportAggregatesOnly(true);
}

void registerBenchmarks() {
    using benchmark::kMicrosecond;
    using benchmark::kMillisecond;
    for (const Fragment& f : kFragments) {
        const std::string l = f.label;
        add(
            "Keystroke/" + l, [&f](benchmark::State& s) { BM_Keystroke(s, f, false); },
            kMillisecond);
        add(
            "Keystroke/" + l + "/paint", [&f](benchmark::State& s) { BM_Keystroke(s, f, true); },
            kMillisecond);
    }
    add("ProgramStart", BM_ProgramStart, kMillisecond)->Iterations(2);
    add("DeskOpen", BM_DeskOpen, kMillisecond)->Iterations(2);
    for (const Fragment& f : kFragments) {
        if (*f.typed == 0 || *f.before != 0) continue;
        const std::string l = f.label;
        add(
            "ViewRebuild/" + l, [&f](benchmark::State& s) { BM_ViewRebuild(s, f, false); },
            kMillisecond);
        add(
            "ViewRebuild/" + l + "/id-ordered",
            [&f](benchmark::State& s) { BM_ViewRebuild(s, f, true); }, kMillisecond);
        add(
            "PlainSearch/" + l, [&f](benchmark::State& s) { BM_PlainSearch(s, f); }, kMillisecond);
        add(
            "LikeFilter/" + l, [&f](benchmark::State& s) { BM_LikeFilter(s, f); }, kMillisecond);
        add(
            "StoreScan/" + l, [&f](benchmark::State& s) { BM_StoreScan(s, f); }, kMillisecond);
        add(
            "PlainSearch/" + l + "/spread",
            [&f](benchmark::State& s) { BM_PlainSearchSpread(s, f); }, kMillisecond);
        add(
            "DeskParts/search-view/" + l, [&f](benchmark::State& s) { BM_DeskSearchView(s, f); },
            kMillisecond);
    }
    add("DeskParts/run-date-view", BM_DeskRunDateView, kMillisecond);
    add("StoreWalk", BM_StoreWalk, kMillisecond);
    add("PlainWalk", BM_PlainWalk, kMillisecond);
    add(
        "ViewRebuild/kvar+t/refine", [](benchmark::State& s) { BM_ViewRefine(s, kFragments[4]); },
        kMillisecond);
    add(
        "ViewRebuild/unfiltered", [](benchmark::State& s) { BM_ViewRebuildUnfiltered(s, false); },
        kMillisecond);
    add(
        "ViewRebuild/unfiltered/id-ordered",
        [](benchmark::State& s) { BM_ViewRebuildUnfiltered(s, true); }, kMillisecond);
    add(
        "Locate/ordered", [](benchmark::State& s) { BM_Locate(s, true); }, kMicrosecond);
    add(
        "PlainLocate/ordered", [](benchmark::State& s) { BM_PlainLocate(s, true); }, kMicrosecond);
    add(
        "Locate/unordered", [](benchmark::State& s) { BM_Locate(s, false); }, kMicrosecond);
    add(
        "PlainLocate/unordered", [](benchmark::State& s) { BM_PlainLocate(s, false); },
        kMicrosecond);
    add(
        "FillDay/ordered", [](benchmark::State& s) { BM_FillDay(s, true); }, kMillisecond);
    add(
        "FillDay/unordered", [](benchmark::State& s) { BM_FillDay(s, false); }, kMillisecond);
    add("FillDay/filter-only", BM_FillDayFilterOnly, kMillisecond);
    add("PlainFillDay", BM_PlainFillDay, kMillisecond);
}

} // namespace

int main(int argc, char** argv) {
    const std::string workloadDir = vornelta::bench::takeWorkloadDir(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    // The allocator is left as the program has it (glibc's default, which after the first
    // free keeps blocks of up to 32 MB in the heap): a keystroke's view vectors then reuse
    // memory as they do in the program.

    const vornelta::bench::WorkloadFolder workload(workloadDir, "desk");
    if (workload.path().empty()) return 1;
    const fs::path& folder = workload.path();
    if (!fs::exists(folder / "data.d")) {
        QElapsedTimer timer;
        timer.start();
        if (!vornelta::bench::makeLargeDemoFolder(folder, argc, argv)) {
            return 1;
        }
        std::fprintf(stderr, "demo folder generated in %.1f s\n", double(timer.elapsed()) / 1000.0);
    }

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vornelta"));
    vornelta::applySystemLocale();

    World w;
    world = &w;
    w.folder = QString::fromStdString(folder.string());
    w.dataPath = pathOf(vornelta::ProgramFolder(w.folder).file(QStringLiteral("data.d")));
    w.datesPath = pathOf(vornelta::ProgramFolder(w.folder).file(QStringLiteral("dates.d")));
    loadPlainCopies(w);
    // A day in the steady state: a month before the last intake day.
    w.fillDay = vornelta::workload::AnnouncementGenerator::defaultLastDay() - 30;
    std::fprintf(stderr,
                 "demo folder %s: %zu announcements, %zu run dates, %zu on the filled day\n",
                 folder.c_str(), w.texts.size(), w.runDates.size(), plainDayRows());

    registerBenchmarks();
    SummaryReporter reporter(isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_ColorTabular
                                                   : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    w.spreadTexts.clear();
    w.spreadBytes.clear();
    w.window.reset();
    w.windowDesk.reset();
    w.engine.reset();
    w.bareDesk.reset();
    world = nullptr;
    return 0;
}
