// Filter conditions: the "like" mask TDorodMask, the condition record TDorodCField, the
// condition parser (condition { AND condition } [GROUP BY ...]), binding a condition list
// to the fields of a record store, and testing a stored record against it.
//
// Errors are thrown as EDorodExprError (DorodExprConst.h) carrying exactly the message
// text; "Field %s is not found" and "Types of compared fields are not equal" are marked
// as dataset errors.
#pragma once

#include "storage/DorodExprConst.h"
#include "storage/DorodLex.h"
#include "storage/DorodRecord.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace dorod {

class TDorodCursor;

// A "like" mask: "%" or "*" stands for any run of characters, "?" or "_" for one
// character; everything else matches itself without regard to letter case (Windows-1251
// rules). The whole text must match. A "?" or "_" while a "%" waits for its item adds
// nothing, so "%_" acts as "%". A zero byte ends both the mask and the text.
class TDorodMask {
public:
    struct Item {
        bool afterWildcard = false; // a multi-character wildcard precedes this item
        bool anyChar = false;       // the single-character wildcard
        uint8_t ch = 0;             // the character in capitals; 0 is the end of the text
    };

    // The mask of the empty text: it matches only the empty text.
    TDorodMask();
    // Throws EDorodExprError when the mask has more than 30 multi-character wildcards
    // before items or more than 128 pattern characters.
    explicit TDorodMask(std::string_view mask);

    // Rebuilds the mask; false with the message instead of throwing, leaving the mask
    // of the empty text.
    bool Assign(std::string_view mask, std::string& message);

    bool Matches(std::string_view text) const;

    int Count() const { return m_count; }
    std::span<const Item> Items() const { return {m_items.data(), size_t(m_count)}; }

private:
    std::array<Item, kMaxMaskItems> m_items{};
    int m_count = 0;
    // For a mask of the form "%text%" (the common search): the text in capitals, looked
    // for directly instead of item by item.
    std::string m_containedText;
};

// One comparison of a filter. The first group is set by the parser, the second by
// binding.
struct TDorodCField {
    std::string leftQualifier; // kept, not used in evaluation
    std::string leftName;
    std::string rightQualifier; // kept, not used in evaluation
    std::string rightText;      // a negative number keeps its "-"
    TDorodTokenKind leftKind = TDorodTokenKind::Identifier;
    TDorodTokenKind rightKind = TDorodTokenKind::Identifier;
    TDorodCompareOp op = TDorodCompareOp::None;

    // Set by binding: the text the right side is compared with (empty when the right
    // side is a field or NULL), the mask of a LIKE with a literal, the field indexes
    // (rightField -1 unless the right side is a field), and the literal in the left
    // field's stored form, in a record of the store's layout.
    std::string literal;
    std::unique_ptr<TDorodMask> mask;
    int leftField = -1;
    int rightField = -1;
    std::optional<TDorodRecordBuffer> literalRecord;
};

// The conditions of one filter text, all joined by AND.
class TDorodCFieldList {
public:
    std::vector<TDorodCField> items;

    bool empty() const { return items.empty(); }
    size_t size() const { return items.size(); }
    void clear() { items.clear(); }

    // Checks and completes each condition against the store's fields (names compared
    // without regard to letter case), converting literals to the left field's stored
    // form. Throws EDorodExprError ("Field %s is not found", or a mask error).
    void Bind(const TDorodCursor& cursor);

    // True when the record (in the store's layout) passes every condition. Throws
    // "Types of compared fields are not equal" for two fields of incompatible types.
    // A list that was not bound to this store's fields rejects every record.
    // LIKE whose right side names a field uses that field's display text in the same
    // record as the mask; a text that makes no valid mask matches nothing.
    bool TestRecord(const TDorodCursor& cursor, const uint8_t* record, bool caseInsensitive) const;
};

// Reads tokens from index start as condition { AND condition } [GROUP BY ...] and
// appends a condition per comparison to list. Returns the index of the token BY when it
// stopped at GROUP BY, 0 when the tokens ran out; an unfinished last condition is
// dropped. Throws "Error in comparison expression" at the first token out of place.
size_t ParseConditions(const std::vector<TDorodToken>& tokens, size_t start,
                       TDorodCFieldList& list);

// Lexer and condition parser over a filter text.
TDorodCFieldList ParseFilter(std::string_view text);

} // namespace dorod
