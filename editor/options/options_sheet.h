#pragma once
// LOptionsSheet: the "Opciones" sheet, one tab per page. A page reads its settings when it is first
// shown and writes them when the sheet is confirmed; a page never shown does neither. OK stores the
// shown pages in their order and closes the sheet only when all were stored: a page that could not
// store its settings has told the user why, and the sheet stays open on it. The settings of all
// pages are written together at the end, so that a page that fails leaves every setting as it
// was (the key macros' file and the desktop's file types, stored by their pages, are apart).

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "core/prompts.h"
#include "editor_model/macro_keys.h"

class QTabWidget;

namespace sonvara {

class LAudioProcessPage;
class WaveInProvider;
class WaveOutProvider;

class LOptionsSheet : public QDialog {
    Q_OBJECT

  public:
    // What the pages need: the machine's sound outputs and inputs, the prompts, the editor's own
    // path (which the file types registered for the desktop start) and the editor's key macros.
    struct Context {
        WaveOutProvider& outputs;
        WaveInProvider& inputs;
        Prompts& prompts;
        std::string program;
        std::vector<LSVMacroKeys>& macros;
    };

    LOptionsSheet(const Context& context, QWidget* parent);

    QTabWidget* Pages() const { return tabs_; }
    // Whether the confirmed sheet changed the working folder, which takes a restart.
    bool WorkingFolderChanged() const;

  public slots:
    void accept() override;

  private:
    struct Page {
        QWidget* widget;
        std::function<void()> load;
        std::function<bool()> store;
        bool shown = false;
    };

    // The pages in their order.
    void AddPages(const Context& context);
    // A page titled `title`: `load` shows its stored settings, `store` stores them (false after
    // telling the user what could not be stored).
    void AddPage(QWidget* page, const QString& title, std::function<void()> load,
                 std::function<bool()> store);
    // Loads the page at `index` when it is shown for the first time.
    void PageShown(int index);

    Prompts& prompts_;
    QTabWidget* tabs_;
    std::vector<Page> pages_;
    LAudioProcessPage* audio_ = nullptr;
};

}  // namespace sonvara
