#pragma once
// Loudness as listeners hear it (ITU-R BS.1770-4, EBU R 128), measured with libebur128: the
// integrated loudness of a stretch of sound, its loudness range, its loudest momentary (400 ms)
// and short-term (3 s) loudness, its sample peak and its true peak (the peak between samples,
// found at four times the rate: true_peak.h, several times faster than the library's).
//
// LoudnessMeter takes the frames in any blocks; LPRMeasureLoudness reads a source through it as a
// process, with progress and cancel.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "audio/ebur128_state.h"
#include "audio/sample_format.h"
#include "audio/sound_source.h"
#include "core/progress_dialog.h"
#include "effects/true_peak.h"

namespace sonvara {

struct LoudnessReport {
    // In LUFS, LU, dBFS and dBTP; minus infinity where the sound is silent (below the gates).
    double integrated = 0;
    double range = 0;
    double max_momentary = 0;
    double max_short_term = 0;
    double sample_peak = 0;
    double true_peak = 0;
};

// The report as the user reads it ("Sonoridad integrada: -16.0 LUFS", a line each), and as
// scripts read it ("integrated_lufs=-16.0", a line each, "-inf" for silence).
std::string LoudnessText(const LoudnessReport& report);
std::string LoudnessKeyValues(const LoudnessReport& report);

class LoudnessMeter {
  public:
    LoudnessMeter(std::int32_t sample_rate, int channels);
    ~LoudnessMeter();
    LoudnessMeter(const LoudnessMeter&) = delete;
    LoudnessMeter& operator=(const LoudnessMeter&) = delete;

    // False when the library could not set up a measurement (no memory, a rate it refuses).
    bool IsValid() const;
    void Add(const Sample* frames, std::int32_t count);
    LoudnessReport Report() const;

  private:
    // Feeds `count` frames (at most up to the next 100 ms step) and, at a step, takes the
    // momentary and short-term loudness.
    void AddStep(const Sample* frames, std::int32_t count);

    // The library's measurement; null when it could not be set up or failed.
    Ebur128State library_;
    int channels_;
    std::int32_t step_frames_;    // 100 ms: the steps momentary loudness is read at
    std::int32_t into_step_ = 0;  // frames fed since the last step
    static constexpr int kMomentarySteps = 4;
    static constexpr int kShortTermSteps = 30;
    std::int64_t steps_ = 0;  // whole steps fed
    // The energies of the last steps, a ring of the short-term window's.
    std::array<double, kShortTermSteps> step_energies_{};
    std::vector<float> converted_;
    TruePeakMeter true_peak_;
    double max_momentary_;
    double max_short_term_;
};

// Feeds frames [start, end) of `source` to `meter` block by block (`end` -1: to the source's end,
// however long it turns out), from where the source stands when `start` is 0. After each block
// `next(fraction done)` says whether to go on (null: always).
enum class FeedOutcome { kDone, kStopped, kSourceFailed };
FeedOutcome FeedLoudness(LSoundSourceBase& source, std::int32_t start, std::int32_t end,
                         LoudnessMeter& meter, const std::function<bool(double)>& next = {});

// Measures frames `range` of `source` (from its position 0; range end -1: to the source's end,
// however long it turns out). Reads the source from where it stands.
class LPRMeasureLoudness : public LProgressDialog {
  public:
    LPRMeasureLoudness(LSoundSourceRef source, std::int32_t start, std::int32_t end);

    const LoudnessReport& Report() const { return report_; }

  protected:
    ProcessResult Body() override;

  private:
    LSoundSourceRef source_;
    std::int32_t start_;
    std::int32_t end_;
    LoudnessReport report_;
};

}  // namespace sonvara
