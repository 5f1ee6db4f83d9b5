// The desk's tables kept in PostgreSQL, on the throw-away cluster: the schema, rows read
// back exactly as saved, the refused change of a row changed elsewhere, numbers settled
// when two counters save at once, and a connection lost in the middle of a save.
#include "pgstore/PgSave.h"
#include "pgstore/PgSchema.h"
#include "pgstore/PgTableSource.h"
#include "pgstore/PgValues.h"
#include "pgsupport/TestDatabase.h"
#include "storage/DorodDate.h"
#include "storage/DorodRecord.h"
#include "storage/DorodTable.h"
#include "support/TableBuilder.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using namespace pgstore;
using dorod::TDorodCursor;
using dorod::TDorodRecordBuffer;
using dorod::TDorodRecordEntry;
using dorod::TDorodRecordStatus;
using testsupport::cp1251;
using testsupport::PgTest;
namespace record = dorod::record;

const std::string kInjection = "O'Brien\"; DROP TABLE data; --";

std::unique_ptr<PgConnection> connect(const std::string& url) {
    std::string message;
    auto connection = PgConnection::open(url, message);
    EXPECT_TRUE(connection) << message;
    return connection;
}

// One counter: a connection and the three tables read through it.
struct Counter {
    explicit Counter(const std::string& url)
        : connection(connect(url)), data(*connection, announcementMap()),
          dates(*connection, runDateMap()), rielt(*connection, realtyMap()) {
        std::string message;
        EXPECT_TRUE(ensureSchema(*connection, message)) << message;
        reload();
    }
    void reload() {
        std::string message;
        EXPECT_TRUE(data.LoadRecords(dataStore, message)) << message;
        EXPECT_TRUE(dates.LoadRecords(datesStore, message)) << message;
        EXPECT_TRUE(rielt.LoadRecords(rieltStore, message)) << message;
    }
    PgSaveResult save(const PgSaveHooks* hooks = nullptr) {
        PgSaveResult result =
            saveChanges(*connection,
                        {{&data, &dataStore}, {&dates, &datesStore}, {&rielt, &rieltStore}}, hooks);
        if (result.status == PgSaveStatus::Saved) {
            dataStore.CommitChanges();
            datesStore.CommitChanges();
            rieltStore.CommitChanges();
        }
        return result;
    }

    std::unique_ptr<PgConnection> connection;
    PgTableSource data, dates, rielt;
    TDorodCursor dataStore, datesStore, rieltStore;
};

const dorod::TDorodField& field(TDorodCursor& store, const char* name) {
    return *store.FindField(name);
}

// Adds an announcement with every kind of value, and its run days.
TDorodRecordEntry* addAnnouncement(Counter& c, int32_t id, const std::string& client,
                                   std::vector<int32_t> days = {}) {
    TDorodCursor& s = c.dataStore;
    TDorodRecordBuffer b(s.Layout());
    record::setInt32(b.data(), field(s, "id"), id);
    record::setInt32(b.data(), field(s, "indate"), dorod::dayNumberFromCivil(2026, 12, 10));
    record::setText(b.data(), field(s, "Client"), client);
    record::setText(b.data(), field(s, "Tel"), "8-900-000");
    record::setText(b.data(), field(s, "Text"), cp1251("ПРОДАМ ДОМ, ТЕЛ. 22-33"));
    record::setText(b.data(), field(s, "ClientCat"), cp1251("ФИЗЛИЦА"));
    record::setInt32(b.data(), field(s, "slov"), 4);
    record::setBoolean(b.data(), field(s, "povt"), true);
    record::setText(b.data(), field(s, "XML"), "<a>\r\n\x98</a>");
    record::setDouble(b.data(), field(s, "Summa"), 123.45);
    TDorodRecordEntry* entry = nullptr;
    std::string message;
    EXPECT_TRUE(s.PostRecord(b.data(), entry, message)) << message;
    for (int32_t day : days) {
        TDorodRecordBuffer d(c.datesStore.Layout());
        record::setInt32(d.data(), field(c.datesStore, "id"), id);
        record::setInt32(d.data(), field(c.datesStore, "date"), day);
        TDorodRecordEntry* dateEntry = nullptr;
        EXPECT_TRUE(c.datesStore.PostRecord(d.data(), dateEntry, message)) << message;
    }
    return entry;
}

