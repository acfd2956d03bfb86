#include "effects/effect_process.h"

#include <algorithm>
#include <vector>

#include "audio/source_to_sink.h"
#include "document/cut_list_reader.h"
#include "document/cut_writer.h"

namespace sonvara {

ProcessResult LEfSoundProcess(LProgressDialog& process, const LSoundSourceRef& source,
                              const LSoundSinkRef& sink, FrameRange range) {
    if (range.Reversed()) {
        return PROCESS_DONE;
    }
    process.SetText("Espere por favor...", 1);
    if (range.start > 0) {
        source->Seek(range.start);
    }
    const std::int64_t length = range.Length();
    const double total = static_cast<double>(std::max<std::int64_t>(length, 1));
    std::vector<Sample> block(static_cast<std::size_t>(source->GetChannels()) * kBlockFrames);
    for (std::int64_t done = 0;;) {
        if (process.CheckCancel()) {
            return PROCESS_STOPPED;
        }
        const std::int64_t remaining = length - done;
        if (remaining <= 0) {
            return PROCESS_DONE;
        }
        const auto frames =
            static_cast<std::int32_t>(std::min<std::int64_t>(remaining, kBlockFrames));
        source->Read(block.data(), frames);
        if (sink) {
            sink->Write(block.data(), frames);
        }
        done += frames;
        process.SetProgress(static_cast<double>(done) / total);
    }
}

ProcessResult CopyToEnd(LProgressDialog& process, const LSoundSourceRef& source,
                        const LSoundSinkRef& sink) {
    std::vector<Sample> block(static_cast<std::size_t>(source->GetChannels()) * kBlockFrames);
    for (;;) {
        if (process.CheckCancel()) {
            return PROCESS_STOPPED;
        }
        const std::int64_t remaining = std::int64_t{source->GetLength()} - source->GetPosition();
        if (remaining <= 0) {
            return PROCESS_DONE;
        }
        const auto frames =
            static_cast<std::int32_t>(std::min<std::int64_t>(remaining, kBlockFrames));
        source->Read(block.data(), frames);
        sink->Write(block.data(), frames);
        const double length = std::max(source->GetLength(), 1);
        process.SetProgress(std::min(source->GetPosition() / length, 1.0));
    }
}

ProcessResult RunRangeEffect(LProgressDialog& process, const std::string& name,
                             LCutListAudio& document, FrameRange range,
                             const EffectSourceFactory& make, const RangeCopy& copy) {
    if (range.Reversed()) {
        return PROCESS_DONE;
    }
    process.SetText(name, 0);
    LCutListAudio result;
    ProcessResult outcome;
    {
        LSoundSourceRef source = make(LSoundSourceRef(new LSRCCutListAudio(document)));
        LSoundSinkRef sink(
            new LSNKCutListAudio(result, document.GetSampleRate(), document.GetChannels()));
        outcome = FinishSink(process, copy(process, source, sink, range), *sink);
        if (outcome == PROCESS_DONE && source->IsError()) {
            // A source in error read silence: the selection keeps its sound.
            const std::string why = source->ErrorText();
            process.ShowError(why.empty() ? "No se pudo leer el sonido." : why);
            outcome = PROCESS_FAILED;
        }
    }
    if (outcome == PROCESS_DONE) {
        document.Replace(range.start, range.end, result);
    }
    return outcome;
}

ProcessResult RunOnSelectionCopy(LProgressDialog& process, LCutListAudio& document,
                                 FrameRange range, const SelectionStep& step) {
    if (range.Reversed()) {
        return PROCESS_DONE;
    }
    LCutListAudio selection;
    document.EfCopy(range.start, range.end, selection);
    LCutListAudio result;
    ProcessResult outcome;
    {
        LSoundSinkRef sink(
            new LSNKCutListAudio(result, selection.GetSampleRate(), selection.GetChannels()));
        outcome = FinishSink(process, step(LSoundSourceRef(new LSRCCutListAudio(selection)), sink),
                             *sink);
    }
    if (outcome == PROCESS_DONE) {
        document.Replace(range.start, range.end, result);
    }
    return outcome;
}

}  // namespace sonvara
