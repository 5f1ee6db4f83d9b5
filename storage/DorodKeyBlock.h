// The key block of a password-protected table: the table's random key text, enciphered
// with the password and followed by a CRC of the plain key text, so that a candidate
// password can be checked without touching any record data.
//
// Layout (40 bytes): 0..37 key text enciphered with the password; 38 CRC low byte,
// 39 CRC high byte, CRC-16/MODBUS over the 38 plain key-text characters.
#pragma once

#include "storage/DorodConst.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace dorod {

using TDorodKeyBlock = std::array<uint8_t, kKeyBlockSize>;

constexpr size_t kKeyTextBytes = 38;

// Throws std::invalid_argument unless keyText is exactly kKeyTextBytes long.
TDorodKeyBlock makeKeyBlock(std::string_view password, std::string_view keyText);

// True when candidate deciphers stored to a braced key text with a matching CRC; keyText
// then receives it. On failure keyText is left as it was.
bool unlockKeyBlock(std::string_view candidate, const TDorodKeyBlock& stored, std::string& keyText);

// Each call starts a fresh cipher from keyText, so a run must be processed whole.
void encipherWithKey(std::string_view keyText, uint8_t* data, size_t n);
void decipherWithKey(std::string_view keyText, uint8_t* data, size_t n);

} // namespace dorod
