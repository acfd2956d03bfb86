#pragma once
// Integers in byte buffers in a fixed byte order, whatever the machine's own: little-endian for
// the WAV headers, the codecs' blocks, the records and scripts we write, big-endian for AU, AIFF,
// MPEG headers and SCSI commands. A load or store touches exactly 2 or 4 bytes at `p`; an append
// grows a byte vector or a string by as many. Header-only, so the pure codec libraries use it
// without linking anything.

#include <cstdint>

namespace sonvara {

constexpr std::uint16_t LoadLE16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
constexpr std::int16_t LoadSignedLE16(const std::uint8_t* p) {
    return static_cast<std::int16_t>(LoadLE16(p));
}
constexpr std::uint32_t LoadLE32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
constexpr std::uint16_t LoadBE16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}
constexpr std::uint32_t LoadBE32(const std::uint8_t* p) {
    return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
           (static_cast<std::uint32_t>(p[2]) << 8) | static_cast<std::uint32_t>(p[3]);
}

constexpr void StoreLE16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
constexpr void StoreLE32(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v >> 16);
    p[3] = static_cast<std::uint8_t>(v >> 24);
}
constexpr void StoreBE16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v >> 8);
    p[1] = static_cast<std::uint8_t>(v);
}
constexpr void StoreBE32(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v >> 24);
    p[1] = static_cast<std::uint8_t>(v >> 16);
    p[2] = static_cast<std::uint8_t>(v >> 8);
    p[3] = static_cast<std::uint8_t>(v);
}

// `Bytes` is a container of one-byte elements with push_back: std::vector<std::uint8_t>,
// std::string.
template <typename Bytes>
void AppendLE16(Bytes& out, std::uint16_t v) {
    using Byte = typename Bytes::value_type;
    out.push_back(static_cast<Byte>(v & 0xFF));
    out.push_back(static_cast<Byte>(v >> 8));
}
template <typename Bytes>
void AppendLE32(Bytes& out, std::uint32_t v) {
    AppendLE16(out, static_cast<std::uint16_t>(v));
    AppendLE16(out, static_cast<std::uint16_t>(v >> 16));
}
template <typename Bytes>
void AppendBE16(Bytes& out, std::uint16_t v) {
    using Byte = typename Bytes::value_type;
    out.push_back(static_cast<Byte>(v >> 8));
    out.push_back(static_cast<Byte>(v & 0xFF));
}
template <typename Bytes>
void AppendBE32(Bytes& out, std::uint32_t v) {
    AppendBE16(out, static_cast<std::uint16_t>(v >> 16));
    AppendBE16(out, static_cast<std::uint16_t>(v));
}

}  // namespace sonvara
