// The realty tables: rielt.d and rielt_out.d hold the same four fields in their own
// orders, and the deal and flat values fit those fields exactly through a table file.
#include "storage/DorodDate.h"
#include "storage/DorodTable.h"
#include "support/TableBuilder.h"
#include "support/TempDir.h"
#include "tables/AnnouncementTables.h"
#include "tables/RealtyTables.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vornelta;
using testsupport::cp1251;

namespace {

std::vector<std::string> namesOf(const std::vector<dorod::TFieldDef>& defs) {
    std::vector<std::string> names;
    for (const dorod::TFieldDef& d : defs)
        names.push_back(d.Name);
    return names;
}

const dorod::TFieldDef& defNamed(const std::vector<dorod::TFieldDef>& defs,
                                 const std::string& name) {
    for (const dorod::TFieldDef& d : defs)
        if (d.Name == name) return d;
    throw std::out_of_range(name);
}

TEST(RealtyTables, BothLayoutsHoldTheSameFieldsInTheirOwnOrder) {
    const auto rielt = realtyFieldDefs();
    const auto out = realtyOutFieldDefs();
    EXPECT_EQ(namesOf(rielt), (std::vector<std::string>{"date", "tip", "vid", "text"}));
    EXPECT_EQ(namesOf(out), (std::vector<std::string>{"date", "vid", "tip", "text"}));
    for (const auto& def : rielt) {
        SCOPED_TRACE(def.Name);
        EXPECT_EQ(defNamed(out, def.Name).DataType, def.DataType);
        EXPECT_EQ(defNamed(out, def.Name).Size, def.Size);
    }
    EXPECT_EQ(defNamed(rielt, "date").DataType, dorod::TFieldType::ftDateTime);
    EXPECT_EQ(defNamed(rielt, "text").DataType, dorod::TFieldType::ftMemo);
}

TEST(RealtyTables, DealAndFlatValuesInCheckBoxOrder) {
    struct ListCase {
        const char* field;
        QStringList values;
        std::vector<std::string> bytes;
        std::vector<const char*> expected;
        int width;
    };
    const std::vector<ListCase> cases{
        {"tip",
         realtyDeals(),
         realtyDealsBytes(),
         {"СДАМ", "ПРОДАМ", "КУПЛЮ", "ОБМЕН"},
         kRealtyTipWidth},
        {"vid",
         realtyFlats(),
         realtyFlatsBytes(),
         {"ОДНОКОМНАТНАЯ", "ДВУХКОМНАТНАЯ", "ТРЕХКОМНАТНАЯ", "ЧЕТЫРЕХКОМНАТНАЯ"},
         kRealtyVidWidth},
    };
    for (const ListCase& c : cases) {
        SCOPED_TRACE(c.field);
        ASSERT_EQ(c.values.size(), qsizetype(c.expected.size()));
        ASSERT_EQ(c.bytes.size(), c.expected.size());
        for (size_t i = 0; i < c.expected.size(); ++i) {
            EXPECT_EQ(c.values[qsizetype(i)], QString::fromUtf8(c.expected[i]));
            EXPECT_EQ(c.bytes[i], cp1251(c.expected[i]));
            EXPECT_LE(int(c.bytes[i].size()), c.width);
        }
    }
}

// The longest values and a long multi-line text survive a save into either layout.
TEST(RealtyTables, RowsKeepTheirValuesThroughBothTableFiles) {
    testsupport::TempDir dir;
    const std::string text =
        cp1251("Продам 4-х комнатную квартиру,\r\nтел. 2-22-22 ") + std::string(1000, '.');
    const double midnight = dorod::dayNumberFromCivil(2024, 3, 1) - dorod::kDay18991230;
    for (const auto& [file, defs] : {std::pair{kRealtyFileName, realtyFieldDefs()},
                                     std::pair{kRealtyOutFileName, realtyOutFieldDefs()}}) {
        SCOPED_TRACE(file);
        const std::string path = dir.file(file);
        ASSERT_TRUE(createTableFile(QString::fromStdString(path), defs));
        {
            dorod::TDorodTable table;
            table.SetTableName(path);
            table.Open();
            table.Append();
            table.FieldByName("tip").SetAsString(realtyDealsBytes()[1]);
            table.FieldByName("vid").SetAsString(realtyFlatsBytes()[3]);
            table.FieldByName("date").SetAsDateTime(midnight);
            table.FieldByName("text").SetAsString(text);
            table.Post();
            table.Save();
        }
        dorod::TDorodTable table;
        table.SetTableName(path);
        table.Open();
        ASSERT_EQ(table.RecordCount(), 1);
        EXPECT_EQ(table.FieldByName("tip").AsString(), cp1251("ПРОДАМ"));
        EXPECT_EQ(table.FieldByName("vid").AsString(), cp1251("ЧЕТЫРЕХКОМНАТНАЯ"));
        EXPECT_DOUBLE_EQ(table.FieldByName("date").AsDateTime(), midnight);
        EXPECT_EQ(table.FieldByName("text").AsString(), text);
    }
}

} // namespace
