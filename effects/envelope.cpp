#include "effects/envelope.h"

#include <algorithm>

#include "audio/source_to_sink.h"
#include "audio/split_multiply.h"
#include "document/cut_list_reader.h"
#include "document/cut_writer.h"

namespace sonvara {
namespace {

std::int32_t Level(std::uint8_t y) {
    return std::int32_t{y} << 17;
}

}  // namespace

// The length is divided by 255 in two parts, so that no product overflows.
std::int64_t EnvelopePointFrame(std::int64_t length, std::uint8_t x) {
    return (length / 255) * x + ((length % 255) * x) / 255;
}

BytePointList FadeInPoints() {
    return {{{0, 0}, {255, 128}}};
}

BytePointList FadeOutPoints() {
    return {{{0, 128}, {255, 0}}};
}

ProcessResult ApplyEnvelope(LProgressDialog& process, LCutListAudio& document, FrameRange range,
                            const BytePointList& envelope) {
    if (range.Reversed()) {
        return PROCESS_DONE;
    }
    const auto& points = envelope.points;
    if (points.size() < 2) {
        return PROCESS_FAILED;
    }
    process.SetText("Envelope", 0);
    process.SetText("Espere por favor...", 1);
    LSRCCutListAudio source(document);
    if (range.start > 0) {
        source.Seek(range.start);
    }
    const int channels = source.GetChannels();
    const std::int64_t length = range.Length();
    const double total = static_cast<double>(std::max<std::int64_t>(length, 1));
    LCutListAudio result;
    {
        LSoundSinkRef sink(new LSNKCutListAudio(result, document.GetSampleRate(), channels));
        std::vector<Sample> block(static_cast<std::size_t>(channels) * kBlockFrames);
        // The first point's x is not used: the first segment always starts at frame 0.
        std::int32_t gain = Level(points[0].second);
        std::int32_t target = Level(points[1].second);
        std::int64_t segment_end = EnvelopePointFrame(length, points[1].first);
        std::size_t next = 2;
        std::int64_t done = 0;
        for (;;) {
            if (process.CheckCancel()) {
                return PROCESS_STOPPED;
            }
            std::int64_t remaining = segment_end - done;
            while (remaining <= 0) {
                if (next == points.size()) {
                    if (segment_end == length) {
                        break;
                    }
                    segment_end = length;
                } else {
                    target = Level(points[next].second);
                    segment_end = EnvelopePointFrame(length, points[next].first);
                    ++next;
                }
                remaining = segment_end - done;
            }
            if (remaining <= 0) {
                break;
            }
            const auto frames =
                static_cast<std::int32_t>(std::min<std::int64_t>(remaining, kBlockFrames));
            source.Read(block.data(), frames);
            const auto step =
                static_cast<std::int32_t>((std::int64_t{target} - gain) / (segment_end - done));
            for (std::int32_t f = 0; f < frames; ++f) {
                for (int c = 0; c < channels; ++c) {
                    Sample& s =
                        block[static_cast<std::size_t>(f) * static_cast<std::size_t>(channels) +
                              static_cast<std::size_t>(c)];
                    s = SplitMultiply(s, gain);
                }
                gain += step;
            }
            sink->Write(block.data(), frames);
            done += frames;
            process.SetProgress(static_cast<double>(done) / total);
        }
        if (FinishSink(process, PROCESS_DONE, *sink) != PROCESS_DONE) {
            return PROCESS_FAILED;
        }
    }
    document.Replace(range.start, range.end, result);
    return PROCESS_DONE;
}

LEfEnvelope::LEfEnvelope(LCutListAudio& document, FrameRange range, BytePointList envelope)
    : LProgressDialog("Sonvara"),
      document_(document),
      range_(range),
      envelope_(std::move(envelope)) {}

ProcessResult LEfEnvelope::Body() {
    return ApplyEnvelope(*this, document_, range_, envelope_);
}

ProcessResult EfFadeOutAndTrim::Body() {
    const ProcessResult result = EfFadeOut::Body();
    if (result == PROCESS_DONE) {
        Document().TrimEnd(SelectionEnd());
    }
    return result;
}

}  // namespace sonvara
