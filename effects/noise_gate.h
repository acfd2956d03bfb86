#pragma once
// Noise reduction by four gates. The sound is split into four bands by one-pole sections (about
// 50–400, 400–1100, 1100–2600 Hz and above; content below 50 Hz is removed from all of them), and
// each band has a gain that opens when the band's level, less what the neighbouring bands mask of
// it, passes a threshold, and closes when it falls below. The gains are worked out one block of
// 33 ms ahead of the output and ramp towards their targets frame by frame: a gate opens within
// one block and closes more slowly (the lowest band over four blocks, the others over two), so
// hiss goes without the tails of notes being chopped.

#include <array>
#include <cstdint>
#include <vector>

#include "audio/sound_source.h"
#include "core/progress_dialog.h"
#include "document/cut_list_audio.h"
#include "document/frame_range.h"
#include "effects/effect_parameters.h"
#include "effects/look_ahead_source.h"

namespace sonvara {

class LSRCNoiseGates : public LookAheadSource {
  public:
    static constexpr int kBands = 4;

    // `levels_db`: the threshold of each band, −127..127 dB.
    LSRCNoiseGates(LSoundSourceRef upstream, const std::array<int, kBands>& levels_db);

    const std::array<std::int32_t, kBands>& Thresholds() const { return thresholds_; }

  private:
    // One block split into bands: band b of frame f, channel c at [(b × M + f) × channels + c].
    using Bands = std::vector<Sample>;

    void ReadFirstBlocks() override;
    void NextBlock() override;
    void Render(std::int32_t at, std::int32_t count, Sample* out) override;
    void ReadBands(Bands& bands);
    // The gains the bands of `bands` call for.
    std::array<std::int32_t, kBands> Targets(const Bands& bands) const;
    void SetSteps(const std::array<std::int32_t, kBands>& targets);

    std::array<std::int32_t, kBands> coefficients_{};
    std::array<std::int32_t, kBands> thresholds_{};
    std::vector<std::array<std::int32_t, kBands>> states_;  // per channel
    std::vector<Sample> input_;                             // one block as read
    Bands current_, ahead_;
    std::array<std::int32_t, kBands> gains_{};
    std::array<std::int32_t, kBands> steps_{};
};

// The band thresholds for the stored gate level `level_db`: +3, 0, −3 and 0 dB about it, each
// clamped to −127..127.
std::array<int, LSRCNoiseGates::kBands> NoiseGateLevels(int level_db);

// "Noise Reduction" on `range` with the band thresholds about the parameters' level.
class EfNoiseReduction : public LProgressDialog {
  public:
    EfNoiseReduction(LCutListAudio& document, FrameRange range,
                     const NoiseGateParameters& parameters);

  protected:
    ProcessResult Body() override;

  private:
    LCutListAudio& document_;
    FrameRange range_;
    NoiseGateParameters parameters_;
};

}  // namespace sonvara
