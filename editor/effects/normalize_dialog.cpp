#include "editor/effects/normalize_dialog.h"

#include <QSpinBox>

#include "effects/effect_sources.h"

namespace sonvara {

LSVNormalizeDlg::LSVNormalizeDlg(Prompts& prompts, LEffectPreview* preview,
                                 const LCutListAudio& document, FrameRange part, QWidget* parent)
    : LSVEffectDlg("Normalizador", prompts, preview, parent), document_(document), part_(part) {
    setObjectName("LSVNormalizeDlg");
    const NormalizeParameters stored = ReadStored(kNormalizeStored);
    peak_percent_ = AddNumber(kNormalizePeakLevel.name.data(), "Nivel más alto (%)",
                              stored.peak_percent, kPercentField);
    AddButtons();
}

NormalizeParameters LSVNormalizeDlg::Parameters() const {
    NormalizeParameters parameters{};
    parameters.peak_percent = peak_percent_->value();
    return parameters;
}

std::string_view LSVNormalizeDlg::Refusal() const {
    return Check(Parameters());
}

bool LSVNormalizeDlg::Store() const {
    return WriteStored(kNormalizeStored, Parameters());
}

EffectSourceFactory LSVNormalizeDlg::Effect() const {
    if (!peak_) {
        peak_ = RangePeak(document_, part_);
    }
    return NormalizeSource(Parameters(), *peak_);
}

}  // namespace sonvara
