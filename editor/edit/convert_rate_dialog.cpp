#include "editor/edit/convert_rate_dialog.h"

#include <QComboBox>
#include <QVBoxLayout>

#include "editor/common/dialog_parts.h"
#include "effects/effect_parameters.h"

namespace sonvara {

LSVConvertSample::LSVConvertSample(Prompts& prompts, QWidget* parent)
    : QDialog(parent), prompts_(prompts) {
    setObjectName("LSVConvertSample");
    setWindowTitle("Convertir la Tasa de Muestra");
    auto* layout = new QVBoxLayout(this);
    rate_field_ = MakeRateField(*this, ReadStoredValue(kConvertSampleRate));
    layout->addWidget(rate_field_);
    AddOkCancelButtons(*this, *layout);
}

void LSVConvertSample::accept() {
    const std::optional<int> rate = CheckedRate(*rate_field_, prompts_);
    if (!rate) {
        return;
    }
    rate_ = *rate;
    WriteStoredValue(kConvertSampleRate, rate_);
    QDialog::accept();
}

}  // namespace sonvara
