// The desk's run-date view and search as other windows will drive them, and settings
// replaced whole or not at all.
#include "desk/Desk.h"
#include "guisupport/DeskBuilder.h"
#include "guisupport/DeskRows.h"
#include "guisupport/GuiHelpers.h"

#include <QDir>

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <vector>

namespace {

using namespace vornelta;
using guisupport::cp1251;
using guisupport::kRows;
using guisupport::readBytes;
using guisupport::TempFolder;
using guisupport::writeDesk;

class DeskTest : public ::testing::Test {
protected:
    DeskTest() {
        writeDesk(folder.path(), kRows);
        desk.open();
    }
    int currentId() const { return desk.tData.FieldByName("id").AsInteger(); }
    std::vector<int> runDateIds() {
        std::vector<int> ids;
        for (desk.tDates.First(); !desk.tDates.Eof(); desk.tDates.Next())
            ids.push_back(desk.tDates.FieldByName("id").AsInteger());
        return ids;
    }
    std::vector<int> shownIds() {
        std::vector<int> ids;
        for (desk.tData.First(); !desk.tData.Eof(); desk.tData.Next())
            ids.push_back(desk.tData.FieldByName("id").AsInteger());
        return ids;
    }

    TempFolder folder;
    TDesk desk{ProgramFolder(folder.path())};
};

// Every rebuild of the run-date view, whoever makes it, compares with the announcement
// current in tData at that moment.
TEST_F(DeskTest, RunDateViewFollowsTheAnnouncementCurrentAtEachRebuild) {
    ASSERT_EQ(currentId(), 1);
    EXPECT_EQ(runDateIds(), (std::vector<int>{1, 1})); // at start already

    ASSERT_TRUE(desk.tData.Locate("id", {"2"}));
    desk.tDates.SetFiltered(true); // as the scheduling of run days does it
    EXPECT_EQ(runDateIds(), std::vector<int>{2});

    ASSERT_TRUE(desk.tData.Locate("id", {"3"}));
    desk.tDates.Refresh();
    EXPECT_EQ(runDateIds(), (std::vector<int>{3, 3}));

    ASSERT_TRUE(desk.tData.Locate("id", {"4"}));
    desk.tDates.ApplyChanges();
    desk.tDates.SetFiltered(true);
    EXPECT_TRUE(runDateIds().empty());

    // No current announcement: no run day.
    desk.search(QStringLiteral("нет такого текста"));
    EXPECT_EQ(desk.tData.RecordCount(), 0);
    EXPECT_TRUE(runDateIds().empty());
    desk.search(QString());
    EXPECT_EQ(currentId(), 1);
    EXPECT_EQ(runDateIds(), (std::vector<int>{1, 1}));
}

// The run days of an announcement whose number is above every run date's are looked for
// among the run dates added since only; one added for it, or one changed to carry its
// number, is found all the same.
TEST_F(DeskTest, RunDaysOfANumberAboveEveryRunDateAreFoundWhereverTheyCameFrom) {
    const auto showRunDaysOf = [this](int id) {
        EXPECT_TRUE(desk.tData.Locate("id", {std::to_string(id)}));
        desk.followCurrentAnnouncement();
        return runDateIds();
    };
    EXPECT_TRUE(showRunDaysOf(4).empty()); // no run date carries a number above 3
    desk.tDates.Append();
    desk.tDates.FieldByName("id").SetAsInteger(4);
    desk.tDates.FieldByName("date").SetAsDayNumber(guisupport::kDay2);
    desk.tDates.Post();
    desk.tDates.ApplyChanges();
    showRunDaysOf(1);
    EXPECT_EQ(showRunDaysOf(4), std::vector<int>{4});

    ASSERT_EQ(showRunDaysOf(2), std::vector<int>{2});
    desk.tDates.First();
    desk.tDates.Edit();
    desk.tDates.FieldByName("id").SetAsInteger(4);
    desk.tDates.Post();
    desk.tDates.ApplyChanges();
    EXPECT_EQ(showRunDaysOf(4), (std::vector<int>{4, 4}));
    EXPECT_TRUE(showRunDaysOf(2).empty());
}

// A longer search text filters only the rows shown, unless a record changed meanwhile:
// an announcement edited elsewhere while hidden is found when its new text matches.
TEST_F(DeskTest, GrowingSearchFindsARowChangedWhileHidden) {
    desk.search(QStringLiteral("квар"));
    EXPECT_EQ(shownIds(), (std::vector<int>{1, 3, 4}));

    dorod::TDorodTable clone; // another window's view of the same records
    clone.SetCloneDS(&desk.tData);
    clone.Open();
    ASSERT_TRUE(clone.Locate("id", {"2"}));
    clone.Edit();
    clone.FieldByName("Text").SetAsString(cp1251(QStringLiteral("Сдам квартиру и гараж")));
    clone.Post();

    desk.search(QStringLiteral("кварт"));
    EXPECT_EQ(shownIds(), (std::vector<int>{1, 2, 3, 4}));
    // With nothing changed the narrowing still holds.
    desk.search(QStringLiteral("квартир"));
    EXPECT_EQ(shownIds(), (std::vector<int>{1, 2, 3, 4}));
    desk.search(QStringLiteral("квартиру"));
    EXPECT_EQ(shownIds(), (std::vector<int>{1, 2}));
}

// Another view of the announcements in between (the period report's) is not narrowed.
TEST_F(DeskTest, GrowingSearchAfterAnotherViewFiltersTheWholeTable) {
    desk.search(QStringLiteral("к"));
    EXPECT_EQ(shownIds(), (std::vector<int>{1, 3, 4}));
    {
        const DeskScope period = desk.announcementsInPeriod(0, 0); // no day: nothing shown
        EXPECT_TRUE(shownIds().empty());
    }
    desk.search(QStringLiteral("кв"));
    EXPECT_EQ(shownIds(), (std::vector<int>{1, 3, 4}));
}

TEST_F(DeskTest, SettingsAreReplacedWholeOrNotAtAll) {
    TSettings wanted = desk.settings;
    wanted.WordPrice = 7.5;
    wanted.OutDev = QStringLiteral("B:");
    DriveMap drives = desk.drives;
    drives.setConfigured(QStringLiteral("B:"), QStringLiteral("flash"));

    // config.INI cannot be written where a folder of that name stands.
    ASSERT_TRUE(QDir().mkpath(desk.configPath()));
    const Result refused = desk.replaceSettings(wanted, drives);
    EXPECT_FALSE(refused);
    EXPECT_FALSE(refused.error().isEmpty());
    EXPECT_EQ(desk.settings.WordPrice, 0);
    EXPECT_EQ(desk.settings.OutDev, QString());
    EXPECT_EQ(desk.drives.configured(QStringLiteral("B:")), QString());

    ASSERT_TRUE(QDir().rmdir(desk.configPath()));
    const Result replaced = desk.replaceSettings(wanted, drives);
    EXPECT_TRUE(replaced) << replaced.error().toStdString();
    EXPECT_EQ(desk.settings.WordPrice, 7.5);
    EXPECT_EQ(desk.drives.configured(QStringLiteral("B:")), QStringLiteral("flash"));
    const std::string written = readBytes(desk.configPath());
    EXPECT_NE(written.find("OutDev=B:\r\n"), std::string::npos);
    EXPECT_NE(written.find("B=flash\r\n"), std::string::npos);
}

} // namespace

