#pragma once
// Big-endian field access for the AU and AIFF headers.

#include <cstdint>

namespace sonvara {

inline std::uint16_t LoadBE16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}
inline std::uint32_t LoadBE32(const std::uint8_t* p) {
    return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
           (static_cast<std::uint32_t>(p[2]) << 8) | static_cast<std::uint32_t>(p[3]);
}
inline void StoreBE16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v >> 8);
    p[1] = static_cast<std::uint8_t>(v);
}
inline void StoreBE32(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v >> 24);
    p[1] = static_cast<std::uint8_t>(v >> 16);
    p[2] = static_cast<std::uint8_t>(v >> 8);
    p[3] = static_cast<std::uint8_t>(v);
}

// A 32-bit size field for `bytes`; sizes that do not fit become 0xFFFFFFFF, which our readers
// take as "to the end of the file".
inline std::uint32_t SizeField(std::uint64_t bytes) {
    return bytes < 0xFFFFFFFF ? static_cast<std::uint32_t>(bytes) : 0xFFFFFFFF;
}

}  // namespace sonvara
