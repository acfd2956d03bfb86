#include "editor_model/time_fields.h"

#include "audio/sound_time.h"

namespace sonvara {
namespace {

LSoundTime TimeOf(std::int32_t frames, std::int32_t rate) {
    LSoundTime time;
    time.SetSamples(frames, rate);
    return time;
}

}  // namespace

TimeFieldTexts MakeTimeFields(const LEditPositions& positions, std::int32_t rate) {
    // The length is taken in frames first, so that it is exact and not the difference of two
    // rounded times.
    const std::int32_t length = positions.selection_end - positions.selection_start;
    return {TimeOf(positions.selection_start, rate).Hundredths(),
            TimeOf(positions.selection_end, rate).Hundredths(),
            TimeOf(length, rate).MillisecondsText(), TimeOf(positions.cursor, rate).Hundredths()};
}

}  // namespace sonvara
