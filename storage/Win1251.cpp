#include "storage/Win1251.h"

#include <algorithm>
#include <array>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace dorod::win1251 {

namespace {
// Unicode code points of the bytes 0x80..0xFF.
constexpr std::array<char32_t, 128> kHighHalf = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039,
    0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408,
    0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB,
    0x0458, 0x0405, 0x0455, 0x0457, 0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423,
    0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, 0x0438, 0x0439, 0x043A, 0x043B,
    0x043C, 0x043D, 0x043E, 0x043F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F};

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

// Decodes one UTF-8 sequence at s[i]; false on a malformed one.
bool nextCodePoint(std::string_view s, size_t& i, char32_t& cp) {
    const auto b0 = uint8_t(s[i]);
    int extra = 0;
    if (b0 < 0x80) {
        cp = b0;
    } else if ((b0 & 0xE0) == 0xC0) {
        cp = b0 & 0x1F;
        extra = 1;
    } else if ((b0 & 0xF0) == 0xE0) {
        cp = b0 & 0x0F;
        extra = 2;
    } else if ((b0 & 0xF8) == 0xF0) {
        cp = b0 & 0x07;
        extra = 3;
    } else {
        return false;
    }
    if (i + size_t(extra) >= s.size()) return false;
    for (int k = 1; k <= extra; ++k) {
        const auto b = uint8_t(s[i + k]);
        if ((b & 0xC0) != 0x80) return false;
        cp = (cp << 6) | (b & 0x3F);
    }
    static constexpr char32_t kMin[4] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += size_t(extra) + 1;
    return true;
}

// Code points in a well-formed prefix: the position of the character after it.
size_t codePointCount(std::string_view utf8) {
    size_t count = 0;
    for (char c : utf8)
        if ((uint8_t(c) & 0xC0) != 0x80) ++count;
    return count;
}

// The byte of every code point below U+2123 (the highest the code page holds, "№" U+2116
// and "™" U+2122 among them); 0 where the code page has none. One look-up a letter: a
// database sends every text as UTF-8, and an open converts a hundred megabytes of them.
struct EncodeTable {
    static constexpr char32_t kSize = 0x2123;
    std::array<uint8_t, kSize> bytes{};
    EncodeTable() {
        for (size_t k = 0; k < 128; ++k)
            bytes[kHighHalf[k]] = uint8_t(0x80 + k);
    }
    bool find(char32_t cp, uint8_t& byte) const {
        if (cp >= kSize || bytes[cp] == 0) return false;
        byte = bytes[cp];
        return true;
    }
};
} // namespace

std::string toUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char c : bytes) {
        const auto b = uint8_t(c);
        if (b < 0x80)
            out += c;
        else
            appendUtf8(out, kHighHalf[b - 0x80]);
    }
    return out;
}

bool fromUtf8(std::string_view utf8, std::string& out, size_t* badIndex) {
    static const EncodeTable table;
    // Never longer than the UTF-8: written in place, cut to length at the end.
    out.resize(utf8.size());
    char* const begin = out.data();
    char* to = begin;
    size_t i = 0;
    while (i < utf8.size()) {
        // Eight plain ASCII bytes at a time where they are.
        while (i + 8 <= utf8.size()) {
            uint64_t eight = 0;
            std::memcpy(&eight, utf8.data() + i, 8);
            if ((eight & 0x8080808080808080ULL) != 0) break;
            std::memcpy(to, &eight, 8);
            to += 8;
            i += 8;
        }
        if (i == utf8.size()) break;
        const auto b0 = uint8_t(utf8[i]);
        if (b0 < 0x80) {
            *to++ = char(b0);
            ++i;
            continue;
        }
        // Cyrillic letters are two bytes each: decoded here without the general path.
        if (b0 >= 0xC2 && b0 < 0xE0 && i + 1 < utf8.size()) {
            const auto b1 = uint8_t(utf8[i + 1]);
            const char32_t two = (char32_t(b0 & 0x1F) << 6) | (b1 & 0x3F);
            if ((b1 & 0xC0) == 0x80 && table.bytes[two] != 0) {
                *to++ = char(table.bytes[two]);
                i += 2;
                continue;
            }
        }
        const size_t at = i;
        char32_t cp = 0;
        uint8_t byte = 0;
        if (!nextCodePoint(utf8, i, cp) || !table.find(cp, byte)) {
            if (badIndex) *badIndex = codePointCount(utf8.substr(0, at));
            out.clear();
            return false;
        }
        *to++ = char(byte);
    }
    out.resize(size_t(to - begin));
    return true;
}

