#include "effects/registry/built_in_effects.h"

namespace sonvara {

std::vector<EffectEntry> BuiltInEffects() {
    std::vector<EffectEntry> entries;
    for (EffectEntry (*make)() :
         {AmplifyEffect, NormalizeEffect, LoudnessNormalizeEffect, FadeInEffect, FadeOutEffect,
          FadeOutAndTrimEffect, EnvelopeEffect, DCOffsetEffect, EqualizerEffect, HighPassEffect,
          CompressorEffect, NoiseReductionEffect, AutoGainEffect, SpeedSimpleEffect,
          ConstantPitchEffect, ConstantSpeedEffect, ReverseEffect, EchoEffect, ReverbEffect}) {
        entries.push_back(make());
    }
    return entries;
}

}  // namespace sonvara
