#pragma once
// The 32-bit size fields of the AU and AIFF headers.

#include <cstdint>

namespace sonvara {

// A 32-bit size field for `bytes`; sizes that do not fit become 0xFFFFFFFF, which our readers
// take as "to the end of the file".
inline std::uint32_t SizeField(std::uint64_t bytes) {
    return bytes < 0xFFFFFFFF ? static_cast<std::uint32_t>(bytes) : 0xFFFFFFFF;
}

}  // namespace sonvara