namespace {

// Each scoped view shows what it promises while held and gives the desk's views back when
// the command inside ends with an error: the search on the list, the run days of the
// current announcement. (A period ends with the list unfiltered, as a report leaves it.)
TEST_F(DeskTest, ScopedViewsComeBackWhenTheCommandInsideFails) {
    const struct {
        const char* what;
        std::function<DeskScope(TDesk&)> open;
        std::vector<int> shownIdsWhileHeld; // tData's, or empty to skip
        std::vector<int> runDatesWhileHeld; // tDates' ids, or empty to skip
        std::vector<int> shownIdsAfter;
    } cases[] = {
        {"one announcement", [](TDesk& d) { return d.announcement(3); }, {3}, {3, 3}, {1, 3, 4}},
        {"a period with nobody in it",
         [](TDesk& d) { return d.announcementsInPeriod(0, 0); },
         {},
         {},
         {1, 2, 3, 4}},
        {"the run dates of a day",
         [](TDesk& d) { return d.runDatesOfDay(guisupport::kDay2); },
         {},
         {1, 3, 3},
         {1, 3, 4}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        desk.search(QStringLiteral("кварт"));
        try {
            const DeskScope held = c.open(desk);
            if (!c.shownIdsWhileHeld.empty()) {
                EXPECT_EQ(shownIds(), c.shownIdsWhileHeld);
            }
            if (!c.runDatesWhileHeld.empty()) {
                EXPECT_EQ(runDateIds(), c.runDatesWhileHeld);
            }
            throw std::runtime_error("the command failed");
        } catch (const std::runtime_error&) {
        }
        EXPECT_EQ(desk.runDateFilter(), RunDateFilter::ByAnnouncement);
        EXPECT_EQ(shownIds(), c.shownIdsAfter);
        // The run days follow the announcement the list stands on.
        desk.tData.First();
        desk.followCurrentAnnouncement();
        EXPECT_EQ(runDateIds(), (std::vector<int>{1, 1}));
        desk.search(QString());
    }
}

TEST_F(DeskTest, RealtyRowsOfAPeriodAreShownOnlyWhileHeld) {
    dorod::TDorodTable& rielt = desk.tRielt;
    guisupport::addRealtyRow(desk, {guisupport::kDay1, QStringLiteral("СДАМ"), {}, {}});
    guisupport::addRealtyRow(desk, {guisupport::kDay2, QStringLiteral("КУПЛЮ"), {}, {}});
    {
        const DeskScope held = desk.realtyRowsInPeriod(guisupport::kDay2, guisupport::kDay2);
        EXPECT_EQ(rielt.RecordCount(), 1);
    }
    EXPECT_FALSE(rielt.Filtered());
    EXPECT_EQ(rielt.RecordCount(), 2);
}

} // namespace
