// The report component as the receipt and the period report use it: load a template,
// fill named objects and placeholders, lay out (stretching text onto further pages),
// preview through the modal runner, and write a PDF read back with pdftotext.
#include "reports/engine/Report.h"
#include "reports/engine/ReportTestSupport.h"

#include "desk/Desk.h"
#include "guisupport/ScriptedDialogs.h"
#include "guisupport/ScriptedModalRunner.h"
#include "intake/Receipt.h"
#include "storage/DorodDate.h"
#include "storage/DorodLocale.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

using namespace vornelta;
using guisupport::ScriptedDialogs;
using guisupport::ScriptedModalRunner;
using guisupport::TempFolder;
using reporttest::done;
using reporttest::pageXml;
using reporttest::pdfText;
using reporttest::reportXml;
using reporttest::shippedTemplate;
using reporttest::writeTemplate;

// A hundred run days as the entry form hands them over: short dates, "," and no spaces.
QString runDays(int count) {
    QStringList days;
    const QDate first(2026, 12, 10);
    for (int i = 0; i < count; ++i)
        days << first.addDays(i).toString(QStringLiteral("dd.MM.yyyy"));
    return days.join(QLatin1Char(','));
}

QString noSpace(QString text) {
    return text.remove(QRegularExpression(QStringLiteral("\\s")));
}

class ReportTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_savedFormats = dorod::formatSettings();
        dorod::setFormatSettings({"dd.MM.yyyy", "hh:mm:ss", ','});
    }
    void TearDown() override { dorod::setFormatSettings(m_savedFormats); }

    QString write(const QString& xml, const QString& name = QStringLiteral("t.frf")) {
        return writeTemplate(folder, name, xml);
    }
    QString pdf(TReport& report, const QString& name = QStringLiteral("out.pdf")) {
        const QString path = folder.file(name);
        EXPECT_TRUE(done(report.exportToPdf(path)));
        return path;
    }

    TempFolder folder;

private:
    dorod::FormatSettings m_savedFormats;
};

// The receipt's shape on a small page: a heading, the run days stretching, a total below.
QString receiptLike() {
    return reportXml(pageXml(
        QStringLiteral("<text name=\"title\" rect=\"10 10 85 8\" bold=\"yes\">КВИТАНЦИЯ</text>\n"
                       "<text name=\"client\" rect=\"10 20 85 8\">Заказчик</text>\n"
                       "<text name=\"dates\" rect=\"10 30 85 8\" frame=\"all\" wrap=\"list\" "
                       "stretch=\"yes\"></text>\n"
                       "<text name=\"total\" rect=\"10 40 85 8\">ИТОГО ДНЕЙ</text>\n"
                       "<line name=\"rule\" from=\"10 49\" to=\"95 49\"/>\n"),
        QStringLiteral("size=\"A6\" margins=\"10 10 10 10\"")));
}

