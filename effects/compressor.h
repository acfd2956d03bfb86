#pragma once
// The dynamic range compressor. The sound is cut into blocks of 45 ms; each block's level in
// whole decibels picks a gain from a table, and the gain moves frame by frame in a straight line
// towards the gain of the block ahead, so the output is not delayed: the look-ahead block only
// steers the ramp. Past the upstream's end the look-ahead holds the last block's gain, and a
// block cut short by the end is measured over the frames it has. The ramp falls faster than it
// rises: towards louder audio it reaches the new gain within 1.25 blocks, towards quieter audio it
// goes half way over two blocks.
//
// Gains are fixed point with unity at 2^24; the table holds one gain per input level from −128 to
// 127 dB: a constant make-up gain below the threshold, then a drop of the ratio's factor per
// decibel, and −1 dB per dB above the upper knee (fixed at 127 dB).

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "audio/sound_source.h"
#include "core/progress_dialog.h"
#include "document/cut_list_audio.h"
#include "document/frame_range.h"
#include "effects/effect_parameters.h"
#include "effects/look_ahead_source.h"

namespace sonvara {

// The ratios the compressor offers: r = 10^(−(1 − 1/R) ÷ 20), the gain change per decibel above
// the threshold. The stored CompressorRatio is an index into this list.
struct CompressorRatioItem {
    std::string_view text;
    double factor;
};
inline constexpr std::array<CompressorRatioItem, 7> CompressorRatioList{{
    {"1:1", 1.0},
    {"3:2", 0.9623506263981255},
    {"2:1", 0.9440608762859234},
    {"3:1", 0.9261187281287935},
    {"4:1", 0.9172759353897796},
    {"5:1", 0.9120108393559098},
    {"Limit", 0.8912509382363546},
}};

// The factor of a stored ratio index; nothing for an index outside the list (the command is
// then cancelled before any change).
std::optional<double> CompressorRatioFactor(int index);

using CompressorGainTable = std::array<std::int32_t, 256>;

// The table for threshold `threshold_db` (−127..127) and ratio factor `ratio`. Gains that do not
// fit in 32 bits are held at INT32_MAX.
CompressorGainTable MakeCompressorGainTable(int threshold_db, double ratio);

// The level of a block in whole decibels, −127..127: 10 × log10 of the mean of (s >> 5)² over all
// its samples, scaled so that 0 dB is a mean square of 8388626 and rounded half away from zero.
// A silent or empty block is −127 dB. With a `stride`, only every stride-th sample counts (one
// channel of an interleaved block).
int CompressorBlockLevel(const Sample* samples, std::size_t count, std::size_t stride = 1);

class LSRCCompressor : public LookAheadSource {
  public:
    static constexpr std::int32_t kBlockMilliseconds = 45;

    LSRCCompressor(LSoundSourceRef upstream, int threshold_db, double ratio,
                   std::int32_t block_ms = kBlockMilliseconds);

    const CompressorGainTable& GainTable() const { return table_; }

  private:
    // Reads both blocks afresh from the upstream's position and starts the ramp.
    void ReadFirstBlocks() override;
    void NextBlock() override;
    void Render(std::int32_t at, std::int32_t count, Sample* out) override;
    // Reads the next block into `block` and gives its gain from the table.
    std::int32_t ReadBlockGain(std::vector<Sample>& block);
    void SetStep(std::int32_t next_gain);

    CompressorGainTable table_;
    std::vector<Sample> current_, ahead_;
    std::int32_t previous_target_ = 0, next_target_ = 0;
    std::int32_t gain_ = 0;
    std::int32_t step_ = 0;
    std::int32_t block_gain_ = 0;  // the gain of the last block read before the upstream's end
};

// "Dynamic Range Compressor" on `range`. The threshold is clamped to −127..127. A ratio index
// outside CompressorRatioList is refused with PROCESS_FAILED before any audio moves.
class EfCompressor : public LProgressDialog {
  public:
    EfCompressor(LCutListAudio& document, FrameRange range, const CompressorParameters& parameters);

  protected:
    ProcessResult Body() override;

  private:
    LCutListAudio& document_;
    FrameRange range_;
    CompressorParameters parameters_;
};

}  // namespace sonvara
