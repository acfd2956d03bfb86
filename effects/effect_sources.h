#pragma once
// The effects with parameters as source factories: what the effect processes run over a
// selection and what an effect dialog's preview plays are made here, from the same values, so
// the two cannot differ.
//
// Each factory wraps the source over the whole document. Read from the selection's start, the
// frames of the selection are the ones the effect leaves there, and reading again after a seek
// back to the selection's start gives them again. The speed changes, which change the length,
// put their result in place of the selection and the document's frames after it follow, so
// that their length is the changed document's. Rate and channels stay the upstream's. The
// factories hold copies of the values: they may outlive the parameters.

#include <cstdint>

#include "document/cut_list_audio.h"
#include "document/frame_range.h"
#include "effects/effect_parameters.h"
#include "effects/effect_process.h"
#include "effects/point_list.h"

namespace sonvara {

// A gain of the percent, as a cut's gain of unity becomes when the document amplifies it.
EffectSourceFactory EffectSource(const AmplifyParameters& parameters);
// A gain factor with unity at 2^24, applied as the document reader applies a cut's gain.
EffectSourceFactory GainSource(std::int32_t gain);
EffectSourceFactory EffectSource(const EchoParameters& parameters);
EffectSourceFactory EffectSource(const ReverbParameters& parameters);
EffectSourceFactory EffectSource(const LowCutParameters& parameters);
// A ratio index the list does not hold gives a source in error.
EffectSourceFactory EffectSource(const CompressorParameters& parameters);
EffectSourceFactory EffectSource(const NoiseGateParameters& parameters);
// The change of `range` in the parameters' mode; an unknown mode gives a source in error.
EffectSourceFactory EffectSource(const SpeedPitchParameters& parameters, FrameRange range);

EffectSourceFactory EqualizerSource(const PointList& points);
// The points placed along `range`; frames outside it pass as they are. Fewer than two points
// give a source in error.
EffectSourceFactory EnvelopeSource(const PointList& points, FrameRange range);
EffectSourceFactory EnvelopeSource(const BytePointList& points, FrameRange range);

// Normalize's gain in whole percent for a selection whose largest magnitude is `peak`: the
// parameters' percent of full scale, at most 400 %; 100 for silence.
std::int32_t NormalizePercent(const NormalizeParameters& parameters, std::int64_t peak);
// The largest magnitude of the frames of `range`.
std::int64_t RangePeak(const LCutListAudio& document, FrameRange range);
// The gain normalize applies to a selection whose largest magnitude is `peak`.
EffectSourceFactory NormalizeSource(const NormalizeParameters& parameters, std::int64_t peak);

}  // namespace sonvara
