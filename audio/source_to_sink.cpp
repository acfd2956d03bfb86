#include "audio/source_to_sink.h"

#include <vector>

#include "audio/filter_makers.h"

namespace sonvara {
namespace {

// A source that can say why it failed (a working file gone) says it.
void ShowSourceError(LProgressDialog& process, const LSoundSourceBase& source) {
    if (const std::string text = source.IsError() ? source.ErrorText() : ""; !text.empty()) {
        process.ShowError(text);
    }
}

}  // namespace

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
    if (!sink) {
        return PROCESS_FAILED;
    }
    source = LChannelsFilterMaker(sink->GetChannels()).Make(source);
    source = LRateFilterMaker(sink->GetSampleRate()).Make(source);
    source = LPeakLimitFilterMaker(FULL_SCALE).Make(source);

    const std::int32_t length = source->GetLength();
    const double total = length == 0 ? 1.0 : length;
    std::vector<Sample> block(static_cast<std::size_t>(source->GetChannels()) * kBlockFrames);
    for (;;) {
        // A source in error reads silence and may never reach its end: it ends the copy.
        if (source->IsError() || sink->IsError()) {
            ShowSourceError(process, *source);
            return FinishSink(process, PROCESS_FAILED, *sink);
        }
        if (process.CheckCancel()) {
            return FinishSink(process, PROCESS_STOPPED, *sink);
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
            ShowSourceError(process, *source);
            return FinishSink(process, source->IsError() ? PROCESS_FAILED : PROCESS_DONE, *sink);
        }
        sink->Write(block.data(), kBlockFrames);
        process.SetProgress(position / total);
    }
}

ProcessResult FinishSink(LProgressDialog& process, ProcessResult outcome, LSoundSinkBase& sink) {
    const bool finished = outcome != PROCESS_FAILED && sink.Finish();
    if (outcome == PROCESS_STOPPED) {
        return outcome;  // whether what came before the cancel could be kept or not
    }
    if (finished) {
        return PROCESS_DONE;
    }
    if (sink.IsError()) {
        if (const std::string text = sink.ErrorText(); !text.empty()) {
            process.ShowError(text);
        }
    }
    return PROCESS_FAILED;
}

}  // namespace sonvara
