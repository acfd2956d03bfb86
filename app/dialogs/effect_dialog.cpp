#include "app/dialogs/effect_dialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QSpinBox>
#include <QVBoxLayout>
#include <string>

#include "app/dialogs/dialog_parts.h"
#include "effects/effect_parameters.h"

namespace sonvara {

LSVEffectDlg::LSVEffectDlg(const QString& title, Prompts& prompts, QWidget* parent)
    : QDialog(parent), prompts_(prompts), fields_(new QFormLayout) {
    setWindowTitle(title);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields_);
}

QSpinBox* LSVEffectDlg::AddNumber(const char* name, const QString& label, int value,
                                  FieldRange range) {
    auto* field = new QSpinBox(this);
    field->setObjectName(name);
    field->setRange(range.lowest, range.highest);
    field->setValue(value);
    fields_->addRow(label, field);
    return field;
}

QComboBox* LSVEffectDlg::AddChoice(const char* name, const QString& label, const QStringList& items,
                                   int index) {
    auto* field = new QComboBox(this);
    field->setObjectName(name);
    field->addItems(items);
    field->setCurrentIndex(index);
    fields_->addRow(label, field);
    return field;
}

void LSVEffectDlg::AddButtons() {
    AddOkCancelButtons(*this, *static_cast<QVBoxLayout*>(layout()));
}

QSpinBox* LSVEffectDlg::NumberField(const char* name) const {
    return findChild<QSpinBox*>(name);
}

void LSVEffectDlg::accept() {
    const std::string_view refusal = Refusal();
    if (!refusal.empty()) {
        prompts_.Ask({std::string(kInvalidValueCaption), std::string(refusal),
                      PromptIcon::kInformation, PromptButtons::kOk});
        return;
    }
    if (!Store()) {
        prompts_.Ask({"Error",
                      "No se pudieron guardar los valores en la configuración; el efecto se "
                      "aplica igualmente.",
                      PromptIcon::kWarning, PromptButtons::kOk});
    }
    QDialog::accept();
}

}  // namespace sonvara
