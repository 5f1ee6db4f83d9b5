// The realty classification window as the entry form's save uses it: boxes ticked from
// keywords when it opens, the last ticked box of a row wins, "Записать" appends one row
// to rielt.d and saves the file, the close box writes nothing, a failed save keeps the
// window open and never leaves two rows for one announcement.
#include "realty/uHouses.h"

#include "desk/Desk.h"
#include "guisupport/GuiHelpers.h"
#include "guisupport/ScriptedDialogs.h"
#include "guisupport/ScriptedModalRunner.h"
#include "platform/TextCodec.h"
#include "storage/DorodDate.h"
#include "tables/AnnouncementTables.h"

#include <QCheckBox>
#include <QDir>
#include <QPushButton>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

using namespace vornelta;
using guisupport::InstallDialogs;
using guisupport::InstallModalRunner;
using guisupport::readBytes;
using guisupport::ScriptedDialogs;
using guisupport::ScriptedModalRunner;
using guisupport::TempFolder;

struct TicksCase {
    const char* text; // UTF-8
    TRealtyTicks ticks;
    const char* tip;
    const char* vid;
};

void PrintTo(const TicksCase& c, std::ostream* os) {
    *os << c.text;
}

constexpr bool o = false, X = true;

class RealtyTicksTest : public ::testing::TestWithParam<TicksCase> {};

TEST_P(RealtyTicksTest, KeywordsTickBoxesAndTheLastTickedWins) {
    const TicksCase& c = GetParam();
    const TRealtyTicks ticks = realtyTicksFromText(QString::fromUtf8(c.text));
    EXPECT_EQ(ticks.deals, c.ticks.deals) << c.text;
    EXPECT_EQ(ticks.flats, c.ticks.flats) << c.text;
    EXPECT_EQ(realtyTip(ticks), QString::fromUtf8(c.tip));
    EXPECT_EQ(realtyVid(ticks), QString::fromUtf8(c.vid));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, RealtyTicksTest,
    ::testing::Values(
        // Digits are not recognised.
        TicksCase{"Сдам 2-х комнатную квартиру", {{X, o, o, o}, {o, o, o, o}}, "СДАМ", ""},
        TicksCase{"Продам или обменяю двухкомнатную квартиру",
                  {{o, X, o, X}, {o, X, o, o}},
                  "ОБМЕН",
                  "ДВУХКОМНАТНАЯ"},
        // «ё» upper-cases to «Ё», which is not «Е».
        TicksCase{"Продам трёхкомнатную квартиру", {{o, X, o, o}, {o, o, o, o}}, "ПРОДАМ", ""},
        TicksCase{
            "Сдам трехкомнатную квартиру", {{X, o, o, o}, {o, o, X, o}}, "СДАМ", "ТРЕХКОМНАТНАЯ"},
        // No word boundaries.
        TicksCase{
            "одновременно куплю квартиру", {{o, o, X, o}, {X, o, o, o}}, "КУПЛЮ", "ОДНОКОМНАТНАЯ"},
        TicksCase{"двухэтажный дом, квартира", {{o, o, o, o}, {o, X, o, o}}, "", "ДВУХКОМНАТНАЯ"},
        TicksCase{"КуПлЮ ЧЕТЫРЕХкомнатную квартиру",
                  {{o, o, X, o}, {o, o, o, X}},
                  "КУПЛЮ",
                  "ЧЕТЫРЕХКОМНАТНАЯ"},
        TicksCase{"сдам продам куплю обмен одно двух трех четырех",
                  {{X, X, X, X}, {X, X, X, X}},
                  "ОБМЕН",
                  "ЧЕТЫРЕХКОМНАТНАЯ"},
        TicksCase{"Квартира у моря", {{o, o, o, o}, {o, o, o, o}}, "", ""},
        TicksCase{"", {{o, o, o, o}, {o, o, o, o}}, "", ""}));

// ------------------------------------------------------------------- the window

struct RealtyRow {
    int32_t day;
    QString tip, vid, text;
};

class HousesWindowTest : public ::testing::Test {
protected:
    HousesWindowTest() { desk.open(); }

