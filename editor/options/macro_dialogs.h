#pragma once
// The dialogs that edit one key macro: SelectKeysMacroDlg ("Seleccione las teclas/Macros": the
// key combination with "Cambiar", which asks it in LKeyChangeDlg, and the macro's commands with
// "Añadir" and "Eliminar") and AddKeysCommandDlg, the list of the commands a macro can hold.

#include <QDialog>
#include <cstdint>
#include <vector>

#include "editor_model/macro_keys.h"

class QLineEdit;
class QListWidget;
class QPushButton;

namespace sonvara {

class AddKeysCommandDlg : public QDialog {
    Q_OBJECT

  public:
    explicit AddKeysCommandDlg(QWidget* parent = nullptr);

    // The commands selected, in the list's order; fixed when the dialog is accepted.
    const std::vector<std::uint32_t>& Selected() const { return selected_; }
    QListWidget* List() const { return list_; }

    void accept() override;

  private:
    QListWidget* list_;
    std::vector<std::uint32_t> selected_;
};

class SelectKeysMacroDlg : public QDialog {
    Q_OBJECT

  public:
    // Edits a copy of `macro`; OK needs a key combination and at least one command.
    explicit SelectKeysMacroDlg(const LSVMacroKeys& macro, QWidget* parent = nullptr);

    const LSVMacroKeys& Macro() const { return macro_; }

  public slots:
    // Asks the key combination in LKeyChangeDlg.
    void CmChangeKey();
    // Appends the commands chosen in AddKeysCommandDlg, up to a macro's limit.
    void CmAddCommand();
    // Removes the selected commands.
    void CmRemoveCommand();

  private:
    void Show();

    LSVMacroKeys macro_;
    QLineEdit* key_field_;
    QListWidget* commands_;
    QPushButton* ok_;
};

// The name a macro list shows for command `id` (its number when it is none of the commands a
// macro can hold).
QString MacroCommandText(std::uint32_t id);

}  // namespace sonvara
