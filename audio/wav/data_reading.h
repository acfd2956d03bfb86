#pragma once
// What the WAV readers share about reading their data chunk: how much of it the file really
// holds.

#include <algorithm>
#include <cstdint>

#include "core/file.h"

namespace sonvara {

// The bytes of data from `data_start` on: the chunk's size, limited to what the file holds (a
// damaged or cut-off file may promise far more); 0xFFFFFFFF means "to the end of the file".
inline std::int64_t HeldDataBytes(const LFile& file, std::int64_t data_start,
                                  std::uint32_t data_bytes) {
    std::int64_t held = std::max<std::int64_t>(file.GetFileSizeBytes() - data_start, 0);
    return data_bytes == 0xFFFFFFFF ? held : std::min<std::int64_t>(data_bytes, held);
}

}  // namespace sonvara
