// Value texts made into stored field values, and the date, time and number texts read
// back under the process-wide locale.
#include "storage/DorodConvert.h"
#include "storage/DorodDate.h"
#include "storage/DorodLocale.h"
#include "storage/DorodRecord.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace dorod;

namespace {

class LocaleGuard : public ::testing::Test {
protected:
    void SetUp() override {
        saved = formatSettings();
        setFormatSettings(FormatSettings{});
    }
    void TearDown() override { setFormatSettings(saved); }
    static void use(const char* date, const char* time, char separator) {
        setFormatSettings(FormatSettings{date, time, separator});
    }
    FormatSettings saved;
};

using DorodConvertTest = LocaleGuard;
using DorodLocaleParseTest = LocaleGuard;

// A record whose converted field sits between two others, so that writes outside its
// slot show up.
struct Rec {
    explicit Rec(FieldType type, int32_t declared = 0)
        : layout(makeLayout(type, declared)), buffer(layout) {}
    static std::shared_ptr<TDorodRecordLayout> makeLayout(FieldType type, int32_t declared) {
        auto l = std::make_shared<TDorodRecordLayout>();
        l->addField(field("before", FieldType::SmallInt, 0));
        l->addField(field("f", type, declared));
        l->addField(field("after", FieldType::SmallInt, 0));
        return l;
    }
    static TDorodField field(const char* name, FieldType type, int32_t declared) {
        TDorodField f;
        f.name = name;
        f.type = type;
        f.declaredSize = declared;
        return f;
    }
    const TDorodField& f() const { return layout->fields[1]; }
    bool convert(std::string_view text) { return textToStoredValue(f(), text, buffer.data()); }
    std::vector<uint8_t> slot() const {
        const uint8_t* p = buffer.data() + f().offset;
        return {p, p + f().slotSize};
    }
    bool slotIsZero() const {
        const auto s = slot();
        return std::all_of(s.begin(), s.end(), [](uint8_t b) { return b == 0; });
    }
    std::shared_ptr<TDorodRecordLayout> layout;
    TDorodRecordBuffer buffer;
};

struct NumberCase {
    FieldType type;
    const char* text;
    bool converts;
    double value; // read back through the type's getter
};

double readNumber(const Rec& r) {
    switch (r.f().type) {
    case FieldType::SmallInt:
        return record::getInt16(r.buffer.data(), r.f());
    case FieldType::Int64:
        return double(record::getInt64(r.buffer.data(), r.f()));
    case FieldType::Double:
    case FieldType::Currency:
    case FieldType::DateTime:
        return record::getDouble(r.buffer.data(), r.f());
    default:
        return record::getInt32(r.buffer.data(), r.f());
    }
}

void checkNumbers(const std::vector<NumberCase>& cases) {
    for (const NumberCase& c : cases) {
        Rec r(c.type);
        record::setInt16(r.buffer.data(), r.layout->fields[0], 111);
        record::setInt16(r.buffer.data(), r.layout->fields[2], 222);
        EXPECT_EQ(r.convert(c.text), c.converts) << fieldTypeName(c.type) << " '" << c.text << "'";
        if (c.converts)
            EXPECT_DOUBLE_EQ(readNumber(r), c.value) << "'" << c.text << "'";
        else
            EXPECT_TRUE(r.slotIsZero()) << "'" << c.text << "'";
        EXPECT_EQ(record::getInt16(r.buffer.data(), r.layout->fields[0]), 111);
        EXPECT_EQ(record::getInt16(r.buffer.data(), r.layout->fields[2]), 222);
    }
}

constexpr double kDay = 86400000.0;
double day(int y, int m, int d) {
    return dayNumberFromCivil(y, m, d);
}

} // namespace

