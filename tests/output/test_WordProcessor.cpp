// The OpenDocument text of "Просмотр": a valid stored zip (mimetype first, CRCs right)
// holding one paragraph per typed paragraph in the texts' colours; how it is opened, and
// the clear error without a word processor; LibreOffice itself reading it.
#include "output/WordProcessor.h"

#include "guisupport/ExternalTools.h"
#include "guisupport/GuiHelpers.h"
#include "output/DayOutput.h"
#include "tables/AnnouncementTables.h"
#include "tables/ColourRuns.h"

#include <QColor>
#include <QFile>
#include <QtEndian>

#include <gtest/gtest.h>

namespace {

using namespace vornelta;

struct ZipEntry {
    QString name;
    QByteArray data;
    uint32_t crc = 0;
    uint16_t method = 0xFFFF;
};

// Reads the local headers one after another (the writer puts no data descriptors).
QList<ZipEntry> readZip(const QByteArray& zip) {
    QList<ZipEntry> out;
    qsizetype at = 0;
    const auto u16 = [&](qsizetype p) { return qFromLittleEndian<quint16>(zip.constData() + p); };
    const auto u32 = [&](qsizetype p) { return qFromLittleEndian<quint32>(zip.constData() + p); };
    while (at + 30 <= zip.size() && u32(at) == 0x04034b50) {
        ZipEntry e;
        e.method = u16(at + 8);
        e.crc = u32(at + 14);
        const uint32_t size = u32(at + 18);
        const uint16_t nameLength = u16(at + 26), extra = u16(at + 28);
        e.name = QString::fromUtf8(zip.mid(at + 30, nameLength));
        e.data = zip.mid(at + 30 + nameLength + extra, size);
        at += 30 + nameLength + extra + size;
        out << e;
    }
    // The central directory follows, then the end record naming as many entries.
    const qsizetype end = zip.size() - 22;
    EXPECT_EQ(u32(end), 0x06054b50u);
    EXPECT_EQ(u16(end + 10), out.size());
    EXPECT_EQ(qsizetype(u32(end + 16)), at);
    return out;
}

TEST(WordProcessorTest, StoredZipCarriesTheStandardCrc) {
    const QList<ZipEntry> entries =
        readZip(storedZip({{QStringLiteral("a.txt"), QByteArray("123456789")}}));
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries[0].crc, 0xCBF43926u);
    EXPECT_EQ(entries[0].method, 0);
    EXPECT_EQ(entries[0].data, QByteArray("123456789"));
}

TEST(WordProcessorTest, DocumentHoldsOneParagraphPerRowAndOpensWhereItWasWritten) {
    OdtWordProcessor odt(QStringLiteral("writer"));
    QString openedPath;
    odt.open = [&](const QString& path) {
        openedPath = path;
        return Result();
    };
    odt.documentsAdd();
    odt.typeText(QStringLiteral("Продам <дом> & сад"));
    odt.typeParagraph();
    odt.typeText(QStringLiteral("a   b\tc"));
    odt.typeParagraph();
    const Result checked = odt.checkGrammar();
    ASSERT_TRUE(checked) << checked.error().toStdString();

    const QList<ZipEntry> entries = readZip(odt.document());
    ASSERT_EQ(entries.size(), 3);
    EXPECT_EQ(entries[0].name, QStringLiteral("mimetype"));
    EXPECT_EQ(entries[0].data, QByteArray("application/vnd.oasis.opendocument.text"));
    EXPECT_EQ(entries[1].name, QStringLiteral("META-INF/manifest.xml"));
    EXPECT_EQ(entries[2].name, QStringLiteral("content.xml"));
    const QString content = QString::fromUtf8(entries[2].data);
    EXPECT_TRUE(content.contains(QStringLiteral("<text:p>Продам &lt;дом&gt; &amp; сад</text:p>")));
    EXPECT_TRUE(
        content.contains(QStringLiteral("<text:p>a <text:s text:c=\"2\"/>b<text:tab/>c</text:p>")));
    EXPECT_EQ(content.count(QStringLiteral("<text:p")), 2);

    EXPECT_TRUE(openedPath.endsWith(QStringLiteral(".odt")));
    QFile written(openedPath);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), odt.document());
    written.remove();
}

TEST(WordProcessorTest, EmptyDocumentHasOneEmptyParagraph) {
    OdtWordProcessor odt(QStringLiteral("writer"));
    odt.documentsAdd();
    const QString content = QString::fromUtf8(readZip(odt.document()).value(2).data);
    EXPECT_EQ(content.count(QStringLiteral("<text:p")), 1);
    EXPECT_TRUE(content.contains(QStringLiteral("<text:p/>")));
}

TEST(WordProcessorTest, NoWordProcessorOnTheSearchPathGivesAClearError) {
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", "/nonexistent");
    const auto created = OdtWordProcessor::create();
    const QString error = created.error();
    EXPECT_FALSE(created);
    qputenv("PATH", path);
    EXPECT_TRUE(error.contains(QStringLiteral("LibreOffice"))) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("lowriter")));
}

