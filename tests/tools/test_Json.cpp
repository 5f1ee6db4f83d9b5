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

std::string toJson(const Value& v) {
    std::string out;
    json::write(v, out);
    return out;
}

Value sampleTree() {
    Value row = Value::object();
    row.add("id", Value::numberFromInt(9223372036854775807));
    row.add("name", Value::string("a\"b\\c\n\t\x01 \xC3\xA9 \0 end"s));
    row.add("ratio", Value::numberFromDouble(0.1));
    row.add("flags", Value::array({Value::boolean(true), Value::boolean(false), Value()}));
    row.add("empty", Value::object());
    row.add("none", Value::array());
    row.add("id", Value::number("-1.5E+10")); // duplicate key kept in order
    return Value::array({row, Value::string(""), Value::number("0")});
}

} // namespace

TEST(Json, NestedTreeRoundTripsThroughText) {
    const Value tree = sampleTree();
    const std::string text = toJson(tree);
    EXPECT_EQ(parseOk(text), tree);
    EXPECT_EQ(toJson(parseOk(text)), text);
}

TEST(Json, WriteIsCompactAndKeepsMemberOrder) {
    const Value v = parseOk(" { \"b\" : [ 1 , 2.50 ] ,\n\"a\":null, \"c\" : {} }\r\n");
    EXPECT_EQ(toJson(v), R"({"b":[1,2.50],"a":null,"c":{}})");
}

TEST(Json, IntegersKeepTheirTextAndConvertOnlyWhenIntegral) {
    const struct {
        const char* text;
        bool integral;
        int64_t value;
    } cases[] = {
        {"9223372036854775807", true, std::numeric_limits<int64_t>::max()},
        {"-9223372036854775808", true, std::numeric_limits<int64_t>::min()},
        {"-0", true, 0},
        {"9223372036854775808", false, 0},
        {"-9223372036854775809", false, 0},
        {"1.0", false, 0},
        {"1e2", false, 0},
    };
    for (const auto& c : cases) {
        const Value v = parseOk(c.text);
        EXPECT_EQ(v.numberText(), c.text);
        EXPECT_EQ(toJson(v), c.text);
        int64_t n = 42;
        EXPECT_EQ(v.toInt64(n), c.integral) << c.text;
        if (c.integral) {
            EXPECT_EQ(n, c.value) << c.text;
        }
    }
    EXPECT_EQ(Value::numberFromInt(std::numeric_limits<int64_t>::min()).numberText(),
              "-9223372036854775808");
}

TEST(Json, DoublesRoundTripBitExactly) {
    const double values[] = {0.1, 1e308, 5e-324, -2.2250738585072014e-308, 123456789.125, -0.0};
    for (double d : values) {
        const Value v = parseOk(toJson(Value::numberFromDouble(d)));
        double back = 1;
        ASSERT_TRUE(v.toDouble(back)) << v.numberText();
        EXPECT_EQ(std::memcmp(&back, &d, sizeof d), 0) << v.numberText();
    }
    EXPECT_EQ(Value::numberFromDouble(0.1).numberText(), "0.1");

    double d = 0;
    EXPECT_FALSE(parseOk("1e400").toDouble(d)); // beyond double range
    EXPECT_FALSE(Value::string("1").toDouble(d));
    EXPECT_THROW(Value::numberFromDouble(std::nan("")), std::invalid_argument);
    EXPECT_THROW(Value::numberFromDouble(HUGE_VAL), std::invalid_argument);
    EXPECT_THROW(Value::number("01"), std::invalid_argument);
}

TEST(Json, AcceptsEveryKindAtTopLevel) {
    for (const char* text :
         {"null", "true", "false", "0", "-0.5e-3", "1E+2", "\"\"", "[]", "{}", "\xEF\xBB\xBF[1]"}) {
        Value v;
        std::string error;
        EXPECT_TRUE(json::parse(text, v, error)) << text << ": " << error;
    }
}

