#pragma once
// What the WAV readers share about reading their data chunk: how much of it the file really
// holds, and how a read splits into silence before frame 0 and frames of data.

#include <algorithm>
#include <cstdint>
#include <limits>

#include "core/file.h"

namespace sonvara {

// The bytes of data from `data_start` on: the chunk's size, limited to what the file holds (a
// damaged or cut-off file may promise far more); 0xFFFFFFFF means "to the end of the file".
inline std::int64_t HeldDataBytes(const LFile& file, std::int64_t data_start,
                                  std::uint32_t data_bytes) {
    std::int64_t held = std::max<std::int64_t>(file.GetFileSizeBytes() - data_start, 0);
    return data_bytes == 0xFFFFFFFF ? held : std::min<std::int64_t>(data_bytes, held);
}

// A read of `frames` frames (> 0) from `position`: the frames of silence before frame 0 that
// start it, the first frame of data it asks for, and the position after it.
struct ReadStart {
    std::int64_t lead;
    std::int64_t first;
    std::int32_t next;
};

inline ReadStart StartRead(std::int32_t position, std::int32_t frames) {
    const std::int64_t end = std::int64_t{position} + frames;
    const std::int64_t lead = std::clamp<std::int64_t>(-std::int64_t{position}, 0, frames);
    return {lead, std::max<std::int64_t>(position, 0),
            static_cast<std::int32_t>(
                std::min<std::int64_t>(end, std::numeric_limits<std::int32_t>::max()))};
}

}  // namespace sonvara
