// The announcement tables: numbering a new announcement over every row of data.d,
// table files created with the right fields and widths, the value lists and colours.
#include "storage/DorodDate.h"
#include "storage/DorodTable.h"
#include "support/TableBuilder.h"
#include "support/TempDir.h"
#include "tables/AnnouncementTables.h"
#include "tables/RealtyTables.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

using namespace vornelta;
using testsupport::cp1251;

namespace {

// An open in-memory data.d with these ids in store order.
void openWithIds(dorod::TDorodTable& table, const std::vector<int>& ids) {
    table.FieldDefs = announcementFieldDefs();
    table.SetLoadMode(dorod::TDorodLoadMode::lmClear);
    table.Open();
    for (int id : ids) {
        table.Append();
        table.FieldByName("id").SetAsInteger(id);
        table.Post();
    }
}

std::vector<int> allIds(dorod::TDorodTable& table) {
    std::vector<int> ids;
    const dorod::TDorodCursor& store = *table.Store();
    const dorod::TDorodField& id = *store.Field(store.FieldIndex("id"));
    for (const dorod::TDorodRecordEntry* e : store.Entries())
        if (e->isLive()) ids.push_back(dorod::record::getInt32(e->data(), id));
    return ids;
}

struct NumberingCase {
    const char* name;
    std::vector<int> ids; // store order
    std::string indexFieldNames;
    dorod::TDorodSortOptions sortOptions;
    int expected;
    bool existed;
};

class AnnouncementNumbering : public ::testing::TestWithParam<NumberingCase> {};

TEST_P(AnnouncementNumbering, ProposesTheNextFreeNumber) {
    const NumberingCase& c = GetParam();
    dorod::TDorodTable table;
    openWithIds(table, c.ids);
    table.SetIndexFieldNames(c.indexFieldNames);
    table.SetSortOptions(c.sortOptions);

    bool existed = !c.existed;
    EXPECT_EQ(nextAnnouncementNumber(table, &existed), c.expected);
    EXPECT_EQ(existed, c.existed);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, AnnouncementNumbering,
    ::testing::Values(
        NumberingCase{"EmptyTableGivesOne", {}, "", 0, 1, false},
        NumberingCase{"LastPlusOne", {1, 2, 3}, "", 0, 4, false},
        NumberingCase{"LastRowNotLargest", {5, 1}, "", 0, 2, false},
        NumberingCase{"SevenLastEightElsewhere", {8, 3, 7}, "", 0, 9, true},
        NumberingCase{"SkipsARunOfTakenNumbers", {8, 10, 9, 7}, "", 0, 11, true},
        NumberingCase{"SkipsFromAnyStart", {2, 3, 1}, "", 0, 4, true},
        NumberingCase{"IndexOrderLastIsLargest", {8, 2, 5}, "id", 0, 9, false},
        NumberingCase{
            "DescendingIndexLastIsSmallest", {8, 2, 3}, "id", dorod::vsoDescendSort, 4, true}),
    [](const auto& info) { return std::string(info.param.name); });

// A view that hides rows (the main window's search filter, a range) must not make the
// number collide with a hidden row, nor move the table.
TEST(AnnouncementNumberingHiddenRows, NumberIsFreeInTheWholeTableAndViewStays) {
    struct Hider {
        const char* name;
        std::function<void(dorod::TDorodTable&)> hide;
        bool existed; // in index order the last row is 3, in store order 2
    };
    const std::vector<Hider> hiders{
        {"filter",
         [](dorod::TDorodTable& t) {
             t.OnFilterRecord = [](dorod::TDataSet& ds, bool& accept) {
                 accept = ds.FieldByName("id").AsInteger() != 3;
             };
             t.SetFiltered(true);
         },
         true},
        {"range",
         [](dorod::TDorodTable& t) {
             t.SetIndexFieldNames("id");
             t.SetRangeFieldNames("id");
             t.SetRange("1", "2");
         },
         false},
    };
    for (const Hider& h : hiders) {
        SCOPED_TRACE(h.name);
        dorod::TDorodTable table;
        openWithIds(table, {1, 3, 2});
        h.hide(table);
        table.Last();
        ASSERT_EQ(table.RecordCount(), 2);
        const int recNo = table.RecNo();
        const int currentId = table.FieldByName("id").AsInteger();

        bool existed = !h.existed;
        const int number = nextAnnouncementNumber(table, &existed);

        EXPECT_EQ(number, 4);
        EXPECT_EQ(existed, h.existed);
        for (int id : allIds(table))
            EXPECT_NE(id, number);
        EXPECT_EQ(table.RecordCount(), 2);
        EXPECT_EQ(table.RecNo(), recNo);
        EXPECT_EQ(table.FieldByName("id").AsInteger(), currentId);
        EXPECT_EQ(table.State(), dorod::TDataSetState::dsBrowse);
    }
}

TEST(AnnouncementNumberingRows, DeletedRowsDoNotCountAndTheFlagMayBeOmitted) {
    dorod::TDorodTable table;
    openWithIds(table, {1, 2, 3, 4});
    table.ApplyChanges(); // as after a save: a deleted row stays in the store until the next one
    table.Last();
    table.Delete();
    table.Last();
    table.Delete();
    EXPECT_EQ(nextAnnouncementNumber(table, nullptr), 3);
}

TEST(AnnouncementNumberingRows, ClosedTableOrMissingIdIsAnEngineError) {
    dorod::TDorodTable closed;
    closed.FieldDefs = announcementFieldDefs();
    EXPECT_THROW(nextAnnouncementNumber(closed, nullptr), dorod::EDatabaseError);

    dorod::TDorodTable noId;
    noId.FieldDefs = realtyFieldDefs();
    noId.Open();
    EXPECT_THROW(nextAnnouncementNumber(noId, nullptr), dorod::EDatabaseError);
}

// ------------------------------------------------------------------ table files

struct TableFileCase {
    const char* file;
    std::vector<dorod::TFieldDef> defs;
    std::vector<std::string> names; // as the desk spells them, in file order
};

TEST(AnnouncementTableFiles, CreatedFilesOpenWithTheirFields) {
    const std::vector<TableFileCase> cases{
        {kAnnouncementFileName,
         announcementFieldDefs(),
         {"id", "indate", "Client", "Pasport", "Tel", "Text", "ClientCat", "Oplata", "ObjCat",
          "type", "temp", "slov", "povt", "XML", "Summa"}},
        {kRunDateFileName, runDateFieldDefs(), {"id", "date"}},
        {kRealtyFileName, realtyFieldDefs(), {"date", "tip", "vid", "text"}},
        {kRealtyOutFileName, realtyOutFieldDefs(), {"date", "vid", "tip", "text"}},
    };
    testsupport::TempDir dir;
    for (const TableFileCase& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = dir.file(c.file);
        QString error;
        ASSERT_TRUE(createTableFile(QString::fromStdString(path), c.defs, &error))
            << error.toStdString();

        dorod::TDorodTable table;
        table.SetTableName(path);
        table.Open();
        EXPECT_EQ(table.RecordCount(), 0);
        ASSERT_EQ(table.FieldCount(), int(c.names.size()));
        for (int i = 0; i < table.FieldCount(); ++i) {
            const dorod::TField& f = table.Field(i);
            EXPECT_EQ(f.FieldName(), c.names[size_t(i)]);
            EXPECT_EQ(f.DataType(), c.defs[size_t(i)].DataType) << f.FieldName();
            if (f.DataType() == dorod::TFieldType::ftString) {
                EXPECT_EQ(f.Size(), c.defs[size_t(i)].Size) << f.FieldName();
            }
        }
    }
}

TEST(AnnouncementTableFiles, AnnouncementRowKeepsEveryValueThroughTheFile) {
    testsupport::TempDir dir;
    const std::string path = dir.file(kAnnouncementFileName);
    ASSERT_TRUE(createTableFile(QString::fromStdString(path), announcementFieldDefs()));

    const std::string text =
        cp1251(std::string(kTextWidth / 2, 'x') + "я") + std::string(kTextWidth / 2 - 1, 'y');
    const std::string tel(kTelWidth, '7');
    const std::string xml = cp1251("<<0>>\r\nab\r\n<<255>>в");
    {
        dorod::TDorodTable table;
        table.SetTableName(path);
        table.Open();
        table.Append();
        table.FieldByName("id").SetAsInteger(12);
        table.FieldByName("indate").SetAsDayNumber(dorod::dayNumberFromCivil(2024, 2, 29));
        table.FieldByName("Client").SetAsString(cp1251("ИВАНОВ И.И."));
        table.FieldByName("Tel").SetAsString(tel);
        table.FieldByName("Text").SetAsString(text);
        table.FieldByName("ClientCat").SetAsString(clientCategoriesBytes()[1]);
        table.FieldByName("Oplata").SetAsString(paymentMethodsBytes()[2]);
        table.FieldByName("ObjCat").SetAsString(subjectCategoriesBytes()[2]);
        table.FieldByName("type").SetAsString(announcementTypeBytes());
        table.FieldByName("temp").SetAsInteger(kTempValue);
        table.FieldByName("povt").SetAsBoolean(true);
        table.FieldByName("XML").SetAsString(xml);
        table.FieldByName("Summa").SetAsFloat(123.5);
        table.Post();
        table.Save();
    }
    dorod::TDorodTable table;
    table.SetTableName(path);
    table.Open();
    ASSERT_EQ(table.RecordCount(), 1);
    EXPECT_EQ(table.FieldByName("ID").AsInteger(), 12);
    EXPECT_EQ(table.FieldByName("indate").AsDayNumber(), dorod::dayNumberFromCivil(2024, 2, 29));
    EXPECT_EQ(table.FieldByName("Client").AsString(), cp1251("ИВАНОВ И.И."));
    EXPECT_EQ(table.FieldByName("Tel").AsString(), tel);
    EXPECT_EQ(table.FieldByName("text").AsString(), text);
    EXPECT_EQ(table.FieldByName("ClientCat").AsString(), cp1251("ПРЕДПРИНИМАТЕЛИ"));
    EXPECT_EQ(table.FieldByName("Oplata").AsString(), cp1251("ВЗАИМОРАСЧЕТ"));
    EXPECT_EQ(table.FieldByName("ObjCat").AsString(), cp1251("АВТОТРАНСПОРТ"));
    EXPECT_EQ(table.FieldByName("type").AsString(), cp1251("БЕГУЩАЯ СТРОКА"));
    EXPECT_EQ(table.FieldByName("temp").AsInteger(), 1);
    EXPECT_TRUE(table.FieldByName("povt").AsBoolean());
    EXPECT_EQ(table.FieldByName("XML").AsString(), xml);
    EXPECT_DOUBLE_EQ(table.FieldByName("summa").AsFloat(), 123.5);
}

TEST(AnnouncementTableFiles, CreateReplacesAnOldFileAndReportsFailures) {
    testsupport::TempDir dir;
    const QString path = QString::fromStdString(dir.file(kRunDateFileName));
    ASSERT_TRUE(createTableFile(path, runDateFieldDefs()));
    {
        dorod::TDorodTable table;
        table.SetTableName(path.toStdString());
        table.Open();
        table.Append();
        table.FieldByName("id").SetAsInteger(1);
        table.Post();
        table.Save();
    }
    ASSERT_TRUE(createTableFile(path, runDateFieldDefs()));
    dorod::TDorodTable reopened;
    reopened.SetTableName(path.toStdString());
    reopened.Open();
    EXPECT_EQ(reopened.RecordCount(), 0);

    QString error;
    const QString missing = QString::fromStdString(dir.file("нет/dates.d"));
    EXPECT_FALSE(createTableFile(missing, runDateFieldDefs(), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(std::filesystem::exists(missing.toStdString()));

    error.clear();
    EXPECT_FALSE(createTableFile(QString::fromStdString(dir.file("none.d")), {}, &error));
    EXPECT_EQ(error, QStringLiteral("Error creating table (no field descriptions)"));
}

// ------------------------------------------------------------------ values and colours

TEST(AnnouncementValueLists, ExactValuesInFormOrderAndTheirBytesFitTheFields) {
    struct ListCase {
        const char* field;
        QStringList values;
        std::vector<std::string> bytes;
        std::vector<const char*> expected;
        int width;
    };
    const std::vector<ListCase> cases{
        {"ClientCat",
         clientCategories(),
         clientCategoriesBytes(),
         {"ФИЗЛИЦА", "ПРЕДПРИНИМАТЕЛИ", "ЮРЛИЦА"},
         kClientCatWidth},
        {"Oplata",
         paymentMethods(),
         paymentMethodsBytes(),
         {"НАЛИЧНЫЙ", "БЕЗНАЛИЧНЫЙ", "ВЗАИМОРАСЧЕТ", "БЕСПЛАТНО"},
         kOplataWidth},
        {"ObjCat",
         subjectCategories(),
         subjectCategoriesBytes(),
         {"ПРОЧЕЕ", "НЕДВИЖИМОСТЬ", "АВТОТРАНСПОРТ", "УСЛУГИ"},
         kObjCatWidth},
        {"type", {announcementType()}, {announcementTypeBytes()}, {"БЕГУЩАЯ СТРОКА"}, kTypeWidth},
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

TEST(AnnouncementColours, NumbersNamesAndColoursWithRedInTheLowByte) {
    struct ColourCase {
        int number;
        const char* name;
        const char* russian;
        int red, green, blue;
    };
    const std::vector<ColourCase> expected{
        {0, "black", "черный", 0, 0, 0},
        {8388608, "navy", "темно-синий", 0, 0, 128},
        {8388736, "purple", "фиолетовый", 128, 0, 128},
        {32768, "green", "зеленый", 0, 128, 0},
        {255, "red", "красный", 255, 0, 0},
        {33023, "orange", "оранжевый", 255, 128, 0},
        {65535, "yellow", "желтый", 255, 255, 0},
        {16777215, "white", "белый", 255, 255, 255},
    };
    ASSERT_EQ(kTextColours.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const ColourCase& c = expected[i];
        SCOPED_TRACE(c.name);
        EXPECT_EQ(kTextColours[i].number, c.number);
        EXPECT_STREQ(kTextColours[i].name, c.name);
        EXPECT_EQ(textColourName(c.number), QString::fromUtf8(c.russian));
        EXPECT_TRUE(isTextColour(c.number));
        EXPECT_EQ(qColorFromColourNumber(c.number), QColor(c.red, c.green, c.blue));
        EXPECT_EQ(colourNumberFromQColor(QColor(c.red, c.green, c.blue)), c.number);
    }
    EXPECT_EQ(kColourWhite, 16777215);
    for (int other : {1, 254, 16777216, -1}) {
        EXPECT_FALSE(isTextColour(other)) << other;
        EXPECT_TRUE(textColourName(other).isEmpty()) << other;
    }
}

} // namespace
