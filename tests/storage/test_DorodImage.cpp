// The table image: the writer's bytes against images built by hand, the reader's checks
// and messages, what the reader accepts beyond what the writer produces, and partial opens.
#include "storage/DorodCursor.h"
#include "support/ImageBuilder.h"

#include <gtest/gtest.h>

#include <cctype>
#include <ostream>
#include <string>
#include <vector>

using namespace dorod;
using namespace testsupport;

namespace {

TDorodField makeField(std::string name, FieldType type, int32_t size = 0) {
    TDorodField f;
    f.name = std::move(name);
    f.type = type;
    f.declaredSize = size;
    return f;
}

bool load(TDorodCursor& store, const std::string& image, std::string& message) {
    TDorodStream stream{image, 0};
    return store.LoadFromStream(stream, message);
}

const TDorodField& field(const TDorodCursor& store, int i) {
    return *store.Field(i);
}

} // namespace

// ---------------------------------------------------------------- writer

TEST(DorodImageWriter, SmallTableMatchesHandBuiltBytes) {
    TDorodCursor store;
    std::vector<TDorodField> fields = {
        makeField("id", FieldType::AutoInc),       makeField("small", FieldType::SmallInt),
        makeField("num", FieldType::Integer),      makeField("big", FieldType::Int64),
        makeField("flag", FieldType::Boolean),     makeField("amount", FieldType::Double),
        makeField("price", FieldType::Currency),   makeField("day", FieldType::Date),
        makeField("time", FieldType::Time),        makeField("stamp", FieldType::DateTime),
        makeField("code", FieldType::SmallStr, 9), makeField("city name", FieldType::SmallStr, 12),
        makeField("text", FieldType::String, 200), makeField("blob", FieldType::Blob),
        makeField("memo", FieldType::Memo),        makeField("fmt", FieldType::FmtMemo),
        makeField("pic", FieldType::Graphic)};
    fields[2].qualifier = "T1";
    fields[12].defaultValue = "'none'";
    fields[12].extraText = "hint";
    fields[14].extraText = "notes";
    std::string message;
    ASSERT_TRUE(store.DefineFields(fields, message)) << message;
    store.SetNotes("note text");

    const double stamp = 730120.0 * 86400000.0 + 3723004.0;
    TDorodRecordBuffer full(store.Layout());
    uint8_t* r = full.data();
    record::setInt32(r, field(store, 0), 1);
    record::setInt16(r, field(store, 1), -2);
    record::setInt32(r, field(store, 2), 100000);
    record::setInt64(r, field(store, 3), int64_t(1) << 32); // high half only
    record::setBoolean(r, field(store, 4), true);
    record::setDouble(r, field(store, 5), 1.5);
    record::setDouble(r, field(store, 6), 12.25);
    record::setInt32(r, field(store, 7), 730120);
    record::setInt32(r, field(store, 8), 3723004);
    record::setDouble(r, field(store, 9), stamp);
    record::setText(r, field(store, 10), "abc");
    record::setText(r, field(store, 11), "Moscow");
    record::setText(r, field(store, 12), "hello");
    record::setText(r, field(store, 13), std::string("\0\1\2", 3));
    record::setText(r, field(store, 14), "m");
    record::setText(r, field(store, 15), "{\\rtf}");
    record::setText(r, field(store, 16), "GIF");
    store.AppendStoredRecord(full.data());

    TDorodRecordBuffer deleted(store.Layout());
    record::setInt32(deleted.data(), field(store, 0), 2);
    message.clear();
    ASSERT_TRUE(store.DeleteRecord(store.AppendStoredRecord(deleted.data()), message));

    // Zero and empty values of every type, -0.0 included: nothing but length bytes.
    TDorodRecordBuffer empty(store.Layout());
    record::setDouble(empty.data(), field(store, 5), -0.0);
    record::setDouble(empty.data(), field(store, 6), 0.0);
    record::setDouble(empty.data(), field(store, 9), -0.0);
    store.AppendStoredRecord(empty.data());

    const std::string expected =
        ImageBuilder()
            .items({"XXX.id a", "XXX.small l", "T1.num i", "XXX.big e", "XXX.flag b",
                    "XXX.amount f", "XXX.price c", "XXX.day d", "XXX.time v", "XXX.stamp t",
                    "XXX.code 9", "XXX.city_name C", "XXX.text s200~'none'~hint", "XXX.blob o",
                    "XXX.memo m~~notes", "XXX.fmt r", "XXX.pic g"})
            .notes("note text")
            .record({4, 2, 4, 8, 2, 8, 8, 4, 4, 8, 3, 6, 4, 4, 4, 4, 4},
                    le32(1) + le16(uint16_t(-2)) + le32(100000) + le64(uint64_t(1) << 32) +
                        le16(1) + leDouble(1.5) + leDouble(12.25) + le32(730120) + le32(3723004) +
                        leDouble(stamp) + "abc" + "Moscow" + counted("hello") +
                        counted(std::string("\0\1\2", 3)) + counted("m") + counted("{\\rtf}") +
                        counted("GIF"))
            .record({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})
            .build();

    // Written at the stream's position; the image length counts only the image.
    TDorodStream stream{"PRE", 3};
    const uint32_t length = store.WriteImage(stream);
    EXPECT_EQ(length, expected.size());
    EXPECT_EQ(stream.position, 3 + expected.size());
    ASSERT_EQ(stream.bytes.substr(0, 3), "PRE");
    EXPECT_EQ(stream.bytes.substr(3), expected);

    // A save is not a commit: the deleted record is still there, still deleted.
    EXPECT_EQ(store.EntryCount(), 3);
    EXPECT_EQ(store.Entry(1)->status, TDorodRecordStatus::Deleted);
}

