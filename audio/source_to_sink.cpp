#include "audio/source_to_sink.h"

#include <vector>

#include "audio/filter_makers.h"

namespace sonvara {

LPRSourceToSink::LPRSourceToSink(std::string caption, LSoundSourceRef source, LSoundSinkRef sink)
    : LProgressDialog(std::move(caption)), source_(std::move(source)), sink_(std::move(sink)) {}

ProcessResult LPRSourceToSink::Body() {
    SetText(Caption(), 0);
    SetText("Espere por favor...", 1);
    return CopySourceToSink(*this, source_, sink_);
}

ProcessResult CopySourceToSink(LProgressDialog& process, LSoundSourceRef source,
                               LSoundSinkRef sink) {
    process.SetProgress(0);
    if (source->IsError() || !sink || sink->IsError()) {
        return PROCESS_FAILED;
    }
    source = LChannelsFilterMaker(sink->GetChannels()).Make(source);
    source = LRateFilterMaker(sink->GetSampleRate()).Make(source);
    source = LPeakLimitFilterMaker(FULL_SCALE).Make(source);

    const std::int32_t length = source->GetLength();
    const double total = length == 0 ? 1.0 : length;
    std::vector<Sample> block(static_cast<std::size_t>(source->GetChannels()) * kBlockFrames);
    for (;;) {
        if (process.CheckCancel()) {
            return PROCESS_STOPPED;
        }
        source->Read(block.data(), kBlockFrames);
        const std::int32_t position = source->GetPosition();
        const std::int32_t end = source->GetLength();
        if (position >= end) {
            // The last block: only its first frames up to the end are real.
            const std::int64_t valid = std::int64_t{kBlockFrames} - (std::int64_t{position} - end);
            if (valid > 0 && valid <= kBlockFrames) {
                sink->Write(block.data(), static_cast<std::int32_t>(valid));
            }
            return sink->IsError() ? PROCESS_FAILED : PROCESS_DONE;
        }
        sink->Write(block.data(), kBlockFrames);
        if (sink->IsError()) {
            return PROCESS_FAILED;
        }
        process.SetProgress(position / total);
    }
}

}  // namespace sonvara
