#pragma once
// The bit reservoir of Layer III: a frame's main data may begin in the main data of earlier
// frames (up to 511 bytes back in MPEG-1, 255 in MPEG-2 and MPEG-2.5, as main_data_begin
// says), so the decoder keeps the tail of what it has seen. Frame headers and side information
// are never part of it: only the main data bytes of each frame are appended, in order.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace sonvara::mp3 {

class BitReservoir {
  public:
    // The most main_data_begin can say (9 bits).
    static constexpr std::size_t kMaxLookBack = 511;
    // The most main data one frame carries: MPEG-2.5 at 8000 Hz and 160 kbit/s, padded, less
    // its header and single-channel side information (72 * 160000 / 8000 + 1 - 4 - 9 = 1428)
    // is the largest of all versions.
    static constexpr std::size_t kMaxFrameMainData = 1441;

    // Appends one frame's main data and returns the bytes its granules are coded in: from
    // `main_data_begin` bytes before it through its end. Returns nothing when earlier frames
    // did not leave that much (at the start, after Reset, or after a frame whose main data
    // could not be kept); the frame's bytes are kept for the frames after it all the same.
    // The returned bytes stay valid until the next call.
    std::optional<std::span<const std::uint8_t>> Add(std::span<const std::uint8_t> main_data,
                                                     int main_data_begin);

    // Forgets everything (after a seek).
    void Reset() { size_ = 0; }

    std::size_t Stored() const { return size_; }

  private:
    std::array<std::uint8_t, kMaxLookBack + kMaxFrameMainData> buffer_{};
    std::size_t size_ = 0;
};

}  // namespace sonvara::mp3
