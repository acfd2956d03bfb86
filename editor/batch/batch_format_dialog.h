#pragma once
// LSelectSaveFormatDlg: the last page of the batch converter, where the results go: in each
// file's own format or in one chosen format (whose own settings the format button opens: the WAV
// codec, the MP3 encoding, the raw and VOX values), in each file's own folder or in one output
// folder. OK stores the choices in the "BatchConverter" settings and checks a separate output
// folder (a missing one is created when the user agrees; an empty or unusable one keeps the
// dialog open). "< Atrás" ends the dialog with kBack.

#include <QDialog>

#include "batch/batch_converter.h"
#include "core/prompts.h"

class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace sonvara {

class LSelectSaveFormatDlg : public QDialog {
    Q_OBJECT

  public:
    static constexpr int kBack = 2;

    // Starts from the stored settings.
    LSelectSaveFormatDlg(Prompts& prompts, QWidget* parent);

    // The choices as the controls show them.
    BatchOutputSettings Settings() const;

    QRadioButton* SameFormat() const { return same_format_; }
    QRadioButton* OtherFormat() const { return other_format_; }
    QComboBox* Format() const { return format_; }
    QPushButton* FormatSettings() const { return format_settings_; }
    QRadioButton* SameFolder() const { return same_folder_; }
    QRadioButton* OtherFolder() const { return other_folder_; }
    QLineEdit* Folder() const { return folder_; }

    // The format button's action: the chosen format's own settings.
    void EditFormatSettings();

  public slots:
    void accept() override;

  protected:
    // The folder the user browses to; empty when cancelled. Virtual so that a test can answer.
    virtual QString AskFolder();

  private:
    void UpdateControls();

    Prompts& prompts_;
    QRadioButton* same_format_;
    QRadioButton* other_format_;
    QComboBox* format_;
    QPushButton* format_settings_;
    QRadioButton* same_folder_;
    QRadioButton* other_folder_;
    QLineEdit* folder_;
    QPushButton* browse_;
};

}  // namespace sonvara
