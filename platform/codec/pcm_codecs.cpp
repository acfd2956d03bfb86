#include "platform/codec/pcm_codecs.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "codecs/g711/g711.h"
#include "core/byte_order.h"

namespace sonvara {
namespace {

std::int16_t Load16(const std::uint8_t* p) {
    return static_cast<std::int16_t>(LoadLE16(p));
}

void Store16(std::uint8_t* p, std::int16_t v) {
    StoreLE16(p, static_cast<std::uint16_t>(v));
}

std::int16_t Clamp16(std::int64_t v) {
    return static_cast<std::int16_t>(std::clamp<std::int64_t>(v, -32768, 32767));
}

// Integer samples of 1 to 4 bytes, little-endian; 1-byte samples are unsigned. Wider samples are
// rounded to the nearest 16-bit step; only the top bits count, so 20 bits in a 3-byte container
// read like 24.
std::int16_t IntegerTo16(const std::uint8_t* p, std::size_t bytes) {
    switch (bytes) {
        case 1:
            return static_cast<std::int16_t>((p[0] - 128) * 256);
        case 2:
            return Load16(p);
        case 3: {
            std::int32_t v = static_cast<std::int32_t>((static_cast<std::uint32_t>(p[0]) << 8) |
                                                       (static_cast<std::uint32_t>(p[1]) << 16) |
                                                       (static_cast<std::uint32_t>(p[2]) << 24));
            return Clamp16((std::int64_t{v} + 0x8000) >> 16);
        }
        default: {
            auto v = static_cast<std::int32_t>(LoadLE32(p));
            return Clamp16((std::int64_t{v} + 0x8000) >> 16);
        }
    }
}

void IntegerFrom16(std::int16_t s, std::uint8_t* p, std::size_t bytes) {
    switch (bytes) {
        case 1:
            p[0] = static_cast<std::uint8_t>((s >> 8) + 128);
            break;
        case 2:
            Store16(p, s);
            break;
        case 3:
            p[0] = 0;
            p[1] = static_cast<std::uint8_t>(s);
            p[2] = static_cast<std::uint8_t>(s >> 8);
            break;
        default:
            StoreLE32(p, static_cast<std::uint32_t>(s) << 16);
            break;
    }
}

// Floats are scaled by 32768, rounded to nearest and clipped; NaN reads as silence.
std::int16_t FloatTo16(double x) {
    if (std::isnan(x)) {
        return 0;
    }
    return static_cast<std::int16_t>(std::clamp(std::nearbyint(x * 32768.0), -32768.0, 32767.0));
}

// Converts one sample at a time between a per-sample coded form and 16-bit PCM; a block is one
// frame. `Kernel` supplies SampleBytes() and Decode (for decoders) or Encode (for encoders) of
// one sample.
template <typename Kernel, bool kDecoding>
class SampleConverter : public BlockConverter {
  public:
    SampleConverter(int channels, Kernel kernel)
        : BlockConverter(kDecoding ? channels * kernel.SampleBytes() : channels * 2u,
                         kDecoding ? channels * 2u : channels * kernel.SampleBytes()),
          samples_per_block_(static_cast<std::size_t>(channels)),
          kernel_(kernel) {}

    Converted Convert(const std::uint8_t* input, std::size_t blocks,
                      std::uint8_t* output) override {
        const std::size_t samples = blocks * samples_per_block_;
        const std::size_t coded_bytes = kernel_.SampleBytes();
        for (std::size_t i = 0; i < samples; ++i) {
            if constexpr (kDecoding) {
                Store16(output + 2 * i, kernel_.Decode(input + coded_bytes * i));
            } else {
                kernel_.Encode(Load16(input + 2 * i), output + coded_bytes * i);
            }
        }
        return {blocks, blocks * OutputBlockBytes()};
    }

