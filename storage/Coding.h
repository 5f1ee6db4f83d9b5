// Little-endian byte coding of the table image. Every integer and double of a table
// file goes through these functions; bytes are assembled with shifts, never by casting
// structures, so the image is the same on any host.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>

namespace dorod {

inline void putFixed16(std::string& dst, uint16_t v) {
    const char b[2] = {char(v & 0xFF), char(v >> 8)};
    dst.append(b, 2);
}

inline void putFixed32(std::string& dst, uint32_t v) {
    const char b[4] = {char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF),
                       char(v >> 24)};
    dst.append(b, 4);
}

inline void putFixed64(std::string& dst, uint64_t v) {
    putFixed32(dst, uint32_t(v));
    putFixed32(dst, uint32_t(v >> 32));
}

inline void encodeFixed16(char* dst, uint16_t v) {
    dst[0] = char(v & 0xFF);
    dst[1] = char(v >> 8);
}

inline void encodeFixed32(char* dst, uint32_t v) {
    dst[0] = char(v & 0xFF);
    dst[1] = char((v >> 8) & 0xFF);
    dst[2] = char((v >> 16) & 0xFF);
    dst[3] = char(v >> 24);
}

inline void encodeFixed64(char* dst, uint64_t v) {
    encodeFixed32(dst, uint32_t(v));
    encodeFixed32(dst + 4, uint32_t(v >> 32));
}

inline uint16_t decodeFixed16(const void* p) {
    const auto* b = static_cast<const uint8_t*>(p);
    return uint16_t(b[0] | (b[1] << 8));
}

inline uint32_t decodeFixed32(const void* p) {
    const auto* b = static_cast<const uint8_t*>(p);
    return uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) | (uint32_t(b[3]) << 24);
}

inline uint64_t decodeFixed64(const void* p) {
    const auto* b = static_cast<const uint8_t*>(p);
    return uint64_t(decodeFixed32(b)) | (uint64_t(decodeFixed32(b + 4)) << 32);
}

inline double decodeDouble(const void* p) {
    return std::bit_cast<double>(decodeFixed64(p));
}
inline uint64_t doubleBits(double v) {
    return std::bit_cast<uint64_t>(v);
}

} // namespace dorod
