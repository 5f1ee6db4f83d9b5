// Colour runs of the `XML` field: the stored form, the escape of "<", ">", "&" and line
// breaks, the two readings (entry form, output writers) and damaged values.
#include "platform/TextCodec.h"
#include "tables/ColourRuns.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

#include <random>
#include <string>
#include <utility>
#include <vector>

using namespace vornelta;

namespace {

constexpr int kBlack = kColourBlack;
constexpr int kRed = kColourRed;
constexpr int kWhite = kColourWhite;

QString q(const char* utf8) {
    return QString::fromUtf8(utf8);
}

struct Piece {
    const char* text;
    int colour;
};

// A text and its colours from coloured pieces.
ColouredText coloured(const std::vector<Piece>& pieces) {
    ColouredText out;
    for (const Piece& p : pieces) {
        const QString text = q(p.text);
        out.text += text;
        out.colours.append(QList<int>(text.size(), p.colour));
    }
    return out;
}

// ------------------------------------------------------------------ writing

struct EncodeCase {
    const char* name;
    std::vector<Piece> pieces;
    int insertionColour;
    const char* stored;
};

class ColourRunsEncode : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(ColourRunsEncode, WritesTheStoredForm) {
    const EncodeCase& c = GetParam();
    const ColouredText input = coloured(c.pieces);
    EXPECT_EQ(encodeColourRuns(input.text, input.colours, c.insertionColour), q(c.stored));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ColourRunsEncode,
    ::testing::Values(
        EncodeCase{"TwoBlackLettersOneRed",
                   {{"ав", kBlack}, {"б", kRed}},
                   kWhite,
                   "<<0>>\r\nав\r\n<<255>>б"},
        EncodeCase{
            "OneWhiteColour", {{"Продам дом", kWhite}}, kBlack, "<<16777215>>\r\nПродам дом"},
        EncodeCase{"RedWordThenWhite",
                   {{"Продам", kRed}, {" дом недорого", kWhite}},
                   kWhite,
                   "<<255>>\r\nПродам\r\n<<16777215>> дом недорого"},
        EncodeCase{"ColourComesBack",
                   {{"a", kBlack}, {"b", kRed}, {"c", kBlack}},
                   kWhite,
                   "<<0>>\r\na\r\n<<255>>b\r\n<<0>>c"},
        EncodeCase{"EmptyTextNamesTheInsertionColour", {}, kRed, "<<255>>\r\n"},
        EncodeCase{"EmptyTextTypedWithoutAChoice", {}, kWhite, "<<16777215>>\r\n"},
        EncodeCase{"AngleBrackets", {{"a<b>c", kBlack}}, kWhite, "<<0>>\r\na&lt;b&gt;c"},
        EncodeCase{"TextThatLooksLikeAMarker",
                   {{"<<255>>", kBlack}, {"x", kRed}},
                   kWhite,
                   "<<0>>\r\n&lt;&lt;255&gt;&gt;\r\n<<255>>x"},
        EncodeCase{"AmpersandAloneStaysAsTyped",
                   {{"Рога & копыта &", kBlack}},
                   kWhite,
                   "<<0>>\r\nРога & копыта &"},
        EncodeCase{"AmpersandBeforeAnEntityName",
                   {{"&lt; &amp; &#10;", kBlack}},
                   kWhite,
                   "<<0>>\r\n&amp;lt; &amp;amp; &amp;#10;"},
        EncodeCase{"LineBreaksInsideText",
                   {{"a\r\nb\nc", kBlack}},
                   kWhite,
                   "<<0>>\r\na&#13;&#10;b&#10;c"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ColourRunsEncodeColours, MissingColoursRepeatTheLastAndExtraOnesAreIgnored) {
    const QString text = QStringLiteral("abc");
    EXPECT_EQ(encodeColourRuns(text, {kBlack}), q("<<0>>\r\nabc"));
    EXPECT_EQ(encodeColourRuns(text, {}, kRed), q("<<255>>\r\nabc"));
    EXPECT_EQ(encodeColourRuns(text, {kBlack, kRed}), q("<<0>>\r\na\r\n<<255>>bc"));
    EXPECT_EQ(encodeColourRuns(text, {kBlack, kBlack, kBlack, kRed}), q("<<0>>\r\nabc"));
}

TEST(ColourRunsEscape, EscapesExactlyWhatCouldBeMisreadAndUndoesIt) {
    const std::vector<std::pair<const char*, const char*>> cases{
        {"", ""},
        {"Продам дом, тел. 2-22-22", "Продам дом, тел. 2-22-22"},
        {"<>", "&lt;&gt;"},
        {"&", "&"},
        {"&&", "&&"},
        {"&l", "&l"},
        {"&lt", "&lt"},
        {"&lt;", "&amp;lt;"},
        {"&#13;&#10;", "&amp;#13;&amp;#10;"},
        {"&#1;", "&#1;"},
        {"&&lt;", "&&amp;lt;"},
        {"&<", "&&lt;"},
        {"\r\n", "&#13;&#10;"},
    };
    for (const auto& [raw, escaped] : cases) {
        SCOPED_TRACE(raw);
        EXPECT_EQ(escapeRunText(q(raw)), q(escaped));
        EXPECT_EQ(unescapeRunText(q(escaped)), q(raw));
    }
}

// ------------------------------------------------------------------ round trips

// Random texts from fragments that stress the markers and the escape.
TEST(ColourRunsRoundTrip, RandomTextsAndColoursComeBackFromBothReaders) {
    const std::vector<const char*> fragments{
        "а",       "Я",     "ё",   "Ё",   "x",    " ",    "<",    ">",    "&",
        "<<",      ">>",    "lt;", "gt;", "amp;", "#13;", "#10;", "&lt;", "&amp;",
        "<<255>>", "<<0>>", "\r",  "\n",  "\r\n", "1",    "ы",    "№"};
    const QRegularExpression storedLine(QStringLiteral("^(<<[0-9]+>>)?[^<>\r\n]*$"));
    std::mt19937 random(20240229);
    auto pick = [&](size_t n) { return size_t(random() % n); };

    for (int round = 0; round < 400; ++round) {
        QString text;
        const size_t count = pick(16);
        for (size_t i = 0; i < count; ++i)
            text += q(fragments[pick(fragments.size())]);
        QList<int> colours;
        while (colours.size() < text.size()) {
            const int colour = kTextColours[pick(kTextColours.size())].number;
            for (size_t n = 1 + pick(4); n > 0 && colours.size() < text.size(); --n)
                colours.append(colour);
        }
        const int insertion = kTextColours[pick(kTextColours.size())].number;
        SCOPED_TRACE(text.toStdString());

        const QString stored = encodeColourRuns(text, colours, insertion);
        const QStringList lines = stored.split(QStringLiteral("\r\n"));
        for (const QString& line : lines)
            EXPECT_TRUE(storedLine.match(line).hasMatch()) << line.toStdString();
        EXPECT_EQ(lines.back().isEmpty(), text.isEmpty());
        bool representable = false;
        EXPECT_EQ(toQt(fromQt(stored, &representable)), stored);
        EXPECT_TRUE(representable);

        const ColouredText decoded = decodeColourRuns(stored);
        EXPECT_FALSE(decoded.damaged);
        EXPECT_EQ(decoded.text, text);
        EXPECT_EQ(decoded.colours, colours);
        EXPECT_EQ(decoded.firstColour, text.isEmpty() ? insertion : colours.first());

        const ColourLines read = readColourLines(stored);
        EXPECT_FALSE(read.damaged);
        QString joined;
        QList<int> lineColours;
        for (const ColourLine& line : read.lines) {
            joined += line.text;
            lineColours.append(QList<int>(line.text.size(), line.colour));
        }
        EXPECT_EQ(joined, text);
        EXPECT_EQ(lineColours, colours);
        ASSERT_FALSE(read.lines.isEmpty());
        EXPECT_TRUE(read.lines.front().marker);
        EXPECT_TRUE(read.lines.front().text.isEmpty());
    }
}

// ------------------------------------------------------------------ the entry form's reading

struct DecodeCase {
    const char* name;
    const char* stored;
    std::vector<Piece> expected;
    int firstColour;
    bool damaged;
};

class ColourRunsDecode : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(ColourRunsDecode, ReadsTheBestTextAndColours) {
    const DecodeCase& c = GetParam();
    const ColouredText expected = coloured(c.expected);
    const ColouredText decoded = decodeColourRuns(q(c.stored));
    EXPECT_EQ(decoded.text, expected.text);
    EXPECT_EQ(decoded.colours, expected.colours);
    EXPECT_EQ(decoded.firstColour, c.firstColour);
    EXPECT_EQ(decoded.damaged, c.damaged);
}

INSTANTIATE_TEST_SUITE_P(
    Values, ColourRunsDecode,
    ::testing::Values(
        DecodeCase{
            "ThreeLines", "<<0>>\r\nав\r\n<<255>>б", {{"ав", kBlack}, {"б", kRed}}, kBlack, false},
        DecodeCase{"EmptyText", "<<255>>\r\n", {}, kRed, false},
        DecodeCase{"EqualNeighbourRunsAreLegal",
                   "<<0>>\r\nab\r\n<<0>>c",
                   {{"abc", kBlack}},
                   kBlack,
                   false},
        DecodeCase{"EscapesUndone",
                   "<<0>>\r\nA&lt;B&amp;lt;C&#10;D & E",
                   {{"A<B&lt;C\nD & E", kBlack}},
                   kBlack,
                   false},
        DecodeCase{"EmptyValue", "", {}, kWhite, true},
        DecodeCase{"NoMarker", "Продам дом", {{"Продам дом", kWhite}}, kWhite, true},
        DecodeCase{"TextOnTheFirstMarkerLine", "<<255>>ab", {{"ab", kRed}}, kRed, true},
        DecodeCase{
            "LinesWithoutMarkerAreJoined", "<<0>>\r\nab\r\ncd", {{"abcd", kBlack}}, kBlack, true},
        DecodeCase{"NonNumericMarkerIsText", "<<abc>>\r\nx", {{"<<abc>>x", kWhite}}, kWhite, true},
        DecodeCase{"UnknownColourKeepsTheColourInForce",
                   "<<0>>\r\nab\r\n<<12345>>c",
                   {{"abc", kBlack}},
                   kBlack,
                   true},
        DecodeCase{
            "UnknownFirstColourGivesTheDefault", "<<12345>>\r\nx", {{"x", kWhite}}, kWhite, true},
        DecodeCase{"NumberTooLarge", "<<99999999999>>\r\nx", {{"x", kWhite}}, kWhite, true},
        DecodeCase{"LeadingZeros", "<<0255>>\r\nx", {{"x", kRed}}, kRed, true},
        DecodeCase{
            "BareLineFeeds", "<<0>>\nab\n<<255>>c", {{"ab", kBlack}, {"c", kRed}}, kBlack, true},
        DecodeCase{"BreakAtTheEnd",
                   "<<0>>\r\nab\r\n<<255>>c\r\n",
                   {{"ab", kBlack}, {"c", kRed}},
                   kBlack,
                   true},
        DecodeCase{"EmptyRun", "<<0>>\r\n\r\n<<255>>c", {{"c", kRed}}, kRed, true},
        DecodeCase{"UnterminatedMarker", "<<0>>\r\na<<b", {{"a<<b", kBlack}}, kBlack, true},
        DecodeCase{"UnterminatedAtTheEnd", "<<255", {{"<<255", kWhite}}, kWhite, true},
        DecodeCase{"MarkerSplitByALineBreak",
                   "<<0>>\r\na<<2\r\n55>>b",
                   {{"a<<255>>b", kBlack}},
                   kBlack,
                   true},
        DecodeCase{"StrayBrackets", "<<0>>\r\na>b<c", {{"a>b<c", kBlack}}, kBlack, true},
        // A damaged value with an empty marker inside a run or at a line's start keeps
        // those characters as text.
        DecodeCase{"EmptyMarkerInsideARun", "<<0>>\r\na<<>>b", {{"a<<>>b", kBlack}}, kBlack, true},
        DecodeCase{
            "EmptyMarkerStartingALine", "<<255>>\r\nab\r\n<<>>c", {{"ab<<>>c", kRed}}, kRed, true},
        DecodeCase{"ThirdBracketBeforeAMarker",
                   "<<<255>>\r\nx",
                   {{"<", kWhite}, {"x", kRed}},
                   kWhite,
                   true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ColourRunsFit, ColoursLaidOverAnotherTextPositionByPosition) {
    EXPECT_EQ(fitColours({kBlack, kRed}, 4, kWhite), (QList<int>{kBlack, kRed, kWhite, kWhite}));
    EXPECT_EQ(fitColours({kBlack, kRed, kRed}, 1, kWhite), (QList<int>{kBlack}));
    EXPECT_EQ(fitColours({}, 0, kWhite), QList<int>{});
}

// ------------------------------------------------------------------ the output writers' reading

struct LinesCase {
    const char* name;
    const char* stored;
    std::vector<ColourLine> expected;
    bool damaged;
};

ColourLine marker(int colour, const char* text) {
    return {true, colour, q(text)};
}
ColourLine plain(int colour, const char* text) {
    return {false, colour, q(text)};
}

class ColourRunsLines : public ::testing::TestWithParam<LinesCase> {};

TEST_P(ColourRunsLines, GivesEachLineWithTheColourInForce) {
    const LinesCase& c = GetParam();
    const ColourLines read = readColourLines(q(c.stored));
    EXPECT_EQ(read.damaged, c.damaged);
    ASSERT_EQ(read.lines.size(), qsizetype(c.expected.size()));
    for (qsizetype i = 0; i < read.lines.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(read.lines[i].marker, c.expected[size_t(i)].marker);
        EXPECT_EQ(read.lines[i].colour, c.expected[size_t(i)].colour);
        EXPECT_EQ(read.lines[i].text, c.expected[size_t(i)].text);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Values, ColourRunsLines,
    ::testing::Values(
        LinesCase{"ThreeLines",
                  "<<16777215>>\r\nПродам дом\r\n<<255>>недорого",
                  {marker(kWhite, ""), plain(kWhite, "Продам дом"), marker(kRed, "недорого")},
                  false},
        LinesCase{"EmptyTextIsOneMarkerLine", "<<255>>\r\n", {marker(kRed, "")}, false},
        LinesCase{"EscapesUndonePerLine",
                  "<<0>>\r\n&lt;&gt;\r\n<<255>>&amp;lt;",
                  {marker(kBlack, ""), plain(kBlack, "<>"), marker(kRed, "&lt;")},
                  false},
        LinesCase{"EmptyValueHasNoLines", "", {}, true},
        LinesCase{"TextBeforeAnyMarker",
                  "ab<<255>>c\r\nd",
                  {plain(kNoColour, "ab"), marker(kRed, "c"), plain(kRed, "d")},
                  true},
        LinesCase{"TwoMarkersOnOneLine",
                  "<<0>>a<<255>>b",
                  {marker(kBlack, "a"), marker(kRed, "b")},
                  true},
        LinesCase{"UnknownColourRepeatsTheColourInForce",
                  "<<0>>\r\nab\r\n<<77>>c",
                  {marker(kBlack, ""), plain(kBlack, "ab"), marker(kBlack, "c")},
                  true},
        LinesCase{"UnknownFirstColourHasNone",
                  "<<77>>\r\nx",
                  {marker(kNoColour, ""), plain(kNoColour, "x")},
                  true},
        LinesCase{"AnyLineBreakEndsALine",
                  "<<0>>\r\na\rb\nc",
                  {marker(kBlack, ""), plain(kBlack, "a"), plain(kBlack, "b"), plain(kBlack, "c")},
                  true},
        LinesCase{"BreakAtTheEndOpensNoLine",
                  "<<0>>\r\nab\r\n",
                  {marker(kBlack, ""), plain(kBlack, "ab")},
                  true},
        LinesCase{"EmptyLinesKept", "<<0>>\r\n\r\n", {marker(kBlack, ""), plain(kBlack, "")}, true},
        LinesCase{"UnterminatedMarkerIsText",
                  "<<0>>\r\n<<0",
                  {marker(kBlack, ""), plain(kBlack, "<<0")},
                  true}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