const uint8_t kUpper[256] = {
    0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F,
    0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B, 0x1C, 0x1D, 0x1E, 0x1F,
    0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x29, 0x2A, 0x2B, 0x2C, 0x2D, 0x2E, 0x2F,
    0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3A, 0x3B, 0x3C, 0x3D, 0x3E, 0x3F,
    0x40, 0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4A, 0x4B, 0x4C, 0x4D, 0x4E, 0x4F,
    0x50, 0x51, 0x52, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5A, 0x5B, 0x5C, 0x5D, 0x5E, 0x5F,
    0x60, 0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4A, 0x4B, 0x4C, 0x4D, 0x4E, 0x4F,
    0x50, 0x51, 0x52, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5A, 0x7B, 0x7C, 0x7D, 0x7E, 0x7F,
    0x80, 0x81, 0x82, 0x81, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8A, 0x8B, 0x8C, 0x8D, 0x8E, 0x8F,
    0x80, 0x91, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x8A, 0x9B, 0x8C, 0x8D, 0x8E, 0x8F,
    0xA0, 0xA1, 0xA1, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xA9, 0xAA, 0xAB, 0xAC, 0xAD, 0xAE, 0xAF,
    0xB0, 0xB1, 0xB2, 0xB2, 0xA5, 0xB5, 0xB6, 0xB7, 0xA8, 0xB9, 0xAA, 0xBB, 0xA3, 0xBD, 0xBD, 0xAF,
    0xC0, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE, 0xCF,
    0xD0, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7, 0xD8, 0xD9, 0xDA, 0xDB, 0xDC, 0xDD, 0xDE, 0xDF,
    0xC0, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE, 0xCF,
    0xD0, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7, 0xD8, 0xD9, 0xDA, 0xDB, 0xDC, 0xDD, 0xDE, 0xDF};

const uint8_t kLower[256] = {
    0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F,
    0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B, 0x1C, 0x1D, 0x1E, 0x1F,
    0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x29, 0x2A, 0x2B, 0x2C, 0x2D, 0x2E, 0x2F,
    0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3A, 0x3B, 0x3C, 0x3D, 0x3E, 0x3F,
    0x40, 0x61, 0x62, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6A, 0x6B, 0x6C, 0x6D, 0x6E, 0x6F,
    0x70, 0x71, 0x72, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7A, 0x5B, 0x5C, 0x5D, 0x5E, 0x5F,
    0x60, 0x61, 0x62, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6A, 0x6B, 0x6C, 0x6D, 0x6E, 0x6F,
    0x70, 0x71, 0x72, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7A, 0x7B, 0x7C, 0x7D, 0x7E, 0x7F,
    0x90, 0x83, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x9A, 0x8B, 0x9C, 0x9D, 0x9E, 0x9F,
    0x90, 0x91, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9A, 0x9B, 0x9C, 0x9D, 0x9E, 0x9F,
    0xA0, 0xA2, 0xA2, 0xBC, 0xA4, 0xB4, 0xA6, 0xA7, 0xB8, 0xA9, 0xBA, 0xAB, 0xAC, 0xAD, 0xAE, 0xBF,
    0xB0, 0xB1, 0xB3, 0xB3, 0xB4, 0xB5, 0xB6, 0xB7, 0xB8, 0xB9, 0xBA, 0xBB, 0xBC, 0xBE, 0xBE, 0xBF,
    0xE0, 0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8, 0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xEE, 0xEF,
    0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9, 0xFA, 0xFB, 0xFC, 0xFD, 0xFE, 0xFF,
    0xE0, 0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8, 0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xEE, 0xEF,
    0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9, 0xFA, 0xFB, 0xFC, 0xFD, 0xFE, 0xFF};

std::string toUpper(std::string_view s) {
    std::string out(s);
    upperInPlace(out);
    return out;
}

std::string toLower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = lower(c);
    return out;
}

void upperInPlace(std::string& s) {
    for (char& c : s)
        c = upper(c);
}

namespace {
// The bytes that upper-case to each byte (a letter and its lower-case form), found once.
struct CaseVariants {
    uint8_t bytes[4] = {};
    int count = 0;
};

const std::array<CaseVariants, 256>& caseVariants() {
    static const std::array<CaseVariants, 256> table = [] {
        std::array<CaseVariants, 256> t{};
        for (int b = 0; b < 256; ++b) {
            CaseVariants& v = t[kUpper[b]];
            if (v.count < 4) v.bytes[v.count++] = uint8_t(b);
        }
        return t;
    }();
    return table;
}
} // namespace