TDorodRecordEntry* findById(TDorodCursor& store, int32_t id) {
    for (TDorodRecordEntry* e : store.Entries())
        if (e->isLive() && record::getInt32(e->data(), field(store, "id")) == id) return e;
    return nullptr;
}

// Every value of every live row as text, in store order.
std::vector<std::string> rowsOf(TDorodCursor& store) {
    std::vector<std::string> rows;
    for (const TDorodRecordEntry* e : store.Entries()) {
        if (!e->isLive()) continue;
        std::string row;
        for (int i = 0; i < store.FieldCount(); ++i)
            row += store.FieldAsText(*store.Field(i), e) + "|";
        rows.push_back(row);
    }
    return rows;
}

long long countRows(PgConnection& connection, const std::string& sql) {
    std::string message;
    const PgResult result = connection.query(sql, {}, message);
    EXPECT_TRUE(result.ok()) << message;
    return result.integer(0, 0);
}

void changeClient(TDorodCursor& store, TDorodRecordEntry* entry, const std::string& client) {
    ASSERT_TRUE(store.BeginEdit(entry));
    TDorodRecordBuffer b(store.Layout());
    b.assign(entry->data());
    record::setText(b.data(), field(store, "Client"), client);
    std::string message;
    ASSERT_TRUE(store.PostRecord(b.data(), entry, message)) << message;
}

// ------------------------------------------------------------------ the wire

// A binary COPY arrives in pieces of any size; the tuples read are the same whatever
// the cut, nulls and empty values kept apart.
TEST(PgCopyReader, ReadsTheSameTuplesWhereverTheStreamIsCut) {
    std::string stream = copyHeader();
    const auto tuple = [&](std::vector<std::optional<std::string>> values) {
        putInt16(stream, int16_t(values.size()));
        for (const auto& v : values) {
            putInt32(stream, v ? int32_t(v->size()) : -1);
            if (v) stream += *v;
        }
    };
    tuple({"abc", std::nullopt, ""});
    tuple({std::string("\0\1", 2)});
    tuple({});
    stream += copyTrailer();
    const std::vector<std::string> expected = {"abc|null||", std::string("\0\1|", 3), ""};
    for (const size_t cut : {size_t(1), size_t(3), size_t(7), stream.size()}) {
        SCOPED_TRACE("pieces of " + std::to_string(cut));
        std::vector<std::string> read;
        PgCopyReader reader(
            [&](const std::vector<std::optional<std::string_view>>& values, std::string&) {
                std::string row;
                for (const auto& v : values)
                    row += (v ? std::string(*v) : "null") + "|";
                read.push_back(row);
                return true;
            });
        std::string message;
        for (size_t at = 0; at < stream.size(); at += cut)
            ASSERT_TRUE(reader.feed(std::string_view(stream).substr(at, cut), message)) << message;
        EXPECT_TRUE(reader.finished());
        EXPECT_EQ(read, expected);
    }
    PgCopyReader wrong([](const auto&, std::string&) { return true; });
    std::string message;
    EXPECT_FALSE(wrong.feed("NOTACOPYSTREAM-NOTACOPYSTREAM", message));
    EXPECT_NE(message.find("signature"), std::string::npos);
}

// ------------------------------------------------------------------ schema

// A server that does not answer is given up after a few seconds (the window waits
// meanwhile), unless the URL says how long.
TEST_F(PgTest, AConnectionIsGivenUpAfterAFewSecondsUnlessTheUrlSays) {
    const std::pair<std::string, std::string> cases[] = {
        {"", std::to_string(PgConnection::kConnectTimeoutSeconds)},
        {"&connect_timeout=30", "30"},
    };
    for (const auto& [extra, expected] : cases) {
        std::string message;
        auto connection = PgConnection::open(url() + extra, message);
        ASSERT_TRUE(connection) << message;
        PQconninfoOption* options = PQconninfo(connection->raw());
        std::string timeout;
        for (PQconninfoOption* o = options; o && o->keyword; ++o)
            if (std::string(o->keyword) == "connect_timeout" && o->val) timeout = o->val;
        PQconninfoFree(options);
        EXPECT_EQ(timeout, expected) << extra;
    }
}

