// The filter lexer: token kinds and texts of the whole keyword set, quoting, numbers
// under both decimal separators, aggregates, and the lexer's error messages.
#include "storage/DorodLex.h"
#include "storage/DorodLocale.h"
#include "storage/Win1251.h"
#include "support/TableBuilder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace dorod;
using testsupport::cp1251;

namespace {

// Short names of the token kinds, indexed by the kind's code (19 is unused).
const char* const kKindNames[] = {"?",    "id",  "str", "comma", "dot",   "kw",   "num",   "star",
                                  "sign", "log", "cmp", "open",  "close", "null", "count", "sum",
                                  "max",  "min", "avg", "?",     "true",  "false"};

// The tokens as "kind(text) ...", or "!" and the message.
std::string lex(std::string_view text) {
    TDorodParser parser;
    try {
        parser.Tokenize(text);
    } catch (const EDorodExprError& e) {
        return std::string("!") + e.what();
    }
    std::string out;
    for (const TDorodToken& t : parser.Tokens())
        out +=
            (out.empty() ? "" : " ") + std::string(kKindNames[size_t(t.kind)]) + "(" + t.text + ")";
    return out;
}

class DorodLexTest : public ::testing::Test {
protected:
    void SetUp() override { saved = formatSettings(); }
    void TearDown() override { setFormatSettings(saved); }
    static void separator(char c) {
        setFormatSettings(FormatSettings{"dd.MM.yyyy", "hh:mm:ss", c});
    }
    FormatSettings saved;
};

struct Case {
    std::string text;
    std::string expected;
};

void check(const std::vector<Case>& cases) {
    for (const Case& c : cases)
        EXPECT_EQ(lex(c.text), c.expected) << "input: " << c.text;
}

} // namespace

TEST_F(DorodLexTest, KindsAndTexts) {
    separator('.');
    check({
        {"Summa >= 100 AND Client LIKE 'x%'",
         "id(Summa) cmp(>=) num(100) log(AND) id(Client) kw(LIKE) str(x%)"},
        {"select distinct t.a as b from t left join u on a=b where not x or y group by a",
         "kw(SELECT) kw(DISTINCT) id(t) dot(.) id(a) kw(AS) id(b) kw(FROM) id(t) kw(LEFT) "
         "kw(JOIN) id(u) kw(ON) id(a) cmp(=) id(b) kw(WHERE) log(NOT) id(x) log(OR) id(y) "
         "kw(GROUP) kw(BY) id(a)"},
        {"a = null AND b = True AND c = fAlSe", "id(a) cmp(=) null(NULL) log(AND) id(b) cmp(=) "
                                                "true(TRUE) log(AND) id(c) cmp(=) false(FALSE)"},
        {"sum + max - min / avg * count", "kw(SUM) sign(+) kw(MAX) sign(-) kw(MIN) sign(/) "
                                          "kw(AVG) star(*) kw(COUNT)"},
        {"a<>b<=c>=d*=e", "id(a) cmp(<>) id(b) cmp(<=) id(c) cmp(>=) id(d) cmp(*=) id(e)"},
        {"a=<b><c", "id(a) cmp(=) cmp(<) id(b) cmp(>) cmp(<) id(c)"},
        {"(a,b).c", "open(() id(a) comma(,) id(b) close()) dot(.) id(c)"},
        {")(", "close()) open(()"},
        {"_x1 X$", "!Parameter X$ is not valid identifier"},
        {"$", "!Parameter $ is not valid identifier"},
        {"_x1 = A_b9", "id(_x1) cmp(=) id(A_b9)"},
        {"ab#", "!Invalid symbol in parameter/identificator/reserved word"},
        {"a ; b", "!Invalid symbol in parameter/identificator/reserved word"},
        {"a\x01"
         "b",
         "!Invalid symbol in parameter/identificator/reserved word"},
        {"\x01\x02 a \t\r\n = \n1 \x7f",
         "!Invalid symbol in parameter/identificator/reserved word"},
        {"\x01\x02 a \t\r\n = \n1 \x1f", "id(a) cmp(=) num(1)"},
        {std::string("a = 1 \0 #$%", 11), "id(a) cmp(=) num(1)"},
        {"", ""},
        {" \t ", ""},
    });
}