TEST_F(DorodConvertTest, Integers) {
    using enum FieldType;
    checkNumbers({
        {SmallInt, "123", true, 123},
        {SmallInt, " -7\t", true, -7},
        {SmallInt, "+5", true, 5},
        {SmallInt, "007", true, 7},
        {SmallInt, "32767", true, 32767},
        {SmallInt, "-32768", true, -32768},
        {SmallInt, "32768", false, 0},
        {SmallInt, "-32769", false, 0},
        {SmallInt, "12abc", false, 0},
        {SmallInt, "1.5", false, 0},
        {SmallInt, "1,5", false, 0},
        {SmallInt, "+-1", false, 0},
        {SmallInt, "--1", false, 0},
        {SmallInt, "-", false, 0},
        {SmallInt, "1 2", false, 0},
        {SmallInt, "0x10", false, 0},
        {SmallInt, "1e3", false, 0},
        {Integer, "2147483647", true, 2147483647},
        {Integer, "-2147483648", true, -2147483648.0},
        {Integer, "2147483648", false, 0},
        {AutoInc, "42", true, 42},
        {AutoInc, "-2147483649", false, 0},
        {Int64, "9223372036854775807", true, 9223372036854775807.0},
        {Int64, "-9223372036854775808", true, -9223372036854775807.0 - 1},
        {Int64, "9223372036854775808", false, 0},
        {Int64, "-9223372036854775809", false, 0},
    });
    // The limits exactly, which a double cannot tell apart.
    Rec r(FieldType::Int64);
    ASSERT_TRUE(r.convert("-9223372036854775808"));
    EXPECT_EQ(record::getInt64(r.buffer.data(), r.f()), INT64_MIN);
    ASSERT_TRUE(r.convert("9223372036854775807"));
    EXPECT_EQ(record::getInt64(r.buffer.data(), r.f()), INT64_MAX);
}

TEST_F(DorodConvertTest, FloatsFollowTheDecimalSeparator) {
    using enum FieldType;
    const std::vector<NumberCase> bad = {
        {Double, "1,5,3", false, 0}, {Double, "1.5.3", false, 0}, {Double, "12abc", false, 0},
        {Double, ",", false, 0},     {Double, "1e", false, 0},    {Double, "1e+", false, 0},
        {Double, "1e999", false, 0}, {Double, "INF", false, 0},   {Double, "NAN", false, 0},
        {Double, "1 5", false, 0},   {Double, "+-1", false, 0},   {Currency, "x", false, 0}};
    checkNumbers(bad);
    checkNumbers({{Double, "1,5", true, 1.5},
                  {Double, " -2,25 ", true, -2.25},
                  {Double, "1.5", true, 1.5},
                  {Double, ",5", true, 0.5},
                  {Double, "5,", true, 5},
                  {Double, "+7", true, 7},
                  {Double, "1,5E-2", true, 0.015},
                  {Double, "1e3", true, 1000},
                  {Currency, "100,25", true, 100.25}});
    use("yyyy-MM-dd", "HH:mm:ss", '.');
    checkNumbers(bad);
    checkNumbers({{Double, "1.5", true, 1.5},
                  {Currency, "-0.125", true, -0.125},
                  {Double, "1,5", false, 0}});
}

TEST_F(DorodConvertTest, BooleanWordsInAnyCase) {
    // Windows-1251: "ДА" C4 C0, "да" E4 E0.
    const char* yes[] = {"TRUE", "true", "True",     "YES",      "yes",      "Yes",      "T",
                         "t",    "1",    "\xC4\xC0", "\xE4\xE0", "\xC4\xE0", "\xE4\xC0", " yes "};
    const char* no[] = {"FALSE",
                        "No",
                        "0",
                        "2",
                        "Y",
                        "TRUE1",
                        "\xC4\xC0\xC0",
                        "\xE4",
                        "\xD0\xB4\xD0\xB0" /* "да" in UTF-8 */,
                        "T R U E"};
    for (const char* text : yes) {
        Rec r(FieldType::Boolean);
        EXPECT_TRUE(r.convert(text)) << text;
        EXPECT_TRUE(record::getBoolean(r.buffer.data(), r.f())) << text;
    }
    for (const char* text : no) {
        Rec r(FieldType::Boolean);
        EXPECT_TRUE(r.convert(text)) << text;
        EXPECT_TRUE(r.slotIsZero()) << text;
    }
}

