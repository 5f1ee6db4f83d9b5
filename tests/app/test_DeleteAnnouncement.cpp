// "Удалить" as a command on the desk: the run-date filter mode and the run-date grid come
// back whether the command ends well or with an error.
#include "app/DeleteAnnouncement.h"
#include "desk/Desk.h"
#include "desk/ScopeGuard.h"
#include "guisupport/DeskRows.h"
#include "guisupport/GuiHelpers.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

using namespace vornelta;
using guisupport::kDay2;
using guisupport::kRows;
using guisupport::TempFolder;
using guisupport::writeDesk;

class DeleteAnnouncementTest : public ::testing::Test {
protected:
    DeleteAnnouncementTest() {
        writeDesk(folder.path(), kRows);
        desk.open();
        // The output window has the run dates of a day shown.
        desk.runDateFilterMode = rdmOutputDay;
        desk.outputDay = kDay2;
    }
    TempFolder folder;
    TDesk desk{ProgramFolder(folder.path())};
};

TEST_F(DeleteAnnouncementTest, GivesTheModeBackAfterSuccess) {
    ASSERT_TRUE(desk.tData.Locate("id", {"3"}));
    EXPECT_TRUE(deleteCurrentAnnouncement(desk));
    EXPECT_EQ(desk.runDateFilterMode, rdmOutputDay);
    EXPECT_FALSE(desk.tDates.ControlsDisabled());
    // The view shows the day again: only announcement 1 is left on it.
    ASSERT_EQ(desk.tDates.RecordCount(), 1);
    EXPECT_EQ(desk.tDates.FieldByName("id").AsInteger(), 1);
}

TEST_F(DeleteAnnouncementTest, GivesTheModeBackWhenAStepFails) {
    const struct {
        const char* what;
        bool datesFail;
    } cases[] = {{"a run date cannot go", true}, {"the announcement cannot go", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(desk.tData.Locate("id", {"1"}));
        dorod::TDorodTable& failing =
            c.datesFail ? static_cast<dorod::TDorodTable&>(desk.tDates) : desk.tData;
        failing.BeforeDelete = [](dorod::TDataSet&) { throw std::runtime_error("refused"); };
        EXPECT_THROW(deleteCurrentAnnouncement(desk), std::runtime_error);
        failing.BeforeDelete = nullptr;
        EXPECT_EQ(desk.runDateFilterMode, rdmOutputDay);
        EXPECT_FALSE(desk.tDates.ControlsDisabled());
        desk.tDates.CancelChanges();
        desk.tDates.SetFiltered(true);
        EXPECT_EQ(desk.tDates.RecordCount(), 3); // the day's rows, none lost
    }
}

TEST(ScopeGuard, GivesTheValueBackOnReturnAndOnException) {
    int mode = 1;
    {
        auto guard = switchValue(mode, 5);
        EXPECT_EQ(mode, 5);
    }
    EXPECT_EQ(mode, 1);
    try {
        auto guard = switchValue(mode, 7);
        throw std::runtime_error("x");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(mode, 1);
}

} // namespace