TEST_F(PgTest, SchemaIsCreatedWhenAbsentWithATypedColumnPerField) {
    auto connection = connect(url());
    std::string message;
    ASSERT_TRUE(ensureSchema(*connection, message)) << message;
    // A database made when the wide texts had a width is widened.
    ASSERT_TRUE(
        connection->exec("ALTER TABLE data ALTER COLUMN \"Text\" TYPE varchar(600)", message))
        << message;
    ASSERT_TRUE(ensureSchema(*connection, message)) << "a second time keeps it: " << message;
    struct Case {
        const char* table;
        const char* column;
        const char* type;
        int length;
    };
    const Case cases[] = {
        {"data", "id", "integer", 0},
        {"data", "indate", "date", 0},
        {"data", "Client", "text", 0}, // wider than a short text: any length
        {"data", "Text", "text", 0},
        {"data", "ClientCat", "character varying", 15},
        {"data", "povt", "boolean", 0},
        {"data", "XML", "text", 0},
        {"data", "Summa", "double precision", 0},
        {"data", "row_version", "integer", 0},
        {"dates", "date", "date", 0},
        {"rielt", "date", "timestamp without time zone", 0},
        {"rielt", "vid", "character varying", 20},
    };
    for (const Case& c : cases) {
        const PgResult r = connection->query(
            "SELECT data_type, coalesce(character_maximum_length, 0) FROM "
            "information_schema.columns WHERE table_name = $1 AND column_name = $2",
            {std::string(c.table), std::string(c.column)}, message);
        ASSERT_TRUE(r.ok()) << message;
        ASSERT_EQ(r.rows(), 1) << c.table << "." << c.column;
        EXPECT_EQ(r.value(0, 0), c.type) << c.table << "." << c.column;
        EXPECT_EQ(r.integer(0, 1), c.length) << c.table << "." << c.column;
    }
}

TEST_F(PgTest, ATableOfTheSameNameMadeBySomethingElseIsNotUsed) {
    auto connection = connect(url());
    std::string message;
    ASSERT_TRUE(connection->exec("CREATE TABLE rielt (date date, note text)", message));
    EXPECT_FALSE(ensureSchema(*connection, message));
    EXPECT_EQ(message, "the database's table rielt is not the desk's: it has no column row_id");
}

// ------------------------------------------------------------------ rows

TEST_F(PgTest, SavedRowsReadBackWithTheSameValues) {
    Counter a(url());
    addAnnouncement(a, 7, cp1251("ИВАНОВ И.И."), {dorod::dayNumberFromCivil(2026, 12, 11)});
    addAnnouncement(a, 8, kInjection);
    // A row of empty values: no date, no text, zero numbers.
    TDorodRecordBuffer empty(a.dataStore.Layout());
    TDorodRecordEntry* entry = nullptr;
    std::string message;
    ASSERT_TRUE(a.dataStore.PostRecord(empty.data(), entry, message));
    TDorodRecordBuffer realty(a.rieltStore.Layout());
    record::setDouble(realty.data(), field(a.rieltStore, "date"),
                      double(dorod::dayNumberFromCivil(2026, 12, 10)) * dorod::kMsPerDay);
    record::setText(realty.data(), field(a.rieltStore, "tip"), cp1251("ПРОДАМ"));
    record::setText(realty.data(), field(a.rieltStore, "text"), cp1251("Дом\r\nкирпичный"));
    entry = nullptr;
    ASSERT_TRUE(a.rieltStore.PostRecord(realty.data(), entry, message));

    const PgSaveResult saved = a.save();
    ASSERT_EQ(saved.status, PgSaveStatus::Saved) << saved.message;
    EXPECT_EQ(saved.rowsWritten, 5);

    Counter b(url());
    EXPECT_EQ(rowsOf(b.dataStore), rowsOf(a.dataStore));
    EXPECT_EQ(rowsOf(b.datesStore), rowsOf(a.datesStore));
    EXPECT_EQ(rowsOf(b.rieltStore), rowsOf(a.rieltStore));
    ASSERT_EQ(b.dataStore.LiveRecordCount(), 3);
    // The injection text is a value like any other: stored as typed, the table still there.
    EXPECT_EQ(record::getText(findById(b.dataStore, 8)->data(), field(b.dataStore, "Client")),
              kInjection);
    const PgResult typed = b.connection->query("SELECT count(*) FROM data WHERE \"Client\" = $1",
                                               {kInjection}, message);
    EXPECT_EQ(typed.integer(0, 0), 1) << message;
    // Texts reach the database as UTF-8.
    const PgResult utf8 =
        b.connection->query("SELECT \"Client\" FROM data WHERE id = 7", {}, message);
    EXPECT_EQ(utf8.value(0, 0), "ИВАНОВ И.И.");
}

