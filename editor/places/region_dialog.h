#pragma once
// RegionDlg: the region window, modeless. It lists the regions ("Nombre", "Archivo") and
// plays the selected ones in list order ("Reproducir", "Detener" while they play), renames one in
// place, deletes the selected ones or all of them after a question, saves one as an audio file,
// copies one into a new file ("Guardar" and "Copiar en Nuevo" need exactly one selected) and
// opens the assemble dialog. The place room refreshes it when its list changes.

#include <QDialog>
#include <vector>

class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace sonvara {

class PlaceController;
class RegionPlayer;

class RegionDlg : public QDialog {
    Q_OBJECT

  public:
    explicit RegionDlg(PlaceController& places);

    QTreeWidget* List() const { return list_; }
    QPushButton* PlayButton() const { return play_; }
    QPushButton* SaveButton() const { return save_; }
    QPushButton* CopyButton() const { return copy_; }
    void Refresh();

    void CmPlay();
    void CmStop();
    void CmReName();
    void CmDelete();
    void CmClearAll();
    void CmSave();
    void CmCopyToNew();
    void CmAssemble();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void EnableButtons();
    void Renamed(QTreeWidgetItem* item, int column);
    void Changed();

    PlaceController& places_;
    QTreeWidget* list_;
    RegionPlayer* player_;
    QPushButton* play_;
    QPushButton* save_;
    QPushButton* copy_;
    bool filling_ = false;
};

}  // namespace sonvara