  private:
    std::size_t samples_per_block_;
    Kernel kernel_;
};

struct IntegerKernel {
    std::size_t bytes;
    std::size_t SampleBytes() const { return bytes; }
    std::int16_t Decode(const std::uint8_t* p) const { return IntegerTo16(p, bytes); }
    void Encode(std::int16_t s, std::uint8_t* p) const { IntegerFrom16(s, p, bytes); }
};

struct Float32Kernel {
    std::size_t SampleBytes() const { return 4; }
    std::int16_t Decode(const std::uint8_t* p) const {
        std::uint32_t bits = LoadLE32(p);
        float x;
        std::memcpy(&x, &bits, sizeof x);
        return FloatTo16(x);
    }
    void Encode(std::int16_t s, std::uint8_t* p) const {
        float x = static_cast<float>(s) / 32768.0f;
        std::uint32_t bits;
        std::memcpy(&bits, &x, sizeof bits);
        StoreLE32(p, bits);
    }
};

struct Float64Kernel {
    std::size_t SampleBytes() const { return 8; }
    std::int16_t Decode(const std::uint8_t* p) const {
        std::uint64_t bits = LoadLE32(p) | (std::uint64_t{LoadLE32(p + 4)} << 32);
        double x;
        std::memcpy(&x, &bits, sizeof x);
        return FloatTo16(x);
    }
};

struct AlawKernel {
    std::size_t SampleBytes() const { return 1; }
    std::int16_t Decode(const std::uint8_t* p) const { return g711::AlawToLinear(*p); }
    void Encode(std::int16_t s, std::uint8_t* p) const { *p = g711::RoundedLinearToAlaw(s); }
};

struct UlawKernel {
    std::size_t SampleBytes() const { return 1; }
    std::int16_t Decode(const std::uint8_t* p) const { return g711::UlawToLinear(*p); }
    void Encode(std::int16_t s, std::uint8_t* p) const { *p = g711::RoundedLinearToUlaw(s); }
};

template <typename Kernel>
std::unique_ptr<BlockConverter> MakeDecoderFor(int channels, Kernel kernel) {
    return std::make_unique<SampleConverter<Kernel, true>>(channels, kernel);
}

template <typename Kernel>
std::unique_ptr<BlockConverter> MakeEncoderFor(int channels, Kernel kernel) {
    return std::make_unique<SampleConverter<Kernel, false>>(channels, kernel);
}

// The block alignment says how wide each sample's container is; it must hold whole samples.
std::size_t ContainerBytes(const WaveFormat& format) {
    if (format.channels == 0 || format.block_align % format.channels != 0) {
        return 0;
    }
    return format.block_align / format.channels;
}

// A decoder for integer PCM of `bits` significant bits in containers of the format's width.
std::unique_ptr<BlockConverter> MakeIntegerDecoder(const WaveFormat& format, unsigned bits) {
    std::size_t bytes = ContainerBytes(format);
    if (bytes < 1 || bytes > 4 || bits == 0 || bits > bytes * 8) {
        return nullptr;
    }
    return MakeDecoderFor(format.channels, IntegerKernel{bytes});
}

std::unique_ptr<BlockConverter> MakeFloatDecoder(const WaveFormat& format) {
    switch (ContainerBytes(format)) {
        case 4:
            return MakeDecoderFor(format.channels, Float32Kernel{});
        case 8:
            return MakeDecoderFor(format.channels, Float64Kernel{});
        default:
            return nullptr;
    }
}

WaveFormat Uncompressed(std::uint16_t tag, int channels, std::uint32_t rate, int bytes) {
    WaveFormat format;
    format.format_tag = tag;
    format.channels = static_cast<std::uint16_t>(channels);
    format.samples_per_sec = rate;
    format.block_align = static_cast<std::uint16_t>(channels * bytes);
    format.avg_bytes_per_sec = rate * format.block_align;
    format.bits_per_sample = static_cast<std::uint16_t>(bytes * 8);
    return format;
}

std::vector<WaveFormat> OfferEvery(std::uint16_t tag, std::initializer_list<int> sample_bytes) {
    std::vector<WaveFormat> formats;
    for (int bytes : sample_bytes) {
        for (std::uint32_t rate : kOfferedRates) {
            for (int channels = 1; channels <= 2; ++channels) {
                formats.push_back(Uncompressed(tag, channels, rate, bytes));
            }
        }
    }
    return formats;
}

class PcmCodec : public Codec {
  public:
    std::string Name() const override { return "PCM"; }
    std::unique_ptr<BlockConverter> MakeDecoder(const WaveFormat& coded) const override {
        if (coded.format_tag != WAVE_FORMAT_PCM) {
            return nullptr;
        }
        return MakeIntegerDecoder(coded, coded.bits_per_sample);
    }
    std::unique_ptr<BlockConverter> MakeEncoder(const WaveFormat& coded) const override {
        if (coded.format_tag != WAVE_FORMAT_PCM || coded.bits_per_sample % 8 != 0 ||
            ContainerBytes(coded) != coded.bits_per_sample / 8u || coded.bits_per_sample == 0 ||
            coded.bits_per_sample > 32) {
            return nullptr;
        }
        return MakeEncoderFor(coded.channels, IntegerKernel{ContainerBytes(coded)});
    }
    std::vector<WaveFormat> OfferedFormats() const override {
        return OfferEvery(WAVE_FORMAT_PCM, {1, 2, 3, 4});
    }
};

class FloatCodec : public Codec {
  public:
    std::string Name() const override { return "IEEE Float"; }
    std::unique_ptr<BlockConverter> MakeDecoder(const WaveFormat& coded) const override {
        return coded.format_tag == WAVE_FORMAT_IEEE_FLOAT ? MakeFloatDecoder(coded) : nullptr;
    }
    std::unique_ptr<BlockConverter> MakeEncoder(const WaveFormat& coded) const override {
        if (coded.format_tag != WAVE_FORMAT_IEEE_FLOAT || coded.bits_per_sample != 32 ||
            ContainerBytes(coded) != 4) {
            return nullptr;
        }
        return MakeEncoderFor(coded.channels, Float32Kernel{});
    }
    std::vector<WaveFormat> OfferedFormats() const override {
        return OfferEvery(WAVE_FORMAT_IEEE_FLOAT, {4});
    }
};

// WAVE_FORMAT_EXTENSIBLE: 22 extra bytes (valid bits, channel mask, sub-format GUID). The
// sub-format GUID of PCM and of IEEE float is the old format tag followed by a fixed tail.
class ExtensibleCodec : public Codec {
  public:
    std::string Name() const override { return "WAVE_FORMAT_EXTENSIBLE"; }
    std::unique_ptr<BlockConverter> MakeDecoder(const WaveFormat& coded) const override {
        static constexpr std::array<std::uint8_t, 14> kGuidTail = {
            0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
        if (coded.format_tag != WAVE_FORMAT_EXTENSIBLE || coded.extra.size() < 22 ||
            !std::equal(kGuidTail.begin(), kGuidTail.end(), coded.extra.begin() + 8)) {
            return nullptr;
        }
        unsigned valid_bits = LoadLE16(coded.extra.data());
        if (valid_bits == 0) {
            valid_bits = coded.bits_per_sample;
        }
        switch (LoadLE16(coded.extra.data() + 6)) {
            case WAVE_FORMAT_PCM:
                return MakeIntegerDecoder(coded, valid_bits);
            case WAVE_FORMAT_IEEE_FLOAT:
                return MakeFloatDecoder(coded);
            default:
                return nullptr;
        }
    }
    std::unique_ptr<BlockConverter> MakeEncoder(const WaveFormat&) const override {
        return nullptr;
    }
    std::vector<WaveFormat> OfferedFormats() const override { return {}; }
};

template <typename Kernel>
class G711Codec : public Codec {
  public:
    G711Codec(std::uint16_t tag, std::string name) : tag_(tag), name_(std::move(name)) {}