TEST_F(DorodLexTest, QuotedTexts) {
    check({
        {"'it''s'", "str(it's)"},
        {"\"say \"\"hi\"\"\"", "str(say \"hi\")"},
        {"'a\"b' \"a'b\"", "str(a\"b) str(a'b)"},
        {"'' \"\"", "str() str()"},
        {"'a'b", "str(a) id(b)"},
        {"'  spaced  '", "str(  spaced  )"},
        {cp1251("'Имя' = 'Ё(*)'"), cp1251("str(Имя) cmp(=) str(Ё(*))")},
        {"x = '", "id(x) cmp(=)"}, // an opening quote as the last character: nothing
        {"'", ""},
        {"x = 'abc", "!Unmatched quote"},
        {"x = \"abc'", "!Unmatched quote"},
        {"x = 'abc''", "!Unmatched quote"},
        {"'(' = ')'", "str(() cmp(=) str())"}, // parentheses in quotes are not counted
    });
}

TEST_F(DorodLexTest, CyrillicOutsideQuotesIsAnInvalidSymbol) {
    check({{cp1251("Имя = 'x'"), "!Invalid symbol in parameter/identificator/reserved word"},
           {cp1251("a = Иванов"), "!Invalid symbol in parameter/identificator/reserved word"},
           {cp1251("abц"), "!Invalid symbol in parameter/identificator/reserved word"}});
}

TEST_F(DorodLexTest, NumbersFollowTheDecimalSeparator) {
    separator(',');
    check({{"Summa = 100,5", "id(Summa) cmp(=) num(100,5)"},
           {"12.5", "num(12) dot(.) num(5)"},
           {"5-3 -5 - 5", "num(5-3) sign(-) num(5) sign(-) num(5)"},
           {"9abc", "num(9) id(abc)"},
           {"1,2,", "num(1,2,)"}});
    separator('.');
    check({{"Summa = 100,5", "id(Summa) cmp(=) num(100) comma(,) num(5)"},
           {"12.5", "num(12.5)"},
           {std::string(20000, '9'), "num(" + std::string(20000, '9') + ")"}});
}

TEST_F(DorodLexTest, Aggregates) {
    check({
        {"SUM(Summa) > 5", "sum(SUM) id(Summa) cmp(>) num(5)"},
        {"count(a) max(b) MIN(c) Avg(t.d)",
         "count(COUNT) id(a) max(MAX) id(b) min(MIN) id(c) avg(AVG) id(t) dot(.) id(d)"},
        {"sum (a)", "kw(SUM) open(() id(a) close())"},
        {"COUNT(*)", "!Symbol * is not supported in aggregate function argument"},
        {"AVG(a+b)", "!Symbol + is not supported in aggregate function argument"},
        {"MAX((a))", "!Symbol ( is not supported in aggregate function argument"},
        {"SUM(a", "sum(SUM) id(a)"}, // the aggregate's "(" is not counted
        {"SUM(a))", "!Unmatched parentheses"},
        {"like(x)", "!Unsupported function LIKE in query"},
        {"Select(1)", "!Unsupported function SELECT in query"},
        {"NOT(a) AND(b)", "log(NOT) open(() id(a) close()) log(AND) open(() id(b) close())"},
        {"null(1)", "null(NULL) open(() num(1) close())"},
        {"foo(x)", "id(foo) open(() id(x) close())"},
    });
}

TEST_F(DorodLexTest, Parentheses) {
    check({{"(a = 1", "!Unmatched parentheses"},
           {"a = 1)", "!Unmatched parentheses"},
           {std::string(5000, '('), "!Unmatched parentheses"},
           {std::string(3, '(') + std::string(3, ')'),
            "open(() open(() open(() close()) close()) close())"}});
}

TEST(DorodLex, TokenizeAppendsAndAFailureKeepsTheList) {
    TDorodParser parser;
    parser.Tokenize("a = 1");
    parser.Tokenize("AND b");
    EXPECT_EQ(parser.Tokens().size(), 5u);
    EXPECT_THROW(parser.Tokenize("c = 'open"), EDorodExprError);
    EXPECT_EQ(parser.Tokens().size(), 5u);
    EXPECT_EQ(parser.Tokens().back().text, "b");
    parser.Clear();
    EXPECT_TRUE(parser.Tokens().empty());
}
