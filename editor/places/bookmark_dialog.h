#pragma once
// BookMarkDlg: the bookmark window, modeless. It lists the bookmarks ("Nombrar",
// "Tiempo", "Veces  Visitado", "Ultima Visita") and goes to one on a double click or "Ir al
// Marcador"; a bookmark is renamed in place, deleted, or all of them are, after a question. Every
// change marks the current file modified. The place room refreshes it when its list changes.

#include <QDialog>

class QTreeWidget;
class QTreeWidgetItem;

namespace sonvara {

class PlaceController;

class BookMarkDlg : public QDialog {
    Q_OBJECT

  public:
    explicit BookMarkDlg(PlaceController& places);

    QTreeWidget* List() const { return list_; }
    // Shows the list anew, keeping the selection where it can.
    void Refresh();

    void CmGoTo();
    void CmReName();
    void CmDelete();
    void CmClearAll();

  private:
    // The list changed here: the current file is modified, the editor shows it.
    void Changed();
    void Renamed(QTreeWidgetItem* item, int column);

    PlaceController& places_;
    QTreeWidget* list_;
    bool filling_ = false;
};

}  // namespace sonvara