// ---------------------------------------------------------------- reader: failures

struct LoadFailure {
    const char* what;
    std::string image;
    std::string message;
};

void PrintTo(const LoadFailure& c, std::ostream* os) {
    *os << c.what;
}

class DorodImageLoadFailure : public ::testing::TestWithParam<LoadFailure> {};

TEST_P(DorodImageLoadFailure, FailsWithMessageAndLeavesStoreEmpty) {
    TDorodCursor store;
    std::string message;
    EXPECT_FALSE(load(store, GetParam().image, message));
    EXPECT_EQ(message, GetParam().message);
    EXPECT_EQ(store.FieldCount(), 0);
    EXPECT_EQ(store.EntryCount(), 0);
}

namespace {
const std::string kCorrupt = "Buffer structure corruption!";
const std::string kSection = "Error in buffer structure (field description section)";

ImageBuilder numAndText() {
    return ImageBuilder({"XXX.num i", "XXX.txt s20"});
}
const std::string kWellFormed = numAndText().record({4, 0}, le32(1)).build();

std::vector<LoadFailure> loadFailures() {
    return {
        {"KindX", ImageBuilder().kind('X').item("XXX.num i").build(), kCorrupt},
        {"KindE", le32(17) + "E" + "Disk is full", "Disk is full"},
        {"DescriptionAbove99999",
         ImageBuilder().item("XXX.num i").declaredDescriptionLength(100000).build(), kCorrupt},
        {"OnlyThreeBytes", kWellFormed.substr(0, 3), kCorrupt},
        {"HeaderCutInCounts", kWellFormed.substr(0, 12), kCorrupt},
        {"DescriptionCutInsideSecondItem", kWellFormed.substr(0, 17 + 13), kCorrupt},
        {"ItemWithoutSeparator",
         ImageBuilder().rawDescription("XXX.num i").declaredFields(1).build(), kSection},
        {"EmptyItem", ImageBuilder({"XXX.num i", ""}).build(), kSection},
        {"TypeCharBelowZero", ImageBuilder().item("XXX.num /").build(), kCorrupt},
        {"TypeCharBlank", ImageBuilder().item("XXX.num  i").build(), kCorrupt},
        {"StringLengthNotANumber", ImageBuilder().item("XXX.txt s1x").build(), kCorrupt},
        {"StringLengthAbove65535", ImageBuilder().item("XXX.txt s65536").build(), kCorrupt},
        {"StringLengthEmptyBeforeTilde", ImageBuilder().item("XXX.txt s~a~b").build(), kCorrupt},
        {"DataEndsInsideInteger", ImageBuilder().item("XXX.num i").record({4}, "\x01\x02").build(),
         "Unexpected end of buffer"},
        {"DataEndsInsideString", numAndText().record({0, 4}, le32(10) + "abc").build(),
         "Unexpected end of buffer"},
        {"IntegerLengthByte5InRecord2",
         numAndText().record({4, 0}, le32(1)).record({5, 0}, "12345").build(),
         "Field 'num' has wrong length 5 in record 2"},
        {"StringLengthByte3", numAndText().record({0, 3}, "abc").build(),
         "Field 'txt' has wrong length 3 in record 1"},
        {"SmallStrLengthAboveSlot", ImageBuilder().item("XXX.code 3").record({5}, "abcde").build(),
         "Field 'code' has wrong length 5 in record 1"},
        {"String8192", numAndText().record({0, 4}, counted(std::string(8192, 'x'))).build(),
         "String field 'txt' has wrong length 8192 in record 1"},
        {"StringNegative", numAndText().record({0, 4}, le32(0xFFFFFFFF)).build(),
         "String field 'txt' has wrong length -1 in record 1"},
        {"BlobTooLong", ImageBuilder().item("XXX.b o").record({4}, le32(1073741824)).build(),
         "BLOB field 'b' has wrong length 1073741824 in record 1"},
        {"MemoTooLongInRecord3",
         ImageBuilder()
             .item("XXX.m m")
             .record({0})
             .record({0})
             .record({4}, le32(0x80000000))
             .build(),
         "BLOB field 'm' has wrong length -2147483648 in record 3"},
        {"FewerRecordsThanDeclared",
         numAndText().record({4, 0}, le32(1)).record({4, 0}, le32(2)).declaredRecords(3).build(),
         "Number of records read (2) does not match declared record count (3)"},
    };
}
} // namespace

