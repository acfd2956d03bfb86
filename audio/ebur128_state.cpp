#include "audio/ebur128_state.h"

#include <algorithm>

namespace sonvara {

Ebur128State MakeEbur128State(std::int32_t sample_rate, int channels, int modes) {
    if (sample_rate <= 0 || channels <= 0) {
        return nullptr;
    }
    return Ebur128State(ebur128_init(static_cast<unsigned>(channels),
                                     static_cast<unsigned long>(sample_rate), modes));
}

bool AddEbur128Frames(ebur128_state& state, const Sample* frames, std::int32_t count, int channels,
                      std::vector<float>& converted) {
    const auto samples = static_cast<std::size_t>(count) * static_cast<std::size_t>(channels);
    converted.resize(samples);
    std::transform(frames, frames + samples, converted.begin(), FloatFromSample);
    return ebur128_add_frames_float(&state, converted.data(), static_cast<std::size_t>(count)) ==
           EBUR128_SUCCESS;
}

}  // namespace sonvara
