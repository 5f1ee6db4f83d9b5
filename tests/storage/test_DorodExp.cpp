// Filter conditions: the condition grammar, "like" masks and their limits, binding to a
// record store and testing its records, and hostile filter texts.
#include "storage/DorodCursor.h"
#include "storage/DorodDate.h"
#include "storage/DorodExp.h"
#include "storage/DorodLocale.h"
#include "storage/Win1251.h"
#include "support/TableBuilder.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using namespace dorod;
using testsupport::cp1251;

namespace {

std::string repeat(std::string_view s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

const char* opName(TDorodCompareOp op) {
    static const char* names[] = {"?", "=", ">", "<", ">=", "<=", "<>", "LIKE", "*="};
    return names[size_t(op) < 9 ? size_t(op) : 0];
}

// The conditions as "left:kind op right:kind; ...", or "!" and the message.
std::string parse(std::string_view text) {
    try {
        std::string out;
        for (const TDorodCField& c : ParseFilter(text).items) {
            if (!out.empty()) out += "; ";
            if (!c.leftQualifier.empty()) out += c.leftQualifier + ".";
            out += c.leftName + ":" + std::to_string(int(c.leftKind)) + " " + opName(c.op) + " ";
            if (!c.rightQualifier.empty()) out += c.rightQualifier + ".";
            out += c.rightText + ":" + std::to_string(int(c.rightKind));
        }
        return out;
    } catch (const EDorodExprError& e) {
        return std::string("!") + e.what();
    }
}

class LocaleFixture : public ::testing::Test {
protected:
    void SetUp() override {
        saved = formatSettings();
        setFormatSettings(FormatSettings{"dd.MM.yyyy", "hh:mm:ss", ','});
    }
    void TearDown() override { setFormatSettings(saved); }
    FormatSettings saved;
};

using DorodConditionTest = LocaleFixture;

} // namespace

TEST_F(DorodConditionTest, Grammar) {
    struct Case {
        std::string text, expected;
    } cases[] = {
        {cp1251("Summa >= 100 AND Client LIKE 'ИВАН%'"),
         cp1251("Summa:1 >= 100:6; Client:1 LIKE ИВАН%:2")},
        {"t.Summa > u.Slov and a<>b AND c<=1 AND d<2 AND e=3 AND f*=4",
         "t.Summa:1 > u.Slov:1; a:1 <> b:1; c:1 <= 1:6; d:1 < 2:6; e:1 = 3:6; f:1 *= 4:6"},
        {"Summa > -5", "Summa:1 > -5:6"},
        {"Summa = 100,5", "Summa:1 = 100,5:6"},
        {cp1251("'Имя' = \"x\""), cp1251("Имя:2 = x:2")},
        {"a = NULL AND b = true AND c = FALSE", "a:1 = NULL:13; b:1 = TRUE:20; c:1 = FALSE:21"},
        {"A = 1 GROUP BY A", "A:1 = 1:6"},
        {"a = 1 AND b", "a:1 = 1:6"}, // an unfinished condition is dropped
        {"Summa >", ""},
        {"a = 1 AND", "a:1 = 1:6"},
        {"", ""},
        {"Summa > - Slov", "!Error in comparison expression"},
        {"Summa > -", "!Error in comparison expression"},
        {"Summa > +5", "!Error in comparison expression"},
        {"Summa > 10 OR Summa < 5", "!Error in comparison expression"},
        {"NOT a = 1", "!Error in comparison expression"},
        {"(a = 1)", "!Error in comparison expression"},
        {"SUM(Summa) > 5", "!Error in comparison expression"},
        {"1 = a", "!Error in comparison expression"},
        {"a SELECT 1", "!Error in comparison expression"},
        {"a = SELECT", "!Error in comparison expression"},
        {"a = *", "!Error in comparison expression"},
        {"a = 1 b = 2", "!Error in comparison expression"},
        {"a = 1 GROUP a", "!Error in comparison expression"},
        {"a = 1 GROUP", "!Error in comparison expression"},
        {"x.y.z = 1", "!Error in comparison expression"},
        {"a = 1.5", "!Error in comparison expression"}, // "." is no decimal separator here
    };
    for (const Case& c : cases)
        EXPECT_EQ(parse(c.text), c.expected) << "input: " << c.text;
}

TEST_F(DorodConditionTest, ReturnsTheIndexOfByAndStartsWhereTold) {
    TDorodParser parser;
    parser.Tokenize("WHERE a = 1 AND b = 2 GROUP BY a");
    TDorodCFieldList list;
    EXPECT_EQ(ParseConditions(parser.Tokens(), 1, list), 9u);
    EXPECT_EQ(list.size(), 2u);
    EXPECT_EQ(ParseConditions(parser.Tokens(), 5, list), 9u);
    EXPECT_EQ(list.size(), 3u); // appended
    EXPECT_EQ(ParseConditions(parser.Tokens(), 10, list), 0u);
}

// ------------------------------------------------------------------------------ masks

namespace {

// The matcher exactly as described, with its whole stack of resume points; the real
// one keeps only the latest point and must answer the same.
bool referenceMatch(const TDorodMask& mask, std::string_view text) {
    const auto items = mask.Items();
    const size_t n = text.size();
    auto up = [&](size_t p) { return win1251::kUpper[uint8_t(text[p])]; };
    std::vector<std::pair<size_t, size_t>> stack;
    size_t item = 0, pos = 0;
    while (item < items.size()) {
        const TDorodMask::Item& it = items[item];
        if (it.afterWildcard) {
            while (pos < n && up(pos) != it.ch)
                ++pos;
            if (pos < n) stack.emplace_back(item, pos + 1);
        }
        EXPECT_LE(stack.size(), 30u);
        const bool ok = it.anyChar ? pos < n : it.ch == 0 ? pos == n : pos < n && up(pos) == it.ch;
        if (ok) {
            ++item, ++pos;
        } else if (stack.empty()) {
            return false;
        } else {
            std::tie(item, pos) = stack.back();
            stack.pop_back();
        }
    }
    return true;
}

} // namespace

TEST(DorodMask, MatchesWholeTextsWithoutRegardToCase) {
    struct Case {
        std::string mask, text;
        bool match;
    } cases[] = {
        {cp1251("ив%"), cp1251("Иванов"), true},
        {cp1251("ив%"), cp1251("ИВАНОВА"), true},
        {cp1251("ив%"), cp1251("Петров"), false},
        {cp1251("ив"), cp1251("Иванов"), false},
        {cp1251("ив"), cp1251("ИВ"), true},
        {cp1251("ё%"), cp1251("Ёлка"), true},
        {cp1251("%ов"), cp1251("Иванов"), true},
        {cp1251("%ов"), cp1251("Иванова"), false},
        {"a_", "a", false},
        {"a_", "aB", true},
        {"a?", "ab", true},
        {"%_", "", true},
        {"%__", "", true}, /* "_" is ignored while "%" is pending */
        {"_%", "", false},
        {"_%", "x", true},
        {"%", "", true},
        {"*", "any text", true},
        {"", "", true},
        {"", "a", false},
        {"a%c", "abbbc", true},
        {"a%c", "ac", true},
        {"a%c", "ab", false},
        {"*b*", "abc", true},
        {"%ab", "aab", true},
        {"%aab", "aaab", true},
        {"%a_c", "abxac", false},
        {"%a_c", "abxabc", true},
        {"%a%b", "xxaxxbxb", true},
        {"%%%a", "xa", true},
        {"100%", "1000", true},
        {"ab", std::string("ab\0cd", 5), true},
    };
    for (const Case& c : cases) {
        const TDorodMask mask(c.mask);
        EXPECT_EQ(mask.Matches(c.text), c.match) << c.mask << " / " << c.text;
    }
}

TEST(DorodMask, Limits) {
    EXPECT_NO_THROW(TDorodMask{std::string(128, 'a')});
    EXPECT_TRUE(TDorodMask(repeat("%a", 30)).Matches(repeat("xa", 30)));
    EXPECT_NO_THROW(TDorodMask{std::string(10000, '%')});

    struct Case {
        std::string mask, message;
    } cases[] = {
        {repeat("%a", 31), "'" + repeat("%a", 31) + "' is an invalid mask at (62)"},
        {repeat("%a", 30) + "%", "'" + repeat("%a", 30) + "%' is an invalid mask at (62)"},
        {repeat("%%a", 30) + "%?_?b",
         "'" + repeat("%%a", 30) + "%?_?b' is an invalid mask at (95)"},
        {std::string(129, 'a'),
         "'" + std::string(129, 'a') + "' is an invalid mask: more than 128 characters"},
        {std::string(10000, '_'),
         "'" + std::string(10000, '_') + "' is an invalid mask: more than 128 characters"},
    };
    for (const Case& c : cases) {
        try {
            TDorodMask mask(c.mask);
            ADD_FAILURE() << "accepted " << c.mask.substr(0, 40);
        } catch (const EDorodExprError& e) {
            EXPECT_EQ(e.what(), c.message);
            EXPECT_FALSE(e.ForDataset());
        }
    }
    TDorodMask mask("x");
    std::string message;
    EXPECT_FALSE(mask.Assign(repeat("%a", 31), message));
    EXPECT_TRUE(mask.Matches("")); // a rejected mask leaves the empty mask
}

TEST(DorodMask, AgreesWithTheFullBacktrackingMatcher) {
    std::mt19937 rng(1251);
    const std::string maskChars = "ab%_?*A";
    const std::string textChars = "abAB";
    for (int round = 0; round < 20000; ++round) {
        std::string m, t;
        for (int i = int(rng() % 9); i > 0; --i)
            m += maskChars[rng() % maskChars.size()];
        for (int i = int(rng() % 11); i > 0; --i)
            t += textChars[rng() % textChars.size()];
        const TDorodMask mask(m);
        ASSERT_EQ(mask.Matches(t), referenceMatch(mask, t)) << m << " / " << t;
    }
}

TEST(DorodMask, LongTextsAgreeWithTheFullMatcher) {
    // Letters are looked for sixteen positions at a time ("%text%" as one search, other
    // masks item by item); texts long enough for that, with zero bytes that end them early.
    std::mt19937 rng(866);
    const std::string textChars = std::string("abAB") + '\0';
    for (int round = 0; round < 8000; ++round) {
        std::string m = "%", t;
        for (int i = 1 + int(rng() % 5); i > 0; --i)
            m += "abAB"[rng() % 4];
        if (round % 2 == 1) {
            m += round % 4 == 1 ? "%" : "_";
            for (int i = 1 + int(rng() % 3); i > 0; --i)
                m += "abAB"[rng() % 4];
        }
        if (round % 8 != 7) m += '%';
        for (int i = int(rng() % 70); i > 0; --i)
            t += textChars[rng() % (rng() % 8 == 0 ? textChars.size() : textChars.size() - 1)];
        const TDorodMask mask(m);
        ASSERT_EQ(mask.Matches(t),
                  referenceMatch(mask, std::string_view(t).substr(0, t.find('\0'))))
            << m << " / " << t;
    }
}

TEST(DorodMask, ManyWildcardsOverALongTextDoNotBacktrackExponentially) {
    // Exponential backtracking would not finish within the test run's time limit.
    const TDorodMask mask(repeat("%a", 29) + "%b");
    EXPECT_FALSE(mask.Matches(std::string(20000, 'a')));
    EXPECT_TRUE(mask.Matches(std::string(20000, 'a') + "b"));
}

// ------------------------------------------------------------- binding and records

namespace {

TDorodField field(std::string name, FieldType type, int32_t size = 0) {
    TDorodField f;
    f.name = std::move(name);
    f.type = type;
    f.declaredSize = size;
    return f;
}

class DorodFilterTest : public LocaleFixture {
protected:
    void SetUp() override {
        LocaleFixture::SetUp();
        std::string message;
        ASSERT_TRUE(store.DefineFields(
            {field("id", FieldType::Integer), field("Client", FieldType::SmallStr, 30),
             field("Other", FieldType::SmallStr, 10), field("Name", FieldType::String, 100),
             field("Summa", FieldType::Double), field("Price", FieldType::Currency),
             field("Slov", FieldType::Integer), field("indate", FieldType::Date),
             field("Flag", FieldType::Boolean), field("Big", FieldType::Int64),
             field("Small", FieldType::SmallInt), field("Pattern", FieldType::String, 100),
             field(cp1251("Имя"), FieldType::SmallStr, 10)},
            message));
        const int32_t d10 = dayNumberFromCivil(2024, 1, 10), d12 = dayNumberFromCivil(2024, 1, 12);
        add(1, "Иванов", "Иванов", 150, 150, 10, d10, true, 5, "ив%", "");
        add(2, "ИВАНОВА", "x", 99.5, 20, 5, d10 + 1, false, 0, "%а", "x");
        add(3, "Петров", "Петр", -7, -7, d12, d12, true, -1, "x%", "");
        add(4, "", "", 0, 0, 3, 0, false, 0, repeat("%a", 31), "");
        add(5, "a", "A", 100.5, 100.5, 0, d10, false, 0, "", "");
    }

