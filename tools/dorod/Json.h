// A small JSON (RFC 8259) value type, parser and writers for the dorod tool. Numbers keep
// their source text so 64-bit integers and doubles survive a round trip unchanged; objects
// keep member order so dumps come out in column order.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace dorod::json {

// Nesting of arrays and objects deeper than this is rejected by parse(), which keeps the
// recursive parser's stack use bounded on hostile input.
inline constexpr int kMaxDepth = 512;

class Value {
public:
    enum class Kind { Null, Bool, Number, String, Array, Object };
    using Member = std::pair<std::string, Value>;

    Value() = default; // null

    static Value null() { return Value(); }
    static Value boolean(bool b);
    // Throws std::invalid_argument unless text is a number in JSON grammar.
    static Value number(std::string text);
    static Value numberFromInt(int64_t n);
    // Shortest text that reads back as exactly d. Requires a finite d (JSON has no NaN or
    // infinity); throws std::invalid_argument otherwise.
    static Value numberFromDouble(double d);
    static Value string(std::string s);
    static Value array(std::vector<Value> items = {});
    // Duplicate keys are kept as given.
    static Value object(std::vector<Member> members = {});

    Kind kind() const { return m_kind; }
    bool isNull() const { return m_kind == Kind::Null; }
    bool isBool() const { return m_kind == Kind::Bool; }
    bool isNumber() const { return m_kind == Kind::Number; }
    bool isString() const { return m_kind == Kind::String; }
    bool isArray() const { return m_kind == Kind::Array; }
    bool isObject() const { return m_kind == Kind::Object; }

    // Accessors of another kind's payload return false / empty rather than throwing.
    bool boolValue() const { return m_kind == Kind::Bool && m_bool; }
    const std::string& numberText() const;
    const std::string& stringValue() const;
    const std::vector<Value>& items() const { return m_items; }
    const std::vector<Member>& members() const { return m_members; }

    // First member with this key, or nullptr (also for non-objects).
    const Value* find(std::string_view key) const;

    // Only for an integral text (no fraction or exponent) within int64 range.
    bool toInt64(int64_t& out) const;
    // False for non-numbers and for texts that overflow or underflow to zero as a double.
    bool toDouble(double& out) const;

    // Builders; throw std::logic_error on a value of the wrong kind.
    void append(Value v);
    void add(std::string key, Value v);

    // Numbers compare by text, so 1.0 != 1; objects compare member by member in order.
    bool operator==(const Value& other) const;

private:
    Kind m_kind = Kind::Null;
    bool m_bool = false;
    std::string m_text; // number text or string contents
    std::vector<Value> m_items;
    std::vector<Member> m_members;
};

// Parses exactly one JSON text. On failure returns false, leaves out unchanged and sets
// error to "line L, column C: what" (column counts characters, both 1-based). A leading
// UTF-8 byte order mark is ignored.
bool parse(std::string_view text, Value& out, std::string& error);

// Appends the compact form of v to out.
void write(const Value& v, std::string& out);

// Emits JSON token by token so large outputs never exist as one Value tree. Commas are
// inserted automatically. Misuse (a key outside an object, a value where a key is due,
// mismatched end, a second top-level value) throws std::logic_error. Strings must be UTF-8;
// invalid bytes are written as U+FFFD so the output always parses.
class Writer {
public:
    explicit Writer(std::ostream& os);
    explicit Writer(std::string& out); // appends
    ~Writer();                         // flushes a stream target
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    void beginObject();
    void endObject();
    void beginArray();
    void endArray();
    void key(std::string_view k);
    void string(std::string_view s);
    // Throws std::invalid_argument unless raw is a number in JSON grammar.
    void number(std::string_view raw);
    void integer(int64_t n);
    // Requires a finite d; throws std::invalid_argument otherwise.
    void real(double d);
    void boolean(bool b);
    void null();
    void value(const Value& v);

    // True once one complete top-level value has been written.
    bool complete() const { return m_done; }
    // Passes buffered text to the stream target; no-op for a string target.
    void flush();

private:
    struct Frame {
        bool isObject;
        bool empty;
        bool keyPending; // object only: key written, value due
    };

    void beforeValue();
    void afterValue();
    void maybeFlush();

    std::ostream* m_os = nullptr;
    std::string m_buffer; // used for a stream target
    std::string& m_out;
    std::vector<Frame> m_stack;
    bool m_done = false;
};

} // namespace dorod::json
