#include "tools/dorod/Json.h"

#include <charconv>
#include <cmath>
#include <iterator>
#include <limits>
#include <ostream>
#include <stdexcept>

namespace dorod::json {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

// Walks the text for the parser and remembers how far it has read, so the tree builder
// knows where in the text each event happened (nlohmann's events carry no position).
struct TrackingIterator {
    using iterator_category = std::forward_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = const char&;

    const char* at = nullptr;
    const char** furthest = nullptr;

    reference operator*() const { return *at; }
    TrackingIterator& operator++() {
        ++at;
        if (at > *furthest) *furthest = at;
        return *this;
    }
    TrackingIterator operator++(int) {
        TrackingIterator before = *this;
        ++*this;
        return before;
    }
    bool operator==(const TrackingIterator& other) const { return at == other.at; }
    bool operator!=(const TrackingIterator& other) const { return at != other.at; }
};

// "line L, column C" of a byte offset; columns count characters, not UTF-8 continuation
// bytes, and start after a byte order mark, as editors show them.
std::string location(std::string_view text, size_t offset) {
    size_t line = 1;
    size_t column = 1;
    const size_t start = text.starts_with(kBom) ? kBom.size() : 0;
    for (size_t i = start; i < offset && i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\n') {
            ++line;
            column = 1;
        } else if ((c & 0xC0) != 0x80) {
            ++column;
        }
    }
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

// nlohmann's message without its exception tag and its own byte-based position.
std::string describe(const nlohmann::detail::exception& e) {
    std::string what = e.what();
    if (what.starts_with("[json.exception.")) {
        const size_t tagEnd = what.find("] ");
        if (tagEnd != std::string::npos) what.erase(0, tagEnd + 2);
    }
    if (what.starts_with("parse error")) {
        const size_t colon = what.find(": ");
        if (colon != std::string::npos) what.erase(0, colon + 2);
    }
    return what;
}

// Builds the tree from the parser's events, refusing duplicate keys and deep nesting.
class TreeBuilder {
public:
    using number_integer_t = Value::number_integer_t;
    using number_unsigned_t = Value::number_unsigned_t;
    using number_float_t = Value::number_float_t;
    using string_t = Value::string_t;
    using binary_t = Value::binary_t;

    TreeBuilder(std::string_view text, const char** furthest)
        : m_text(text), m_furthest(furthest) {}

    bool null() { return put(Value()); }
    bool boolean(bool b) { return put(Value(b)); }
    bool number_integer(number_integer_t n) {
        return put(n == 0 && lastNumberIsNegativeZero() ? Value(-0.0) : Value(n));
    }
    bool number_unsigned(number_unsigned_t n) {
        return put(n == 0 && lastNumberIsNegativeZero() ? Value(-0.0) : Value(n));
    }
    bool number_float(number_float_t d, const string_t&) { return put(Value(d)); }
    bool string(string_t& s) { return put(Value(std::move(s))); }
    bool binary(binary_t&) { return fail(consumed(), "binary values are not JSON"); }
    bool start_object(std::size_t) { return open(Value::object()); }
    bool end_object() { return close(); }
    bool start_array(std::size_t) { return open(Value::array()); }
    bool end_array() { return close(); }

    bool key(string_t& k) {
        if (m_open.back()->contains(k))
            return fail(consumed(), "key \"" + k + "\" given twice in one object");
        m_key = std::move(k);
        return true;
    }

    bool parse_error(std::size_t position, const std::string&,
                     const nlohmann::detail::exception& e) {
        return fail(position > 0 ? position - 1 : 0, describe(e));
    }

    Value& result() { return m_root; }
    const std::string& error() const { return m_error; }

private:
    size_t consumed() const { return size_t(*m_furthest - m_text.data()); }

    // The parser reads one character past a number before reporting it; an integer zero
    // is "0" or "-0", so the sign sits just before the last '0' read.
    bool lastNumberIsNegativeZero() const {
        size_t end = consumed();
        if (end > 0 && m_text[end - 1] != '0') --end;
        return end >= 2 && m_text[end - 1] == '0' && m_text[end - 2] == '-';
    }

    // Stores v where the text puts it and returns where it now lives.
    Value* place(Value v) {
        if (m_open.empty()) {
            m_root = std::move(v);
            return &m_root;
        }
        Value& parent = *m_open.back();
        if (parent.is_array()) {
            parent.push_back(std::move(v));
            return &parent.back();
        }
        Value& slot = parent[m_key];
        slot = std::move(v);
        return &slot;
    }

    bool put(Value v) {
        place(std::move(v));
        return true;
    }

