#include "formats/sndfile_file.h"

#include <sndfile.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

#include "audio/file_sound_source.h"
#include "components/ffmpeg/audio_file_decoder.h"
#include "core/byte_order.h"

namespace sonvara {
namespace {

constexpr float kFloatScale = kSampleFloatScale;
constexpr float kLowest = -1.0f;
constexpr float kHighest = static_cast<float>(FULL_SCALE) / kFloatScale;
// Frames converted at a time.
constexpr sf_count_t kChunkFrames = 4096;

Sample SampleFromFloat(float value) {
    if (!(value >= kLowest)) {  // below the range, or not a number
        return value < kLowest ? -static_cast<Sample>(kFloatScale) : 0;
    }
    return static_cast<Sample>(std::lrintf(std::min(value, kHighest) * kFloatScale));
}

// A 32-bit integer from the library (full scale 2^31) on the internal scale, to the nearest (a
// half to even, as the floating-point path rounds).
Sample SampleFromInteger(int value) {
    const int whole = value >> 12;
    const int rest = value & 0xFFF;
    const int up = rest > 0x800 || (rest == 0x800 && (whole & 1) != 0) ? 1 : 0;
    return std::min(whole + up, FULL_SCALE);
}

// Whether the library gives `subformat`'s samples as floating point (else as integers, exactly).
bool IsFloatingCoding(int subformat) {
    return subformat == SF_FORMAT_FLOAT || subformat == SF_FORMAT_DOUBLE ||
           subformat == SF_FORMAT_VORBIS || subformat == SF_FORMAT_OPUS;
}

// Opens `path` for reading; null when libsndfile does not read it. Only regular files: a FIFO
// would hold the open forever.
SNDFILE* OpenForReading(const std::string& path, SF_INFO& info) {
    info = SF_INFO{};
    if (!IsRegularFile(path)) {
        return nullptr;
    }
    return sf_open(path.c_str(), SFM_READ, &info);
}

class SndfileSource final : public FileSoundSource {
  public:
    SndfileSource(SNDFILE* file, const SF_INFO& info)
        : FileSoundSource(info.samplerate, std::min(info.channels, 255), FULL_SCALE),
          file_(file),
          channels_(info.channels),
          floating_(IsFloatingCoding(info.format & SF_FORMAT_SUBMASK)),
          length_(static_cast<std::int32_t>(
              std::min<sf_count_t>(info.frames, std::numeric_limits<std::int32_t>::max()))) {}
    ~SndfileSource() override { sf_close(file_); }
    SndfileSource(const SndfileSource&) = delete;
    SndfileSource& operator=(const SndfileSource&) = delete;

    std::int32_t GetLength() const override { return length_; }

  protected:
    std::int64_t ReadFrames(std::int64_t first, Sample* out, std::int64_t count) override {
        if (first != next_ && sf_seek(file_, first, SEEK_SET) != first) {
            SetError();
            return 0;
        }
        next_ = first;
        std::int64_t done = 0;
        while (done < count) {
            const sf_count_t want = std::min<sf_count_t>(kChunkFrames, count - done);
            Sample* to = out + done * channels_;
            sf_count_t got = 0;
            if (floating_) {
                buffer_.resize(static_cast<std::size_t>(want * channels_));
                got = std::max<sf_count_t>(sf_readf_float(file_, buffer_.data(), want), 0);
                std::transform(buffer_.begin(), buffer_.begin() + got * channels_, to,
                               SampleFromFloat);
            } else {
                static_assert(sizeof(Sample) == sizeof(int));
                got = std::max<sf_count_t>(sf_readf_int(file_, to, want), 0);
                std::transform(to, to + got * channels_, to, SampleFromInteger);
            }
            if (got == 0) {
                break;
            }
            done += got;
            next_ += got;
            if (got < want) {
                break;
            }
        }
        return done;
    }

  private:
    SNDFILE* file_;
    int channels_;
    bool floating_;
    std::int32_t length_;
    sf_count_t next_ = 0;  // the frame the next read from the library gives
    std::vector<float> buffer_;
};

class SndfileSink final : public LSoundSinkBase {
  public:
    SndfileSink(const std::string& path, std::int32_t rate, int channels,
                const SndfileTarget& target)
        : LSoundSinkBase(rate, channels), subformat_(target.format & SF_FORMAT_SUBMASK) {
        SF_INFO info{};
        info.samplerate = rate;
        info.channels = channels;
        info.format = target.format;
        if (sf_format_check(&info)) {
            file_ = sf_open(path.c_str(), SFM_WRITE, &info);
        }
        if (file_ == nullptr) {
            error_ = sf_error(nullptr) == SF_ERR_SYSTEM
                         ? "no se puede crear el archivo"
                         : "la codificación elegida no admite " + std::to_string(rate) +
                               " Hz con " + std::to_string(channels) +
                               (channels == 1 ? " canal" : " canales");
            SetError();
            return;
        }
        if (target.compression) {
            double level = std::clamp(*target.compression, 0.0, 1.0);
            sf_command(file_, SFC_SET_COMPRESSION_LEVEL, &level, sizeof(level));
        }
    }
    ~SndfileSink() override {
        if (file_ != nullptr) {
            sf_close(file_);
        }
    }
    SndfileSink(const SndfileSink&) = delete;
    SndfileSink& operator=(const SndfileSink&) = delete;

