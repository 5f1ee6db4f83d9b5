// Calculated fields of a table: defined by the program before opening, computed by
// OnCalcFields for the record being read, kept beside the record and never written to
// the table file.
#include "storage/DorodLocale.h"
#include "storage/DorodTable.h"
#include "support/TableBuilder.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace dorod;
using ::testing::ElementsAre;
using testsupport::errorOf;
using testsupport::TableBuilder;

namespace {

class DorodCalcFields : public ::testing::Test {
protected:
    void SetUp() override {
        m_savedLocale = formatSettings();
        setFormatSettings(FormatSettings{});
        TableBuilder b({{"id", FieldType::Integer},
                        {"client", FieldType::SmallStr, 20},
                        {"price", FieldType::Double},
                        {"days", FieldType::Integer}});
        b.row({"1", "IVANOV", "10", "3"});
        b.row({"2", "PETROV", "2.5", "4"});
        b.row({"3", "SIDOROV", "7", "1"});
        b.row({"4", "IVANOVA", "1", "9"});
        b.save(path);
    }
    void TearDown() override { setFormatSettings(m_savedLocale); }

    // The table with "total" (price × days), "label" (a text longer than a short string
    // slot) and "spare", which the handler never sets.
    void open() {
        tData.Name = "tData";
        tData.SetTableName(path);
        tData.AddCalculatedField("total", TFieldType::ftFloat);
        tData.AddCalculatedField("label", TFieldType::ftString, 60);
        tData.AddCalculatedField("spare", TFieldType::ftInteger);
        tData.OnCalcFields = [this](TDataSet& ds) {
            ++calcCalls;
            statesSeen.push_back(ds.State());
            ds.FieldByName("total").SetAsFloat(ds.FieldByName("price").AsFloat() *
                                               ds.FieldByName("days").AsInteger());
            ds.FieldByName("label").SetAsString(ds.FieldByName("client").AsString() + " #" +
                                                ds.FieldByName("id").AsString());
        };
        tData.Open();
    }
    int id() { return tData.FieldByName("id").AsInteger(); }
    double total() { return tData.FieldByName("total").AsFloat(); }
    std::string label() { return tData.FieldByName("label").AsString(); }

