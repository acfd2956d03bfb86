#include "editor/effects/effect_dialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <string>

#include "editor/common/dialog_parts.h"
#include "editor/common/preview_button.h"

namespace sonvara {
namespace {

QString Text(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

LSVEffectDlg::LSVEffectDlg(const EffectEntry& effect, Prompts& prompts, LEffectPreview* preview,
                           EffectPlace place, QWidget* parent)
    : QDialog(parent),
      effect_(effect),
      prompts_(prompts),
      place_(place),
      form_(new QFormLayout),
      fields_(effect.fields.size(), nullptr),
      preview_(preview) {
    const QString title = Text(effect.names.undo);
    setObjectName(Text(effect.dialog_name));
    setWindowTitle(title);
    // Wide enough for the caption, which names the effect, to show whole in the title bar.
    setMinimumWidth(std::max(300, fontMetrics().horizontalAdvance(title) * 3 / 2 + 100));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form_);

    const EffectValues stored = ReadStoredValues(effect.fields);
    std::vector<std::size_t> order = effect.dialog_order;
    if (order.empty()) {
        for (std::size_t i = 0; i < effect.fields.size(); ++i) {
            order.push_back(i);
        }
    }
    for (const std::size_t index : order) {
        const EffectField& field = effect.fields[index];
        const int value = stored.numbers[index];
        if (field.choices.empty()) {
            auto* number = new QSpinBox(this);
            number->setObjectName(Text(field.setting.key));
            number->setRange(field.lowest, field.highest);
            number->setValue(value);
            connect(number, &QSpinBox::valueChanged, this, &LSVEffectDlg::ValuesChanged);
            fields_[index] = number;
            if (field.suggestions.empty()) {
                form_->addRow(Text(field.label), number);
                continue;
            }
            // The common values beside the number: picking one sets it.
            auto* row = new QHBoxLayout;
            row->addWidget(number, 1);
            auto* common = new QComboBox(this);
            common->setObjectName(Text(field.setting.key + "Common"));
            common->addItem("Valores habituales");
            for (const auto& [suggested, text] : field.suggestions) {
                common->addItem(Text(text), suggested);
            }
            connect(common, &QComboBox::activated, number, [number, common](int chosen) {
                if (chosen > 0) {
                    number->setValue(common->itemData(chosen).toInt());
                }
            });
            row->addWidget(common);
            form_->addRow(Text(field.label), row);
        } else {
            auto* choice = new QComboBox(this);
            choice->setObjectName(Text(field.setting.key));
            for (const std::string& text : field.choices) {
                choice->addItem(Text(text));
            }
            // A stored value outside the list shows no choice, and is refused until one is made.
            choice->setCurrentIndex(value);
            form_->addRow(Text(field.label), choice);
            connect(choice, &QComboBox::currentIndexChanged, this, &LSVEffectDlg::ValuesChanged);
            fields_[index] = choice;
        }
    }

    if (preview_ != nullptr && effect.preview) {
        preview_button_ = new PreviewButton(
            *preview_,
            [this]() -> std::optional<EffectSourceFactory> {
                const EffectValues values = Values();
                if (!effect_.Check(values)) {
                    return std::nullopt;
                }
                EffectSourceFactory factory = effect_.preview(values, place_);
                if (!factory) {
                    return std::nullopt;
                }
                return factory;
            },
            this);
        layout->addWidget(preview_button_);
    }
    AddOkCancelButtons(*this, *layout);
}

EffectValues LSVEffectDlg::Values() const {
    EffectValues values;
    for (QWidget* field : fields_) {
        if (auto* number = qobject_cast<QSpinBox*>(field)) {
            values.numbers.push_back(number->value());
        } else if (auto* choice = qobject_cast<QComboBox*>(field)) {
            values.numbers.push_back(choice->currentIndex());
        }
    }
    return values;
}

void LSVEffectDlg::SetValues(const EffectValues& values) {
    for (std::size_t i = 0; i < fields_.size() && i < values.numbers.size(); ++i) {
        const int value = values.numbers[i];
        if (auto* number = qobject_cast<QSpinBox*>(fields_[i])) {
            number->setValue(value);
        } else if (auto* choice = qobject_cast<QComboBox*>(fields_[i])) {
            choice->setCurrentIndex(value < choice->count() ? value : -1);
        }
    }
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
    const EffectValues values = Values();
    if (!PassesCheck(effect_.Check(values), prompts_)) {
        return;
    }
    if (!WriteStoredValues(effect_.fields, values)) {
        TellValuesNotStored(prompts_);
    }
    QDialog::accept();
}

}  // namespace sonvara
