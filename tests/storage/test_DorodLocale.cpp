// Day numbers of stored dates and the display texts of dates, times and numbers.
#include "storage/DorodDate.h"
#include "storage/DorodLocale.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

using namespace dorod;

namespace {

class DorodLocaleTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved = formatSettings();
        setFormatSettings(FormatSettings{});
    }
    void TearDown() override { setFormatSettings(saved); }
    void use(const char* date, const char* time, char separator) {
        setFormatSettings(FormatSettings{date, time, separator});
    }
    FormatSettings saved;
};

} // namespace

TEST(DorodDate, KnownDayNumbers) {
    struct Case {
        int32_t y, m, d, day;
    };
    const Case cases[] = {{1, 1, 1, 1},          {1899, 12, 30, 693594}, {1900, 1, 1, 693596},
                          {1900, 2, 28, 693654}, {1900, 3, 1, 693655},   {2000, 1, 1, 730120},
                          {2000, 2, 29, 730179}, {2000, 3, 1, 730180},   {2024, 2, 28, 738944},
                          {2024, 3, 1, 738946},  {9999, 12, 31, 3652059}};
    for (const Case& c : cases) {
        EXPECT_EQ(dayNumberFromCivil(c.y, c.m, c.d), c.day) << c.y << "-" << c.m << "-" << c.d;
        const CivilDate back = civilFromDayNumber(c.day);
        EXPECT_EQ((std::array<int32_t, 3>{back.year, back.month, back.day}),
                  (std::array<int32_t, 3>{c.y, c.m, c.d}))
            << c.day;
    }
}

TEST(DorodDate, EveryDayUpTo9999FollowsThePreviousOne) {
    CivilDate prev = civilFromDayNumber(1);
    for (int32_t day = 2; day <= 3652059; ++day) {
        const CivilDate c = civilFromDayNumber(day);
        const bool nextDay = c.year == prev.year && c.month == prev.month && c.day == prev.day + 1;
        const bool nextMonth = c.year == prev.year && c.month == prev.month + 1 && c.day == 1 &&
                               !isValidCivil(prev.year, prev.month, prev.day + 1);
        const bool nextYear = c.year == prev.year + 1 && c.month == 1 && c.day == 1 &&
                              prev.month == 12 && prev.day == 31;
        ASSERT_TRUE(nextDay || nextMonth || nextYear) << "day " << day;
        ASSERT_TRUE(isValidCivil(c.year, c.month, c.day)) << "day " << day;
        ASSERT_EQ(dayNumberFromCivil(c.year, c.month, c.day), day);
        prev = c;
    }
    EXPECT_FALSE(isValidCivil(2023, 13, 1));
    EXPECT_FALSE(isValidCivil(2023, 1, 0));
    EXPECT_FALSE(isValidCivil(0, 1, 1));
}

TEST_F(DorodLocaleTest, DatesAndTimesWithDefaultFormats) {
    EXPECT_EQ(formatDate(730120), "01.01.2000");
    EXPECT_EQ(formatDate(1), "01.01.0001");
    EXPECT_EQ(formatDate(693594), "30.12.1899");
    EXPECT_EQ(formatTime(0), "00:00:00");
    EXPECT_EQ(formatTime(3723004), "01:02:03");
    EXPECT_EQ(formatTime(86399999), "23:59:59");
    EXPECT_EQ(formatDateTime(730120.0 * 86400000.0), "01.01.2000");
    EXPECT_EQ(formatDateTime(730120.0 * 86400000.0 + 3723004.0), "01.01.2000 01:02:03");
    EXPECT_EQ(formatDateTime(693594.0 * 86400000.0 + 43200000.0), "30.12.1899 12:00:00");
}

TEST_F(DorodLocaleTest, DatesAndTimesWithChangedFormats) {
    use("d/M/yy", "h:mm:ss.zzz", '.');
    EXPECT_EQ(formatDate(730120), "1/1/00");
    EXPECT_EQ(formatDate(738946), "1/3/24");
    EXPECT_EQ(formatTime(3723004), "1:02:03.004");
    EXPECT_EQ(formatDateTime(738946.0 * 86400000.0 + 45296007.0), "1/3/24 12:34:56.007");
    use("yyyy-MM-dd", "hh.mm", ',');
    EXPECT_EQ(formatDate(738946), "2024-03-01");
    EXPECT_EQ(formatTime(45296007), "12.34");
}

TEST_F(DorodLocaleTest, FloatsKeepAtMostSixDecimals) {
    const std::pair<double, const char*> cases[] = {
        {1.5, "1,5"},      {2.0, "2"},       {0.1234567, "0,123457"},      {-0.0, "0"},
        {0.0, "0"},        {-2.25, "-2,25"}, {1234567.125, "1234567,125"}, {0.0000004, "0"},
        {-0.0000004, "0"}, {100.0, "100"},   {12.000001, "12,000001"}};
    for (const auto& [value, text] : cases)
        EXPECT_EQ(formatFloat(value), text) << value;
    use("dd.MM.yyyy", "hh:mm:ss", '.');
    EXPECT_EQ(formatFloat(1.5), "1.5");
    EXPECT_EQ(formatFloat(-0.0), "0");
}
