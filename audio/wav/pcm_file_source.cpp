#include "audio/wav/pcm_file_source.h"

#include <algorithm>
#include <limits>

#include "audio/wav/data_reading.h"

namespace sonvara {

LSRCPCMFileBase::LSRCPCMFileBase(LFile file, std::int32_t sample_rate, int channels,
                                 int bytes_per_sample, std::uint32_t data_bytes)
    : LSoundSourceBase(sample_rate, channels, FULL_SCALE),
      file_(std::move(file)),
      data_start_(file_.Tell()),
      bytes_per_frame_(GetChannels() * bytes_per_sample),
      bytes_per_sample_(bytes_per_sample) {
    if (!file_.IsValid()) {
        SetError();
    }
    // A header may promise more data than a damaged or cut-off file holds; only what is there
    // counts.
    length_ = static_cast<std::int32_t>(
        std::min<std::int64_t>(HeldDataBytes(file_, data_start_, data_bytes) / bytes_per_frame_,
                               std::numeric_limits<std::int32_t>::max()));
    bytes_.resize(static_cast<std::size_t>(kBufferFrames) *
                  static_cast<std::size_t>(bytes_per_frame_));
}

void LSRCPCMFileBase::Read(Sample* buffer, std::int32_t frames) {
    if (frames <= 0) {
        return;
    }
    const ReadStart start = StartRead(position_, frames);
    const std::int64_t end = std::int64_t{position_} + frames;
    position_ = start.next;
    const int channels = GetChannels();
    std::fill_n(buffer, start.lead * channels, 0);
    Sample* out = buffer + start.lead * channels;
    std::int64_t frame = start.first;
    // The frames of data the file holds; the rest of the request reads as silence.
    std::int64_t readable = std::max<std::int64_t>(std::min<std::int64_t>(end, length_) - frame, 0);
    if (readable > 0 && !IsError()) {
        file_.Seek(data_start_ + frame * bytes_per_frame_);
    }
    while (readable > 0 && !IsError()) {
        std::int64_t chunk = std::min<std::int64_t>(readable, kBufferFrames);
        std::size_t wanted = static_cast<std::size_t>(chunk * bytes_per_frame_);
        std::size_t arrived = file_.Read(bytes_.data(), wanted);
        std::size_t samples = arrived / static_cast<std::size_t>(bytes_per_sample_);
        Convert(bytes_.data(), out, samples);
        std::fill(out + samples, out + chunk * channels, 0);
        out += chunk * channels;
        frame += chunk;
        readable -= chunk;
        if (arrived < wanted) {
            break;
        }
    }
    std::fill(out, buffer + static_cast<std::int64_t>(frames) * channels, 0);
}

void LSRCPCMFileBase::Seek(std::int32_t frame) {
    position_ = frame;
}

void LSRCPCM8File::Convert(const std::uint8_t* bytes, Sample* out, std::size_t samples) const {
    for (std::size_t i = 0; i < samples; ++i) {
        out[i] = SampleFrom8(bytes[i]);
    }
}

void LSRCPCM16File::Convert(const std::uint8_t* bytes, Sample* out, std::size_t samples) const {
    for (std::size_t i = 0; i < samples; ++i) {
        auto value = static_cast<std::int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
        out[i] = SampleFrom16(value);
    }
}

}  // namespace sonvara