INSTANTIATE_TEST_SUITE_P(Messages, DorodImageLoadFailure, ::testing::ValuesIn(loadFailures()),
                         [](const auto& info) { return std::string(info.param.what); });

// ---------------------------------------------------------------- reader: accepted input

struct ItemCase {
    const char* item;
    FieldType type;
    int32_t declaredSize;
    uint16_t slotSize;
    const char* qualifier;
    const char* name;
    const char* defaultValue;
    const char* extraText;
};

void PrintTo(const ItemCase& c, std::ostream* os) {
    *os << '"' << c.item << '"';
}

class DorodImageItem : public ::testing::TestWithParam<ItemCase> {};

TEST_P(DorodImageItem, ReadsDescriptor) {
    const ItemCase& c = GetParam();
    TDorodCursor store;
    std::string message;
    ASSERT_TRUE(load(store, ImageBuilder().item(c.item).build(), message)) << message;
    ASSERT_EQ(store.FieldCount(), 1);
    const TDorodField& f = field(store, 0);
    EXPECT_EQ(f.type, c.type);
    EXPECT_EQ(f.declaredSize, c.declaredSize);
    EXPECT_EQ(f.slotSize, c.slotSize);
    EXPECT_EQ(f.qualifier, c.qualifier);
    EXPECT_EQ(f.name, c.name);
    EXPECT_EQ(f.defaultValue, c.defaultValue);
    EXPECT_EQ(f.extraText, c.extraText);
}

constexpr uint16_t kRef = sizeof(void*);

