#pragma once
// The first audio stream of a file decoded with FFmpeg's libraries into interleaved 16-bit
// samples at the stream's own rate, one or two channels (more are mixed down to two). Every
// decoder component is built on this; it runs in whatever program or library uses it, so it
// treats the file as untrusted: a damaged packet is skipped, a file that is not what was asked
// for is refused. Only regular local files are read: no other protocol, no device, pipe or FIFO,
// neither the file named nor any file a container refers to (a reference that never ends would
// hold the caller forever).

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace sonvara {

// Whether `path` names a regular file (after following links): what the decoders agree to read.
bool IsRegularFile(const std::string& path);

// Asked now and then while a file is opened and read; true stops the work in progress: the open
// fails, the read fails. Called on the thread that opens or decodes.
struct DecodeInterrupt {
    bool (*stop)(void* context) = nullptr;
    void* context = nullptr;
};

class AudioFileDecoder {
  public:
    // `container`: the name of the only demuxer used ("rm", "dss"), or empty for any.
    // Null, with `error` set, when the file cannot be read as audio or `interrupt` stopped the
    // open.
    static std::unique_ptr<AudioFileDecoder> Open(const std::string& path,
                                                  const std::string& container, std::string* error,
                                                  DecodeInterrupt interrupt = {});
    ~AudioFileDecoder();
    AudioFileDecoder(const AudioFileDecoder&) = delete;
    AudioFileDecoder& operator=(const AudioFileDecoder&) = delete;

    int Rate() const { return rate_; }
    int Channels() const { return channels_; }
    // The decoder's name ("wmav2", "dss_sp", "g723_1", ...).
    const std::string& CodecName() const { return codec_name_; }
    // The stream's length in milliseconds as the file states it; 0 when unknown.
    std::int64_t DurationMs() const { return duration_ms_; }

    // Appends the next decoded frames to `samples`; false at the end of the stream, or after a
    // failure (then Failed() is true).
    bool Decode(std::vector<std::int16_t>& samples);
    bool Failed() const { return failed_; }

  private:
    struct Libav;
    explicit AudioFileDecoder(std::unique_ptr<Libav> libav);
    bool Convert(std::vector<std::int16_t>& samples);

    std::unique_ptr<Libav> libav_;
    int rate_ = 0;
    int channels_ = 0;
    std::string codec_name_;
    std::int64_t duration_ms_ = 0;
    bool draining_ = false;
    bool failed_ = false;
};

}  // namespace sonvara
