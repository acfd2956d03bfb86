// sonvara-wmakx IN OUT: decodes the audio of IN (any file FFmpeg's libraries read; Windows Media
// Audio is what the editor sends) into OUT, a 16-bit PCM WAV file at the stream's own rate with
// one or two channels. The editor runs it for ".wma" files and reads OUT when it ends with 0.
//
// Exit status: 0 written; 1 wrong arguments; 2 IN cannot be read as audio; 3 OUT cannot be
// written; 4 the audio could not be decoded (a broken stream, or no audio at all). OUT is removed
// whenever the status is not 0.

#include <bit>
#include <cstdio>
#include <string>
#include <vector>

#include "components/ffmpeg/audio_file_decoder.h"
#include "platform/codec/riff_header.h"

namespace {

static_assert(std::endian::native == std::endian::little, "WAV samples are written as they lie");

enum ExitStatus { kWritten = 0, kUsage = 1, kUnreadable = 2, kUnwritable = 3, kUndecodable = 4 };

class OutputFile {
  public:
    explicit OutputFile(std::string path)
        : path_(std::move(path)), file_(std::fopen(path_.c_str(), "wb")) {}
    ~OutputFile() {
        if (file_ != nullptr) {
            std::fclose(file_);
        }
        if (!kept_) {
            std::remove(path_.c_str());
        }
    }
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    bool IsOpen() const { return file_ != nullptr; }
    bool Write(const void* bytes, std::size_t size) {
        return std::fwrite(bytes, 1, size, file_) == size;
    }
    bool Rewind() { return std::fseek(file_, 0, SEEK_SET) == 0; }
    // Closes the file and keeps it; false when the last writes failed.
    bool CloseAndKeep() {
        const bool closed = std::fclose(file_) == 0;
        file_ = nullptr;
        kept_ = closed;
        return closed;
    }

  private:
    std::string path_;
    std::FILE* file_;
    bool kept_ = false;
};

int Decode(const std::string& input, const std::string& output) {
    std::string error;
    auto decoder = sonvara::AudioFileDecoder::Open(input, "", &error);
    if (decoder == nullptr) {
        std::fprintf(stderr, "sonvara-wmakx: %s: %s\n", input.c_str(), error.c_str());
        return kUnreadable;
    }
    OutputFile file(output);
    if (!file.IsOpen()) {
        std::perror(output.c_str());
        return kUnwritable;
    }
    const auto rate = static_cast<std::uint32_t>(decoder->Rate());
    const int channels = decoder->Channels();
    auto header = sonvara::PcmRiffHeader(channels, rate, 16, 0);
    if (!file.Write(header.data(), header.size())) {
        std::perror(output.c_str());
        return kUnwritable;
    }
    std::uint64_t data_size = 0;
    std::vector<std::int16_t> samples;
    while (decoder->Decode(samples)) {
        const std::size_t bytes = samples.size() * sizeof(std::int16_t);
        if (data_size + bytes > sonvara::kMaxPcmRiffData) {
            std::fprintf(stderr, "sonvara-wmakx: %s: too long for a WAV file\n", input.c_str());
            return kUnwritable;
        }
        if (!file.Write(samples.data(), bytes)) {
            std::perror(output.c_str());
            return kUnwritable;
        }
        data_size += bytes;
        samples.clear();
    }
    if (decoder->Failed() || data_size == 0) {
        std::fprintf(stderr, "sonvara-wmakx: %s: %s\n", input.c_str(),
                     decoder->Failed() ? "the audio stream is broken" : "no audio decoded");
        return kUndecodable;
    }
    header = sonvara::PcmRiffHeader(channels, rate, 16, data_size);
    if (!file.Rewind() || !file.Write(header.data(), header.size()) || !file.CloseAndKeep()) {
        std::perror(output.c_str());
        return kUnwritable;
    }
    return kWritten;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: sonvara-wmakx INPUT OUTPUT.wav\n");
        return kUsage;
    }
    return Decode(argv[1], argv[2]);
}
