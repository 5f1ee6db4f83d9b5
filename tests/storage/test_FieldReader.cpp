// The fast field reader gives what the field's own reads give, for the current record,
// for the record under test of a filter, and null without a record.
#include "storage/DorodLocale.h"
#include "storage/DorodTable.h"
#include "storage/FieldReader.h"
#include "support/TableBuilder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

using namespace dorod;
using testsupport::TableBuilder;

namespace {

class FieldReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_savedLocale = formatSettings();
        setFormatSettings(FormatSettings{});
        TableBuilder b({{"id", FieldType::Integer},
                        {"big", FieldType::Int64},
                        {"name", FieldType::SmallStr, 20},
                        {"text", FieldType::String, 200},
                        {"day", FieldType::Date},
                        {"stamp", FieldType::DateTime},
                        {"price", FieldType::Double}});
        b.row({"7", "5000000000", "IVANOV", testsupport::cp1251("Продам дом"), "10.12.2026",
               "11.12.2026 23:59:59", "2,5"});
        b.row({"-3", "-1", "", "", "", "01.01.1900 00:00:01", ""});
        b.row({"12"}); // every other value empty
        b.save(path);
        table.SetTableName(path);
        table.Open();
    }
    void TearDown() override { setFormatSettings(m_savedLocale); }

    testsupport::TempDir dir;
    std::string path = (dir.path() / "t.d").string();
    TDorodTable table;

private:
    FormatSettings m_savedLocale;
};

TEST_F(FieldReaderTest, EveryRecordReadsAsTheFieldReadsIt) {
    const TFieldReader id(table.FieldByName("id")), big(table.FieldByName("big")),
        name(table.FieldByName("name")), text(table.FieldByName("text")),
        day(table.FieldByName("day")), stamp(table.FieldByName("stamp"));
    int rows = 0;
    for (table.First(); !table.Eof(); table.Next(), ++rows) {
        SCOPED_TRACE(rows);
        EXPECT_EQ(id.Integer(), table.FieldByName("id").AsLargeInt());
        EXPECT_EQ(big.Integer(), table.FieldByName("big").AsLargeInt());
        EXPECT_EQ(name.Text(), table.FieldByName("name").AsString());
        EXPECT_EQ(text.Text(), table.FieldByName("text").AsString());
        EXPECT_EQ(day.DayNumber(), table.FieldByName("day").AsDayNumber());
        EXPECT_EQ(stamp.DayNumber(), table.FieldByName("stamp").AsDayNumber());
    }
    EXPECT_EQ(rows, 3);
    // Spot values, so that agreeing with a wrong field read would not pass.
    table.First();
    EXPECT_EQ(big.Integer(), 5000000000LL);
    EXPECT_EQ(text.Text(), testsupport::cp1251("Продам дом"));
    EXPECT_EQ(stamp.DayNumber(), day.DayNumber() + 1); // a second before midnight is that day
    // A reader of a number field has no text, a reader of a text no number.
    EXPECT_EQ(TFieldReader(table.FieldByName("price")).Text(), "");
    EXPECT_EQ(TFieldReader(table.FieldByName("name")).Integer(), 0);
}

TEST_F(FieldReaderTest, FilterHandlersSeeTheRecordUnderTest) {
    const TFieldReader id(table.FieldByName("id"));
    std::vector<int64_t> seen;
    table.OnFilterRecord = [&](TDataSet&, bool& accept) {
        seen.push_back(id.Integer());
        accept = id.Integer() > 0;
    };
    table.SetFiltered(true);
    EXPECT_EQ(seen, (std::vector<int64_t>{7, -3, 12}));
    EXPECT_EQ(testsupport::idsOf(table), (std::vector<int>{7, 12}));
}

// A refresh reads the records into a new store; a reader made before reads the new one,
// in the filters the refresh runs too. (The file's text slot moves, so a reader still on
// the old descriptor would read the wrong bytes.)
TEST_F(FieldReaderTest, ReadersStayGoodWhenARefreshReadsTheRecordsWhole) {
    const TFieldReader text(table.FieldByName("text")), id(table.FieldByName("id"));
    std::vector<std::string> seen;
    table.OnFilterRecord = [&](TDataSet&, bool& accept) {
        seen.emplace_back(text.Text());
        accept = id.Integer() != 2;
    };
    table.SetFiltered(true);
    TableBuilder wider({{"id", FieldType::Integer},
                        {"big", FieldType::Int64},
                        {"name", FieldType::SmallStr, 30},
                        {"text", FieldType::String, 200},
                        {"day", FieldType::Date},
                        {"stamp", FieldType::DateTime},
                        {"price", FieldType::Double}});
    wider.row({"1", "", "", "first"});
    wider.row({"2", "", "", "second"});
    wider.row({"3", "", "", "third"});
    wider.save(path);
    seen.clear();
    table.Refresh();
    EXPECT_EQ(seen, (std::vector<std::string>{"first", "second", "third"}));
    EXPECT_EQ(testsupport::idsOf(table), (std::vector<int>{1, 3}));
    table.Last();
    EXPECT_EQ(text.Text(), "third");
}

TEST_F(FieldReaderTest, NoRecordReadsNullAndCalculatedFieldsAreRefused) {
    const TFieldReader name(table.FieldByName("name")), day(table.FieldByName("day"));
    table.OnFilterRecord = [](TDataSet&, bool& accept) { accept = false; };
    table.SetFiltered(true); // an empty view: no current record
    EXPECT_EQ(name.Text(), "");
    EXPECT_EQ(day.DayNumber(), 0);
    EXPECT_FALSE(TFieldReader().Bound());
    EXPECT_EQ(TFieldReader().Text(), "");

    TDorodTable calc;
    calc.Name = "tCalc";
    calc.SetTableName(path);
    calc.AddCalculatedField("total", TFieldType::ftFloat);
    calc.Open();
    EXPECT_THROW(TFieldReader(calc.FieldByName("total")), std::invalid_argument);
    EXPECT_TRUE(TFieldReader(calc.FieldByName("id")).Bound());
}

} // namespace
