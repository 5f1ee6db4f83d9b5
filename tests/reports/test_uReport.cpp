// The window "Отчет" and the report it hands to the engine: the figures in the template's
// objects, the preview, the list afterwards, a missing or incomplete template; the report
// written as PDF by the command and its text read back.
#include "reports/PeriodTestData.h"

#include "app/CommandLine.h"
#include "guisupport/GuiHelpers.h"
#include "guisupport/ScriptedDialogs.h"
#include "guisupport/ScriptedModalRunner.h"
#include "reports/PeriodTotals.h"
#include "reports/engine/Report.h"
#include "reports/uReport.h"

#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTextStream>

#include <gtest/gtest.h>

namespace {

using namespace vornelta;
using namespace periodtest;

// The program's command line run without a window, in English.
std::optional<int> runDeskCommand(const QStringList& arguments, const QString& executableFolder,
                                  QTextStream& out, QTextStream& err) {
    CommandEnvironment environment;
    environment.executableFolder = executableFolder;
    return runWithoutWindow(arguments, environment, out, err);
}

const QString kTemplate = QStringLiteral("Отчеты/reptotal.frf");

class PeriodReportWindowTest : public DeskFixture {
protected:
    void SetUp() override {
        DeskFixture::SetUp();
        QFile::remove(folder.file(kTemplate));
        ASSERT_TRUE(QFile::copy(QStringLiteral(VORNELTA_RESOURCES_DIR "/") + kTemplate,
                                folder.file(kTemplate)));
        addAnnouncement(*desk, 1, {day(2026, 12, 1), "ФИЗЛИЦА", "НАЛИЧНЫЙ", "ПРОЧЕЕ", 4, 1000});
        addAnnouncement(*desk, 2, {day(2026, 12, 31), "ЮРЛИЦА", "БЕЗНАЛИЧНЫЙ", "УСЛУГИ", 6, 234.5});
        addAnnouncement(*desk, 3, {day(2027, 1, 1), "ЮРЛИЦА", "БЕЗНАЛИЧНЫЙ", "УСЛУГИ", 6, 1});
    }

    QString objectText(const char* name) {
        TReportTextObject* object = desk->report().FindObject(QString::fromLatin1(name));
        return object ? object->text() : QStringLiteral("<none>");
    }

    guisupport::ScriptedDialogs dialogs;
    guisupport::InstallDialogs installDialogs{dialogs};
    guisupport::ScriptedModalRunner runner;
    guisupport::InstallModalRunner installRunner{runner};
};

TEST_F(PeriodReportWindowTest, EachRunFillsTheTemplateShowsThePreviewAndStaysOpen) {
    desk->setClock([] { return QDate(2026, 12, 31); });
    TfReport window(*desk, nullptr);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Отчет"));
    EXPECT_EQ(guisupport::control<QDateEdit>(window, "DateFrom")->date(), QDate(2026, 12, 31));
    EXPECT_EQ(guisupport::control<QPushButton>(window, "BitBtn1")->text(),
              QStringLiteral("Сформировать"));
    desk->search(QStringLiteral("нет такого"));
    ASSERT_TRUE(desk->tData.Filtered());

    QStringList seen;
    runner.next([&](QDialog& preview) {
        EXPECT_GE(desk->report().pageCount(), 1); // before FindObject, which drops the pages
        seen << objectText("interval") << objectText("vskol") << objectText("vssum")
             << objectText("katursum") << objectText("spbeskol");
        return preview.result();
    });
    guisupport::control<QDateEdit>(window, "DateFrom")->setDate(QDate(2026, 12, 1));
    guisupport::control<QPushButton>(window, "BitBtn1")->click();
    EXPECT_EQ(runner.openedTitles(), QStringList{kPreviewCaption});
    EXPECT_EQ(seen, (QStringList{QStringLiteral("с 01.12.2026 по 31.12.2026"), "2", "1234,5",
                                 "234,5", "0"}));
    EXPECT_TRUE(dialogs.boxes().empty());
    EXPECT_FALSE(desk->tData.Filtered()) << "the list stays filtered";
    EXPECT_EQ(desk->tData.RecordCount(), 3);

    // Another run from zero: the last day alone.
    seen.clear();
    runner.next([&](QDialog& preview) {
        seen << objectText("vskol") << objectText("vssum");
        return preview.result();
    });
    guisupport::control<QDateEdit>(window, "DateFrom")->setDate(QDate(2026, 12, 31));
    guisupport::control<QPushButton>(window, "BitBtn1")->click();
    EXPECT_EQ(seen, (QStringList{"1", "234,5"}));
    EXPECT_NE(window.result(), QDialog::Accepted);
}

TEST_F(PeriodReportWindowTest, AMissingOrIncompleteTemplateIsNamedAndNothingIsShown) {
    desk->setClock([] { return QDate(2026, 12, 31); });
    TfReport window(*desk, nullptr);
    ASSERT_TRUE(QFile::remove(folder.file(kTemplate)));
    guisupport::control<QPushButton>(window, "BitBtn1")->click();
    ASSERT_EQ(dialogs.errors().size(), 1);
    EXPECT_TRUE(dialogs.errors()[0].contains("reptotal.frf")) << dialogs.errors()[0].toStdString();

    // A template without the object "koussum".
    QFile source(QStringLiteral(VORNELTA_RESOURCES_DIR "/") + kTemplate);
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    QByteArray bytes = source.readAll();
    ASSERT_TRUE(bytes.contains("name=\"koussum\""));
    bytes.replace("name=\"koussum\" ", "");
    guisupport::writeBytes(folder.file(kTemplate), bytes.toStdString());
    dialogs.clear();
    guisupport::control<QPushButton>(window, "BitBtn1")->click();
    ASSERT_EQ(dialogs.errors().size(), 1);
    EXPECT_TRUE(dialogs.errors()[0].contains("koussum")) << dialogs.errors()[0].toStdString();
    EXPECT_TRUE(runner.opened().empty());
    EXPECT_FALSE(desk->tData.Filtered());
}

TEST_F(PeriodReportWindowTest, CommandWritesThePdfWhoseTextReadsBack) {
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty()) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    saveTable(desk->tData);
    desk.reset();

    const QString pdf = folder.file("report.pdf");
    QString out, err;
    {
        QTextStream o(&out), e(&err);
        const std::optional<int> code =
            runDeskCommand({"--folder", folder.path(), "--period-report", "2026-12-01",
                            "2026-12-31", "--pdf", pdf},
                           "/x", o, e);
        ASSERT_EQ(code, 0) << err.toStdString();
    }
    EXPECT_TRUE(out.isEmpty());
    QProcess process;
    process.start(pdftotext, {"-layout", pdf, "-"});
    ASSERT_TRUE(process.waitForFinished(30000));
    const QString text = QString::fromUtf8(process.readAllStandardOutput());
    EXPECT_TRUE(text.contains(QStringLiteral("с 01.12.2026 по 31.12.2026"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("1234,5"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("234,5")));

    // Without the template: exit 1, the file named, no PDF.
    ASSERT_TRUE(QFile::remove(folder.file(kTemplate)));
    ASSERT_TRUE(QFile::remove(pdf));
    {
        QTextStream o(&out), e(&err);
        const std::optional<int> code =
            runDeskCommand({"--folder", folder.path(), "--period-report", "2026-12-01",
                            "2026-12-31", "--pdf", pdf},
                           "/x", o, e);
        EXPECT_EQ(code, 1);
    }
    EXPECT_TRUE(err.contains("reptotal.frf")) << err.toStdString();
    EXPECT_FALSE(QFile::exists(pdf));
}

} // namespace
