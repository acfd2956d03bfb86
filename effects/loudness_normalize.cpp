#include "effects/loudness_normalize.h"

#include <cmath>
#include <cstdio>

#include "document/cut_list_reader.h"
#include "effects/registry/built_in_effects.h"

namespace sonvara {

double LoudnessGain::Factor() const {
    return std::pow(10.0, decibels / 20.0);
}

LoudnessGain GainForLoudness(const LoudnessReport& measured,
                             const LoudnessNormalizeParameters& parameters) {
    if (!std::isfinite(measured.integrated)) {
        return {};
    }
    LoudnessGain gain{parameters.target_lufs - measured.integrated, false};
    if (std::isfinite(measured.true_peak) &&
        measured.true_peak + gain.decibels > parameters.ceiling_dbtp) {
        gain = {parameters.ceiling_dbtp - measured.true_peak, true};
    }
    return gain;
}

std::string CeilingBoundMessage(const LoudnessReport& measured, const LoudnessGain& gain,
                                const LoudnessNormalizeParameters& parameters) {
    char text[320];
    std::snprintf(text, sizeof text,
                  "Para llegar a %d LUFS el pico real pasaría de %d dBTP: la ganancia se limitó "
                  "a %+.1f dB y la sonoridad queda en %.1f LUFS.",
                  parameters.target_lufs, parameters.ceiling_dbtp, gain.decibels,
                  measured.integrated + gain.decibels);
    return text;
}

LPRLoudnessGain::LPRLoudnessGain(LSoundSourceRef source, FrameRange range,
                                 const LoudnessNormalizeParameters& parameters)
    : LProgressDialog("Sonvara"),
      source_(std::move(source)),
      range_(range),
      parameters_(parameters) {}

ProcessResult LPRLoudnessGain::Body() {
    gain_ = {};
    LPRMeasureLoudness measure(source_, range_.start, range_.end);
    if (const ProcessResult measured = RunStep(measure, 0.0, 1.0); measured != PROCESS_DONE) {
        return measured;
    }
    gain_ = GainForLoudness(measure.Report(), parameters_);
    if (gain_.ceiling_bound && Host() != nullptr) {
        Host()->prompts.Ask({"Normalizar Sonoridad",
                             CeilingBoundMessage(measure.Report(), gain_, parameters_),
                             PromptIcon::kInformation, PromptButtons::kOk});
    }
    return PROCESS_DONE;
}

EfNormalizeLoudness::EfNormalizeLoudness(LCutListAudio& document, FrameRange range,
                                         const LoudnessNormalizeParameters& parameters)
    : LProgressDialog("Sonvara"), document_(document), range_(range), parameters_(parameters) {}

ProcessResult EfNormalizeLoudness::Body() {
    applied_ = {};
    if (range_.Length() <= 0) {
        return PROCESS_DONE;
    }
    LPRLoudnessGain measure(LSoundSourceRef(new LSRCCutListAudio(document_)), range_, parameters_);
    if (const ProcessResult measured = RunStep(measure, 0.0, 1.0); measured != PROCESS_DONE) {
        return measured;
    }
    applied_ = measure.Gain();
    document_.EfScaleGain(range_.start, range_.end, applied_.Factor());
    return PROCESS_DONE;
}

// The gain follows the loudness of the whole: a stream measures in a first pass.
EffectEntry LoudnessNormalizeEffect() {
    EffectField target = DecibelField(kLoudnessTarget, "Sonoridad deseada (LUFS)",
                                      "sonoridad (LUFS)", "Sonoridad deseada (LUFS)");
    target.lowest = -40;
    target.highest = -5;
    target.suggestions = {{-14, "-14: plataformas de música"},
                          {-16, "-16: podcasts"},
                          {-19, "-19: podcasts en mono"},
                          {-23, "-23: radio y televisión (EBU R 128)"},
                          {-24, "-24: televisión (ATSC A/85)"}};
    EffectField ceiling = DecibelField(kLoudnessCeiling, "Pico real máximo (dBTP)",
                                       "pico real (dBTP)", "Pico real máximo (dBTP)");
    ceiling.lowest = -20;
    ceiling.highest = 0;
    return {
        .id = "loudness",
        .names = {"Normalizar Sonoridad...", "Normalizar Sonoridad", "Normalizar Sonoridad"},
        .fields = {std::move(target), std::move(ceiling)},
        .check =
            [](const EffectValues& v) { return Check(FromValues(kLoudnessNormalizeStored, v)); },
        .apply =
            [](const ProcessRunner& run, LCutListAudio& document, FrameRange& range,
               const EffectValues& v) {
                return RunEffectProcess<EfNormalizeLoudness>(
                    run, document, range, FromValues(kLoudnessNormalizeStored, v));
            },
        .preview = [](const EffectValues& v, const EffectPlace& place) -> EffectSourceFactory {
            const LoudnessReport* measured = place.Loudness();
            if (measured == nullptr) {
                return {};  // not measured: nothing to preview
            }
            const LoudnessGain gain =
                GainForLoudness(*measured, FromValues(kLoudnessNormalizeStored, v));
            return EffectSource(
                AmplifyParameters{static_cast<std::int32_t>(std::lround(100 * gain.Factor()))});
        },
        .stream = [](const EffectValues& v, StreamInput& input) -> std::optional<StreamStage> {
            LoudnessGain gain;
            const ProcessResult measured = input.FirstPass([&](const LSoundSourceRef& stream,
                                                               const ProcessRunner& run) {
                LPRLoudnessGain measure(stream, {0, -1}, FromValues(kLoudnessNormalizeStored, v));
                const ProcessResult result = run(measure);
                gain = measure.Gain();
                return result;
            });
            if (measured != PROCESS_DONE) {
                return std::nullopt;
            }
            return StreamStage{.source = {}, .gain_factor = gain.Factor()};
        },
        .dialog = EffectDialog::kFields,
        .dialog_name = "LSVLoudnessNormalizeDlg",
        .menu = {EffectGroup::kVolume, false, 4019},
        .batch_id = 18,
    };
}

}  // namespace sonvara
