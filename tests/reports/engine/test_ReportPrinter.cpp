// Printing on a real CUPS queue (the PDF printer of the test command) through Qt's print
// system, as the desk prints: the receipt from its preview's print button and straight
// without the preview, the period report, the chart, vornelta-report render --printer.
// What the queue wrote is read back: the run days, the sum, the client, Cyrillic, A4.
// And what each path says when the printer is missing, refuses the job, or there is no
// printer at all.
#include "reports/PeriodTestData.h"
#include "reports/engine/ReportTestSupport.h"

#include "guisupport/ExternalTools.h"
#include "guisupport/GuiHelpers.h"
#include "guisupport/ScriptedDialogs.h"
#include "guisupport/ScriptedModalRunner.h"
#include "intake/Receipt.h"
#include "reports/engine/Report.h"
#include "reports/engine/ReportPrinter.h"
#include "reports/uChart.h"
#include "reports/uReport.h"

#include <QAction>
#include <QDateEdit>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QProcessEnvironment>
#include <QPushButton>
#include <QRandomGenerator>

#include <cups/cups.h>

#include <gtest/gtest.h>

namespace {

using namespace vornelta;
using guisupport::cp1251;

// A number no other job of the run carries, to find this test's PDF among the queue's.
QString uniqueMarker() {
    return QString::number(QRandomGenerator::global()->bounded(100000000, 999999999));
}

// The preview's print button pressed, then the print dialog accepted as it stands.
void printFromPreview(guisupport::ScriptedModalRunner& runner) {
    runner.next([&](QDialog& dialog) {
        auto* preview = qobject_cast<QPrintPreviewDialog*>(&dialog);
        EXPECT_NE(preview, nullptr);
        QAction* print = preview ? previewPrintAction(*preview) : nullptr;
        EXPECT_NE(print, nullptr) << "the preview has no print button";
        if (print) print->trigger();
        return dialog.result();
    });
    runner.next([](QDialog& dialog) {
        EXPECT_NE(qobject_cast<QPrintDialog*>(&dialog), nullptr);
        dialog.accept(); // takes the dialog's settings into the printer, as OK does
        return dialog.result();
    });
}

// CUPS asked at a socket where nothing listens: the system has no printer.
class NoCupsServer {
public:
    static constexpr const char* kSocket = "/nonexistent/vornelta-test-cups.sock";
    NoCupsServer()
        : m_saved(qgetenv("CUPS_SERVER")), m_had(qEnvironmentVariableIsSet("CUPS_SERVER")) {
        qputenv("CUPS_SERVER", kSocket);
        cupsSetServer(nullptr); // read the variable again
    }
    ~NoCupsServer() {
        if (m_had)
            qputenv("CUPS_SERVER", m_saved);
        else
            qunsetenv("CUPS_SERVER");
        cupsSetServer(nullptr);
    }

private:
    QByteArray m_saved;
    bool m_had;
};

using reporttest::ReportToolRun;
using reporttest::runReportTool;

class CupsPrintingTest : public periodtest::DeskFixture {
protected:
    void SetUp() override {
        periodtest::DeskFixture::SetUp();
        if (const auto why = guisupport::missingProgram(QStringLiteral("pdftotext")))
            VORNELTA_MISSING_TOOL(*why);
        const auto printer = guisupport::testPrinter();
        if (!printer) VORNELTA_MISSING_TOOL(guisupport::kNoTestPrinter);
        if (!QFileInfo(guisupport::cupsSpoolFolder()).isReadable())
            VORNELTA_MISSING_TOOL(QStringLiteral("the job documents in %1 are root's to read")
                                      .arg(guisupport::cupsSpoolFolder()));
        queue = printer->queue;
        outputFolder = printer->outputFolder;
        ASSERT_TRUE(installedPrinters().contains(queue))
            << queue.toStdString() << " is not among "
            << installedPrinters().join(", ").toStdString();
        before = guisupport::pdfFilesIn(outputFolder);
    }

