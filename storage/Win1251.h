// Windows-1251, the code page of every stored and written text: conversion to and from
// UTF-8, and the letter-case rules (Cyrillic included, "ё" with "Ё") that searches,
// sorting and upper-case entry follow. One table each, shared by the whole program.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace dorod::win1251 {

// Every byte has a character (0x98, unassigned in the code page, maps to U+0098), so a
// decode followed by an encode gives back the same bytes.
std::string toUtf8(std::string_view bytes);

// Converts UTF-8 to Windows-1251. A character the code page has no byte for, or a
// malformed UTF-8 sequence, makes the conversion fail: false, with the offending
// character's position (in code points) in *badIndex when given. Nothing is replaced.
bool fromUtf8(std::string_view utf8, std::string& out, size_t* badIndex = nullptr);

// Per-byte case tables.
extern const uint8_t kUpper[256];
extern const uint8_t kLower[256];

inline char upper(char c) {
    return char(kUpper[uint8_t(c)]);
}
inline char lower(char c) {
    return char(kLower[uint8_t(c)]);
}
std::string toUpper(std::string_view s);
std::string toLower(std::string_view s);
void upperInPlace(std::string& s);

// The position of the first byte at or after from whose upper case is upperByte, or
// text.size() when there is none. Scans sixteen bytes at a time where it can.
size_t findUpperCased(std::string_view text, size_t from, uint8_t upperByte);
// Whether the upper-cased needle occurs in the text, folded to upper case byte by byte.
bool containsUpperCased(std::string_view text, std::string_view upperNeedle);

// Text order of two byte strings over their common length, then the shorter first;
// with ignoreCase both sides are compared upper-cased. Returns <0, 0, >0.
int compareText(std::string_view a, std::string_view b, bool ignoreCase);

} // namespace dorod::win1251
