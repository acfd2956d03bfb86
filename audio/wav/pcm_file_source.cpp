#include "audio/wav/pcm_file_source.h"

#include <algorithm>
#include <bit>
#include <cstring>
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
    : FileSoundSource(sample_rate, channels, declared_peak),
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

std::int64_t LSRCPCMFileBase::ReadFrames(std::int64_t first, Sample* out, std::int64_t count) {
    if (!file_.Seek(data_start_ + first * frame_bytes_)) {
        return 0;
    }
    const int channels = GetChannels();
    std::int64_t done = 0;
    while (done < count) {
        const std::int64_t chunk = std::min<std::int64_t>(count - done, kBufferFrames);
        const auto wanted = static_cast<std::size_t>(chunk * frame_bytes_);
        const std::size_t arrived = file_.Read(bytes_.data(), wanted);
        // A frame cut short by a failing read is silence, like the frames after it.
        const std::size_t samples =
            arrived / static_cast<std::size_t>(frame_bytes_) * static_cast<std::size_t>(channels);
        Decode(bytes_.data(), out + done * channels, samples);
        if (arrived < wanted) {
            return done + static_cast<std::int64_t>(samples) / channels;
        }
        done += chunk;
    }
    return done;
}

void LSRCPCM8File::Decode(const std::uint8_t* bytes, Sample* out, std::size_t samples) const {
    for (std::size_t i = 0; i < samples; ++i) {
        out[i] = SampleFrom8(bytes[i]);
    }
}

void LSRCPCM16File::Decode(const std::uint8_t* bytes, Sample* out, std::size_t samples) const {
    // The file's little-endian samples are this machine's own: read as they lie, they widen in
    // whole vectors.
    static_assert(std::endian::native == std::endian::little);
    for (std::size_t i = 0; i < samples; ++i) {
        std::int16_t value;
        std::memcpy(&value, bytes + 2 * i, sizeof value);
        out[i] = SampleFrom16(value);
    }
}

}  // namespace sonvara
