#pragma once
// The graphic equalizer. A point list is drawn into a response table G of 2048 byte gains (128 =
// unity), one per band of rate ÷ 4096 Hz from 0 to half the rate. The table becomes the half h of
// a symmetric FIR filter of 4095 taps by a cosine sum over the bands and the top end (half the
// rate, at the last band's level), the two ends weighing half:
//   h[n] = (trunc(G[0] ÷ 2 + Σ_{k=1..2047} cos(n·k·π ÷ 2048) × G[k] + cos(n·π) × G[2047] ÷ 2)
//           + 4) >> 3,
// so that a flat table gives h[0] = 32768 (2^15) and every other tap 0: it passes the audio as
// it is. The filter adds no delay: output frame t is centred on input frame t.
//
// The arithmetic is fixed-point and 32-bit: the buffered input is scaled down by a shift so that
// its peak fits 16 bits, the products are summed modulo 2^32, and the sum is shifted back by
// 15 − shift. Only one and two channels are filtered; more channels pass through as read.

#include <array>
#include <cstdint>
#include <vector>

#include "audio/sound_source.h"
#include "core/progress_dialog.h"
#include "document/cut_list_audio.h"
#include "document/frame_range.h"
#include "effects/equalizer_kernel.h"
#include "effects/point_list.h"

namespace sonvara {

using EqualizerResponse = std::array<std::uint8_t, kEqualizerTaps>;
using EqualizerTaps = std::array<std::int32_t, kEqualizerTaps>;

// The response table of `points` for a document of `sample_rate` Hz (44100 when it is 0 or less):
// straight lines between the points, point x lying at band trunc(x × 320000 ÷ rate), and the last
// point's level from there to the top band. An empty list is flat at unity.
EqualizerResponse MakeEqualizerResponse(const PointList& points, std::int32_t sample_rate);

// The taps of the cosine sum above.
EqualizerTaps MakeEqualizerTaps(const EqualizerResponse& response);

class LSRCEq : public LSoundSourceBase {
  public:
    // Builds the taps and fills the buffer: the upstream is read 10240 frames ahead at once.
    LSRCEq(LSoundSourceRef upstream, const EqualizerResponse& response);

    void Read(Sample* buffer, std::int32_t frames) override;
    std::int32_t GetPosition() const override;
    std::int32_t GetLength() const override { return upstream_->GetLength(); }
    // Seeks the upstream and fills the buffer again from there, with silence before it.
    void Seek(std::int32_t frame) override;

    // Shifts the whole buffer right by the least amount that brings its peak to 32767 or below.
    void ApplyInBufferScaling();

    const EqualizerTaps& Taps() const { return taps_; }

  private:
    static constexpr std::int32_t kLookAhead = kEqualizerReach + 1;
    // 2047 frames of history, 2048 of look-ahead, then one block.
    static constexpr std::int32_t kBufferFrames = kEqualizerReach + kLookAhead + kBlockFrames;
    static constexpr std::int32_t kKeptFrames = kBufferFrames - kBlockFrames;

    bool Filters() const { return GetChannels() <= 2; }
    void Fill();
    void Refill();
    // Reads `frames` frames (at most one block) from the upstream into the planes at `at`.
    void ReadPlanes(std::int32_t at, std::int32_t frames);
    Sample Output(std::uint32_t sum) const;

    LSoundSourceRef upstream_;
    EqualizerTaps taps_;
    // One plane per channel, so that the kernel runs over contiguous samples.
    std::array<std::vector<Sample>, 2> planes_;
    std::vector<Sample> block_;  // an interleaved block from the upstream
    std::vector<std::uint32_t> sums_;
    std::int32_t position_ = 0;  // the next output frame within the block
    int shift_ = 0;
};

// The range effect "Equalizing" with the response drawn from `points`.
class EfEqualiser : public LProgressDialog {
  public:
    EfEqualiser(LCutListAudio& document, FrameRange range, const PointList& points);

  protected:
    ProcessResult Body() override;

  private:
    LCutListAudio& document_;
    FrameRange range_;
    PointList points_;
};

}  // namespace sonvara
