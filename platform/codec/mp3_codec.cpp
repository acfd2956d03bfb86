#include "platform/codec/mp3_codec.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "codecs/mp3/mp3_frame_decoder.h"
#include "codecs/mp3/mp3_frame_layout.h"

namespace sonvara {
namespace {

// The longest Layer III frame that is not free format: 320 kbit/s at 32 kHz, or 160 kbit/s at
// 8 kHz, with a padding byte.
constexpr std::size_t kLongestFrameBytes = 1441;

// Decoding after a seek starts this many frames early. The bit reservoir reaches back at most
// 511 bytes (255 below 32 kHz), which the lowest bitrates spread over 9 frames of 1152 samples
// (24 frames of 576); one frame more rebuilds the overlap of the transform and the synthesis
// window spans less than a granule. From then on every sample equals an uninterrupted decode.
constexpr std::size_t kPrerollFrames = 18 * 1152;

// A decoded value as a 16-bit sample, rounded to the nearest (halves to even). Adding and taking
// away 1.5 * 2^23 leaves the value rounded to a whole number in the default rounding mode (it
// is within 2^15, so the sum has no fraction bits), as lrint does, without a library call, so
// that the loops over a frame vectorise.
std::int16_t To16(float value) {
    constexpr float kRound = 12582912.0F;
    float scaled = value * 32768.0F;
    scaled = scaled < -32768.0F ? -32768.0F : scaled;
    scaled = 32767.0F < scaled ? 32767.0F : scaled;
    return static_cast<std::int16_t>(static_cast<int>((scaled + kRound) - kRound));
}

// The frame's channels interleaved as 16-bit samples. Built for AVX2 and any x86-64.
__attribute__((target_clones("avx2", "default"))) void Interleave16(const mp3::DecodedFrame& frame,
                                                                    std::size_t samples,
                                                                    std::int16_t* out) {
    if (frame.channels == 2) {
        for (std::size_t i = 0; i < samples; ++i) {
            out[2 * i] = To16(frame.pcm[0][i]);
            out[2 * i + 1] = To16(frame.pcm[1][i]);
        }
    } else {
        for (std::size_t i = 0; i < samples; ++i) {
            out[i] = To16(frame.pcm[0][i]);
        }
    }
}

class Mp3Decoder : public BlockConverter {
  public:
    Mp3Decoder(int channels, int rate)
        : BlockConverter(kLongestFrameBytes,
                         static_cast<std::size_t>(mp3::kMaxFrameSamples * channels * 2)),
          channels_(channels),
          rate_(rate),
          decoder_(std::make_unique<mp3::LMP3FrameDecoder>()),
          decoded_(std::make_unique<mp3::DecodedFrame>()) {}

    Converted Convert(const std::uint8_t* input, std::size_t blocks,
                      std::uint8_t* output) override {
        // Reached only through ConvertBuffer, which this converter replaces.
        const Buffered done = ConvertBuffer(input, blocks * InputBlockBytes(), output,
                                            blocks * OutputBlockBytes(), false);
        return {done.ok ? blocks : 0, done.written};
    }