    void Write(const Sample* buffer, std::int32_t frames) override {
        if (IsError() || frames <= 0) {
            return;
        }
        const std::size_t count = static_cast<std::size_t>(frames) * GetChannels();
        sf_count_t written = 0;
        if (WritesIntegers()) {
            ints_.resize(count);
            const int shift = IntegerShift();
            for (std::size_t i = 0; i < count; ++i) {
                ints_[i] = ToInteger(buffer[i], shift);
            }
            written = sf_writef_int(file_, ints_.data(), frames);
        } else {
            floats_.resize(count);
            for (std::size_t i = 0; i < count; ++i) {
                floats_[i] = FloatFromSample(buffer[i]);
            }
            written = sf_writef_float(file_, floats_.data(), frames);
        }
        if (written != frames) {
            error_ = sf_strerror(file_);
            SetError();
            return;
        }
        AddFramesWritten(frames);
    }

    bool Finish() override {
        if (file_ == nullptr) {
            return false;
        }
        const int closed = sf_close(file_);
        file_ = nullptr;
        if (closed != 0) {
            error_ = sf_error_number(closed);
            SetError();
        }
        return !IsError();
    }

    std::string ErrorText() const override { return error_; }

  private:
    // The integer codings are written as 32-bit integers that the library narrows by dropping
    // low bits, so narrow codings get samples rounded to their step first.
    bool WritesIntegers() const {
        switch (subformat_) {
            case SF_FORMAT_PCM_S8:
            case SF_FORMAT_PCM_U8:
            case SF_FORMAT_PCM_16:
            case SF_FORMAT_PCM_24:
            case SF_FORMAT_PCM_32:
                return true;
            default:
                return false;
        }
    }
    // The internal sample's bits below the coding's step: 12 for 8-bit, 4 for 16-bit, none for
    // wider codings.
    int IntegerShift() const {
        switch (subformat_) {
            case SF_FORMAT_PCM_S8:
            case SF_FORMAT_PCM_U8:
                return 12;
            case SF_FORMAT_PCM_16:
                return 4;
            default:
                return 0;
        }
    }
    static int ToInteger(Sample sample, int shift) {
        std::int64_t value = sample;
        if (shift > 0) {
            const std::int64_t top = (std::int64_t{1} << (19 - shift)) - 1;
            value = std::clamp<std::int64_t>((value + (std::int64_t{1} << (shift - 1))) >> shift,
                                             -top - 1, top)
                    << shift;
        }
        return static_cast<int>(std::clamp<std::int64_t>(value, -0x80000, 0x7FFFF) * 4096);
    }

