// The desk's tables opened from the database and saved one operation at a time, as the
// desk uses them: through the dataset, two counters on one database.
#include "pgstore/PgDeskTables.h"
#include "pgstore/PgTransfer.h"
#include "pgstore/PgValues.h"
#include "pgsupport/TestDatabase.h"
#include "storage/DorodDate.h"
#include "support/TableBuilder.h"
#include "support/TempDir.h"
#include "tables/defs/TableDefinitions.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

using namespace pgstore;
using testsupport::PgTest;

struct Desk {
    explicit Desk(const std::string& url) {
        std::string message;
        tables = PgDeskTables::connect(url, message);
        EXPECT_TRUE(tables) << message;
        if (!tables) return;
        tables->attach(tData, tDates, tRielt);
        tData.Name = "tData";
        tData.Open();
        tDates.Open();
        tRielt.Open();
    }
    // An announcement and one run day, as the entry form adds them; the number proposed is
    // the next after the highest this desk knows.
    int32_t addAnnouncement(const std::string& client) {
        int32_t highest = 0;
        for (tData.First(); !tData.Eof(); tData.Next())
            highest = std::max(highest, tData.FieldByName("id").AsInteger());
        tData.Append();
        tData.FieldByName("id").SetAsInteger(highest + 1);
        tData.FieldByName("Client").SetAsString(client);
        tData.Post();
        tDates.Append();
        tDates.FieldByName("id").SetAsInteger(highest + 1);
        tDates.FieldByName("date").SetAsDayNumber(dorod::dayNumberFromCivil(2026, 12, 11));
        tDates.Post();
        return highest + 1;
    }
    std::vector<int> idsOf(dorod::TDorodTable& t) { return testsupport::idsOf(t); }

    std::unique_ptr<PgDeskTables> tables;
    dorod::TDorodTable tData, tDates, tRielt;
};

TEST_F(PgTest, EachDeskSavesItsOperationsAndTheNumberIsSettledAtTheSave) {
    Desk a(url()), b(url());
    EXPECT_EQ(a.addAnnouncement("at a"), 1);
    EXPECT_EQ(b.addAnnouncement("at b"), 1);
    const PgSaveResult savedA = a.tables->saveOperation();
    ASSERT_EQ(savedA.status, PgSaveStatus::Saved) << savedA.message;
    EXPECT_FALSE(a.tData.HasChanges());
    EXPECT_FALSE(a.tDates.HasChanges());
    const PgSaveResult savedB = b.tables->saveOperation();
    ASSERT_EQ(savedB.status, PgSaveStatus::Saved) << savedB.message;
    ASSERT_EQ(savedB.renumbered.size(), 1u);
    EXPECT_EQ(savedB.renumbered[0], std::make_pair(1, 2));
    // The second desk's list and run days show the saved number.
    EXPECT_EQ(b.idsOf(b.tData), std::vector<int>{2});
    EXPECT_EQ(b.idsOf(b.tDates), std::vector<int>{2});
    // Read again, each desk sees both.
    a.tData.Refresh();
    EXPECT_EQ(a.idsOf(a.tData), (std::vector<int>{1, 2}));
    // A change the other desk made first is refused, and the change stays to be looked at.
    b.tData.Refresh();
    ASSERT_TRUE(b.tData.Locate("id", {"1"}));
    b.tData.Edit();
    b.tData.FieldByName("Client").SetAsString("changed at b");
    b.tData.Post();
    ASSERT_EQ(b.tables->saveOperation().status, PgSaveStatus::Saved);
    ASSERT_TRUE(a.tData.Locate("id", {"1"}));
    a.tData.Edit();
    a.tData.FieldByName("Client").SetAsString("changed at a");
    const PgSaveResult refused = a.tables->saveOperation(); // posts the edit, as a save does
    EXPECT_EQ(refused.status, PgSaveStatus::Conflict);
    EXPECT_TRUE(a.tData.HasChanges());
}

