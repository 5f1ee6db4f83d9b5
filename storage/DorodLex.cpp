#include "storage/DorodLex.h"

#include "storage/DorodConst.h"
#include "storage/DorodExp.h"
#include "storage/DorodLocale.h"

#include <algorithm>
#include <array>

namespace dorod {

namespace {

constexpr std::array<std::string_view, 22> kKeywords = {
    "SELECT", "FROM",  "WHERE", "AS",  "AND", "OR",  "NOT", "NULL", "JOIN",  "LEFT",     "ON",
    "LIKE",   "GROUP", "BY",    "SUM", "MAX", "MIN", "AVG", "TRUE", "FALSE", "DISTINCT", "COUNT"};

bool isBlank(char c) {
    return c == '\t' || c == '\n' || c == '\r' || c == ' ';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isLatin(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool isWordChar(char c) {
    return c == '$' || c == '_' || isDigit(c) || isLatin(c);
}
bool isSymbol(char c) {
    return c != '\0' && std::string_view("()*+,-./<=>").find(c) != std::string_view::npos;
}

bool isValidIdentifier(std::string_view word) {
    if (word.empty() || !(isLatin(word[0]) || word[0] == '_')) return false;
    return std::all_of(word.begin(), word.end(),
                       [](char c) { return isLatin(c) || isDigit(c) || c == '_'; });
}

std::string asciiUpper(std::string_view word) {
    std::string out(word);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return out;
}

// Blanks and control characters are trimmed from both ends; a zero byte then ends the
// text, as it would end a C string.
std::string_view prepare(std::string_view text) {
    while (!text.empty() && uint8_t(text.front()) <= 0x20)
        text.remove_prefix(1);
    while (!text.empty() && uint8_t(text.back()) <= 0x20)
        text.remove_suffix(1);
    const size_t zero = text.find('\0');
    return zero == std::string_view::npos ? text : text.substr(0, zero);
}

[[noreturn]] void fail(const char* message) {
    throw EDorodExprError(message);
}
[[noreturn]] void fail(const char* format, const std::string& arg) {
    throw EDorodExprError(formatMessage(format, arg.c_str()));
}

class Lexer {
public:
    Lexer(std::string_view text, std::vector<TDorodToken>& out)
        : m_text(prepare(text)), m_out(out), m_decimal(formatSettings().decimalSeparator) {}

    void run() {
        enum class State { Between, Word, Quoted, Blanks, Number };
        State state = State::Between;
        const size_t n = m_text.size();
        std::string collected;
        char quote = '\'';
        size_t i = 0;
        while (i < n) {
            const char c = m_text[i];
            const bool hasLook = i + 1 < n;
            const char look = hasLook ? m_text[i + 1] : '\0';
            switch (state) {
            case State::Between:
                collected.clear();
                if (isBlank(c)) {
                    state = State::Blanks;
                } else if (c == '\'' || c == '"') {
                    quote = c;
                    ++i; // an opening quote that is the last character gives nothing
                    if (hasLook) state = State::Quoted;
                } else if (isSymbol(c)) {
                    i += symbol(c, hasLook, look);
                } else if (isDigit(c)) {
                    state = State::Number;
                } else {
                    state = State::Word;
                }
                break;

            case State::Word:
                if (!isWordChar(c)) fail(msg::InvalidSymbol);
                collected += c;
                ++i;
                if (!hasLook || !isWordChar(look)) {
                    i += word(collected, hasLook && look == '(');
                    state = State::Between;
                }
                break;

            case State::Quoted:
                if (c == quote) {
                    if (hasLook && look == quote) {
                        collected += quote;
                        i += 2;
                        // The doubled quote used up the input: the text never closed.
                        if (i >= n) fail(msg::UnmatchedQuote);
                    } else {
                        emit(collected, TDorodTokenKind::Quoted);
                        ++i;
                        state = State::Between;
                    }
                } else {
                    if (!hasLook) fail(msg::UnmatchedQuote);
                    collected += c;
                    ++i;
                }
                break;

            case State::Blanks:
                if (isBlank(c))
                    ++i;
                else
                    state = State::Between;
                break;

            case State::Number:
                // The state is entered with a digit and left when the look-ahead is no
                // number character, so this holds the state's rule rather than firing.
                if (!isNumberChar(c)) fail(msg::InvalidNumber, collected + c);
                collected += c;
                ++i;
                if (!hasLook || !isNumberChar(look)) {
                    emit(collected, TDorodTokenKind::Number);
                    state = State::Between;
                }
                break;
            }
        }
        if (m_opened != m_closed) fail(msg::UnmatchedParentheses);
    }

private:
    bool isNumberChar(char c) const { return isDigit(c) || c == '-' || c == m_decimal; }

    void emit(std::string text, TDorodTokenKind kind) { m_out.push_back({std::move(text), kind}); }

    // Handles one of ( ) * + , - . / < = >; returns the characters used.
    size_t symbol(char c, bool hasLook, char look) {
        if (m_aggregateOpen && c != '.' && c != ')')
            fail(msg::SymbolInAggregate, std::string(1, c));
        if (hasLook && ((c == '>' && look == '=') || (c == '<' && (look == '=' || look == '>')) ||
                        (c == '*' && look == '='))) {
            emit(std::string{c, look}, TDorodTokenKind::Comparison);
            return 2;
        }
        switch (c) {
        case '(':
            emit("(", TDorodTokenKind::OpenParen);
            ++m_opened;
            break;
        case ')':
            // The parenthesis of an aggregate was never emitted nor counted.
            if (m_aggregateOpen) {
                m_aggregateOpen = false;
            } else {
                emit(")", TDorodTokenKind::CloseParen);
                ++m_closed;
            }
            break;
        case '*':
            emit("*", TDorodTokenKind::Star);
            break;
        case ',':
            emit(",", TDorodTokenKind::Comma);
            break;
        case '.':
            emit(".", TDorodTokenKind::Dot);
            break;
        case '<':
        case '=':
        case '>':
            emit(std::string(1, c), TDorodTokenKind::Comparison);
            break;
        default: // + - /
            emit(std::string(1, c), TDorodTokenKind::Arithmetic);
            break;
        }
        return 1;
    }

    // Emits a finished word; returns 1 when it took the "(" that follows it.
    size_t word(const std::string& text, bool parenFollows) {
        const std::string upper = asciiUpper(text);
        if (!isDorodKeyword(upper)) {
            if (!isValidIdentifier(text)) fail(msg::InvalidIdentifier, text);
            emit(text, TDorodTokenKind::Identifier);
            return 0;
        }
        TDorodTokenKind kind = TDorodTokenKind::Keyword;
        if (upper == "OR" || upper == "AND" || upper == "NOT")
            kind = TDorodTokenKind::Logical;
        else if (upper == "NULL")
            kind = TDorodTokenKind::Null;
        else if (upper == "TRUE")
            kind = TDorodTokenKind::True;
        else if (upper == "FALSE")
            kind = TDorodTokenKind::False;
        else if (parenFollows) {
            if (upper == "COUNT")
                kind = TDorodTokenKind::Count;
            else if (upper == "SUM")
                kind = TDorodTokenKind::Sum;
            else if (upper == "MAX")
                kind = TDorodTokenKind::Max;
            else if (upper == "MIN")
                kind = TDorodTokenKind::Min;
            else if (upper == "AVG")
                kind = TDorodTokenKind::Avg;
            else
                fail(msg::UnsupportedFunction, upper);
            emit(upper, kind);
            m_aggregateOpen = true;
            return 1;
        }
        emit(upper, kind);
        return 0;
    }

    std::string_view m_text;
    std::vector<TDorodToken>& m_out;
    const char m_decimal;
    int m_opened = 0;
    int m_closed = 0;
    bool m_aggregateOpen = false;
};

} // namespace

bool isDorodKeyword(std::string_view upperWord) {
    return std::find(kKeywords.begin(), kKeywords.end(), upperWord) != kKeywords.end();
}

TDorodParser::TDorodParser() = default;
TDorodParser::~TDorodParser() = default;

void TDorodParser::Tokenize(std::string_view text) {
    std::vector<TDorodToken> tokens;
    Lexer(text, tokens).run();
    m_tokens.insert(m_tokens.end(), std::make_move_iterator(tokens.begin()),
                    std::make_move_iterator(tokens.end()));
}

void TDorodParser::Clear() {
    m_tokens.clear();
    m_joins.clear();
    m_columns.clear();
    m_sources.clear();
    m_conditions.clear();
}

} // namespace dorod