INSTANTIATE_TEST_SUITE_P(
    Items, DorodImageItem,
    ::testing::Values(
        ItemCase{"XXX.id a", FieldType::AutoInc, 0, 4, "XXX", "id", "", ""},
        ItemCase{"XXX.n l", FieldType::SmallInt, 0, 2, "XXX", "n", "", ""},
        ItemCase{"XXX.n i", FieldType::Integer, 0, 4, "XXX", "n", "", ""},
        ItemCase{"XXX.n e", FieldType::Int64, 0, 8, "XXX", "n", "", ""},
        ItemCase{"XXX.n b", FieldType::Boolean, 0, 2, "XXX", "n", "", ""},
        ItemCase{"XXX.n f", FieldType::Double, 0, 8, "XXX", "n", "", ""},
        ItemCase{"XXX.n c", FieldType::Currency, 0, 8, "XXX", "n", "", ""},
        ItemCase{"XXX.n d", FieldType::Date, 0, 4, "XXX", "n", "", ""},
        ItemCase{"XXX.n v", FieldType::Time, 0, 4, "XXX", "n", "", ""},
        ItemCase{"XXX.n t", FieldType::DateTime, 0, 8, "XXX", "n", "", ""},
        ItemCase{"XXX.n o", FieldType::Blob, 0, kRef, "XXX", "n", "", ""},
        ItemCase{"XXX.n r", FieldType::FmtMemo, 0, kRef, "XXX", "n", "", ""},
        ItemCase{"XXX.n g", FieldType::Graphic, 0, kRef, "XXX", "n", "", ""},
        ItemCase{"XXX.t s", FieldType::String, 100, kRef, "XXX", "t", "", ""},
        ItemCase{"XXX.t s65535", FieldType::String, 65535, kRef, "XXX", "t", "", ""},
        ItemCase{"XXX.t s000100", FieldType::String, 100, kRef, "XXX", "t", "", ""},
        ItemCase{"XXX.c 0", FieldType::SmallStr, 0, 1, "XXX", "c", "", ""},
        ItemCase{"XXX.c 9", FieldType::SmallStr, 9, 10, "XXX", "c", "", ""},
        ItemCase{"XXX.c A", FieldType::SmallStr, 10, 11, "XXX", "c", "", ""},
        ItemCase{"XXX.c Z", FieldType::SmallStr, 35, 36, "XXX", "c", "", ""},
        ItemCase{"XXX.c :", FieldType::SmallStr, 3, 4, "XXX", "c", "", ""},
        ItemCase{"XXX.c x", FieldType::SmallStr, 65, 66, "XXX", "c", "", ""},
        ItemCase{"plain i", FieldType::Integer, 0, 4, "XXX", "plain", "", ""},
        ItemCase{"Q7.a.b i", FieldType::Integer, 0, 4, "Q7", "a.b", "", ""},
        ItemCase{"XXX.first_name s40", FieldType::String, 40, kRef, "XXX", "first_name", "", ""},
        ItemCase{"XXX.m m~~text", FieldType::Memo, 0, kRef, "XXX", "m", "", "text"},
        ItemCase{"XXX.n i~0~a~b", FieldType::Integer, 0, 4, "XXX", "n", "0", "a~b"},
        ItemCase{"XXX.n i~solo", FieldType::Integer, 0, 4, "XXX", "n", "", "solo"},
        ItemCase{"XXX.t s30~'x'~", FieldType::String, 30, kRef, "XXX", "t", "'x'", ""}),
    [](const auto& info) {
        std::string name = std::to_string(info.index) + "_";
        for (char c : std::string(info.param.item))
            name += std::isalnum(uint8_t(c)) ? c : '_';
        return name;
    });

