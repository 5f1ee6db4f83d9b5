// The titling script byte for byte: the worked example, the page structure around it and
// the font code rule (colours outside the table, the code carried across announcements,
// markers and text that hold "<" or ">").
#include "output/ScriptWriter.h"
#include "output/TextLineListWriter.h"
#include "platform/TextFileWriter.h"

#include "guisupport/GuiHelpers.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace vornelta;
using guisupport::cp1251;

// The file as the program writes it.
std::string written(const QStringList& lines) {
    guisupport::TempFolder folder;
    const QString path = folder.file(QStringLiteral("out.sc"));
    QString error;
    EXPECT_TRUE(writeTextFile(path, lines, &error)) << error.toStdString();
    return guisupport::readBytes(path);
}

const std::string kHead =
    "\\\\\r\n"
    "\\FVER1.10,129471,Arial,66,100,400,0,0,0,1,0,2,1,1,16777215,16777215,,255,255,0,0,0,0,"
    "16777215,16777215,,255,255,0,0,1,1,16777215,16777215,,255,255,Normal\r\n"
    "\\f001=VER1.10,129471,Arial,45,100,700,0,0,0,1,0,2,1,1,16777215,16777215,,255,255,0,0,0,0,0,0,"
    ",0,0,0,1,1,1,0,0,,255,255,Normal\r\n"
    "\\f002=VER1.10,129471,Arial,45,100,700,0,0,0,1,0,2,1,1,255,255,,255,255,0,0,0,0,0,0,,0,0,0,1,"
    "1,1,0,0,,255,255,Normal\r\n"
    "\\f003=VER1.10,129471,Arial,45,100,700,0,0,0,1,0,2,1,1,16711680,16711680,,255,255,0,0,0,0,0,0,"
    ",0,0,0,1,1,1,0,0,,255,255,Normal\r\n"
    "\\f004=VER1.10,129471,Arial,45,100,700,0,0,0,1,0,2,1,1,16711808,16711808,,255,255,0,0,0,0,0,0,"
    ",0,0,0,1,1,1,0,0,,255,255,Normal\r\n"
    "\\f005=VER1.10,129471,Arial,45,100,700,0,0,0,1,0,2,1,1,0,0,,255,255,0,0,0,0,0,0,,0,0,0,1,1,1,"
    "0,0,,255,255,Normal\r\n"
    "\\f006=VER1.10,129471,Arial,45,100,700,0,0,0,1,0,2,1,1,65280,65280,,255,255,0,0,0,0,0,0,,0,0,"
    "0,1,1,1,0,0,,255,255,Normal\r\n"
    "\\f007=VER1.10,129471,Arial,45,100,700,0,0,0,1,0,2,1,1,4259584,4259584,,255,255,0,0,0,0,0,0,,"
    "0,0,0,1,1,1,0,0,,255,255,Normal\r\n"
    "\\f008=VER1.10,129471,Arial,45,100,700,0,0,0,1,0,2,1,1,33023,33023,,255,255,0,0,0,0,0,0,,0,0,"
    "0,1,1,1,0,0,,255,255,Normal\r\n";
const std::string kTextPage =
    "\\n0,0,0,0\r\n\\w0,45,0,725,580,0,0,0\r\n\\p0,4,495,40,45,30,0,0,1,0,1,8,0,0,0,\r\n";
const std::string kTelPage =
    "\\n0,0,0,0\r\n\\w0,45,0,725,580,0,0,0\r\n\\p4,4,495,80,45,30,0,0,1,1,1,8,0,0,0,\r\n";
const std::string kEnd =
    "\r\n\\n0,0,0,0\r\n\\w0,45,0,725,580,0,0,0\r\n\\p4,10,400,2000,45,30,0,0,1,1,1,8,0,0,0,\r\n";

std::string opening(const std::string& first) {
    return kHead + "\\f001\r\n" + first + "\r\n" + kTextPage;
}
std::string closing(const std::string& last) {
    return "\\f001\r\n" + last + "\r\n" + kTextPage + kEnd;
}

TDayRow row(const QString& xml, bool povt = false, const QString& tel = {}) {
    TDayRow r;
    r.XML = xml;
    r.Povt = povt;
    r.Tel = tel;
    return r;
}

