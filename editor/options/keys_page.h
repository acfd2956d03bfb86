#pragma once
// LKeysPage, the "Teclas" page of the options: the key macros, one row each with its keys and its
// commands, added, removed and changed through SelectKeysMacroDlg. The page's first showing reads
// "keys.dat" into the editor's macro list (a file of another version: the message, and no
// macros); the page edits a copy, and CmOk writes the file and, once it is in place, gives the
// frame the edited list. A page never shown neither reads nor writes. Interface thread only.

#include <QWidget>
#include <vector>

#include "core/prompts.h"
#include "editor_model/macro_keys.h"

class QPushButton;
class QTreeWidget;

namespace sonvara {

class LKeysPage : public QWidget {
    Q_OBJECT

  public:
    // `frame_macros` (the editor's list) and `prompts` must outlive the page.
    LKeysPage(std::vector<LSVMacroKeys>& frame_macros, Prompts& prompts, QWidget* parent = nullptr);

    // Writes "keys.dat" and hands the list to the frame (nothing when the page was never shown).
    // False, after saying so, when the file cannot be written: the frame keeps its list and the
    // sheet should stay open.
    bool CmOk();

    const std::vector<LSVMacroKeys>& Macros() const { return macros_; }
    QTreeWidget* List() const { return list_; }

  public slots:
    void CmAddKeysMacros();
    // Asks first, then removes every selected macro.
    void CmRemoveKeysMacros();
    // Edits the current macro.
    void CmChangeKeysMacros();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void InitDialog();
    void InitList();
    void EnableButtons();

    std::vector<LSVMacroKeys>& frame_macros_;
    Prompts& prompts_;
    std::vector<LSVMacroKeys> macros_;
    bool opened_ = false;
    QTreeWidget* list_;
    QPushButton* remove_;
    QPushButton* change_;
};

}  // namespace sonvara
