#pragma once
// LSVEffectDlg: what the dialogs of the effects with values share. Each dialog starts from the
// stored values, shows one field per value, and on OK checks the values with the effect's own
// check: a refused value shows its message (captioned "Valor no válido") and the dialog stays
// open; accepted values are stored back (a failed write is told, and the effect still runs with
// them). With a preview, the "Ver antes" button plays the effect of the values as they stand,
// and every change of a field is heard at once.

#include <QDialog>
#include <optional>
#include <string_view>

#include "core/prompts.h"
#include "effects/effect_process.h"

class QComboBox;
class QFormLayout;
class QSpinBox;

namespace sonvara {

class LEffectPreview;
class PreviewButton;

// What a field can hold; the effect's check decides what is accepted. Percents travel to the
// effects as 16-bit values and decibels as signed bytes.
struct FieldRange {
    int lowest;
    int highest;
};
inline constexpr FieldRange kPercentField{-32768, 32767};
inline constexpr FieldRange kDecibelField{-128, 127};
inline constexpr FieldRange kMillisecondsField{-99999, 99999};
inline constexpr FieldRange kFrequencyField{0, 99999};

class LSVEffectDlg : public QDialog {
    Q_OBJECT

  public:
    // The field named `name` (each field's object name is its value's name), or null.
    QSpinBox* NumberField(const char* name) const;

  public slots:
    void accept() override;

  protected:
    // `preview` (null: no preview button) must outlive the dialog.
    LSVEffectDlg(const QString& title, Prompts& prompts, LEffectPreview* preview, QWidget* parent);

    // A whole-number field showing `value`.
    QSpinBox* AddNumber(const char* name, const QString& label, int value, FieldRange range);
    // A list field showing item `index` of `items`.
    QComboBox* AddChoice(const char* name, const QString& label, const QStringList& items,
                         int index);
    // The preview button (with a preview), OK and Cancel; the last call of a derived
    // constructor.
    void AddButtons();

    // The effect's check of the fields' values: "" when accepted, else the message.
    virtual std::string_view Refusal() const = 0;
    // Stores the fields' values; false when the settings could not be written.
    virtual bool Store() const = 0;
    // The effect of the fields' values, for the preview; called only for accepted values.
    virtual EffectSourceFactory Effect() const = 0;

  private:
    void ValuesChanged();

    Prompts& prompts_;
    QFormLayout* fields_;
    LEffectPreview* preview_;
    PreviewButton* preview_button_ = nullptr;
};

}  // namespace sonvara
