// Filter texts on a table: parsed when set, applied with Filtered, before the record
// handler, and as a search while Filtered is off.
#include "storage/DorodTable.h"
#include "support/TableBuilder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

using namespace dorod;
using testsupport::cp1251;
using testsupport::TableBuilder;

class DorodTableFilter : public ::testing::Test {
protected:
    void SetUp() override {
        TableBuilder({{"id", FieldType::Integer},
                      {"name", FieldType::String, 40},
                      {"price", FieldType::Double}})
            .row({"1", cp1251("Квартира в центре"), "100"})
            .row({"2", cp1251("квартира у реки"), "250,5"})
            .row({"3", cp1251("Гараж"), "40"})
            .row({"4", cp1251("Дача"), ""})
            .save(dir.file("t.d"));
        table.Name = "tData";
        table.SetTableName(dir.file("t.d"));
        table.Open();
    }

    std::vector<int> ids() {
        std::vector<int> out;
        for (table.First(); !table.Eof(); table.Next())
            out.push_back(table.FieldByName("id").AsInteger());
        return out;
    }

    testsupport::TempDir dir;
    TDorodTable table;
};

TEST_F(DorodTableFilter, ExpressionsSelectRecordsWhenFiltered) {
    const std::vector<std::pair<std::string, std::vector<int>>> cases = {
        {"id > 2", {3, 4}},
        {"price >= 100 AND price < 300", {1, 2}},
        {"name LIKE '%" + cp1251("квартира") + "%'", {1, 2}}, // LIKE ignores letter case
        {"name = '" + cp1251("Гараж") + "'", {3}},
        {"id <> 3 AND id <> 1", {2, 4}},
        {"price = 0", {4}},
    };
    table.SetFiltered(true);
    for (const auto& [text, expected] : cases) {
        table.SetFilter(text);
        EXPECT_EQ(ids(), expected) << text;
    }
}

TEST_F(DorodTableFilter, FilterTextChangesNothingUntilFilteredAndBadTextsAreRefused) {
    table.SetFilter("id = 1");
    EXPECT_EQ(table.RecordCount(), 4);
    table.Last();
    table.SetFiltered(true);
    EXPECT_EQ(ids(), std::vector<int>{1});

    // A text that does not parse keeps the old one and its view.
    EXPECT_THROW(table.SetFilter("id = 'open"), EDatabaseError);
    EXPECT_EQ(table.Filter(), "id = 1");
    EXPECT_EQ(ids(), std::vector<int>{1});

    // An unknown field is the dataset's error, named after the component.
    try {
        table.SetFilter("cost > 1");
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "tData: Field cost is not found");
    }
}

TEST_F(DorodTableFilter, HandlerSeesOnlyRecordsThatPassTheExpression) {
    std::vector<int> seen;
    table.OnFilterRecord = [&](TDataSet& d, bool& accept) {
        seen.push_back(d.FieldByName("id").AsInteger());
        accept = d.FieldByName("id").AsInteger() != 2;
    };
    table.SetFilter("price > 50");
    table.SetFiltered(true);
    EXPECT_EQ(seen, (std::vector<int>{1, 2}));
    EXPECT_EQ(ids(), std::vector<int>{1});
}

TEST_F(DorodTableFilter, FindWalksTheConditionsWhileNotFiltered) {
    table.SetFilter("price < 200");
    ASSERT_TRUE(table.FindFirst());
    EXPECT_EQ(table.FieldByName("id").AsInteger(), 1);
    ASSERT_TRUE(table.FindNext());
    EXPECT_EQ(table.FieldByName("id").AsInteger(), 3);
    ASSERT_TRUE(table.FindLast());
    EXPECT_EQ(table.FieldByName("id").AsInteger(), 4);
    ASSERT_TRUE(table.FindPrior());
    EXPECT_EQ(table.FieldByName("id").AsInteger(), 3);
    EXPECT_EQ(table.RecordCount(), 4); // the view itself is not filtered
}

TEST_F(DorodTableFilter, CaseInsensitiveFilterOption) {
    table.SetFilter("name = '" + cp1251("гараж") + "'");
    table.SetFiltered(true);
    EXPECT_TRUE(ids().empty());
    table.FilterOptions = foCaseInsensitive;
    table.SetFiltered(true);
    EXPECT_EQ(ids(), std::vector<int>{3});
}

} // namespace

namespace {

TEST_F(DorodTableFilter, RefilterViewNarrowsTheShownRecordsInTheirOrder) {
    table.SetIndexFieldNames("price");
    int limit = 1000;
    int asked = 0;
    table.OnFilterRecord = [&](TDataSet& d, bool& accept) {
        ++asked;
        accept = d.FieldByName("price").AsFloat() < limit;
    };
    table.SetFiltered(true);
    EXPECT_EQ(ids(), (std::vector<int>{4, 3, 1, 2}));
    asked = 0;
    limit = 200;
    table.Last();
    table.RefilterView();
    EXPECT_EQ(table.RecNo(), 1); // back at the first record
    EXPECT_EQ(asked, 4);
    EXPECT_EQ(ids(), (std::vector<int>{4, 3, 1}));
    EXPECT_TRUE(table.ViewSorted());
    // Only the records shown are asked again.
    asked = 0;
    limit = 50;
    table.RefilterView();
    EXPECT_EQ(asked, 3);
    EXPECT_EQ(ids(), (std::vector<int>{4, 3}));
}

} // namespace