    SNDFILE* file_ = nullptr;
    int subformat_;
    std::string error_;
    std::vector<int> ints_;
    std::vector<float> floats_;
};

const char* ContainerName(int major) {
    switch (major) {
        case SF_FORMAT_WAV:
        case SF_FORMAT_WAVEX:
            return "WAV";
        case SF_FORMAT_AIFF:
            return "AIFF";
        case SF_FORMAT_AU:
            return "AU";
        case SF_FORMAT_W64:
            return "Wave64";
        case SF_FORMAT_RF64:
            return "RF64";
        case SF_FORMAT_CAF:
            return "CAF";
        case SF_FORMAT_FLAC:
            return "FLAC";
        case SF_FORMAT_OGG:
            return "Ogg";
        default:
            return "audio";
    }
}

std::string CodingName(int subformat) {
    switch (subformat) {
        case SF_FORMAT_PCM_S8:
        case SF_FORMAT_PCM_U8:
            return "PCM de 8 bits";
        case SF_FORMAT_PCM_16:
            return "PCM de 16 bits";
        case SF_FORMAT_PCM_24:
            return "PCM de 24 bits";
        case SF_FORMAT_PCM_32:
            return "PCM de 32 bits";
        case SF_FORMAT_FLOAT:
            return "coma flotante de 32 bits";
        case SF_FORMAT_DOUBLE:
            return "coma flotante de 64 bits";
        case SF_FORMAT_ULAW:
            return "µ-law";
        case SF_FORMAT_ALAW:
            return "A-law";
        case SF_FORMAT_IMA_ADPCM:
            return "IMA ADPCM";
        case SF_FORMAT_MS_ADPCM:
            return "MS ADPCM";
        case SF_FORMAT_GSM610:
            return "GSM 6.10";
        case SF_FORMAT_VORBIS:
            return "Vorbis";
        case SF_FORMAT_OPUS:
            return "Opus";
        case SF_FORMAT_ALAC_16:
        case SF_FORMAT_ALAC_20:
        case SF_FORMAT_ALAC_24:
        case SF_FORMAT_ALAC_32:
            return "ALAC";
        default:
            return "otra codificación";
    }
}

// The first bytes of `path` (as many as there are, up to `size`).
std::vector<std::uint8_t> Head(const std::string& path, std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return {};
    }
    bytes.resize(std::fread(bytes.data(), 1, size, file));
    std::fclose(file);
    return bytes;
}

bool Tagged(const std::vector<std::uint8_t>& bytes, std::size_t at, const char* tag) {
    return bytes.size() >= at + 4 && std::equal(tag, tag + 4, bytes.begin() + at);
}

// The compression type of an AIFF-C file's "COMM" chunk, when the file is one and the chunk is
// within `bytes`.
std::optional<std::string> AifcCompression(const std::vector<std::uint8_t>& bytes) {
    if (!Tagged(bytes, 0, "FORM") || !Tagged(bytes, 8, "AIFC")) {
        return std::nullopt;
    }
    std::size_t at = 12;
    while (at + 8 <= bytes.size()) {
        const std::uint32_t size = LoadBE32(&bytes[at + 4]);
        if (Tagged(bytes, at, "COMM")) {
            // channels (2), frames (4), bits (2), rate (10), then the compression type.
            if (size < 22 || at + 8 + 22 > bytes.size()) {
                return std::nullopt;
            }
            return std::string(bytes.begin() + static_cast<std::ptrdiff_t>(at + 26),
                               bytes.begin() + static_cast<std::ptrdiff_t>(at + 30));
        }
        at += 8 + std::size_t{size} + (size & 1u);
    }
    return std::nullopt;
}

// The format tag of a RIFF WAV file's "fmt " chunk, when it is within `bytes`.
std::optional<std::uint16_t> WaveFormatTag(const std::vector<std::uint8_t>& bytes) {
    if (!Tagged(bytes, 0, "RIFF") || !Tagged(bytes, 8, "WAVE")) {
        return std::nullopt;
    }
    std::size_t at = 12;
    while (at + 10 <= bytes.size()) {
        const std::uint32_t size = LoadLE32(&bytes[at + 4]);
        if (Tagged(bytes, at, "fmt ")) {
            return LoadLE16(&bytes[at + 8]);
        }
        at += 8 + std::size_t{size} + (size & 1u);
    }
    return std::nullopt;
}

}  // namespace

LSoundSourceRef OpenSndfileSource(const std::string& path) {
    SF_INFO info;
    SNDFILE* file = OpenForReading(path, info);
    if (file == nullptr) {
        return LSoundSourceRef();
    }
    if (info.samplerate < 1 || info.channels < 1 || info.frames < 0) {
        sf_close(file);
        return LSoundSourceRef();
    }
    return new SndfileSource(file, info);
}

std::optional<std::string> SndfileReadProblem(const std::string& path) {
    SF_INFO info;
    if (SNDFILE* file = OpenForReading(path, info)) {
        sf_close(file);
        return std::nullopt;
    }
    const std::vector<std::uint8_t> head = Head(path, 4096);
    if (const std::optional<std::string> compression = AifcCompression(head)) {
        return "AIFF-C con compresión '" + *compression + "' no se puede leer";
    }
    if (const std::optional<std::uint16_t> tag = WaveFormatTag(head)) {
        char hex[8];
        std::snprintf(hex, sizeof(hex), "0x%04X", *tag);
        return std::string("WAV con la codificación ") + hex + " no se puede leer";
    }
    return std::nullopt;
}

std::optional<int> SndfileFormatOf(const std::string& path) {
    SF_INFO info;
    SNDFILE* file = OpenForReading(path, info);
    if (file == nullptr) {
        return std::nullopt;
    }
    sf_close(file);
    return info.format;
}

std::optional<std::string> SndfileCodingOf(const std::string& path) {
    const std::optional<int> format = SndfileFormatOf(path);
    if (!format) {
        return std::nullopt;
    }
    return std::string(ContainerName(*format & SF_FORMAT_TYPEMASK)) + ", " +
           CodingName(*format & SF_FORMAT_SUBMASK);
}

std::int32_t SndfileWrittenRate(const SndfileTarget& target, std::int32_t rate) {
    if ((target.format & SF_FORMAT_SUBMASK) != SF_FORMAT_OPUS) {
        return rate;
    }
    constexpr std::array<std::int32_t, 5> kOpusRates = {8000, 12000, 16000, 24000, 48000};
    return std::ranges::find(kOpusRates, rate) != kOpusRates.end() ? rate : 48000;
}

LSoundSinkRef OpenSndfileSink(const std::string& path, std::int32_t rate, int channels,
                              const SndfileTarget& target) {
    return LSoundSinkRef(new SndfileSink(path, rate, channels, target));
}

}  // namespace sonvara
