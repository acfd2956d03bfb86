#include "formats/sample_bits.h"

#include <sndfile.h>

#include "formats/sndfile_file.h"

namespace sonvara {

std::optional<SampleBits> ParseSampleBits(std::string_view text) {
    if (text == "16") {
        return SampleBits::k16;
    }
    if (text == "24") {
        return SampleBits::k24;
    }
    if (text == "32") {
        return SampleBits::k32;
    }
    if (text == "float") {
        return SampleBits::kFloat;
    }
    return std::nullopt;
}

std::optional<SampleBits> SampleBitsOf(const std::string& path) {
    const std::optional<int> format = SndfileFormatOf(path);
    switch (format.value_or(0) & SF_FORMAT_SUBMASK) {
        case SF_FORMAT_PCM_16:
            return SampleBits::k16;
        case SF_FORMAT_PCM_24:
            return SampleBits::k24;
        case SF_FORMAT_PCM_32:
            return SampleBits::k32;
        case SF_FORMAT_FLOAT:
        case SF_FORMAT_DOUBLE:
            return SampleBits::kFloat;
        default:
            return std::nullopt;
    }
}

std::optional<int> SndfileFormatFor(const FileFormat& format, SampleBits bits) {
    int container = 0;
    switch (format.kind) {
        case FileKind::kWave:
            container = SF_FORMAT_WAV;
            break;
        case FileKind::kAiff:
            container = SF_FORMAT_AIFF;
            break;
        case FileKind::kSndfile:
            container = format.sndfile_format & SF_FORMAT_TYPEMASK;
            break;
        default:
            return std::nullopt;
    }
    int coding = SF_FORMAT_PCM_16;
    switch (bits) {
        case SampleBits::k16:
            break;
        case SampleBits::k24:
            coding = SF_FORMAT_PCM_24;
            break;
        case SampleBits::k32:
            coding = SF_FORMAT_PCM_32;
            break;
        case SampleBits::kFloat:
            coding = SF_FORMAT_FLOAT;
            break;
    }
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 2;
    info.format = container | coding;
    if (container == SF_FORMAT_OGG || !sf_format_check(&info)) {
        return std::nullopt;
    }
    return container | coding;
}

int WaveFormatForLength(int sndfile_format, std::int64_t frames, int channels) {
    const int coding = sndfile_format == 0 ? SF_FORMAT_PCM_16 : sndfile_format & SF_FORMAT_SUBMASK;
    const std::int64_t bytes = coding == SF_FORMAT_PCM_16 ? 2 : coding == SF_FORMAT_PCM_24 ? 3 : 4;
    // The RIFF size counts everything after its first eight bytes: the header's chunks too.
    constexpr std::int64_t kLargest = 0xFFFFFFFFLL - 1024;
    if (frames * channels * bytes <= kLargest) {
        return sndfile_format;
    }
    return SF_FORMAT_RF64 | coding;
}

}  // namespace sonvara