TEST(ScriptWriterTest, WorkedExampleGivesTheWholeFileByteForByte) {
    const QString xml = QStringLiteral("<<16777215>>\r\nПродам дом\r\n<<255>>недорого");
    const std::string expected = opening(cp1251(QStringLiteral("Бегущая строка"))) +
                                 "\\f001\r\n\r\n" + cp1251(QStringLiteral("Продам дом")) +
                                 "\r\n\\f002\r\n" + cp1251(QStringLiteral("недорого")) +
                                 "\r\n\r\n" + kTextPage +
                                 closing(cp1251(QStringLiteral("До завтра")));
    EXPECT_EQ(written(titlingScriptLines({row(xml)}, QStringLiteral("Бегущая строка"),
                                         QStringLiteral("До завтра"))),
              expected);
}

TEST(ScriptWriterTest, EmptyBlockTextsAndNoRowsStillGiveTheirPages) {
    EXPECT_EQ(written(titlingScriptLines({}, {}, {})), opening("") + closing(""));
}

TEST(ScriptWriterTest, TelephonePageFollowsOnlyRepeatedAnnouncementsInTheLastFont) {
    const QList<TDayRow> rows{row(QStringLiteral("<<255>>\r\nA"), true, QStringLiteral("2-15-30")),
                              row(QStringLiteral("<<0>>\r\nB"), false, QStringLiteral("unused")),
                              row(QStringLiteral("<<65535>>\r\nC"), true, QString())};
    const std::string expected = opening("F") + "\\f002\r\n\r\nA\r\n\r\n" + kTextPage +
                                 "2-15-30\r\n" + kTelPage + "\\f005\r\n\r\nB\r\n\r\n" + kTextPage +
                                 "\\f007\r\n\r\nC\r\n\r\n" + kTextPage + "\r\n" + kTelPage +
                                 closing("L");
    EXPECT_EQ(written(titlingScriptLines(rows, QStringLiteral("F"), QStringLiteral("L"))),
              expected);
}

// Only the announcement lines differ between these cases; the pages around them are fixed.
struct AnnouncementCase {
    const char* name;
    QList<QString> xmls;
    std::string lines; // everything between the opening page and the closing page
};

void PrintTo(const AnnouncementCase& c, std::ostream* os) {
    *os << c.name;
}

class ScriptAnnouncementTest : public ::testing::TestWithParam<AnnouncementCase> {};

