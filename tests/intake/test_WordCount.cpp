// Counting and pricing as the desk sells announcements: words of four characters or more,
// the limit, the category a text suggests, the sum and the numbers of the status bar.
#include "desk/Settings.h"
#include "intake/Price.h"
#include "intake/WordCount.h"
#include "platform/TextCodec.h"
#include "storage/DorodLocale.h"

#include <gtest/gtest.h>

using namespace vornelta;

namespace {

QString q(const char* utf8) {
    return QString::fromUtf8(utf8);
}

struct WordCase {
    const char* text;
    int words;
};

class WordCountTest : public ::testing::TestWithParam<WordCase> {};

TEST_P(WordCountTest, CountsTokensOfFourOrMoreCharacters) {
    EXPECT_EQ(countWords(q(GetParam().text)), GetParam().words) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Tokens, WordCountTest,
                         ::testing::Values(
                             // 4, 3, 3, 2, 10 and 4 characters: a verb, a room count, an
                             // abbreviation, a preposition, an adjective, a noun.
                             WordCase{"Сдам 2-к кв. в прекрасном доме", 3}, WordCase{"", 0},
                             WordCase{"   ", 0},
                             WordCase{"Сдам  гараж", 2},              // two spaces count as one
                             WordCase{" Сдам гараж ", 2},             // leading and trailing spaces
                             WordCase{"три", 0}, WordCase{"four", 1}, // the threshold
                             WordCase{"т., а/я", 0},
                             WordCase{"т.е., а/я", 1},     // punctuation belongs to the token
                             WordCase{"Продам\tгараж", 1}, // only the space separates
                             WordCase{"КВАРТИРА,ГАРАЖ", 1}));

TEST(WordCount, LimitMessageComesOnlyAboveTheLimit) {
    EXPECT_FALSE(exceedsCharacterLimit(q("12345"), 5));
    EXPECT_TRUE(exceedsCharacterLimit(q("123456"), 5));
    EXPECT_FALSE(exceedsCharacterLimit(QString(), 0));
    EXPECT_TRUE(exceedsCharacterLimit(q("а"), 0)); // no limit entered: every text is over it
    EXPECT_EQ(characterLimitMessage(250),
              q("Установлено ограничение на количество символов ! 250"));
}

TEST(WordCount, SubjectCategoryFromKeywordsInAnyCase) {
    EXPECT_EQ(suggestedSubjectCategory(q("продам квартиру")), q("НЕДВИЖИМОСТЬ"));
    EXPECT_EQ(suggestedSubjectCategory(q("Продам АвтоМобиль")), q("АВТОТРАНСПОРТ"));
    // Both words: the car wins, whichever comes first.
    EXPECT_EQ(suggestedSubjectCategory(q("автомобиль за квартиру")), q("АВТОТРАНСПОРТ"));
    EXPECT_EQ(suggestedSubjectCategory(q("квартиру за автомобиль")), q("АВТОТРАНСПОРТ"));
    EXPECT_FALSE(suggestedSubjectCategory(q("Сдам гараж")).has_value());
    EXPECT_TRUE(mentionsFlats(q("КвАрТиРы")));
    EXPECT_FALSE(mentionsFlats(q("квартал")));
    EXPECT_EQ(upperCased(q("ёлка ünd")), q("ЁЛКА ÜND"));
}

class PriceTest : public ::testing::Test {
protected:
    PriceTest() {
        settings.WordPrice = 2.5;
        settings.WordPriceP = 3;
        settings.WordPriceUr = 4.75;
        settings.PricePovtor = 10;
    }
    ~PriceTest() override { dorod::setFormatSettings(m_saved); }
    TSettings settings;

private:
    dorod::FormatSettings m_saved = dorod::formatSettings();
};

TEST_F(PriceTest, WordsTimesDaysTimesRatePlusOneRepeat) {
    EXPECT_DOUBLE_EQ(computeSum(12, 3, settings, true), 100);
    EXPECT_DOUBLE_EQ(computeSum(12, 3, settings, false), 90);
    EXPECT_DOUBLE_EQ(computeSum(0, 5, settings, true), 10); // an empty text pays the repeat only
    EXPECT_DOUBLE_EQ(computeSum(12, 0, settings, false), 0);
    settings.WordPrice = 0;
    EXPECT_DOUBLE_EQ(computeSum(12, 3, settings, false), 0);
}

TEST_F(PriceTest, RatePanelShowsTheCategoryRateOrNothing) {
    EXPECT_EQ(rateOfClientCategory(q("ФИЗЛИЦА"), settings), 2.5);
    EXPECT_EQ(rateOfClientCategory(q("ПРЕДПРИНИМАТЕЛИ"), settings), 3);
    EXPECT_EQ(rateOfClientCategory(q("ЮРЛИЦА"), settings), 4.75);
    EXPECT_FALSE(rateOfClientCategory(q("юрлица"), settings).has_value());
    EXPECT_FALSE(rateOfClientCategory(QString(), settings).has_value());
}

struct RoundCase {
    double value;
    double rounded;
};

TEST_F(PriceTest, SumBoxRoundsHalfAwayFromZero) {
    for (const RoundCase& c :
         {RoundCase{0.125, 0.13}, RoundCase{1.005, 1.01}, RoundCase{2.675, 2.68},
          RoundCase{0.124999, 0.12}, RoundCase{10.0 / 3, 3.33}, RoundCase{-0.125, -0.13},
          RoundCase{100, 100}})
        EXPECT_DOUBLE_EQ(roundToKopecks(c.value), c.rounded) << c.value;
}

TEST_F(PriceTest, PanelNumbersInTheShortestFormOfTheLocale) {
    dorod::FormatSettings russian;
    russian.decimalSeparator = ',';
    dorod::setFormatSettings(russian);
    EXPECT_EQ(formatPanelNumber(2.5), q("2,5"));
    EXPECT_EQ(formatPanelNumber(100), q("100"));
    EXPECT_EQ(formatPanelNumber(1234567), q("1234567")); // no grouping
    EXPECT_EQ(formatPanelNumber(0.1 + 0.2), q("0,3"));   // 15 significant digits
    EXPECT_EQ(formatPanelNumber(1e20), q("100000000000000000000"));
    dorod::FormatSettings point = russian;
    point.decimalSeparator = '.';
    dorod::setFormatSettings(point);
    EXPECT_EQ(formatPanelNumber(2.5), q("2.5"));
    EXPECT_EQ(StatusPanels::rate(4.75), q("Цена : 4.75"));
    EXPECT_EQ(StatusPanels::computedSum(90), q("Расчетная сумма: 90"));
    EXPECT_EQ(StatusPanels::actualSum(0), q("Сумма фактически: 0"));
    EXPECT_EQ(StatusPanels::characters(0), q("Символов: 0"));
    EXPECT_EQ(StatusPanels::words(3), q("Слов: 3"));
    EXPECT_EQ(StatusPanels::days(2), q("Дней: 2"));
}

} // namespace
