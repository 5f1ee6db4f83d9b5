// Windows-1251: conversion to and from UTF-8, letter case and text order.
#include "storage/Win1251.h"
#include "support/TableBuilder.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

using namespace dorod;
using testsupport::cp1251;

namespace {

// A small UTF-8 decoder of the test's own, for sequences of up to three bytes.
std::vector<char32_t> decode(const std::string& s) {
    std::vector<char32_t> out;
    for (size_t i = 0; i < s.size();) {
        const auto b = uint8_t(s[i]);
        const int n = b < 0x80 ? 1 : b < 0xE0 ? 2 : 3;
        char32_t cp = n == 1 ? b : n == 2 ? (b & 0x1F) : (b & 0x0F);
        for (int k = 1; k < n; ++k)
            cp = (cp << 6) | (uint8_t(s[i + k]) & 0x3F);
        out.push_back(cp);
        i += size_t(n);
    }
    return out;
}

// Unicode case pairs of the letters the code page has: Latin, Cyrillic, and Ґ.
char32_t unicodeUpper(char32_t c) {
    if (c >= 'a' && c <= 'z') return c - 32;
    if (c >= 0x430 && c <= 0x44F) return c - 0x20;
    if (c >= 0x450 && c <= 0x45F) return c - 0x50;
    return c == 0x491 ? 0x490 : c;
}
char32_t unicodeLower(char32_t c) {
    if (c >= 'A' && c <= 'Z') return c + 32;
    if (c >= 0x410 && c <= 0x42F) return c + 0x20;
    if (c >= 0x400 && c <= 0x40F) return c + 0x50;
    return c == 0x490 ? 0x491 : c;
}

} // namespace

TEST(Win1251, AllBytesRoundTripThroughUtf8) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += char(b);
    const std::string utf8 = win1251::toUtf8(all);
    std::string back;
    size_t bad = 99;
    ASSERT_TRUE(win1251::fromUtf8(utf8, back, &bad)) << "at " << bad;
    EXPECT_EQ(back, all);
    EXPECT_EQ(decode(utf8).size(), 256u);
}