TEST_P(ScriptAnnouncementTest, LinesFollowTheFontRule) {
    QList<TDayRow> rows;
    for (const QString& xml : GetParam().xmls)
        rows << row(xml);
    EXPECT_EQ(written(titlingScriptLines(rows, QStringLiteral("F"), QStringLiteral("L"))),
              opening("F") + GetParam().lines + closing("L"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ScriptAnnouncementTest,
    ::testing::Values(
        // No font code set yet in the file: a colour outside the table writes an empty line.
        AnnouncementCase{"UnknownColourFirst",
                         {QStringLiteral("<<12345>>\r\nx")},
                         "\r\n\r\nx\r\n\r\n" + kTextPage},
        // The code of the previous row's last segment is repeated for an unknown colour.
        AnnouncementCase{
            "FontCarriedAcrossRows",
            {QStringLiteral("<<8388608>>\r\na\r\n<<32768>>b"), QStringLiteral("<<7>>\r\nc")},
            "\\f003\r\n\r\na\r\n\\f006\r\nb\r\n\r\n" + kTextPage + "\\f006\r\n\r\nc\r\n\r\n" +
                kTextPage},
        // An empty text: its marker and one line break.
        AnnouncementCase{
            "EmptyText", {QStringLiteral("<<8388736>>\r\n")}, "\\f004\r\n\r\n\r\n" + kTextPage},
        // Orange, and a marker line followed by text on the same line after a colour change.
        AnnouncementCase{"OrangeAndWhite",
                         {QStringLiteral("<<33023>>\r\nПЕРВ\r\n<<16777215>>ое")},
                         "\\f008\r\n\r\n" + guisupport::cp1251(QStringLiteral("ПЕРВ")) +
                             "\r\n\\f001\r\n" + guisupport::cp1251(QStringLiteral("ое")) +
                             "\r\n\r\n" + kTextPage},
        // "<" and ">" typed in a text are stored escaped and reach the script as typed.
        AnnouncementCase{"AngleBracketsInText",
                         {QStringLiteral("<<0>>\r\n1 &lt; 2 &gt; 0\r\n<<255>>&lt;&lt;5&gt;&gt;")},
                         "\\f005\r\n\r\n1 < 2 > 0\r\n\\f002\r\n<<5>>\r\n\r\n" + kTextPage},
        // A stored value with bare LF breaks reads the same as with CR LF.
        AnnouncementCase{"LfBreaks",
                         {QStringLiteral("<<255>>\nq\n<<0>>r\n")},
                         "\\f002\r\n\r\nq\r\n\\f005\r\nr\r\n\r\n" + kTextPage}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ScriptWriterTest, EveryTextColourHasItsFontCodeAndNothingElseHasOne) {
    const std::pair<qint64, const char*> table[] = {
        {16777215, "\\f001"}, {255, "\\f002"},   {8388608, "\\f003"},
        {8388736, "\\f004"},  {0, "\\f005"},     {32768, "\\f006"},
        {65535, "\\f007"},    {33023, "\\f008"}, {1, ""},
        {16711680, ""},       {-1, ""},          {4294967295LL, ""}};
    for (const auto& [colour, code] : table)
        EXPECT_EQ(fontCodeForColour(colour), QString::fromLatin1(code)) << colour;
}

TEST(ScriptWriterTest, BlockTextsAndTelephoneWithLineBreaksKeepCrLfLines) {
    const std::string bytes = written(
        titlingScriptLines({row(QStringLiteral("<<255>>\r\nt"), true, QStringLiteral("1\n2"))},
                           QStringLiteral("a\nb"), QStringLiteral("c\rd")));
    EXPECT_EQ(bytes, opening("a\r\nb") + "\\f002\r\n\r\nt\r\n\r\n" + kTextPage + "1\r\n2\r\n" +
                         kTelPage + closing("c\r\nd"));
    // No bare CR or LF anywhere.
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r') {
            EXPECT_EQ(bytes[i + 1], '\n') << i;
        }
        if (bytes[i] == '\n') {
            EXPECT_EQ(bytes[i - 1], '\r') << i;
        }
    }
}

TEST(ScriptWriterTest, FileNamesCarryTheDayAndMonthWithoutLeadingZeros) {
    EXPECT_EQ(titlingScriptFileName(QDate(2026, 12, 7)), QStringLiteral("scr_7_12.sc"));
    EXPECT_EQ(titlingScriptFileName(QDate(2027, 1, 31)), QStringLiteral("scr_31_1.sc"));
    EXPECT_EQ(textLineListFileName(QDate(2026, 12, 7)), QStringLiteral("tvl_7_12.tvl"));
    EXPECT_EQ(textLineListFileName(QDate(2027, 3, 5)), QStringLiteral("tvl_5_3.tvl"));
}

// ------------------------------------------------------------------- text-line list

TDayRow plain(const QString& text, const QString& tel) {
    TDayRow r;
    r.text = text;
    r.Tel = tel;
    r.Povt = false; // not read: the telephone is always written
    return r;
}

TEST(TextLineListWriterTest, HeaderEntriesAndTrailerByteForByte) {
    const std::string expected = "TV Studio TextLineList File Version 1.10\r\n\r\n2| |" +
                                 cp1251(QStringLiteral("Начало")) + "| |1000\r\n2| |" +
                                 cp1251(QStringLiteral("Продам дом")) + "|2-15-30|1000\r\n2| |" +
                                 cp1251(QStringLiteral("Конец")) + "| |1000\r\n";
    EXPECT_EQ(
        written(textLineListLines({plain(QStringLiteral("Продам дом"), QStringLiteral("2-15-30"))},
                                  QStringLiteral("Начало"), QStringLiteral("Конец"))),
        expected);
}

TEST(TextLineListWriterTest, EdgeCasesOfTheEntries) {
    const QList<TDayRow> rows{plain(QStringLiteral("no tel"), QString()),
                              plain(QStringLiteral("a|b"), QStringLiteral("1|2")),
                              plain(QStringLiteral("line1\nline2"), QStringLiteral("t")),
                              plain(QString(), QString())};
    const std::string expected = "TV Studio TextLineList File Version 1.10\r\n\r\n"
                                 "2| || |1000\r\n"      // empty StringFirst
                                 "2| |no tel||1000\r\n" // empty Tel: two separators before 1000
                                 "2| |a|b|1|2|1000\r\n" // "|" written unchanged
                                 "2| |line1\r\nline2|t|1000\r\n"
                                 "2| |||1000\r\n"
                                 "2| |END| |1000\r\n";
    EXPECT_EQ(written(textLineListLines(rows, QString(), QStringLiteral("END"))), expected);
}

} // namespace
