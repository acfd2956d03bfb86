#include "app/convert_rate_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/settings.h"

namespace sonvara {

LSVConvertSample::LSVConvertSample(Prompts& prompts, QWidget* parent)
    : QDialog(parent), prompts_(prompts) {
    setObjectName("LSVConvertSample");
    setWindowTitle("Convertir la Tasa de Muestra");
    auto* layout = new QVBoxLayout(this);
    rate_field_ = new QComboBox(this);
    rate_field_->setObjectName("rate");
    rate_field_->setEditable(true);
    for (const char* rate : {"6000", "8000", "11025", "16000", "22050", "32000", "44100", "48000",
                             "64000", "88200", "96000"}) {
        rate_field_->addItem(rate);
    }
    rate_field_->setEditText(QString::number(ReadInt("StoreValues", "ConvertSampleRate", 44100)));
    layout->addWidget(rate_field_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText("Aceptar");
    buttons->button(QDialogButtonBox::Cancel)->setText("Cancelar");
    connect(buttons, &QDialogButtonBox::accepted, this, &LSVConvertSample::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &LSVConvertSample::reject);
    layout->addWidget(buttons);
}

void LSVConvertSample::accept() {
    // The rate converter and the cut files need a rate the rest of the editor can make; a typed
    // 0 or 5 would give a document no sink can be made for.
    bool number = false;
    const int rate = rate_field_->currentText().trimmed().toInt(&number);
    if (!number || rate < 6000 || rate > 96000) {
        prompts_.Ask({"Error",
                      "Las tasas de muestra deben estar entre 6000 y 96000 muestras por segundo.",
                      PromptIcon::kError, PromptButtons::kOk});
        return;
    }
    rate_ = rate;
    WriteInt("StoreValues", "ConvertSampleRate", rate_);
    QDialog::accept();
}

}  // namespace sonvara
