// Views of a table: record filter handlers under ranges, index order over several
// fields (descending, case-insensitive with Cyrillic texts), ordered insertion, ranges,
// Locate and Lookup, master-detail links, and a randomized check that the binary search
// and the scan of Locate agree with a brute-force search.
#include "storage/DorodLocale.h"
#include "storage/DorodTable.h"
#include "storage/Win1251.h"
#include "support/TableBuilder.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

using namespace dorod;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;
using testsupport::cp1251;
using testsupport::errorOf;
using testsupport::idsOf;
using testsupport::TableBuilder;

namespace {

class DorodView : public ::testing::Test {
protected:
    void SetUp() override {
        m_savedLocale = formatSettings();
        setFormatSettings(FormatSettings{});
        // Stored in id order; dates and names deliberately out of order.
        TableBuilder b({{"id", FieldType::Integer},
                        {"date", FieldType::Date},
                        {"name", FieldType::SmallStr, 20}});
        b.row({"1", "03.02.2024", cp1251("Вишня")});
        b.row({"2", "01.02.2024", cp1251("яблоко")});
        b.row({"3", "02.02.2024", cp1251("Абрикос")});
        b.row({"4", "01.02.2024", cp1251("банан")});
        b.row({"5", "02.02.2024", cp1251("вишня")});
        b.row({"6", "03.02.2024", cp1251("Груша")});
        b.row({"7", "01.02.2024", cp1251("арбуз")});
        b.row({"8", "02.02.2024", cp1251("Дыня")});
        b.save(path);
    }
    void TearDown() override { setFormatSettings(m_savedLocale); }

    void open(TDorodTable& t, const std::string& file) {
        t.Name = "tDates";
        t.SetTableName(file);
        t.Open();
    }
    int id(TDataSet& t) { return t.FieldByName("id").AsInteger(); }

    testsupport::TempDir dir;
    const std::string path = dir.file("dates.d");
    TDorodTable t;

private:
    FormatSettings m_savedLocale;
};

TEST_F(DorodView, FilterHandlerSeesOnlyRecordsInsideTheRange) {
    open(t, path);
    std::vector<int> seen;
    t.OnFilterRecord = [&](TDataSet& d, bool& accept) {
        EXPECT_EQ(d.State(), TDataSetState::dsFilter);
        const int n = d.FieldByName("id").AsInteger();
        seen.push_back(n);
        accept = n % 2 == 0;
    };
    t.SetRangeFieldNames("id");
    t.SetRange("3", "7");
    EXPECT_THAT(seen, IsEmpty()); // not filtered yet
    EXPECT_THAT(idsOf(t), ElementsAre(3, 4, 5, 6, 7));

    t.SetRecNo(4);
    t.SetFiltered(true);
    EXPECT_THAT(seen, UnorderedElementsAre(3, 4, 5, 6, 7));
    EXPECT_EQ(t.RecNo(), 1);
    EXPECT_THAT(idsOf(t), ElementsAre(4, 6));

    seen.clear();
    t.CancelRange();
    EXPECT_THAT(seen, UnorderedElementsAre(1, 2, 3, 4, 5, 6, 7, 8));
    EXPECT_THAT(idsOf(t), ElementsAre(2, 4, 6, 8));

    t.SetFiltered(false);
    EXPECT_EQ(t.RecordCount(), 8);
}

TEST_F(DorodView, FindOperationsApplyTheHandlerAsASearchWhenNotFiltered) {
    open(t, path);
    t.OnFilterRecord = [](TDataSet& d, bool& accept) {
        accept = d.FieldByName("date").AsString() == "02.02.2024";
    };
    ASSERT_TRUE(t.FindFirst());
    EXPECT_EQ(id(t), 3);
    ASSERT_TRUE(t.FindNext());
    EXPECT_EQ(id(t), 5);
    ASSERT_TRUE(t.FindNext());
    EXPECT_EQ(id(t), 8);
    EXPECT_FALSE(t.FindNext());
    EXPECT_EQ(id(t), 8);
    ASSERT_TRUE(t.FindPrior());
    EXPECT_EQ(id(t), 5);
    ASSERT_TRUE(t.FindLast());
    EXPECT_EQ(id(t), 8);
    EXPECT_EQ(t.RecordCount(), 8);
}

TEST_F(DorodView, IndexFieldsAndSortOptionsOrderTheView) {
    const struct {
        const char* index;
        TDorodSortOptions options;
        std::vector<int> ids;
    } cases[] = {
        {"date;id", 0, {2, 4, 7, 3, 5, 8, 1, 6}},
        {"DATE;ID", vsoDescendSort, {6, 1, 8, 5, 3, 7, 4, 2}},
        // Windows-1251 bytes: capitals before small letters unless case is ignored.
        {"name;id", 0, {3, 1, 6, 8, 7, 4, 5, 2}},
        {"name;id", vsoCaseInsensitive, {3, 7, 4, 1, 5, 6, 8, 2}},
        {"name;id", vsoCaseInsensitive | vsoDescendSort, {2, 8, 6, 5, 1, 4, 7, 3}},
        {"", vsoDescendSort, {1, 2, 3, 4, 5, 6, 7, 8}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.index) + " options " + std::to_string(c.options));
        TDorodTable v;
        v.SetIndexFieldNames(c.index);
        v.SetSortOptions(c.options);
        open(v, path);
        EXPECT_THAT(idsOf(v), ElementsAreArray(c.ids));
    }

