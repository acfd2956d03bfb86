#pragma once
// LSVEffectDlg: the dialog of an effect's values, built from its registry entry. It is captioned
// with the effect's name, starts from the stored values and shows one field per value (a number,
// or a list for a choice), each named after the setting it is kept in. On OK the values go
// through the effect's check: a refused value shows its message (captioned "Valor no válido")
// and the dialog stays open; accepted values are stored back (a failed write is told, and the
// effect still runs with them). With a preview, the "Ver antes" button plays the effect of the
// values as they stand, and every change of a field is heard at once.

#include <QDialog>
#include <vector>

#include "core/prompts.h"
#include "effects/registry/effect_entry.h"

class QComboBox;
class QFormLayout;
class QSpinBox;
class QWidget;

namespace sonvara {

class LEffectPreview;
class PreviewButton;

class LSVEffectDlg : public QDialog {
    Q_OBJECT

  public:
    // `effect` outlives the dialog; `preview` (null: no preview button) too. The preview plays
    // the effect over `place`.
    LSVEffectDlg(const EffectEntry& effect, Prompts& prompts, LEffectPreview* preview,
                 EffectPlace place, QWidget* parent);

    // The fields' values in the effect's field order.
    EffectValues Values() const;
    // Shows `values` (in field order) in the fields.
    void SetValues(const EffectValues& values);
    // The field named `name` (each field's object name is its setting's key), or null.
    QSpinBox* NumberField(const char* name) const;

  public slots:
    void accept() override;

  private:
    void ValuesChanged();

    const EffectEntry& effect_;
    Prompts& prompts_;
    EffectPlace place_;
    QFormLayout* form_;
    std::vector<QWidget*> fields_;  // in the effect's field order
    LEffectPreview* preview_;
    PreviewButton* preview_button_ = nullptr;
};

}  // namespace sonvara
