#include "editor/effects/plugin_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QScrollArea>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <functional>

#include "editor/common/dialog_parts.h"
#include "editor/common/preview_button.h"
#include "lv2/plugin_effect.h"
#include "lv2/plugin_settings.h"

namespace sonvara {
namespace {

constexpr int kSliderSteps = 1000;
// More rows than this scroll.
constexpr int kRowsWithoutScroll = 12;

// A slider's place for `value` of `control`, and back: linear, or logarithmic where asked.
int SliderPlace(const PluginControl& control, float value) {
    const double low = control.minimum;
    const double high = control.maximum;
    if (high <= low) {
        return 0;
    }
    const double t = control.logarithmic ? std::log(value / low) / std::log(high / low)
                                         : (value - low) / (high - low);
    return static_cast<int>(std::lround(std::clamp(t, 0.0, 1.0) * kSliderSteps));
}

float SliderValue(const PluginControl& control, int place) {
    const double t = static_cast<double>(place) / kSliderSteps;
    const double low = control.minimum;
    const double high = control.maximum;
    return static_cast<float>(control.logarithmic ? low * std::pow(high / low, t)
                                                  : low + (high - low) * t);
}

// Decimals enough to tell the slider's steps apart where they are closest.
int DecimalsFor(const PluginControl& control) {
    const double step =
        control.logarithmic
            ? control.minimum *
                  (std::pow(control.maximum / control.minimum, 1.0 / kSliderSteps) - 1)
            : (double{control.maximum} - control.minimum) / kSliderSteps;
    return std::clamp(static_cast<int>(std::ceil(-std::log10(std::max(step, 1e-6)))), 0, 3);
}

}  // namespace

struct LPluginDlg::Control {
    std::function<float()> read;
    std::function<void(float)> show;
};

LPluginDlg::LPluginDlg(const PluginDescription& plugin, Prompts& prompts, LEffectPreview* preview,
                       QWidget* parent)
    : QDialog(parent),
      plugin_(plugin),
      prompts_(prompts),
      presets_(PluginPresets(plugin.uri)),
      preview_(preview) {
    setObjectName("LPluginDlg");
    const QString title = QString::fromStdString(plugin.name);
    setWindowTitle(title);
    setMinimumWidth(std::max(420, fontMetrics().horizontalAdvance(title) * 3 / 2 + 100));
    auto* layout = new QVBoxLayout(this);

    auto* top = new QFormLayout;
    preset_list_ = new QComboBox(this);
    preset_list_->setObjectName("presets");
    preset_list_->addItem("Valores por defecto del complemento");
    for (const PluginPreset& preset : presets_) {
        preset_list_->addItem(QString::fromStdString(preset.label));
    }
    preset_list_->setCurrentIndex(-1);
    preset_list_->setPlaceholderText("Valores guardados");
    connect(preset_list_, &QComboBox::activated, this, &LPluginDlg::ChoosePreset);
    top->addRow("Preajuste:", preset_list_);
    layout->addLayout(top);

    auto* controls = new QWidget;
    auto* form = new QFormLayout(controls);
    controls_.resize(plugin.controls.size());
    for (std::size_t c = 0; c < plugin.controls.size(); ++c) {
        const PluginControl& control = plugin.controls[c];
        const std::string label =
            control.name + (control.unit.empty() ? "" : " (" + control.unit + ")") + ":";
        form->addRow(QString::fromStdString(label), MakeControl(control, controls_[c]));
    }
    if (plugin.controls.empty()) {
        form->addRow(new QWidget);  // nothing to set: the dialog asks to apply it
    }
    if (static_cast<int>(plugin.controls.size()) > kRowsWithoutScroll) {
        auto* scroll = new QScrollArea(this);
        scroll->setWidget(controls);
        scroll->setWidgetResizable(true);
        scroll->setMinimumHeight(form->sizeHint().height() * kRowsWithoutScroll /
                                 static_cast<int>(plugin.controls.size()));
        layout->addWidget(scroll, 1);
    } else {
        layout->addWidget(controls);
    }

    const Result<std::vector<float>> stored =
        sonvara::ControlValues(plugin, StoredPluginSettings(plugin));
    SetControlValues(stored ? *stored : std::vector<float>{});

    if (preview_ != nullptr) {
        preview_button_ = new PreviewButton(
            *preview_,
            [this]() -> std::optional<EffectSourceFactory> {
                const Result<PluginRun> run = ResolvePlugin(Values().text);
                if (!run) {
                    return std::nullopt;
                }
                return PluginEffectSource(*run);
            },
            this);
        layout->addWidget(preview_button_);
    }
    AddOkCancelButtons(*this, *layout);
}

LPluginDlg::~LPluginDlg() = default;

QWidget* LPluginDlg::MakeControl(const PluginControl& control, Control& made) {
    const QString name = QString::fromStdString(control.symbol);
    if (control.toggled) {
        auto* box = new QCheckBox(this);
        box->setObjectName(name);
        made.read = [box, &control] {
            return box->isChecked() ? control.maximum : control.minimum;
        };
        made.show = [box, &control](float value) {
            box->setChecked(control.Clamp(value) > control.minimum);
        };
        connect(box, &QCheckBox::toggled, this, &LPluginDlg::ValuesChanged);
        return box;
    }
    if (control.enumeration && !control.scale_points.empty()) {
        auto* list = new QComboBox(this);
        list->setObjectName(name);
        for (const PluginScalePoint& point : control.scale_points) {
            list->addItem(QString::fromStdString(point.label), point.value);
        }
        made.read = [list] { return list->currentData().toFloat(); };
        made.show = [list, &control](float value) {
            list->setCurrentIndex(list->findData(control.Clamp(value)));
        };
        connect(list, &QComboBox::currentIndexChanged, this, &LPluginDlg::ValuesChanged);
        return list;
    }
    if (control.integer) {
        auto* number = new QSpinBox(this);
        number->setObjectName(name);
        number->setRange(static_cast<int>(std::ceil(control.minimum)),
                         static_cast<int>(std::floor(control.maximum)));
        made.read = [number] { return static_cast<float>(number->value()); };
        made.show = [number](float value) {
            number->setValue(static_cast<int>(std::lround(value)));
        };
        connect(number, &QSpinBox::valueChanged, this, &LPluginDlg::ValuesChanged);
        return number;
    }
    // A slider beside the number, each following the other.
    auto* row = new QWidget(this);
    auto* line = new QHBoxLayout(row);
    line->setContentsMargins(0, 0, 0, 0);
    auto* slider = new QSlider(Qt::Horizontal, row);
    slider->setObjectName(name + "Slider");
    slider->setRange(0, kSliderSteps);
    auto* number = new QDoubleSpinBox(row);
    number->setObjectName(name);
    number->setDecimals(DecimalsFor(control));
    number->setRange(control.minimum, control.maximum);
    number->setSingleStep((double{control.maximum} - control.minimum) / 100);
    // Every number as wide, so the sliders line up.
    number->setMinimumWidth(fontMetrics().horizontalAdvance("-00000.000") + 32);
    line->addWidget(slider, 1);
    line->addWidget(number);
    connect(slider, &QSlider::valueChanged, number, [number, &control](int place) {
        if (SliderPlace(control, static_cast<float>(number->value())) != place) {
            number->setValue(SliderValue(control, place));
        }
    });
    connect(number, &QDoubleSpinBox::valueChanged, this, [this, slider, &control](double value) {
        const QSignalBlocker quiet(slider);
        slider->setValue(SliderPlace(control, static_cast<float>(value)));
        ValuesChanged();
    });
    made.read = [number] { return static_cast<float>(number->value()); };
    made.show = [number, slider, &control](float value) {
        number->setValue(control.Clamp(value));
        const QSignalBlocker quiet(slider);
        slider->setValue(SliderPlace(control, control.Clamp(value)));
    };
    return row;
}

std::vector<float> LPluginDlg::ControlValues() const {
    std::vector<float> values;
    for (std::size_t c = 0; c < controls_.size(); ++c) {
        values.push_back(plugin_.controls[c].Clamp(controls_[c].read()));
    }
    return values;
}

void LPluginDlg::SetControlValues(const std::vector<float>& values) {
    showing_ = true;
    for (std::size_t c = 0; c < controls_.size(); ++c) {
        controls_[c].show(c < values.size() ? values[c] : plugin_.controls[c].default_value);
    }
    showing_ = false;
    ValuesChanged();
}

EffectValues LPluginDlg::Values() const {
    EffectValues values;
    values.text = PluginSettingsText(SettingsOf(plugin_, ControlValues()));
    return values;
}

void LPluginDlg::ChoosePreset(int index) {
    std::vector<float> values;
    for (const PluginControl& control : plugin_.controls) {
        values.push_back(control.default_value);
    }
    if (index > 0 && static_cast<std::size_t>(index) <= presets_.size()) {
        for (const auto& [symbol, value] : presets_[static_cast<std::size_t>(index - 1)].values) {
            if (const PluginControl* control = plugin_.FindControl(symbol)) {
                values[static_cast<std::size_t>(control - plugin_.controls.data())] = value;
            }
        }
    }
    SetControlValues(values);
}

void LPluginDlg::ValuesChanged() {
    if (!showing_ && preview_button_ != nullptr) {
        preview_button_->ValuesChanged();
    }
}

void LPluginDlg::accept() {
    if (!StorePluginSettings(SettingsOf(plugin_, ControlValues()))) {
        TellValuesNotStored(prompts_);
    }
    QDialog::accept();
}

}  // namespace sonvara