TEST(Win1251, KnownCharacters) {
    const std::map<uint8_t, char32_t> known = {
        {0x41, U'A'},   {0x80, 0x0402}, {0x88, 0x20AC}, {0x98, 0x0098}, {0xA1, 0x040E},
        {0xA2, 0x045E}, {0xA5, 0x0490}, {0xA8, 0x0401}, {0xB2, 0x0406}, {0xB3, 0x0456},
        {0xB4, 0x0491}, {0xB8, 0x0451}, {0xB9, 0x2116}, {0xC0, 0x0410}, {0xFF, 0x044F}};
    for (const auto& [byte, code] : known)
        EXPECT_EQ(decode(win1251::toUtf8(std::string(1, char(byte)))), std::vector<char32_t>{code})
            << std::hex << int(byte);
    EXPECT_EQ(cp1251("€№Ёё"), "\x88\xB9\xA8\xB8");
    EXPECT_EQ(cp1251(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(Win1251, RefusesCharactersWithoutByteAndMalformedUtf8) {
    const std::vector<std::pair<std::string, size_t>> cases = {
        {"Ω", 0},                   // U+03A9 has no byte in the code page
        {"abcΩ", 3},                // the index counts characters, not bytes
        {"0123456789abcdefяΩ", 17}, // after ASCII read eight bytes at a time
        {"яёΩ", 2},
        {"\xF0\x9F\x98\x80", 0}, // U+1F600
        {"\x80", 0},             // continuation byte alone
        {"я\xD0", 1},            // sequence cut off
        {"ab\xE2\x82", 2},
        {"\xD0\x41", 0},     // no continuation byte
        {"\xC0\x80", 0},     // overlong
        {"\xED\xA0\x80", 0}, // surrogate
        {"\xFE", 0},
        {"a\xE2\x84\xA3", 1}, // U+2123, just past the highest the code page holds
    };
    for (const auto& [input, index] : cases) {
        std::string out;
        size_t bad = 99;
        EXPECT_FALSE(win1251::fromUtf8(input, out, &bad)) << input;
        EXPECT_EQ(bad, index) << input;
    }
}

TEST(Win1251, CaseTablesFollowUnicodeLetters) {
    std::map<char32_t, uint8_t> byteOf;
    for (int b = 0; b < 256; ++b)
        byteOf[decode(win1251::toUtf8(std::string(1, char(b))))[0]] = uint8_t(b);
    for (const auto& [code, byte] : byteOf) {
        const auto up = byteOf.find(unicodeUpper(code));
        const auto low = byteOf.find(unicodeLower(code));
        EXPECT_EQ(win1251::kUpper[byte], up == byteOf.end() ? byte : up->second)
            << "upper of 0x" << std::hex << int(byte);
        EXPECT_EQ(win1251::kLower[byte], low == byteOf.end() ? byte : low->second)
            << "lower of 0x" << std::hex << int(byte);
    }
    EXPECT_EQ(win1251::toUpper(cp1251("ёлка ўі ґ z")), cp1251("ЁЛКА ЎІ Ґ Z"));
    EXPECT_EQ(win1251::toLower(cp1251("ЁЛКА ЎІ Ґ Z")), cp1251("ёлка ўі ґ z"));
    std::string s = cp1251("Привет, мир");
    win1251::upperInPlace(s);
    EXPECT_EQ(s, cp1251("ПРИВЕТ, МИР"));
}

TEST(Win1251, CompareText) {
    struct Case {
        const char* a;
        const char* b;
        bool ignoreCase;
        int sign;
    };
    const Case cases[] = {
        {"abc", "abd", false, -1}, {"ab", "abc", false, -1},   {"", "a", false, -1},
        {"", "", true, 0},         {"ABC", "abc", true, 0},    {"ABC", "abc", false, -1},
        {"ёлка", "ЁЛКА", true, 0}, {"ёлка", "Ёлка", false, 1}, {"я", "А", false, 1},
        {"а", "Б", true, -1},      {"а", "Б", false, 1},       {"яблоки", "ЯБЛОКО", true, -1},
        {"Ж", "z", false, 1},
    };
    for (const Case& c : cases) {
        const int r = win1251::compareText(cp1251(c.a), cp1251(c.b), c.ignoreCase);
        EXPECT_EQ((r > 0) - (r < 0), c.sign)
            << c.a << " vs " << c.b << " ignoreCase " << c.ignoreCase;
        const int back = win1251::compareText(cp1251(c.b), cp1251(c.a), c.ignoreCase);
        EXPECT_EQ((back > 0) - (back < 0), -c.sign) << c.b << " vs " << c.a;
    }
}

// The folded search steps sixteen bytes at a time and ends each text with one overlapping
// sixteen-byte step. Checked against a byte-by-byte search over texts of 16 to 40 bytes,
// from every start position, with the letter (either case) at every place, the last
// possible one included; a position before the start is never given.
TEST(Win1251, FindUpperCasedAgreesWithAByteByByteSearch) {
    const std::string upperYa = cp1251("Я"), lowerYa = cp1251("я");
    const struct {
        uint8_t upper;
        char variants[2];
    } letters[] = {
        {uint8_t('K'), {'K', 'k'}},
        {uint8_t(upperYa[0]), {upperYa[0], lowerYa[0]}},
    };
    const auto byteByByte = [](std::string_view text, size_t from, uint8_t upper) {
        for (size_t i = from; i < text.size(); ++i)
            if (uint8_t(win1251::toUpper(text.substr(i, 1))[0]) == upper) return i;
        return text.size();
    };
    for (const auto& letter : letters) {
        for (size_t n = 16; n <= 40; ++n) {
            for (size_t place = 0; place <= n; ++place) { // n: the letter is absent
                for (char variant : letter.variants) {
                    std::string text(n, '.');
                    if (place < n) text[place] = variant;
                    for (size_t from = 0; from <= n; ++from) {
                        const size_t found = win1251::findUpperCased(text, from, letter.upper);
                        ASSERT_EQ(found, byteByByte(text, from, letter.upper))
                            << "length " << n << ", letter at " << place << ", from " << from;
                        ASSERT_GE(found, from);
                    }
                }
            }
        }
    }
}

// The needle search built on it: a match at the last possible start, one letter past the
// end, and a first letter that occurs before the start of the real match.
TEST(Win1251, ContainsUpperCasedFindsMatchesUpToTheLastStart) {
    const std::string needle = cp1251("ДОМ");
    for (size_t n = 16; n <= 40; ++n) {
        for (size_t at = 0; at + 3 <= n; ++at) {
            std::string text(n, 'x');
            text.replace(at, 3, cp1251(at % 2 ? "дом" : "ДоМ"));
            EXPECT_TRUE(win1251::containsUpperCased(text, needle)) << n << " at " << at;
        }
        std::string cut(n, 'x');
        cut.replace(n - 2, 2, cp1251("до")); // would need a byte past the end
        EXPECT_FALSE(win1251::containsUpperCased(cut, needle)) << n;
        std::string decoys(n, cp1251("д")[0]);
        EXPECT_FALSE(win1251::containsUpperCased(decoys, needle)) << n;
        decoys.replace(n - 3, 3, needle);
        EXPECT_TRUE(win1251::containsUpperCased(decoys, needle)) << n;
    }
}
