#include "tools/dorod/Base64.h"

#include <array>
#include <cstdint>
#include <utility>

namespace dorod::base64 {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr int8_t kInvalid = -1;

constexpr std::array<int8_t, 256> makeDecodeTable() {
    std::array<int8_t, 256> table{};
    table.fill(kInvalid);
    for (int i = 0; i < 64; ++i)
        table[static_cast<unsigned char>(kAlphabet[i])] = int8_t(i);
    return table;
}

constexpr std::array<int8_t, 256> kDecode = makeDecodeTable();

} // namespace

std::string encode(std::string_view bytes) {
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const uint32_t v = uint32_t(uint8_t(bytes[i])) << 16 |
                           uint32_t(uint8_t(bytes[i + 1])) << 8 | uint8_t(bytes[i + 2]);
        out.push_back(kAlphabet[v >> 18]);
        out.push_back(kAlphabet[(v >> 12) & 0x3F]);
        out.push_back(kAlphabet[(v >> 6) & 0x3F]);
        out.push_back(kAlphabet[v & 0x3F]);
    }
    const size_t rest = bytes.size() - i;
    if (rest > 0) {
        uint32_t v = uint32_t(uint8_t(bytes[i])) << 16;
        if (rest == 2) v |= uint32_t(uint8_t(bytes[i + 1])) << 8;
        out.push_back(kAlphabet[v >> 18]);
        out.push_back(kAlphabet[(v >> 12) & 0x3F]);
        out.push_back(rest == 2 ? kAlphabet[(v >> 6) & 0x3F] : '=');
        out.push_back('=');
    }
    return out;
}

bool decode(std::string_view text, std::string& out) {
    if (text.size() % 4 != 0) return false;
    size_t padding = 0;
    if (!text.empty() && text.back() == '=') padding = text[text.size() - 2] == '=' ? 2 : 1;
    const size_t dataChars = text.size() - padding;

    std::string result;
    result.reserve(text.size() / 4 * 3);
    uint32_t acc = 0;
    int bits = 0;
    for (size_t i = 0; i < dataChars; ++i) {
        const int8_t d = kDecode[static_cast<unsigned char>(text[i])];
        if (d == kInvalid) return false; // also catches '=' before the padding
        acc = (acc << 6) | uint32_t(d);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            result.push_back(char((acc >> bits) & 0xFF));
        }
    }
    // Leftover bits must be zero; otherwise two texts would decode to the same bytes.
    if ((acc & ((1u << bits) - 1)) != 0) return false;
    out = std::move(result);
    return true;
}

} // namespace dorod::base64
