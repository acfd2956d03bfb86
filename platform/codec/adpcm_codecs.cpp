#include "platform/codec/adpcm_codecs.h"

#include <bit>
#include <cstring>

#include "codecs/adpcm/ima_adpcm.h"
#include "codecs/adpcm/ms_adpcm.h"
#include "core/byte_order.h"

namespace sonvara {

static_assert(std::endian::native == std::endian::little,
              "16-bit PCM buffers are copied as they lie in memory");

namespace {

// The block size the chooser offers for a rate: 256 bytes a channel up to 11025 Hz, 512 up to
// 22050 Hz, 1024 above, as WAV ADPCM writers have always used.
int AdpcmBlockAlign(std::uint32_t rate, int channels) {
    int per_channel = rate <= 11025 ? 256 : rate <= 22050 ? 512 : 1024;
    return per_channel * channels;
}

// Shared by both ADPCM families: blocks of `samples_per_block` frames on the PCM side and
// `block_align` bytes on the coded side. Derived classes code one block.
class AdpcmConverter : public BlockConverter {
  public:
    AdpcmConverter(bool decoding, int channels, int block_align, int samples_per_block)
        : BlockConverter(decoding ? static_cast<std::size_t>(block_align)
                                  : PcmBytes(channels, samples_per_block),
                         decoding ? PcmBytes(channels, samples_per_block)
                                  : static_cast<std::size_t>(block_align)),
          decoding_(decoding),
          channels_(channels),
          block_align_(block_align),
          samples_per_block_(samples_per_block),
          pcm_(static_cast<std::size_t>(channels) * static_cast<std::size_t>(samples_per_block)) {}

    Converted Convert(const std::uint8_t* input, std::size_t blocks,
                      std::uint8_t* output) override {
        Converted done;
        for (; done.blocks < blocks; ++done.blocks) {
            std::optional<std::size_t> bytes = ConvertOne(input + done.blocks * InputBlockBytes(),
                                                          InputBlockBytes(), output + done.bytes);
            if (!bytes) {
                break;
            }
            done.bytes += *bytes;
        }
        return done;
    }

    std::optional<std::size_t> ConvertLast(const std::uint8_t* input, std::size_t bytes,
                                           std::uint8_t* output) override {
        return ConvertOne(input, bytes, output);
    }

  protected:
    // Decodes `bytes` (a whole or a last, shorter block) into pcm(); returns the frames, or a
    // negative count for a damaged block.
    virtual int DecodeBlock(const std::uint8_t* block, std::size_t bytes) = 0;
    // Encodes `frames` frames of pcm() into one whole block.
    virtual void EncodeBlock(int frames, std::uint8_t* block) = 0;

    std::int16_t* pcm() { return pcm_.data(); }
    int channels() const { return channels_; }
    int block_align() const { return block_align_; }
    int samples_per_block() const { return samples_per_block_; }

  private:
    static std::size_t PcmBytes(int channels, int frames) {
        return static_cast<std::size_t>(channels) * static_cast<std::size_t>(frames) * 2;
    }

    std::optional<std::size_t> ConvertOne(const std::uint8_t* input, std::size_t bytes,
                                          std::uint8_t* output) {
        if (decoding_) {
            int frames = DecodeBlock(input, bytes);
            if (frames < 0) {
                return std::nullopt;
            }
            std::size_t out_bytes = PcmBytes(channels_, frames);
            std::memcpy(output, pcm_.data(), out_bytes);
            return out_bytes;
        }
        int frames = static_cast<int>(bytes / PcmBytes(channels_, 1));
        std::memcpy(pcm_.data(), input, PcmBytes(channels_, frames));
        EncodeBlock(frames, output);
        return static_cast<std::size_t>(block_align_);
    }

    bool decoding_;
    int channels_;
    int block_align_;
    int samples_per_block_;
    std::vector<std::int16_t> pcm_;
};

class ImaAdpcmConverter : public AdpcmConverter {
  public:
    ImaAdpcmConverter(bool decoding, int channels, int block_align)
        : AdpcmConverter(decoding, channels, block_align,
                         ima_adpcm::SamplesPerBlock(block_align, channels)),
          encoder_(channels) {}

    void Reset() override { encoder_ = ima_adpcm::Encoder(channels()); }

  protected:
    int DecodeBlock(const std::uint8_t* block, std::size_t bytes) override {
        return ima_adpcm::DecodeBlock(block, bytes, channels(), pcm(), samples_per_block());
    }
    void EncodeBlock(int frames, std::uint8_t* block) override {
        encoder_.EncodeBlock(pcm(), frames, block, block_align());
    }

  private:
    ima_adpcm::Encoder encoder_;
};

class MsAdpcmConverter : public AdpcmConverter {
  public:
    MsAdpcmConverter(bool decoding, int channels, int block_align,
                     ms_adpcm::Coefficients coefficients)
        : AdpcmConverter(decoding, channels, block_align,
                         ms_adpcm::SamplesPerBlock(block_align, channels)),
          coefficients_(std::move(coefficients)) {}

  protected:
    int DecodeBlock(const std::uint8_t* block, std::size_t bytes) override {
        return ms_adpcm::DecodeBlock(block, bytes, channels(), coefficients_, pcm(),
                                     samples_per_block());
    }
    void EncodeBlock(int frames, std::uint8_t* block) override {
        ms_adpcm::EncodeBlock(pcm(), frames, channels(), block, block_align());
    }

