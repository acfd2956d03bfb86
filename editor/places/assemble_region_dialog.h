#pragma once
// AssembleRegionDlg ("Regiones reunidas"): the order in which regions are put together. The
// frame's regions are listed in "Lista de Regiones"; "<< Adjuntar" adds the selected ones to the
// end of "Reuniendo la Lista de Regiones" (a region may come more than once), "Remover >>" takes
// the selected ones out of it, "Ejecutar" plays the selected regions of either list and
// "Opciones" edits the gap between them. OK accepts the order.

#include <QDialog>
#include <vector>

class QCheckBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace sonvara {

class MainDialog;
class RegionPlayer;

class AssembleRegionDlg : public QDialog {
    Q_OBJECT

  public:
    explicit AssembleRegionDlg(MainDialog& frame);

    // The regions to assemble, as indexes into the frame's list, in order.
    std::vector<std::size_t> Order() const;
    QListWidget* Regions() const { return regions_; }
    QListWidget* Assembling() const { return assembling_; }
    QPushButton* PlayButton() const { return play_; }

    void CmAdd();
    void CmRemove();
    void CmPlay();
    void CmOptions();

  private:
    MainDialog& frame_;
    QListWidget* regions_;
    QListWidget* assembling_;
    QPushButton* play_;
    RegionPlayer* player_;
};

// AssembleOptionDlg ("Opción de Reunión"): "AutoGap" and the gap's length, "AutoGapTime", stored
// on OK. A length that is not a whole number from 0 to 60000 is refused with a message.
class AssembleOptionDlg : public QDialog {
    Q_OBJECT

  public:
    AssembleOptionDlg(MainDialog& frame, QWidget* parent);

  public slots:
    void accept() override;

  private:
    MainDialog& frame_;
    QCheckBox* gap_on_;
    QLineEdit* gap_;
};

}  // namespace sonvara
