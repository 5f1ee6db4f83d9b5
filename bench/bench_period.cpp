// The period totals and the revenue chart on the large demo folder (200 000 announcements
// over three years):
//
//   Totals/month, Totals/year   computePeriodTotals for the last 30 / 365 intake days:
//                               the period filter over data.d, the groups, the filter
//                               off again. Target <= 20 ms each.
//   Chart/year                  computeRevenueChart for the last 365 days and its drawing
//                               into a 1600 x 900 image. Target <= 200 ms.
//   PlainTotals/year            the same sums over plain vectors, for scale.
//
// Options besides the usual --benchmark_* ones:
//   --workload_dir=DIR   use the demo folder in DIR, generating it there when it has no
//                        data.d, and keep it
#include "bench/BenchOptions.h"
#include "desk/Desk.h"
#include "platform/SystemLocale.h"
#include "reports/PeriodTotals.h"
#include "reports/RevenueChart.h"
#include "tools/demodata/DemoData.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::unique_ptr<vornelta::TDesk> desk;
int32_t lastDay = 0;

struct PlainRow {
    int32_t indate;
    int32_t slov;
    double summa;
};
std::vector<PlainRow> plainRows;

void BM_Totals(benchmark::State& state) {
    const int32_t days = int32_t(state.range(0));
    int32_t rows = 0;
    for (auto _ : state)
        rows = vornelta::computePeriodTotals(*desk, lastDay - days + 1, lastDay).rows;
    state.counters["rows"] = rows;
}

void BM_PlainTotals(benchmark::State& state) {
    const int32_t from = lastDay - int32_t(state.range(0)) + 1;
    for (auto _ : state) {
        double money = 0;
        int32_t words = 0, rows = 0;
        for (const PlainRow& r : plainRows)
            if (r.indate >= from && r.indate <= lastDay) {
                money += r.summa;
                words += r.slov;
                ++rows;
            }
        benchmark::DoNotOptimize(money);
        benchmark::DoNotOptimize(words);
        benchmark::DoNotOptimize(rows);
    }
}

void BM_Chart(benchmark::State& state) {
    QImage image(1600, 900, QImage::Format_RGB32);
    for (auto _ : state) {
        const vornelta::RevenueChart chart =
            vornelta::computeRevenueChart(*desk, lastDay - 364, lastDay);
        QPainter painter(&image);
        vornelta::paintRevenueChart(painter, QRectF(image.rect()), chart);
    }
}

} // namespace

int main(int argc, char** argv) {
    const std::string workloadDir = vornelta::bench::takeWorkloadDir(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    vornelta::applySystemLocale();

    const bool keep = !workloadDir.empty();
    fs::path folder =
        keep ? fs::path(workloadDir) : fs::temp_directory_path() / "vornelta-reports-bench";
    lastDay = vornelta::workload::AnnouncementGenerator::defaultLastDay();
    if (!fs::exists(folder / "data.d")) {
        vornelta::demo::DemoOptions o;
        o.folder = QString::fromStdString(folder.string());
        o.large = true;
        o.force = true;
        o.today = lastDay;
        try {
            vornelta::demo::makeDemoFolder(o);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "demo data: %s\n", e.what());
            return 1;
        }
    }
    desk = std::make_unique<vornelta::TDesk>(
        vornelta::ProgramFolder(QString::fromStdString(folder.string())));
    desk->open();
    for (desk->tData.First(); !desk->tData.Eof(); desk->tData.Next())
        plainRows.push_back({desk->tData.FieldByName("indate").AsDayNumber(),
                             desk->tData.FieldByName("slov").AsInteger(),
                             desk->tData.FieldByName("Summa").AsFloat()});

    benchmark::RegisterBenchmark("Totals/month", BM_Totals)->Arg(30)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Totals/year", BM_Totals)->Arg(365)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("PlainTotals/year", BM_PlainTotals)
        ->Arg(365)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Chart/year", BM_Chart)->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    desk.reset();
    if (!keep) fs::remove_all(folder);
    return 0;
}
