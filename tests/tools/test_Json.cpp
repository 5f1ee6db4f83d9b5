#include "tools/dorod/Base64.h"
#include "tools/dorod/Json.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <sstream>
#include <stdexcept>

using namespace dorod;
using json::Value;
using namespace std::literals;

namespace {

Value parseOk(std::string_view text) {
    Value v;
    std::string error;
    EXPECT_TRUE(json::parse(text, v, error)) << "input: " << text << "\nerror: " << error;
    return v;
}

std::string parseError(std::string_view text) {
    Value v = "untouched";
    std::string error;
    EXPECT_FALSE(json::parse(text, v, error)) << "accepted: " << text;
    EXPECT_EQ(v, Value("untouched")) << text;
    return error;
}

std::string toJson(const Value& v) {
    std::string out;
    json::write(v, out);
    return out;
}

Value sampleTree() {
    Value row = Value::object();
    row["id"] = std::numeric_limits<int64_t>::max();
    row["name"] = "a\"b\\c\n\t\x01 \xC3\xA9 \0 end"s;
    row["ratio"] = 0.1;
    row["flags"] = Value::array({true, false, nullptr});
    row["empty"] = Value::object();
    row["none"] = Value::array();
    row["big"] = std::numeric_limits<uint64_t>::max();
    row["neg"] = -1.5e10;
    return Value::array({row, "", 0});
}

} // namespace

TEST(Json, NestedTreeRoundTripsThroughText) {
    const Value tree = sampleTree();
    const std::string text = toJson(tree);
    EXPECT_EQ(parseOk(text), tree);
    EXPECT_EQ(toJson(parseOk(text)), text);
    EXPECT_EQ(text.substr(0, 16), R"([{"id":922337203)");
}

TEST(Json, WriteIsCompactAndKeepsMemberOrder) {
    const Value v = parseOk(" { \"b\" : [ 1 , 2.50 ] ,\n\"a\":null, \"c\" : {} }\r\n");
    EXPECT_EQ(toJson(v), R"({"b":[1,2.5],"a":null,"c":{}})");
}

TEST(Json, IntegersConvertOnlyWhenIntegralAndInRange) {
    const struct {
        const char* text;
        bool integral;
        int64_t value;
    } cases[] = {
        {"9223372036854775807", true, std::numeric_limits<int64_t>::max()},
        {"-9223372036854775808", true, std::numeric_limits<int64_t>::min()},
        {"-0", true, 0},
        {"0", true, 0},
        {"9223372036854775808", false, 0},
        {"-9223372036854775809", false, 0},
        {"18446744073709551616", false, 0},
        {"1.0", false, 0},
        {"1e2", false, 0},
    };
    for (const auto& c : cases) {
        const Value v = parseOk(c.text);
        int64_t n = 42;
        EXPECT_EQ(json::toInt64(v, n), c.integral) << c.text;
        EXPECT_EQ(n, c.integral ? c.value : 42) << c.text;
    }
    int64_t n = 0;
    EXPECT_FALSE(json::toInt64(Value("1"), n));
    EXPECT_FALSE(json::toInt64(Value(true), n));
}

TEST(Json, DoublesRoundTripBitExactlyInTheirShortestText) {
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {0.1, "0.1"},       {150.0, "150"},
        {-0.0, "-0"},       {1e21, "1e+21"},
        {5e-324, "5e-324"}, {123456789.125, "123456789.125"},
        {1e308, "1e+308"},  {-2.2250738585072014e-308, "-2.2250738585072014e-308"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(json::doubleText(c.value), c.text);
        EXPECT_EQ(toJson(Value(c.value)), c.text);
        double back = 1;
        ASSERT_TRUE(json::toDouble(parseOk(c.text), back)) << c.text;
        EXPECT_EQ(std::memcmp(&back, &c.value, sizeof back), 0) << c.text;
    }
    double d = 0;
    EXPECT_FALSE(json::toDouble(Value("1"), d));
    EXPECT_THROW(json::doubleText(std::nan("")), std::invalid_argument);
    EXPECT_THROW(json::doubleText(HUGE_VAL), std::invalid_argument);
    EXPECT_NE(parseError("[1e400]").find("1e400"), std::string::npos); // beyond double range
}

