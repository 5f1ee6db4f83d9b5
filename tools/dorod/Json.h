// dorod's JSON: values and parsing are nlohmann-json's (objects keep member order, so dumps
// come out in column order); the writer streams a dump token by token so large tables never
// exist as one tree, and writes doubles in their shortest round-trip form ("150", "0.1").
#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace dorod::json {

using Value = nlohmann::ordered_json;

// Nesting of arrays and objects deeper than this is refused by parse(): no table needs it,
// and it keeps whatever walks a parsed tree recursively within a bounded stack.
inline constexpr int kMaxDepth = 512;

// Parses exactly one JSON text. On failure returns false, leaves out unchanged and sets
// error to "line L, column C: what" (column counts characters, both 1-based). A leading
// UTF-8 byte order mark is ignored. A key given twice in one object is refused: which of
// the two was meant cannot be known. "-0" reads as the double -0.0 so a dumped negative
// zero comes back bit for bit.
bool parse(std::string_view text, Value& out, std::string& error);

// An integral number (either sign kind, or -0) within int64 range.
bool toInt64(const Value& v, int64_t& out);
// Any number, as a double.
bool toDouble(const Value& v, double& out);

// Shortest text that reads back as exactly d ("0.1", "150", "-0", "1e+21"). Requires a
// finite d (JSON has no NaN or infinity); throws std::invalid_argument otherwise.
std::string doubleText(double d);

// Appends the compact form of v to out.
void write(const Value& v, std::string& out);

// Emits JSON token by token. Commas are inserted automatically. Misuse (a key outside an
// object, a value where a key is due, mismatched end, a second top-level value) throws
// std::logic_error. Strings must be UTF-8; invalid bytes are written as U+FFFD so the
// output always parses.
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
    void raw(std::string_view text);

    std::ostream* m_os = nullptr;
    std::string m_buffer; // used for a stream target
    std::string& m_out;
    std::vector<Frame> m_stack;
    bool m_done = false;
};

} // namespace dorod::json