    bool open(Value container) {
        if (m_open.size() >= size_t(kMaxDepth))
            return fail(consumed() - 1,
                        "nesting deeper than " + std::to_string(kMaxDepth) + " levels");
        // Pointers to open containers stay valid: nothing is added to a container's parent
        // while the container is open.
        m_open.push_back(place(std::move(container)));
        return true;
    }

    bool close() {
        m_open.pop_back();
        return true;
    }

    bool fail(size_t offset, const std::string& what) {
        m_error = location(m_text, offset) + ": " + what;
        return false;
    }

    std::string_view m_text;
    const char** m_furthest;
    Value m_root;
    std::vector<Value*> m_open;
    std::string m_key;
    std::string m_error;
};

} // namespace

bool parse(std::string_view text, Value& out, std::string& error) {
    const char* furthest = text.data();
    TreeBuilder builder(text, &furthest);
    const TrackingIterator first{text.data(), &furthest};
    const TrackingIterator last{text.data() + text.size(), &furthest};
    bool ok = false;
    try {
        ok = Value::sax_parse(first, last, &builder, nlohmann::detail::input_format_t::json, true);
    } catch (
        const nlohmann::detail::exception& e) { // the parser reports through the builder; be safe
        error = describe(e);
        return false;
    }
    if (!ok) {
        error = builder.error().empty() ? "invalid JSON" : builder.error();
        return false;
    }
    out = std::move(builder.result());
    return true;
}

bool toInt64(const Value& v, int64_t& out) {
    if (v.is_number_unsigned()) {
        const auto u = v.get<uint64_t>();
        if (u > uint64_t(std::numeric_limits<int64_t>::max())) return false;
        out = int64_t(u);
        return true;
    }
    if (v.is_number_integer()) {
        out = v.get<int64_t>();
        return true;
    }
    if (v.is_number_float() && v.get<double>() == 0 && std::signbit(v.get<double>())) {
        out = 0; // "-0"
        return true;
    }
    return false;
}

bool toDouble(const Value& v, double& out) {
    if (!v.is_number()) return false;
    out = v.get<double>();
    return true;
}

std::string doubleText(double d) {
    if (!std::isfinite(d)) throw std::invalid_argument("JSON numbers must be finite");
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, d);
    return std::string(buf, res.ptr);
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

void Writer::raw(std::string_view text) {
    m_out.append(text);
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
    if (m_os && m_buffer.size() >= kFlushThreshold) flush();
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

namespace {
// nlohmann's escaping: the two-character escapes, \u00xx for other control characters,
// UTF-8 kept as it is, invalid bytes replaced by U+FFFD.
std::string escaped(std::string_view s) {
    return Value(std::string(s)).dump(-1, ' ', false, Value::error_handler_t::replace);
}
} // namespace

void Writer::key(std::string_view k) {
    if (m_stack.empty() || !m_stack.back().isObject || m_stack.back().keyPending)
        throw std::logic_error("JSON writer: key() where no key is expected");
    Frame& f = m_stack.back();
    if (!f.empty) m_out.push_back(',');
    f.empty = false;
    raw(escaped(k));
    m_out.push_back(':');
    f.keyPending = true;
}

void Writer::string(std::string_view s) {
    beforeValue();
    raw(escaped(s));
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
    const std::string text = doubleText(d);
    beforeValue();
    raw(text);
    afterValue();
}

void Writer::boolean(bool b) {
    beforeValue();
    raw(b ? "true" : "false");
    afterValue();
}

void Writer::null() {
    beforeValue();
    raw("null");
    afterValue();
}

void Writer::value(const Value& v) {
    switch (v.type()) {
    case Value::value_t::null:
        null();
        break;
    case Value::value_t::boolean:
        boolean(v.get<bool>());
        break;
    case Value::value_t::number_integer:
        integer(v.get<int64_t>());
        break;
    case Value::value_t::number_unsigned: {
        char buf[24];
        const auto res = std::to_chars(buf, buf + sizeof buf, v.get<uint64_t>());
        beforeValue();
        m_out.append(buf, res.ptr);
        afterValue();
        break;
    }
    case Value::value_t::number_float:
        real(v.get<double>());
        break;
    case Value::value_t::string:
        string(v.get_ref<const std::string&>());
        break;
    case Value::value_t::array:
        beginArray();
        for (const Value& item : v)
            value(item);
        endArray();
        break;
    case Value::value_t::object:
        beginObject();
        for (auto it = v.begin(); it != v.end(); ++it) {
            key(it.key());
            value(it.value());
        }
        endObject();
        break;
    case Value::value_t::binary:
    case Value::value_t::discarded:
        throw std::logic_error("JSON writer: a value JSON text cannot hold");
    }
}

} // namespace dorod::json
