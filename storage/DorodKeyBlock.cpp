#include "storage/DorodKeyBlock.h"

#include "storage/DorodAlg.h"

#include <algorithm>
#include <stdexcept>

namespace dorod {

TDorodKeyBlock makeKeyBlock(std::string_view password, std::string_view keyText) {
    if (keyText.size() != kKeyTextBytes)
        throw std::invalid_argument("key text must be 38 characters");

    TDorodKeyBlock block{};
    std::copy(keyText.begin(), keyText.end(), block.begin());
    const uint16_t crc = crc16Modbus(block.data(), kKeyTextBytes);
    block[kKeyTextBytes] = static_cast<uint8_t>(crc & 0xFF);
    block[kKeyTextBytes + 1] = static_cast<uint8_t>(crc >> 8);

    TSapphire cipher;
    cipher.initialize(password);
    cipher.encipher(block.data(), kKeyTextBytes);
    return block;
}

bool unlockKeyBlock(std::string_view candidate, const TDorodKeyBlock& stored,
                    std::string& keyText) {
    TDorodKeyBlock plain = stored;
    TSapphire cipher;
    cipher.initialize(candidate);
    cipher.decipher(plain.data(), kKeyTextBytes);

    // The CRC alone lets about one wrong password in 65536 through; the braces cut that
    // further before a wrong key would garble the table.
    const bool ok = crc16Modbus(plain.data(), plain.size()) == 0 && plain[0] == '{' &&
                    plain[kKeyTextBytes - 1] == '}';
    if (ok) keyText.assign(reinterpret_cast<const char*>(plain.data()), kKeyTextBytes);
    secureZero(plain.data(), plain.size());
    return ok;
}

void encipherWithKey(std::string_view keyText, uint8_t* data, size_t n) {
    TSapphire cipher;
    cipher.initialize(keyText);
    cipher.encipher(data, n);
}

void decipherWithKey(std::string_view keyText, uint8_t* data, size_t n) {
    TSapphire cipher;
    cipher.initialize(keyText);
    cipher.decipher(data, n);
}

} // namespace dorod
