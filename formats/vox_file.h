#pragma once
// VOX files: Dialogic (OKI) ADPCM, one channel, 4 bits a sample, the high nibble of each byte
// first, no header. The rate is not in the file; the user says it.
//
// The codec keeps a predictor on the internal scale and an index into the 49 OKI step sizes.
// Each code moves the predictor by step × d[code], d = ±16 × (2m + 1) for the magnitude bits m,
// which is half the usual OKI scale, and the predictor leaks 1/64 of itself every sample so that
// it cannot drift. Encoder and decoder run the same state, so a file decodes to the predictor
// track its encoder followed.

#include <cstdint>
#include <string>
#include <vector>

#include "audio/file_sound_source.h"
#include "audio/sound_sink.h"
#include "core/file.h"

namespace sonvara {

class VoxAdpcm {
  public:
    static constexpr int kSteps = 49;
    static constexpr std::int32_t kLargestStep = 1552;
    // |predictor| ≤ 63/64 · |predictor| + 1 + 1552 · 240 each sample, so it never leaves
    // ±64 · (1552 · 240 + 1), whatever the codes.
    static constexpr Sample kPeak = 64 * (kLargestStep * 240 + 1);

    // Decodes one code (0..15) and returns the sample.
    Sample Decode(int code);
    // Codes one sample; the state then holds what the decoder will reconstruct.
    int Encode(Sample sample);

    Sample Predictor() const { return predictor_; }
    int Index() const { return index_; }

  private:
    void Apply(int code);

    Sample predictor_ = 0;
    int index_ = 0;
};

// The reader: position and length count samples, two a byte. A seek keeps the codec state;
// decoding goes on from the new place with it.
class LSRCVOX final : public FileSoundSource {
  public:
    // Declares VoxAdpcm::kPeak: a damaged file can drive the predictor well past full scale.
    LSRCVOX(const std::string& path, std::int32_t sample_rate);

    std::int32_t GetLength() const override { return length_; }

  private:
    static constexpr std::size_t kBufferBytes = 4096;

    std::int64_t ReadFrames(std::int64_t first, Sample* out, std::int64_t count) override;

    LFile file_;
    VoxAdpcm codec_;
    std::int32_t length_ = 0;
    std::vector<std::uint8_t> bytes_;
};

// The writer (mono). An odd sample count leaves the high nibble of a byte open; the next write's
// first sample completes it. A nibble still open at the end is not written.
class LSNKVOX final : public LSoundSinkBase {
  public:
    LSNKVOX(const std::string& path, std::int32_t sample_rate);

    void Write(const Sample* buffer, std::int32_t frames) override;

  private:
    static constexpr std::size_t kBufferBytes = 8192;

    LFile file_;
    VoxAdpcm codec_;
    int open_nibble_ = -1;  // the high nibble waiting for its partner, or -1
    std::vector<std::uint8_t> bytes_;
};

}  // namespace sonvara
