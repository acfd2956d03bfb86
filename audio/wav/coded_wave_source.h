#pragma once
// LSRCACMWave: the reader of every WAV format that is not 8- or 16-bit PCM. The data is decoded
// to 16-bit PCM through the codec manager, a buffer at a time.
//
// Until the decoder first meets the end of the data the length is an estimate from the format's
// average bytes per second (never below the frames already decoded, so that reading until the
// position reaches the length goes on until the end is found); from then on it is exact. A seek
// starts decoding at the block that holds the target frame and decodes up to it, so reading after a
// seek gives the same samples as reading from the start.

#include <cstdint>
#include <memory>
#include <vector>

#include "audio/file_sound_source.h"
#include "core/file.h"
#include "platform/codec/codec_manager.h"
#include "platform/codec/wave_format.h"

namespace sonvara {

class LSRCACMWave : public FileSoundSource {
  public:
    // The file stands at the first data byte. `data_bytes` 0xFFFFFFFF means "to the end of the
    // file"; a larger size than the file holds is cut to what it holds.
    LSRCACMWave(LFile file, const WaveFormat& format, std::uint32_t data_bytes);

    std::int32_t GetLength() const override;
    void Seek(std::int32_t frame) override;

  private:
    // Until the end is found the length is an estimate: reads decode all they ask for.
    std::int64_t DecodedFrames(const ReadStart& start, std::int64_t end) override;
    std::int64_t ReadFrames(std::int64_t first, Sample* out, std::int64_t count) override;
    // Reads and decodes the next buffer of data; finds the end when nothing more decodes.
    // `missing` is the number of frames the current Read still lacks.
    void Decode(std::int64_t missing);
    void FoundEnd(std::int64_t missing);
    void SeekBlock(std::int32_t frame);
    void SeekCheckpoint(std::int32_t frame);

    LFile file_;
    std::int64_t data_start_ = 0;
    std::int64_t data_bytes_ = 0;
    std::int64_t compressed_read_ = 0;
    std::int64_t rate_;
    std::int64_t avg_bytes_per_sec_;
    std::unique_ptr<CodecStream> stream_;
    std::vector<std::uint8_t> compressed_;
    std::size_t compressed_fill_ = 0;
    std::vector<std::uint8_t> pcm_;
    std::size_t pcm_offset_ = 0;
    std::int64_t pcm_frames_waiting_ = 0;
    // Where decoding from the current seek point stopped; -1 while it goes on.
    std::int32_t end_ = -1;
    // The length, once some pass of decoding has met the end of the data; a seek keeps it.
    std::int32_t length_ = -1;

    // For blocks of differing sizes: places where decoding can start, in data order.
    struct Checkpoint {
        std::int64_t offset;  // from the data start, on a block boundary
        std::int32_t frame;   // the first frame decoded from there
    };
    std::vector<Checkpoint> checkpoints_{{0, 0}};
};

}  // namespace sonvara
