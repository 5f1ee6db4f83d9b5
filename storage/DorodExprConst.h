// Constants of the filter expression language: token kinds with the codes that the
// condition records keep, comparison operator codes, limits of a "like" mask, the
// messages of the lexer, the condition parser, binding and masks, and the exception
// that carries them.
#pragma once

#include "storage/DorodConst.h"

#include <cstdint>
#include <stdexcept>
#include <string>

namespace dorod {

// Token kinds; the numbers are the codes kept in condition records (19 is unused).
enum class TDorodTokenKind : uint8_t {
    Identifier = 1,
    Quoted = 2,
    Comma = 3,
    Dot = 4,
    Keyword = 5, // any keyword without a kind of its own
    Number = 6,
    Star = 7,
    Arithmetic = 8, // + - /
    Logical = 9,    // AND OR NOT
    Comparison = 10,
    OpenParen = 11,
    CloseParen = 12,
    Null = 13,
    Count = 14, // the aggregates: the word directly followed by "("
    Sum = 15,
    Max = 16,
    Min = 17,
    Avg = 18,
    True = 20,
    False = 21,
};

// Operator codes of a condition.
enum class TDorodCompareOp : uint8_t {
    None = 0,
    Equal = 1,        // =
    Greater = 2,      // >
    Less = 3,         // <
    GreaterEqual = 4, // >=
    LessEqual = 5,    // <=
    NotEqual = 6,     // <>
    Like = 7,         // LIKE
    Any = 8,          // *= passes every record
};

// A mask holds at most 128 pattern items plus the end item, and at most 30 items
// preceded by a multi-character wildcard.
inline constexpr int kMaxMaskItems = 129;
inline constexpr int kMaxMaskWildcards = 30;

// Every error of the expression language is thrown as this exception; what() is exactly
// the message text. The dataset layer turns it into its own error: a dataset error
// (ForDataset()) gets the dataset's component name in front, the others are passed on
// as they are.
class EDorodExprError : public std::runtime_error {
public:
    explicit EDorodExprError(const std::string& message, bool forDataset = false)
        : std::runtime_error(message), m_forDataset(forDataset) {}
    // True for "Field %s is not found" and "Types of compared fields are not equal".
    bool ForDataset() const { return m_forDataset; }

private:
    bool m_forDataset;
};

} // namespace dorod