    // A saved announcement as the receipt reads it; its number, a new one each time.
    int addAnnouncement(const QString& client, double summa) {
        const int id = m_nextId++;
        desk->tData.Append();
        desk->tData.FieldByName("id").SetAsInteger(id);
        desk->tData.FieldByName("indate").SetAsDayNumber(periodtest::day(2026, 12, 9));
        desk->tData.FieldByName("Client").SetAsString(cp1251(client));
        desk->tData.FieldByName("Text").SetAsString(cp1251(QStringLiteral("Продам гараж")));
        desk->tData.FieldByName("Oplata").SetAsString(cp1251(QStringLiteral("НАЛИЧНЫЙ")));
        desk->tData.FieldByName("slov").SetAsInteger(2);
        desk->tData.FieldByName("Summa").SetAsFloat(summa);
        desk->tData.Post();
        return id;
    }
    void installTemplate(const QString& name) {
        const QString target = folder.file(QStringLiteral("Отчеты/") + name);
        QFile::remove(target);
        ASSERT_TRUE(QFile::copy(reporttest::shippedTemplate(name), target));
    }
    // The job this test printed (bounded wait); checks that its pages were sent on the
    // paper given and that the queue's PDF shows them.
    guisupport::PrintedJob printed(const QString& marker, const QString& paper) {
        const guisupport::PrintedJob job =
            guisupport::waitForPrintedJob(outputFolder, before, marker);
        if (job.output.isEmpty()) {
            ADD_FAILURE() << "no job with " << marker.toStdString() << " came out in "
                          << outputFolder.toStdString()
                          << " (or CUPS keeps no job documents: PreserveJobFiles in cupsd.conf)";
            return job;
        }
        m_printed << job.output;
        // The pages as sent; the queue lays a landscape page turned onto an upright sheet.
        EXPECT_EQ(guisupport::pdfPaper(job.document), paper);
        EXPECT_EQ(guisupport::pdfPaper(job.output), QStringLiteral("A4 portrait"));
        EXPECT_EQ(reporttest::pdfPageCount(job.output), reporttest::pdfPageCount(job.document));
        // Measured: the queue's rendering differs from Qt's by about 1 %; another page by far more.
        EXPECT_LT(guisupport::pageDifference(job.output, job.document), 0.03);
        return job;
    }
    void TearDown() override {
        for (const QString& pdf : m_printed)
            QFile::remove(pdf);
        periodtest::DeskFixture::TearDown();
    }

