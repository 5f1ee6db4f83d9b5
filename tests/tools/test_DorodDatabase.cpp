// dorod pg-import and pg-export on the throw-away cluster: a demo desk moved into the
// database and written back gives the same tables, and the refusals leave the database
// as it was.
#include "DorodRun.h"
#include "pgstore/PgConnection.h"
#include "pgstore/PgSave.h"
#include "pgstore/PgSchema.h"
#include "pgsupport/TestDatabase.h"
#include "storage/DorodCursor.h"
#include "storage/DorodRecord.h"
#include "storage/DorodTable.h"
#include "support/TableBuilder.h"
#include "support/TempDir.h"
#include "tables/defs/TableDefinitions.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using testsupport::cp1251;
using testsupport::PgTest;
using testsupport::TempDir;

using ToolRun = testsupport::DorodRun;
using testsupport::dorod;

// A demo desk, with two realty rows (the demo's realty table is empty).
void makeDesk(const std::string& folder, const std::string& seed = "20240601") {
#ifndef VORNELTA_DEMO_EXECUTABLE
    GTEST_FAIL() << "built without vornelta-demo";
#else
    const std::string command = std::string(VORNELTA_DEMO_EXECUTABLE) + " " + folder +
                                " --today 2026-12-10 --seed " + seed + " >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    dorod::TDorodCursor realty;
    std::string message;
    ASSERT_TRUE(realty.DefineFields(vornelta::realtyTable().storeFields(), message));
    const char* texts[] = {"ПРОДАМ 2-КОМН. КВ.\r\nТЕЛ. 22-33", "СДАМ ДОМ"};
    for (int i = 0; i < 2; ++i) {
        dorod::TDorodRecordBuffer b(realty.Layout());
        dorod::record::setDouble(b.data(), *realty.Field(0), 63913968000000.0 + i * 86400000.0);
        dorod::record::setText(b.data(), *realty.Field(1), cp1251(i ? "СДАМ" : "ПРОДАМ"));
        dorod::record::setText(b.data(), *realty.Field(3), cp1251(texts[i]));
        realty.AppendStoredRecord(b.data());
    }
    ASSERT_TRUE(realty.SaveToFile(folder + "/rielt.d", 0, false, "", message)) << message;
    // A client longer than the field's width, as another program may write it.
    dorod::TDorodTable data;
    data.SetTableName(folder + "/data.d");
    data.Open();
    dorod::TDorodCursor& store = *data.Store();
    dorod::TDorodRecordEntry* first = store.Entries().front();
    dorod::TDorodRecordBuffer changed(store.Layout());
    changed.assign(first->data());
    dorod::record::setText(changed.data(), *store.FindField("Client"), std::string(150, 'W'));
    ASSERT_TRUE(store.PostRecord(changed.data(), first, message)) << message;
    data.SaveToFile(data.TablePath());
#endif
}

long long announcementsIn(const std::string& url) {
    std::string message;
    auto connection = pgstore::PgConnection::open(url, message);
    EXPECT_TRUE(connection) << message;
    if (!connection) return -1;
    const pgstore::PgResult r = connection->query("SELECT count(*) FROM data", {}, message);
    EXPECT_TRUE(r.ok()) << message;
    return r.integer(0, 0);
}

TEST_F(PgTest, ImportThenExportOfADemoDeskGivesTheSameTables) {
    TempDir desk, back;
    makeDesk(desk.path().string());
    const ToolRun imported = dorod({"pg-import", url(), desk.path().string()});
    ASSERT_EQ(imported.status, 0) << imported.err;
    EXPECT_EQ(imported.out.rfind("imported 300 announcements, ", 0), 0u) << imported.out;
    EXPECT_TRUE(imported.out.ends_with(" run dates, 2 realty rows\n")) << imported.out;
    {
        std::string message;
        auto connection = pgstore::PgConnection::open(url(), message);
        ASSERT_TRUE(connection) << message;
        const pgstore::PgResult longest =
            connection->query("SELECT max(length(\"Client\")) FROM data", {}, message);
        EXPECT_EQ(longest.integer(0, 0), 150) << "the over-long client whole";
    }
    const ToolRun exported = dorod({"pg-export", url(), back.path().string()});
    ASSERT_EQ(exported.status, 0) << exported.err;
    EXPECT_EQ(exported.out, "exported" + imported.out.substr(8));
    for (const char* file : {"data.d", "dates.d", "rielt.d"}) {
        SCOPED_TRACE(file);
        // Row for row, and the whole table with its field descriptions.
        const ToolRun before = dorod({"dump", "--tsv", desk.file(file)});
        const ToolRun after = dorod({"dump", "--tsv", back.file(file)});
        ASSERT_EQ(before.status, 0) << before.err;
        ASSERT_EQ(after.status, 0) << after.err;
        EXPECT_GT(std::count(before.out.begin(), before.out.end(), '\n'), 2);
        EXPECT_EQ(after.out, before.out);
        EXPECT_EQ(dorod({"dump", back.file(file)}).out, dorod({"dump", desk.file(file)}).out);
        EXPECT_EQ(dorod({"check", back.file(file)}).status, 0);
    }
}

