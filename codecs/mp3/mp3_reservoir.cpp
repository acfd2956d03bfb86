#include "codecs/mp3/mp3_reservoir.h"

#include <algorithm>
#include <cstring>

namespace sonvara::mp3 {

std::optional<std::span<const std::uint8_t>> BitReservoir::Add(
    std::span<const std::uint8_t> main_data, int main_data_begin) {
    // Only the last kMaxLookBack bytes can ever be referred to again.
    if (size_ > kMaxLookBack) {
        std::memmove(buffer_.data(), buffer_.data() + (size_ - kMaxLookBack), kMaxLookBack);
        size_ = kMaxLookBack;
    }
    if (main_data.size() > kMaxFrameMainData) {
        // Not a frame of any valid header; what follows cannot lean on it.
        size_ = 0;
        return std::nullopt;
    }
    const std::size_t before = size_;
    std::copy(main_data.begin(), main_data.end(),
              buffer_.begin() + static_cast<std::ptrdiff_t>(size_));
    size_ += main_data.size();
    if (main_data_begin < 0 || static_cast<std::size_t>(main_data_begin) > before) {
        return std::nullopt;
    }
    const std::size_t start = before - static_cast<std::size_t>(main_data_begin);
    return std::span<const std::uint8_t>(buffer_.data() + start, size_ - start);
}

}  // namespace sonvara::mp3