TEST(DorodImageReader, ReadsValuesOfEveryTypeAndZeroLengthsAsZero) {
    const double stamp = 730120.0 * 86400000.0 + 1.0;
    const std::string image =
        ImageBuilder()
            .items({"XXX.s l", "XXX.i i", "XXX.e e", "XXX.b b", "XXX.d d", "XXX.t t", "XXX.c 5",
                    "XXX.str s", "XXX.m m"})
            .withoutSectionEnd()
            .record({2, 4, 8, 2, 4, 8, 5, 4, 4},
                    le16(uint16_t(-7)) + le32(uint32_t(-100000)) + le64(uint64_t(-1) << 32) +
                        le16(1) + le32(693594) + leDouble(stamp) + "abcde" +
                        counted(std::string(8191, 's')) + counted(std::string("a\0b", 3)))
            .record({1, 1, 0, 0, 0, 0, 0, 4, 0}, "\x2A\x2B" + counted(""))
            .record({0, 0, 0, 0, 0, 0, 0, 0, 0})
            .build();
    TDorodCursor store;
    std::string message;
    ASSERT_TRUE(load(store, image, message)) << message;
    ASSERT_EQ(store.FieldCount(), 9);
    ASSERT_EQ(store.EntryCount(), 3);
    const auto& f = [&](int i) -> const TDorodField& { return field(store, i); };

    const uint8_t* r = store.Entry(0)->data();
    EXPECT_EQ(record::getInt16(r, f(0)), -7);
    EXPECT_EQ(record::getInt32(r, f(1)), -100000);
    EXPECT_EQ(record::getInt64(r, f(2)), int64_t(uint64_t(-1) << 32));
    EXPECT_TRUE(record::getBoolean(r, f(3)));
    EXPECT_EQ(record::getInt32(r, f(4)), 693594);
    EXPECT_EQ(record::getDouble(r, f(5)), stamp);
    EXPECT_EQ(record::getText(r, f(6)), "abcde");
    EXPECT_EQ(record::getText(r, f(7)), std::string(8191, 's'));
    EXPECT_EQ(record::getText(r, f(8)), std::string("a\0b", 3));
    EXPECT_EQ(store.Entry(0)->status, TDorodRecordStatus::Clean);
    EXPECT_EQ(store.Entry(0)->storedSize, 9u + 2 + 4 + 8 + 2 + 4 + 8 + 5 + 4 + 8191 + 4 + 3);

    // A shorter length byte fills the start of the slot; String length 0 is no text.
    r = store.Entry(1)->data();
    EXPECT_EQ(record::getInt16(r, f(0)), 0x2A);
    EXPECT_EQ(record::getInt32(r, f(1)), 0x2B);
    EXPECT_EQ(record::reference(r, f(7)), nullptr);

    r = store.Entry(2)->data();
    for (int i = 0; i < 9; ++i)
        EXPECT_TRUE(record::isEmptyValue(r, f(i))) << f(i).name;
    EXPECT_EQ(record::getDouble(r, f(5)), 0.0);
    EXPECT_EQ(store.Entry(2)->storedSize, 9u);
}

TEST(DorodImageReader, StopsAtSectionEndBeforeFieldCountAndAcceptsLongestDescription) {
    TDorodCursor store;
    std::string message;
    const std::string image =
        ImageBuilder().items({"XXX.a i", "XXX.b 5"}).withoutSectionEnd().declaredFields(3).build();
    ASSERT_TRUE(load(store, image, message)) << message;
    EXPECT_EQ(store.FieldCount(), 2);

    // Bytes after the last of N items are not parsed; a section of 99 999 bytes is fine.
    ImageBuilder longest;
    longest.item("XXX.a i").rawDescription(std::string(99999 - 8 - 1, 'q'));
    ASSERT_EQ(longest.description().size(), 99999u);
    ASSERT_TRUE(load(store, longest.record({4}, le32(3)).build(), message)) << message;
    ASSERT_EQ(store.EntryCount(), 1);
    EXPECT_EQ(record::getInt32(store.Entry(0)->data(), field(store, 0)), 3);
}

TEST(DorodImageReader, FindsNotesWithAndWithoutRecords) {
    TDorodCursor store;
    std::string message;
    // Six fields but only four bytes after the description: found because there are no records.
    ImageBuilder noRecords;
    for (const char* item : {"XXX.a i", "XXX.b i", "XXX.c i", "XXX.d i", "XXX.e i", "XXX.f i"})
        noRecords.item(item);
    ASSERT_TRUE(load(store, noRecords.notes("z").build(), message)) << message;
    EXPECT_EQ(store.Notes(), "z");
    EXPECT_EQ(store.EntryCount(), 0);

    ASSERT_TRUE(load(store, numAndText().notes("remark").record({4, 0}, le32(9)).build(), message));
    EXPECT_EQ(store.Notes(), "remark");
    ASSERT_EQ(store.EntryCount(), 1);
    EXPECT_EQ(record::getInt32(store.Entry(0)->data(), field(store, 0)), 9);
}

