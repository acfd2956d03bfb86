#pragma once
// An MPEG-4 audio file (M4A) of AAC written with FFmpeg's libraries: FFmpeg's own AAC encoder at
// a chosen bit rate, in the MP4 container. Samples come in as interleaved floats (1.0 full
// scale), one or two channels, at one of the rates AAC takes (AacRateFor); the encoder's delay
// is stated in the file, so readers that honour it (FFmpeg, every player) give back the samples
// from the first.

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace sonvara {

// The rate an AAC file of audio at `rate` is written at: `rate` when AAC takes it, else the next
// higher one it takes (8000 at least, 96000 at most).
int AacRateFor(int rate);

class AacFileEncoder {
  public:
    // `path` is written in the container FFmpeg calls `muxer` ("ipod" for .m4a, "mp4").
    // Null, with `error` set, when the encoder or the file cannot be opened.
    static std::unique_ptr<AacFileEncoder> Open(const std::string& path, const char* muxer,
                                                int rate, int channels, int bit_rate,
                                                std::string* error);
    ~AacFileEncoder();
    AacFileEncoder(const AacFileEncoder&) = delete;
    AacFileEncoder& operator=(const AacFileEncoder&) = delete;

    // Encodes `frames` frames; false (with Error() set) when writing failed, now or before.
    bool Write(const float* interleaved, int frames);
    // Encodes what is left and completes the file; false (with Error() set) when that failed.
    bool Finish();
    const std::string& Error() const { return error_; }

  private:
    struct Libav;
    explicit AacFileEncoder(std::unique_ptr<Libav> libav, int channels);
    // Encodes `frames` pending frames from sample `from` on (a codec frame but at the end), or
    // drains the encoder when `frames` is 0.
    bool Encode(int frames, std::size_t from);
    bool Fail(const std::string& what, int code);

    std::unique_ptr<Libav> libav_;
    int channels_;
    std::vector<float> pending_;  // interleaved, less than a codec frame between writes
    long long next_pts_ = 0;
    std::string error_;
};

}  // namespace sonvara
