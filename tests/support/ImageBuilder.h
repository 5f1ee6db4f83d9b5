// Builds table images byte by byte for tests, independently of the engine's writer:
// the header fields, the description items (each closed with 0x12), the closing 0x14,
// the notes block and records with explicit length bytes. Any header value can be
// overridden to produce broken images.
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace testsupport {

inline std::string le16(uint16_t v) {
    return {char(v & 0xFF), char(v >> 8)};
}

inline std::string le32(uint32_t v) {
    return {char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF), char(v >> 24)};
}

inline std::string le64(uint64_t v) {
    return le32(uint32_t(v)) + le32(uint32_t(v >> 32));
}

inline std::string leDouble(double v) {
    uint64_t bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    return le64(bits);
}

// A String or BLOB-family value as stored after its length byte 4.
inline std::string counted(std::string_view bytes) {
    return le32(uint32_t(bytes.size())) + std::string(bytes);
}

class ImageBuilder {
public:
    ImageBuilder() = default;
    // Starts with these description items.
    explicit ImageBuilder(std::initializer_list<std::string_view> texts) { items(texts); }

    ImageBuilder& kind(char k) {
        m_kind = k;
        return *this;
    }
    // One description item; the 0x12 separator is appended.
    ImageBuilder& item(std::string_view text) {
        m_description += text;
        m_description += '\x12';
        ++m_items;
        return *this;
    }
    ImageBuilder& items(std::initializer_list<std::string_view> texts) {
        for (std::string_view text : texts)
            item(text);
        return *this;
    }
    // Bytes appended to the description section as they are.
    ImageBuilder& rawDescription(std::string_view bytes) {
        m_description += bytes;
        return *this;
    }
    // Leave out the 0x14 that closes the description section.
    ImageBuilder& withoutSectionEnd() {
        m_sectionEnd = false;
        return *this;
    }
    ImageBuilder& notes(std::string_view text) {
        m_notes = std::string(text);
        return *this;
    }
    // One record: the length array, then the data bytes exactly as given.
    ImageBuilder& record(std::initializer_list<uint8_t> lengths, std::string_view data = {}) {
        for (uint8_t b : lengths)
            m_records += char(b);
        m_records += data;
        ++m_recordCount;
        return *this;
    }
    // Bytes appended after the records.
    ImageBuilder& raw(std::string_view bytes) {
        m_records += bytes;
        return *this;
    }
    ImageBuilder& declaredRecords(uint32_t n) {
        m_declaredRecords = n;
        return *this;
    }
    ImageBuilder& declaredFields(uint32_t n) {
        m_declaredFields = n;
        return *this;
    }
    ImageBuilder& declaredDescriptionLength(uint32_t n) {
        m_declaredLength = n;
        return *this;
    }

    std::string description() const { return m_description + (m_sectionEnd ? "\x14" : ""); }

    std::string build() const {
        const std::string section = description();
        std::string body;
        body += m_kind;
        body += le32(m_declaredRecords.value_or(m_recordCount));
        body += le32(m_declaredFields.value_or(m_items));
        body += le32(m_declaredLength.value_or(uint32_t(section.size())));
        body += section;
        if (!m_notes.empty()) body += '*' + le16(uint16_t(m_notes.size())) + m_notes;
        body += m_records;
        return le32(uint32_t(body.size() + 4)) + body;
    }

private:
    char m_kind = 'S';
    std::string m_description;
    bool m_sectionEnd = true;
    uint32_t m_items = 0;
    std::string m_notes;
    std::string m_records;
    uint32_t m_recordCount = 0;
    std::optional<uint32_t> m_declaredRecords;
    std::optional<uint32_t> m_declaredFields;
    std::optional<uint32_t> m_declaredLength;
};

} // namespace testsupport
