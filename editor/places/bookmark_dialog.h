#pragma once
// BookMarkDlg: the bookmark window, modeless. It lists the frame's bookmarks ("Nombrar",
// "Tiempo", "Veces  Visitado", "Ultima Visita") and goes to one on a double click or "Ir al
// Marcador"; a bookmark is renamed in place, deleted, or all of them are, after a question. Every
// change marks the current file modified. The frame refreshes it when its list changes.

#include <QDialog>

class QTreeWidget;
class QTreeWidgetItem;

namespace sonvara {

class MainDialog;

class BookMarkDlg : public QDialog {
    Q_OBJECT

  public:
    explicit BookMarkDlg(MainDialog& frame);

    QTreeWidget* List() const { return list_; }
    // Shows the frame's list anew, keeping the selection where it can.
    void Refresh();

    void CmGoTo();
    void CmReName();
    void CmDelete();
    void CmClearAll();

  private:
    // The list changed here: the current file is modified, the frame shows it.
    void Changed();
    void Renamed(QTreeWidgetItem* item, int column);

    MainDialog& frame_;
    QTreeWidget* list_;
    bool filling_ = false;
};

}  // namespace sonvara
