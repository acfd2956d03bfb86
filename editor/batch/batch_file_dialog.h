#pragma once
// LSelectBatchFileDlg: the first page of the batch converter, the files to convert. Files come
// from the file dialog ("Seleccione los Archivos Audio"), from a whole folder (its audio files,
// by their extensions, in name order) or dropped on the list (a dropped folder counts as its
// audio files). A file already listed is not listed twice. "Siguiente >" needs at least one file.

#include <QDialog>
#include <QStringList>
#include <string>
#include <vector>

class QListWidget;
class QPushButton;

namespace sonvara {

class LSelectBatchFileDlg : public QDialog {
    Q_OBJECT

  public:
    LSelectBatchFileDlg(const std::vector<std::string>& files, QWidget* parent);

    std::vector<std::string> Files() const;
    QListWidget* List() const { return list_; }
    // Adds files, and the audio files of folders, as a drop does.
    void AddPaths(const QStringList& paths);
    void RemoveSelected();

  protected:
    // The files and the folder the user picks; empty when cancelled. Virtual so that a test can
    // answer them.
    virtual QStringList AskFiles();
    virtual QString AskFolder();

    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void UpdateButtons();

    QListWidget* list_;
    QPushButton* remove_;
    QPushButton* next_;
};

}  // namespace sonvara
