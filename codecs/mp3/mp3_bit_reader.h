#pragma once
// A most-significant-bit-first reader over a byte range it does not own. Every read is bounded:
// bits asked for beyond the end read as zeros and set Overrun(), so that a damaged stream can
// be decoded to its end and judged afterwards instead of being checked at every field.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace sonvara::mp3 {

class BitReader {
  public:
    BitReader() = default;
    explicit BitReader(std::span<const std::uint8_t> bytes)
        : bytes_(bytes), size_bits_(bytes.size() * 8) {}

    // The next `count` bits (0..32) as an unsigned number, first bit most significant.
    std::uint32_t Read(int count) {
        if (count <= 0) {
            return 0;
        }
        if (count > 24) {
            const std::uint32_t high = Read(count - 16);
            return (high << 16) | Read(16);
        }
        const std::uint32_t value = Peek(count);
        Skip(static_cast<std::size_t>(count));
        return value;
    }

    std::uint32_t ReadBit() {
        if (position_ >= size_bits_) {
            overrun_ = true;
            ++position_;
            return 0;
        }
        const std::uint32_t bit = (bytes_[position_ >> 3] >> (7 - (position_ & 7))) & 1U;
        ++position_;
        return bit;
    }

    // The next `count` bits (0..24) without moving on; bits beyond the end read as zeros.
    std::uint32_t Peek(int count) const {
        std::uint32_t window = 0;
        const std::size_t byte = position_ >> 3;
        if ((byte + 4) * 8 <= size_bits_) {
            // Four whole bytes ahead: one load, turned most significant first.
            std::memcpy(&window, bytes_.data() + byte, 4);
            if constexpr (std::endian::native == std::endian::little) {
                window = __builtin_bswap32(window);
            }
        } else {
            for (std::size_t b = 0; b < 4; ++b) {
                window <<= 8;
                if ((byte + b) * 8 < size_bits_) {
                    window |= bytes_[byte + b];
                }
            }
        }
        return (window << (position_ & 7)) >> (32 - count);
    }

    // The next 57 bits or more without moving on, the first one at bit 63 (the last 64 - 57 bits
    // may be zeros or later bits); bits beyond the end read as zeros. For decoders that take
    // several fields from one look.
    std::uint64_t PeekWide() const {
        std::uint64_t window = 0;
        const std::size_t byte = position_ >> 3;
        if ((byte + 8) * 8 <= size_bits_) {
            std::memcpy(&window, bytes_.data() + byte, 8);
            if constexpr (std::endian::native == std::endian::little) {
                window = __builtin_bswap64(window);
            }
        } else {
            for (std::size_t b = 0; b < 8; ++b) {
                window <<= 8;
                if ((byte + b) * 8 < size_bits_) {
                    window |= bytes_[byte + b];
                }
            }
        }
        return window << (position_ & 7);
    }

    void Skip(std::size_t count) {
        position_ += count;
        if (position_ > size_bits_) {
            overrun_ = true;
        }
    }

    // Moves to an absolute bit position; a position past the end reads as zeros.
    void Seek(std::size_t position) {
        position_ = position;
        overrun_ = position_ > size_bits_;
    }

    std::size_t Position() const { return position_; }
    std::size_t SizeBits() const { return size_bits_; }
    std::size_t BitsLeft() const { return position_ < size_bits_ ? size_bits_ - position_ : 0; }
    // Whether any read went past the end.
    bool Overrun() const { return overrun_; }

  private:
    std::span<const std::uint8_t> bytes_;
    std::size_t size_bits_ = 0;
    std::size_t position_ = 0;
    bool overrun_ = false;
};

}  // namespace sonvara::mp3
