#include "platform/codec/gsm_codec.h"

#include <bit>
#include <cstring>

#include "codecs/gsm/gsm_frame.h"
#include "core/byte_order.h"

namespace sonvara {

static_assert(std::endian::native == std::endian::little,
              "16-bit PCM buffers are copied as they lie in memory");

namespace {

constexpr int kBlockSamples = 2 * gsm::kFrameSamples;
constexpr std::size_t kPcmBlockBytes = kBlockSamples * 2;

class GsmDecoder : public BlockConverter {
  public:
    GsmDecoder() : BlockConverter(gsm::kWavPairBytes, kPcmBlockBytes) {}

    Converted Convert(const std::uint8_t* input, std::size_t blocks,
                      std::uint8_t* output) override {
        for (std::size_t b = 0; b < blocks; ++b) {
            gsm::FrameParameters first;
            gsm::FrameParameters second;
            gsm::UnpackWavPair(input + b * gsm::kWavPairBytes, first, second);
            DecodeFrame(first, output + b * kPcmBlockBytes);
            DecodeFrame(second, output + b * kPcmBlockBytes + kPcmBlockBytes / 2);
        }
        return {blocks, blocks * kPcmBlockBytes};
    }

    // A cut-off block still holds its first frame when 33 of its bytes are there (the first
    // 260 bits end in byte 33).
    std::optional<std::size_t> ConvertLast(const std::uint8_t* input, std::size_t bytes,
                                           std::uint8_t* output) override {
        if (bytes < gsm::kFrameBytes) {
            return 0;
        }
        std::uint8_t block[gsm::kWavPairBytes] = {};
        std::memcpy(block, input, bytes);
        gsm::FrameParameters first;
        gsm::FrameParameters second;
        gsm::UnpackWavPair(block, first, second);
        DecodeFrame(first, output);
        return kPcmBlockBytes / 2;
    }

    void Reset() override {
        frame_.Reset();
        post_ = GsmStandardPostprocessor();
    }

  private:
    void DecodeFrame(const gsm::FrameParameters& parameters, std::uint8_t* output) {
        std::int16_t sr[gsm::kFrameSamples];
        std::int16_t pcm[gsm::kFrameSamples];
        frame_.Decode(parameters, sr);
        post_.Process(sr, pcm);
        std::memcpy(output, pcm, sizeof pcm);
    }

    LGSMFrame frame_;
    GsmStandardPostprocessor post_;
};

class GsmEncoder : public BlockConverter {
  public:
    GsmEncoder() : BlockConverter(kPcmBlockBytes, gsm::kWavPairBytes) {}

    Converted Convert(const std::uint8_t* input, std::size_t blocks,
                      std::uint8_t* output) override {
        for (std::size_t b = 0; b < blocks; ++b) {
            EncodeBlock(input + b * kPcmBlockBytes, output + b * gsm::kWavPairBytes);
        }
        return {blocks, blocks * gsm::kWavPairBytes};
    }

    // The samples missing from the last block are coded as silence.
    std::optional<std::size_t> ConvertLast(const std::uint8_t* input, std::size_t bytes,
                                           std::uint8_t* output) override {
        std::uint8_t block[kPcmBlockBytes] = {};
        std::memcpy(block, input, bytes & ~std::size_t{1});
        EncodeBlock(block, output);
        return gsm::kWavPairBytes;
    }

    void Reset() override {
        frame_.Reset();
        pre_ = GsmStandardPreprocessor();
    }

  private:
    void EncodeBlock(const std::uint8_t* input, std::uint8_t* output) {
        gsm::FrameParameters frames[2];
        for (int f = 0; f < 2; ++f) {
            std::int16_t pcm[gsm::kFrameSamples];
            std::int16_t s[gsm::kFrameSamples];
            std::memcpy(pcm, input + f * (kPcmBlockBytes / 2), sizeof pcm);
            pre_.Process(pcm, s);
            frames[f] = frame_.Encode(s);
        }
        gsm::PackWavPair(frames[0], frames[1], output);
    }

    LGSMFrame frame_;
    GsmStandardPreprocessor pre_;
};

// Mono, 65-byte blocks and, when the format says, 320 samples a block.
bool Usable(const WaveFormat& coded) {
    if (coded.format_tag != WAVE_FORMAT_GSM610 || coded.channels != 1 ||
        coded.block_align != gsm::kWavPairBytes || coded.samples_per_sec == 0) {
        return false;
    }
    return coded.extra.size() < 2 || LoadLE16(coded.extra.data()) == kBlockSamples;
}

class GsmCodec : public Codec {
  public:
    std::string Name() const override { return "GSM 6.10"; }
    std::unique_ptr<BlockConverter> MakeDecoder(const WaveFormat& coded) const override {
        return Usable(coded) ? std::make_unique<GsmDecoder>() : nullptr;
    }
    std::unique_ptr<BlockConverter> MakeEncoder(const WaveFormat& coded) const override {
        return Usable(coded) ? std::make_unique<GsmEncoder>() : nullptr;
    }
    std::vector<WaveFormat> OfferedFormats() const override {
        std::vector<WaveFormat> formats;
        for (std::uint32_t rate : {8000U, 11025U, 22050U, 44100U}) {
            formats.push_back(GsmWaveFormat(rate));
        }
        return formats;
    }
};

}  // namespace

WaveFormat GsmWaveFormat(std::uint32_t rate) {
    WaveFormat format;
    format.format_tag = WAVE_FORMAT_GSM610;
    format.channels = 1;
    format.samples_per_sec = rate;
    format.block_align = gsm::kWavPairBytes;
    format.avg_bytes_per_sec = static_cast<std::uint32_t>(
        (std::uint64_t{rate} * gsm::kWavPairBytes + kBlockSamples / 2) / kBlockSamples);
    format.bits_per_sample = 0;
    format.extra = {kBlockSamples & 0xFF, kBlockSamples >> 8};
    return format;
}

std::unique_ptr<Codec> MakeGsmCodec() {
    return std::make_unique<GsmCodec>();
}

}  // namespace sonvara
