#pragma once
// ".mp3" files: MPEG audio Layer III, decoded in floating point (codecs/mp3/) into internal
// samples, 1.0 becoming 2^19. An ID3v2 tag in front is stepped over by its size, an ID3v1 tag
// (the last 128 bytes, from "TAG") is not decoded. Every frame is decoded, the
// encoder's tag frame too (OpenMp3Source, below, gives the sound as players give it). Every frame
// must have the first frame's version, sampling frequency and channel count; up to ten other
// headers in a row are skipped, the next ends the sound, as does a frame that cannot be decoded.
//
// The length is an estimate from the average bitrate of the first eight frames, made again
// after every frame from the bytes still to read, so a variable-bitrate file's length settles as
// it is read; a frame that fails before the estimated end makes the length the position reached,
// and once the end has been reached the length stays what it was found to be.
// A seek decodes four frames before the target and drops them, to rebuild the bit reservoir and
// the filter banks' overlap. It finds the first of them from the average frame size, starting
// the header search half a frame early: frame sizes vary by a padding byte, so starting exactly
// at the estimate can land just past the frame's start and take the next frame for it. Landing
// inside a frame, the search only takes a header that another header of the stream follows at
// the frame's length, so that a sync pattern in audio data is not mistaken for a frame.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "audio/file_sound_source.h"
#include "codecs/mp3/mp3_frame_decoder.h"
#include "codecs/mp3/mp3_xing_tag.h"
#include "core/file.h"

namespace sonvara {

class LMP3Source final : public FileSoundSource {
  public:
    // The size of an ID3v1 tag at the end of the file.
    static constexpr std::int64_t kTrailingTagBytes = 128;
    static constexpr int kSeekPreroll = 4;
    static constexpr int kMismatchesSkipped = 10;

    explicit LMP3Source(const std::string& path);

    std::int32_t GetLength() const override { return length_; }
    void Seek(std::int32_t frame) override;

    int SamplesPerFrame() const { return samples_per_frame_; }
    // The encoder's tag in the first frame, when there is one (that frame decodes to silence).
    const std::optional<mp3::XingTag>& Xing() const { return xing_; }
    // The bytes of the stream: the file without an ID3v1 tag at its end.
    std::int64_t AudioBytes() const { return audio_bytes_; }
    double AverageFrameBytes() const { return average_frame_bytes_; }

  private:
    std::int64_t DecodedFrames(const ReadStart& start, std::int64_t end) override;
    std::int64_t ReadFrames(std::int64_t first, Sample* out, std::int64_t count) override;
    // The next frame header from the file pointer on (at most 16384 places looked at), or
    // nothing. Its offset goes to `at`.
    std::optional<mp3::FrameHeader> FindNextHeader(std::int64_t& at);
    bool ReadInitialHeaders();
    // Moves the file pointer to the next header that a header of the same stream follows.
    void Resynchronise();
    // Decodes the next acceptable frame into the store; false at the end or on a broken frame.
    bool DecodeFrame();
    // The bytes [at, at + count) of the file, through a read-ahead window; fewer at the end.
    std::span<const std::uint8_t> Bytes(std::int64_t at, std::int64_t count);
    void EstimateLength();

    LFile file_;
    std::int64_t audio_bytes_ = 0;
    std::int64_t cursor_ = 0;          // the file offset decoding goes on from
    std::int64_t first_frame_at_ = 0;  // after any tag or junk in front

    mp3::FrameHeader first_;
    std::optional<mp3::XingTag> xing_;
    int samples_per_frame_ = 1152;
    double average_frame_bytes_ = 1;

    std::vector<std::uint8_t> window_;
    std::int64_t window_start_ = 0;

    std::unique_ptr<mp3::LMP3FrameDecoder> decoder_;
    std::unique_ptr<mp3::DecodedFrame> decoded_;
    std::vector<Sample> store_;     // the last decoded frame, interleaved
    std::int32_t store_used_ = 0;   // frames of it handed out
    std::int64_t decoded_end_ = 0;  // the frame after the last one decoded into the store

    std::int32_t length_ = 0;
    bool length_known_ = false;  // the end has been reached: no more estimates
};

// An ".mp3" file as players give it: with the encoder's tag, its frame is left out, and with
// LAME's delay and padding in it, the encoder's and the decoder's delay at the start and the
// padding at the end as well, so that the sound is the encoder's input, frame for frame.
LSoundSourceRef OpenMp3Source(const std::string& path);

}  // namespace sonvara
