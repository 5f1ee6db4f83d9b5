// The entry form on the large demo folder (200 000 announcements, 2 000 000 run dates):
// what the operator waits for at the counter.
//
//   FormOpen/change    TfDetal built for a change of an announcement with run days: its
//                      days loaded through the run-date view (rebuilt over 2 000 000 rows;
//                      before, the view followed another announcement), the fields
//                      and colours filled, the price. Target <= 100 ms.
//   FormOpen/new       the same for a new announcement (numbering).
//   ClientLookUp/*     one keystroke in the client box of a new announcement: the look-up
//                      of the first announcement whose client begins with the text, the
//                      box completed and passport, telephone and category filled.
//                      Target <= 10 ms.
//   SaveNew            saveAnnouncement of a new announcement with five run days: data.d
//                      and dates.d each written whole, as the form saves.
//   PlainWrite         the same bytes (both files as they are) written to a temporary
//                      file each, flushed to disk and renamed over, as the engine does.
//                      Target: SaveNew <= 2 x PlainWrite.
//
// The demo folder is generated once (in a child process) into a temporary folder and
// removed at the end; --workload_dir=DIR uses (and keeps) the folder in DIR.
#include "bench/BenchSummary.h"
#include "bench/BenchWindows.h"
#include "bench/LargeDemoFolder.h"
#include "desk/Desk.h"
#include "intake/Announcement.h"
#include "intake/RunDates.h"
#include "intake/uDetal.h"
#include "platform/Dialogs.h"
#include "platform/SystemLocale.h"
#include "tables/AnnouncementTables.h"
#include "tools/demodata/DemoData.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QLineEdit>

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

using vornelta::bench::SilentDialogs;

namespace {

namespace fs = std::filesystem;
using namespace vornelta;

struct World {
    QString folder;
    std::unique_ptr<TDesk> desk;
    int changedId = 0; // an announcement with run days
};
World* world = nullptr;

void BM_FormOpen(benchmark::State& state, bool newAnnouncement) {
    TDesk& desk = *world->desk;
    // The run-date view stands on another announcement, so the form rebuilds it.
    const auto setUp = [&] {
        desk.tData.First();
        desk.followCurrentAnnouncement();
        desk.tData.Locate("id", {std::to_string(world->changedId)});
    };
    setUp();
    for (auto _ : state) {
        auto form = std::make_unique<TfDetal>(desk, nullptr, newAnnouncement);
        benchmark::DoNotOptimize(form->number());
        state.PauseTiming(); // closing the form is not waited for
        form.reset();
        setUp();
        state.ResumeTiming();
    }
}

void BM_ClientLookUp(benchmark::State& state, const char* typed) {
    TDesk& desk = *world->desk;
    TfDetal form(desk, nullptr, true);
    auto* client = form.findChild<QLineEdit*>(QStringLiteral("eClient"));
    auto* pasport = form.findChild<QLineEdit*>(QStringLiteral("ePasp"));
    const QString text = QString::fromUtf8(typed);
    for (auto _ : state) {
        client->setText(text);
        form.eClientChange(text);
        benchmark::DoNotOptimize(pasport->text().size());
    }
}

void BM_SaveNew(benchmark::State& state) {
    TDesk& desk = *world->desk;
    const int32_t first = dayNumberOf(QDate(2026, 12, 10));
    for (auto _ : state) {
        state.PauseTiming();
        TAnnouncement a;
        a.id = nextAnnouncementNumber(desk.tData, nullptr);
        a.indate = QDate(2026, 12, 9);
        a.client = QStringLiteral("ИВАНОВ ИВАН");
        a.clientCat = QStringLiteral("ФИЗЛИЦА");
        a.oplata = QStringLiteral("НАЛИЧНЫЙ");
        a.objCat = QStringLiteral("ПРОЧЕЕ");
        a.text = QStringLiteral("Продам гараж в центре города недорого");
        a.xml = QStringLiteral("<<16777215>>\r\n") + a.text;
        a.slov = 5;
        a.summa = 62.5;
        state.ResumeTiming();
        const Result r =
            saveAnnouncement(desk, a, {first, first + 1, first + 2, first + 3, first + 4}, true);
        if (!r) state.SkipWithError(qPrintable(r.error()));
    }
}

std::string readAll(const std::string& path) {
    std::string bytes;
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        char buffer[1 << 16];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
            bytes.append(buffer, n);
        std::fclose(f);
    }
    return bytes;
}

bool writeReplace(const std::string& path, const std::string& bytes) {
    const std::string temp = path + ".plain";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return false;
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) break;
        done += size_t(n);
    }
    const bool ok = done == bytes.size() && ::fsync(fd) == 0;
    ::close(fd);
    return ok && ::rename(temp.c_str(), (path + ".copy").c_str()) == 0;
}