TEST_F(DorodConvertTest, DatesTimesAndDateTimes) {
    using enum FieldType;
    const double mar1 = day(2024, 3, 1);
    checkNumbers({
        {Date, "01.03.2024", true, mar1},
        {Date, " 1.3.2024 ", true, mar1},
        {Date, "01.03.24", true, mar1},
        {Date, "01.03.49", true, day(2049, 3, 1)},
        {Date, "01.03.50", true, day(1950, 3, 1)},
        {Date, "01.03.0024", true, day(24, 3, 1)},
        {Date, "01.01.0001", true, 1},
        {Date, "31.12.9999", true, 3652059},
        {Date, "29.02.2024", true, day(2024, 2, 29)},
        {Date, "31.02.2024", false, 0},
        {Date, "29.02.2023", false, 0},
        {Date, "00.01.2024", false, 0},
        {Date, "01.13.2024", false, 0},
        {Date, "01.03.0000", false, 0},
        {Date, "01/03/2024", false, 0},
        {Date, "2024-03-01", false, 0},
        {Date, "01.03", false, 0},
        {Date, "01.03.", false, 0},
        {Date, "001.03.2024", false, 0},
        {Date, "01.03.20245", false, 0},
        {Date, "01.03.2024x", false, 0},
        {Date, "01.03.2024 12:00", false, 0},
        {Date, "abc", false, 0},
        {Time, "12:30:45", true, 45045000},
        {Time, "1:2:3", true, 3723000},
        {Time, "12:30", true, 45000000},
        {Time, "00:00:00", true, 0},
        {Time, "23:59:59", true, 86399000},
        {Time, "24:00:00", false, 0},
        {Time, "12:60:00", false, 0},
        {Time, "12:30:60", false, 0},
        {Time, "12", false, 0},
        {Time, "12:", false, 0},
        {Time, "12:30:", false, 0},
        {Time, "12:30:45:00", false, 0},
        {Time, "12-30", false, 0},
        {Time, "12:30:45x", false, 0},
        {DateTime, "01.03.2024", true, mar1 * kDay},
        {DateTime, "01.03.2024 12:30:45", true, mar1 * kDay + 45045000},
        {DateTime, " 01.03.2024   12:30 ", true, mar1 * kDay + 45000000},
        {DateTime, "01.03.2024 25:00", false, 0},
        {DateTime, "12:30", false, 0},
        {DateTime, "01.03.2024x12:30", false, 0},
        {DateTime, "31.02.2024 10:00", false, 0},
        {DateTime, "01.03.2024 12:30 x", false, 0},
    });
    use("yyyy-MM-dd", "h:mm:ss.zzz", '.');
    checkNumbers({
        {Date, "2024-03-01", true, mar1},
        {Date, "24-3-1", true, mar1},
        {Date, "01.03.2024", false, 0},
        {Time, "12:30:45.123", true, 45045123},
        {Time, "12:30:45", true, 45045000},
        {Time, "12:30:45.", false, 0},
        {Time, "12:30:45.1234", false, 0},
        {DateTime, "2024-03-01 1:00:00.500", true, mar1 * kDay + 3600500},
    });
    use("yyyyMMdd", "hhmmss", ',');
    checkNumbers({{Date, "20240301", true, mar1},
                  {Date, "2024031", false, 0},
                  {Date, "202403011", false, 0},
                  {Time, "123045", true, 45045000},
                  {Time, "1230", true, 45000000},
                  {Time, "12304", false, 0}});
}

TEST_F(DorodConvertTest, TextsAreCutToTheDeclaredSize) {
    struct Case {
        FieldType type;
        int32_t declared;
        std::string text;
        size_t kept;
    };
    const std::string big(10000, 'x');
    const Case cases[] = {{FieldType::SmallStr, 5, "abcdefgh", 5},
                          {FieldType::SmallStr, 5, " ab ", 4},
                          {FieldType::SmallStr, 35, "\xC4\xC0 \xE4\xE0", 5},
                          {FieldType::String, 10, big, 10},
                          {FieldType::String, 65535, big, 8191},
                          {FieldType::Memo, 0, big, 10000},
                          {FieldType::FmtMemo, 0, "{\\rtf1}", 7}};
    for (const Case& c : cases) {
        Rec r(c.type, c.declared);
        EXPECT_TRUE(r.convert(c.text)) << fieldTypeName(c.type);
        EXPECT_EQ(record::getText(r.buffer.data(), r.f()), c.text.substr(0, c.kept))
            << fieldTypeName(c.type) << " " << c.declared;
    }
    for (FieldType type : {FieldType::Blob, FieldType::Graphic, FieldType::Unknown}) {
        Rec r(type);
        EXPECT_FALSE(r.convert("abc")) << fieldTypeName(type);
        EXPECT_TRUE(r.slotIsZero()) << fieldTypeName(type);
    }
}