TEST(Json, AcceptsEveryKindAtTopLevel) {
    EXPECT_EQ(parseOk("null"), Value());
    EXPECT_TRUE(parseOk("null").is_null());
    EXPECT_EQ(parseOk("true"), Value(true));
    EXPECT_EQ(parseOk("false"), Value(false));
    EXPECT_TRUE(parseOk("0").is_number_integer());
    EXPECT_EQ(parseOk("0").get<int64_t>(), 0);
    EXPECT_TRUE(parseOk("-12").is_number_integer());
    EXPECT_EQ(parseOk("-12").get<int64_t>(), -12);
    EXPECT_TRUE(parseOk("-0.5e-3").is_number_float());
    EXPECT_EQ(parseOk("-0.5e-3").get<double>(), -0.0005);
    EXPECT_EQ(parseOk("1E+2").get<double>(), 100.0);
    EXPECT_TRUE(parseOk("\"\"").is_string());
    EXPECT_EQ(parseOk("\"\"").get<std::string>(), "");
    EXPECT_EQ(parseOk("\"x y\"").get<std::string>(), "x y");
    EXPECT_TRUE(parseOk("[]").is_array());
    EXPECT_TRUE(parseOk("[]").empty());
    EXPECT_TRUE(parseOk("{}").is_object());
    EXPECT_TRUE(parseOk("{}").empty());
    const Value withBom = parseOk("\xEF\xBB\xBF[1]");
    ASSERT_TRUE(withBom.is_array());
    ASSERT_EQ(withBom.size(), 1u);
    EXPECT_EQ(withBom[0].get<int64_t>(), 1);
}

TEST(Json, RejectsMalformedInputAndLeavesOutputUntouched) {
    const std::string_view cases[] = {
        // structure
        "", " ", "[", "]", "{", "[1,]", "[1,,2]", "[1 2]", "{\"a\":1,}", "{\"a\" 1}", "{1:2}",
        "{'a':1}", "{\"a\"}", "[1] x", "{} {}", "1 2", "[1]//c", "/*c*/1",
        // numbers and literals
        "01", "1.", ".5", "+1", "-", "1e", "1e+", "0x10", "tru", "nul", "True", "NaN", "Infinity",
        // strings and escapes
        "\"abc", "\"\\\"", "\"\\x\"", "\"\\u12\"", "\"\\uD800\"", "\"\\uDC00\"",
        "\"\\uD800\\u0041\"", "\"\\uD800x\"", "\"a\tb\"", "\"\x01\"", "\"\0\""sv,
        // encoding: truncated, overlong, surrogate, above U+10FFFF, stray bytes, NUL
        "\"\x7F\xC3\"", "\"\xC0\xAF\"", "\"\xE0\x80\xAF\"", "\"\xED\xA0\x80\"",
        "\"\xF4\x90\x80\x80\"", "\"\x80\"", "\xFF", "\xEF\xBB\xBF", "[\0]"sv,
        // the same key twice
        "{\"a\":1,\"a\":2}", "[{\"k\":{},\"k\":[]}]"};
    for (std::string_view text : cases) {
        const std::string error = parseError(text);
        EXPECT_EQ(error.rfind("line ", 0), 0u) << text << " -> " << error;
    }
}

