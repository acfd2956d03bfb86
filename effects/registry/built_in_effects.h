#pragma once
// The built-in effects' entries, each defined beside its effect's process, and their list in the
// Efectos menu's order. A new effect adds its entry here and to the list.

#include <vector>

#include "effects/registry/effect_entry.h"

namespace sonvara {

EffectEntry AmplifyEffect();            // amplify.cpp
EffectEntry NormalizeEffect();          // normalize.cpp
EffectEntry LoudnessNormalizeEffect();  // loudness_normalize.cpp
EffectEntry FadeInEffect();             // envelope.cpp
EffectEntry FadeOutEffect();            // envelope.cpp
EffectEntry FadeOutAndTrimEffect();     // envelope.cpp
EffectEntry EnvelopeEffect();           // envelope.cpp
EffectEntry DCOffsetEffect();           // dc_offset.cpp
EffectEntry EqualizerEffect();          // equalizer.cpp
EffectEntry HighPassEffect();           // high_pass.cpp
EffectEntry CompressorEffect();         // compressor.cpp
EffectEntry NoiseReductionEffect();     // noise_gate.cpp
EffectEntry AutoGainEffect();           // auto_gain.cpp
EffectEntry SpeedSimpleEffect();        // speed_pitch.cpp
EffectEntry ConstantPitchEffect();      // speed_pitch.cpp
EffectEntry ConstantSpeedEffect();      // speed_pitch.cpp
EffectEntry ReverseEffect();            // reverse.cpp
EffectEntry EchoEffect();               // echo.cpp
EffectEntry ReverbEffect();             // echo.cpp

// Every built-in entry, in the Efectos menu's order.
std::vector<EffectEntry> BuiltInEffects();

}  // namespace sonvara
