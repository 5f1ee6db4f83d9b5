// Windows-1251: conversion to and from UTF-8, letter case and text order.
#include "support/TableBuilder.h"
#include "storage/Win1251.h"

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
        {"Ω", 0},    // U+03A9 has no byte in the code page
        {"abcΩ", 3}, // the index counts characters, not bytes
        {"яёΩ", 2},
        {"\xF0\x9F\x98\x80", 0}, // U+1F600
        {"\x80", 0},             // continuation byte alone
        {"я\xD0", 1},            // sequence cut off
        {"ab\xE2\x82", 2},
        {"\xD0\x41", 0},     // no continuation byte
        {"\xC0\x80", 0},     // overlong
        {"\xED\xA0\x80", 0}, // surrogate
        {"\xFE", 0},
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
