#pragma once
// AssembleRegionDlg ("Regiones reunidas"): the order in which regions are put together. The
// regions are listed in "Lista de Regiones"; "<< Adjuntar" adds the selected ones to the
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

class PlaceController;
class Prompts;
class RegionPlayer;

class AssembleRegionDlg : public QDialog {
    Q_OBJECT

  public:
    explicit AssembleRegionDlg(PlaceController& places);

    // The regions to assemble, as indexes into the region list, in order.
    std::vector<std::size_t> Order() const;
    QListWidget* Regions() const { return regions_; }
    QListWidget* Assembling() const { return assembling_; }
    QPushButton* PlayButton() const { return play_; }

    void CmAdd();
    void CmRemove();
    void CmPlay();
    void CmOptions();

  private:
    PlaceController& places_;
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
    AssembleOptionDlg(Prompts& prompts, QWidget* parent);

  public slots:
    void accept() override;

  private:
    Prompts& prompts_;
    QCheckBox* gap_on_;
    QLineEdit* gap_;
};

}  // namespace sonvara
