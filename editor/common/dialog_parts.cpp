#include "editor/common/dialog_parts.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QIntValidator>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <algorithm>
#include <string>

#include "effects/effect_parameters.h"

namespace sonvara {

QComboBox* MakeRateField(QDialog& dialog, int rate) {
    auto* field = new QComboBox(&dialog);
    field->setObjectName("rate");
    field->setEditable(true);
    for (const char* offered : {"6000", "8000", "11025", "16000", "22050", "32000", "44100",
                                "48000", "64000", "88200", "96000"}) {
        field->addItem(offered);
    }
    field->setEditText(QString::number(rate));
    return field;
}

std::optional<int> CheckedRate(const QComboBox& field, Prompts& prompts) {
    bool number = false;
    const int rate = field.currentText().trimmed().toInt(&number);
    if (!number || rate < 6000 || rate > 96000) {
        prompts.Ask({"Error",
                     "Las tasas de muestra deben estar entre 6000 y 96000 muestras por segundo.",
                     PromptIcon::kError, PromptButtons::kOk});
        return std::nullopt;
    }
    return rate;
}

QLineEdit* MakeNumberField(QDialog& dialog, const char* name, int value) {
    auto* field = new QLineEdit(QString::number(value), &dialog);
    field->setObjectName(name);
    field->setValidator(new QIntValidator(field));
    return field;
}

std::optional<int> NumberIn(const QLineEdit& field, Prompts& prompts) {
    bool number = false;
    const int value = field.text().trimmed().toInt(&number);
    if (!number) {
        PassesCheck("Escriba un número entero. Por favor, intente de nuevo.", prompts);
        return std::nullopt;
    }
    return value;
}

bool PassesCheck(std::string_view refusal, Prompts& prompts) {
    if (refusal.empty()) {
        return true;
    }
    prompts.Ask({std::string(kInvalidValueCaption), std::string(refusal), PromptIcon::kInformation,
                 PromptButtons::kOk});
    return false;
}

bool PassesCheck(const Result<void>& check, Prompts& prompts) {
    if (check) {
        return true;
    }
    prompts.Ask({std::string(kInvalidValueCaption), check.Message(), PromptIcon::kInformation,
                 PromptButtons::kOk});
    return false;
}

void TellValuesNotStored(Prompts& prompts) {
    prompts.Ask({"Error",
                 "No se pudieron guardar los valores en la configuración; el efecto se aplica "
                 "igualmente.",
                 PromptIcon::kWarning, PromptButtons::kOk});
}

void SpanishButtons(QDialogButtonBox& box) {
    if (QPushButton* ok = box.button(QDialogButtonBox::Ok)) {
        ok->setText("Aceptar");
    }
    if (QPushButton* cancel = box.button(QDialogButtonBox::Cancel)) {
        cancel->setText("Cancelar");
    }
    if (QPushButton* help = box.button(QDialogButtonBox::Help)) {
        help->setText("Ayuda");
    }
}

QDialogButtonBox* AddOkCancelButtons(QDialog& dialog, QLayout& layout) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    SpanishButtons(*buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout.addWidget(buttons);
    return buttons;
}

std::vector<std::size_t> SelectedRows(const QTreeWidget& list) {
    std::vector<std::size_t> rows;
    for (QTreeWidgetItem* item : list.selectedItems()) {
        rows.push_back(static_cast<std::size_t>(list.indexOfTopLevelItem(item)));
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

void BringForward(QWidget& window) {
    window.show();
    window.raise();
    window.activateWindow();
}

}  // namespace sonvara
