#include "tools/dorod/Json.h"

#include <charconv>
#include <cmath>
#include <ostream>
#include <stdexcept>
#include <system_error>

namespace dorod::json {

namespace {

const std::string kEmpty;
constexpr std::string_view kReplacementChar = "\xEF\xBF\xBD";
constexpr std::string_view kBom = "\xEF\xBB\xBF";

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

struct NumberScan {
    size_t end;        // one past the number, or where it went wrong
    const char* error; // nullptr when the number is well formed
};

// Follows the RFC 8259 number grammar exactly, so texts like "01", "1." and "+1" fail.
NumberScan scanNumber(std::string_view s, size_t i) {
    const size_t n = s.size();
    if (i < n && s[i] == '-') ++i;
    if (i >= n || !isDigit(s[i])) return {i, "expected a digit"};
    if (s[i] == '0') {
        ++i;
        if (i < n && isDigit(s[i])) return {i, "leading zero in number"};
    } else {
        while (i < n && isDigit(s[i]))
            ++i;
    }
    if (i < n && s[i] == '.') {
        ++i;
        if (i >= n || !isDigit(s[i])) return {i, "expected a digit after the decimal point"};
        while (i < n && isDigit(s[i]))
            ++i;
    }
    if (i < n && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < n && (s[i] == '+' || s[i] == '-')) ++i;
        if (i >= n || !isDigit(s[i])) return {i, "expected a digit in the exponent"};
        while (i < n && isDigit(s[i]))
            ++i;
    }
    return {i, nullptr};
}

bool isNumberText(std::string_view s) {
    const NumberScan scan = scanNumber(s, 0);
    return scan.error == nullptr && scan.end == s.size();
}

bool inRange(unsigned char c, unsigned char lo, unsigned char hi) {
    return c >= lo && c <= hi;
}

// Length of the well-formed UTF-8 sequence starting at i, or 0. Rejects overlong forms,
// encoded surrogates and code points above U+10FFFF.
size_t utf8SequenceLength(std::string_view s, size_t i) {
    const size_t avail = s.size() - i;
    const auto b = [&](size_t k) { return static_cast<unsigned char>(s[i + k]); };
    const unsigned char c = b(0);
    if (c < 0x80) return 1;
    if (inRange(c, 0xC2, 0xDF)) return avail >= 2 && inRange(b(1), 0x80, 0xBF) ? 2 : 0;
    if (inRange(c, 0xE0, 0xEF)) {
        if (avail < 3) return 0;
        const unsigned char lo = c == 0xE0 ? 0xA0 : 0x80;
        const unsigned char hi = c == 0xED ? 0x9F : 0xBF;
        return inRange(b(1), lo, hi) && inRange(b(2), 0x80, 0xBF) ? 3 : 0;
    }
    if (inRange(c, 0xF0, 0xF4)) {
        if (avail < 4) return 0;
        const unsigned char lo = c == 0xF0 ? 0x90 : 0x80;
        const unsigned char hi = c == 0xF4 ? 0x8F : 0xBF;
        return inRange(b(1), lo, hi) && inRange(b(2), 0x80, 0xBF) && inRange(b(3), 0x80, 0xBF) ? 4
                                                                                               : 0;
    }
    return 0;
}

void appendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out.push_back(char(cp));
    } else if (cp < 0x800) {
        out.push_back(char(0xC0 | (cp >> 6)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(char(0xE0 | (cp >> 12)));
        out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(char(0xF0 | (cp >> 18)));
        out.push_back(char(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    }
}

constexpr char kHexDigits[] = "0123456789abcdef";

void appendEscaped(std::string& out, std::string_view s) {
    out.push_back('"');
    const size_t n = s.size();
    size_t i = 0;
    while (i < n) {
        const size_t start = i;
        while (i < n) {
            const auto c = static_cast<unsigned char>(s[i]);
            if (c < 0x20 || c == '"' || c == '\\' || c >= 0x80) break;
            ++i;
        }
        out.append(s.substr(start, i - start));
        if (i == n) break;
        const auto c = static_cast<unsigned char>(s[i]);
        if (c >= 0x80) {
            const size_t len = utf8SequenceLength(s, i);
            out.append(len ? s.substr(i, len) : kReplacementChar);
            i += len ? len : 1;
            continue;
        }
        ++i;
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            out += "\\u00";
            out.push_back(kHexDigits[c >> 4]);
            out.push_back(kHexDigits[c & 0xF]);
        }
    }
    out.push_back('"');
}

std::string hexByte(unsigned char c) {
    return std::string("0x") + kHexDigits[c >> 4] + kHexDigits[c & 0xF];
}

class Parser {
public:
    explicit Parser(std::string_view text) : m_text(text) {
        if (m_text.starts_with(kBom)) m_start = m_pos = kBom.size();
    }

    bool run(Value& out, std::string& error) {
        Value v;
        bool ok = parseValue(v, 0);
        if (ok) {
            skipWhitespace();
            if (!atEnd()) ok = fail(m_pos, "unexpected " + describe(m_pos) + " after the value");
        }
        if (!ok) {
            error = std::move(m_error);
            return false;
        }
        out = std::move(v);
        return true;
    }

private:
    bool atEnd() const { return m_pos >= m_text.size(); }
    unsigned char peek() const { return static_cast<unsigned char>(m_text[m_pos]); }

    void skipWhitespace() {
        while (!atEnd() && (peek() == ' ' || peek() == '\t' || peek() == '\n' || peek() == '\r'))
            ++m_pos;
    }

    std::string describe(size_t pos) const {
        if (pos >= m_text.size()) return "end of input";
        const auto c = static_cast<unsigned char>(m_text[pos]);
        if (c > 0x20 && c < 0x7F) return std::string("'") + char(c) + "'";
        return (c < 0x80 ? "character " : "byte ") + hexByte(c);
    }

    bool fail(size_t pos, const std::string& what) {
        size_t line = 1;
        size_t column = 1;
        for (size_t i = m_start; i < pos && i < m_text.size(); ++i) {
            const auto c = static_cast<unsigned char>(m_text[i]);
            if (c == '\n') {
                ++line;
                column = 1;
            } else if ((c & 0xC0) != 0x80) { // count characters, not continuation bytes
                ++column;
            }
        }
        m_error =
            "line " + std::to_string(line) + ", column " + std::to_string(column) + ": " + what;
        return false;
    }

    bool parseValue(Value& out, int depth) {
        skipWhitespace();
        if (atEnd()) return fail(m_pos, "unexpected end of input");
        switch (peek()) {
        case '{':
            return parseObject(out, depth + 1);
        case '[':
            return parseArray(out, depth + 1);
        case '"': {
            std::string s;
            if (!parseString(s)) return false;
            out = Value::string(std::move(s));
            return true;
        }
        case 't':
            return parseLiteral("true", Value::boolean(true), out);
        case 'f':
            return parseLiteral("false", Value::boolean(false), out);
        case 'n':
            return parseLiteral("null", Value::null(), out);
        default:
            if (peek() == '-' || isDigit(char(peek()))) return parseNumber(out);
            return fail(m_pos, "unexpected " + describe(m_pos));
        }
    }

    bool parseLiteral(std::string_view word, Value v, Value& out) {
        for (char expected : word) {
            if (atEnd() || m_text[m_pos] != expected)
                return fail(m_pos, "unexpected " + describe(m_pos) + " in literal '" +
                                       std::string(word) + "'");
            ++m_pos;
        }
        out = std::move(v);
        return true;
    }

    bool parseNumber(Value& out) {
        const NumberScan scan = scanNumber(m_text, m_pos);
        if (scan.error)
            return fail(scan.end, std::string(scan.error) + ", found " + describe(scan.end));
        out = Value::number(std::string(m_text.substr(m_pos, scan.end - m_pos)));
        m_pos = scan.end;
        return true;
    }

    bool checkDepth(int depth) {
        if (depth <= kMaxDepth) return true;
        return fail(m_pos, "nesting deeper than " + std::to_string(kMaxDepth) + " levels");
    }

    bool parseArray(Value& out, int depth) {
        if (!checkDepth(depth)) return false;
        ++m_pos; // '['
        std::vector<Value> items;
        skipWhitespace();
        if (!atEnd() && peek() == ']') {
            ++m_pos;
            out = Value::array(std::move(items));
            return true;
        }
        for (;;) {
            Value item;
            if (!parseValue(item, depth)) return false;
            items.push_back(std::move(item));
            skipWhitespace();
            if (!atEnd() && peek() == ',') {
                ++m_pos;
                continue;
            }
            if (!atEnd() && peek() == ']') {
                ++m_pos;
                break;
            }
            return fail(m_pos, "expected ',' or ']' in array, found " + describe(m_pos));
        }
        out = Value::array(std::move(items));
        return true;
    }

    bool parseObject(Value& out, int depth) {
        if (!checkDepth(depth)) return false;
        ++m_pos; // '{'
        std::vector<Value::Member> members;
        skipWhitespace();
        if (!atEnd() && peek() == '}') {
            ++m_pos;
            out = Value::object(std::move(members));
            return true;
        }
        for (;;) {
            skipWhitespace();
            if (atEnd() || peek() != '"')
                return fail(m_pos, "expected a string key in object, found " + describe(m_pos));
            std::string key;
            if (!parseString(key)) return false;
            skipWhitespace();
            if (atEnd() || peek() != ':')
                return fail(m_pos, "expected ':' after object key, found " + describe(m_pos));
            ++m_pos;
            Value v;
            if (!parseValue(v, depth)) return false;
            members.emplace_back(std::move(key), std::move(v));
            skipWhitespace();
            if (!atEnd() && peek() == ',') {
                ++m_pos;
                continue;
            }
            if (!atEnd() && peek() == '}') {
                ++m_pos;
                break;
            }
            return fail(m_pos, "expected ',' or '}' in object, found " + describe(m_pos));
        }
        out = Value::object(std::move(members));
        return true;
    }

    bool parseString(std::string& out) {
        const size_t open = m_pos;
        ++m_pos; // opening quote
        for (;;) {
            const size_t start = m_pos;
            while (!atEnd()) {
                const unsigned char c = peek();
                if (c == '"' || c == '\\' || c < 0x20 || c >= 0x80) break;
                ++m_pos;
            }
            out.append(m_text.substr(start, m_pos - start));
            if (atEnd()) return fail(open, "unterminated string");
            const unsigned char c = peek();
            if (c == '"') {
                ++m_pos;
                return true;
            }
            if (c < 0x20)
                return fail(m_pos, "unescaped control character " + hexByte(c) + " in string");
            if (c >= 0x80) {
                const size_t len = utf8SequenceLength(m_text, m_pos);
                if (len == 0) return fail(m_pos, "invalid UTF-8 in string");
                out.append(m_text.substr(m_pos, len));
                m_pos += len;
                continue;
            }
            if (!parseEscape(out, open)) return false;
        }
    }

    bool readHex4(uint32_t& out) {
        out = 0;
        for (int k = 0; k < 4; ++k) {
            if (atEnd()) return fail(m_pos, "expected four hex digits after \\u");
            const char c = m_text[m_pos];
            uint32_t digit;
            if (isDigit(c))
                digit = uint32_t(c - '0');
            else if (c >= 'a' && c <= 'f')
                digit = uint32_t(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                digit = uint32_t(c - 'A' + 10);
            else
                return fail(m_pos, "expected four hex digits after \\u");
            out = out * 16 + digit;
            ++m_pos;
        }
        return true;
    }

    bool parseEscape(std::string& out, size_t open) {
        const size_t escape = m_pos;
        ++m_pos; // backslash
        if (atEnd()) return fail(open, "unterminated string");
        const char c = m_text[m_pos++];
        switch (c) {
        case '"':
            out.push_back('"');
            return true;
        case '\\':
            out.push_back('\\');
            return true;
        case '/':
            out.push_back('/');
            return true;
        case 'b':
            out.push_back('\b');
            return true;
        case 'f':
            out.push_back('\f');
            return true;
        case 'n':
            out.push_back('\n');
            return true;
        case 'r':
            out.push_back('\r');
            return true;
        case 't':
            out.push_back('\t');
            return true;
        case 'u':
            break;
        default:
            return fail(escape, "invalid escape sequence \\" + describe(escape + 1));
        }
        uint32_t cp;
        if (!readHex4(cp)) return false;
        if (cp >= 0xDC00 && cp <= 0xDFFF)
            return fail(escape, "low surrogate without a preceding high surrogate");
        if (cp >= 0xD800 && cp <= 0xDBFF) {
            if (m_text.substr(m_pos, 2) != "\\u")
                return fail(escape, "high surrogate not followed by a low surrogate");
            m_pos += 2;
            uint32_t low;
            if (!readHex4(low)) return false;
            if (low < 0xDC00 || low > 0xDFFF)
                return fail(escape, "high surrogate not followed by a low surrogate");
            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
        }
        appendUtf8(out, cp);
        return true;
    }

    std::string_view m_text;
    size_t m_start = 0; // after a byte order mark, so columns match what editors show
    size_t m_pos = 0;
    std::string m_error;
};

} // namespace

// ---- Value ----

Value Value::boolean(bool b) {
    Value v;
    v.m_kind = Kind::Bool;
    v.m_bool = b;
    return v;
}

Value Value::number(std::string text) {
    if (!isNumberText(text)) throw std::invalid_argument("not a JSON number: " + text);
    Value v;
    v.m_kind = Kind::Number;
    v.m_text = std::move(text);
    return v;
}

Value Value::numberFromInt(int64_t n) {
    char buf[24];
    const auto res = std::to_chars(buf, buf + sizeof buf, n);
    return number(std::string(buf, res.ptr));
}

Value Value::numberFromDouble(double d) {
    if (!std::isfinite(d)) throw std::invalid_argument("JSON numbers must be finite");
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, d);
    return number(std::string(buf, res.ptr));
}

Value Value::string(std::string s) {
    Value v;
    v.m_kind = Kind::String;
    v.m_text = std::move(s);
    return v;
}

Value Value::array(std::vector<Value> items) {
    Value v;
    v.m_kind = Kind::Array;
    v.m_items = std::move(items);
    return v;
}

Value Value::object(std::vector<Member> members) {
    Value v;
    v.m_kind = Kind::Object;
    v.m_members = std::move(members);
    return v;
}

const std::string& Value::numberText() const {
    return m_kind == Kind::Number ? m_text : kEmpty;
}

const std::string& Value::stringValue() const {
    return m_kind == Kind::String ? m_text : kEmpty;
}

const Value* Value::find(std::string_view key) const {
    for (const Member& m : m_members)
        if (m.first == key) return &m.second;
    return nullptr;
}

bool Value::toInt64(int64_t& out) const {
    if (m_kind != Kind::Number) return false;
    // from_chars stops at '.', 'e' or 'E', so a fraction or exponent fails the end check.
    const char* end = m_text.data() + m_text.size();
    int64_t n;
    const auto res = std::from_chars(m_text.data(), end, n);
    if (res.ec != std::errc() || res.ptr != end) return false;
    out = n;
    return true;
}

bool Value::toDouble(double& out) const {
    if (m_kind != Kind::Number) return false;
    const char* end = m_text.data() + m_text.size();
    double d;
    const auto res = std::from_chars(m_text.data(), end, d);
    if (res.ec != std::errc() || res.ptr != end) return false;
    out = d;
    return true;
}

void Value::append(Value v) {
    if (m_kind != Kind::Array) throw std::logic_error("append() on a non-array JSON value");
    m_items.push_back(std::move(v));
}

void Value::add(std::string key, Value v) {
    if (m_kind != Kind::Object) throw std::logic_error("add() on a non-object JSON value");
    m_members.emplace_back(std::move(key), std::move(v));
}

bool Value::operator==(const Value& other) const {
    if (m_kind != other.m_kind) return false;
    switch (m_kind) {
    case Kind::Null:
        return true;
    case Kind::Bool:
        return m_bool == other.m_bool;
    case Kind::Number:
    case Kind::String:
        return m_text == other.m_text;
    case Kind::Array:
        return m_items == other.m_items;
    case Kind::Object:
        return m_members == other.m_members;
    }
    return false;
}

// ---- parse / write ----

bool parse(std::string_view text, Value& out, std::string& error) {
    return Parser(text).run(out, error);
}

void write(const Value& v, std::string& out) {
    Writer w(out);
    w.value(v);
}

// ---- Writer ----

namespace {
constexpr size_t kFlushThreshold = 64 * 1024;
}

Writer::Writer(std::ostream& os) : m_os(&os), m_out(m_buffer) {}

Writer::Writer(std::string& out) : m_out(out) {}

Writer::~Writer() {
    try {
        flush();
    } catch (...) { // a stream with exceptions enabled must not terminate us here
    }
}

void Writer::flush() {
    if (!m_os || m_buffer.empty()) return;
    m_os->write(m_buffer.data(), std::streamsize(m_buffer.size()));
    m_buffer.clear();
}

void Writer::maybeFlush() {
    if (m_os && m_buffer.size() >= kFlushThreshold) flush();
}

void Writer::beforeValue() {
    if (m_stack.empty()) {
        if (m_done) throw std::logic_error("JSON writer: second top-level value");
        return;
    }
    Frame& f = m_stack.back();
    if (f.isObject) {
        if (!f.keyPending) throw std::logic_error("JSON writer: object value without a key");
        f.keyPending = false;
        return;
    }
    if (!f.empty) m_out.push_back(',');
    f.empty = false;
}

void Writer::afterValue() {
    if (m_stack.empty()) m_done = true;
    maybeFlush();
}

void Writer::beginObject() {
    beforeValue();
    m_out.push_back('{');
    m_stack.push_back({true, true, false});
}

void Writer::endObject() {
    if (m_stack.empty() || !m_stack.back().isObject || m_stack.back().keyPending)
        throw std::logic_error("JSON writer: endObject() without a complete open object");
    m_stack.pop_back();
    m_out.push_back('}');
    afterValue();
}

void Writer::beginArray() {
    beforeValue();
    m_out.push_back('[');
    m_stack.push_back({false, true, false});
}

void Writer::endArray() {
    if (m_stack.empty() || m_stack.back().isObject)
        throw std::logic_error("JSON writer: endArray() without an open array");
    m_stack.pop_back();
    m_out.push_back(']');
    afterValue();
}

void Writer::key(std::string_view k) {
    if (m_stack.empty() || !m_stack.back().isObject || m_stack.back().keyPending)
        throw std::logic_error("JSON writer: key() where no key is expected");
    Frame& f = m_stack.back();
    if (!f.empty) m_out.push_back(',');
    f.empty = false;
    appendEscaped(m_out, k);
    m_out.push_back(':');
    f.keyPending = true;
}

void Writer::string(std::string_view s) {
    beforeValue();
    appendEscaped(m_out, s);
    afterValue();
}

void Writer::number(std::string_view raw) {
    if (!isNumberText(raw))
        throw std::invalid_argument("JSON writer: not a number: " + std::string(raw));
    beforeValue();
    m_out.append(raw);
    afterValue();
}

void Writer::integer(int64_t n) {
    char buf[24];
    const auto res = std::to_chars(buf, buf + sizeof buf, n);
    beforeValue();
    m_out.append(buf, res.ptr);
    afterValue();
}

void Writer::real(double d) {
    if (!std::isfinite(d)) throw std::invalid_argument("JSON writer: numbers must be finite");
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, d);
    beforeValue();
    m_out.append(buf, res.ptr);
    afterValue();
}

void Writer::boolean(bool b) {
    beforeValue();
    m_out += b ? "true" : "false";
    afterValue();
}

void Writer::null() {
    beforeValue();
    m_out += "null";
    afterValue();
}

void Writer::value(const Value& v) {
    switch (v.kind()) {
    case Value::Kind::Null:
        null();
        break;
    case Value::Kind::Bool:
        boolean(v.boolValue());
        break;
    case Value::Kind::Number: // already validated when the Value was made
        beforeValue();
        m_out += v.numberText();
        afterValue();
        break;
    case Value::Kind::String:
        string(v.stringValue());
        break;
    case Value::Kind::Array:
        beginArray();
        for (const Value& item : v.items())
            value(item);
        endArray();
        break;
    case Value::Kind::Object:
        beginObject();
        for (const Value::Member& m : v.members()) {
            key(m.first);
            value(m.second);
        }
        endObject();
        break;
    }
}

} // namespace dorod::json
