#include "document/convert_document.h"

#include "audio/filter_makers.h"
#include "audio/source_to_sink.h"
#include "document/cut_list_reader.h"
#include "document/cut_writer.h"

namespace sonvara {

LCLAConvertRateChannels::LCLAConvertRateChannels(LCutListAudio& document, std::int32_t rate,
                                                 int channels)
    : LProgressDialog("Sonvara"), document_(document), rate_(rate), channels_(channels) {}

ProcessResult LCLAConvertRateChannels::Body() {
    return ConvertRateChannels(*this, document_, rate_, channels_);
}

ProcessResult ConvertRateChannels(LProgressDialog& process, LCutListAudio& document,
                                  std::int32_t rate, int channels) {
    if (document.GetSampleRate() == rate && document.GetChannels() == channels) {
        return PROCESS_DONE;
    }
    process.SetText("Converting rate or channels...", 0);
    LSoundSourceRef source =
        ConvertRateChannelsSource(LSoundSourceRef(new LSRCCutListAudio(document)), rate, channels);
    // The document changes only when the whole conversion is there.
    LCutListAudio converted;
    ProcessResult result;
    {
        LSoundSinkRef sink(new LSNKCutListAudio(converted, rate, channels));
        result = CopySourceToSink(process, source, sink);
    }
    if (result == PROCESS_DONE) {
        document = std::move(converted);
    }
    return result;
}

}  // namespace sonvara