    void add(int32_t id, std::string_view client, std::string_view other, double summa,
             double price, int32_t slov, int32_t date, bool flag, int64_t big,
             const std::string& pattern, std::string_view name2) {
        TDorodRecordBuffer b(store.Layout());
        auto f = [&](const char* n) { return *store.FindField(n); };
        record::setInt32(b.data(), f("id"), id);
        record::setText(b.data(), f("Client"), cp1251(client));
        record::setText(b.data(), f("Other"), cp1251(other));
        record::setText(b.data(), f("Name"), cp1251(client));
        record::setDouble(b.data(), f("Summa"), summa);
        record::setDouble(b.data(), f("Price"), price);
        record::setInt32(b.data(), f("Slov"), slov);
        record::setInt32(b.data(), f("indate"), date);
        record::setBoolean(b.data(), f("Flag"), flag);
        record::setInt64(b.data(), f("Big"), big);
        record::setInt16(b.data(), f("Small"), int16_t(big));
        record::setText(b.data(), f("Pattern"), cp1251(pattern));
        record::setText(b.data(), *store.Field(12), name2);
        store.AppendStoredRecord(b.data());
    }

    // The ids of the records that pass, or "!" and the message ("[dataset]" marks a
    // dataset error).
    std::string run(std::string_view text, bool caseInsensitive = false) {
        try {
            TDorodCFieldList list = ParseFilter(text);
            list.Bind(store);
            std::string out;
            for (const TDorodRecordEntry* e : store.Entries())
                if (list.TestRecord(store, e->data(), caseInsensitive))
                    out += (out.empty() ? "" : " ") +
                           std::to_string(record::getInt32(e->data(), *store.Field(0)));
            return out;
        } catch (const EDorodExprError& e) {
            return std::string("!") + e.what() + (e.ForDataset() ? " [dataset]" : "");
        }
    }