// Records the calls as the output window makes them.
class RecordingWordProcessor : public WordProcessor {
public:
    void documentsAdd() override { calls << QStringLiteral("Add"); }
    void setFontColor(int colour) override { calls << QStringLiteral("Color %1").arg(colour); }
    void typeText(const QString& text) override { calls << QStringLiteral("Text ") + text; }
    void typeParagraph() override { calls << QStringLiteral("Paragraph"); }
    Result checkGrammar() override {
        calls << QStringLiteral("Check");
        return Result();
    }
    QStringList calls;
};

TDayRow dayRow(const QString& text, const QString& xml) {
    TDayRow row;
    row.text = text;
    row.XML = xml;
    return row;
}

TEST(WordProcessorTest, EachRunOfATextIsTypedInItsColour) {
    const QString twoColours =
        encodeColourRuns(QStringLiteral("Продам дом"), {255, 255, 255, 255, 255, 255, 0, 0, 0, 0});
    struct Case {
        const char* what;
        TDayRow row;
        QStringList calls; // between Add and Paragraph
    };
    const std::vector<Case> cases{
        {"two colours",
         dayRow(QStringLiteral("Продам дом"), twoColours),
         {QStringLiteral("Color 255"), QStringLiteral("Text Продам"), QStringLiteral("Color 0"),
          QStringLiteral("Text  дом")}},
        // The day list cuts long texts: the runs are laid over what is left.
        {"text cut",
         dayRow(QStringLiteral("Прод"), twoColours),
         {QStringLiteral("Color 255"), QStringLiteral("Text Прод")}},
        // Colours shorter than the text: the last one goes on.
        {"text longer",
         dayRow(QStringLiteral("Продам дом!!"), twoColours),
         {QStringLiteral("Color 255"), QStringLiteral("Text Продам"), QStringLiteral("Color 0"),
          QStringLiteral("Text  дом!!")}},
        {"no colours kept",
         dayRow(QStringLiteral("Без цвета"), QString()),
         {QStringLiteral("Text Без цвета")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RecordingWordProcessor wp;
        ASSERT_TRUE(typeDayTexts(wp, {c.row}));
        const QStringList expected =
            QStringList{QStringLiteral("Add")} + c.calls +
            QStringList{QStringLiteral("Paragraph"), QStringLiteral("Check")};
        EXPECT_EQ(wp.calls, expected);
    }
}

TEST(WordProcessorTest, ColouredRunsBecomeTextStylesAndWhiteGetsADarkBackground) {
    OdtWordProcessor odt(QStringLiteral("writer"));
    odt.documentsAdd();
    odt.setFontColor(kColourRed);
    odt.typeText(QStringLiteral("Красный"));
    odt.typeText(QStringLiteral(" и"));
    odt.setFontColor(kColourWhite);
    odt.typeText(QStringLiteral(" белый"));
    odt.typeParagraph();
    odt.setFontColor(kColourNavy);
    odt.typeText(QStringLiteral("синий"));
    const QString content = QString::fromUtf8(readZip(odt.document()).value(2).data);
    EXPECT_TRUE(content.contains(
        QStringLiteral("<text:p><text:span text:style-name=\"C255\">Красный и</text:span>"
                       "<text:span text:style-name=\"C16777215\"> белый</text:span></text:p>")))
        << content.toStdString();
    EXPECT_TRUE(content.contains(
        QStringLiteral("style:name=\"C255\" style:family=\"text\"><style:text-properties "
                       "fo:color=\"#ff0000\"/>")));
    EXPECT_TRUE(content.contains(QStringLiteral("fo:color=\"#000080\"/>"))); // navy: blue 128
    EXPECT_TRUE(
        content.contains(QStringLiteral("fo:color=\"#ffffff\" fo:background-color=\"#000000\"/>")));
    EXPECT_EQ(content.count(QStringLiteral("<style:style ")), 3);
}

TEST(WordProcessorTest, OpenerIsTheDesktopsThenTheFirstWordProcessorFound) {
    struct Case {
        bool desktop;
        QStringList installed; // program names findProgram knows
        std::optional<OdtOpener> expected;
    };
    const auto path = [](const char* name) {
        return QStringLiteral("/usr/bin/") + QLatin1String(name);
    };
    const std::vector<Case> cases{
        {true, {"soffice"}, OdtOpener{true, path("soffice")}},
        {true, {}, OdtOpener{true, QString()}},
        {false, {"soffice", "lowriter"}, OdtOpener{false, path("lowriter")}},
        {false, {"libreoffice", "soffice"}, OdtOpener{false, path("libreoffice")}},
        {false, {"soffice"}, OdtOpener{false, path("soffice")}},
        {false, {}, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.installed.join(',').toStdString() + (c.desktop ? " +desktop" : ""));
        const auto found = chooseOdtOpener(c.desktop, [&](const QString& name) {
            return c.installed.contains(name) ? QStringLiteral("/usr/bin/") + name : QString();
        });
        ASSERT_EQ(found.has_value(), c.expected.has_value());
        if (!found) continue;
        EXPECT_EQ(found->desktop, c.expected->desktop);
        EXPECT_EQ(found->program, c.expected->program);
    }
}

TEST(WordProcessorTest, LibreOfficeWithoutWindowsDoesNotCountAsAWordProcessor) {
    guisupport::TempFolder folder;
    const auto touch = [&](const QString& name) {
        QDir().mkpath(QFileInfo(folder.file(name)).absolutePath());
        QFile(folder.file(name)).open(QIODevice::WriteOnly);
    };
    touch(QStringLiteral("nogui/soffice"));
    touch(QStringLiteral("nogui/soffice.bin"));
    touch(QStringLiteral("gui/soffice"));
    touch(QStringLiteral("gui/soffice.bin"));
    touch(QStringLiteral("gui/libvclplug_gtk3lo.so"));
    touch(QStringLiteral("bin/lowriter"));
    touch(QStringLiteral("bin/abiword"));
    struct Case {
        const char* program;
        const char* libreOfficeDir;
        bool shows;
    };
    for (const Case& c : {Case{"nogui/soffice", "none", false}, Case{"gui/soffice", "none", true},
                          Case{"bin/lowriter", "nogui", false}, Case{"bin/lowriter", "gui", true},
                          Case{"bin/abiword", "none", true}}) {
        SCOPED_TRACE(c.program);
        EXPECT_EQ(programShowsDocuments(folder.file(QString::fromLatin1(c.program)),
                                        folder.file(QString::fromLatin1(c.libreOfficeDir))),
                  c.shows);
    }
}

// LibreOffice converts the day's document to PDF: the texts and a colour survive.
TEST(WordProcessorTest, LibreOfficeReadsTheDaysDocumentWithItsTextsAndColours) {
    for (const char* tool : {"soffice", "pdftotext", "pdftoppm"})
        if (const auto why = guisupport::missingProgram(QString::fromLatin1(tool)))
            VORNELTA_MISSING_TOOL(*why);
    guisupport::TempFolder folder;
    OdtWordProcessor odt(QStringLiteral("soffice"));
    QString written;
    odt.open = [&](const QString& path) {
        written = path;
        return Result();
    };
    const QString red = QStringLiteral("КРАСНЫЙ ТЕКСТ ");
    const QString rest = QStringLiteral("продам гараж, тел. 2-15-30");
    QList<int> colours(red.size(), kColourRed);
    colours += QList<int>(rest.size(), kColourBlack);
    const Result typed =
        typeDayTexts(odt, {dayRow(red + rest, encodeColourRuns(red + rest, colours)),
                           dayRow(QStringLiteral("Сдам квартиру «у моря» & дачу"), QString())});
    ASSERT_TRUE(typed) << typed.error().toStdString();
    const QString odtPath = folder.file(QStringLiteral("day.odt"));
    ASSERT_TRUE(QFile::rename(written, odtPath));

    // A profile of its own: the user's LibreOffice settings and any running instance stay out.
    const guisupport::ToolRun run = guisupport::runTool(
        QStringLiteral("soffice"),
        {QStringLiteral("-env:UserInstallation=file://") + folder.file(QStringLiteral("profile")),
         QStringLiteral("--headless"), QStringLiteral("--convert-to"), QStringLiteral("pdf"),
         QStringLiteral("--outdir"), folder.path(), odtPath},
        180000);
    ASSERT_TRUE(run.finished) << "soffice did not finish";
    const QString pdf = folder.file(QStringLiteral("day.pdf"));
    ASSERT_TRUE(QFile::exists(pdf)) << run.out.toStdString() << run.err.toStdString();

    const QString text = guisupport::pdfText(pdf);
    for (const QString& part : {QStringLiteral("КРАСНЫЙ ТЕКСТ продам гараж, тел. 2-15-30"),
                                QStringLiteral("Сдам квартиру «у моря» & дачу")})
        EXPECT_TRUE(text.contains(part)) << part.toStdString() << "\n" << text.toStdString();
    // Red letters on the page: a pixel near pure red.
    const QImage page = guisupport::pdfPageImage(pdf, 100);
    ASSERT_FALSE(page.isNull());
    bool redFound = false;
    for (int y = 0; y < page.height() && !redFound; ++y)
        for (int x = 0; x < page.width() && !redFound; ++x) {
            const QColor c = page.pixelColor(x, y);
            redFound = c.red() > 200 && c.green() < 60 && c.blue() < 60;
        }
    EXPECT_TRUE(redFound) << "no red text on the converted page";
}

} // namespace