    open(t, path);
    ASSERT_TRUE(t.Locate("id", {"5"}));
    t.SetIndexFieldNames("date;id"); // reordering keeps the current record
    EXPECT_EQ(id(t), 5);
    EXPECT_EQ(t.RecNo(), 5);
    t.SetSortOptions(vsoDescendSort);
    EXPECT_EQ(id(t), 5);
    EXPECT_EQ(t.RecNo(), 4);
}

TEST_F(DorodView, NewRecordGoesToItsSortedPlaceOnlyWithInsertInOrder) {
    const std::string file = dir.file("keys.d");
    TableBuilder({{"id", FieldType::Integer}, {"name", FieldType::SmallStr, 10}})
        .row({"10", "a"})
        .row({"20", "b"})
        .row({"20", "c"})
        .row({"30", "d"})
        .save(file);
    const struct {
        int key;
        TDorodSortOptions options;
        int recNo;
        std::vector<int> ids;
    } cases[] = {
        {20, vsoInsertInOrder, 2, {10, 20, 20, 20, 30}},
        {25, vsoInsertInOrder, 4, {10, 20, 20, 25, 30}},
        {5, vsoInsertInOrder, 1, {5, 10, 20, 20, 30}},
        {40, vsoInsertInOrder, 5, {10, 20, 20, 30, 40}},
        {20, vsoInsertInOrder | vsoDescendSort, 2, {30, 20, 20, 20, 10}},
        {25, vsoInsertInOrder | vsoDescendSort, 2, {30, 25, 20, 20, 10}},
        {5, vsoInsertInOrder | vsoDescendSort, 5, {30, 20, 20, 10, 5}},
        {5, 0, 5, {10, 20, 20, 30, 5}},
        {20, 0, 5, {10, 20, 20, 30, 20}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("key " + std::to_string(c.key) + " options " + std::to_string(c.options));
        TDorodTable v;
        v.SetIndexFieldNames("id");
        v.SetSortOptions(c.options);
        open(v, file);
        v.Insert();
        v.FieldByName("id").SetAsInteger(c.key);
        v.FieldByName("name").SetAsString("new");
        v.Post();
        EXPECT_EQ(v.RecNo(), c.recNo);
        EXPECT_EQ(v.FieldByName("name").AsString(), "new");
        EXPECT_THAT(idsOf(v), ElementsAreArray(c.ids));

        // Locate finds the new record even where it stands out of order.
        ASSERT_TRUE(v.Locate("id;name", {std::to_string(c.key), "new"}));
        EXPECT_EQ(v.RecNo(), c.recNo);
        ASSERT_TRUE(v.Locate("id", {std::to_string(c.key)}));
        EXPECT_EQ(v.FieldByName("id").AsInteger(), c.key);
    }

    TDorodTable v; // rebuilding the view puts the record in its place
    v.SetIndexFieldNames("id");
    open(v, file);
    v.Insert();
    v.FieldByName("id").SetAsInteger(5);
    v.Post();
    EXPECT_EQ(v.RecNo(), 5);
    v.SetIndexFieldNames("id");
    EXPECT_THAT(idsOf(v), ElementsAre(5, 10, 20, 20, 30));
}

TEST_F(DorodView, RangesCompareTheLeadingFieldsThatHaveValues) {
    const struct {
        const char* what;
        const char* fields;
        std::string start, end;
        std::vector<int> ids;
    } cases[] = {
        {"one date", "date", "02.02.2024", "02.02.2024", {3, 5, 8}},
        {"fewer values than fields", "date;id", "02.02.2024", "02.02.2024", {3, 5, 8}},
        {"both fields", "date;id", "02.02.2024\t4", "02.02.2024\t8", {5, 8}},
        {"interval of dates", "date", "01.02.2024", "02.02.2024", {2, 4, 7, 3, 5, 8}},
        {"letter case respected", "name", cp1251("Б"), cp1251("Г"), {1}},
        {"nothing inside", "id", "20", "30", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TDorodTable v;
        v.SetIndexFieldNames("date;id");
        open(v, path);
        v.SetRangeFieldNames(c.fields);
        v.Next();
        v.SetRange(c.start, c.end);
        EXPECT_TRUE(v.Ranged());
        EXPECT_EQ(v.RecNo(), c.ids.empty() ? 0 : 1);
        EXPECT_THAT(idsOf(v), ElementsAreArray(c.ids));
    }

    open(t, path);
    t.SetRangeFieldNames("date");
    t.SetRange("01.02.2024", "02.02.2024");
    t.SetRecNo(3);
    const int current = id(t);
    t.CancelRange();
    EXPECT_FALSE(t.Ranged());
    EXPECT_EQ(t.RecordCount(), 8);
    EXPECT_EQ(id(t), current);

    FormatSettings iso;
    iso.shortDateFormat = "yyyy-MM-dd";
    setFormatSettings(iso); // range texts follow the process-wide date format
    t.SetRange("2024-02-02", "2024-02-02");
    EXPECT_THAT(idsOf(t), ElementsAre(3, 5, 8));
}

TEST_F(DorodView, RangeOverTwoFieldsComparesThemAsOneKey) {
    // From (01.02.2024, 5) to (03.02.2024, 1): the whole of 02.02.2024 lies between,
    // whatever its numbers.
    t.SetIndexFieldNames("date;id");
    open(t, path);
    t.SetRangeFieldNames("date;id");
    t.SetRange("01.02.2024\t5", "03.02.2024\t1");
    EXPECT_THAT(idsOf(t), ElementsAre(7, 3, 5, 8, 1));
}

TEST_F(DorodView, LocateMatchesExactlyOrWithCaseAndPrefixOptions) {
    open(t, path);
    const struct {
        const char* fields;
        std::vector<std::string> values;
        unsigned options;
        int id; // 0: not found
    } cases[] = {
        {"name", {cp1251("ВИШНЯ")}, 0, 0},
        {"name", {cp1251("вишня")}, 0, 5},
        {"name", {cp1251("ВИШНЯ")}, loCaseInsensitive, 1},
        {"name", {cp1251("Гру")}, 0, 0},
        {"name", {cp1251("Гру")}, loPartialKey, 6},
        {"name", {cp1251("гру")}, loPartialKey, 0},
        {"name", {cp1251("гру")}, loCaseInsensitive | loPartialKey, 6},
        {"date;name", {"02.02.2024", cp1251("ВИШНЯ")}, loCaseInsensitive, 5},
        {"date", {"03.02.2024"}, 0, 1},
        {"DATE;ID", {"01.02.2024", "7"}, 0, 7},
        {"date", {"03.02.2024"}, loPartialKey, 1},
        {"id", {"99"}, 0, 0},
        {"name", {}, 0, 0},
        {"name", {""}, loCaseInsensitive, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.fields) + " options " + std::to_string(c.options) + " " +
                     (c.values.empty() ? std::string("(none)") : win1251::toUtf8(c.values[0])));
        t.SetRecNo(4);
        EXPECT_EQ(t.Locate(c.fields, c.values, c.options), c.id != 0);
        EXPECT_EQ(id(t), c.id != 0 ? c.id : 4);
    }
}

TEST_F(DorodView, LocateWithOptionsFindsAZeroNumber) {
    const std::string file = dir.file("zero.d");
    TableBuilder({{"id", FieldType::Integer}, {"name", FieldType::SmallStr, 10}})
        .row({"1", cp1251("Один")})
        .row({"0", cp1251("Ноль")})
        .save(file);
    open(t, file);
    // An Integer of 0 reads as 0, not as null, so it takes part in the match.
    ASSERT_FALSE(t.FieldByName("id").IsNull());
    EXPECT_TRUE(t.Locate("id", {"0"}));
    EXPECT_EQ(t.RecNo(), 2);
    t.First();
    EXPECT_TRUE(t.Locate("id;name", {"0", cp1251("ноль")}, loCaseInsensitive));
    EXPECT_EQ(t.RecNo(), 2);
}

// Locate runs the before-scroll event before it searches, found or not; after-scroll
// only when it moved.
TEST_F(DorodView, LocateRunsBeforeScrollWhetherOrNotItFinds) {
    open(t, path);
    int before = 0, after = 0;
    t.BeforeScroll = [&](TDataSet&) { ++before; };
    t.AfterScroll = [&](TDataSet&) { ++after; };
    EXPECT_FALSE(t.Locate("id", {"999"}));
    EXPECT_EQ(before, 1);
    EXPECT_EQ(after, 0);
    EXPECT_TRUE(t.Locate("id", {"2"}));
    EXPECT_EQ(before, 2);
    EXPECT_EQ(after, 1);
}

// From the second Locate by the same fields in an unchanged view on, a sorted look-up
// list answers. Keys it does not hold (gaps, below and above the range) find nothing
// there as in a scan, and leave the position; keys it holds are found. Integer keys and
// text keys take different lists.
TEST_F(DorodView, LookupListFindsNothingForAbsentKeys) {
    TableBuilder b({{"id", FieldType::Integer}, {"name", FieldType::SmallStr, 10}});
    for (int id : {50, 10, 40, 20, 30})
        b.row({std::to_string(id), "n" + std::to_string(id)});
    const std::string file = dir.file("gaps.d");
    b.save(file);
    open(t, file);
    const struct {
        const char* field;
        std::vector<std::string> present, absent;
    } cases[] = {
        {"id", {"10", "30", "50"}, {"5", "15", "35", "55", "-1"}},
        {"name", {"n10", "n30", "n50"}, {"n", "n0", "n15", "n35", "n55", "z"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        ASSERT_TRUE(t.Locate(c.field, {c.present[0]})); // the first of the series scans
        for (int round = 0; round < 2; ++round) {
            for (const std::string& key : c.absent) {
                SCOPED_TRACE(key);
                const int before = t.RecNo();
                EXPECT_FALSE(t.Locate(c.field, {key}));
                EXPECT_EQ(t.RecNo(), before);
                EXPECT_FALSE(t.Lookup(c.field, {key}, "id").has_value());
            }
            for (const std::string& key : c.present) {
                ASSERT_TRUE(t.Locate(c.field, {key}));
                EXPECT_EQ(t.FieldByName(c.field).AsString(), key);
                EXPECT_EQ(t.Lookup(c.field, {key}, c.field), std::vector<std::string>{key});
            }
        }
    }
}

TEST_F(DorodView, LookupReturnsValuesWithoutMoving) {
    open(t, path);
    t.SetRecNo(2);
    const auto found = t.Lookup("id", {"6"}, "name;date");
    ASSERT_TRUE(found.has_value());
    EXPECT_THAT(*found, ElementsAre(cp1251("Груша"), "03.02.2024"));
    EXPECT_EQ(t.RecNo(), 2);
    EXPECT_EQ(id(t), 2);

    const auto byTwo = t.Lookup("date;name", {"02.02.2024", cp1251("Дыня")}, "id");
    ASSERT_TRUE(byTwo.has_value());
    EXPECT_THAT(*byTwo, ElementsAre("8"));
    EXPECT_FALSE(t.Lookup("id", {"42"}, "name").has_value());
    EXPECT_EQ(t.RecNo(), 2);
}

class DorodMasterDetail : public DorodView {
protected:
    void SetUp() override {
        DorodView::SetUp();
        TableBuilder({{"id", FieldType::Integer}, {"client", FieldType::SmallStr, 20}})
            .row({"1", "A"})
            .row({"2", "B"})
            .row({"3", "C"})
            .row({"4", "D"})
            .save(dataPath);
        TableBuilder({{"id", FieldType::Integer}, {"date", FieldType::Date}})
            .row({"1", "03.02.2024"})
            .row({"2", "01.02.2024"})
            .row({"1", "01.02.2024"})
            .row({"3", "05.02.2024"})
            .row({"1", "02.02.2024"})
            .row({"2", "04.02.2024"})
            .save(datesPath);
    }
    std::vector<std::string> datesOf(TDataSet& d) {
        std::vector<std::string> dates;
        for (d.First(); !d.Eof(); d.Next())
            dates.push_back(d.FieldByName("date").AsString());
        return dates;
    }
    void expectDetailFollows(TDorodTable& master, TDorodTable& detail) {
        const std::map<int, std::vector<std::string>> expected = {
            {1, {"01.02.2024", "02.02.2024", "03.02.2024"}},
            {2, {"01.02.2024", "04.02.2024"}},
            {3, {"05.02.2024"}},
            {4, {}},
        };
        for (master.First(); !master.Eof(); master.Next()) {
            const int masterId = id(master);
            SCOPED_TRACE("master " + std::to_string(masterId));
            EXPECT_THAT(datesOf(detail), ElementsAreArray(expected.at(masterId)));
            for (detail.First(); !detail.Eof(); detail.Next())
                EXPECT_EQ(id(detail), masterId);
        }
    }

    const std::string dataPath = dir.file("data.d");
    const std::string datesPath = dir.file("dates2.d");
};

TEST_F(DorodMasterDetail, DetailFollowsTheMasterAsItMoves) {
    TDorodTable master, detail;
    open(master, dataPath);
    TDataSource sData(&master);
    detail.SetIndexFieldNames("id;date");
    detail.SetMasterSource(&sData);
    detail.SetMasterFields("id");
    detail.SetRangeFieldNames("id");
    open(detail, datesPath);
    EXPECT_EQ(detail.MasterSource(), &sData);
    EXPECT_EQ(detail.RecordCount(), 3);
    expectDetailFollows(master, detail);

    ASSERT_TRUE(master.Locate("id", {"2"}));
    EXPECT_EQ(detail.RecordCount(), 2);

    master.Last(); // no run days yet: a new one takes the master's number
    EXPECT_TRUE(detail.IsEmpty());
    detail.Insert();
    EXPECT_EQ(id(detail), 4);
    detail.FieldByName("date").SetAsString("06.02.2024");
    detail.Post();
    EXPECT_THAT(datesOf(detail), ElementsAre("06.02.2024"));
    master.First();
    EXPECT_EQ(detail.RecordCount(), 3);
    master.Last();
    EXPECT_EQ(detail.RecordCount(), 1);
}

TEST_F(DorodMasterDetail, LinkingAnOpenDetailRangesItAtOnce) {
    TDorodTable master, detail;
    open(master, dataPath);
    TDataSource sData(&master);
    detail.SetIndexFieldNames("id;date");
    open(detail, datesPath);
    EXPECT_EQ(detail.RecordCount(), 6);
    detail.SetRangeFieldNames("id");
    detail.SetMasterFields("id");
    detail.SetMasterSource(&sData);
    expectDetailFollows(master, detail);

    detail.SetMasterSource(nullptr); // unlinking shows every record again
    EXPECT_EQ(detail.RecordCount(), 6);
}

// An unknown master field would shift the pairing of the others with the range fields.
TEST_F(DorodMasterDetail, UnknownMasterFieldIsRefusedByName) {
    TDorodTable master, detail;
    open(master, dataPath);
    TDataSource sData(&master);
    detail.Name = "tDates";
    detail.SetIndexFieldNames("id;date");
    open(detail, datesPath);
    detail.SetRangeFieldNames("id");
    detail.SetMasterSource(&sData);
    EXPECT_EQ(errorOf([&] { detail.SetMasterFields("nosuch;id"); }),
              "tDates: Field nosuch is not found");
    detail.SetMasterFields("id");
    expectDetailFollows(master, detail);
}

TEST_F(DorodMasterDetail, CircularLinksAreRefused) {
    TDorodTable a, b;
    a.Name = "tA";
    TDataSource sa(&a), sb(&b);
    b.SetMasterSource(&sa);
    EXPECT_EQ(errorOf([&] { a.SetMasterSource(&sb); }), "tA: Circular data link");
    EXPECT_EQ(errorOf([&] { a.SetMasterSource(&sa); }), "tA: Circular data link");
    EXPECT_EQ(a.MasterSource(), nullptr);
}

// ---------------------------------------------------------------------------------------
// Locate over generated tables: the binary search (key fields leading the index, case
// respected) and the scan must both find the first record of the view with the wanted
// key, exactly when a brute-force search over the view finds one.

struct Row {
    int id = 0;
    std::string name;
};

enum class Part { Id, Name };

class RandomKeys {
public:
    explicit RandomKeys(uint32_t seed) : m_rng(seed) {}
    int id() { return std::uniform_int_distribution<int>(-20, 400)(m_rng); }
    std::string name() {
        static const std::vector<std::string> pieces = {"a", "b",         "A",         "B",
                                                        "1", cp1251("ж"), cp1251("Ж"), cp1251("я")};
        std::string text;
        const int length = std::uniform_int_distribution<int>(1, 4)(m_rng);
        for (int i = 0; i < length; ++i)
            text += pieces[pick(pieces.size())];
        return text;
    }
    size_t pick(size_t count) { return std::uniform_int_distribution<size_t>(0, count - 1)(m_rng); }

private:
    std::mt19937 m_rng;
};

std::vector<Row> viewRows(TDataSet& t) {
    std::vector<Row> rows;
    for (t.First(); !t.Eof(); t.Next())
        rows.push_back({t.FieldByName("id").AsInteger(), t.FieldByName("name").AsString()});
    return rows;
}

bool sameKey(const Row& a, const Row& b, const std::vector<Part>& parts) {
    for (Part p : parts)
        if (p == Part::Id ? a.id != b.id : a.name != b.name) return false;
    return true;
}

// Checks a batch of wanted keys; returns a description of the first mismatch.
std::string checkLocate(TDorodTable& t, RandomKeys& keys, const char* keyFields,
                        const std::vector<Part>& parts, int count) {
    const std::vector<Row> rows = viewRows(t);
    int mismatches = 0;
    std::string first;
    for (int k = 0; k < count; ++k) {
        Row wanted = k % 3 == 1 ? Row{keys.id(), keys.name()} : rows[keys.pick(rows.size())];
        if (k % 3 == 2) wanted.name = win1251::toUpper(wanted.name); // may or may not exist
        std::vector<std::string> values;
        for (Part p : parts)
            values.push_back(p == Part::Id ? std::to_string(wanted.id) : wanted.name);

        int expected = -1;
        for (size_t i = 0; i < rows.size() && expected < 0; ++i)
            if (sameKey(rows[i], wanted, parts)) expected = int(i);
        const bool found = t.Locate(keyFields, values);
        const Row current{t.FieldByName("id").AsInteger(), t.FieldByName("name").AsString()};
        const bool ok = found == (expected >= 0) &&
                        (!found || (t.RecNo() == expected + 1 && sameKey(current, wanted, parts)));
        if (!ok && mismatches++ == 0) {
            std::ostringstream out;
            out << "key id " << wanted.id << " name '" << win1251::toUtf8(wanted.name)
                << "': found " << found << " at " << t.RecNo() << ", brute force " << expected + 1;
            first = out.str();
        }
    }
    return mismatches == 0 ? std::string()
                           : std::to_string(mismatches) + " mismatches, first " + first;
}

// The option path: case-insensitive and prefix matches of the name.
std::string checkLocateOptions(TDorodTable& t, RandomKeys& keys, int count) {
    const std::vector<Row> rows = viewRows(t);
    int mismatches = 0;
    for (int k = 0; k < count; ++k) {
        std::string wanted = rows[keys.pick(rows.size())].name;
        const bool partial = k % 2 == 1;
        if (partial) wanted.resize(1 + keys.pick(wanted.size()));
        if (k % 4 >= 2) wanted = win1251::toLower(wanted);
        const unsigned options = loCaseInsensitive | (partial ? loPartialKey : 0u);
        const std::string upperWanted = win1251::toUpper(wanted);
        int expected = -1;
        for (size_t i = 0; i < rows.size() && expected < 0; ++i) {
            const std::string name = win1251::toUpper(rows[i].name);
            if (partial ? name.compare(0, upperWanted.size(), upperWanted) == 0
                        : name == upperWanted)
                expected = int(i);
        }
        const bool found = t.Locate("name", {wanted}, options);
        if (found != (expected >= 0) || (found && t.RecNo() != expected + 1)) ++mismatches;
    }
    return mismatches == 0 ? std::string() : std::to_string(mismatches) + " mismatches";
}

TEST_F(DorodView, RandomizedLocateAgreesWithBruteForceOnEverySearchPath) {
    const std::string file = dir.file("random.d");
    RandomKeys keys(20240205);
    {
        TableBuilder b({{"id", FieldType::Integer}, {"name", FieldType::SmallStr, 10}});
        for (int i = 0; i < 3000; ++i)
            b.row({std::to_string(keys.id()), keys.name()});
        b.save(file);
    }
    const struct {
        const char* index;
        TDorodSortOptions options;
        const char* keyFields;
        std::vector<Part> parts;
    } scenarios[] = {
        {"id;name", 0, "id", {Part::Id}},                      // binary search
        {"id;name", 0, "ID;Name", {Part::Id, Part::Name}},     // binary, whole index
        {"id;name", vsoDescendSort, "id", {Part::Id}},         // binary, descending
        {"name;id", 0, "name", {Part::Name}},                  // binary on texts
        {"name;id", 0, "id", {Part::Id}},                      // not leading: scan
        {"name;id", vsoCaseInsensitive, "name", {Part::Name}}, // ignoring case: scan
        {"name;id", vsoCaseInsensitive | vsoDescendSort, "name;id", {Part::Name, Part::Id}},
        {"", 0, "id;name", {Part::Id, Part::Name}}, // no index: scan
    };
    for (const auto& s : scenarios) {
        SCOPED_TRACE(std::string("index '") + s.index + "' options " + std::to_string(s.options) +
                     " key " + s.keyFields);
        TDorodTable v;
        v.SetIndexFieldNames(s.index);
        v.SetSortOptions(s.options);
        open(v, file);
        ASSERT_EQ(v.RecordCount(), 3000);
        EXPECT_EQ(checkLocate(v, keys, s.keyFields, s.parts, 240), "") << "as loaded";
        EXPECT_EQ(checkLocateOptions(v, keys, 120), "");

        // New records stand unsorted at the end of the view.
        for (int i = 0; i < 40; ++i) {
            v.Insert();
            v.FieldByName("id").SetAsInteger(keys.id());
            v.FieldByName("name").SetAsString(keys.name());
            v.Post();
        }
        EXPECT_EQ(checkLocate(v, keys, s.keyFields, s.parts, 240), "") << "after inserts";

        // Edited keys leave their records where they were.
        for (int i = 0; i < 20; ++i) {
            v.SetRecNo(1 + int(keys.pick(size_t(v.RecordCount()))));
            v.Edit();
            v.FieldByName("id").SetAsInteger(keys.id());
            v.FieldByName("name").SetAsString(keys.name());
            v.Post();
        }
        EXPECT_EQ(checkLocate(v, keys, s.keyFields, s.parts, 240), "") << "after edits";
    }
}

} // namespace