    TDorodCursor store;
};

} // namespace

TEST_F(DorodFilterTest, RecordsThatPass) {
    struct Case {
        std::string text, ids;
        bool caseInsensitive = false;
    } cases[] = {
        {cp1251("Client LIKE 'ив%'"), "1 2"},
        {cp1251("Client LIKE 'ив'"), ""},
        {cp1251("client like 'иванов_'"), "2"},
        {"Client LIKE '%'", "1 2 3 4 5"},
        {"Client LIKE '%_'", "1 2 3 4 5"},
        {"Client LIKE '_%'", "1 2 3 5"},
        {"Client LIKE NULL", "4"},
        {"Client LIKE '" + std::string(10000, '%') + "'", "1 2 3 4 5"},
        {"Summa LIKE '1%'", "1 5"}, // display texts "150" and "100,5"
        {"Flag LIKE 'y%'", "1 3"},
        {"indate LIKE '10.01%'", "1 5"},
        {"Client LIKE Pattern", "1 2"}, // record 4's pattern is no valid mask
        {"Summa > -5", "1 2 4 5"},
        {"Summa < -5", "3"},
        {"Summa = 100,5", "5"},
        {cp1251("Summa >= 100 AND Client LIKE 'ИВАН%'"), "1"},
        {"Flag = TRUE", "1 3"},
        {cp1251("Flag = 'да'"), "1 3"},
        {"Flag = FALSE", "2 4 5"},
        {"Flag < FALSE", "1 3"}, // true orders before false
        {"Client = NULL", "4"},
        {"Summa = NULL", "4"},
        {"Client <> NULL", "1 2 3 5"},
        {"Client = ''", "4"},
        {"Client = 'Other'", "1 4"}, // a quoted field name compares with that field
        {"Client = Other", "1 4 5", true},
        {"Client > Other", "2 3 5"},
        {cp1251("Client = 'иванов'"), ""},
        {cp1251("Client = 'иванов'"), "1", true},
        {"Slov = indate", "3"}, // Integer and Date compare as integers
        {"Summa = Price", "1 3 4 5"},
        {"Big = 5 AND Small = 5", "1"},
        {"Small < 0", "3"},
        {"Summa *= 5", "1 2 3 4 5"},
        {"Slov = 5 GROUP BY Slov", "2"},
        {"Slov = " + std::string(5000, '9'), "5"}, // no integer: compares with 0
        {cp1251("'Имя' = 'x' AND \"ИМЯ\" >= 'x'"), "2"},
        {"Nope = 1", "!Field Nope is not found [dataset]"},
        {"Client = Nope", "!Field Nope is not found [dataset]"},
        {"Client = 'Nope'", ""},
        {"Client = Name", "!Types of compared fields are not equal [dataset]"},
        {"Name = 'Client'", "!Types of compared fields are not equal [dataset]"},
        {"Summa = Slov", "!Types of compared fields are not equal [dataset]"},
        {"Big *= Small", "!Types of compared fields are not equal [dataset]"},
        {"Client LIKE '" + repeat("%a", 31) + "'",
         "!'" + repeat("%a", 31) + "' is an invalid mask at (62)"},
        {"Summa > 10 OR Summa < 5", "!Error in comparison expression"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(run(c.text, c.caseInsensitive), c.ids) << "filter: " << c.text.substr(0, 60);
}

TEST_F(DorodFilterTest, BindingCompletesTheConditions) {
    TDorodCFieldList list = ParseFilter("Flag = TRUE AND Client = 'other' AND Summa > -5 AND "
                                        "Client LIKE 'a%' AND Slov = NULL");
    EXPECT_FALSE(list.TestRecord(store, store.Entry(0)->data(), false)); // not bound yet
    list.Bind(store);
    const std::vector<std::string> literals = {"TRUE", "", "-5", "a%", ""};
    for (size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(list.items[i].literal, literals[i]) << i;
        EXPECT_EQ(list.items[i].mask != nullptr, i == 3) << i;
    }
    EXPECT_EQ(list.items[1].rightField, store.FieldIndex("Other"));
    EXPECT_TRUE(TDorodCFieldList{}.TestRecord(store, store.Entry(0)->data(), false));
}

TEST_F(DorodFilterTest, HostileTextsGiveAMessageNeverACrash) {
    const char* formats[] = {
        msg::UnmatchedParentheses, msg::InvalidNumber,     msg::ComparisonError,
        msg::UnsupportedFunction,  msg::SymbolInAggregate, msg::UnmatchedQuote,
        msg::InvalidSymbol,        msg::InvalidIdentifier, msg::FieldNotFound,
        msg::TypesNotEqual,        msg::InvalidMask,       msg::MaskTooLong};
    auto known = [&](const std::string& m) {
        for (std::string_view f : formats) {
            const size_t first = f.find('%'), last = f.rfind('%');
            if (first == std::string_view::npos
                    ? m == f
                    : m.starts_with(f.substr(0, first)) && m.ends_with(f.substr(last + 2)))
                return true;
        }
        return false;
    };
    std::vector<std::string> texts = {"Client = 'abc",
                                      "Client = \"abc'",
                                      "((Client = 1",
                                      "Client = 1))",
                                      cp1251("Клиент = 1"),
                                      "Summa = " + std::string(100000, '1'),
                                      "Client LIKE '" + repeat("%x", 5000) + "'",
                                      "Client LIKE '" + std::string(10000, '?') + "'",
                                      std::string("\x01\x02\x03\x7f\xff", 5),
                                      "COUNT(*) > 1",
                                      "Client LIKE " + std::string(10000, '*')};
    std::mt19937 rng(7);
    std::string alphabet =
        "ab Client Summa LIKE AND GROUP BY SUM( ) ' \" - . , = < > * % _ 5 \x01\xc8";
    alphabet += '\0';
    for (int i = 0; i < 3000; ++i) {
        std::string t;
        for (int n = int(rng() % 30); n > 0; --n)
            t += alphabet[rng() % alphabet.size()];
        texts.push_back(t);
    }
    for (const std::string& t : texts) {
        const std::string result = run(t);
        if (result.starts_with("!")) {
            std::string m = result.substr(1);
            if (m.ends_with(" [dataset]")) m.resize(m.size() - 10);
            EXPECT_TRUE(known(m)) << m;
        }
    }
}
