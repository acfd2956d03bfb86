#include "editor/edit/paste_mix_dialog.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

#include "editor/common/dialog_parts.h"
#include "effects/mix_paste.h"

namespace sonvara {

LSVPasteFileMixDlg::LSVPasteFileMixDlg(const QString& title, bool stereo, bool selection,
                                       Prompts& prompts, QWidget* parent)
    : QDialog(parent), prompts_(prompts), parameters_(ReadStored(kMixPasteStored)) {
    setObjectName("LSVPasteFileMixDlg");
    setWindowTitle(title);
    parameters_.balance = 50;
    auto* layout = new QVBoxLayout(this);

    auto* form = new QFormLayout;
    volume_ = MakeNumberField(*this, "volume", parameters_.volume_percent);
    form->addRow("Volumen de la mezcla (%):", volume_);
    layout->addLayout(form);

    auto* longer = new QGroupBox("Si la mezcla es más larga que la selección", this);
    auto* choices = new QVBoxLayout(longer);
    modes_[MIXMODE_INSERTSILENCE] = new QRadioButton("Insertar silencio tras la selección", longer);
    modes_[MIXMODE_EXTENDSELECTION] =
        new QRadioButton("Mezclar también sobre el audio que sigue", longer);
    modes_[MIXMODE_FADEMIXOUT] = new QRadioButton("Cortarla al final de la selección", longer);
    modes_[MIXMODE_INSERTSILENCE]->setObjectName("insertSilence");
    modes_[MIXMODE_EXTENDSELECTION]->setObjectName("extendSelection");
    modes_[MIXMODE_FADEMIXOUT]->setObjectName("fadeOut");
    for (QRadioButton* mode : modes_) {
        choices->addWidget(mode);
    }
    auto* fade_row = new QHBoxLayout;
    fade_row->addSpacing(24);
    fade_row->addWidget(new QLabel("con un fundido de", longer));
    fade_ = MakeNumberField(*this, "fade", parameters_.fade_frames);
    fade_row->addWidget(fade_);
    fade_row->addWidget(new QLabel("muestras", longer));
    choices->addLayout(fade_row);
    layout->addWidget(longer);
    int mode = parameters_.mode;
    if (mode < MIXMODE_INSERTSILENCE || mode > MIXMODE_FADEMIXOUT) {
        mode = MIXMODE_INSERTSILENCE;
    }
    if (!selection) {
        modes_[MIXMODE_FADEMIXOUT]->setEnabled(false);
        if (mode == MIXMODE_FADEMIXOUT) {
            mode = MIXMODE_EXTENDSELECTION;
        }
    }
    modes_[mode]->setChecked(true);
    fade_->setEnabled(mode == MIXMODE_FADEMIXOUT);
    connect(modes_[MIXMODE_FADEMIXOUT], &QRadioButton::toggled, fade_, &QLineEdit::setEnabled);

    if (stereo) {
        auto* balance = new QGroupBox("Balance", this);
        auto* row = new QHBoxLayout(balance);
        balance_ = new QSlider(Qt::Horizontal, balance);
        balance_->setObjectName("balance");
        balance_->setRange(0, 100);
        balance_->setValue(50);
        balance_->setTickPosition(QSlider::TicksBelow);
        balance_->setTickInterval(50);
        row->addWidget(new QLabel("Izquierda", balance));
        row->addWidget(balance_, 1);
        row->addWidget(new QLabel("Derecha", balance));
        layout->addWidget(balance);
    }
    AddOkCancelButtons(*this, *layout);
}

int LSVPasteFileMixDlg::CheckedMode() const {
    for (int mode = MIXMODE_INSERTSILENCE; mode <= MIXMODE_FADEMIXOUT; ++mode) {
        if (modes_[mode]->isChecked()) {
            return mode;
        }
    }
    return MIXMODE_INSERTSILENCE;
}

void LSVPasteFileMixDlg::accept() {
    const std::optional<int> volume = NumberIn(*volume_, prompts_);
    if (!volume) {
        return;
    }
    MixPasteParameters parameters = parameters_;
    parameters.volume_percent = *volume;
    parameters.mode = CheckedMode();
    if (parameters.mode == MIXMODE_FADEMIXOUT) {
        const std::optional<int> fade = NumberIn(*fade_, prompts_);
        if (!fade) {
            return;
        }
        parameters.fade_frames = *fade;
    }
    parameters.balance = balance_ != nullptr ? balance_->value() : 50;
    if (!PassesCheck(Check(parameters), prompts_)) {
        return;
    }
    parameters_ = parameters;
    // The fade is kept only when it was chosen: parameters_ still holds the stored one otherwise.
    // A value that cannot be stored is only not offered next time.
    WriteStored(kMixPasteStored, parameters_);
    QDialog::accept();
}

}  // namespace sonvara
