#pragma once
// LGeneralPage: the options' "General" page. The file types the editor opens for the desktop (one
// box per type, "DefaultRunWav"... in [Settings]), whether a new file asks its rate and channels
// ("PromptSampleAndChannels"; the button beside edits the rate and channels used otherwise), and
// the playing choices "PlayWhenOpen", "PlayBookMark" and "ReduceVolWhenRewind". The sheet calls
// InitDialog when the page is first shown and CmOk when it is confirmed after that.

#include <QWidget>
#include <string>
#include <vector>

#include "core/prompts.h"

class QCheckBox;
class QPushButton;
class QRadioButton;

namespace sonvara {

class LGeneralPage : public QWidget {
    Q_OBJECT

  public:
    // `program`: the editor's path, which the registered file types start.
    LGeneralPage(Prompts& prompts, std::string program, QWidget* parent = nullptr);

    // Shows the stored settings.
    void InitDialog();
    // Stores the settings, then registers the editor as the opener of the checked types (boxes
    // left unchecked change nothing). False, after telling the user, when a setting or a file of
    // the registration could not be written.
    bool CmOk();

  private slots:
    // The rate and channels of a new file that does not ask ("Activar por Defecto").
    void CmSetDefaults();
    void EnableControls();

  private:
    Prompts& prompts_;
    std::string program_;
    std::vector<QCheckBox*> file_types_;  // in the order of FileTypeChoices()
    QRadioButton* prompt_;
    QRadioButton* use_defaults_;
    QPushButton* set_defaults_;
    QCheckBox* play_when_open_;
    QCheckBox* play_bookmark_;
    QCheckBox* reduce_volume_;
};

}  // namespace sonvara
