#pragma once
// A libebur128 measurement fed with this program's samples: the state made for a rate, a
// channel count and the library's modes, freed with it, and frames added in the internal sample
// format (converted to floating point on the way). The meters that read loudness build on it.

#include <ebur128.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "audio/sample_format.h"

namespace sonvara {

struct Ebur128Free {
    void operator()(ebur128_state* state) const { ebur128_destroy(&state); }
};
using Ebur128State = std::unique_ptr<ebur128_state, Ebur128Free>;

// Null when the rate or the channel count is unusable or the library could not set up.
Ebur128State MakeEbur128State(std::int32_t sample_rate, int channels, int modes);

// Adds `count` interleaved frames of `channels` channels, converted into `converted` (kept by the
// caller to spare allocations, and holding the frames as floating point afterwards). False when
// the library refused them.
bool AddEbur128Frames(ebur128_state& state, const Sample* frames, std::int32_t count, int channels,
                      std::vector<float>& converted);

}  // namespace sonvara
