#include "document/load_source.h"

#include "document/cut_writer.h"

namespace sonvara {

LCutListAudioLoadSource::LCutListAudioLoadSource(std::string caption, const LSoundSourceRef& source,
                                                 LCutListAudio& target, LAudioCutTank& tank)
    : LPRSourceToSink(std::move(caption), source,
                      LSoundSinkRef(new LSNKCutListAudio(target, source->GetSampleRate(),
                                                         source->GetChannels(), tank))) {}

}  // namespace sonvara
