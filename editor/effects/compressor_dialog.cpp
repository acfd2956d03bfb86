#include "editor/effects/compressor_dialog.h"

#include <QComboBox>
#include <QSpinBox>

#include "effects/effect_sources.h"

#include "effects/compressor.h"

namespace sonvara {

LSVCompressorDlg::LSVCompressorDlg(Prompts& prompts, LEffectPreview* preview, QWidget* parent)
    : LSVEffectDlg("Compresor de Rango Dinámico", prompts, preview, parent) {
    setObjectName("LSVCompressorDlg");
    const CompressorParameters stored = ReadStored(kCompressorStored);
    threshold_ = AddNumber(kCompressorThreshold.name.data(), "Umbral (dB)", stored.threshold_db,
                           kDecibelField);
    QStringList ratios;
    for (const CompressorRatioItem& item : CompressorRatioList) {
        ratios.push_back(QString::fromUtf8(item.text.data(), static_cast<int>(item.text.size())));
    }
    ratio_ = AddChoice(kCompressorRatio.name.data(), "Ratio", ratios, stored.ratio_index);
    limit_ = AddNumber(kCompressorLimit.name.data(), "Límite (dB)", stored.limit_db, kDecibelField);
    AddButtons();
}

CompressorParameters LSVCompressorDlg::Parameters() const {
    return {.threshold_db = threshold_->value(),
            .ratio_index = ratio_->currentIndex(),
            .limit_db = limit_->value()};
}

std::string_view LSVCompressorDlg::Refusal() const {
    return Check(Parameters());
}

bool LSVCompressorDlg::Store() const {
    return WriteStored(kCompressorStored, Parameters());
}

EffectSourceFactory LSVCompressorDlg::Effect() const {
    return EffectSource(Parameters());
}

}  // namespace sonvara
