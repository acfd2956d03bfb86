#pragma once
// An effect named by a short text, with its values, applied to the whole of a document: what the
// batch tool's `effect` verb runs, and what a command repeated with its last values can keep.
//
//   fade-in[:LENGTH]          the first LENGTH (all of the file without it) fades in
//   fade-out[:LENGTH]         the last LENGTH fades out
//   fade-out-trim:END,LENGTH  the LENGTH before END fades out and everything after END goes
//   reverse                   the file backwards
//   dc-offset                 each channel's mean taken away
//   silence[:FROM,TO]         the file, or FROM to TO, made silent
//   equalizer:FREQ:LEVEL,...  the equalizer with these points
//   envelope:TIME:LEVEL,...   the envelope with these points
//   EFFECT[:V1,V2,...]        an effect of the registry by its id, with a value for each of its
//                             fields ("echo:800ms,50%"; effect_registry.h)
//   ID or NAME[:V1,V2,...]    one of the batch converter's commands (batch_command.h)
//   lv2:URI[:PORT=VALUE,...]  an installed LV2 plug-in with its values (lv2/plugin_settings.h)
//
// The forms above come first: the fades, reverse, DC offset, the equalizer and the envelope take
// here the texts of the whole file (times and point lists) under their registry ids.
// The values are the texts of effect_text.h. Times past the end of the file are refused when the
// effect is applied, since only then is the file's length known.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "batch/batch_command.h"
#include "batch/effect_text.h"
#include "core/progress_dialog.h"
#include "core/result.h"
#include "document/cut_list_audio.h"

namespace sonvara {

enum class NamedEffectKind {
    kFadeIn,
    kFadeOut,
    kFadeOutAndTrim,
    kReverse,
    kDCOffset,
    kSilence,
    kEqualizer,
    kEnvelope,
    kBatchCommand,
    kRegistered,
};

struct NamedEffect {
    NamedEffectKind kind = NamedEffectKind::kReverse;
    std::vector<EffectTime> times;  // the fades' and the silence's, as typed (none: the whole)
    std::vector<PointList::Point> equalizer;
    std::vector<EnvelopeTextPoint> envelope;
    LBatchCommandItem command;
    std::string effect;  // a registered effect's id, with its values
    EffectValues values;
    bool operator==(const NamedEffect&) const = default;
};

// A failure naming what is wrong for an unknown name, missing or extra values, values that cannot
// be read, or values the effect's check refuses.
Result<NamedEffect> ParseNamedEffect(std::string_view text);
// A registered effect's values as typed after its id ("800ms,50%"), checked by the effect.
Result<EffectValues> ParseRegisteredValues(const EffectEntry& effect, std::string_view text);
// How `effect` is typed: its form's usage ("fade-in[:DURACIÓN]") or its id with its fields'
// default values ("echo:800ms,50%").
std::string EffectUsage(const EffectEntry& effect);
// The text that ParseNamedEffect reads back as `effect`.
std::string NamedEffectText(const NamedEffect& effect);

// Applies `effect` to the whole of `document` as a step of `process`, filling [from, to] of its
// bar. A time past the end of the document is shown as a message (captioned "Valor no válido")
// and fails the step with the document as it was; so does a cancel or a failure of the effect.
ProcessResult ApplyNamedEffect(LProgressDialog& process, LCutListAudio& document,
                               const NamedEffect& effect, double from, double to);

}  // namespace sonvara
