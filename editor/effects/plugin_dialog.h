#pragma once
// LPluginDlg: the dialog of an LV2 plug-in's values, made from its control ports. Each control is
// a row named after the port (with its unit): a check box for an on/off port, a list for one
// whose values are named, a whole number for an integer port, and otherwise a slider beside a
// number, on a logarithmic scale where the port asks for one. The plug-in's own presets come
// first in a list ("Preajuste"), with its defaults. The dialog starts from the values kept for
// the plug-in and keeps the values accepted (a failed write is told; the effect still runs).
// With a preview, "Ver antes" plays the plug-in with the values as they stand, and every change
// is heard at once. Many controls scroll.

#include <QDialog>
#include <vector>

#include "core/prompts.h"
#include "effects/registry/effect_entry.h"
#include "lv2/plugin_description.h"
#include "lv2/plugin_presets.h"

class QComboBox;
class QWidget;

namespace sonvara {

class LEffectPreview;
class PreviewButton;

class LPluginDlg : public QDialog {
    Q_OBJECT

  public:
    // `plugin` and `preview` (null: no preview button) outlive the dialog.
    LPluginDlg(const PluginDescription& plugin, Prompts& prompts, LEffectPreview* preview,
               QWidget* parent);
    ~LPluginDlg() override;

    // The values as they stand: one per control, in order.
    std::vector<float> ControlValues() const;
    void SetControlValues(const std::vector<float>& values);
    // The values as the plug-in's effect takes them (its settings' text).
    EffectValues Values() const;

  public slots:
    void accept() override;

  private:
    // One control's widget and how it reads and shows a value.
    struct Control;
    QWidget* MakeControl(const PluginControl& control, Control& made);
    void ChoosePreset(int index);
    void ValuesChanged();

    const PluginDescription& plugin_;
    Prompts& prompts_;
    std::vector<PluginPreset> presets_;
    std::vector<Control> controls_;
    QComboBox* preset_list_ = nullptr;
    LEffectPreview* preview_;
    PreviewButton* preview_button_ = nullptr;
    bool showing_ = false;  // while values are being shown, not changed by the user
};

}  // namespace sonvara
