// The lexer of the engine's query dialect. TDorodParser turns a text into tokens; the
// condition parser that reads them is in DorodExp.h. The lexer knows every keyword of
// the dialect (SELECT, FROM, JOIN, GROUP BY, the aggregates), but only the token list is
// ever filled: the join, column and source lists exist for statements that are not
// parsed and stay empty.
#pragma once

#include "storage/DorodExprConst.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace dorod {

struct TDorodCField; // DorodExp.h

struct TDorodToken {
    std::string text;
    TDorodTokenKind kind = TDorodTokenKind::Identifier;
};

// Record layouts for the statements the keyword set is made for. Nothing fills them.
struct TDorodQSource {
    std::string name;
    std::string alias;
};

struct TDorodQColumn {
    std::string qualifier;
    std::string name;
    std::string alias;
    TDorodTokenKind aggregate = TDorodTokenKind::Identifier; // or Count ... Avg
    bool distinct = false;
};

struct TDorodQJoin {
    bool leftJoin = false;
    std::string source;
    std::string alias;
    std::string leftField;
    std::string rightField;
};

// The 22 keywords, in capitals.
bool isDorodKeyword(std::string_view upperWord);

class TDorodParser {
public:
    TDorodParser();
    ~TDorodParser();
    TDorodParser(const TDorodParser&) = delete;
    TDorodParser& operator=(const TDorodParser&) = delete;

    // Appends the tokens of a text to the token list. Throws EDorodExprError with one of
    // the lexer's messages; the token list is then as it was before the call.
    void Tokenize(std::string_view text);
    // Frees all five lists.
    void Clear();

    const std::vector<TDorodToken>& Tokens() const { return m_tokens; }
    std::vector<TDorodQJoin>& Joins() { return m_joins; }
    std::vector<TDorodQColumn>& Columns() { return m_columns; }
    std::vector<TDorodQSource>& Sources() { return m_sources; }
    std::vector<TDorodCField>& Conditions() { return m_conditions; }

private:
    std::vector<TDorodToken> m_tokens;
    std::vector<TDorodQJoin> m_joins;
    std::vector<TDorodQColumn> m_columns;
    std::vector<TDorodQSource> m_sources;
    std::vector<TDorodCField> m_conditions;
};

} // namespace dorod
