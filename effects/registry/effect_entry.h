#pragma once
// EffectEntry: one effect as everything that offers it reads it. The editor's Efectos menu, its
// effect commands and their dialogs, the dialogs' preview, the batch converter's commands and the
// batch tool's `effect` verb all take an effect's names, fields, check and work from its entry,
// so an effect is declared once: its entry beside its process, listed in built_in_effects.h.
//
// An entry holds no state: its functions may run on any thread, each call on values of its own.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/progress_dialog.h"
#include "core/result.h"
#include "document/cut_list_audio.h"
#include "document/frame_range.h"
#include "effects/effect_process.h"
#include "effects/effect_sources.h"
#include "effects/loudness_meter.h"
#include "effects/registry/effect_values.h"

namespace sonvara {

// Runs an effect's process to its end: the editor behind its progress dialog, the batch converter
// as a step of its own process.
using ProcessRunner = std::function<ProcessResult(LProgressDialog& process)>;

// The part of a document an effect's dialog works on, for a preview that depends on more than
// the values (normalize's gain follows the part's peak, a speed change replaces the part).
class EffectPlace {
  public:
    // `measure` runs the measurement of a long part (its loudness) behind a progress dialog;
    // without it the part is measured in place.
    EffectPlace(const LCutListAudio& document, FrameRange part, ProcessRunner measure = {})
        : document_(&document), part_(part), measure_(std::move(measure)) {}

    const LCutListAudio& Document() const { return *document_; }
    FrameRange Part() const { return part_; }
    // The largest magnitude of the part's frames, found at the first call.
    std::int64_t Peak() const;
    // The part's loudness, measured at the first call; null when the user cancelled the
    // measurement or it failed (the next call measures again).
    const LoudnessReport* Loudness() const;

  private:
    const LCutListAudio* document_;
    FrameRange part_;
    ProcessRunner measure_;
    mutable std::optional<std::int64_t> peak_;
    mutable std::optional<LoudnessReport> loudness_;
};

// How an effect joins a stream of frames read from start to end (the batch converter's run
// without a document): a source over the stream, or a gain folded into the gains before it (an
// amplify's percent or a factor, each folded as the document folds it).
struct StreamStage {
    EffectSourceFactory source;
    std::optional<std::int32_t> gain_percent = {};
    std::optional<double> gain_factor = {};
};

// What an effect joining a stream may ask of the stream before it.
class StreamInput {
  public:
    virtual ~StreamInput() = default;
    // The stream's length, for an effect placed along the whole; from then on the length must
    // stay what it is.
    virtual std::int32_t Length() = 0;
    // For an effect that follows the whole of the stream (a loudness gain): the stream so far,
    // read once from its start by `pass` (a process run through the runner it is given) before
    // the stage's own frames flow. The pass's result; it is kept (PassResult) so that a cancel
    // in it stops the run instead of failing the effect.
    using Pass =
        std::function<ProcessResult(const LSoundSourceRef& stream, const ProcessRunner& run)>;
    virtual ProcessResult FirstPass(const Pass& pass) = 0;
};

// The groups of the Efectos menu, in its order.
enum class EffectGroup { kVolume, kFilters, kDynamics, kTimePitch, kDelay };

// How the editor asks an effect's values: not at all, in the dialog of its fields, in one of the
// point-list dialogs, or in the dialog made from an LV2 plug-in's controls.
enum class EffectDialog { kNone, kFields, kEqualizerPoints, kEnvelopePoints, kPlugin };

struct EffectNames {
    std::string menu;   // the Efectos menu's entry: "Eco..."
    std::string undo;   // the undo step, the repeat entry and the dialog's caption: "Eco"
    std::string batch;  // the batch converter's command list: "Eco"
};

struct EffectMenuPlace {
    EffectGroup group;
    bool separator_before = false;
    int command = 0;  // the editor's command id, kept by key macros: never reused
};

struct EffectEntry {
    std::string id = {};  // the command-line name: "echo"
    EffectNames names = {};
    std::vector<EffectField> fields = {};
    // The order the dialog shows the fields in (indexes into `fields`); empty: field order.
    std::vector<std::size_t> dialog_order = {};
    // Whether the values are accepted, with the message of the first refused; checked once
    // before any audio moves. Empty: every value is accepted.
    std::function<Result<void>(const EffectValues& values)> check = {};
    // Applies the effect to `range` of `document` (a change of length moves the range's end to
    // the end of the changed audio), running its process through `run`.
    std::function<ProcessResult(const ProcessRunner& run, LCutListAudio& document,
                                FrameRange& range, const EffectValues& values)>
        apply = {};
    // The effect as a source over the whole document, for the dialog's preview; empty: none
    // (and an empty factory: none for these values).
    std::function<EffectSourceFactory(const EffectValues& values, const EffectPlace& place)>
        preview = {};
    // The effect as a stage of a stream, nothing when the values give no effect or its first pass
    // did not end (`input`). Empty for an effect that cannot join a stream.
    std::function<std::optional<StreamStage>(const EffectValues& values, StreamInput& input)>
        stream = {};
    EffectDialog dialog = EffectDialog::kNone;
    std::string dialog_name = {};  // the dialog's object name, by which scripts and tests find it
    EffectMenuPlace menu = {EffectGroup::kVolume};
    std::optional<std::uint32_t> batch_id = {};  // its command in batch scripts

    // The check's answer for `values` (accepted without a check).
    Result<void> Check(const EffectValues& values) const {
        return check ? check(values) : Result<void>();
    }
};

// The usual field kinds of the built-in effects, from the stored value they start from.
EffectField PercentField(const StoredValue& stored, ValueWidth width, std::string label,
                         std::string batch_label, std::string listed);
EffectField MillisecondsField(const StoredValue& stored, ValueWidth width, std::string label,
                              std::string batch_label, std::string listed);
EffectField DecibelField(const StoredValue& stored, std::string label, std::string batch_label,
                         std::string listed);
EffectField FrequencyField(const StoredValue& stored, std::string label, std::string batch_label,
                           std::string listed);
EffectField PointListField(std::string_view point_file);

// An apply that runs `Process` made from the document, the range and the typed parameters.
template <typename Process, typename... Parameters>
ProcessResult RunEffectProcess(const ProcessRunner& run, LCutListAudio& document, FrameRange range,
                               const Parameters&... parameters) {
    Process process(document, range, parameters...);
    return run(process);
}

// The work of an effect whose values are the fields `kStored` of its parameter struct, applied by
// `Process` and played by the struct's EffectSource: the values converted once, and where the
// struct has a Check, values it refuses give no stream stage.
template <typename Process, const auto& kStored>
struct TypedEffectWork {
    static auto Parameters(const EffectValues& values) { return FromValues(kStored, values); }
    static Result<void> Check(const EffectValues& values) {
        return sonvara::Check(Parameters(values));
    }
    static ProcessResult Apply(const ProcessRunner& run, LCutListAudio& document, FrameRange& range,
                               const EffectValues& values) {
        return RunEffectProcess<Process>(run, document, range, Parameters(values));
    }
    static EffectSourceFactory Preview(const EffectValues& values, const EffectPlace&) {
        return EffectSource(Parameters(values));
    }
    static std::optional<StreamStage> Stream(const EffectValues& values, StreamInput&) {
        const auto parameters = Parameters(values);
        if constexpr (requires { sonvara::Check(parameters); }) {
            if (!sonvara::Check(parameters)) {
                return std::nullopt;
            }
        }
        return StreamStage{EffectSource(parameters)};
    }
};

}  // namespace sonvara
