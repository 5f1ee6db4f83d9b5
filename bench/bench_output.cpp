// The output window's work on the large demo folder (200 000 announcements, 2 000 000 run
// dates), without a window:
//
//   OutputFillDay      fillDayList for one day: the run-date view rebuilt in output-day
//                      mode over 2 000 000 rows, then each announcement located and its
//                      seven fields copied into the day list. Target <= 50 ms.
//   OutputWriteDay     writeDayOutput for that day's list: the plain text file, then the
//                      titling script; OutputWriteTextLine the same with the text-line
//                      list. "Three files" = the text file and the two titling files:
//                      OutputWriteDay + the text-line list alone. Target <= 20 ms for the
//                      three.
//   OutputWriteThree   the three files of a day, as a test of that target in one figure.
//   OutputLinesOnly    the same three files' lines built and encoded, nothing written:
//                      what is left of OutputWriteThree is the file system (each file is
//                      flushed to disk before it replaces the old one).
//
// Options besides the usual --benchmark_* ones:
//   --workload_dir=DIR   use the demo folder in DIR, generating it there when it has no
//                        data.d, and keep it
#include "bench/LargeDemoFolder.h"
#include "desk/Desk.h"
#include "output/DayList.h"
#include "output/DayOutput.h"
#include "output/ScriptWriter.h"
#include "output/TextLineListWriter.h"
#include "platform/DayNumber.h"
#include "platform/SystemLocale.h"
#include "platform/TextCodec.h"
#include "platform/TextFileWriter.h"
#include "tools/demodata/DemoData.h"
#include "tools/workload/Workload.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace vornelta;

std::unique_ptr<TDesk> desk;
QDate day;

void BM_OutputFillDay(benchmark::State& state) {
    TDayList list;
    for (auto _ : state)
        fillDayList(*desk, day, list);
    state.counters["rows"] = double(list.count());
    if (list.isEmpty()) state.SkipWithError("the day has no announcements");
}

TDayOutput dayOutput(const QString& driver) {
    static TDayList list;
    if (list.isEmpty()) fillDayList(*desk, day, list);
    TDayOutput o;
    o.rows = list.rows();
    o.driver = driver;
    o.today = QDate(2026, 12, 7);
    return o;
}

void BM_OutputWrite(benchmark::State& state, const QString& driver) {
    const TDayOutput o = dayOutput(driver);
    for (auto _ : state) {
        const Result r = writeDayOutput(*desk, o);
        if (!r) state.SkipWithError(r.error().toStdString().c_str());
    }
    state.counters["rows"] = double(o.rows.size());
}

void BM_OutputWriteThree(benchmark::State& state) {
    const TDayOutput o = dayOutput(kDriverAlpha);
    const QString tvl =
        QDir(desk->drives.folderFor(desk->settings.OutDev)).filePath(textLineListFileName(o.today));
    for (auto _ : state) {
        const Result r = writeDayOutput(*desk, o);
        if (!r || !writeTextFile(tvl, textLineListLines(o.rows, desk->settings.StringFirst,
                                                        desk->settings.StringLast)))
            state.SkipWithError("a write failed");
    }
    state.counters["rows"] = double(o.rows.size());
}

// The three files' bytes without the files: lines built and encoded.
void BM_OutputLinesOnly(benchmark::State& state) {
    const TDayOutput o = dayOutput(kDriverAlpha);
    const TSettings& s = desk->settings;
    size_t bytes = 0;
    for (auto _ : state) {
        bytes = 0;
        for (const QStringList& lines :
             {plainTextLines(o.rows, s), titlingScriptLines(o.rows, s.StringFirst, s.StringLast),
              textLineListLines(o.rows, s.StringFirst, s.StringLast)})
            for (const QString& line : lines)
                bytes += fromQt(line).size() + 2;
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["bytes"] = double(bytes);
}

} // namespace

int main(int argc, char** argv) {
    std::string workloadDir;
    {
        int kept = 1;
        for (int i = 1; i < argc; ++i) {
            if (std::strncmp(argv[i], "--workload_dir=", 15) == 0)
                workloadDir = argv[i] + 15;
            else
                argv[kept++] = argv[i];
        }
        argc = kept;
        argv[argc] = nullptr;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    const bool keep = !workloadDir.empty();
    fs::path folder;
    if (keep) {
        folder = workloadDir;
    } else {
        std::string pattern = (fs::temp_directory_path() / "vornelta-output-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) return 1;
        folder = pattern;
    }
    if (!fs::exists(folder / "data.d") && !vornelta::bench::makeLargeDemoFolder(folder, argc, argv))
        return 1;

    int result = 0;
    {
        QCoreApplication app(argc, argv);
        applySystemLocale();
        desk = std::make_unique<TDesk>(ProgramFolder(QString::fromStdString(folder.string())));
        desk->open();
        desk->settings.OutDev = QStringLiteral("A:");
        QDir().mkpath(desk->drives.folderFor(QStringLiteral("A:")));
        QDir().mkpath(desk->folder().file(QStringLiteral("Тексты")));
        // A day in the steady state: a month before the last intake day.
        day = dateOfDayNumber(workload::AnnouncementGenerator::defaultLastDay() - 30);

        benchmark::RegisterBenchmark("OutputFillDay", BM_OutputFillDay)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("OutputWriteDay/ALPHA", [](benchmark::State& s) {
            BM_OutputWrite(s, kDriverAlpha);
        })->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("OutputWriteDay/TextLine", [](benchmark::State& s) {
            BM_OutputWrite(s, kDriverTextLine);
        })->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("OutputWriteThree", BM_OutputWriteThree)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("OutputLinesOnly", BM_OutputLinesOnly)
            ->Unit(benchmark::kMillisecond);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
        desk.reset();
    }
    if (!keep) {
        std::error_code ec;
        fs::remove_all(folder, ec);
    }
    return result;
}