TEST(DorodImageReader, NameWithBlankIsWrittenWithUnderscore) {
    TDorodCursor store;
    std::string defineMessage;
    ASSERT_TRUE(
        store.DefineFields({makeField("last name", FieldType::SmallStr, 20)}, defineMessage));
    TDorodStream stream;
    store.WriteImage(stream);
    EXPECT_EQ(stream.bytes, ImageBuilder().item("XXX.last_name K").build());
    std::string message;
    ASSERT_TRUE(load(store, stream.bytes, message));
    EXPECT_EQ(field(store, 0).name, "last_name");
    EXPECT_NE(store.FindField("LAST_NAME"), nullptr);
}

TEST(DorodImageReader, ReportsProgressOncePerChangedPercent) {
    ImageBuilder b = ImageBuilder().item("XXX.n i");
    for (int i = 0; i < 3; ++i)
        b.record({4}, le32(uint32_t(i + 1)));
    TDorodCursor store;
    std::vector<int> seen;
    store.OnCallback = [&](int p) { seen.push_back(p); };
    std::string message;
    ASSERT_TRUE(load(store, b.build(), message));
    EXPECT_EQ(seen, (std::vector<int>{33, 67, 100}));
}

// ---------------------------------------------------------------- partial open

TEST(DorodImagePartialOpen, CutOffRecordKeepsEarlierRecords) {
    const std::string image = ImageBuilder()
                                  .items({"XXX.id a", "XXX.txt s20"})
                                  .record({4, 4}, le32(7) + counted("ab"))
                                  .record({4, 0}, le32(5))
                                  .record({4, 4}, le32(9) + le32(10) + "abc")
                                  .build();
    TDorodCursor store;
    std::string message;
    EXPECT_FALSE(load(store, image, message));
    EXPECT_EQ(message, "Unexpected end of buffer");
    EXPECT_EQ(store.EntryCount(), 0);

    store.PartialOpen = true;
    ASSERT_TRUE(load(store, image, message));
    EXPECT_EQ(message, "Unexpected end of buffer");
    EXPECT_EQ(store.FieldCount(), 2);
    ASSERT_EQ(store.EntryCount(), 2);
    EXPECT_EQ(record::getText(store.Entry(0)->data(), field(store, 1)), "ab");
    EXPECT_EQ(record::getInt32(store.Entry(1)->data(), field(store, 0)), 5);
    EXPECT_EQ(store.AutoIncField(), 0);
    EXPECT_EQ(store.AutoIncCounter(), 0); // not taken from the records
}

TEST(DorodImagePartialOpen, AcceptsCountMismatchAndBrokenDescriptions) {
    struct Case {
        const char* what;
        std::string image;
        std::string message;
        int fields;
        int records;
    };
    const std::vector<Case> cases = {
        {"count mismatch", numAndText().record({4, 0}, le32(1)).declaredRecords(2).build(),
         "Number of records read (1) does not match declared record count (2)", 2, 1},
        {"type char below '0'", ImageBuilder({"XXX.a i", "XXX.b /"}).build(), kCorrupt, 1, 0},
        {"bad String length", ImageBuilder({"XXX.a i", "XXX.b s9x"}).build(), kCorrupt, 1, 0},
        {"header cut off", kWellFormed.substr(0, 12), kCorrupt, 0, 0},
        {"description cut off", kWellFormed.substr(0, 17 + 13), kCorrupt, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TDorodCursor store;
        store.PartialOpen = true;
        std::string message;
        EXPECT_TRUE(load(store, c.image, message));
        EXPECT_EQ(message, c.message);
        EXPECT_EQ(store.FieldCount(), c.fields);
        EXPECT_EQ(store.EntryCount(), c.records);
    }
}

TEST(DorodImagePartialOpen, HeaderFailuresStillFail) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {ImageBuilder().kind('Q').item("XXX.n i").build(), kCorrupt},
        {le32(9) + "E" + "boom", "boom"},
        {ImageBuilder().item("XXX.n i").declaredDescriptionLength(100000).build(), kCorrupt},
        {ImageBuilder().rawDescription("XXX.n i").declaredFields(1).build(), kSection},
        {ImageBuilder({"XXX.n i", ""}).build(), kSection},
    };
    for (const auto& [image, expected] : cases) {
        SCOPED_TRACE(expected);
        TDorodCursor store;
        store.PartialOpen = true;
        std::string message;
        EXPECT_FALSE(load(store, image, message));
        EXPECT_EQ(message, expected);
        EXPECT_EQ(store.FieldCount(), 0);
    }
}

