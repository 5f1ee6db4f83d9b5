// The table component as the desk application drives it: opening table files, moving
// through the records, inserting with defaults, editing, deleting and saving, the
// change counter, clones, refresh, data links, and the errors that guard misuse.
#include "storage/DorodDatabase.h"
#include "storage/DorodDate.h"
#include "storage/DorodLocale.h"
#include "storage/DorodRecordSource.h"
#include "storage/DorodTable.h"
#include "support/TableBuilder.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

using namespace dorod;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::StartsWith;
using testsupport::cp1251;
using testsupport::errorOf;
using testsupport::idsOf;
using testsupport::TableBuilder;

namespace {

TDorodClockReading clockAt(int year, int month, int day, int hour, int minute, int second,
                           int millisecond) {
    TDorodClockReading r;
    r.dayNumber = dayNumberFromCivil(year, month, day);
    r.hour = hour;
    r.minute = minute;
    r.second = second;
    r.millisecond = millisecond;
    return r;
}

class DorodDataset : public ::testing::Test {
protected:
    void SetUp() override {
        m_savedLocale = formatSettings();
        setFormatSettings(FormatSettings{});
        writeAds(path);
    }
    void TearDown() override {
        setFormatSettings(m_savedLocale);
        TDorodSession::Instance().Clock = nullptr;
        TDorodSession::Instance().UnicodCounter = -1;
    }

    // An announcement table as the designer left it: "TODAY" and "UNICOD" defaults in
    // the field descriptions, an auto-numbered column and a memo.
    static void writeAds(const std::string& file) {
        TableBuilder b({{"id", FieldType::Integer},
                        {"indate", FieldType::Date, 0, "TODAY"},
                        {"client", FieldType::SmallStr, 30},
                        {"text", FieldType::String, 200},
                        {"summa", FieldType::Double},
                        {"hits", FieldType::Int64},
                        {"code", FieldType::SmallStr, 8, "UNICOD"},
                        {"num", FieldType::AutoInc},
                        {"memo", FieldType::Memo}});
        b.row({"1", "01.02.2024", cp1251("ИВАНОВ"), cp1251("Продам дом"), "150.5", "", "A0000001",
               "1"});
        b.row({"2", "01.02.2024", cp1251("ПЕТРОВ"), cp1251("Куплю гараж"), "80", "12", "A0000002",
               "2"});
        b.row({"3", "02.02.2024", cp1251("СИДОРОВ"), cp1251("Сдам квартиру"), "99.9", "5",
               "A0000003", "3"});
        b.row({"4", "03.02.2024", cp1251("ИВАНОВ"), cp1251("Нужен водитель"), "120", "", "A0000004",
               "4"});
        b.row({"5", "05.02.2024", cp1251("КУЗНЕЦОВ"), cp1251("Ремонт обуви"), "45", "7", "A0000005",
               "5"});
        b.save(file);
    }

    void open(TDorodTable& t, const std::string& file) {
        t.Name = "tData";
        t.SetTableName(file);
        t.Open();
    }
    // What a fresh table component reads from a file.
    std::vector<int> fileIds(const std::string& file) {
        TDorodTable other;
        other.SetTableName(file);
        other.Open();
        return idsOf(other);
    }
    std::string fileClient(const std::string& file, int id) {
        TDorodTable other;
        other.SetTableName(file);
        other.Open();
        EXPECT_TRUE(other.Locate("id", {std::to_string(id)}));
        return other.FieldByName("client").AsString();
    }
    std::string client() { return tData.FieldByName("client").AsString(); }
    int id() { return tData.FieldByName("id").AsInteger(); }