size_t findUpperCased(std::string_view text, size_t from, uint8_t upperByte) {
    size_t i = from;
    const size_t n = text.size();
#if defined(__SSE2__)
    const CaseVariants& v = caseVariants()[upperByte];
    if (v.count >= 1 && v.count <= 2) {
        const __m128i a = _mm_set1_epi8(char(v.bytes[0]));
        const __m128i b = _mm_set1_epi8(char(v.bytes[v.count - 1]));
        const auto maskAt = [&](size_t at) {
            const __m128i chunk =
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + at));
            return unsigned(_mm_movemask_epi8(
                _mm_or_si128(_mm_cmpeq_epi8(chunk, a), _mm_cmpeq_epi8(chunk, b))));
        };
        for (; i + 16 <= n; i += 16)
            if (const unsigned mask = maskAt(i)) return i + size_t(__builtin_ctz(mask));
        if (i < n && n >= 16) {
            // The last sixteen bytes, those before i already searched masked off.
            const size_t at = n - 16;
            const unsigned mask = maskAt(at) & ~((1u << (i - at)) - 1);
            return mask ? at + size_t(__builtin_ctz(mask)) : n;
        }
    }
#endif
    while (i < n && kUpper[uint8_t(text[i])] != upperByte)
        ++i;
    return i < n ? i : n;
}

namespace {

// Whether the needle matches at text[i] (its first letter already matched).
bool matchesAt(const char* text, std::string_view upperNeedle) {
    size_t k = 1;
    while (k < upperNeedle.size() && kUpper[uint8_t(text[k])] == uint8_t(upperNeedle[k]))
        ++k;
    return k == upperNeedle.size();
}

} // namespace

bool containsUpperCased(std::string_view text, std::string_view upperNeedle) {
    if (upperNeedle.empty()) return true;
    if (text.size() < upperNeedle.size()) return false;
    const size_t m = upperNeedle.size();
    const size_t last = text.size() - m;
    const auto first = uint8_t(upperNeedle[0]);
    size_t from = 0;
#if defined(__SSE2__)
    // Sixteen starting positions at a time, each kept only when both the needle's first
    // and last letter match in either case: common first letters ("к", "п") then rarely
    // lead to a byte-by-byte comparison.
    const CaseVariants& f = caseVariants()[first];
    const CaseVariants& l = caseVariants()[uint8_t(upperNeedle[m - 1])];
    if (f.count >= 1 && f.count <= 2 && l.count >= 1 && l.count <= 2) {
        const __m128i f1 = _mm_set1_epi8(char(f.bytes[0]));
        const __m128i f2 = _mm_set1_epi8(char(f.bytes[f.count - 1]));
        const __m128i l1 = _mm_set1_epi8(char(l.bytes[0]));
        const __m128i l2 = _mm_set1_epi8(char(l.bytes[l.count - 1]));
        const auto anyAt = [&](size_t at) {
            const char* p = text.data() + at;
            const __m128i head = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            const __m128i tail = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + m - 1));
            auto mask = unsigned(_mm_movemask_epi8(
                _mm_and_si128(_mm_or_si128(_mm_cmpeq_epi8(head, f1), _mm_cmpeq_epi8(head, f2)),
                              _mm_or_si128(_mm_cmpeq_epi8(tail, l1), _mm_cmpeq_epi8(tail, l2)))));
            for (; mask; mask &= mask - 1)
                if (matchesAt(p + __builtin_ctz(mask), upperNeedle)) return true;
            return false;
        };
        if (last + 1 >= 16) {
            for (; from + 16 <= last + 1; from += 16)
                if (anyAt(from)) return true;
            // The last sixteen positions, overlapping ones already tested: no position
            // is left for the byte-by-byte loop, and nothing past the text is read.
            return from <= last && anyAt(last + 1 - 16);
        }
    }
#endif
    for (size_t i = findUpperCased(text, from, first); i <= last;
         i = findUpperCased(text, i + 1, first))
        if (matchesAt(text.data() + i, upperNeedle)) return true;
    return false;
}

int compareText(std::string_view a, std::string_view b, bool ignoreCase) {
    const size_t n = std::min(a.size(), b.size());
    if (ignoreCase) {
        for (size_t i = 0; i < n; ++i) {
            const int d = int(kUpper[uint8_t(a[i])]) - int(kUpper[uint8_t(b[i])]);
            if (d != 0) return d;
        }
    } else if (n > 0) {
        const int d = std::memcmp(a.data(), b.data(), n);
        if (d != 0) return d;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

} // namespace dorod::win1251