    // rielt.d as a new desk reads it from the file.
    QList<RealtyRow> rowsInFile() const {
        TDesk reader{ProgramFolder(folder.path())};
        reader.open();
        QList<RealtyRow> rows;
        for (reader.tRielt.First(); !reader.tRielt.Eof(); reader.tRielt.Next()) {
            rows.push_back({reader.tRielt.FieldByName("date").AsDayNumber(),
                            toQt(reader.tRielt.FieldByName("tip").AsString()),
                            toQt(reader.tRielt.FieldByName("vid").AsString()),
                            toQt(reader.tRielt.FieldByName("text").AsString())});
        }
        return rows;
    }
    static QCheckBox* box(QDialog& d, const char* name) {
        auto* b = d.findChild<QCheckBox*>(QString::fromLatin1(name));
        EXPECT_NE(b, nullptr) << name;
        return b;
    }
    static TfHhouses& houses(QDialog& d) { return dynamic_cast<TfHhouses&>(d); }
    static QPushButton* button(QDialog& d) {
        return d.findChild<QPushButton*>(QStringLiteral("BitBtn1"));
    }

    TempFolder folder;
    TDesk desk{ProgramFolder(folder.path())};
    ScriptedDialogs dialogs;
    InstallDialogs installDialogs{dialogs};
    const QDate indate{2026, 12, 9};
    const int32_t indateDay = dorod::dayNumberFromCivil(2026, 12, 9);
};

TEST_F(HousesWindowTest, OpensTickedFromTheTextAndWritesTheOperatorsChoice) {
    const QString text = QStringLiteral("Продам или обменяю двухкомнатную квартиру\nТел. 22-33-44");
    ScriptedModalRunner runner;
    runner.next([&](QDialog& d) {
        EXPECT_TRUE(box(d, "cProdam")->isChecked());
        EXPECT_TRUE(box(d, "cObmen")->isChecked());
        EXPECT_TRUE(box(d, "c2")->isChecked());
        EXPECT_FALSE(box(d, "cSdam")->isChecked());
        EXPECT_FALSE(box(d, "cKuplu")->isChecked());
        EXPECT_FALSE(box(d, "c1")->isChecked());
        EXPECT_FALSE(box(d, "c3")->isChecked());
        EXPECT_FALSE(box(d, "c4")->isChecked());
        EXPECT_EQ(box(d, "c2")->text(), QStringLiteral("2х комнатная"));
        EXPECT_EQ(button(d)->text(), QStringLiteral("Записать"));
        // The operator means a sale of a three-room flat.
        box(d, "cObmen")->setChecked(false);
        box(d, "c3")->setChecked(true);
        button(d)->click();
        return d.result();
    });
    InstallModalRunner installed(runner);
    runRealtyClassification(desk, nullptr, indate, text);

    ASSERT_EQ(runner.openedTitles(), QStringList{QStringLiteral("Квартиры")});
    const QList<RealtyRow> rows = rowsInFile();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].day, indateDay);
    EXPECT_EQ(rows[0].tip, QStringLiteral("ПРОДАМ"));
    // Two room boxes ticked: the larger flat wins.
    EXPECT_EQ(rows[0].vid, QStringLiteral("ТРЕХКОМНАТНАЯ"));
    EXPECT_EQ(rows[0].text, text); // as typed: letter case and line break kept
}

TEST_F(HousesWindowTest, RowsFollowTheOrderOfClassificationNotTheirDates) {
    ScriptedModalRunner runner([](QDialog& d) {
        d.findChild<QPushButton*>(QStringLiteral("BitBtn1"))->click();
        return d.result();
    });
    InstallModalRunner installed(runner);
    runRealtyClassification(desk, nullptr, indate, QStringLiteral("Сдам 2-х комнатную квартиру"));
    runRealtyClassification(desk, nullptr, indate.addDays(-5), QStringLiteral("куплю квартиру"));

    const QList<RealtyRow> rows = rowsInFile();
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].tip, QStringLiteral("СДАМ"));
    EXPECT_EQ(rows[0].vid, QString());
    EXPECT_EQ(rows[1].tip, QStringLiteral("КУПЛЮ"));
    EXPECT_EQ(rows[1].day, indateDay - 5);
}

