#include "audio/wav/pcm_file_source.h"

#include <algorithm>
#include <limits>

#include "audio/wav/data_reading.h"

namespace sonvara {
namespace {

std::int32_t FramesIn(std::int64_t bytes, int frame_bytes) {
    return static_cast<std::int32_t>(
        std::min<std::int64_t>(bytes / frame_bytes, std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

LSRCPCMFileBase::LSRCPCMFileBase(LFile file, std::int32_t sample_rate, std::uint32_t data_bytes,
                                 int bytes_per_sample, Sample declared_peak, int channels)
    : LSoundSourceBase(sample_rate, channels, declared_peak),
      file_(std::move(file)),
      data_start_(file_.Tell()),
      bytes_per_sample_(bytes_per_sample),
      to_end_(data_bytes == kDataToEnd) {
    if (bytes_per_sample_ < 1) {
        SetError();
        bytes_per_sample_ = 2;
    }
    frame_bytes_ = GetChannels() * bytes_per_sample_;
    if (!file_.IsValid()) {
        SetError();
    }
    if (!to_end_) {
        // A header may promise more data than a damaged or cut-off file holds; only what is
        // there counts.
        length_ = FramesIn(HeldDataBytes(file_, data_start_, data_bytes), frame_bytes_);
    }
    bytes_.resize(static_cast<std::size_t>(kBufferFrames) * static_cast<std::size_t>(frame_bytes_));
}

std::int32_t LSRCPCMFileBase::GetLength() const {
    if (!to_end_) {
        return length_;
    }
    if (!file_.IsValid()) {
        return 0;
    }
    return FramesIn(HeldDataBytes(file_, data_start_, kDataToEnd), frame_bytes_);
}

void LSRCPCMFileBase::Read(Sample* buffer, std::int32_t frames) {
    if (frames <= 0) {
        return;
    }
    const std::int32_t length = GetLength();
    const ReadStart start = StartRead(position_, frames);
    const std::int64_t end = std::int64_t{position_} + frames;
    position_ = start.next;
    const int channels = GetChannels();
    std::fill_n(buffer, start.lead * channels, 0);
    Sample* out = buffer + start.lead * channels;
    std::int64_t readable =
        std::max<std::int64_t>(std::min<std::int64_t>(end, length) - start.first, 0);
    // A source in error reads silence.
    if (readable > 0 && (IsError() || !file_.Seek(data_start_ + start.first * frame_bytes_))) {
        readable = 0;
    }
    while (readable > 0) {
        const std::int64_t chunk = std::min<std::int64_t>(readable, kBufferFrames);
        const auto wanted = static_cast<std::size_t>(chunk * frame_bytes_);
        const std::size_t arrived = file_.Read(bytes_.data(), wanted);
        // A frame cut short by a failing read is silence, like the frames after it.
        const std::size_t samples =
            arrived / static_cast<std::size_t>(frame_bytes_) * static_cast<std::size_t>(channels);
        Decode(bytes_.data(), out, samples);
        std::fill(out + samples, out + chunk * channels, 0);
        out += chunk * channels;
        readable -= chunk;
        if (arrived < wanted) {
            break;
        }
    }
    std::fill(out, buffer + static_cast<std::int64_t>(frames) * channels, 0);
}

void LSRCPCMFileBase::Seek(std::int32_t frame) {
    // Every read places the file itself, so a seek only sets the position.
    position_ = frame;
}

void LSRCPCM8File::Decode(const std::uint8_t* bytes, Sample* out, std::size_t samples) const {
    for (std::size_t i = 0; i < samples; ++i) {
        out[i] = SampleFrom8(bytes[i]);
    }
}

void LSRCPCM16File::Decode(const std::uint8_t* bytes, Sample* out, std::size_t samples) const {
    for (std::size_t i = 0; i < samples; ++i) {
        auto value = static_cast<std::int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
        out[i] = SampleFrom16(value);
    }
}

}  // namespace sonvara
