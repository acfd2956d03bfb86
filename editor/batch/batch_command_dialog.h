#pragma once
// LSelectBatchCommandDlg: the second page of the batch converter, the list of commands every file
// goes through, in a two-column list ("Comando", "Opciones") over an LBatchCommandList. Lists are
// opened from and saved to batch scripts (".svb"); commands are added (AddBatchCommandDlg),
// removed, given their options in their effect's own dialog (also by a double click), and
// reordered by dragging them in the list. "< Atrás" ends the dialog with kBack.
//
// AddBatchCommandDlg: the 18 commands by name; the ones chosen are appended in list order.

#include <QDialog>
#include <QString>
#include <cstdint>
#include <vector>

#include "batch/batch_command_list.h"
#include "core/prompts.h"

class QLabel;
class QListWidget;
class QPushButton;
class QTreeWidget;

namespace sonvara {

class AddBatchCommandDlg : public QDialog {
    Q_OBJECT

  public:
    explicit AddBatchCommandDlg(QWidget* parent);

    QListWidget* List() const { return list_; }
    // The ids of the chosen commands, in list order.
    std::vector<std::uint32_t> Chosen() const;

  private:
    QListWidget* list_;
};

class LSelectBatchCommandDlg : public QDialog {
    Q_OBJECT

  public:
    static constexpr int kBack = 2;

    // Edits `list`, which must outlive the dialog.
    LSelectBatchCommandDlg(LBatchCommandList& list, Prompts& prompts, QWidget* parent);

    QTreeWidget* Tree() const { return tree_; }
    QLabel* ScriptLabel() const { return script_; }

    // The buttons' actions, with the paths the file dialogs would give.
    void OpenScript(const std::string& path);
    // False when the list was not saved (cancelled or failed).
    bool SaveScript();
    bool SaveScriptAs();
    void NewScript();
    void AddCommands(const std::vector<std::uint32_t>& ids);
    void RemoveSelected();
    // Opens the options of the selected item (one item, of a command with options).
    void EditOptions();
    // Moves the selected items to before row `row` (the count: to the end), as a drop does.
    void MoveSelectedTo(int row);

  protected:
    // The file dialogs and the command chooser; empty when cancelled. Virtual so that a test can
    // answer them.
    virtual QString AskOpenPath();
    virtual QString AskSavePath();
    virtual std::vector<std::uint32_t> AskCommands();

  private:
    // Asks whether a changed list is saved first; false when the user cancelled.
    bool SaveChanges();
    void Refill(const std::vector<int>& selected_rows = {});
    void UpdateButtons();
    std::vector<int> SelectedRows() const;

    LBatchCommandList& list_;
    Prompts& prompts_;
    QLabel* script_;
    QTreeWidget* tree_;
    QPushButton* remove_;
    QPushButton* options_;
};

}  // namespace sonvara
