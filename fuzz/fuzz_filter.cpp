// Feeds arbitrary bytes to the filter language: the lexer and the condition parser, then
// binding to a small store and testing its records, and a "like" mask built from the
// same bytes. Every failure must be an EDorodExprError with a message; a mask must match
// the text it was built from, and must answer like a plain dynamic-programming matcher
// over its items.
#include "storage/DorodCursor.h"
#include "storage/DorodExp.h"
#include "storage/DorodRecord.h"
#include "storage/Win1251.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace dorod;

// Destroyed at exit, so that its values are freed: they sit in unaligned record slots,
// where the leak checker would not see them from a pointer that is never released.
TDorodCursor& store() {
    static TDorodCursor s;
    static const bool ready = [] {
        auto field = [](const char* name, FieldType type, int32_t size = 0) {
            TDorodField f;
            f.name = name;
            f.type = type;
            f.declaredSize = size;
            return f;
        };
        std::string defineMessage;
        (void)s.DefineFields({field("Client", FieldType::SmallStr, 30),
                              field("Text", FieldType::String, 100),
                              field("Summa", FieldType::Double), field("Slov", FieldType::Integer),
                              field("indate", FieldType::Date), field("Flag", FieldType::Boolean),
                              field("Pattern", FieldType::SmallStr, 35)},
                             defineMessage);
        const char* clients[] = {"\xC8\xE2\xE0\xED\xEE\xE2", "abc", ""}; // "Иванов"
        const char* patterns[] = {"%a%", "\xE8\xE2%", "%_%_%_"};
        for (int i = 0; i < 3; ++i) {
            TDorodRecordBuffer b(s.Layout());
            record::setText(b.data(), *s.Field(0), clients[i]);
            record::setText(b.data(), *s.Field(1), std::string(clients[i]) + " text");
            record::setDouble(b.data(), *s.Field(2), 100.5 * i);
            record::setInt32(b.data(), *s.Field(3), i * 7);
            record::setInt32(b.data(), *s.Field(4), 738900 + i);
            record::setBoolean(b.data(), *s.Field(5), i % 2 == 0);
            record::setText(b.data(), *s.Field(6), patterns[i]);
            s.AppendStoredRecord(b.data());
        }
        return true;
    }();
    (void)ready;
    return s;
}

// Whole-text match over the mask's items by dynamic programming.
bool dpMatch(const TDorodMask& mask, std::string_view text) {
    text = text.substr(0, text.find('\0'));
    const auto items = mask.Items();
    const size_t n = text.size();
    // reach[p]: the items so far can end with the text's first p characters used.
    std::vector<char> reach(n + 2, 0), next(n + 2, 0);
    reach[0] = 1;
    for (const TDorodMask::Item& it : items) {
        if (it.afterWildcard)
            for (size_t p = 1; p <= n; ++p)
                reach[p] = reach[p] || reach[p - 1];
        std::fill(next.begin(), next.end(), 0);
        for (size_t p = 0; p <= n; ++p) {
            if (!reach[p]) continue;
            if (it.anyChar) {
                if (p < n) next[p + 1] = 1;
            } else if (it.ch == 0) {
                if (p == n) next[n + 1] = 1;
            } else if (p < n && win1251::kUpper[uint8_t(text[p])] == it.ch) {
                next[p + 1] = 1;
            }
        }
        reach.swap(next);
    }
    return reach[n + 1] != 0;
}

void checkMask(const TDorodMask& mask, std::string_view text) {
    if (mask.Matches(text) != dpMatch(mask, text)) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    try {
        TDorodCFieldList list = ParseFilter(text);
        list.Bind(store());
        for (const TDorodRecordEntry* e : store().Entries())
            for (bool caseInsensitive : {false, true})
                list.TestRecord(store(), e->data(), caseInsensitive);
    } catch (const EDorodExprError& e) {
        if (*e.what() == '\0') std::abort();
    }

    TDorodMask mask;
    std::string message;
    if (mask.Assign(text, message)) {
        if (!mask.Matches(text)) std::abort();
        checkMask(mask, text);
        checkMask(mask, "");
        checkMask(mask, "\xC8\xE2\xE0\xED\xEE\xE2 \xC8\xE2\xE0\xED abc%_?* 100,5");
        checkMask(mask, std::string(300, 'a'));
    } else if (message.empty() || mask.Count() != 1) {
        std::abort();
    }
    return 0;
}