TEST(Json, RejectsMalformedInputAndLeavesOutputUntouched) {
    const std::string_view cases[] = {
        // structure
        "", " ", "[", "]", "{", "[1,]", "[1,,2]", "[1 2]", "{\"a\":1,}", "{\"a\" 1}", "{1:2}",
        "{'a':1}", "{\"a\"}", "[1] x", "{} {}", "1 2",
        // numbers and literals
        "01", "1.", ".5", "+1", "-", "1e", "1e+", "0x10", "tru", "nul", "True", "NaN", "Infinity",
        // strings and escapes
        "\"abc", "\"\\\"", "\"\\x\"", "\"\\u12\"", "\"\\uD800\"", "\"\\uDC00\"",
        "\"\\uD800\\u0041\"", "\"\\uD800x\"", "\"a\tb\"", "\"\x01\"", "\"\0\""sv,
        // encoding: truncated, overlong, surrogate, above U+10FFFF, stray bytes, NUL
        "\"\x7F\xC3\"", "\"\xC0\xAF\"", "\"\xE0\x80\xAF\"", "\"\xED\xA0\x80\"",
        "\"\xF4\x90\x80\x80\"", "\"\x80\"", "\xFF", "\xEF\xBB\xBF", "[\0]"sv};
    for (std::string_view text : cases) {
        Value v = Value::string("untouched");
        std::string error;
        EXPECT_FALSE(json::parse(text, v, error)) << "accepted: " << text;
        EXPECT_EQ(error.rfind("line ", 0), 0u) << text << " -> " << error;
        EXPECT_EQ(v, Value::string("untouched")) << text;
    }
}

TEST(Json, ErrorsNameLineAndCharacterColumn) {
    const struct {
        const char* text;
        const char* prefix;
    } cases[] = {
        {"[1,\n  x]", "line 2, column 3: "},
        {"[\"\xC3\xA9\", x]", "line 1, column 7: "}, // é counts as one column
        {"\xEF\xBB\xBF[01]", "line 1, column 3: "},  // BOM is not a column
        {"{\"a\":1}\n\n  ,", "line 3, column 3: "},
        {"\"abc", "line 1, column 1: "}, // points at the unterminated string
    };
    for (const auto& c : cases) {
        Value v;
        std::string error;
        ASSERT_FALSE(json::parse(c.text, v, error)) << c.text;
        EXPECT_EQ(error.rfind(c.prefix, 0), 0u) << c.text << " -> " << error;
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
        EXPECT_EQ(parseOk(c.json).stringValue(), c.decoded) << c.json;
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
         "b\xC3",
         "\"a\xEF\xBF\xBD"
         "b\xEF\xBF\xBD\""}, // invalid UTF-8 -> U+FFFD
    };
    for (const auto& c : cases) {
        const std::string text = toJson(Value::string(c.raw));
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
    EXPECT_FALSE(json::parse(nested(json::kMaxDepth + 1, "[", "]"), v, error));
    EXPECT_NE(error.find("nesting"), std::string::npos) << error;
    EXPECT_FALSE(json::parse(nested(json::kMaxDepth + 1, "{\"k\":", "}"), v, error));
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
            table.append(Value::object({{"id", Value::numberFromInt(i * 1000003)},
                                        {"name", Value::string(name)},
                                        {"x", Value::numberFromDouble(i / 7.0)},
                                        {"raw", Value::number("1e-5")},
                                        {"ok", Value::boolean(i % 2)},
                                        {"nil", Value()},
                                        {"sub", Value::array({Value::array()})}}));
            for (json::Writer* w : {&ws, &wd}) {
                w->beginObject();
                w->key("id");
                w->integer(i * 1000003);
                w->key("name");
                w->string(name);
                w->key("x");
                w->real(i / 7.0);
                w->key("raw");
                w->number("1e-5");
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
    EXPECT_THROW(misuse([](json::Writer& w) { w.number("1."); }), std::invalid_argument);
    EXPECT_THROW(misuse([](json::Writer& w) { w.real(INFINITY); }), std::invalid_argument);
}

TEST(Json, LookupAndKindMismatchAreSafe) {
    const Value v = parseOk(R"({"a":1,"b":"x","a":2})");
    ASSERT_NE(v.find("a"), nullptr);
    EXPECT_EQ(v.find("a")->numberText(), "1"); // first duplicate wins
    EXPECT_EQ(v.find("c"), nullptr);
    EXPECT_EQ(v.members().size(), 3u);
    EXPECT_EQ(v.find("b")->numberText(), "");
    EXPECT_EQ(parseOk("[1]").find("a"), nullptr);
    EXPECT_NE(parseOk("1.0"), parseOk("1"));
    Value s = Value::string("x");
    EXPECT_THROW(s.append(Value()), std::logic_error);
    EXPECT_THROW(s.add("k", Value()), std::logic_error);
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
