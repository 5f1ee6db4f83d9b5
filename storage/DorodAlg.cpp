#include "storage/DorodAlg.h"

#include <mutex>
#include <random>
#include <utility>

namespace dorod {

void secureZero(void* data, size_t n) {
    volatile uint8_t* p = static_cast<volatile uint8_t*>(data);
    for (size_t i = 0; i < n; ++i)
        p[i] = 0;
}

TSapphire::TSapphire() {
    setNoKeyState();
}

TSapphire::~TSapphire() {
    burn();
}

void TSapphire::setNoKeyState() {
    m_rotor = 1;
    m_ratchet = 3;
    m_avalanche = 5;
    m_lastPlain = 7;
    m_lastCipher = 11;
    for (size_t i = 0; i < m_cards.size(); ++i)
        m_cards[i] = static_cast<uint8_t>(255 - i);
}

// Returns a key-driven value in 0..limit. The retry limiter bounds the rejection loop;
// after eleven misses the value is folded with a modulo instead.
uint8_t TSapphire::keyRand(unsigned limit, std::string_view key, uint8_t& rsum, size_t& keyPos) {
    if (limit == 0) return 0;

    unsigned mask = 1;
    while (mask < limit)
        mask = (mask << 1) + 1;

    unsigned retries = 0;
    unsigned u = 0;
    do {
        rsum = static_cast<uint8_t>(m_cards[rsum] + static_cast<uint8_t>(key[keyPos++]));
        if (keyPos >= key.size()) {
            keyPos = 0;
            rsum = static_cast<uint8_t>(rsum + key.size());
        }
        u = mask & rsum;
        if (++retries > 11) u %= limit;
    } while (u > limit);
    return static_cast<uint8_t>(u);
}

void TSapphire::initialize(std::string_view key) {
    if (!m_key.empty()) secureZero(m_key.data(), m_key.size());
    m_key.assign(key);

    if (key.empty()) {
        setNoKeyState();
        return;
    }

    for (size_t i = 0; i < m_cards.size(); ++i)
        m_cards[i] = static_cast<uint8_t>(i);

    uint8_t rsum = 0;
    size_t keyPos = 0;
    for (int i = 255; i >= 0; --i) {
        const uint8_t toSwap = keyRand(static_cast<unsigned>(i), key, rsum, keyPos);
        std::swap(m_cards[static_cast<size_t>(i)], m_cards[toSwap]);
    }

    m_rotor = m_cards[1];
    m_ratchet = m_cards[3];
    m_avalanche = m_cards[5];
    m_lastPlain = m_cards[7];
    m_lastCipher = m_cards[rsum];
    secureZero(&rsum, sizeof rsum);
}

uint8_t TSapphire::nextMask() {
    auto& c = m_cards;
    m_ratchet = static_cast<uint8_t>(m_ratchet + c[m_rotor++]);

    const uint8_t swapTemp = c[m_lastCipher];
    c[m_lastCipher] = c[m_ratchet];
    c[m_ratchet] = c[m_lastPlain];
    c[m_lastPlain] = c[m_rotor];
    c[m_rotor] = swapTemp;
    m_avalanche = static_cast<uint8_t>(m_avalanche + c[swapTemp]);

    const uint8_t first = c[static_cast<uint8_t>(c[m_ratchet] + c[m_rotor])];
    const uint8_t second =
        c[c[static_cast<uint8_t>(c[m_lastPlain] + c[m_lastCipher] + c[m_avalanche])]];
    return static_cast<uint8_t>(first ^ second);
}

void TSapphire::encipher(uint8_t* data, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        const uint8_t plain = data[i];
        const uint8_t cipher = static_cast<uint8_t>(plain ^ nextMask());
        m_lastPlain = plain;
        m_lastCipher = cipher;
        data[i] = cipher;
    }
}

void TSapphire::decipher(uint8_t* data, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        const uint8_t cipher = data[i];
        const uint8_t plain = static_cast<uint8_t>(cipher ^ nextMask());
        m_lastPlain = plain;
        m_lastCipher = cipher;
        data[i] = plain;
    }
}

void TSapphire::burn() {
    secureZero(m_cards.data(), m_cards.size());
    m_rotor = m_ratchet = m_avalanche = m_lastPlain = m_lastCipher = 0;
    if (!m_key.empty()) secureZero(m_key.data(), m_key.size());
    m_key.clear();
    setNoKeyState();
}

uint16_t crc16Modbus(const uint8_t* data, size_t n) {
    uint16_t crc = 0xFFFF;
    for (size_t i = 0; i < n; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001)
                            : static_cast<uint16_t>(crc >> 1);
    }
    return crc;
}

std::string newKeyText() {
    static std::mutex mutex;
    static std::mt19937_64 engine = [] {
        std::random_device device;
        std::seed_seq seed{device(), device(), device(), device(),
                           device(), device(), device(), device()};
        return std::mt19937_64(seed);
    }();

    std::array<uint8_t, 16> bytes;
    {
        std::lock_guard lock(mutex);
        const uint64_t high = engine();
        const uint64_t low = engine();
        for (int i = 0; i < 8; ++i) {
            bytes[static_cast<size_t>(i)] = static_cast<uint8_t>(high >> (56 - 8 * i));
            bytes[static_cast<size_t>(i + 8)] = static_cast<uint8_t>(low >> (56 - 8 * i));
        }
    }
    bytes[6] = static_cast<uint8_t>((bytes[6] & 0x0F) | 0x40); // version 4: random
    bytes[8] = static_cast<uint8_t>((bytes[8] & 0x3F) | 0x80); // RFC 4122 variant

    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(38);
    text.push_back('{');
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) text.push_back('-');
        text.push_back(kHex[bytes[i] >> 4]);
        text.push_back(kHex[bytes[i] & 0x0F]);
    }
    text.push_back('}');
    return text;
}

} // namespace dorod