// Another counter's save is heard within two seconds; the desk's own saves are not news.
TEST_F(PgTest, ADeskHearsOfTheOtherCountersSavesButNotOfItsOwn) {
    Desk a(url()), b(url());
    const auto heardWithinTwoSeconds = [](Desk& desk) {
        for (int i = 0; i < 40; ++i) {
            if (desk.tables->othersSaved()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    };
    a.addAnnouncement("at a");
    ASSERT_EQ(a.tables->saveOperation().status, PgSaveStatus::Saved);
    EXPECT_TRUE(heardWithinTwoSeconds(b));
    EXPECT_FALSE(heardWithinTwoSeconds(a)) << "its own save";
    EXPECT_FALSE(b.tables->othersSaved()) << "told once";
    b.tData.Refresh();
    EXPECT_EQ(b.idsOf(b.tData), std::vector<int>{1});
}

// A desk that read its tables follows the other counters' saves by reading just the rows
// they touched: the same store, the other desk's additions, changes and deletions in it,
// its own saves not doubled, and a row changed elsewhere can be changed here afterwards.
TEST_F(PgTest, ADeskFollowsTheOtherCountersSavesRowByRow) {
    Desk a(url()), b(url());
    a.addAnnouncement("first");
    a.addAnnouncement("second");
    ASSERT_EQ(a.tables->saveOperation().status, PgSaveStatus::Saved);
    b.tData.Refresh();
    b.tDates.Refresh();
    const dorod::TDorodCursor* store = b.tData.Store();
    const auto clientOf = [](Desk& desk, int id) {
        return desk.tData.Locate("id", {std::to_string(id)})
                   ? desk.tData.FieldByName("Client").AsString()
                   : std::string("(none)");
    };
    const auto saved = [](Desk& desk) {
        const PgSaveResult r = desk.tables->saveOperation();
        EXPECT_EQ(r.status, PgSaveStatus::Saved) << r.message;
    };
    // At a: the second changed, the first deleted, a third added. At b: a fourth.
    ASSERT_TRUE(a.tData.Locate("id", {"2"}));
    a.tData.Edit();
    a.tData.FieldByName("Client").SetAsString("second, changed at a");
    a.tData.Post();
    saved(a);
    ASSERT_TRUE(a.tData.Locate("id", {"1"}));
    a.tData.Delete();
    ASSERT_TRUE(a.tDates.Locate("id", {"1"}));
    a.tDates.Delete();
    saved(a);
    EXPECT_EQ(a.addAnnouncement("third"), 3);
    saved(a);
    EXPECT_EQ(b.addAnnouncement("fourth, at b"), 3);
    saved(b); // settled as 4
    for (dorod::TDorodTable* t : {&b.tData, &b.tDates, &b.tRielt})
        t->Refresh();
    EXPECT_EQ(b.tData.Store(), store) << "followed in place, not read whole";
    EXPECT_EQ(b.idsOf(b.tData), (std::vector<int>{2, 3, 4}));
    EXPECT_EQ(b.idsOf(b.tDates), (std::vector<int>{2, 3, 4}));
    EXPECT_EQ(clientOf(b, 2), "second, changed at a");
    EXPECT_EQ(clientOf(b, 4), "fourth, at b");
    // b knows the version a saved: its own change of the row goes through.
    ASSERT_TRUE(b.tData.Locate("id", {"2"}));
    b.tData.Edit();
    b.tData.FieldByName("Client").SetAsString("second, changed at b");
    b.tData.Post();
    saved(b);
    a.tData.Refresh();
    EXPECT_EQ(clientOf(a, 2), "second, changed at b");
    EXPECT_EQ(a.idsOf(a.tData), (std::vector<int>{2, 3, 4}));
    // Nothing new: the view stays as it is.
    b.tData.Refresh();
    EXPECT_EQ(b.idsOf(b.tData), (std::vector<int>{2, 3, 4}));

    // The tables replaced whole by an import (here of what they held, less announcement 4):
    // read whole again, not followed.
    testsupport::TempDir folder;
    PgTransferCounts counts;
    std::string message;
    ASSERT_TRUE(exportFolder(a.tables->connection(), folder.path().string(), counts, message))
        << message;
    ASSERT_TRUE(a.tData.Locate("id", {"4"}));
    a.tData.Delete();
    saved(a);
    ASSERT_TRUE(importFolder(a.tables->connection(), folder.path().string(), true, counts, message))
        << message;
    b.tData.Refresh();
    EXPECT_NE(b.tData.Store(), store);
    EXPECT_EQ(b.idsOf(b.tData), (std::vector<int>{2, 3, 4}));
}

// The connection breaks with every row sent and the commit still to come: the desk is
// told the outcome is unknown, saves nothing more until it has connected again, and then
// saves the same operation once.
TEST_F(PgTest, ADeskWhoseConnectionBrokeAtTheCommitSavesTheOperationOnceAfterReconnecting) {
    Desk a(url());
    a.addAnnouncement("kept");
    std::string message;
    auto killer = PgConnection::open(url(), message);
    ASSERT_TRUE(killer) << message;
    PgSaveHooks hooks;
    hooks.beforeCommit = [&] {
        std::string pid;
        putInt32(pid, PQbackendPID(a.tables->connection().raw()));
        const PgResult r = killer->query("SELECT pg_terminate_backend($1, 5000)", {pid}, message);
        EXPECT_TRUE(r.ok()) << message;
    };
    const PgSaveResult broken = a.tables->saveOperation(&hooks);
    ASSERT_EQ(broken.status, PgSaveStatus::CommitUnknown) << broken.message;
    EXPECT_TRUE(a.tables->commitUnknown());
    EXPECT_EQ(a.tables->saveOperation().status, PgSaveStatus::CommitUnknown)
        << "no second save before the first one's outcome is known";
    ASSERT_TRUE(a.tables->reconnect(message)) << message;
    EXPECT_TRUE(a.tData.HasChanges()) << "not committed: the operation is still to be saved";
    const PgSaveResult saved = a.tables->saveOperation();
    ASSERT_EQ(saved.status, PgSaveStatus::Saved) << saved.message;
    const PgResult rows = killer->query("SELECT count(*) FROM data", {}, message);
    EXPECT_EQ(rows.integer(0, 0), 1);
}

} // namespace