    std::string Name() const override { return name_; }
    std::unique_ptr<BlockConverter> MakeDecoder(const WaveFormat& coded) const override {
        return Matches(coded) ? MakeDecoderFor(coded.channels, Kernel{}) : nullptr;
    }
    std::unique_ptr<BlockConverter> MakeEncoder(const WaveFormat& coded) const override {
        return Matches(coded) ? MakeEncoderFor(coded.channels, Kernel{}) : nullptr;
    }
    std::vector<WaveFormat> OfferedFormats() const override { return OfferEvery(tag_, {1}); }

  private:
    bool Matches(const WaveFormat& coded) const {
        return coded.format_tag == tag_ && ContainerBytes(coded) == 1;
    }

    std::uint16_t tag_;
    std::string name_;
};

}  // namespace

std::unique_ptr<Codec> MakePcmCodec() {
    return std::make_unique<PcmCodec>();
}

std::unique_ptr<Codec> MakeFloatCodec() {
    return std::make_unique<FloatCodec>();
}

std::unique_ptr<Codec> MakeExtensibleCodec() {
    return std::make_unique<ExtensibleCodec>();
}

std::unique_ptr<Codec> MakeAlawCodec() {
    return std::make_unique<G711Codec<AlawKernel>>(WAVE_FORMAT_ALAW, "CCITT A-Law");
}

std::unique_ptr<Codec> MakeUlawCodec() {
    return std::make_unique<G711Codec<UlawKernel>>(WAVE_FORMAT_MULAW, "CCITT u-Law");
}

}  // namespace sonvara