    QString queue, outputFolder;
    QSet<QString> before;
    guisupport::ScriptedDialogs dialogs;
    guisupport::InstallDialogs installDialogs{dialogs};
    guisupport::ScriptedModalRunner runner;
    guisupport::InstallModalRunner installRunner{runner};

private:
    QStringList m_printed;
    int m_nextId = 4512;
};

TEST_F(CupsPrintingTest, ReceiptReachesTheDesksPrinterFromThePreviewAndWithoutIt) {
    installTemplate(QStringLiteral("sprav.frf"));
    desk->settings.Printer = queue;
    for (const bool withoutPreview : {false, true}) {
        SCOPED_TRACE(withoutPreview ? "without the preview" : "from the preview");
        const QString marker = uniqueMarker();
        const QString client = QStringLiteral("ПЕТРОВА АННА ") + marker;
        const int id = addAnnouncement(client, 1234.5);
        desk->settings.ReceiptWithoutPreview = withoutPreview;
        if (!withoutPreview) printFromPreview(runner);
        const size_t opened = runner.opened().size();
        const Result receipt = runReceipt(
            *desk, nullptr, id, {QStringLiteral("10.12.2026"), QStringLiteral("11.12.2026")});
        ASSERT_TRUE(receipt) << receipt.error().toStdString();
        EXPECT_EQ(runner.opened().size(), opened + (withoutPreview ? 0 : 2));
        EXPECT_TRUE(dialogs.boxes().empty()) << dialogs.errors().join('|').toStdString();

        const guisupport::PrintedJob job = printed(marker, QStringLiteral("A4 portrait"));
        if (job.output.isEmpty()) continue;
        const QString text = guisupport::pdfText(job.document);
        for (const QString& part :
             {client, QStringLiteral("10.12.2026,11.12.2026"), QStringLiteral("1234,50"),
              QStringLiteral("КВИТАНЦИЯ № %1").arg(id)})
            EXPECT_TRUE(text.contains(part)) << part.toStdString() << "\n" << text.toStdString();
    }
}

TEST_F(CupsPrintingTest, PeriodReportAndChartPrintThroughTheirPrintDialogs) {
    installTemplate(QStringLiteral("reptotal.frf"));
    desk->settings.Printer = queue;
    // The sum is the marker: it is printed in the report and in the chart's totals.
    const int sum = QRandomGenerator::global()->bounded(100000, 999999);
    periodtest::addAnnouncement(*desk, 1,
                                {periodtest::day(2026, 12, 2), QStringLiteral("ЮРЛИЦА"),
                                 QStringLiteral("БЕЗНАЛИЧНЫЙ"), QStringLiteral("УСЛУГИ"), 6,
                                 double(sum)});

    desk->setClock([] { return QDate(2026, 12, 31); });
    TfReport report(*desk, nullptr);
    guisupport::control<QDateEdit>(report, "DateFrom")->setDate(QDate(2026, 12, 1));
    printFromPreview(runner);
    guisupport::control<QPushButton>(report, "BitBtn1")->click();
    const guisupport::PrintedJob reportJob =
        printed(QString::number(sum), QStringLiteral("A4 portrait"));
    const QString reportText = guisupport::pdfText(reportJob.document);
    EXPECT_TRUE(reportText.contains(QStringLiteral("с 01.12.2026 по 31.12.2026")))
        << reportText.toStdString();
    EXPECT_TRUE(reportText.contains(QStringLiteral("Юридические лица")));

    before = guisupport::pdfFilesIn(outputFolder);
    desk->setClock([] { return QDate(2026, 12, 9); });
    TfChart chart(*desk, nullptr);
    guisupport::control<QPushButton>(chart, "BitBtn1")->click();
    runner.next([](QDialog& dialog) {
        dialog.accept();
        return dialog.result();
    });
    guisupport::control<QPushButton>(chart, "BitBtn3")->click();
    const guisupport::PrintedJob chartJob =
        printed(QString::number(sum), QStringLiteral("A4 landscape"));
    EXPECT_TRUE(guisupport::pdfText(chartJob.document).contains(QStringLiteral("Выручка")));
    EXPECT_TRUE(dialogs.boxes().empty()) << dialogs.errors().join('|').toStdString();
}

TEST_F(CupsPrintingTest, ReportToolPrintsOnlyOnAPrinterThatTakesTheJob) {
    const QString refusing = qEnvironmentVariable("VORNELTA_TEST_REFUSING_PRINTER");
    struct Case {
        QString printer;
        int exitCode;
        QString message; // in stderr
    };
    const std::vector<Case> cases{
        {queue, 0, {}},
        {QStringLiteral("нет-такого-принтера"), 1,
         QStringLiteral("«нет-такого-принтера» не найден")},
        {refusing, 1, QStringLiteral("не принимает задания")},
    };
    for (const Case& c : cases) {
        if (c.printer.isEmpty()) {
            ADD_FAILURE() << "VORNELTA_TEST_REFUSING_PRINTER is not set";
            continue;
        }
        SCOPED_TRACE(c.printer.toStdString());
        const QString marker = uniqueMarker();
        const ReportToolRun r = runReportTool(
            {QStringLiteral("render"), reporttest::shippedTemplate(QStringLiteral("sprav.frf")),
             QStringLiteral("--set"), QStringLiteral("dates=01.02.2027,") + marker,
             QStringLiteral("--printer"), c.printer});
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err.toStdString();
        if (c.exitCode != 0) {
            EXPECT_TRUE(r.err.contains(c.message)) << r.err.toStdString();
            continue;
        }
        const guisupport::PrintedJob job = printed(marker, QStringLiteral("A4 portrait"));
        EXPECT_TRUE(guisupport::pdfText(job.document).contains(QStringLiteral("КВИТАНЦИЯ")));
    }
}

TEST_F(CupsPrintingTest, ReceiptForAPrinterThatIsGoneIsSaidAndOpensThePreview) {
    installTemplate(QStringLiteral("sprav.frf"));
    const int id = addAnnouncement(QStringLiteral("СИДОРОВ"), 10);
    desk->settings.Printer = QStringLiteral("снятый-принтер");
    desk->settings.ReceiptWithoutPreview = true;
    runner.next([](QDialog& preview) { return preview.result(); });
    ASSERT_TRUE(runReceipt(*desk, nullptr, id, {QStringLiteral("10.12.2026")}));
    ASSERT_EQ(dialogs.errors().size(), 1);
    EXPECT_TRUE(dialogs.errors()[0].contains(QStringLiteral("«снятый-принтер» не найден")))
        << dialogs.errors()[0].toStdString();
    EXPECT_EQ(runner.openedTitles(), QStringList{kPreviewCaption});
}

// No CUPS at all answers: every printing path says so, none offers an empty dialog.
class NoPrinterTest : public periodtest::DeskFixture {
protected:
    guisupport::ScriptedDialogs dialogs;
    guisupport::InstallDialogs installDialogs{dialogs};
    guisupport::ScriptedModalRunner runner;
    guisupport::InstallModalRunner installRunner{runner};
};

TEST_F(NoPrinterTest, EveryPrintingPathSaysThereIsNoPrinter) {
    const QString report = reporttest::shippedTemplate(QStringLiteral("sprav.frf"));
    TReport& prepared = desk->newReport();
    ASSERT_TRUE(prepared.LoadFromFile(report));
    prepared.setUnboundPlaceholdersKept(true);
    ASSERT_TRUE(prepared.PrepareReport());
    NoCupsServer noCups;
    ASSERT_TRUE(installedPrinters().isEmpty());

    const ReportToolRun tool =
        runReportTool({QStringLiteral("render"), report, QStringLiteral("--printer"), QString()},
                      QString::fromLatin1(NoCupsServer::kSocket));
    EXPECT_EQ(tool.exitCode, 1);
    EXPECT_TRUE(tool.err.contains(QStringLiteral("Принтер не установлен")))
        << tool.err.toStdString();

    EXPECT_FALSE(printReport(prepared, QString()));
    EXPECT_TRUE(
        resolvePrinter(QString()).error().contains(QStringLiteral("Принтер не установлен")));

    // The preview's print button: the message, and no print dialog after the preview.
    runner.next([&](QDialog& dialog) {
        if (QAction* print = previewPrintAction(static_cast<QPrintPreviewDialog&>(dialog)))
            print->trigger();
        return dialog.result();
    });
    prepared.ShowPreparedReport(nullptr);
    EXPECT_EQ(runner.openedTitles(), QStringList{kPreviewCaption});

    desk->setClock([] { return QDate(2026, 12, 9); });
    TfChart chart(*desk, nullptr);
    guisupport::control<QPushButton>(chart, "BitBtn3")->click();
    EXPECT_EQ(runner.opened().size(), 1u);
    ASSERT_EQ(dialogs.errors().size(), 2);
    for (const QString& e : dialogs.errors())
        EXPECT_TRUE(e.startsWith(QStringLiteral("Принтер не установлен"))) << e.toStdString();
}

} // namespace
