#include "audio/wav/pcm_file_sink.h"

#include <algorithm>

#include "core/byte_order.h"
#include "platform/codec/riff_header.h"

namespace sonvara {

LSNKPCMFileBase::LSNKPCMFileBase(const std::string& path, std::int32_t sample_rate, int channels,
                                 int bytes_per_sample, SampleHeaderCallback header,
                                 std::int32_t keep_frames)
    : LSoundSinkBase(sample_rate, channels),
      header_(header),
      bytes_per_sample_(bytes_per_sample),
      frame_bytes_(GetChannels() * bytes_per_sample),
      bytes_(static_cast<std::size_t>(kBufferFrames) * static_cast<std::size_t>(frame_bytes_)) {
    if (!file_.Open(path, FileAccess::kReadWrite, FileSharing::kRead,
                    FileDisposition::kOpenAlways)) {
        SetError();
        return;
    }
    SetFramesWritten(std::max(keep_frames, 0));
    if (header_ != nullptr) {
        header_bytes_ = header_(file_, Info(), false);
        if (header_bytes_ < 0) {
            header_bytes_ = 0;
            SetError();
            return;
        }
    }
    // SetEnd cuts an existing file after the kept frames, or extends a shorter one with zeros
    // so that the frames counted as written are really in the file.
    if (!file_.Seek(header_bytes_ + std::int64_t{GetFramesWritten()} * frame_bytes_) ||
        !file_.SetEnd()) {
        SetError();
    }
}

bool LSNKPCMFileBase::Finish() {
    if (IsError()) {
        return false;
    }
    if (header_ != nullptr && (!file_.Seek(0) || header_(file_, Info(), true) < 0)) {
        SetError();
    }
    return !IsError();
}

SampleHeaderInfo LSNKPCMFileBase::Info() const {
    return {GetSampleRate(), GetChannels(), bytes_per_sample_, GetFramesWritten()};
}

void LSNKPCMFileBase::Write(const Sample* buffer, std::int32_t frames) {
    if (frames <= 0 || IsError()) {
        return;
    }
    AddFramesWritten(frames);
    const auto channels = static_cast<std::size_t>(GetChannels());
    while (frames > 0 && !IsError()) {
        const std::int32_t chunk = std::min(frames, kBufferFrames);
        const std::size_t samples = static_cast<std::size_t>(chunk) * channels;
        Convert(buffer, bytes_.data(), samples);
        const std::size_t bytes = samples * static_cast<std::size_t>(bytes_per_sample_);
        if (file_.Write(bytes_.data(), bytes) != bytes) {
            // A full disk: the sink ignores what follows, and its owner discards the file.
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
    if (!file_.Seek(header_bytes_ + std::int64_t{frames} * frame_bytes_) || !file_.SetEnd()) {
        SetError();
    }
}

std::int64_t WriteHeaderPCMWave(LFile& file, const SampleHeaderInfo& info, bool final) {
    const std::vector<std::uint8_t> header =
        PcmRiffHeader(info.channels, static_cast<std::uint32_t>(info.sample_rate),
                      info.bytes_per_sample * 8, final ? info.DataBytes() : kSizeWhileWriting);
    return file.Write(header.data(), header.size()) == header.size()
               ? static_cast<std::int64_t>(header.size())
               : -1;
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
        StoreLE16(bytes + 2 * i, static_cast<std::uint16_t>(SampleTo16(samples[i])));
    }
}

}  // namespace sonvara
