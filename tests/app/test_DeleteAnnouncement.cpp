// "Удалить" as a command on the desk: the run-date filter mode and the run-date grid come
// back whether the command ends well or with an error.
#include "app/DeleteAnnouncement.h"
#include "desk/Desk.h"
#include "desk/ScopeGuard.h"
#include "guisupport/DeskRows.h"
#include "guisupport/GuiHelpers.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <optional>
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
        dayShown.emplace(desk.runDatesOfDay(kDay2));
    }
    TempFolder folder;
    TDesk desk{ProgramFolder(folder.path())};
    std::optional<DeskScope> dayShown;
};

TEST_F(DeleteAnnouncementTest, GivesTheModeBackAfterSuccess) {
    ASSERT_TRUE(desk.tData.Locate("id", {"3"}));
    EXPECT_TRUE(deleteCurrentAnnouncement(desk));
    EXPECT_EQ(desk.runDateFilter(), RunDateFilter::OutputDay);
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
        EXPECT_THROW((void)deleteCurrentAnnouncement(desk), std::runtime_error);
        failing.BeforeDelete = nullptr;
        EXPECT_EQ(desk.runDateFilter(), RunDateFilter::OutputDay);
        EXPECT_FALSE(desk.tDates.ControlsDisabled());
        desk.tDates.CancelChanges();
        desk.tDates.SetFiltered(true);
        EXPECT_EQ(desk.tDates.RecordCount(), 3); // the day's rows, none lost
    }
}

// A file that cannot be replaced (a folder stands where it was): the delete fails naming
// it, and the announcement stays with its days, in the tables and in both files.
TEST_F(DeleteAnnouncementTest, AFileThatCannotBeWrittenKeepsTheAnnouncement) {
    for (const char* blocked : {"dates.d", "data.d"}) {
        SCOPED_TRACE(blocked);
        const QString path = folder.file(QString::fromLatin1(blocked));
        const std::string datesBefore = guisupport::readBytes(folder.file("dates.d"));
        const std::string dataBefore = guisupport::readBytes(folder.file("data.d"));
        ASSERT_TRUE(QFile::rename(path, path + ".kept"));
        ASSERT_TRUE(QDir().mkdir(path));
        ASSERT_TRUE(desk.tData.Locate("id", {"1"}));
        const Result deleted = deleteCurrentAnnouncement(desk);
        EXPECT_FALSE(deleted);
        EXPECT_TRUE(deleted.error().contains(QString::fromLatin1(blocked)))
            << deleted.error().toStdString();
        EXPECT_EQ(desk.tData.RecordCount(), 4);
        EXPECT_FALSE(desk.tData.HasChanges());
        EXPECT_FALSE(desk.tDates.HasChanges());
        ASSERT_TRUE(QDir().rmdir(path));
        ASSERT_TRUE(QFile::rename(path + ".kept", path));
        EXPECT_EQ(guisupport::readBytes(folder.file("dates.d")), datesBefore);
        EXPECT_EQ(guisupport::readBytes(folder.file("data.d")), dataBefore);
        EXPECT_EQ(desk.tDates.RecordCount(), 3); // the day's view: 1 and 3 twice
    }
}

TEST(ScopeGuard, GivesTheValueBackOnReturnAndOnException) {
    int mode = 1;
    const auto switched = [&mode](int value) {
        mode = value;
        return ScopeGuard([&mode] { mode = 1; });
    };
    {
        auto guard = switched(5);
        EXPECT_EQ(mode, 5);
    }
    EXPECT_EQ(mode, 1);
    try {
        auto guard = switched(7);
        throw std::runtime_error("x");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(mode, 1);
}

// An undo that throws ends neither the program nor the unwinding: the guard's own
// exception is reported, the one already on its way reaches the caller, and undoNow
// lets the undo's exception through once.
TEST(ScopeGuard, AnUndoThatThrowsDoesNotEndTheProgram) {
    int undone = 0;
    const auto failingUndo = [&undone] {
        ++undone;
        throw std::runtime_error("undo failed");
    };
    { ScopeGuard guard(failingUndo); }
    EXPECT_EQ(undone, 1);

    try {
        ScopeGuard guard(failingUndo);
        throw std::logic_error("the first error");
    } catch (const std::logic_error& e) {
        EXPECT_STREQ(e.what(), "the first error");
    }
    EXPECT_EQ(undone, 2);

    ScopeGuard guard(failingUndo);
    EXPECT_THROW(guard.undoNow(), std::runtime_error);
    guard.undoNow(); // spent: not undone twice
    EXPECT_EQ(undone, 3);
}

// The desk's views end in the same way: a view that cannot be put back leaves the
// program running and the error of the command is the one the caller hears of.
TEST_F(DeleteAnnouncementTest, AViewThatCannotBePutBackDoesNotEndTheProgram) {
    try {
        const DeskScope byAnnouncement = desk.runDatesOfCurrentAnnouncement();
        // Building the day's view again fails.
        desk.tDates.OnFilterRecord = [](dorod::TDataSet&, bool&) {
            throw std::runtime_error("filter failed");
        };
        throw std::logic_error("the command's error");
    } catch (const std::logic_error& e) {
        EXPECT_STREQ(e.what(), "the command's error");
    }
}

} // namespace