TEST(Json, ErrorsNameLineCharacterColumnAndWhatWasWrong) {
    const struct {
        const char* text;
        const char* prefix;
        const char* what;
    } cases[] = {
        {"[1,\n  x]", "line 2, column 3: ", "invalid literal"},
        {"[\"\xC3\xA9\", x]", "line 1, column 7: ", "invalid literal"},  // é counts as one column
        {"\xEF\xBB\xBF[01]", "line 1, column 3: ", "unexpected number"}, // BOM is not a column
        {"{\"a\":1}\n\n  ,", "line 3, column 3: ", "expected end of input"},
        {"\"abc", "line 1, column 5: ", "missing closing quote"},
        {"{\"ab\":1,\n\"ab\":2}", "line 2, column 5: ", "key \"ab\" given twice"},
    };
    for (const auto& c : cases) {
        const std::string error = parseError(c.text);
        EXPECT_EQ(error.rfind(c.prefix, 0), 0u) << c.text << " -> " << error;
        EXPECT_NE(error.find(c.what), std::string::npos) << c.text << " -> " << error;
        EXPECT_EQ(error.find("json.exception"), std::string::npos) << error;
    }
}

TEST(Json, DecodesEscapesAndSurrogatePairs) {
    const struct {
        const char* json;
        std::string decoded;
    } cases[] = {
        {R"("\"\\\/\b\f\n\r\t")", "\"\\/\b\f\n\r\t"},
        {R"("\u0041\u00e9\u00E9")", "A\xC3\xA9\xC3\xA9"},
        {R"("\u20AC")", "\xE2\x82\xAC"},
        {R"("\uD83D\uDE00")", "\xF0\x9F\x98\x80"},
        {R"("\uDBFF\uDFFF")", "\xF4\x8F\xBF\xBF"},
        {R"("a\u0000b")", std::string("a\0b", 3)},
        {"\"\xF0\x9F\x98\x80 raw\"", "\xF0\x9F\x98\x80 raw"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseOk(c.json).get<std::string>(), c.decoded) << c.json;
}

TEST(Json, WriterEscapesOnlyWhatItMust) {
    const struct {
        std::string raw;
        const char* json;
    } cases[] = {
        {"\"\\/", R"("\"\\/")"},
        {"\b\f\n\r\t", R"("\b\f\n\r\t")"},
        {std::string("\0\x01\x1F\x7F", 4), "\"\\u0000\\u0001\\u001f\x7F\""},
        {"\xC3\xA9\xE2\x80\xA8\xF0\x9F\x98\x80", "\"\xC3\xA9\xE2\x80\xA8\xF0\x9F\x98\x80\""},
        {"a\xFF"
         "b",
         "\"a\xEF\xBF\xBD"
         "b\""}, // invalid UTF-8 -> U+FFFD
    };
    for (const auto& c : cases) {
        const std::string text = toJson(Value(c.raw));
        EXPECT_EQ(text, c.json);
        Value back;
        std::string error;
        EXPECT_TRUE(json::parse(text, back, error)) << error;
    }
}

TEST(Json, DepthLimitIsEnforcedWithoutOverflowingTheStack) {
    const auto nested = [](int depth, const char* open, const char* close) {
        std::string s;
        for (int i = 0; i < depth; ++i)
            s += open;
        s += "1";
        for (int i = 0; i < depth; ++i)
            s += close;
        return s;
    };
    Value v;
    std::string error;
    EXPECT_TRUE(json::parse(nested(json::kMaxDepth, "[", "]"), v, error)) << error;
    EXPECT_TRUE(json::parse(nested(json::kMaxDepth, "{\"k\":", "}"), v, error)) << error;
    EXPECT_NE(parseError(nested(json::kMaxDepth + 1, "[", "]")).find("nesting"), std::string::npos);
    EXPECT_NE(parseError(nested(json::kMaxDepth + 1, "{\"k\":", "}")).find("nesting"),
              std::string::npos);
    EXPECT_FALSE(json::parse(std::string(1000000, '['), v, error));
}