TEST_F(PgTest, ChangedAndDeletedRowsAreSavedAndOthersUntouched) {
    Counter a(url());
    for (int id = 1; id <= 3; ++id)
        addAnnouncement(a, id, "client " + std::to_string(id));
    ASSERT_EQ(a.save().status, PgSaveStatus::Saved);
    changeClient(a.dataStore, findById(a.dataStore, 2), "changed");
    std::string message;
    ASSERT_TRUE(a.dataStore.DeleteRecord(findById(a.dataStore, 3), message));
    const PgSaveResult saved = a.save();
    ASSERT_EQ(saved.status, PgSaveStatus::Saved) << saved.message;
    EXPECT_EQ(saved.rowsWritten, 2) << "only the changed rows are written";

    Counter b(url());
    EXPECT_EQ(rowsOf(b.dataStore), rowsOf(a.dataStore));
    EXPECT_EQ(countRows(*b.connection, "SELECT max(row_version) FROM data"), 2);
    EXPECT_EQ(countRows(*b.connection, "SELECT count(*) FROM vornelta_deleted"), 1);
}

TEST_F(PgTest, ARowChangedAtAnotherCounterIsNotOverwritten) {
    // The first counter changes or deletes the row; then the second one's save, which read
    // it before, touches the same row, and adds an announcement of its own.
    struct Case {
        const char* name;
        bool firstDeletes;
        bool secondDeletes;
    };
    const Case cases[] = {
        {"change after change", false, false},
        {"change after delete", true, false},
        {"delete after change", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        {
            Counter setup(url());
            std::string message;
            ASSERT_TRUE(setup.connection->exec("TRUNCATE data, dates, rielt", message));
            addAnnouncement(setup, 1, "first");
            ASSERT_EQ(setup.save().status, PgSaveStatus::Saved);
        }
        Counter first(url()), second(url());
        std::string message;
        if (c.firstDeletes)
            ASSERT_TRUE(first.dataStore.DeleteRecord(findById(first.dataStore, 1), message));
        else
            changeClient(first.dataStore, findById(first.dataStore, 1), "by the first");
        ASSERT_EQ(first.save().status, PgSaveStatus::Saved);

        if (c.secondDeletes)
            ASSERT_TRUE(second.dataStore.DeleteRecord(findById(second.dataStore, 1), message));
        else
            changeClient(second.dataStore, findById(second.dataStore, 1), "by the second");
        addAnnouncement(second, 2, "new at the second", {dorod::dayNumberFromCivil(2026, 12, 12)});
        const PgSaveResult refused = second.save();
        EXPECT_EQ(refused.status, PgSaveStatus::Conflict);
        EXPECT_NE(refused.message.find("announcement 1 was changed"), std::string::npos)
            << refused.message;
        EXPECT_NE(refused.message.find("at another counter"), std::string::npos) << refused.message;
        EXPECT_NE(refused.message.find("nothing was saved"), std::string::npos) << refused.message;
        // Nothing of the refused save was written: the first counter's change stands and
        // the new announcement is not there; the second counter still holds its changes.
        EXPECT_EQ(countRows(*second.connection, "SELECT count(*) FROM data WHERE id = 2"), 0);
        EXPECT_EQ(countRows(*second.connection, "SELECT count(*) FROM dates"), 0);
        EXPECT_EQ(countRows(*second.connection,
                            "SELECT count(*) FROM data WHERE \"Client\" = 'by the first'"),
                  c.firstDeletes ? 0 : 1);
        EXPECT_EQ(second.dataStore.Entries().back()->status, TDorodRecordStatus::Inserted);
    }
}

TEST_F(PgTest, TwoCountersSavingAtOnceGetTwoNumbers) {
    Counter setup(url());
    addAnnouncement(setup, 41, "before");
    ASSERT_EQ(setup.save().status, PgSaveStatus::Saved);
    // Both counters propose 42, the next number they know, with a run day each.
    Counter a(url()), b(url());
    addAnnouncement(a, 42, "at a", {dorod::dayNumberFromCivil(2026, 12, 20)});
    addAnnouncement(b, 42, "at b", {dorod::dayNumberFromCivil(2026, 12, 21)});
    PgSaveResult ra, rb;
    std::thread ta([&] { ra = a.save(); });
    std::thread tb([&] { rb = b.save(); });
    ta.join();
    tb.join();
    ASSERT_EQ(ra.status, PgSaveStatus::Saved) << ra.message;
    ASSERT_EQ(rb.status, PgSaveStatus::Saved) << rb.message;
    // One of them kept 42, the other was given 43, and says so.
    EXPECT_EQ(ra.renumbered.size() + rb.renumbered.size(), 1u);
    const auto& moved = ra.renumbered.empty() ? rb.renumbered : ra.renumbered;
    ASSERT_EQ(moved.size(), 1u);
    EXPECT_EQ(moved[0], std::make_pair(42, 43));
    EXPECT_EQ(countRows(*setup.connection, "SELECT count(DISTINCT id) FROM data"), 3);
    // Each run day follows its announcement's saved number, in the database and in the
    // store of the counter that was renumbered.
    EXPECT_EQ(countRows(*setup.connection,
                        "SELECT count(*) FROM dates d JOIN data a ON a.id = d.id AND "
                        "a.\"Client\" = CASE d.date WHEN '2026-12-20' THEN 'at a' ELSE 'at b' END"),
              2);
    Counter& renumbered = ra.renumbered.empty() ? b : a;
    EXPECT_NE(findById(renumbered.dataStore, 43), nullptr);
    EXPECT_NE(findById(renumbered.datesStore, 43), nullptr);
    EXPECT_EQ(findById(renumbered.datesStore, 42), nullptr);
}

// Numbers a save cannot keep: taken in the database, given twice in one save, or none.
TEST_F(PgTest, NumbersASaveCannotKeepAreGivenTheNextFreeOnes) {
    Counter setup(url());
    addAnnouncement(setup, 5, "taken");
    ASSERT_EQ(setup.save().status, PgSaveStatus::Saved);
    Counter a(url());
    addAnnouncement(a, 5, "proposes a taken one");
    addAnnouncement(a, 9, "first of two nines");
    addAnnouncement(a, 9, "second of two nines");
    addAnnouncement(a, 0, "without a number");
    const PgSaveResult saved = a.save();
    ASSERT_EQ(saved.status, PgSaveStatus::Saved) << saved.message;
    std::string message;
    const PgResult numbers = a.connection->query(
        "SELECT \"Client\" || '=' || id FROM data ORDER BY row_id", {}, message);
    std::vector<std::string> got;
    for (int r = 0; r < numbers.rows(); ++r)
        got.emplace_back(numbers.value(r, 0));
    EXPECT_EQ(got,
              (std::vector<std::string>{"taken=5", "proposes a taken one=6", "first of two nines=9",
                                        "second of two nines=10", "without a number=11"}));
    // The store holds the saved numbers too.
    Counter b(url());
    EXPECT_EQ(rowsOf(a.dataStore), rowsOf(b.dataStore));
}

TEST_F(PgTest, ATextWithoutAWindows1251LetterRefusesTheOpenNamingIt) {
    Counter a(url());
    std::string message;
    ASSERT_TRUE(
        a.connection->exec("INSERT INTO data (id, \"Client\") VALUES (5, 'Ли 李')", message));
    TDorodCursor store;
    EXPECT_FALSE(a.data.LoadRecords(store, message));
    EXPECT_NE(message.find("Client"), std::string::npos) << message;
    EXPECT_EQ(store.EntryCount(), 0);
}

// A table of the desk kept in the database, used through the dataset as the windows do.
TEST_F(PgTest, ATableWithTheDatabaseAsItsSourceOpensEditsAndSaves) {
    Counter setup(url());
    addAnnouncement(setup, 1, "one");
    ASSERT_EQ(setup.save().status, PgSaveStatus::Saved);

    dorod::TDorodTable table;
    table.Name = "tData";
    table.SetRecordSource(&setup.data);
    table.Open();
    ASSERT_EQ(table.RecordCount(), 1);
    table.Edit();
    table.FieldByName("Client").SetAsString(kInjection);
    table.Post();
    table.Insert();
    table.FieldByName("id").SetAsInteger(2);
    table.Post();
    table.Save();
    table.ApplyChanges();
    table.Close();
    table.Open();
    ASSERT_EQ(table.RecordCount(), 2);
    ASSERT_TRUE(table.Locate("id", {"1"}));
    EXPECT_EQ(table.FieldByName("Client").AsString(), kInjection);
}

// ------------------------------------------------------------------ a lost connection

// The server of a cluster of its own is stopped in the middle of a save: before it began,
// or with every row sent and the commit still to come. Nothing is written, the message
// says so, and once the server is back the same save goes through.
TEST_F(PgTest, AServerStoppedMidSaveLosesNothingAndSaysSo) {
    std::string output;
    ASSERT_EQ(testsupport::runClusterScript("start", output), 0) << output;
    const std::string clusterDir = testsupport::exported(output, "VORNELTA_TEST_PG_DIR");
    const std::string lostUrl = testsupport::exported(output, "VORNELTA_TEST_PG_URL");
    ASSERT_FALSE(clusterDir.empty());
    struct Removal {
        std::string dir;
        ~Removal() {
            std::string ignored;
            testsupport::runClusterScript("remove '" + dir + "'", ignored);
        }
    } removal{clusterDir};
    const auto stopServer = [&] {
        std::string ignored;
        EXPECT_EQ(testsupport::runClusterScript("stop '" + clusterDir + "'", ignored), 0);
    };

    for (const bool beforeCommit : {false, true}) {
        SCOPED_TRACE(beforeCommit ? "stopped before the commit" : "stopped before the save");
        std::string message;
        {
            Counter setup(lostUrl);
            ASSERT_TRUE(setup.connection->exec("TRUNCATE data, dates, rielt", message));
        }
        Counter a(lostUrl);
        addAnnouncement(a, 9, "typed before the loss", {dorod::dayNumberFromCivil(2026, 12, 24)});
        PgSaveHooks hooks;
        if (beforeCommit)
            hooks.beforeCommit = stopServer;
        else
            stopServer();
        const PgSaveResult lost = a.save(&hooks);
        if (beforeCommit) {
            EXPECT_EQ(lost.status, PgSaveStatus::CommitUnknown) << lost.message;
            EXPECT_NE(lost.message.find("whether it was saved"), std::string::npos);
        } else {
            EXPECT_EQ(lost.status, PgSaveStatus::ConnectionLost) << lost.message;
            EXPECT_NE(lost.message.find("nothing was saved"), std::string::npos);
        }
        EXPECT_NE(lost.message.find("connection to the database was lost"), std::string::npos)
            << lost.message;
        // The store still holds what was typed, to be saved again.
        EXPECT_EQ(findById(a.dataStore, 9)->status, TDorodRecordStatus::Inserted);

        ASSERT_EQ(testsupport::runClusterScript("start '" + clusterDir + "'", output), 0) << output;
        Counter again(lostUrl);
        EXPECT_EQ(again.dataStore.LiveRecordCount(), 0);
        EXPECT_EQ(again.datesStore.LiveRecordCount(), 0);
        bool committed = true;
        ASSERT_TRUE(wasCommitted(*again.connection, lost.change, committed, message)) << message;
        EXPECT_FALSE(committed);
        // The retry: the same records, on a new connection.
        a.connection = std::move(again.connection);
        PgTableSource data(*a.connection, announcementMap()), dates(*a.connection, runDateMap());
        const PgSaveResult retried =
            saveChanges(*a.connection, {{&data, &a.dataStore}, {&dates, &a.datesStore}});
        ASSERT_EQ(retried.status, PgSaveStatus::Saved) << retried.message;
        EXPECT_EQ(countRows(*a.connection, "SELECT count(*) FROM data WHERE id = 9"), 1);
        EXPECT_EQ(countRows(*a.connection, "SELECT count(*) FROM dates WHERE id = 9"), 1);
    }
}

} // namespace
