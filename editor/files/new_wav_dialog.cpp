#include "editor/files/new_wav_dialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/settings.h"
#include "editor/common/dialog_parts.h"
#include "editor/common/settings_writes.h"

namespace sonvara {

NewWavDlg::NewWavDlg(Prompts& prompts, QWidget* parent, const NewWavSettings& settings)
    : QDialog(parent), prompts_(prompts), settings_(settings) {
    setObjectName("NewWavDlg");
    setWindowTitle(settings_.caption);
    auto* layout = new QVBoxLayout(this);
    rate_field_ = MakeRateField(*this, ReadInt("Settings", settings_.rate, 44100));
    auto* rate_row = new QFormLayout;
    rate_row->addRow("&Tasa de muestra (Hz):", rate_field_);
    layout->addLayout(rate_row);
    mono_ = new QRadioButton("Mono (Single)", this);
    stereo_ = new QRadioButton("Estéreo (Dual)", this);
    mono_->setObjectName("mono");
    stereo_->setObjectName("stereo");
    (ReadInt("Settings", settings_.channels, 1) == 2 ? stereo_ : mono_)->setChecked(true);
    layout->addWidget(mono_);
    layout->addWidget(stereo_);
    AddOkCancelButtons(*this, *layout);
}

void NewWavDlg::accept() {
    const std::optional<int> rate = CheckedRate(*rate_field_, prompts_);
    if (!rate) {
        return;
    }
    rate_ = *rate;
    channels_ = stereo_->isChecked() ? 2 : 1;
    SettingsWrites writes("Settings");
    writes.Int(settings_.rate, rate_);
    writes.Int(settings_.channels, channels_);
    if (writes.Report(prompts_)) {
        QDialog::accept();
    }
}

}  // namespace sonvara