TEST_F(ReportTest, NamedObjectsReplacedInThePdfWithCyrillicEmbedded) {
    TReport report;
    ASSERT_TRUE(done(report.LoadFromFile(write(receiptLike()))));
    ASSERT_TRUE(
        done(report.setObjectText(QStringLiteral("client"), QStringLiteral("ООО «ЁЛКА» — Щукин"))));
    report.FindObject(QStringLiteral("dates"))->setText(QStringLiteral("10.06.2004,11.06.2004"));
    ASSERT_TRUE(done(report.PrepareReport()));
    EXPECT_EQ(report.pageCount(), 1);
    const QString path = pdf(report);
    const QString text = pdfText(path);
    EXPECT_TRUE(text.contains(QStringLiteral("ООО «ЁЛКА» — Щукин"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("10.06.2004,11.06.2004"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("Заказчик")))
        << "the template's own text is replaced";
    EXPECT_TRUE(text.contains(QStringLiteral("КВИТАНЦИЯ")));
    // Every font the text uses travels inside the file.
    const QStringList fonts = reporttest::pdfFonts(path);
    ASSERT_FALSE(fonts.isEmpty());
    for (const QString& line : fonts) {
        const QStringList cols = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        ASSERT_GE(cols.size(), 5);
        EXPECT_EQ(cols[cols.size() - 5], QStringLiteral("yes"))
            << "not embedded: " << line.toStdString();
    }
}

TEST_F(ReportTest, ObjectsAreFoundByNameOnTheFirstPageOnly) {
    TReport report;
    ASSERT_TRUE(done(report.LoadFromFile(write(
        reportXml(pageXml(QStringLiteral("<text name=\"dates\" rect=\"1 1 50 8\">a</text><line "
                                         "name=\"rule\" from=\"1 1\" to=\"5 1\"/>")) +
                  pageXml(QStringLiteral("<text name=\"second\" rect=\"1 1 50 8\">b</text>")))))));
    ASSERT_NE(report.FindObject(QStringLiteral("dates")), nullptr);
    EXPECT_EQ(report.FindObject(QStringLiteral("dates"))->text(), QStringLiteral("a"));
    EXPECT_EQ(report.FindObject(QStringLiteral("Dates")), nullptr) << "names are exact";
    EXPECT_EQ(report.FindObject(QStringLiteral("second")), nullptr) << "second page";
    EXPECT_EQ(report.FindObject(QStringLiteral("rule")), nullptr) << "a line is no text object";

    const Result missing = report.setObjectText(QStringLiteral("vskol"), QStringLiteral("1"));
    EXPECT_FALSE(missing);
    EXPECT_EQ(missing.error(), QStringLiteral("В шаблоне отчета «%1» нет объекта «vskol»")
                                   .arg(folder.file(QStringLiteral("t.frf"))));
}

TEST_F(ReportTest, FailedLoadLeavesTheReportEmpty) {
    TReport report;
    ASSERT_TRUE(done(report.LoadFromFile(write(receiptLike()))));
    ASSERT_TRUE(done(report.PrepareReport()));
    const Result loaded = report.LoadFromFile(folder.file(QStringLiteral("нет.frf")));
    EXPECT_FALSE(loaded);
    EXPECT_TRUE(loaded.error().contains(QStringLiteral("нет.frf")));
    EXPECT_FALSE(report.isLoaded());
    EXPECT_EQ(report.pageCount(), 0);
    EXPECT_EQ(report.FindObject(QStringLiteral("dates")), nullptr);
    const QString empty = QStringLiteral("Шаблон отчета не загружен");
    EXPECT_EQ(report.setObjectText(QStringLiteral("dates"), QStringLiteral("x")).error(), empty);
    EXPECT_EQ(report.PrepareReport().error(), empty);
    EXPECT_EQ(report.exportToPdf(folder.file(QStringLiteral("x.pdf"))).error(), empty);
    EXPECT_FALSE(QFileInfo::exists(folder.file(QStringLiteral("x.pdf"))));
}

TEST_F(ReportTest, HundredRunDaysFlowOntoTheNextPageWhole) {
    TReport report;
    ASSERT_TRUE(done(report.LoadFromFile(write(receiptLike()))));
    const QString days = runDays(100);
    ASSERT_TRUE(done(report.setObjectText(QStringLiteral("dates"), days)));
    ASSERT_TRUE(done(report.PrepareReport()));
    ASSERT_GE(report.pageCount(), 2);

    // No line is lost or cut inside a date: the pages' lines give back the whole list.
    QStringList lines;
    for (const TPreparedPage& page : report.preparedPages())
        for (const TPreparedItem& item : page.items)
            if (item.source->name() == QLatin1String("dates")) lines += item.lines;
    EXPECT_EQ(lines.join(QString()), days);
    for (const QString& line : lines)
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^(\\d\\d\\.\\d\\d\\.\\d{4},?)+$"))
                        .match(line)
                        .hasMatch())
            << line.toStdString();

    // The pieces stay inside the margins and the total follows the last piece.
    const TPreparedPage& last = report.preparedPages().back();
    double datesBottom = 0, totalTop = -1, ruleY = -1;
    for (const TPreparedItem& item : last.items) {
        EXPECT_LE(item.rect.bottom(), last.size.height() - 10 + 1e-6)
            << item.source->name().toStdString();
        if (item.source->name() == QLatin1String("dates")) {
            EXPECT_DOUBLE_EQ(item.rect.top(), 10) << "a continued piece starts at the top margin";
            datesBottom = item.rect.bottom();
        }
        if (item.source->name() == QLatin1String("total")) totalTop = item.rect.top();
        if (item.source->name() == QLatin1String("rule")) ruleY = item.line.y1();
    }
    EXPECT_NEAR(totalTop, datesBottom + 2, 1e-6) << "the gap of the design is kept";
    EXPECT_NEAR(ruleY, totalTop + 9, 1e-6) << "a line moves with what lies above it";
    for (const TPreparedItem& item : report.preparedPages().front().items)
        EXPECT_NE(item.source->name(), QStringLiteral("total")) << "pushed off the first page";

    const QString path = pdf(report);
    EXPECT_EQ(reporttest::pdfPageCount(path), report.pageCount());
    const QString firstPage = pdfText(path, 1, 1);
    const QString lastPage = pdfText(path, report.pageCount(), report.pageCount());
    EXPECT_TRUE(firstPage.contains(QStringLiteral("10.12.2026"))) << firstPage.toStdString();
    EXPECT_TRUE(lastPage.contains(QStringLiteral("19.03.2027"))) << lastPage.toStdString();
    EXPECT_TRUE(noSpace(pdfText(path)).contains(days)) << "every day printed, in order";
    EXPECT_GT(lastPage.indexOf(QStringLiteral("ИТОГО ДНЕЙ")),
              lastPage.indexOf(QStringLiteral("19.03.2027")));
}

TEST_F(ReportTest, StretchingPushesOnlyWhatLiesBelow) {
    TReport report;
    ASSERT_TRUE(done(report.LoadFromFile(write(reportXml(
        pageXml(QStringLiteral("<text name=\"grow\" rect=\"10 20 40 6\" stretch=\"yes\">x</text>\n"
                               "<text name=\"beside\" rect=\"60 22 40 6\">рядом</text>\n"
                               "<text name=\"touching\" rect=\"60 26 40 6\">x</text>\n"
                               "<text name=\"fixed\" rect=\"10 40 40 6\">x</text>\n"
                               "<rect name=\"below\" rect=\"10 50 40 6\"/>\n")))))));
    const QString longText = QStringLiteral("слово ").repeated(60).trimmed();
    ASSERT_TRUE(done(report.setObjectText(QStringLiteral("grow"), longText)));
    ASSERT_TRUE(done(report.PrepareReport()));
    ASSERT_EQ(report.pageCount(), 1);
    std::map<QString, TPreparedItem> items;
    for (const TPreparedItem& item : report.preparedPages()[0].items)
        items[item.source->name()] = item;
    const double growth = items["grow"].rect.height() - 6;
    ASSERT_GT(growth, 10);
    EXPECT_EQ(items["grow"].rect.top(), 20);
    EXPECT_EQ(items["beside"].rect.top(), 22) << "starts above the growing text's bottom";
    EXPECT_NEAR(items["touching"].rect.top(), 26 + growth, 1e-6)
        << "its top lies exactly at the growing text's bottom";
    EXPECT_NEAR(items["fixed"].rect.top(), 40 + growth, 1e-6);
    EXPECT_EQ(items["fixed"].rect.height(), 6) << "a text that does not stretch keeps its box";
    EXPECT_NEAR(items["below"].rect.top(), 50 + growth, 1e-6);
}

// A box that does not stretch never drops a value: the text is set smaller until it fits,
// and when even the smallest size does not fit the report is not prepared.
TEST_F(ReportTest, FixedBoxesShrinkTheirTextOrRefuseNamingTheObject) {
    struct Case {
        const char* what;
        QString attributes; // of a text in a box 40 mm wide
        QString value;
        bool shrunk;
        bool fits;
    };
    const QString words = QStringLiteral("слово ").repeated(5).trimmed();
    const std::vector<Case> cases = {
        {"a short value keeps its size", QStringLiteral("rect=\"10 10 40 7\""),
         QStringLiteral("1234,5"), false, true},
        {"a total of 10^15 stays whole", QStringLiteral("rect=\"10 10 40 7\" size=\"12\""),
         QStringLiteral("1,23456789012346E+15"), true, true},
        // Room for two lines, but a number's comma is no place to break.
        {"a comma outside a list", QStringLiteral("rect=\"10 10 40 10\""),
         QStringLiteral("123456789,123456789"), true, true},
        {"a list breaks after its commas", QStringLiteral("rect=\"10 10 40 14\" wrap=\"list\""),
         QStringLiteral("10.06.2004,11.06.2004,12.06.2004"), false, true},
        {"words take a second line of a smaller size", QStringLiteral("rect=\"10 10 40 9\""), words,
         true, true},
        {"a line that may not wrap is set smaller",
         QStringLiteral("rect=\"10 10 40 7\" wrap=\"no\""), words, true, true},
        {"too much for the smallest size", QStringLiteral("rect=\"10 10 40 7\""),
         QStringLiteral("слово ").repeated(40).trimmed(), true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TReport report;
        ASSERT_TRUE(done(report.LoadFromFile(write(
            reportXml(pageXml(QStringLiteral("<text name=\"cell\" %1/>\n").arg(c.attributes)))))));
        ASSERT_TRUE(done(report.setObjectText(QStringLiteral("cell"), c.value)));
        const Result prepared = report.PrepareReport();
        const QString& error = prepared.error();
        ASSERT_EQ(prepared.ok(), c.fits) << error.toStdString();
        if (!c.fits) {
            EXPECT_TRUE(error.startsWith(
                QStringLiteral("Шаблон отчета «%1», объект «cell» (строка 4): текст «")
                    .arg(folder.file(QStringLiteral("t.frf")))))
                << error.toStdString();
            EXPECT_EQ(report.pageCount(), 0);
            continue;
        }
        const TPreparedItem& cell = report.preparedPages()[0].items[0];
        const bool list = c.attributes.contains(QStringLiteral("list"));
        EXPECT_EQ(cell.lines.join(list ? QString() : QStringLiteral(" ")), c.value)
            << "nothing lost, no word split";
        EXPECT_EQ(cell.rect.height(), report.reportTemplate().pages[0].objects[0]->rect.height());
        const double designed = static_cast<const TReportTextObject&>(*cell.source).fontSize;
        EXPECT_EQ(cell.fontSize < designed, c.shrunk) << cell.fontSize;
        EXPECT_GE(cell.fontSize, kSmallestFontSize);
        EXPECT_LE(cell.lines.size() * cell.lineHeight + 2 * kTextPaddingY,
                  cell.rect.height() + 1e-6);
    }
}

// Placeholders read the current row of the dataset bound by name.
class ReportDatasetTest : public ReportTest {
protected:
    void SetUp() override {
        ReportTest::SetUp();
        desk = std::make_unique<TDesk>(ProgramFolder(folder.path()));
        desk->open();
        addRow(7, QStringLiteral("ПЕРВЫЙ"), 10.0, 3);
        addRow(8, QStringLiteral("ИВАНОВ И.И."), 1234.5, 12);
    }
    void addRow(int id, const QString& client, double sum, int words) {
        desk->tData.Insert();
        desk->tData.FieldByName("id").SetAsInteger(id);
        desk->tData.FieldByName("indate").SetAsDayNumber(dorod::dayNumberFromCivil(2026, 12, 9));
        desk->tData.FieldByName("Client").SetAsString(guisupport::cp1251(client));
        desk->tData.FieldByName("Summa").SetAsFloat(sum);
        desk->tData.FieldByName("slov").SetAsInteger(words);
        desk->tData.Post();
    }
    QString fill(const QString& text, QString* error = nullptr) {
        TReport report;
        EXPECT_TRUE(done(report.LoadFromFile(write(reportXml(pageXml(
            QStringLiteral("<text name=\"f\" rect=\"10 10 180 40\" stretch=\"yes\">%1</text>")
                .arg(text)))))));
        report.bindDataset(QStringLiteral("tData"), &desk->tData);
        const Result prepared = report.PrepareReport();
        if (error) *error = prepared.error();
        if (!prepared) return QStringLiteral("(failed)");
        return report.preparedPages()[0].items[0].lines.join(QLatin1Char('\n'));
    }

    std::unique_ptr<TDesk> desk;
};

TEST_F(ReportDatasetTest, PlaceholdersReadTheCurrentRow) {
    desk->tData.Last();
    ASSERT_EQ(desk->tData.FieldByName("id").AsInteger(), 8);
    EXPECT_EQ(fill(QStringLiteral("№ [tData.id] [tData.Client]")),
              QStringLiteral("№ 8 ИВАНОВ И.И."));
    EXPECT_EQ(
        fill(QStringLiteral("[tData.Summa]|[tData.Summa:0.00]|[tData.Summa:0]|[tData.slov:0.0]")),
        QStringLiteral("1234,5|1234,50|1235|12,0"));
    EXPECT_EQ(fill(QStringLiteral("[tData.indate]|[tData.indate:d MMMM yyyy]")),
              QStringLiteral("09.12.2026|9 декабря 2026"));
    EXPECT_EQ(fill(QStringLiteral("[tData.Tel]")), QString()) << "an empty value";
    EXPECT_EQ(fill(QStringLiteral("[в скобках] [tData] [tData.id")),
              QStringLiteral("[в скобках] [tData] [tData.id"))
        << "what is no placeholder stays";
    desk->tData.First();
    EXPECT_EQ(fill(QStringLiteral("[tData.Client]")), QStringLiteral("ПЕРВЫЙ"));
}

// What the program sets is data: a client's text that looks like a placeholder prints as
// written and never stops the report; the template's own placeholders are still filled.
TEST_F(ReportDatasetTest, SetTextsArePrintedAsGiven) {
    desk->tData.Last();
    TReport report;
    ASSERT_TRUE(done(report.LoadFromFile(write(reportXml(pageXml(
        QStringLiteral("<text name=\"name\" rect=\"10 10 180 8\">[tData.id]</text>\n"
                       "<text name=\"odd\" rect=\"10 20 180 8\">[tData.id]</text>\n"
                       "<text name=\"own\" rect=\"10 30 180 8\">[tData.Client]</text>\n")))))));
    report.bindDataset(QStringLiteral("tData"), &desk->tData);
    ASSERT_TRUE(
        done(report.setObjectText(QStringLiteral("name"), QStringLiteral("ТВ [tData.Client]"))));
    ASSERT_TRUE(done(report.setObjectText(QStringLiteral("odd"), QStringLiteral("[Foo.bar]"))));
    ASSERT_TRUE(done(report.PrepareReport()));
    std::map<QString, QString> printed;
    for (const TPreparedItem& item : report.preparedPages()[0].items)
        printed[item.source->name()] = item.lines.join(QLatin1Char('\n'));
    EXPECT_EQ(printed["name"], QStringLiteral("ТВ [tData.Client]"));
    EXPECT_EQ(printed["odd"], QStringLiteral("[Foo.bar]"));
    EXPECT_EQ(printed["own"], QStringLiteral("ИВАНОВ И.И."));
}

// A sum that rounds to nothing prints as nothing owed, never as "-0,00".
TEST_F(ReportDatasetTest, NumbersRoundingToZeroHaveNoMinus) {
    struct Case {
        double sum;
        QString format;
        QString printed;
    };
    const std::vector<Case> cases = {
        {-0.001, QStringLiteral("0.00"), QStringLiteral("0,00")},
        {-0.0049, QStringLiteral("0.00"), QStringLiteral("0,00")},
        {-0.4, QStringLiteral("0"), QStringLiteral("0")},
        {-0.0, QStringLiteral("0.0"), QStringLiteral("0,0")},
        {-0.006, QStringLiteral("0.00"), QStringLiteral("-0,01")},
        {-150, QStringLiteral("0.00"), QStringLiteral("-150,00")},
    };
    for (const Case& c : cases) {
        desk->tData.Last();
        desk->tData.Edit();
        desk->tData.FieldByName("Summa").SetAsFloat(c.sum);
        desk->tData.Post();
        EXPECT_EQ(fill(QStringLiteral("[tData.Summa:%1]").arg(c.format)), c.printed) << c.sum;
    }
}

TEST_F(ReportDatasetTest, PlaceholderFailuresNameObjectAndField) {
    struct Case {
        QString text;
        QString reason;
    };
    const std::vector<Case> cases = {
        {QStringLiteral("[tDates.id]"), QStringLiteral("набор данных «tDates» не подключен")},
        {QStringLiteral("[tData.Nosuch]"),
         QStringLiteral("в наборе данных «tData» нет поля «Nosuch»")},
        {QStringLiteral("[tData.Client:0.00]"),
         QStringLiteral("формат «0.00» не подходит к полю «tData.Client»")},
        {QStringLiteral("[tData.Summa:#,##]"),
         QStringLiteral("формат «#,##» не подходит к полю «tData.Summa»")},
    };
    for (const Case& c : cases) {
        QString error;
        EXPECT_EQ(fill(c.text, &error), QStringLiteral("(failed)")) << c.text.toStdString();
        EXPECT_EQ(error, QStringLiteral("Шаблон отчета «%1», объект «f» (строка 4): %2")
                             .arg(folder.file(QStringLiteral("t.frf")), c.reason));
    }
    desk->tData.Close();
    QString error;
    fill(QStringLiteral("[tData.id]"), &error);
    EXPECT_TRUE(error.endsWith(QStringLiteral("набор данных «tData» закрыт")))
        << error.toStdString();
}

TEST_F(ReportTest, PreviewOpensThroughTheModalRunner) {
    TReport report;
    ASSERT_TRUE(done(report.LoadFromFile(write(receiptLike()))));
    ASSERT_TRUE(done(report.setObjectText(QStringLiteral("dates"), runDays(100))));
    ASSERT_TRUE(done(report.PrepareReport()));
    int previewPages = -1;
    bool canSavePdf = false;
    bool closed = false;
    ScriptedModalRunner runner([&](QDialog& dialog) {
        auto* preview = dialog.findChild<QPrintPreviewWidget*>();
        if (!preview) return int(QDialog::Rejected);
        preview->updatePreview();
        previewPages = preview->pageCount();
        canSavePdf = dialog.findChild<QAction*>(QStringLiteral("savePdf")) != nullptr;
        QObject::connect(&dialog, &QDialog::rejected, [&] { closed = true; });
        if (auto* close = dialog.findChild<QAction*>(QStringLiteral("closePreview")))
            close->trigger();
        return dialog.result();
    });
    guisupport::InstallModalRunner installed(runner);
    ScriptedDialogs dialogs;
    guisupport::InstallDialogs installedDialogs(dialogs);
    report.ShowPreparedReport(nullptr);
    ASSERT_EQ(runner.opened().size(), 1u);
    EXPECT_EQ(runner.opened()[0].className, QStringLiteral("QPrintPreviewDialog"));
    EXPECT_EQ(runner.opened()[0].title, kPreviewCaption);
    EXPECT_EQ(previewPages, report.pageCount());
    EXPECT_TRUE(canSavePdf);
    EXPECT_TRUE(closed) << "its own close button ends the preview";
    EXPECT_TRUE(dialogs.boxes().empty());
}

TEST_F(ReportTest, PreviewOfAReportThatCannotBePreparedShowsOneError) {
    ScriptedModalRunner runner; // any dialog fails the test
    guisupport::InstallModalRunner installed(runner);
    ScriptedDialogs dialogs;
    guisupport::InstallDialogs installedDialogs(dialogs);
    TReport empty;
    empty.ShowPreparedReport(nullptr);
    EXPECT_EQ(dialogs.errors(), QStringList{QStringLiteral("Шаблон отчета не загружен")});

    dialogs.clear();
    TReport unbound;
    ASSERT_TRUE(done(unbound.LoadFromFile(write(reportXml(
        pageXml(QStringLiteral("<text name=\"a\" rect=\"1 1 50 8\">[tData.id]</text>")))))));
    unbound.ShowPreparedReport(nullptr);
    ASSERT_EQ(dialogs.errors().size(), 1);
    EXPECT_TRUE(dialogs.errors()[0].contains(QStringLiteral("«tData» не подключен")));
    EXPECT_TRUE(runner.opened().empty());
}

TEST_F(ReportTest, ChangedTextsAreLaidOutAgain) {
    TReport report;
    ASSERT_TRUE(done(report.LoadFromFile(write(receiptLike()))));
    ASSERT_TRUE(done(report.PrepareReport()));
    ASSERT_EQ(report.pageCount(), 1);
    report.FindObject(QStringLiteral("dates"))->setText(runDays(100));
    const QString path = pdf(report); // without a new PrepareReport
    EXPECT_GE(reporttest::pdfPageCount(path), 2);
}

TEST_F(ReportTest, PdfWriteFailureLeavesNoFile) {
    TReport report;
    ASSERT_TRUE(done(report.LoadFromFile(write(receiptLike()))));
    const QString path = folder.file(QStringLiteral("нет/out.pdf"));
    const QString error = report.exportToPdf(path).error();
    EXPECT_TRUE(error.startsWith(QStringLiteral("Не удалось записать «%1»").arg(path)))
        << error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(path));
    // An earlier PDF of that name survives a failed write over it: a folder in its way
    // cannot be replaced.
    const QString blocked = folder.file(QStringLiteral("blocked.pdf"));
    ASSERT_TRUE(QDir().mkpath(blocked));
    EXPECT_FALSE(report.exportToPdf(blocked));
    EXPECT_TRUE(QFileInfo(blocked).isDir());
}

// The shipped templates hold what the receipt and the period report hand over.
TEST_F(ReportTest, ShippedPeriodReportTakesItsTwentySixValues) {
    const QStringList names = {
        QStringLiteral("interval"),   QStringLiteral("vskol"),     QStringLiteral("vsslov"),
        QStringLiteral("vssum"),      QStringLiteral("katfizkol"), QStringLiteral("katurkol"),
        QStringLiteral("katpredkol"), QStringLiteral("katfizsum"), QStringLiteral("katursum"),
        QStringLiteral("katpredsum"), QStringLiteral("spnalkol"),  QStringLiteral("spbezkol"),
        QStringLiteral("spvzkol"),    QStringLiteral("spbeskol"),  QStringLiteral("spnalsum"),
        QStringLiteral("spbezsum"),   QStringLiteral("spvzsum"),   QStringLiteral("spbessum"),
        QStringLiteral("koprkol"),    QStringLiteral("koprsum"),   QStringLiteral("konedkol"),
        QStringLiteral("konedsum"),   QStringLiteral("koaukol"),   QStringLiteral("koausum"),
        QStringLiteral("kouskol"),    QStringLiteral("koussum")};
    ASSERT_EQ(names.size(), 26);
    TReport report;
    // Named as the desk names it, with a backslash.
    const QString path = shippedTemplate(QStringLiteral("reptotal.frf"))
                             .replace(QStringLiteral("Отчеты/"), QStringLiteral("Отчеты\\"));
    ASSERT_TRUE(done(report.LoadFromFile(path)));
    // Totals as the desk writes them, up to 15 digits and beyond (in general form).
    auto value = [](int i) {
        return i % 3 == 0 ? QStringLiteral("%1,23456789012346E+15").arg(i % 10)
                          : QString::number(1000 + i) + QStringLiteral(",5");
    };
    for (int i = 1; i < names.size(); ++i)
        ASSERT_TRUE(done(report.setObjectText(names[i], value(i))));
    ASSERT_TRUE(done(report.setObjectText(QStringLiteral("interval"),
                                          QStringLiteral("с 01.12.2026 по 31.12.2026"))));
    ASSERT_TRUE(done(report.PrepareReport()));
    EXPECT_EQ(report.pageCount(), 1);
    const QString text = pdfText(pdf(report));
    EXPECT_TRUE(text.contains(QStringLiteral("с 01.12.2026 по 31.12.2026")));
    for (int i = 1; i < names.size(); ++i)
        EXPECT_TRUE(text.contains(value(i))) << names[i].toStdString() << "\n"
                                             << text.toStdString();
}

TEST_F(ReportTest, ShippedReceiptPrintsTheSavedAnnouncement) {
    TDesk desk{ProgramFolder(folder.path())};
    desk.open();
    desk.tData.Insert();
    desk.tData.FieldByName("id").SetAsInteger(4512);
    desk.tData.FieldByName("indate").SetAsDayNumber(dorod::dayNumberFromCivil(2026, 12, 9));
    desk.tData.FieldByName("Client").SetAsString(
        guisupport::cp1251(QStringLiteral("ПЕТРОВА А.С.")));
    desk.tData.FieldByName("Text").SetAsString(
        guisupport::cp1251(QStringLiteral("Продам 2-комнатную квартиру")));
    desk.tData.FieldByName("Oplata").SetAsString(guisupport::cp1251(QStringLiteral("НАЛИЧНЫЙ")));
    desk.tData.FieldByName("slov").SetAsInteger(3);
    desk.tData.FieldByName("Summa").SetAsFloat(450);
    desk.tData.Post();

    ASSERT_TRUE(done(desk.report().LoadFromFile(shippedTemplate(QStringLiteral("sprav.frf")))));
    ASSERT_TRUE(done(desk.report().setObjectText(QStringLiteral("dates"), runDays(100))));
    desk.report().bindDataset(QStringLiteral("tData"), &desk.tData);
    ASSERT_TRUE(done(desk.report().PrepareReport()));
    const QString path = pdf(desk.report());
    const QString text = pdfText(path);
    for (const QString& part :
         {QStringLiteral("КВИТАНЦИЯ № 4512"), QStringLiteral("09.12.2026"),
          QStringLiteral("ПЕТРОВА А.С."), QStringLiteral("Продам 2-комнатную квартиру"),
          QStringLiteral("НАЛИЧНЫЙ"), QStringLiteral("450,00 руб.")})
        EXPECT_TRUE(text.contains(part)) << part.toStdString() << "\n" << text.toStdString();
    EXPECT_TRUE(noSpace(text).contains(runDays(100)));
}

// A receipt whose template names a field the table does not have is not printed, and the
// desk hears why.
TEST_F(ReportTest, ReceiptNamingAMissingFieldFailsWithTheReason) {
    TDesk desk{ProgramFolder(folder.path())};
    desk.open();
    QFile shipped(shippedTemplate(QStringLiteral("sprav.frf")));
    ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
    QByteArray xml = shipped.readAll();
    ASSERT_TRUE(xml.contains("[tData.Tel]"));
    xml.replace("[tData.Tel]", "[tData.Telefon]");
    ASSERT_TRUE(QDir().mkpath(folder.file(QStringLiteral("Отчеты"))));
    guisupport::writeBytes(receiptTemplatePath(desk), xml.toStdString());
    desk.tData.Insert();
    desk.tData.FieldByName("id").SetAsInteger(4513);
    desk.tData.Post();
    const Result prepared = prepareReceipt(desk, 4513, {QStringLiteral("10.12.2026")});
    EXPECT_FALSE(prepared);
    const QString error = prepared.error();
    EXPECT_TRUE(error.contains(QStringLiteral("объект «tel»"))) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("нет поля «Telefon»"))) << error.toStdString();
    EXPECT_EQ(desk.report().pageCount(), 0);
}

} // namespace