TEST(Json, StreamingWriterMatchesTreeWriter) {
    // Enough rows to pass the stream buffer's flush threshold several times.
    Value table = Value::array();
    std::ostringstream stream;
    std::string direct = "prefix:";
    {
        json::Writer ws(stream);
        json::Writer wd(direct);
        for (json::Writer* w : {&ws, &wd})
            w->beginArray();
        for (int64_t i = 0; i < 5000; ++i) {
            const std::string name = "row \"" + std::to_string(i) + "\"\n";
            Value row = Value::object();
            row["id"] = i * 1000003;
            row["name"] = name;
            row["x"] = i / 7.0;
            row["ok"] = bool(i % 2);
            row["nil"] = nullptr;
            row["sub"] = Value::array({Value::array()});
            table.push_back(row);
            for (json::Writer* w : {&ws, &wd}) {
                w->beginObject();
                w->key("id");
                w->integer(i * 1000003);
                w->key("name");
                w->string(name);
                w->key("x");
                w->real(i / 7.0);
                w->key("ok");
                w->boolean(i % 2);
                w->key("nil");
                w->null();
                w->key("sub");
                w->beginArray();
                w->value(Value::array());
                w->endArray();
                w->endObject();
            }
        }
        for (json::Writer* w : {&ws, &wd}) {
            EXPECT_FALSE(w->complete());
            w->endArray();
            EXPECT_TRUE(w->complete());
        }
    } // destructor flushes the stream writer
    const std::string expected = toJson(table);
    EXPECT_EQ(stream.str(), expected);
    EXPECT_EQ(direct, "prefix:" + expected);
    EXPECT_EQ(parseOk(expected), table);
}

TEST(Json, StreamingWriterRejectsMisuse) {
    const auto misuse = [](auto action) {
        std::string out;
        json::Writer w(out);
        action(w);
    };
    EXPECT_THROW(misuse([](json::Writer& w) { w.key("a"); }), std::logic_error);
    EXPECT_THROW(misuse([](json::Writer& w) { w.beginObject(), w.integer(1); }), std::logic_error);
    EXPECT_THROW(misuse([](json::Writer& w) { w.beginObject(), w.key("a"), w.key("b"); }),
                 std::logic_error);
    EXPECT_THROW(misuse([](json::Writer& w) { w.beginObject(), w.key("a"), w.endObject(); }),
                 std::logic_error);
    EXPECT_THROW(misuse([](json::Writer& w) { w.beginObject(), w.endArray(); }), std::logic_error);
    EXPECT_THROW(misuse([](json::Writer& w) { w.beginArray(), w.key("a"); }), std::logic_error);
    EXPECT_THROW(misuse([](json::Writer& w) { w.null(), w.null(); }), std::logic_error);
    EXPECT_THROW(misuse([](json::Writer& w) { w.real(INFINITY); }), std::invalid_argument);
    EXPECT_THROW(misuse([](json::Writer& w) { w.value(Value::binary({1, 2})); }), std::logic_error);
}

TEST(Base64, Rfc4648VectorsBothWays) {
    const std::pair<const char*, const char*> vectors[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
    };
    for (const auto& [plain, encoded] : vectors) {
        EXPECT_EQ(base64::encode(plain), encoded);
        std::string out = "junk";
        EXPECT_TRUE(base64::decode(encoded, out)) << encoded;
        EXPECT_EQ(out, plain);
    }
}

TEST(Base64, EveryByteValueRoundTrips) {
    std::string bytes;
    for (int i = 0; i < 256; ++i)
        bytes.push_back(char(i));
    for (size_t len = 0; len <= bytes.size(); len += 85) { // covers all three tail lengths
        const std::string_view part(bytes.data(), len);
        std::string out;
        ASSERT_TRUE(base64::decode(base64::encode(part), out));
        EXPECT_EQ(out, part);
    }
}

TEST(Base64, RejectsMalformedText) {
    for (const char* text : {"Zg", "Zg=", "Zm9", "Zm9v\n", " Zm9v", "Zm=v", "Zg==Zg==", "====",
                             "Z===", "Zh==", "Zm9=", "Zm-v", "Zm_v", "Zm9v\xC3\xA9=="}) {
        std::string out = "keep";
        EXPECT_FALSE(base64::decode(text, out)) << text;
        EXPECT_EQ(out, "keep");
    }
}