TEST_F(DorodConvertTest, EmptyOrBadTextLeavesZerosOverAnOldValue) {
    for (int t = 1; t < kFieldTypeCount; ++t) {
        const auto type = FieldType(t);
        Rec r(type, type == FieldType::SmallStr ? 10 : type == FieldType::String ? 50 : 0);
        std::memset(r.buffer.data() + r.f().offset, 0x5A, r.f().slotSize);
        if (r.f().isReference()) record::setReference(r.buffer.data(), r.f(), nullptr);
        record::setText(r.buffer.data(), r.f(), "old");
        EXPECT_FALSE(r.convert("")) << fieldTypeName(type);
        EXPECT_TRUE(r.slotIsZero()) << fieldTypeName(type);
        if (type != FieldType::Boolean && !r.f().isReference() && type != FieldType::SmallStr) {
            std::memset(r.buffer.data() + r.f().offset, 0x5A, r.f().slotSize);
            EXPECT_FALSE(r.convert("garbage")) << fieldTypeName(type);
            EXPECT_TRUE(r.slotIsZero()) << fieldTypeName(type);
        }
    }
}

TEST_F(DorodConvertTest, EqualValuesGiveEqualBytes) {
    struct Group {
        FieldType type;
        std::vector<const char*> texts;
    };
    const Group groups[] = {
        {FieldType::Integer, {"5", "+5", "05", " 5 "}},
        {FieldType::Double, {"1,5", "1.5", "1,50", "15e-1", "+1,5"}},
        {FieldType::Double, {"0", "-0", "0,0", "-0,0", "0e5"}},
        {FieldType::Date, {"1.3.2024", "01.03.2024", "01.03.24", " 01.3.2024"}},
        {FieldType::Time, {"12:30", "12:30:00", "12:30:0"}},
        {FieldType::DateTime, {"01.03.2024", "01.03.2024 00:00:00", "1.3.24 0:00"}},
    };
    for (const Group& g : groups) {
        Rec first(g.type);
        ASSERT_TRUE(first.convert(g.texts[0]));
        for (const char* text : g.texts) {
            Rec r(g.type);
            EXPECT_TRUE(r.convert(text)) << text;
            EXPECT_EQ(r.slot(), first.slot()) << text << " vs " << g.texts[0];
        }
    }
}

TEST_F(DorodLocaleParseTest, DatesRoundTripUnderEveryFormat) {
    for (const char* format : {"dd.MM.yyyy", "yyyy-MM-dd", "d/M/yyyy", "yyyyMMdd", "MM/dd/yy"}) {
        use(format, "hh:mm:ss", ',');
        const bool twoDigits = std::string(format).find("yyyy") == std::string::npos;
        const int32_t first = twoDigits ? dayNumberFromCivil(1950, 1, 1) : 1;
        const int32_t last = twoDigits ? dayNumberFromCivil(2049, 12, 31) : 3652059;
        for (int32_t d = first; d <= last; d += (d < last - 800 ? 97 : 1))
            ASSERT_EQ(parseDate(formatDate(d)), d) << format << " " << formatDate(d);
    }
}

TEST_F(DorodLocaleParseTest, TimesDateTimesAndFloatsRoundTrip) {
    struct TimeCase {
        const char* format;
        int32_t precision; // what the format keeps of the milliseconds
    };
    for (const TimeCase& c : {TimeCase{"hh:mm:ss", 1000}, TimeCase{"h:mm:ss.zzz", 1},
                              TimeCase{"H.mm", 60000}, TimeCase{"hhmmss", 1000}}) {
        use("dd.MM.yyyy", c.format, ',');
        for (int32_t ms = 0; ms < 86400000; ms += 7777) {
            const int32_t kept = ms - ms % c.precision;
            ASSERT_EQ(parseTime(formatTime(ms)), kept) << c.format << " " << formatTime(ms);
            const double value = 738946.0 * kDay + kept;
            ASSERT_EQ(parseDateTime(formatDateTime(value)), value) << formatDateTime(value);
        }
    }
    for (char separator : {',', '.'}) {
        use("dd.MM.yyyy", "hh:mm:ss", separator);
        for (double v : {0.0, 1.5, -2.25, 0.125, 1234567.125, 100.0, -0.000001, 12.000001})
            EXPECT_DOUBLE_EQ(parseFloat(formatFloat(v)).value_or(-999), v) << separator;
    }
    EXPECT_FALSE(parseDate("").has_value());
    EXPECT_FALSE(parseTime(" ").has_value());
    EXPECT_FALSE(parseFloat("").has_value());
}
