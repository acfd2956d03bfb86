#include "codecs/gsm/gsm_packing.h"

#include <cstring>

namespace sonvara::gsm {
namespace {

constexpr std::array<int, 8> kLarBits = {6, 6, 5, 5, 4, 4, 3, 3};

// Calls visit(field, bits) for every parameter of `frame` in transmission order.
template <typename Frame, typename Visit>
void ForEachParameter(Frame& frame, Visit&& visit) {
    for (std::size_t i = 0; i < 8; ++i) {
        visit(frame.larc[i], kLarBits[i]);
    }
    for (auto& sub : frame.sub) {
        visit(sub.nc, 7);
        visit(sub.bc, 2);
        visit(sub.mc, 2);
        visit(sub.xmaxc, 6);
        for (auto& pulse : sub.xmc) {
            visit(pulse, 3);
        }
    }
}

// Bits appended most significant first.
class MsbWriter {
  public:
    explicit MsbWriter(std::uint8_t* out) : out_(out) {}
    void Put(unsigned value, int bits) {
        for (int b = bits - 1; b >= 0; --b) {
            if (((value >> b) & 1U) != 0) {
                out_[position_ >> 3] |= static_cast<std::uint8_t>(0x80U >> (position_ & 7));
            }
            ++position_;
        }
    }

  private:
    std::uint8_t* out_;
    unsigned position_ = 0;
};

class MsbReader {
  public:
    explicit MsbReader(const std::uint8_t* in) : in_(in) {}
    unsigned Get(int bits) {
        unsigned value = 0;
        for (int b = 0; b < bits; ++b) {
            value = (value << 1) | ((in_[position_ >> 3] >> (7 - (position_ & 7))) & 1U);
            ++position_;
        }
        return value;
    }
    void Skip(unsigned bits) { position_ += bits; }

  private:
    const std::uint8_t* in_;
    unsigned position_ = 0;
};

// Bits appended least significant first, filling each byte from its low bit.
class LsbWriter {
  public:
    explicit LsbWriter(std::uint8_t* out) : out_(out) {}
    void Put(unsigned value, int bits) {
        for (int b = 0; b < bits; ++b) {
            if (((value >> b) & 1U) != 0) {
                out_[position_ >> 3] |= static_cast<std::uint8_t>(1U << (position_ & 7));
            }
            ++position_;
        }
    }

  private:
    std::uint8_t* out_;
    unsigned position_ = 0;
};

class LsbReader {
  public:
    explicit LsbReader(const std::uint8_t* in) : in_(in) {}
    unsigned Get(int bits) {
        unsigned value = 0;
        for (int b = 0; b < bits; ++b) {
            value |= ((in_[position_ >> 3] >> (position_ & 7)) & 1U) << b;
            ++position_;
        }
        return value;
    }

  private:
    const std::uint8_t* in_;
    unsigned position_ = 0;
};

template <typename Writer>
void Put(Writer& writer, const FrameParameters& frame) {
    ForEachParameter(
        frame, [&](std::uint8_t field, int bits) { writer.Put(field & ((1U << bits) - 1), bits); });
}

template <typename Reader>
void Get(Reader& reader, FrameParameters& frame) {
    ForEachParameter(frame, [&](std::uint8_t& field, int bits) {
        field = static_cast<std::uint8_t>(reader.Get(bits));
    });
}

}  // namespace

void PackFrame(const FrameParameters& frame, std::uint8_t out[kFrameBytes]) {
    std::memset(out, 0, kFrameBytes);
    MsbWriter writer(out);
    writer.Put(kSignature, 4);
    Put(writer, frame);
}

FrameParameters UnpackFrame(const std::uint8_t in[kFrameBytes]) {
    FrameParameters frame;
    MsbReader reader(in);
    reader.Skip(4);
    Get(reader, frame);
    return frame;
}

void PackWavPair(const FrameParameters& first, const FrameParameters& second,
                 std::uint8_t out[kWavPairBytes]) {
    std::memset(out, 0, kWavPairBytes);
    LsbWriter writer(out);
    Put(writer, first);
    Put(writer, second);
}

void UnpackWavPair(const std::uint8_t in[kWavPairBytes], FrameParameters& first,
                   FrameParameters& second) {
    LsbReader reader(in);
    Get(reader, first);
    Get(reader, second);
}

}  // namespace sonvara::gsm
