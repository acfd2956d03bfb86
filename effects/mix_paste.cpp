#include "effects/mix_paste.h"

#include <algorithm>
#include <vector>

#include "audio/source_to_sink.h"
#include "audio/split_multiply.h"
#include "document/convert_document.h"
#include "document/cut_list_reader.h"
#include "document/cut_writer.h"

namespace sonvara {
namespace {

// `paste` in the format of `document` (a copy of the records, converted when needed).
ProcessResult PasteInFormatOf(LProgressDialog& process, const LCutListAudio& document,
                              const LCutListAudio& paste, LCutListAudio& converted) {
    converted = paste;
    return ConvertRateChannels(process, converted, document.GetSampleRate(),
                               document.GetChannels());
}

}  // namespace

MixGains MixPasteGains(std::int32_t volume_percent, std::int32_t balance) {
    auto gain = [&](std::int64_t side) {
        return static_cast<std::int32_t>(side * volume_percent / 50 * kUnityGain / 100);
    };
    return {gain(100 - balance), gain(balance)};
}

EfMixPaste::EfMixPaste(LCutListAudio& document, FrameRange range, const LCutListAudio& paste,
                       const MixPasteParameters& parameters)
    : LProgressDialog("Sonvara"),
      document_(document),
      range_(range),
      paste_(paste),
      parameters_(parameters) {}

ProcessResult EfMixPaste::Body() {
    if (range_.Reversed()) {
        return PROCESS_DONE;
    }
    SetText("Pasting Mix", 0);
    SetText("Espere por favor...", 1);
    LCutListAudio paste;
    if (const ProcessResult converted = PasteInFormatOf(*this, document_, paste_, paste);
        converted != PROCESS_DONE) {
        return converted;
    }

    // The stretch of the document the mix replaces, as a copy: the document itself changes
    // only at the end.
    const std::int32_t selection = range_.end - range_.start;
    const std::int32_t over = paste.GetLength() - selection;
    std::int32_t replace_end = range_.end;  // of the document
    LCutListAudio region;
    std::int64_t fade_start = -1;
    if (over > 0 && parameters_.mode == MIXMODE_INSERTSILENCE) {
        document_.EfCopy(range_.start, range_.end, region);
        region.InsertSilence(selection, over);
    } else if (over > 0 && parameters_.mode == MIXMODE_EXTENDSELECTION) {
        replace_end = range_.end + over;
        document_.EfCopy(range_.start, replace_end, region);
    } else if (over > 0) {
        document_.EfCopy(range_.start, range_.end, region);
        fade_start = std::max<std::int64_t>(selection - std::int64_t{parameters_.fade_frames}, 0);
    } else {
        replace_end = range_.start + paste.GetLength();
        document_.EfCopy(range_.start, replace_end, region);
    }
    const std::int32_t length = region.GetLength();

    const int channels = document_.GetChannels();
    const MixGains mix = MixPasteGains(parameters_.volume_percent, parameters_.balance);
    std::vector<std::int32_t> gains = {mix.left, mix.right};
    gains.resize(static_cast<std::size_t>(channels), mix.left);

    LCutListAudio mixed;
    {
        LSRCCutListAudio target(region);
        LSRCCutListAudio addition(paste);
        LSoundSinkRef sink(new LSNKCutListAudio(mixed, document_.GetSampleRate(), channels));
        std::vector<Sample> block(static_cast<std::size_t>(channels) * kBlockFrames);
        std::vector<Sample> added(block.size());
        std::vector<std::int32_t> steps(gains.size(), 0);
        for (std::int64_t done = 0; done < length;) {
            if (CheckCancel()) {
                return PROCESS_STOPPED;
            }
            const auto frames =
                static_cast<std::int32_t>(std::min<std::int64_t>(length - done, kBlockFrames));
            target.Read(block.data(), frames);
            addition.Read(added.data(), frames);
            for (std::int32_t f = 0; f < frames; ++f) {
                const std::int64_t position = done + f;
                const bool fading = fade_start >= 0 && position >= fade_start;
                if (fading && (f == 0 || position == fade_start)) {
                    // The fade's slope, fixed for the rest of this block: it reaches 0 at the end.
                    const std::int64_t left = (length - position) * channels;
                    for (std::size_t c = 0; c < gains.size(); ++c) {
                        steps[c] = static_cast<std::int32_t>(gains[c] / left);
                    }
                }
                for (int c = 0; c < channels; ++c) {
                    const std::size_t i = static_cast<std::size_t>(f) * channels + c;
                    const std::int32_t gain = gains[static_cast<std::size_t>(c)];
                    if (fading) {
                        block[i] = WrapAdd(block[i], SplitMultiply(added[i], gain));
                        for (std::size_t g = 0; g < gains.size(); ++g) {
                            gains[g] -= steps[g];
                        }
                    } else {
                        block[i] = WrapAdd(block[i], WrapMul(added[i], gain >> 15) >> 9);
                    }
                }
            }
            sink->Write(block.data(), frames);
            done += frames;
            SetProgress(static_cast<double>(done) / length);
        }
        if (FinishSink(*this, PROCESS_DONE, *sink) != PROCESS_DONE) {
            return PROCESS_FAILED;
        }
    }
    document_.Replace(range_.start, replace_end, mixed);
    range_.end = range_.start + length;
    return PROCESS_DONE;
}

LEfPasteOver::LEfPasteOver(LCutListAudio& document, FrameRange range, const LCutListAudio& paste)
    : LProgressDialog("Sonvara"), document_(document), range_(range), paste_(paste) {}

ProcessResult LEfPasteOver::Body() {
    LCutListAudio paste;
    if (const ProcessResult converted = PasteInFormatOf(*this, document_, paste_, paste);
        converted != PROCESS_DONE) {
        return converted;
    }
    document_.Replace(range_.start, range_.end, paste);
    return PROCESS_DONE;
}

}  // namespace sonvara