// A text longer than 35 is a String: a SmallStr above 35 would be written with another
// type's letter (42 as "a", an AutoInc) and the file would not read back, so such a
// field is refused where fields are defined. 35 itself is the largest SmallStr.
TEST(DorodImageWriter, SmallStrAbove35IsRefusedWhereFieldsAreDefined) {
    for (const int size : {36, 42, 45, -1}) {
        SCOPED_TRACE(size);
        TDorodCursor store;
        std::string message;
        EXPECT_FALSE(store.DefineFields(
            {makeField("id", FieldType::Integer), makeField("name", FieldType::SmallStr, size)},
            message));
        EXPECT_EQ(message, "Field 'name': a SmallStr holds 0 to 35 characters, not " +
                               std::to_string(size) + "; a longer text is a String");
        EXPECT_EQ(store.FieldCount(), 0);
    }

    TDorodCursor store;
    std::string message;
    ASSERT_TRUE(store.DefineFields({makeField("name", FieldType::SmallStr, 35)}, message));
    TDorodRecordBuffer buf(store.Layout());
    const std::string longest(35, 'x');
    record::setText(buf.data(), field(store, 0), longest);
    TDorodRecordEntry* entry = nullptr;
    ASSERT_TRUE(store.PostRecord(buf.data(), entry, message)) << message;
    TDorodStream stream;
    store.WriteImage(stream);
    TDorodCursor back;
    ASSERT_TRUE(load(back, stream.bytes, message)) << message;
    EXPECT_EQ(field(back, 0).type, FieldType::SmallStr);
    EXPECT_EQ(field(back, 0).declaredSize, 35);
    EXPECT_EQ(record::getText(back.Entry(0)->data(), field(back, 0)), longest);
}

// A file may hold a SmallStr longer than 35 under a letter that is no type ("h" is 49).
// When its first record starts with the length 42, the byte of the notes mark, the writer
// puts an empty notes block before it, so the record is not read as notes.
TEST(DorodImageWriter, FirstLengthByteEqualToTheNotesMarkRoundTrips) {
    const std::string text42(42, 'q');
    // Such a file needs the empty notes block itself to be read.
    const std::string image = ImageBuilder({"XXX.s h", "XXX.n i"})
                                  .raw(std::string("*\0\0", 3))
                                  .record({42, 4}, text42 + le32(7))
                                  .build();
    TDorodCursor store;
    std::string message;
    ASSERT_TRUE(load(store, image, message)) << message;
    ASSERT_EQ(field(store, 0).declaredSize, 49);

    TDorodStream stream;
    store.WriteImage(stream);
    EXPECT_TRUE(stream.bytes == image);
    TDorodCursor back;
    ASSERT_TRUE(load(back, stream.bytes, message)) << message;
    EXPECT_EQ(back.Notes(), "");
    ASSERT_EQ(back.EntryCount(), 1);
    EXPECT_EQ(record::getText(back.Entry(0)->data(), field(back, 0)), text42);
    EXPECT_EQ(record::getInt32(back.Entry(0)->data(), field(back, 1)), 7);
}