    testsupport::TempDir dir;
    const std::string path = dir.file("data.d");
    TDorodTable tData;

private:
    FormatSettings m_savedLocale;
};

TEST_F(DorodDataset, OpensTableFileAndWalksItsRecordsBothWays) {
    open(tData, path);
    ASSERT_TRUE(tData.Active());
    ASSERT_EQ(tData.RecordCount(), 5);
    EXPECT_EQ(tData.FieldByName("indate").DataType(), TFieldType::ftDate);
    EXPECT_EQ(tData.FieldByName("CLIENT").DataType(), TFieldType::ftString);
    EXPECT_EQ(tData.FieldByName("text").Size(), 200);
    EXPECT_EQ(tData.FieldByName("num").DataType(), TFieldType::ftAutoInc);
    EXPECT_EQ(tData.FieldByName("summa").DisplayFormat, "0.######");
    EXPECT_EQ(errorOf([&] { tData.FieldByName("nope"); }), "tData: Field 'nope' not found");

    EXPECT_TRUE(tData.Bof());
    EXPECT_EQ(tData.RecNo(), 1);
    EXPECT_EQ(client(), cp1251("ИВАНОВ"));
    EXPECT_EQ(tData.FieldByName("indate").AsString(), "01.02.2024");
    EXPECT_EQ(tData.FieldByName("text").AsString(), cp1251("Продам дом"));
    EXPECT_DOUBLE_EQ(tData.FieldByName("summa").AsFloat(), 150.5);

    std::vector<int> forward;
    for (tData.First(); !tData.Eof(); tData.Next())
        forward.push_back(id());
    EXPECT_THAT(forward, ElementsAre(1, 2, 3, 4, 5));
    EXPECT_EQ(tData.RecNo(), 5);

    std::vector<int> backward;
    for (tData.Last(); !tData.Bof(); tData.Prior())
        backward.push_back(id());
    EXPECT_THAT(backward, ElementsAre(5, 4, 3, 2, 1));

    tData.SetRecNo(3);
    EXPECT_EQ(id(), 3);
    tData.SetRecNo(99);
    EXPECT_EQ(tData.RecNo(), 5);
    tData.SetRecNo(0);
    EXPECT_EQ(tData.RecNo(), 1);
}

TEST_F(DorodDataset, ZeroValuesReadAsNullOnlyForTypesWithoutANaturalZero) {
    const std::string file = dir.file("zero.d");
    TableBuilder({{"i", FieldType::Integer},
                  {"l", FieldType::Int64},
                  {"d", FieldType::Date},
                  {"s", FieldType::SmallStr, 5},
                  {"f", FieldType::Double},
                  {"b", FieldType::Boolean},
                  {"t", FieldType::String, 50}})
        .row({})
        .save(file);
    open(tData, file);
    const struct {
        const char* field;
        bool null;
        const char* text;
    } cases[] = {
        {"i", false, "0"}, {"l", true, ""}, {"d", true, ""},       {"s", true, ""},
        {"f", false, "0"}, {"t", true, ""}, {"b", false, "False"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        EXPECT_EQ(tData.FieldByName(c.field).IsNull(), c.null);
        EXPECT_EQ(tData.FieldByName(c.field).AsString(), c.text);
        EXPECT_EQ(tData.FieldByName(c.field).AsLargeInt(), 0);
    }
}

TEST_F(DorodDataset, NewRecordTakesDefaultsFromTheFileBeforeOnNewRecord) {
    TDorodSession::Instance().Clock = [] { return clockAt(2024, 3, 5, 10, 20, 30, 0); };
    open(tData, path);
    int32_t dateSeenByHandler = -1;
    tData.OnNewRecord = [&](TDataSet& d) {
        dateSeenByHandler = d.FieldByName("indate").AsDayNumber();
    };

    tData.Insert();
    EXPECT_EQ(tData.State(), TDataSetState::dsInsert);
    EXPECT_EQ(tData.RecNo(), -1);
    const int32_t today = dayNumberFromCivil(2024, 3, 5);
    EXPECT_EQ(tData.FieldByName("indate").AsDayNumber(), today);
    EXPECT_EQ(dateSeenByHandler, today);
    const std::string code = tData.FieldByName("code").AsString();
    EXPECT_EQ(code.size(), 8u);
    EXPECT_EQ(
        code.find_first_not_of("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"),
        std::string::npos)
        << code;
    EXPECT_TRUE(tData.FieldByName("client").IsNull());

    tData.FieldByName("id").SetAsInteger(6);
    tData.FieldByName("client").SetAsString(cp1251("ОРЛОВ"));
    tData.FieldByName("num").SetAsInteger(100); // the store numbers new records itself
    tData.Post();

    EXPECT_EQ(tData.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(tData.RecordCount(), 6);
    EXPECT_EQ(tData.RecNo(), 6);
    EXPECT_EQ(client(), cp1251("ОРЛОВ"));
    EXPECT_EQ(tData.FieldByName("num").AsInteger(), 6);
    EXPECT_EQ(tData.FieldByName("indate").AsString(), "05.03.2024");
    EXPECT_EQ(tData.FieldByName("code").AsString(), code);
}

TEST_F(DorodDataset, DefaultExpressionOfAFieldWinsOverTheStoredDefault) {
    open(tData, path);
    tData.FieldByName("client").DefaultExpression = cp1251("ФИЗЛИЦА");
    tData.FieldByName("indate").DefaultExpression = "10.03.2024";
    tData.FieldByName("summa").DefaultExpression = "12.5";
    tData.Insert();
    EXPECT_EQ(client(), cp1251("ФИЗЛИЦА"));
    EXPECT_EQ(tData.FieldByName("indate").AsString(), "10.03.2024");
    EXPECT_DOUBLE_EQ(tData.FieldByName("summa").AsFloat(), 12.5);
    tData.Cancel();
    EXPECT_EQ(tData.RecordCount(), 5);
}

TEST_F(DorodDataset, UnicodCodeIsBuiltFromTheClockAndTheRunCounter) {
    const struct {
        TDorodClockReading clock;
        int32_t counterBefore;
        const char* code;
    } cases[] = {
        {clockAt(2000, 11, 2, 1, 2, 3, 450), -1, "00P1zMW0"},    // first code of a run
        {clockAt(2000, 11, 2, 1, 2, 3, 450), 3843, "00P1zMV0"},  // counter wraps to 0
        {clockAt(2030, 1, 15, 10, 20, 30, 999), -1, "4bKJqnf0"}, // hours wrap past 62^3
        {clockAt(2024, 3, 5, 23, 59, 59, 0), 100, "rENw301d"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        TDorodSession::Instance().Clock = [&] { return c.clock; };
        TDorodSession::Instance().UnicodCounter = c.counterBefore;
        EXPECT_EQ(makeUnicodCode(), c.code);
    }
}

TEST_F(DorodDataset, TwoRecordsInsertedInTheSameSecondGetDifferentCodes) {
    TDorodSession::Instance().Clock = [] { return clockAt(2024, 3, 5, 10, 20, 30, 250); };
    open(tData, path);
    std::vector<std::string> codes;
    for (int n : {6, 7}) {
        tData.Insert();
        tData.FieldByName("id").SetAsInteger(n);
        codes.push_back(tData.FieldByName("code").AsString());
        tData.Post();
    }
    ASSERT_EQ(codes[0].size(), 8u);
    ASSERT_EQ(codes[1].size(), 8u);
    EXPECT_EQ(codes[0].substr(0, 5), codes[1].substr(0, 5));
    EXPECT_NE(codes[0].substr(5), codes[1].substr(5));
}

TEST_F(DorodDataset, CancelAfterAPostedEditRestoresTheValuesFromBeforeTheFirstEdit) {
    open(tData, path);
    tData.SetRecNo(2);
    tData.Edit();
    tData.FieldByName("client").SetAsString(cp1251("ПЕРВАЯ ПРАВКА"));
    tData.FieldByName("summa").SetAsFloat(1);
    EXPECT_TRUE(tData.Modified());
    tData.Post();
    EXPECT_FALSE(tData.Modified());
    EXPECT_EQ(client(), cp1251("ПЕРВАЯ ПРАВКА"));

    tData.Edit();
    tData.FieldByName("client").SetAsString(cp1251("ВТОРАЯ ПРАВКА"));
    tData.Cancel();

    EXPECT_EQ(tData.RecNo(), 2);
    EXPECT_EQ(client(), cp1251("ПЕТРОВ"));
    EXPECT_DOUBLE_EQ(tData.FieldByName("summa").AsFloat(), 80);
}

TEST_F(DorodDataset, ChangeCounterFollowsEditsAndNotifiesOnlyWhenCrossingZero) {
    int notices = 0;
    tData.OnNeedToSaveChange = [&](TDorodDataset&) { ++notices; };
    open(tData, path);
    EXPECT_FALSE(tData.HasChanges());

    tData.Insert();
    EXPECT_EQ(tData.ChangeCount(), 1);
    EXPECT_EQ(notices, 1);
    tData.Cancel();
    EXPECT_EQ(tData.ChangeCount(), 0);
    EXPECT_EQ(notices, 2);
    EXPECT_EQ(tData.RecordCount(), 5);

    tData.Insert();
    tData.FieldByName("id").SetAsInteger(6);
    tData.Post();
    EXPECT_EQ(tData.ChangeCount(), 1);
    tData.First();
    tData.Edit();
    tData.FieldByName("client").SetAsString(cp1251("СМИРНОВ"));
    tData.Post();
    EXPECT_EQ(tData.ChangeCount(), 2);
    EXPECT_EQ(notices, 3);

    tData.Save(); // saving keeps the counter
    EXPECT_EQ(tData.ChangeCount(), 2);
    EXPECT_THAT(fileIds(path), ElementsAre(1, 2, 3, 4, 5, 6));
    EXPECT_EQ(fileClient(path, 1), cp1251("СМИРНОВ"));

    tData.ApplyChanges();
    EXPECT_EQ(tData.ChangeCount(), 0);
    EXPECT_EQ(notices, 4);
}

TEST_F(DorodDataset, DeleteTakesTheRecordOutOfTheViewAndTheFileAfterSave) {
    open(tData, path);
    tData.SetRecNo(3);
    tData.Delete();
    EXPECT_EQ(tData.RecordCount(), 4);
    EXPECT_EQ(tData.RecNo(), 3);
    EXPECT_EQ(id(), 4);
    EXPECT_EQ(tData.ChangeCount(), 1);

    tData.Last();
    tData.Delete();
    EXPECT_EQ(id(), 4);
    EXPECT_FALSE(tData.Eof() && tData.Bof());

    tData.Save();
    EXPECT_THAT(fileIds(path), ElementsAre(1, 2, 4));
}

// Accepting the changes builds the view again (a record posted outside the filter leaves
// it), unless the caller keeps the view: then it stays as it stands.
TEST_F(DorodDataset, ApplyChangesBuildsTheViewAgainUnlessKeepingIt) {
    open(tData, path);
    tData.OnFilterRecord = [this](TDataSet&, bool& accept) { accept = id() % 2 == 1; };
    tData.SetFiltered(true);
    ASSERT_THAT(idsOf(tData), ElementsAre(1, 3, 5));
    for (const bool keep : {true, false}) {
        SCOPED_TRACE(keep ? "kept" : "built again");
        tData.Append();
        tData.FieldByName("id").SetAsInteger(keep ? 6 : 8);
        tData.Post();
        const uint64_t viewBefore = tData.ViewGeneration();
        if (keep)
            tData.ApplyChangesKeepingView();
        else
            tData.ApplyChanges();
        EXPECT_FALSE(tData.HasChanges());
        EXPECT_EQ(tData.ViewGeneration() == viewBefore, keep);
        EXPECT_EQ(idsOf(tData),
                  keep ? std::vector<int>({1, 3, 5, 6}) : std::vector<int>({1, 3, 5}));
    }
}

TEST_F(DorodDataset, ClosingWithUnsavedChangesAndReopeningShowsTheFile) {
    open(tData, path);
    tData.Edit();
    tData.FieldByName("client").SetAsString(cp1251("ПОТЕРЯНО"));
    tData.Post();
    tData.Insert();
    tData.FieldByName("id").SetAsInteger(9);
    tData.Post();
    tData.SetRecNo(3);
    tData.Edit();
    tData.FieldByName("client").SetAsString(cp1251("НЕ ДОПИСАНО"));

    tData.Close();
    EXPECT_FALSE(tData.Active());
    tData.Open();

    EXPECT_EQ(tData.ChangeCount(), 0);
    EXPECT_THAT(idsOf(tData), ElementsAre(1, 2, 3, 4, 5));
    tData.First();
    EXPECT_EQ(client(), cp1251("ИВАНОВ"));
    tData.SetRecNo(3);
    EXPECT_EQ(client(), cp1251("СИДОРОВ"));
}

TEST_F(DorodDataset, SaveToFileWritesACopyAndLeavesTheTableFileAlone) {
    open(tData, path);
    tData.Edit();
    tData.FieldByName("client").SetAsString(cp1251("КОПИЯ"));
    tData.Post();
    const std::string copy = dir.file("transfer.d");
    tData.SaveToFile(copy);

    EXPECT_EQ(tData.ChangeCount(), 1);
    EXPECT_EQ(fileClient(copy, 1), cp1251("КОПИЯ"));
    EXPECT_EQ(fileClient(path, 1), cp1251("ИВАНОВ"));
}

TEST_F(DorodDataset, TablesLoadFromFieldDefinitionsAndFromAStream) {
    TDorodTable fresh;
    fresh.FieldDefs = {{"id", TFieldType::ftInteger, 0}, {"name", TFieldType::ftString, 20}};
    fresh.Open();
    EXPECT_TRUE(fresh.IsEmpty());
    EXPECT_TRUE(fresh.Eof());
    fresh.Insert();
    fresh.FieldByName("id").SetAsInteger(7);
    fresh.FieldByName("name").SetAsString(cp1251("ЮРЛИЦА"));
    fresh.Post();
    const std::string file = dir.file("fresh.d");
    fresh.SaveToFile(file);
    EXPECT_THAT(fileIds(file), ElementsAre(7));

    std::ifstream in(path, std::ios::binary);
    TDorodStream stream{std::string(std::istreambuf_iterator<char>(in), {}), 0};
    TDorodTable fromStream;
    fromStream.SetLoadMode(TDorodLoadMode::lmStream);
    fromStream.LoadStream = &stream;
    fromStream.Open();
    EXPECT_THAT(idsOf(fromStream), ElementsAre(1, 2, 3, 4, 5));
}

// A record source kept in memory: the rows it holds, and a failure to give when asked.
struct MemorySource : TDorodRecordSource {
    std::vector<int32_t> ids;
    std::string loadFailure, saveFailure;
    int saves = 0;
    bool LoadRecords(TDorodCursor& store, std::string& message) override {
        if (!loadFailure.empty()) {
            message = loadFailure;
            return false;
        }
        TDorodField id;
        id.name = "id";
        id.type = FieldType::Integer;
        if (!store.DefineFields({id}, message)) return false;
        for (int32_t value : ids) {
            TDorodRecordBuffer buffer(store.Layout());
            record::setInt32(buffer.data(), *store.Field(0), value);
            store.AppendStoredRecord(buffer.data());
        }
        return true;
    }
    bool SaveChanges(TDorodCursor& store, std::string& message) override {
        if (!saveFailure.empty()) {
            message = saveFailure;
            return false;
        }
        ++saves;
        ids.clear();
        for (const TDorodRecordEntry* e : store.Entries())
            if (e->isLive()) ids.push_back(record::getInt32(e->data(), *store.Field(0)));
        return true;
    }
};

TEST_F(DorodDataset, ATableWithARecordSourceReadsAndSavesThroughIt) {
    MemorySource source;
    source.ids = {3, 1};
    TDorodTable t;
    t.Name = "tData";
    t.SetRecordSource(&source);
    EXPECT_EQ(t.LoadMode(), TDorodLoadMode::lmSource);
    t.Open();
    EXPECT_THAT(idsOf(t), ElementsAre(3, 1));
    t.Append();
    t.FieldByName("id").SetAsInteger(9);
    t.Post();
    source.saveFailure = "the server went away";
    EXPECT_EQ(errorOf([&] { t.Save(); }), "tData: the server went away");
    EXPECT_TRUE(t.HasChanges()) << "a failed save keeps the changes to be saved again";
    source.saveFailure.clear();
    t.Save();
    EXPECT_EQ(source.saves, 1);
    EXPECT_THAT(source.ids, ElementsAre(3, 1, 9));
}

TEST_F(DorodDataset, FailedOpensNameTheirCauseAndLeaveTheTableClosed) {
    const std::string missing = dir.file("missing.d");
    const std::string broken = dir.file("broken.d");
    std::ofstream(broken, std::ios::binary) << "this is no table";
    TDorodTable closedSource;
    MemorySource unreadable;
    unreadable.loadFailure = "no server";
    const struct {
        const char* what;
        std::function<void(TDorodTable&)> configure;
        std::string message;
    } cases[] = {
        {"missing file", [&](TDorodTable& t) { t.SetTableName(missing); },
         "tData: Error opening file " + missing},
        {"no field definitions", [](TDorodTable& t) { t.SetLoadMode(TDorodLoadMode::lmClear); },
         "tData: Error creating table (no field descriptions)"},
        {"no stream", [](TDorodTable& t) { t.SetLoadMode(TDorodLoadMode::lmStream); },
         "tData: Loading stream is not assigned"},
        {"clone of a closed table", [&](TDorodTable& t) { t.SetCloneDS(&closedSource); },
         "tData: Cloned table is not active!"},
        {"clone without source", [](TDorodTable& t) { t.SetLoadMode(TDorodLoadMode::lmClone); },
         "tData: Cloned table is not active!"},
        {"no record source", [](TDorodTable& t) { t.SetLoadMode(TDorodLoadMode::lmSource); },
         "tData: Record source is not assigned"},
        {"a source that cannot read", [&](TDorodTable& t) { t.SetRecordSource(&unreadable); },
         "tData: Error opening table: no server"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TDorodTable t;
        t.Name = "tData";
        c.configure(t);
        EXPECT_EQ(errorOf([&] { t.Open(); }), c.message);
        EXPECT_FALSE(t.Active());
        EXPECT_EQ(t.Store(), nullptr);
    }

    TDorodTable t;
    t.Name = "tData";
    t.SetTableName(broken);
    EXPECT_THAT(errorOf([&] { t.Open(); }), StartsWith("tData: Error opening table: "));
    EXPECT_FALSE(t.Active());
}

// Failures after the file was read (the filter's conditions, the filter handler, the
// master link) leave the dataset just as closed as a failed read does: no store, no
// fields, not among its database's open datasets; once the cause is gone it opens.
TEST_F(DorodDataset, OpenFailingAfterTheLoadLeavesTheDatasetClosedAndFreed) {
    TDorodTable master;
    open(master, path);
    TDataSource sMaster(&master);
    const struct {
        const char* what;
        std::function<void(TDorodTable&)> configure;
        std::string message;
        std::function<void(TDorodTable&)> mend;
    } cases[] = {
        {"filter naming an unknown field",
         [](TDorodTable& t) {
             t.SetFilter("nosuch = 1");
             t.SetFiltered(true);
         },
         "tData: Field nosuch is not found", [](TDorodTable& t) { t.SetFilter("id = 1"); }},
        {"filter handler that throws",
         [](TDorodTable& t) {
             t.SetFiltered(true);
             t.OnFilterRecord = [](TDataSet&, bool&) { throw EDatabaseError("handler failed"); };
         },
         "handler failed", [](TDorodTable& t) { t.OnFilterRecord = nullptr; }},
        {"master field unknown",
         [&](TDorodTable& t) {
             t.SetRangeFieldNames("id");
             t.SetMasterFields("nosuch");
             t.SetMasterSource(&sMaster);
         },
         "tData: Field nosuch is not found", [](TDorodTable& t) { t.SetMasterFields("id"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TDorodDatabase db;
        TDorodTable t;
        t.Name = "tData";
        t.SetDatabase(&db);
        t.SetTableName(path);
        c.configure(t);
        EXPECT_EQ(errorOf([&] { t.Open(); }), c.message);
        EXPECT_FALSE(t.Active());
        EXPECT_EQ(t.State(), TDataSetState::dsInactive);
        EXPECT_EQ(t.Store(), nullptr);
        EXPECT_EQ(t.FieldCount(), 0);
        EXPECT_EQ(t.RecordCount(), 0);
        EXPECT_THAT(db.OpenDatasets(), IsEmpty());
        c.mend(t);
        t.Open();
        EXPECT_TRUE(t.Active());
        EXPECT_EQ(t.FieldByName("id").AsInteger(), 1);
        EXPECT_THAT(db.OpenDatasets(), ElementsAre(&t));
    }
}

// A refresh would put a new store under the source and leave its clones on the old
// one, where a later edit and save would be lost: it is refused while clones are open.
TEST_F(DorodDataset, RefreshIsRefusedWhileClonesAreOpen) {
    open(tData, path);
    TDorodTable clone;
    clone.SetCloneDS(&tData);
    clone.Open();
    EXPECT_EQ(errorOf([&] { tData.Refresh(); }),
              "tData: Cannot refresh a table while tables cloned from it are open");
    EXPECT_EQ(clone.Store(), tData.Store());

    ASSERT_TRUE(clone.Locate("id", {"3"}));
    clone.Edit();
    clone.FieldByName("client").SetAsString(cp1251("ПОСЛЕ ОТКАЗА"));
    clone.Post();
    clone.Save();
    EXPECT_EQ(fileClient(path, 3), cp1251("ПОСЛЕ ОТКАЗА"));

    clone.Close();
    tData.Refresh();
    EXPECT_EQ(tData.RecordCount(), 5);
}

// Edit and Delete act on the current record; with the position outside the view (a
// refresh that lost its record) they are refused, and nothing changes.
TEST_F(DorodDataset, EditOrDeleteWithoutACurrentRecordIsRefused) {
    open(tData, path);
    tData.UniqueFieldNames = "id";
    ASSERT_TRUE(tData.Locate("id", {"2"}));
    {
        TDorodTable other;
        open(other, path);
        ASSERT_TRUE(other.Locate("id", {"2"}));
        other.Delete();
        other.Save();
    }
    tData.Refresh();
    ASSERT_EQ(tData.RecNo(), 0);
    EXPECT_EQ(errorOf([&] { tData.Edit(); }), "tData: Number of records is equal to 0");
    EXPECT_EQ(tData.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(errorOf([&] { tData.Delete(); }), "tData: Number of records is equal to 0");
    EXPECT_EQ(tData.RecordCount(), 4);
    EXPECT_EQ(tData.ChangeCount(), 0);
}

// The clone's changes are changes of the source's store: cancelling or accepting them
// through the clone leaves the source with nothing to save in its database's list.
TEST_F(DorodDataset, CloneCancelOrApplyTakesTheSourceOffTheChangedList) {
    for (const bool apply : {false, true}) {
        SCOPED_TRACE(apply ? "ApplyChanges" : "CancelChanges");
        TDorodDatabase db;
        TDorodTable source;
        source.SetDatabase(&db);
        open(source, path);
        source.Edit();
        source.FieldByName("client").SetAsString("X");
        source.Post();
        ASSERT_THAT(db.ChangedDatasets(), ElementsAre(&source));

        TDorodTable clone;
        clone.SetDatabase(&db);
        clone.SetCloneDS(&source);
        clone.Open();
        clone.Last();
        clone.Edit();
        clone.FieldByName("client").SetAsString("Y");
        clone.Post();
        ASSERT_THAT(db.ChangedDatasets(), ElementsAre(&source, &clone));
        if (apply)
            clone.ApplyChanges();
        else
            clone.CancelChanges();
        EXPECT_THAT(db.ChangedDatasets(), IsEmpty());
        source.First();
        EXPECT_EQ(source.FieldByName("client").AsString(), apply ? "X" : cp1251("ИВАНОВ"));
        clone.Close();
    }
}

// Whatever leaves the insert state posts the pending new record: moving, searching,
// setting a range, or a second Insert. Losing it would drop the operator's record
// without a word.
TEST_F(DorodDataset, LeavingTheInsertStatePostsThePendingRecord) {
    const struct {
        const char* what;
        std::function<void(TDorodTable&)> leave;
    } cases[] = {
        {"First", [](TDorodTable& t) { t.First(); }},
        {"Next", [](TDorodTable& t) { t.Next(); }},
        {"Last", [](TDorodTable& t) { t.Last(); }},
        {"Locate", [](TDorodTable& t) { EXPECT_TRUE(t.Locate("id", {"3"})); }},
        {"SetRange", [](TDorodTable& t) { t.SetRange("1", "1000"); }},
        {"Insert",
         [](TDorodTable& t) {
             t.Insert();
             t.FieldByName("id").SetAsInteger(100);
             t.Post();
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TDorodTable t;
        t.SetRangeFieldNames("id");
        open(t, path);
        t.Insert();
        t.FieldByName("id").SetAsInteger(99);
        t.FieldByName("client").SetAsString(cp1251("НОВЫЙ"));
        c.leave(t);
        EXPECT_EQ(t.State(), TDataSetState::dsBrowse);
        ASSERT_TRUE(t.Locate("id", {"99"}));
        EXPECT_EQ(t.FieldByName("client").AsString(), cp1251("НОВЫЙ"));
        EXPECT_EQ(t.RecordCount(), std::string(c.what) == "Insert" ? 7 : 6);
    }
}

TEST_F(DorodDataset, EditingMistakesAreRefused) {
    open(tData, path);
    EXPECT_EQ(errorOf([&] { tData.FieldByName("client").SetAsString("X"); }),
              "tData: Table is not in edit or insert mode");

    tData.FieldByName("client").ReadOnly = true;
    tData.Edit();
    EXPECT_EQ(errorOf([&] { tData.FieldByName("client").SetAsString("X"); }),
              "tData: Field 'client' is read only!");
    tData.FieldByName("summa").SetAsFloat(3); // the other fields stay writable
    tData.Cancel();
    EXPECT_EQ(client(), cp1251("ИВАНОВ"));
    EXPECT_DOUBLE_EQ(tData.FieldByName("summa").AsFloat(), 150.5);
    EXPECT_EQ(tData.ChangeCount(), 0);

    tData.Close();
    EXPECT_EQ(errorOf([&] { tData.SetRange("1", "2"); }),
              "tData: Cannot do this operation on closed dataset");
    EXPECT_EQ(errorOf([&] { tData.SaveToFile(dir.file("x.d")); }),
              "tData: Cannot do this operation on closed dataset");
}

TEST_F(DorodDataset, ReadOnlyTableRefusesEveryChange) {
    open(tData, path);
    tData.ReadOnly = true;
    const struct {
        const char* what;
        std::function<void()> action;
        const char* message;
    } cases[] = {
        {"edit", [&] { tData.Edit(); }, "tData: Read-only record cannot be changed"},
        {"delete", [&] { tData.Delete(); }, "tData: Read-only record cannot be deleted"},
        {"insert", [&] { tData.Insert(); },
         "tData: You have read only access, you can not add records!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(errorOf(c.action), c.message);
        EXPECT_EQ(tData.State(), TDataSetState::dsBrowse);
        EXPECT_EQ(tData.RecordCount(), 5);
        EXPECT_EQ(tData.ChangeCount(), 0);
    }
}

TEST_F(DorodDataset, RefusedInsertKeepsEarlierChangesCounted) {
    open(tData, path);
    tData.Edit();
    tData.FieldByName("client").SetAsString(cp1251("ПРАВКА"));
    tData.Post();
    ASSERT_EQ(tData.ChangeCount(), 1);

    tData.ReadOnly = true;
    EXPECT_EQ(errorOf([&] { tData.Insert(); }),
              "tData: You have read only access, you can not add records!");
    EXPECT_EQ(tData.ChangeCount(), 1);

    tData.ReadOnly = false;
    tData.Save(); // the earlier edit must still reach the file
    EXPECT_EQ(fileClient(path, 1), cp1251("ПРАВКА"));
}

TEST_F(DorodDataset, KeyViolationIsCheckedOnPostWhenAskedFor) {
    open(tData, path);
    tData.UniqueFieldNames = "id";
    tData.Insert(); // without CheckKeyViolation a duplicate passes
    tData.FieldByName("id").SetAsInteger(3);
    tData.Post();
    EXPECT_EQ(tData.RecordCount(), 6);
    tData.Delete();

    tData.CheckKeyViolation = true;
    tData.Insert();
    tData.FieldByName("id").SetAsInteger(3);
    EXPECT_EQ(errorOf([&] { tData.Post(); }), "tData: Error saving new record: Key violation");
    EXPECT_EQ(tData.State(), TDataSetState::dsInsert);
    tData.FieldByName("id").SetAsInteger(6);
    tData.Post();
    EXPECT_EQ(tData.RecordCount(), 6);

    tData.SetRecNo(2);
    tData.Edit();
    tData.FieldByName("id").SetAsInteger(3);
    EXPECT_EQ(errorOf([&] { tData.Post(); }), "tData: Error saving record: Key violation");
    tData.Cancel();
    EXPECT_EQ(id(), 2);

    tData.Edit(); // the record's own key is no violation
    tData.FieldByName("client").SetAsString(cp1251("ПЕТРОВА"));
    tData.Post();
    EXPECT_EQ(client(), cp1251("ПЕТРОВА"));

    ASSERT_TRUE(tData.Locate("id", {"5"})); // a deleted record's key is free again
    tData.Delete();
    tData.Insert();
    tData.FieldByName("id").SetAsInteger(5);
    tData.Post();
    EXPECT_EQ(id(), 5);
}

TEST_F(DorodDataset, KeyFieldListsMayNotNameBlobFields) {
    open(tData, path);
    EXPECT_EQ(errorOf([&] { tData.Locate("memo", {"x"}); }),
              "tData: There are calc or BLOB fields in list of key fields");
    EXPECT_EQ(errorOf([&] {
                  tData.Locate("id;memo", {"1", "x"});
              }),
              "tData: There are calc or BLOB fields in list of key fields");
    tData.SetRangeFieldNames("memo");
    EXPECT_EQ(errorOf([&] { tData.SetRange("a", "b"); }),
              "tData: There are calc or BLOB fields in list of key fields");
    EXPECT_EQ(tData.RecordCount(), 5);
}

TEST_F(DorodDataset, CloneSharesTheStoreButHasItsOwnOrderAndPosition) {
    open(tData, path);
    TDorodTable clone;
    clone.Name = "tClone";
    clone.SetCloneDS(&tData);
    EXPECT_EQ(clone.LoadMode(), TDorodLoadMode::lmClone);
    clone.Open();
    EXPECT_EQ(clone.Store(), tData.Store());

    clone.SetIndexFieldNames("client;id");
    EXPECT_THAT(idsOf(clone), ElementsAre(1, 4, 5, 2, 3));
    EXPECT_THAT(idsOf(tData), ElementsAre(1, 2, 3, 4, 5));

    tData.SetRecNo(2);
    ASSERT_TRUE(clone.Locate("id", {"2"}));
    clone.Edit();
    clone.FieldByName("client").SetAsString(cp1251("ЧЕРЕЗ КЛОН"));
    clone.Post();
    EXPECT_EQ(client(), cp1251("ЧЕРЕЗ КЛОН"));

    EXPECT_EQ(errorOf([&] { tData.Close(); }),
              "tData: Cloned tables are not closed before source dataset is closed!");
    EXPECT_TRUE(tData.Active());

    clone.Insert();
    clone.FieldByName("id").SetAsInteger(6);
    clone.Post();
    clone.Save(); // writes the source's file and rebuilds the source's view
    EXPECT_EQ(tData.RecordCount(), 6);
    EXPECT_THAT(fileIds(path), ElementsAre(1, 2, 3, 4, 5, 6));
    EXPECT_EQ(fileClient(path, 2), cp1251("ЧЕРЕЗ КЛОН"));

    clone.Close();
    tData.Close();
    EXPECT_FALSE(tData.Active());
}

TEST_F(DorodDataset, DestroyingTheSourceClosesItsClones) {
    auto source = std::make_unique<TDorodTable>();
    open(*source, path);
    TDorodTable clone;
    clone.SetCloneDS(source.get());
    clone.Open();
    source.reset();
    EXPECT_FALSE(clone.Active());
    EXPECT_EQ(clone.CloneDS(), nullptr);
}

TEST_F(DorodDataset, RefreshReloadsTheFileAndKeepsTheRecordByItsUniqueFields) {
    open(tData, path);
    tData.UniqueFieldNames = "id";
    ASSERT_TRUE(tData.Locate("id", {"4"}));
    {
        TDorodTable other;
        open(other, path);
        ASSERT_TRUE(other.Locate("id", {"4"}));
        other.Edit();
        other.FieldByName("client").SetAsString(cp1251("ОБНОВЛЕН"));
        other.Post();
        other.First();
        other.Delete();
        other.Save();
    }
    tData.Refresh();
    EXPECT_EQ(tData.RecordCount(), 4);
    EXPECT_EQ(id(), 4);
    EXPECT_EQ(tData.RecNo(), 3);
    EXPECT_EQ(client(), cp1251("ОБНОВЛЕН"));

    tData.UniqueFieldNames.clear();
    tData.Refresh();
    EXPECT_EQ(tData.RecNo(), 1);
}

TEST_F(DorodDataset, RefreshSavesPendingChangesFirstAndLosesARecordThatIsGone) {
    open(tData, path);
    tData.UniqueFieldNames = "id";
    tData.SetRecNo(2);
    tData.Edit();
    tData.FieldByName("client").SetAsString(cp1251("НЕ ПОТЕРЯТЬ"));
    tData.Refresh();
    EXPECT_EQ(fileClient(path, 2), cp1251("НЕ ПОТЕРЯТЬ"));
    EXPECT_EQ(id(), 2);
    // Saving keeps the change counter; accept the changes so that the next refresh does
    // not write this table over the other one's work.
    tData.ApplyChanges();

    {
        TDorodTable other;
        open(other, path);
        ASSERT_TRUE(other.Locate("id", {"2"}));
        other.Delete();
        other.Save();
    }
    tData.Refresh();
    EXPECT_EQ(tData.RecNo(), 0);
    EXPECT_TRUE(tData.Bof());
    EXPECT_TRUE(tData.Eof());
    EXPECT_TRUE(tData.FieldByName("id").IsNull());
    tData.First();
    EXPECT_EQ(id(), 1);
}

class CountingLink : public TDataLink {
public:
    int changed = 0;
    int scrolled = 0;
    void DataSetChanged() override { ++changed; }
    void DataSetScrolled() override { ++scrolled; }
};

TEST_F(DorodDataset, DataLinksHearMovesAndViewChanges) {
    open(tData, path);
    TDataSource source(&tData);
    CountingLink link;
    link.SetDataSource(&source);
    ASSERT_EQ(link.DataSet(), &tData);

    tData.Next();
    EXPECT_EQ(link.scrolled, 1);
    EXPECT_EQ(link.changed, 0);
    tData.Last();
    tData.Next(); // already at the end: nothing moves
    EXPECT_EQ(link.scrolled, 2);

    tData.Edit();
    tData.FieldByName("client").SetAsString("X");
    tData.Post();
    EXPECT_GE(link.changed, 1);

    link.changed = link.scrolled = 0;
    tData.SetIndexFieldNames("client");
    EXPECT_GE(link.changed, 1);

    link.changed = link.scrolled = 0;
    tData.DisableControls();
    tData.First();
    tData.Next();
    tData.Delete();
    EXPECT_EQ(link.changed + link.scrolled, 0);
    tData.EnableControls();
    EXPECT_EQ(link.changed, 1);
    EXPECT_EQ(link.scrolled, 0);
}

TEST_F(DorodDataset, TableOfADatabaseIsFoundInItsFolder) {
    TDorodDatabase db;
    db.SetDatabasePath(dir.path().string());
    TDorodTable t;
    t.SetDatabase(&db);
    t.SetTableName("data.d");
    EXPECT_EQ(t.TablePath(), path);
    t.Open();
    EXPECT_THAT(db.OpenDatasets(), ElementsAre(&t));
    t.Edit();
    EXPECT_THAT(db.ChangedDatasets(), ElementsAre(&t));
    t.Cancel();
    EXPECT_THAT(db.ChangedDatasets(), IsEmpty());
}

TEST_F(DorodDataset, AssigningADatabaseWithAFolderReducesTheTableNameToItsFileName) {
    TDorodDatabase db;
    db.SetDatabasePath(dir.path().string());
    TDorodTable u;
    u.SetTableName("/elsewhere/data.d");
    u.SetDatabase(&db);
    EXPECT_EQ(u.TablePath(), path);
}

} // namespace
