// The report engine on the shipped templates. Target: preparing the receipt (with a
// hundred run days) and the period report each within 100 ms, as the save sequence and
// "Сформировать" do it: load the template, fill the named objects, lay the pages out.
//   Receipt/prepare        sprav.frf: load, dates set, tData bound, prepare
//   PeriodReport/prepare   reptotal.frf: load, 26 objects set, prepare
//   Receipt/pdf            the same receipt written as PDF (for comparison)
#include "desk/Desk.h"
#include "platform/TextCodec.h"
#include "reports/engine/Report.h"
#include "storage/DorodDate.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace vornelta;

QString shipped(const QString& name) {
    return QStringLiteral(VORNELTA_SOURCE_DIR "/resources/") + QStringLiteral("Отчеты/") + name;
}

QString runDays(int count) {
    QStringList days;
    const QDate first(2026, 12, 10);
    for (int i = 0; i < count; ++i)
        days << first.addDays(i).toString(QStringLiteral("dd.MM.yyyy"));
    return days.join(QLatin1Char(','));
}

// A desk with the one announcement the receipt prints.
struct ReceiptDesk {
    QTemporaryDir dir;
    std::unique_ptr<TDesk> desk;
    QString days = runDays(100);

    ReceiptDesk() {
        desk = std::make_unique<TDesk>(ProgramFolder(dir.path()));
        desk->open();
        desk->tData.Insert();
        desk->tData.FieldByName("id").SetAsInteger(4512);
        desk->tData.FieldByName("indate").SetAsDayNumber(dorod::dayNumberFromCivil(2026, 12, 9));
        desk->tData.FieldByName("Client").SetAsString(
            fromQt(QStringLiteral("ПЕТРОВА АННА СЕРГЕЕВНА")));
        desk->tData.FieldByName("Text").SetAsString(fromQt(
            QStringLiteral("ПРОДАМ 2-КОМНАТНУЮ КВАРТИРУ В ЦЕНТРЕ, 5/9, РЕМОНТ, ТЕЛ. 22-33-44")));
        desk->tData.FieldByName("Summa").SetAsFloat(4500);
        desk->tData.Post();
    }

    Result prepare(TReport& report) {
        if (Result loaded = report.LoadFromFile(shipped(QStringLiteral("sprav.frf"))); !loaded)
            return loaded;
        if (Result set = report.setObjectText(QStringLiteral("dates"), days); !set) return set;
        report.bindDataset(QStringLiteral("tData"), &desk->tData);
        return report.PrepareReport();
    }
};

void BM_ReceiptPrepare(benchmark::State& state) {
    ReceiptDesk d;
    for (auto _ : state) {
        if (const Result prepared = d.prepare(d.desk->report()); !prepared) {
            state.SkipWithError(qPrintable(prepared.error()));
            return;
        }
        benchmark::DoNotOptimize(d.desk->report().pageCount());
    }
}

void BM_ReceiptPdf(benchmark::State& state) {
    ReceiptDesk d;
    const QString pdf = d.dir.filePath(QStringLiteral("receipt.pdf"));
    for (auto _ : state) {
        Result done = d.prepare(d.desk->report());
        if (done) done = d.desk->report().exportToPdf(pdf);
        if (!done) {
            state.SkipWithError(qPrintable(done.error()));
            return;
        }
    }
}

void BM_PeriodReportPrepare(benchmark::State& state) {
    static const char* const names[] = {
        "vskol",    "vsslov",     "vssum",    "katfizkol", "katurkol", "katpredkol", "katfizsum",
        "katursum", "katpredsum", "spnalkol", "spbezkol",  "spvzkol",  "spbeskol",   "spnalsum",
        "spbezsum", "spvzsum",    "spbessum", "koprkol",   "koprsum",  "konedkol",   "konedsum",
        "koaukol",  "koausum",    "kouskol",  "koussum"};
    TReport report;
    for (auto _ : state) {
        Result done = report.LoadFromFile(shipped(QStringLiteral("reptotal.frf")));
        if (done)
            done = report.setObjectText(QStringLiteral("interval"),
                                        QStringLiteral("с 01.12.2026 по 31.12.2026"));
        for (const char* name : names)
            if (done) done = report.setObjectText(QLatin1String(name), QStringLiteral("12345,5"));
        if (done) done = report.PrepareReport();
        if (!done) {
            state.SkipWithError(qPrintable(done.error()));
            return;
        }
        benchmark::DoNotOptimize(report.pageCount());
    }
}

} // namespace

BENCHMARK(BM_ReceiptPrepare)->Name("Receipt/prepare")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PeriodReportPrepare)->Name("PeriodReport/prepare")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReceiptPdf)->Name("Receipt/pdf")->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