    testsupport::TempDir dir;
    const std::string path = dir.file("data.d");
    TDorodTable tData;
    int calcCalls = 0;
    std::vector<TDataSetState> statesSeen;

private:
    FormatSettings m_savedLocale;
};

TEST_F(DorodCalcFields, CalculatedFieldsFollowTheDataFieldsAndAreFoundByName) {
    open();
    ASSERT_EQ(tData.FieldCount(), 7);
    EXPECT_EQ(tData.Field(3).FieldName(), "days");
    EXPECT_FALSE(tData.Field(3).Calculated());
    EXPECT_EQ(tData.Field(4).FieldName(), "total");
    EXPECT_EQ(tData.Field(4).FieldKind(), TFieldKind::fkCalculated);
    EXPECT_EQ(&tData.FieldByName("LABEL"), &tData.Field(5));
    EXPECT_EQ(tData.FindField("Spare"), &tData.Field(6));
    EXPECT_EQ(tData.FieldByName("label").DataType(), TFieldType::ftString);
    EXPECT_EQ(tData.FieldByName("label").Size(), 60);
}

TEST_F(DorodCalcFields, DefinitionsAreCheckedWhenGivenAndOnOpen) {
    tData.Name = "tData";
    tData.AddCalculatedField("total", TFieldType::ftFloat);
    EXPECT_EQ(errorOf([&] { tData.AddCalculatedField("TOTAL", TFieldType::ftInteger); }),
              "tData: Duplicate field name 'TOTAL'");
    EXPECT_EQ(errorOf([&] { tData.AddCalculatedField("notes", TFieldType::ftMemo); }),
              "tData: Field 'notes' of this type cannot be calculated");
    EXPECT_EQ(tData.CalculatedFieldDefs().size(), 1u);

    // A calculated field may not hide a field of the table.
    tData.AddCalculatedField("Price", TFieldType::ftFloat);
    tData.SetTableName(path);
    EXPECT_EQ(errorOf([&] { tData.Open(); }), "tData: Duplicate field name 'Price'");
    EXPECT_FALSE(tData.Active());
    EXPECT_EQ(tData.Store(), nullptr);

    TDorodTable other;
    other.Name = "tOther";
    other.SetTableName(path);
    other.Open();
    EXPECT_EQ(errorOf([&] { other.AddCalculatedField("x", TFieldType::ftInteger); }),
              "tOther: Cannot perform this operation on an open dataset");
}

TEST_F(DorodCalcFields, ValuesAreComputedForEveryRecordReadAndUnsetOnesAreNull) {
    open();
    EXPECT_DOUBLE_EQ(total(), 30);
    EXPECT_EQ(label(), "IVANOV #1");
    EXPECT_TRUE(tData.FieldByName("spare").IsNull());
    EXPECT_EQ(tData.FieldByName("spare").AsString(), "");

    std::vector<double> totals;
    for (tData.First(); !tData.Eof(); tData.Next())
        totals.push_back(total());
    EXPECT_THAT(totals, ElementsAre(30, 10, 7, 9));
    std::vector<std::string> labels;
    for (tData.Last(); !tData.Bof(); tData.Prior())
        labels.push_back(label());
    EXPECT_THAT(labels, ElementsAre("IVANOVA #4", "SIDOROV #3", "PETROV #2", "IVANOV #1"));

    tData.SetRecNo(2);
    EXPECT_DOUBLE_EQ(total(), 10);
    ASSERT_TRUE(tData.Locate("client", {"SIDOROV"}));
    EXPECT_DOUBLE_EQ(total(), 7);
    EXPECT_EQ(label(), "SIDOROV #3");
    for (TDataSetState state : statesSeen)
        EXPECT_EQ(state, TDataSetState::dsCalcFields);
    EXPECT_EQ(tData.State(), TDataSetState::dsBrowse);
}

TEST_F(DorodCalcFields, AValueSetForOneRecordDoesNotCarryOverToTheNext) {
    tData.Name = "tData";
    tData.SetTableName(path);
    tData.AddCalculatedField("odd", TFieldType::ftString, 10);
    tData.OnCalcFields = [](TDataSet& ds) {
        if (ds.FieldByName("id").AsInteger() % 2 == 1) ds.FieldByName("odd").SetAsString("yes");
    };
    tData.Open();
    std::vector<std::string> seen;
    for (tData.First(); !tData.Eof(); tData.Next())
        seen.push_back(tData.FieldByName("odd").IsNull() ? "null"
                                                         : tData.FieldByName("odd").AsString());
    EXPECT_THAT(seen, ElementsAre("yes", "null", "yes", "null"));

    // Without a handler nothing is set.
    tData.OnCalcFields = nullptr;
    tData.First();
    EXPECT_TRUE(tData.FieldByName("odd").IsNull());
}

TEST_F(DorodCalcFields, FilterHandlersSeeNoCalculatedValuesAndTheRebuiltViewComputesThem) {
    open();
    tData.SetRecNo(3);
    std::vector<bool> nullInFilter;
    tData.OnFilterRecord = [&](TDataSet& ds, bool& accept) {
        nullInFilter.push_back(ds.FieldByName("total").IsNull());
        accept = ds.FieldByName("id").AsInteger() >= 2;
    };
    tData.SetFiltered(true);
    EXPECT_THAT(nullInFilter, ElementsAre(true, true, true, true));
    EXPECT_EQ(id(), 2);
    EXPECT_DOUBLE_EQ(total(), 10);

    // A rebuild that keeps the current record computes it again as well.
    tData.SetRecNo(3);
    const int callsBefore = calcCalls;
    tData.SetIndexFieldNames("client");
    EXPECT_EQ(id(), 4);
    EXPECT_GT(calcCalls, callsBefore);
    EXPECT_DOUBLE_EQ(total(), 9);
    EXPECT_EQ(label(), "IVANOVA #4");
}

TEST_F(DorodCalcFields, OnlyCalculatedFieldsMayBeWrittenWhileCalculating) {
    tData.Name = "tData";
    tData.SetTableName(path);
    tData.AddCalculatedField("total", TFieldType::ftFloat);
    std::string failure;
    tData.OnCalcFields = [&](TDataSet& ds) {
        failure = errorOf([&] { ds.FieldByName("days").SetAsInteger(0); });
        ds.FieldByName("total").SetAsFloat(1);
    };
    tData.Open();
    EXPECT_EQ(failure, "tData: Cannot edit CalcFields");
    EXPECT_DOUBLE_EQ(tData.FieldByName("total").AsFloat(), 1);
    EXPECT_EQ(tData.FieldByName("days").AsInteger(), 3);
    EXPECT_EQ(tData.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(tData.ChangeCount(), 0);

    // Outside the handler a calculated field is written like any other: in edit states only.
    EXPECT_EQ(errorOf([&] { tData.FieldByName("total").SetAsFloat(5); }),
              "tData: Table is not in edit or insert mode");
    EXPECT_DOUBLE_EQ(tData.FieldByName("total").AsFloat(), 1);
}

TEST_F(DorodCalcFields, EditingComputesAgainOnDataChangesWithAutoCalcFields) {
    open();
    tData.Edit();
    tData.FieldByName("days").SetAsInteger(5);
    EXPECT_DOUBLE_EQ(total(), 50);
    // A calculated field written by the program holds until the next data change, and
    // does not make the record modified.
    tData.Cancel();
    tData.Edit();
    tData.FieldByName("total").SetAsFloat(-1);
    EXPECT_DOUBLE_EQ(total(), -1);
    EXPECT_FALSE(tData.Modified());
    tData.FieldByName("price").SetAsFloat(2);
    EXPECT_DOUBLE_EQ(total(), 6);
    tData.Cancel();
    EXPECT_DOUBLE_EQ(total(), 30); // read again from the restored record

    tData.AutoCalcFields = false;
    tData.Edit();
    tData.FieldByName("days").SetAsInteger(5);
    EXPECT_DOUBLE_EQ(total(), 30);
    EXPECT_EQ(label(), "IVANOV #1");
    tData.Post();
    EXPECT_DOUBLE_EQ(total(), 50); // the posted record is read anew
}

TEST_F(DorodCalcFields, ANewRecordStartsWithoutCalculatedValues) {
    open();
    tData.Insert();
    EXPECT_TRUE(tData.FieldByName("total").IsNull());
    EXPECT_TRUE(tData.FieldByName("label").IsNull());
    tData.FieldByName("id").SetAsInteger(9);
    tData.FieldByName("client").SetAsString("NOVIKOV");
    tData.FieldByName("price").SetAsFloat(4);
    tData.FieldByName("days").SetAsInteger(2);
    EXPECT_DOUBLE_EQ(total(), 8);
    EXPECT_EQ(label(), "NOVIKOV #9");
    tData.Cancel();
    EXPECT_EQ(id(), 1);
    EXPECT_DOUBLE_EQ(total(), 30);
}

TEST_F(DorodCalcFields, LookupComputesTheFoundRecordAndLeavesTheCurrentOneAlone) {
    open();
    tData.SetRecNo(2);
    const auto found = tData.Lookup("id", {"4"}, "total;label;client;spare");
    ASSERT_TRUE(found.has_value());
    EXPECT_THAT(*found, ElementsAre("9", "IVANOVA #4", "IVANOVA", ""));
    EXPECT_EQ(id(), 2);
    EXPECT_DOUBLE_EQ(total(), 10);
    EXPECT_EQ(label(), "PETROV #2");
    EXPECT_FALSE(tData.Lookup("id", {"77"}, "total").has_value());
    EXPECT_EQ(label(), "PETROV #2");

    // A grid cell of another row is computed the same way.
    EXPECT_EQ(tData.DisplayTextAt(2, tData.FieldByName("label")), "SIDOROV #3");
    EXPECT_EQ(label(), "PETROV #2");
}

TEST_F(DorodCalcFields, KeyFieldListsMayNotNameCalculatedFields) {
    open();
    const std::string message = "tData: There are calc or BLOB fields in list of key fields";
    EXPECT_EQ(errorOf([&] { tData.Locate("total", {"30"}); }), message);
    EXPECT_EQ(errorOf([&] {
                  tData.Locate("id;label", {"1", "IVANOV #1"}, loPartialKey);
              }),
              message);
    EXPECT_EQ(errorOf([&] { tData.Lookup("label", {"IVANOV #1"}, "id"); }), message);
    tData.SetRangeFieldNames("id;total");
    EXPECT_EQ(errorOf([&] { tData.SetRange("1\t0", "3\t100"); }), message);
    EXPECT_EQ(tData.RecordCount(), 4);
}

TEST_F(DorodCalcFields, SavedTablesHoldNoTraceOfCalculatedFields) {
    open();
    tData.Edit();
    tData.FieldByName("total").SetAsFloat(1234);
    tData.FieldByName("days").SetAsInteger(6);
    tData.Post();
    ASSERT_TRUE(tData.Locate("id", {"3"}));
    tData.Delete();
    tData.Insert();
    tData.FieldByName("id").SetAsInteger(5);
    tData.FieldByName("label").SetAsString("typed by hand");
    tData.Post();
    tData.Save();
    const std::string copy = dir.file("copy.d");
    tData.SaveToFile(copy);

    for (const std::string& file : {path, copy}) {
        TDorodTable other;
        other.SetTableName(file);
        other.Open();
        ASSERT_EQ(other.Store()->FieldCount(), 4);
        EXPECT_EQ(other.FieldCount(), 4);
        EXPECT_EQ(other.FindField("total"), nullptr);
        EXPECT_EQ(other.FindField("label"), nullptr);
        std::vector<std::string> rows;
        for (other.First(); !other.Eof(); other.Next())
            rows.push_back(other.FieldByName("id").AsString() + ":" +
                           other.FieldByName("days").AsString());
        EXPECT_THAT(rows, ElementsAre("1:6", "2:4", "4:9", "5:0"));
    }
}

} // namespace