    Buffered ConvertBuffer(const std::uint8_t* input, std::size_t input_bytes, std::uint8_t* output,
                           std::size_t output_bytes, bool end) override {
        const std::span<const std::uint8_t> bytes(input, input_bytes);
        Buffered result;
        for (;;) {
            const std::optional<std::size_t> at =
                mp3::FindHeader(bytes, result.used, input_bytes - result.used);
            if (!at) {
                // Nothing here is a frame; keep the last three bytes, which may begin a header,
                // unless the data ends with them.
                const std::size_t keep = end ? 0 : std::min<std::size_t>(3, input_bytes);
                if (input_bytes - keep > result.used) {
                    result.used = input_bytes - keep;
                    in_step_ = false;
                }
                return result;
            }
            if (*at != result.used) {
                in_step_ = false;  // bytes were skipped
            }
            const std::optional<mp3::FrameHeader> header = mp3::ParseHeader(input + *at);
            if (header->SampleRate() != rate_ || header->Channels() != channels_) {
                result.used = *at + 1;  // a header of some other stream, or a false sync
                in_step_ = false;
                continue;
            }
            const auto frame_bytes = static_cast<std::size_t>(header->FrameBytes());
            const auto frame_output = static_cast<std::size_t>(header->SamplesPerFrame()) *
                                      static_cast<std::size_t>(channels_) * 2;
            if (input_bytes - *at < frame_bytes) {
                // A frame cut short by the end of the data has no samples to give.
                result.used = end ? input_bytes : *at;
                return result;
            }
            // A header found by searching (at the start, after a seek, after junk) counts only
            // when another header of the stream follows it, so that a sync pattern inside
            // audio data is not taken for a frame; the last frame of the data has no follower.
            const bool searched = !in_step_;
            if (searched && input_bytes - *at < frame_bytes + mp3::kHeaderBytes) {
                if (!end) {
                    result.used = *at;
                    return result;
                }
            } else if (searched && !FollowedByFrame(input + *at + frame_bytes)) {
                result.used = *at + 1;
                in_step_ = false;
                continue;
            }
            if (output_bytes - result.written < frame_output) {
                result.used = *at;
                return result;
            }
            if (decoder_->Decode(bytes.subspan(*at, frame_bytes), *decoded_) ==
                mp3::DecodeStatus::kBadFrame) {
                result.ok = result.written > 0;
                if (!result.ok) {
                    result.used = 0;
                }
                return result;
            }
            Interleave(output + result.written);
            result.written += frame_output;
            result.used = *at + frame_bytes;
            in_step_ = true;
        }
    }

    void Reset() override {
        decoder_->Reset();
        in_step_ = false;
    }
    bool VariableBlocks() const override { return true; }
    std::size_t SeekPrerollFrames() const override { return kPrerollFrames; }

  private:
    bool FollowedByFrame(const std::uint8_t* next) const {
        const std::optional<mp3::FrameHeader> header = mp3::ParseHeader(next);
        return header && header->SampleRate() == rate_ && header->Channels() == channels_;
    }

    void Interleave(std::uint8_t* output) const {
        const auto samples = static_cast<std::size_t>(decoded_->samples);
        std::array<std::int16_t, 2 * mp3::kMaxFrameSamples> values;
        Interleave16(*decoded_, samples, values.data());
        std::memcpy(output, values.data(), samples * static_cast<std::size_t>(channels_) * 2);
    }

    int channels_;
    int rate_;
    std::unique_ptr<mp3::LMP3FrameDecoder> decoder_;
    std::unique_ptr<mp3::DecodedFrame> decoded_;
    // The last frame decoded ended where this buffer's bytes go on: the next frame is expected
    // right there.
    bool in_step_ = false;
};

bool IsMpegRate(std::uint32_t rate) {
    constexpr std::uint32_t kRates[] = {44100, 48000, 32000, 22050, 24000,
                                        16000, 11025, 12000, 8000};
    return std::find(std::begin(kRates), std::end(kRates), rate) != std::end(kRates);
}

class Mp3Codec : public Codec {
  public:
    std::string Name() const override { return "MPEG Layer-3"; }
    std::unique_ptr<BlockConverter> MakeDecoder(const WaveFormat& coded) const override {
        if (coded.format_tag != WAVE_FORMAT_MPEGLAYER3 ||
            (coded.channels != 1 && coded.channels != 2) || !IsMpegRate(coded.samples_per_sec)) {
            return nullptr;
        }
        return std::make_unique<Mp3Decoder>(coded.channels,
                                            static_cast<int>(coded.samples_per_sec));
    }
    std::unique_ptr<BlockConverter> MakeEncoder(const WaveFormat&) const override {
        return nullptr;
    }
    std::vector<WaveFormat> OfferedFormats() const override { return {}; }
};

}  // namespace

std::unique_ptr<Codec> MakeMp3Codec() {
    return std::make_unique<Mp3Codec>();
}

}  // namespace sonvara
