#pragma once
// The decoding session behind the DSS decoder library's entry points (dss_entry_points.h), over
// FFmpeg's DSS demuxer with its DSS SP and G.723.1 decoders. The quality byte reported is the
// file's coding: 2 for G.723.1 (8000 Hz, blocks of 480 bytes), 0 for DSS SP (11025 Hz, blocks of
// 528 bytes). A file that FFmpeg does not read as DSS is refused.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "components/dss_entry_points.h"
#include "components/ffmpeg/audio_file_decoder.h"

namespace sonvara::dsskx {

class DssSession {
  public:
    int Init(const DSSDecoderConfig* config);
    int ActiveFolder(const char* folder);
    int ActiveFile(const char* path, DSSFileProperties* properties);
    int StartDecoding();
    const std::uint8_t* DecodeToPCM(int* frame_type);

  private:
    bool initialised_ = false;
    std::string folder_;
    std::unique_ptr<AudioFileDecoder> decoder_;
    bool decoding_ = false;
    int frame_type_ = 0;
    std::size_t block_samples_ = 0;
    std::vector<std::int16_t> pending_;
    std::array<std::int16_t, kDSSLongBlockBytes / 2> block_{};
};

// The library's one session.
DssSession& Session();

}  // namespace sonvara::dsskx
