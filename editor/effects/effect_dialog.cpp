#include "editor/effects/effect_dialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <string>

#include "editor/common/dialog_parts.h"
#include "editor/common/preview_button.h"
#include "effects/effect_parameters.h"

namespace sonvara {

LSVEffectDlg::LSVEffectDlg(const QString& title, Prompts& prompts, LEffectPreview* preview,
                           QWidget* parent)
    : QDialog(parent), prompts_(prompts), fields_(new QFormLayout), preview_(preview) {
    setWindowTitle(title);
    // Wide enough for the caption, which names the effect, to show whole in the title bar.
    setMinimumWidth(std::max(300, fontMetrics().horizontalAdvance(title) * 3 / 2 + 100));
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
    connect(field, &QSpinBox::valueChanged, this, &LSVEffectDlg::ValuesChanged);
    return field;
}

QComboBox* LSVEffectDlg::AddChoice(const char* name, const QString& label, const QStringList& items,
                                   int index) {
    auto* field = new QComboBox(this);
    field->setObjectName(name);
    field->addItems(items);
    field->setCurrentIndex(index);
    fields_->addRow(label, field);
    connect(field, &QComboBox::currentIndexChanged, this, &LSVEffectDlg::ValuesChanged);
    return field;
}

void LSVEffectDlg::AddButtons() {
    auto* layout = static_cast<QVBoxLayout*>(this->layout());
    if (preview_ != nullptr) {
        preview_button_ = new PreviewButton(
            *preview_,
            [this]() -> std::optional<EffectSourceFactory> {
                if (!Refusal().empty()) {
                    return std::nullopt;
                }
                return Effect();
            },
            this);
        layout->addWidget(preview_button_);
    }
    AddOkCancelButtons(*this, *layout);
}

QSpinBox* LSVEffectDlg::NumberField(const char* name) const {
    return findChild<QSpinBox*>(name);
}

void LSVEffectDlg::ValuesChanged() {
    if (preview_button_ != nullptr) {
        preview_button_->ValuesChanged();
    }
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
