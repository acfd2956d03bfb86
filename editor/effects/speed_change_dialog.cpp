#include "editor/effects/speed_change_dialog.h"

#include <QSpinBox>

#include "effects/effect_sources.h"

namespace sonvara {
namespace {

struct ModeTexts {
    const char* caption;
    const char* label;
    const StoredFields<SpeedPitchParameters, 1>* stored;
};

ModeTexts TextsOf(SpeedPitchMode mode) {
    switch (mode) {
        case kSpeedPitchConstantPitch:
            return {"Cambio Constante de Tono y Velocidad", "Ajuste de Velocidad (%)",
                    &kConstantPitchStored};
        case kSpeedPitchConstantSpeed:
            return {"Cambio Constante de Velocidad y Tono", "Ajuste de Tono(%)",
                    &kConstantSpeedStored};
        case kSpeedPitchSimple:
            break;
    }
    return {"Cambio Simple de Velocidad y Tono", "Ajuste de Tono/Velocidad (%)",
            &kSpeedSimpleStored};
}

}  // namespace

const char* LSVSpeedChangeDlg::Caption(SpeedPitchMode mode) {
    return TextsOf(mode).caption;
}

LSVSpeedChangeDlg::LSVSpeedChangeDlg(Prompts& prompts, LEffectPreview* preview, FrameRange part,
                                     SpeedPitchMode mode, QWidget* parent)
    : LSVEffectDlg(TextsOf(mode).caption, prompts, preview, parent), part_(part), mode_(mode) {
    setObjectName("LSVSpeedChangeDlg");
    const ModeTexts texts = TextsOf(mode);
    const SpeedPitchParameters stored = ReadStored(*texts.stored, SpeedPitchParameters{0, mode});
    percent_ =
        AddNumber((*texts.stored)[0].value.name.data(), texts.label, stored.percent, kPercentField);
    AddButtons();
}

SpeedPitchParameters LSVSpeedChangeDlg::Parameters() const {
    return {.percent = percent_->value(), .mode = mode_};
}

std::string_view LSVSpeedChangeDlg::Refusal() const {
    return Check(Parameters());
}

bool LSVSpeedChangeDlg::Store() const {
    return WriteStored(*TextsOf(mode_).stored, Parameters());
}

EffectSourceFactory LSVSpeedChangeDlg::Effect() const {
    return EffectSource(Parameters(), part_);
}

}  // namespace sonvara