TEST_F(HousesWindowTest, TheCloseBoxWritesNothing) {
    const std::string before = readBytes(folder.file(QStringLiteral("rielt.d")));
    ASSERT_FALSE(before.empty());
    ScriptedModalRunner runner([](QDialog& d) {
        d.reject(); // what the close box does
        return d.result();
    });
    InstallModalRunner installed(runner);
    runRealtyClassification(desk, nullptr, indate, QStringLiteral("Продам квартиру"));

    EXPECT_EQ(desk.tRielt.RecordCount(), 0);
    EXPECT_EQ(readBytes(folder.file(QStringLiteral("rielt.d"))), before);
}

TEST_F(HousesWindowTest, AFailedSaveKeepsTheWindowOpenAndARetryWritesOneRow) {
    const QString moved = folder.path().chopped(1) + QStringLiteral("-away");
    ScriptedModalRunner runner([&](QDialog& d) {
        // The program folder is gone: the save cannot write rielt.d.
        EXPECT_TRUE(QDir().rename(folder.path(), moved));
        houses(d).BitBtn1Click();
        EXPECT_EQ(dialogs.errors().size(), 1) << "the failed save is said";
        EXPECT_EQ(d.result(), QDialog::Rejected) << "the window closed";
        EXPECT_EQ(desk.tRielt.RecordCount(), 0) << "the failed save takes its row back";
        // The operator changes the deal and tries again once the folder is back.
        EXPECT_TRUE(QDir().rename(moved, folder.path()));
        box(d, "cSdam")->setChecked(false);
        box(d, "cKuplu")->setChecked(true);
        houses(d).BitBtn1Click();
        return d.result();
    });
    InstallModalRunner installed(runner);
    runRealtyClassification(desk, nullptr, indate, QStringLiteral("Сдам однокомнатную квартиру"));

    EXPECT_EQ(desk.tRielt.RecordCount(), 1);
    const QList<RealtyRow> rows = rowsInFile();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].tip, QStringLiteral("КУПЛЮ"));
    EXPECT_EQ(rows[0].vid, QStringLiteral("ОДНОКОМНАТНАЯ"));
}

TEST_F(HousesWindowTest, ATextTheTableCannotHoldIsRefusedWithoutARow) {
    const QString text = QStringLiteral("Сдам квартиру \u263A"); // no Windows-1251 byte
    ScriptedModalRunner runner([&](QDialog& d) {
        EXPECT_THROW(houses(d).BitBtn1Click(), std::runtime_error);
        return d.result();
    });
    InstallModalRunner installed(runner);
    runRealtyClassification(desk, nullptr, indate, text);
    EXPECT_EQ(desk.tRielt.RecordCount(), 0);
    EXPECT_EQ(desk.tRielt.State(), dorod::TDataSetState::dsBrowse);
}

TEST(RealtyRowTest, ARowThatCannotBePostedIsTakenBackWhole) {
    // A rielt.d from elsewhere, without the room field: the row fails half made.
    TempFolder folder;
    std::vector<dorod::TFieldDef> fields;
    for (const dorod::TFieldDef& f : realtyTable().fields)
        if (f.Name != "vid") fields.push_back(f);
    ASSERT_TRUE(createTableFile(folder.file(QStringLiteral("rielt.d")), fields));
    TDesk desk{ProgramFolder(folder.path())};
    desk.open();
    EXPECT_ANY_THROW(appendRealtyRow(desk, QDate(2026, 12, 9), QStringLiteral("СДАМ"),
                                     QStringLiteral("ОДНОКОМНАТНАЯ"),
                                     QStringLiteral("Сдам квартиру")));
    EXPECT_EQ(desk.tRielt.State(), dorod::TDataSetState::dsBrowse);
    EXPECT_EQ(desk.tRielt.RecordCount(), 0);
    EXPECT_FALSE(desk.tRielt.Modified());
}

} // namespace
