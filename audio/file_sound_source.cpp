#include "audio/file_sound_source.h"

#include <algorithm>
#include <limits>

namespace sonvara {
namespace {

ReadStart StartRead(std::int32_t position, std::int32_t frames) {
    const std::int64_t end = std::int64_t{position} + frames;
    const std::int64_t lead = std::clamp<std::int64_t>(-std::int64_t{position}, 0, frames);
    return {lead, std::max<std::int64_t>(position, 0),
            static_cast<std::int32_t>(
                std::min<std::int64_t>(end, std::numeric_limits<std::int32_t>::max()))};
}

}  // namespace

std::int64_t FileSoundSource::DecodedFrames(const ReadStart& start, std::int64_t end) {
    return std::min<std::int64_t>(end, GetLength()) - start.first;
}

void FileSoundSource::Read(Sample* buffer, std::int32_t frames) {
    if (frames <= 0) {
        return;
    }
    const ReadStart start = StartRead(position_, frames);
    const std::int64_t end = std::int64_t{position_} + frames;
    position_ = start.next;
    const int channels = GetChannels();
    std::fill_n(buffer, start.lead * channels, 0);
    Sample* out = buffer + start.lead * channels;
    const std::int64_t count = IsError() ? 0 : std::max<std::int64_t>(DecodedFrames(start, end), 0);
    if (count > 0) {
        out += ReadFrames(start.first, out, count) * channels;
    }
    std::fill(out, buffer + std::int64_t{frames} * channels, 0);
}

}  // namespace sonvara
