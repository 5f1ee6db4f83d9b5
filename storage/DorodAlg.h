// Cipher pieces behind password-protected tables: the Sapphire II stream cipher, the
// CRC-16/MODBUS used to check a deciphered key, and the generator of fresh key texts.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace dorod {

// Sapphire II stream cipher (Michael Paul Johnson). The keystream depends on the
// plaintext already processed, so one object must see a run from its first byte, in
// order, and enciphering and deciphering objects must start from the same key.
class TSapphire {
public:
    TSapphire();
    ~TSapphire();

    TSapphire(const TSapphire&) = delete;
    TSapphire& operator=(const TSapphire&) = delete;

    // An empty key gives the fixed no-key state.
    void initialize(std::string_view key);

    void encipher(uint8_t* data, size_t n);
    void decipher(uint8_t* data, size_t n);

    // Wipes the key material and falls back to the no-key state.
    void burn();

    const std::array<uint8_t, 256>& cards() const { return m_cards; }
    uint8_t rotor() const { return m_rotor; }
    uint8_t ratchet() const { return m_ratchet; }
    uint8_t avalanche() const { return m_avalanche; }
    uint8_t lastPlain() const { return m_lastPlain; }
    uint8_t lastCipher() const { return m_lastCipher; }
    const std::string& key() const { return m_key; }

private:
    void setNoKeyState();
    uint8_t keyRand(unsigned limit, std::string_view key, uint8_t& rsum, size_t& keyPos);
    // Advances the state and returns the mask for the next byte.
    uint8_t nextMask();

    std::array<uint8_t, 256> m_cards{};
    uint8_t m_rotor = 0;
    uint8_t m_ratchet = 0;
    uint8_t m_avalanche = 0;
    uint8_t m_lastPlain = 0;
    uint8_t m_lastCipher = 0;
    std::string m_key;
};

// CRC-16/MODBUS: reflected polynomial 0xA001, initial 0xFFFF, no final inversion.
uint16_t crc16Modbus(const uint8_t* data, size_t n);

// A fresh random (version 4) identifier in the form "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}",
// upper-case hex. Safe to call from several threads.
std::string newKeyText();

// Overwrites memory in a way the optimiser may not drop.
void secureZero(void* data, size_t n);

} // namespace dorod
