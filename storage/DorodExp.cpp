#include "storage/DorodExp.h"

#include "storage/DorodConst.h"
#include "storage/DorodConvert.h"
#include "storage/DorodCursor.h"
#include "storage/Win1251.h"

#include <algorithm>
#include <cstring>

namespace dorod {

// ---------------------------------------------------------------------------- masks

TDorodMask::TDorodMask() {
    m_items[0] = Item{};
    m_count = 1;
}

TDorodMask::TDorodMask(std::string_view mask) {
    std::string message;
    if (!Assign(mask, message)) throw EDorodExprError(message);
}

bool TDorodMask::Assign(std::string_view mask, std::string& message) {
    mask = mask.substr(0, mask.find('\0'));
    m_count = 0;
    int wildcards = 0;
    bool pending = false; // a multi-character wildcard waits for the next item
    auto add = [&](Item item, size_t position) {
        if (item.afterWildcard && ++wildcards > kMaxMaskWildcards) {
            message = formatMessage(msg::InvalidMask, std::string(mask).c_str(), int(position));
            return false;
        }
        if (m_count == kMaxMaskItems) {
            message = formatMessage(msg::MaskTooLong, std::string(mask).c_str());
            return false;
        }
        m_items[size_t(m_count++)] = item;
        return true;
    };
    bool ok = true;
    for (size_t i = 0; ok && i < mask.size(); ++i) {
        const char c = mask[i];
        if (c == '%' || c == '*') {
            pending = true;
        } else if (c == '?' || c == '_') {
            // While a multi-character wildcard is pending it already covers this one
            // character, so "%_" acts as "%".
            if (!pending) ok = add(Item{false, true, 0}, i + 1);
        } else {
            ok = add(Item{pending, false, win1251::kUpper[uint8_t(c)]}, i + 1);
            pending = false;
        }
    }
    if (ok) ok = add(Item{pending, false, 0}, mask.size() + 1);
    if (!ok) {
        m_items[0] = Item{};
        m_count = 1;
    }
    m_containedText.clear();
    const bool contains =
        ok && m_count >= 2 && m_items[0].afterWildcard &&
        m_items[size_t(m_count - 1)].afterWildcard && m_items[size_t(m_count - 1)].ch == 0 &&
        std::all_of(m_items.begin() + 1, m_items.begin() + (m_count - 1),
                    [](const Item& it) { return !it.afterWildcard && !it.anyChar; });
    if (contains)
        for (int k = 0; k < m_count - 1; ++k)
            m_containedText += char(m_items[size_t(k)].ch);
    return ok;
}

bool TDorodMask::Matches(std::string_view text) const {
    text = text.substr(0, text.find('\0'));
    if (!m_containedText.empty()) return win1251::containsUpperCased(text, m_containedText);
    const size_t n = text.size();
    auto upperAt = [&](size_t pos) { return win1251::kUpper[uint8_t(text[pos])]; };

    // Only the latest resume point is kept. A later multi-character wildcard can absorb
    // whatever an earlier one would have taken on a retry, so retrying an earlier one
    // never finds a match the latest one misses; dropping those points gives the same
    // answers as a full stack and keeps masks like "%a%a%a...%b" from taking
    // exponential time.
    bool canResume = false;
    int resumeItem = 0;
    size_t resumePos = 0;

    int item = 0;
    size_t pos = 0;
    while (item < m_count) {
        const Item& it = m_items[size_t(item)];
        if (it.afterWildcard) {
            if (!it.anyChar) {
                pos = it.ch == 0 ? n : win1251::findUpperCased(text, pos, uint8_t(it.ch));
                // A retry would reach this item no earlier, so it would find nothing
                // either.
                if (pos == n && it.ch != 0) return false;
            }
            if (pos < n) {
                canResume = true;
                resumeItem = item;
                resumePos = pos + 1;
            }
        }
        bool matched;
        if (it.anyChar)
            matched = pos < n;
        else if (it.ch == 0)
            matched = pos == n;
        else
            matched = pos < n && upperAt(pos) == it.ch;
        if (matched) {
            ++item;
            ++pos;
            continue;
        }
        if (!canResume) return false;
        canResume = false;
        item = resumeItem;
        pos = resumePos;
    }
    return true;
}

// ------------------------------------------------------------------ condition parser

namespace {

[[noreturn]] void comparisonError() {
    throw EDorodExprError(msg::ComparisonError);
}

TDorodCompareOp comparisonCode(std::string_view text) {
    if (text == "=") return TDorodCompareOp::Equal;
    if (text == ">") return TDorodCompareOp::Greater;
    if (text == "<") return TDorodCompareOp::Less;
    if (text == ">=") return TDorodCompareOp::GreaterEqual;
    if (text == "<=") return TDorodCompareOp::LessEqual;
    if (text == "<>") return TDorodCompareOp::NotEqual;
    if (text == "*=") return TDorodCompareOp::Any;
    comparisonError();
}

bool isRightOperand(TDorodTokenKind kind) {
    switch (kind) {
    case TDorodTokenKind::Identifier:
    case TDorodTokenKind::Quoted:
    case TDorodTokenKind::Number:
    case TDorodTokenKind::Null:
    case TDorodTokenKind::True:
    case TDorodTokenKind::False:
        return true;
    default:
        return false;
    }
}

} // namespace

size_t ParseConditions(const std::vector<TDorodToken>& tokens, size_t start,
                       TDorodCFieldList& list) {
    const size_t n = tokens.size();
    auto is = [&](size_t k, TDorodTokenKind kind) { return k < n && tokens[k].kind == kind; };
    auto isWord = [&](size_t k, TDorodTokenKind kind, std::string_view word) {
        return is(k, kind) && tokens[k].text == word;
    };

    size_t i = start;
    for (;;) {
        TDorodCField c;
        if (is(i, TDorodTokenKind::Identifier) && is(i + 1, TDorodTokenKind::Dot)) {
            c.leftQualifier = tokens[i].text;
            i += 2;
        }
        if (i >= n) return 0;
        if (!is(i, TDorodTokenKind::Identifier) && !is(i, TDorodTokenKind::Quoted))
            comparisonError();
        c.leftName = tokens[i].text;
        c.leftKind = tokens[i].kind;
        if (++i >= n) return 0;

        if (isWord(i, TDorodTokenKind::Keyword, "LIKE"))
            c.op = TDorodCompareOp::Like;
        else if (is(i, TDorodTokenKind::Comparison))
            c.op = comparisonCode(tokens[i].text);
        else
            comparisonError();
        if (++i >= n) return 0;

        bool negative = false;
        if (is(i, TDorodTokenKind::Identifier) && is(i + 1, TDorodTokenKind::Dot)) {
            c.rightQualifier = tokens[i].text;
            i += 2;
        } else if (is(i, TDorodTokenKind::Arithmetic)) {
            if (tokens[i].text != "-" || !is(i + 1, TDorodTokenKind::Number)) comparisonError();
            negative = true;
            ++i;
        }
        if (i >= n) return 0;
        if (!isRightOperand(tokens[i].kind)) comparisonError();
        c.rightText = negative ? "-" + tokens[i].text : tokens[i].text;
        c.rightKind = tokens[i].kind;
        list.items.push_back(std::move(c));
        if (++i >= n) return 0;

        if (isWord(i, TDorodTokenKind::Logical, "AND")) {
            ++i;
            continue;
        }
        if (isWord(i, TDorodTokenKind::Keyword, "GROUP") &&
            isWord(i + 1, TDorodTokenKind::Keyword, "BY"))
            return i + 1;
        comparisonError();
    }
}

TDorodCFieldList ParseFilter(std::string_view text) {
    TDorodParser parser;
    parser.Tokenize(text);
    TDorodCFieldList list;
    ParseConditions(parser.Tokens(), 0, list);
    return list;
}

// ------------------------------------------------------------ binding and record test

namespace {

[[noreturn]] void fieldNotFound(const std::string& name) {
    throw EDorodExprError(formatMessage(msg::FieldNotFound, name.c_str()), true);
}

int typeGroup(FieldType type) {
    switch (type) {
    case FieldType::Integer:
    case FieldType::Date:
    case FieldType::Time:
    case FieldType::AutoInc:
        return 1;
    case FieldType::Double:
    case FieldType::Currency:
    case FieldType::DateTime:
        return 2;
    default:
        return 0;
    }
}

bool comparableTypes(FieldType a, FieldType b) {
    return a == b || (typeGroup(a) != 0 && typeGroup(a) == typeGroup(b));
}

// Two fields of one record by the left field's value comparison. Both slots are copied
// into scratch slots described by the left field (widened to the longer of two SmallStr
// fields, so that neither text is cut); within a compatible group the stored forms are
// the same (int32 or double).
int compareTwoFields(const TDorodField& left, const TDorodField& right, const uint8_t* rec,
                     bool caseInsensitive) {
    TDorodField common = left;
    common.offset = 0;
    if (left.type == FieldType::SmallStr) {
        common.declaredSize = std::max(left.declaredSize, right.declaredSize);
        common.slotSize = std::max(left.slotSize, right.slotSize);
    }
    constexpr size_t kSmall = 64;
    alignas(8) uint8_t small[2][kSmall];
    std::vector<uint8_t> large;
    uint8_t* a = small[0];
    uint8_t* b = small[1];
    if (common.slotSize > kSmall) {
        large.assign(size_t(common.slotSize) * 2, 0);
        a = large.data();
        b = large.data() + common.slotSize;
    }
    std::memset(a, 0, common.slotSize);
    std::memset(b, 0, common.slotSize);
    std::memcpy(a, rec + left.offset, std::min(left.slotSize, common.slotSize));
    std::memcpy(b, rec + right.offset, std::min(right.slotSize, common.slotSize));
    return record::compareField(common, a, b, caseInsensitive);
}

bool passes(TDorodCompareOp op, int cmp) {
    switch (op) {
    case TDorodCompareOp::Equal:
        return cmp == 0;
    case TDorodCompareOp::Greater:
        return cmp > 0;
    case TDorodCompareOp::Less:
        return cmp < 0;
    case TDorodCompareOp::GreaterEqual:
        return cmp >= 0;
    case TDorodCompareOp::LessEqual:
        return cmp <= 0;
    case TDorodCompareOp::NotEqual:
        return cmp != 0;
    case TDorodCompareOp::Any:
        return true;
    default:
        return false;
    }
}

} // namespace

void TDorodCFieldList::Bind(const TDorodCursor& cursor) {
    for (TDorodCField& c : items) {
        c.literal.clear();
        c.mask.reset();
        c.literalRecord.reset();
        c.leftField = -1;
        c.rightField = -1;

        const int left = cursor.FieldIndex(c.leftName);
        if (left < 0) fieldNotFound(c.leftName);

        switch (c.rightKind) {
        case TDorodTokenKind::Identifier:
        case TDorodTokenKind::Quoted:
            // A quoted text that names a field compares with that field too.
            c.rightField = cursor.FieldIndex(c.rightText);
            if (c.rightField < 0) {
                if (c.rightKind == TDorodTokenKind::Identifier) fieldNotFound(c.rightText);
                c.literal = c.rightText;
            }
            break;
        case TDorodTokenKind::Number:
            c.literal = c.rightText;
            break;
        case TDorodTokenKind::True:
            c.literal = "TRUE";
            break;
        case TDorodTokenKind::False:
            c.literal = "FALSE";
            break;
        default: // NULL: the type's empty value
            break;
        }

        if (c.rightField < 0) {
            if (c.op == TDorodCompareOp::Like) {
                // Every literal, NULL's empty text included, is matched as a mask.
                c.mask = std::make_unique<TDorodMask>(c.literal);
            } else {
                c.literalRecord.emplace(cursor.Layout());
                textToStoredValue(*cursor.Field(left), c.literal, c.literalRecord->data());
            }
        }
        c.leftField = left;
    }
}

bool TDorodCFieldList::TestRecord(const TDorodCursor& cursor, const uint8_t* record,
                                  bool caseInsensitive) const {
    for (const TDorodCField& c : items) {
        const TDorodField* left = cursor.Field(c.leftField);
        if (!left) return false;
        const TDorodField* right = c.rightField >= 0 ? cursor.Field(c.rightField) : nullptr;
        if (c.rightField >= 0 && !right) return false;

        if (c.op == TDorodCompareOp::Like) {
            // The display text of a text field is the text itself: no copy per record.
            const bool isText = left->type == FieldType::SmallStr ||
                                left->type == FieldType::String || left->type == FieldType::Memo ||
                                left->type == FieldType::FmtMemo;
            std::string display;
            if (!isText) display = record::fieldAsText(*left, record);
            const std::string_view text = isText ? record::getText(record, *left) : display;
            if (right) {
                // LIKE naming a field: that field's display text in the same record is
                // the mask. A text that makes no valid mask matches nothing.
                TDorodMask mask;
                std::string message;
                if (!mask.Assign(record::fieldAsText(*right, record), message)) return false;
                if (!mask.Matches(text)) return false;
            } else if (!c.mask || !c.mask->Matches(text)) {
                return false;
            }
            continue;
        }

        int cmp = 0;
        if (right) {
            if (!comparableTypes(left->type, right->type))
                throw EDorodExprError(msg::TypesNotEqual, true);
            cmp = compareTwoFields(*left, *right, record, caseInsensitive);
        } else {
            // A literal converted for another field list cannot be compared.
            if (!c.literalRecord || c.literalRecord->layout().recordSize != cursor.RecordSize())
                return false;
            cmp = record::compareField(*left, record, c.literalRecord->data(), caseInsensitive);
        }
        if (!passes(c.op, cmp)) return false;
    }
    return true;
}

} // namespace dorod
