#pragma once
// LKeyChangeDlg ("Presionar la Tecla"): waits for the key combination a macro is bound to. The
// first press of a key other than Shift, Ctrl, Alt, Escape and Enter is taken, with the modifiers
// held, and closes the dialog; Escape and the button cancel, and a held key's repeats are ignored.

#include <QDialog>
#include <cstdint>
#include <optional>

namespace sonvara {

class LKeyChangeDlg : public QDialog {
    Q_OBJECT

  public:
    explicit LKeyChangeDlg(QWidget* parent = nullptr);

    // The key value taken; nothing when the dialog was cancelled.
    std::optional<std::uint32_t> Key() const { return key_; }

  protected:
    bool event(QEvent* event) override;

  private:
    std::optional<std::uint32_t> key_;
};

}  // namespace sonvara
