#pragma once
// The level meter's loudness reading: the momentary loudness (ITU-R BS.1770, the K-weighted mean
// square of the last 400 ms) of the sound as it is played, in LUFS, measured with libebur128.
// The player feeds it each block it queues and reports the reading with the block's levels when
// the block is heard.

#include <cstdint>
#include <vector>

#include "audio/ebur128_state.h"
#include "audio/sample_format.h"

namespace sonvara {

class MomentaryLoudness {
  public:
    MomentaryLoudness(std::int32_t sample_rate, int channels);
    ~MomentaryLoudness();
    MomentaryLoudness(const MomentaryLoudness&) = delete;
    MomentaryLoudness& operator=(const MomentaryLoudness&) = delete;

    void Add(const Sample* frames, std::int32_t count);
    // The loudness of the last 400 ms fed (the part not fed yet counting as silence); minus
    // infinity for silence, or when the library could not measure.
    double Current() const;
    // Forgets what was fed: the play goes on somewhere else.
    void Clear();

  private:
    Ebur128State state_;  // null when the library could not measure
    std::int32_t sample_rate_;
    int channels_;
    std::vector<float> converted_;
};

}  // namespace sonvara
