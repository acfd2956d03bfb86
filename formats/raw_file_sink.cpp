#include "formats/raw_file_sink.h"

#include <algorithm>

namespace sonvara {

LRawFileDataSoundSinkBase::LRawFileDataSoundSinkBase(const std::string& path,
                                                     std::int32_t sample_rate, int channels,
                                                     int bytes_per_sample, RawHeaderCallback header)
    : LSoundSinkBase(sample_rate, channels),
      header_(header),
      bytes_per_sample_(bytes_per_sample),
      frame_bytes_(GetChannels() * bytes_per_sample),
      bytes_(static_cast<std::size_t>(kBufferFrames) * static_cast<std::size_t>(frame_bytes_)) {
    if (!file_.Open(path, FileAccess::kReadWrite, FileSharing::kRead,
                    FileDisposition::kCreateAlways)) {
        SetError();
        return;
    }
    if (header_ != nullptr) {
        header_bytes_ = header_(file_, Info(), false);
        if (header_bytes_ < 0) {
            header_bytes_ = 0;
            SetError();
        }
    }
}

bool LRawFileDataSoundSinkBase::Finish() {
    if (IsError()) {
        return false;
    }
    if (header_ != nullptr && (!file_.Seek(0) || header_(file_, Info(), true) < 0)) {
        SetError();
    }
    return !IsError();
}

RawHeaderInfo LRawFileDataSoundSinkBase::Info() const {
    return {GetSampleRate(), GetChannels(), bytes_per_sample_, GetFramesWritten()};
}

void LRawFileDataSoundSinkBase::Write(const Sample* buffer, std::int32_t frames) {
    if (frames <= 0 || IsError()) {
        return;
    }
    AddFramesWritten(frames);
    const auto channels = static_cast<std::size_t>(GetChannels());
    while (frames > 0 && !IsError()) {
        const std::int32_t chunk = std::min(frames, kBufferFrames);
        const std::size_t samples = static_cast<std::size_t>(chunk) * channels;
        Encode(buffer, bytes_.data(), samples);
        const std::size_t bytes = samples * static_cast<std::size_t>(bytes_per_sample_);
        if (file_.Write(bytes_.data(), bytes) != bytes) {
            // A full disk: the sink ignores what follows, and its owner discards the file.
            SetError();
        }
        buffer += samples;
        frames -= chunk;
    }
}

void LRawFileDataSoundSinkBase::Truncate(std::int32_t frames) {
    frames = std::max(frames, 0);
    if (frames > GetFramesWritten() || !file_.IsValid()) {
        return;
    }
    SetFramesWritten(frames);
    if (!file_.Seek(header_bytes_ + std::int64_t{frames} * frame_bytes_) || !file_.SetEnd()) {
        SetError();
    }
}

}  // namespace sonvara