TEST_F(PgTest, RefusedImportsAndExportsSaySoAndChangeNothing) {
    TempDir desk, other, empty;
    makeDesk(desk.path().string());
    makeDesk(other.path().string(), "7"); // other announcements, so that a replace shows
    ASSERT_EQ(dorod({"pg-import", url(), desk.path().string()}).status, 0);
    const struct {
        const char* what;
        std::vector<std::string> args;
        int status;
        const char* message;
        long long announcementsAfter;
    } cases[] = {
        {"a database with announcements",
         {"pg-import", url(), other.path().string()},
         1,
         "holds announcements already; nothing was imported",
         300},
        {"a folder without data.d",
         {"pg-import", url(), empty.path().string(), "--replace"},
         1,
         "data.d: no such table file",
         300},
        {"no such folder", {"pg-export", url(), desk.file("missing")}, 1, "no such folder", 300},
        {"no server there",
         {"pg-import", "postgresql:///none?host=/nonexistent&port=1", desk.path().string()},
         1,
         "cannot connect to the database",
         300},
        {"one argument", {"pg-export", url()}, 2, "takes a database URL and a folder", 300},
        {"replacing", {"pg-import", url(), other.path().string(), "--replace"}, 0, "", 300},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const ToolRun r = dorod(c.args);
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(announcementsIn(url()), c.announcementsAfter);
    }
    const ToolRun exported = dorod({"pg-export", url(), empty.path().string()});
    ASSERT_EQ(exported.status, 0) << exported.err;
    const std::string replaced = dorod({"dump", empty.file("data.d")}).out;
    EXPECT_EQ(replaced, dorod({"dump", other.file("data.d")}).out);
    EXPECT_NE(replaced, dorod({"dump", desk.file("data.d")}).out);
}

// A counter that read the tables before a replacing import changes a row: the row it
// read is gone, and the save is refused rather than landing on a new row.
TEST_F(PgTest, ACounterOpenDuringAReplaceCannotOverwriteTheNewRows) {
    TempDir desk, other;
    makeDesk(desk.path().string());
    makeDesk(other.path().string(), "7");
    ASSERT_EQ(dorod({"pg-import", url(), desk.path().string()}).status, 0);
    std::string message;
    auto connection = pgstore::PgConnection::open(url(), message);
    ASSERT_TRUE(connection) << message;
    pgstore::PgTableSource source(*connection, pgstore::announcementMap());
    dorod::TDorodCursor store;
    ASSERT_TRUE(source.LoadRecords(store, message)) << message;
    ASSERT_EQ(dorod({"pg-import", url(), other.path().string(), "--replace"}).status, 0);

    dorod::TDorodRecordEntry* first = store.Entry(0);
    ASSERT_TRUE(store.BeginEdit(first));
    dorod::TDorodRecordBuffer changed(store.Layout());
    changed.assign(first->data());
    dorod::record::setText(changed.data(), *store.FindField("Client"), "stale");
    ASSERT_TRUE(store.PostRecord(changed.data(), first, message));
    const pgstore::PgSaveResult refused = pgstore::saveChanges(*connection, {{&source, &store}});
    EXPECT_EQ(refused.status, pgstore::PgSaveStatus::Conflict) << refused.message;
    const pgstore::PgResult stale =
        connection->query("SELECT count(*) FROM data WHERE \"Client\" = 'stale'", {}, message);
    EXPECT_EQ(stale.integer(0, 0), 0);
}

} // namespace
