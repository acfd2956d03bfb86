#include "audio/wav/pcm_file_sink.h"

#include <algorithm>

#include "audio/wav/riff_header.h"
#include "platform/codec/wave_format.h"

namespace sonvara {

LSNKPCMFileBase::LSNKPCMFileBase(const std::string& path, std::int32_t sample_rate,
                                 std::int32_t keep_frames, int bytes_per_sample, int channels)
    : LSoundSinkBase(sample_rate, channels),
      bytes_per_sample_(bytes_per_sample),
      bytes_per_frame_(GetChannels() * bytes_per_sample),
      bytes_(static_cast<std::size_t>(kBufferFrames) * static_cast<std::size_t>(bytes_per_frame_)) {
    if (!file_.Open(path, FileAccess::kReadWrite, FileSharing::kReadWrite,
                    FileDisposition::kOpenAlways)) {
        SetError();
        return;
    }
    SetFramesWritten(std::max(keep_frames, 0));
    std::vector<std::uint8_t> header = Header(kSizeWhileWriting);
    if (file_.Write(header.data(), header.size()) != header.size()) {
        SetError();
        return;
    }
    // SetEnd cuts an existing file after the kept frames, or extends a shorter one with zeros
    // so that the frames counted as written are really in the file.
    if (!file_.Seek(kHeaderBytes + std::int64_t{GetFramesWritten()} * bytes_per_frame_) ||
        !file_.SetEnd()) {
        SetError();
    }
}

bool LSNKPCMFileBase::Finish() {
    if (IsError()) {
        return false;
    }
    std::vector<std::uint8_t> header =
        Header(static_cast<std::uint64_t>(GetFramesWritten()) * bytes_per_frame_);
    if (!file_.Seek(0) || file_.Write(header.data(), header.size()) != header.size()) {
        SetError();
    }
    return !IsError();
}

std::vector<std::uint8_t> LSNKPCMFileBase::Header(std::uint64_t data_bytes) const {
    WaveFormat format;
    format.format_tag = WAVE_FORMAT_PCM;
    format.channels = static_cast<std::uint16_t>(GetChannels());
    format.samples_per_sec = static_cast<std::uint32_t>(GetSampleRate());
    format.avg_bytes_per_sec =
        format.samples_per_sec * static_cast<std::uint32_t>(bytes_per_frame_);
    format.block_align = static_cast<std::uint16_t>(bytes_per_frame_);
    format.bits_per_sample = static_cast<std::uint16_t>(bytes_per_sample_ * 8);
    return MakeRiffHeader(format.Serialize(), data_bytes);
}

void LSNKPCMFileBase::Write(const Sample* buffer, std::int32_t frames) {
    if (frames <= 0) {
        return;
    }
    AddFramesWritten(frames);
    const int channels = GetChannels();
    while (frames > 0 && !IsError()) {
        std::int32_t chunk = std::min(frames, kBufferFrames);
        std::size_t samples = static_cast<std::size_t>(chunk) * static_cast<std::size_t>(channels);
        Convert(buffer, bytes_.data(), samples);
        std::size_t bytes = samples * static_cast<std::size_t>(bytes_per_sample_);
        if (file_.Write(bytes_.data(), bytes) != bytes) {
            // A full disk: the sink is in error, and its owner discards the file.
            SetError();
        }
        buffer += samples;
        frames -= chunk;
    }
}

void LSNKPCMFileBase::Truncate(std::int32_t frames) {
    frames = std::max(frames, 0);
    if (frames > GetFramesWritten() || !file_.IsValid()) {
        return;
    }
    SetFramesWritten(frames);
    if (!file_.Seek(kHeaderBytes + std::int64_t{frames} * bytes_per_frame_) || !file_.SetEnd()) {
        SetError();
    }
}

void LSNKPCM8File::Convert(const Sample* samples, std::uint8_t* bytes, std::size_t count) const {
    for (std::size_t i = 0; i < count; ++i) {
        std::int32_t step =
            static_cast<std::int32_t>(static_cast<std::uint32_t>(samples[i]) + 2048u) >> 12;
        bytes[i] = static_cast<std::uint8_t>(std::clamp(step, -128, 127) + 128);
    }
}

void LSNKPCM16File::Convert(const Sample* samples, std::uint8_t* bytes, std::size_t count) const {
    for (std::size_t i = 0; i < count; ++i) {
        auto value = static_cast<std::uint16_t>(SampleTo16(samples[i]));
        bytes[2 * i] = static_cast<std::uint8_t>(value);
        bytes[2 * i + 1] = static_cast<std::uint8_t>(value >> 8);
    }
}

}  // namespace sonvara