void BM_PlainWrite(benchmark::State& state) {
    const std::string dates = world->desk->tDates.TablePath();
    const std::string dataBytes = readAll(world->desk->tData.TablePath());
    const std::string datesBytes = readAll(dates);
    for (auto _ : state) {
        if (!writeReplace(world->desk->tData.TablePath(), dataBytes) ||
            !writeReplace(dates, datesBytes))
            state.SkipWithError("plain write failed");
    }
    std::remove((world->desk->tData.TablePath() + ".copy").c_str());
    std::remove((dates + ".copy").c_str());
}

class SummaryReporter : public bench::FigureReporter {
public:
    using FigureReporter::FigureReporter;
    void Finalize() override {
        ConsoleReporter::Finalize();
        std::FILE* out = stdout;
        std::fprintf(out, "\n%-24s %10s %10s %10s %8s  %s\n", "benchmark", "median", "fastest",
                     "plain", "ratio", "target");
        line(out, "FormOpen/change", "", 100, 0);
        line(out, "FormOpen/new", "", 0, 0);
        line(out, "ClientLookUp/I", "", 10, 0);
        line(out, "ClientLookUp/IVANOV", "", 10, 0);
        line(out, "ClientLookUp/none", "", 10, 0);
        line(out, "SaveNew", "PlainWrite", 0, 2);
    }

private:
    void line(std::FILE* out, const std::string& name, const std::string& plain, double targetMs,
              double ratio) {
        const bench::Figures* f = figures(name);
        if (!f || !f->real) return;
        const bench::Figures* p = plain.empty() ? nullptr : figures(plain);
        std::fprintf(out, "%-24s %10.2f %10.2f", name.c_str(), *f->real, f->fastest.value_or(0));
        if (p && p->real)
            std::fprintf(out, " %10.2f %8.2f", *p->real, *f->real / *p->real);
        else
            std::fprintf(out, " %10s %8s", "", "");
        if (targetMs > 0)
            std::fprintf(out, "  <= %.0f ms: %s", targetMs,
                         *f->real <= targetMs ? "met" : "MISSED");
        if (ratio > 0 && p && p->real)
            std::fprintf(out, "  <= %.0fx plain: %s", ratio,
                         *f->real <= ratio * *p->real ? "met" : "MISSED");
        std::fprintf(out, "\n");
    }
};

// An announcement in the middle of the table that has run days.
int announcementWithDays(TDesk& desk) {
    desk.tData.SetRecNo(desk.tData.RecordCount() / 2);
    for (int i = 0; i < 1000; ++i, desk.tData.Next()) {
        desk.followCurrentAnnouncement();
        if (desk.tDates.RecordCount() > 0) return desk.tData.FieldByName("id").AsInteger();
    }
    return desk.tData.FieldByName("id").AsInteger();
}

} // namespace

int main(int argc, char** argv) {
    std::string workloadDir;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--workload_dir=", 15) == 0)
            workloadDir = argv[i] + 15;
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    argv[argc] = nullptr;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    const bool keep = !workloadDir.empty();
    fs::path folder = workloadDir;
    if (!keep) {
        std::string pattern = (fs::temp_directory_path() / "vornelta-intake-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) return 1;
        folder = pattern;
    }
    if (!fs::exists(folder / "data.d") && !vornelta::bench::makeLargeDemoFolder(folder, argc, argv))
        return 1;

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    applySystemLocale();
    SilentDialogs dialogs;
    Dialogs::setInstance(&dialogs);

    World w;
    world = &w;
    w.folder = QString::fromStdString(folder.string());
    w.desk = std::make_unique<TDesk>(ProgramFolder(w.folder));
    w.desk->open();
    w.changedId = announcementWithDays(*w.desk);

    benchmark::RegisterBenchmark("FormOpen/change", BM_FormOpen, false)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("FormOpen/new", BM_FormOpen, true)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("ClientLookUp/I", BM_ClientLookUp, "И")
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("ClientLookUp/IVANOV", BM_ClientLookUp, "ИВАНОВ")
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("ClientLookUp/none", BM_ClientLookUp, "ЪЪЪ")
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("SaveNew", BM_SaveNew)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(10);
    benchmark::RegisterBenchmark("PlainWrite", BM_PlainWrite)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(10);

    SummaryReporter reporter(benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    Dialogs::setInstance(nullptr);
    w.desk.reset();
    world = nullptr;
    std::error_code ec;
    if (!keep) fs::remove_all(folder, ec);
    return 0;
}
