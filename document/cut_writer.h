#pragma once
// LSNKCutListAudio: the sink through which audio enters a document. It writes the frames into a
// new cut file of the tank ("<n>.aud", 32-bit samples as they come) and, in the same pass, the
// graph beside it ("<n>.grf": per block of 256 frames and per channel the block's largest sample
// and its negated smallest, each shifted right by 11 and limited to 255), and the block levels
// ("<n>.rms": per block and channel one byte, the root mean square of the block's samples on the
// graph's scale). The views draw the loudness of long stretches from these without reading audio.
// A level file that cannot be written is dropped: the views then draw the peaks alone.
//
// Finish() hands the target document everything written: its whole list becomes one cut of it,
// with the writer's rate and channels. A writer that could not keep its audio (no free number, a
// working folder that cannot be made, a full disk, a file size limit) is in error from that write
// on; its Finish() fails and the target keeps what it held. A writer dropped unfinished leaves
// the target alone as well, and its files go with its last reference. The target must outlive
// the writer.

#include <algorithm>
#include <cstdint>
#include <vector>

#include "audio/sound_sink.h"
#include "core/file.h"
#include "document/cut_list_audio.h"

namespace sonvara {

class LSNKCutListAudio : public LSoundSinkBase {
  public:
    static constexpr std::int32_t kGraphBlockFrames = 256;

    LSNKCutListAudio(LCutListAudio& target, std::int32_t sample_rate, int channels,
                     LAudioCutTank& tank = CutTank());

    void Write(const Sample* buffer, std::int32_t frames) override;
    // Moves the write position back (or forward) to `frames`: later writes overwrite from
    // there, and the graph block it falls in starts afresh. Nothing is cut from the files.
    void Truncate(std::int32_t frames) override;
    // Writes the last graph record and hands the target its cut.
    bool Finish() override;
    // Names the working folder the audio could not be kept in.
    std::string ErrorText() const override;

    std::uint16_t CutNumber() const { return cut_.Number(); }

  private:
    static constexpr Sample kUnknownPeakLimit = 0x7FFFFFFF;

    void FeedGraph(const Sample* buffer, std::int32_t frames);
    // Takes `frames` frames that lie within the current block into its extremes and sums.
    void FeedPiece(const Sample* buffer, std::int32_t frames);
    void WriteGraphRecord();
    void WriteGraphBuffers();
    void ClearBlock();
    // Takes the current block's extremes into the peak of the whole cut.
    void FoldPeak();
    void WriteOrFail(LFile& file, const void* bytes, std::size_t size);

    LCutListAudio& target_;
    LAudioCutTank& tank_;
    CutRef cut_;  // the writer's own reference; the target takes one more in Finish()
    LFile audio_;
    LFile graph_;
    LFile levels_;
    int bytes_per_frame_;
    std::int32_t block_fill_ = 0;
    std::vector<Sample> high_;
    std::vector<Sample> low_;
    std::vector<double> squares_;        // the sum of the squared samples of each channel's block
    std::int32_t squared_frames_ = 0;    // the frames summed there (after a Truncate, fewer)
    std::vector<double> piece_squares_;  // the same for one piece of the block
    std::vector<std::uint8_t> graph_buffer_;
    std::vector<std::uint8_t> levels_buffer_;
    Sample peak_ = 0;  // the largest magnitude written
};

// A graph byte: a block's largest value, or its negated smallest, shifted right by 11 and
// limited to 255. `value` is at least 0 (the largest) or at most 0 (the smallest).
constexpr std::uint8_t GraphByte(Sample value) {
    const std::uint32_t magnitude =
        value >= 0 ? static_cast<std::uint32_t>(value) : 0u - static_cast<std::uint32_t>(value);
    return static_cast<std::uint8_t>(std::min<std::uint32_t>(magnitude >> 11, 255));
}

// A level byte: the root mean square of `frames` samples whose squares sum to `squares`, on the
// scale of the graph bytes.
std::uint8_t LevelByte(double squares, std::int32_t frames);

}  // namespace sonvara
