#include "app/new_wav_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/settings.h"

namespace sonvara {

NewWavDlg::NewWavDlg(Prompts& prompts, QWidget* parent) : QDialog(parent), prompts_(prompts) {
    setObjectName("NewWavDlg");
    setWindowTitle("Archivo Nuevo");
    auto* layout = new QVBoxLayout(this);
    rate_field_ = new QComboBox(this);
    rate_field_->setObjectName("rate");
    rate_field_->setEditable(true);
    for (const char* rate : {"6000", "8000", "11025", "16000", "22050", "32000", "44100", "48000",
                             "64000", "88200", "96000"}) {
        rate_field_->addItem(rate);
    }
    rate_field_->setEditText(QString::number(ReadInt("Settings", "SelectedSampleRate", 44100)));
    layout->addWidget(rate_field_);
    mono_ = new QRadioButton("Mono (Single)", this);
    stereo_ = new QRadioButton("Estéreo (Dual)", this);
    mono_->setObjectName("mono");
    stereo_->setObjectName("stereo");
    (ReadInt("Settings", "SelectedChannels", 1) == 2 ? stereo_ : mono_)->setChecked(true);
    layout->addWidget(mono_);
    layout->addWidget(stereo_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText("Aceptar");
    buttons->button(QDialogButtonBox::Cancel)->setText("Cancelar");
    connect(buttons, &QDialogButtonBox::accepted, this, &NewWavDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &NewWavDlg::reject);
    layout->addWidget(buttons);
}

void NewWavDlg::accept() {
    bool number = false;
    const int rate = rate_field_->currentText().trimmed().toInt(&number);
    if (!number || rate < 6000 || rate > 96000) {
        prompts_.Ask({"Error",
                      "Las tasas de muestra deben estar entre 6000 y 96000 muestras por segundo.",
                      PromptIcon::kError, PromptButtons::kOk});
        return;
    }
    rate_ = rate;
    channels_ = stereo_->isChecked() ? 2 : 1;
    WriteInt("Settings", "SelectedSampleRate", rate_);
    WriteInt("Settings", "SelectedChannels", channels_);
    QDialog::accept();
}

}  // namespace sonvara