  private:
    ms_adpcm::Coefficients coefficients_;
};

// Formats every ADPCM reader agrees on: 4 bits, 1 or 2 channels, a block that holds the
// headers and some samples.
bool UsableAdpcm(const WaveFormat& coded, std::uint16_t tag, int samples_per_block) {
    return coded.format_tag == tag && (coded.channels == 1 || coded.channels == 2) &&
           coded.bits_per_sample == 4 && samples_per_block > 0;
}

std::vector<WaveFormat> OfferAdpcm(std::uint16_t tag, int (*samples_per_block)(int, int),
                                   std::vector<std::uint8_t> (*extra)(int)) {
    std::vector<WaveFormat> formats;
    for (std::uint32_t rate : kOfferedRates) {
        for (int channels = 1; channels <= 2; ++channels) {
            WaveFormat format;
            format.format_tag = tag;
            format.channels = static_cast<std::uint16_t>(channels);
            format.samples_per_sec = rate;
            format.block_align = static_cast<std::uint16_t>(AdpcmBlockAlign(rate, channels));
            format.bits_per_sample = 4;
            int frames = samples_per_block(format.block_align, channels);
            format.avg_bytes_per_sec = static_cast<std::uint32_t>(
                std::uint64_t{rate} * format.block_align / static_cast<std::uint64_t>(frames));
            format.extra = extra(frames);
            formats.push_back(std::move(format));
        }
    }
    return formats;
}

std::vector<std::uint8_t> ImaExtra(int samples_per_block) {
    std::vector<std::uint8_t> extra;
    AppendLE16(extra, static_cast<std::uint16_t>(samples_per_block));
    return extra;
}

class ImaAdpcmCodec : public Codec {
  public:
    std::string Name() const override { return "IMA ADPCM"; }
    std::unique_ptr<BlockConverter> MakeDecoder(const WaveFormat& coded) const override {
        return Make(coded, true);
    }
    std::unique_ptr<BlockConverter> MakeEncoder(const WaveFormat& coded) const override {
        // A block must end on a whole group of eight samples per channel.
        if (coded.block_align % (4 * coded.channels) != 0) {
            return nullptr;
        }
        return Make(coded, false);
    }
    std::vector<WaveFormat> OfferedFormats() const override {
        return OfferAdpcm(WAVE_FORMAT_IMA_ADPCM, &ima_adpcm::SamplesPerBlock, &ImaExtra);
    }

  private:
    static std::unique_ptr<BlockConverter> Make(const WaveFormat& coded, bool decoding) {
        if (!UsableAdpcm(coded, WAVE_FORMAT_IMA_ADPCM,
                         ima_adpcm::SamplesPerBlock(coded.block_align, coded.channels))) {
            return nullptr;
        }
        return std::make_unique<ImaAdpcmConverter>(decoding, coded.channels, coded.block_align);
    }
};

class MsAdpcmCodec : public Codec {
  public:
    std::string Name() const override { return "Microsoft ADPCM"; }
    std::unique_ptr<BlockConverter> MakeDecoder(const WaveFormat& coded) const override {
        std::optional<ms_adpcm::Coefficients> coefficients = UsableCoefficients(coded);
        if (!coefficients) {
            return nullptr;
        }
        return std::make_unique<MsAdpcmConverter>(true, coded.channels, coded.block_align,
                                                  std::move(*coefficients));
    }
    std::unique_ptr<BlockConverter> MakeEncoder(const WaveFormat& coded) const override {
        // The encoder writes the standard coefficient set; a format asking for others is not
        // one it can produce.
        std::optional<ms_adpcm::Coefficients> coefficients = UsableCoefficients(coded);
        if (!coefficients || coefficients->pairs != ms_adpcm::StandardCoefficients().pairs) {
            return nullptr;
        }
        return std::make_unique<MsAdpcmConverter>(false, coded.channels, coded.block_align,
                                                  std::move(*coefficients));
    }
    std::vector<WaveFormat> OfferedFormats() const override {
        return OfferAdpcm(WAVE_FORMAT_ADPCM, &ms_adpcm::SamplesPerBlock,
                          &ms_adpcm::MakeFormatExtra);
    }

  private:
    // The coefficient table of a usable format, read from its extra bytes.
    static std::optional<ms_adpcm::Coefficients> UsableCoefficients(const WaveFormat& coded) {
        ms_adpcm::Coefficients coefficients;
        if (!UsableAdpcm(coded, WAVE_FORMAT_ADPCM,
                         ms_adpcm::SamplesPerBlock(coded.block_align, coded.channels)) ||
            !ms_adpcm::ParseFormatExtra(coded.extra.data(), coded.extra.size(), nullptr,
                                        &coefficients)) {
            return std::nullopt;
        }
        return coefficients;
    }
};

}  // namespace

std::unique_ptr<Codec> MakeImaAdpcmCodec() {
    return std::make_unique<ImaAdpcmCodec>();
}

std::unique_ptr<Codec> MakeMsAdpcmCodec() {
    return std::make_unique<MsAdpcmCodec>();
}

}  // namespace sonvara
