#include "editor/places/assemble_region_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "editor/common/dialog_parts.h"
#include "editor/common/workspace.h"
#include "editor/places/place_controller.h"
#include "editor/places/region_player.h"
#include "project/assemble_regions.h"

namespace sonvara {
namespace {

constexpr int kLongestGapMs = 60000;
constexpr int kRegionRole = Qt::UserRole;

QListWidget* MakeList(QWidget* parent, const char* name) {
    auto* list = new QListWidget(parent);
    list->setObjectName(name);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    return list;
}

}  // namespace

AssembleRegionDlg::AssembleRegionDlg(PlaceController& places)
    : QDialog(places.Workspace().Frame()),
      places_(places),
      regions_(MakeList(this, "regionList")),
      assembling_(MakeList(this, "assemblingList")),
      player_(new RegionPlayer(places.Transport(), this)) {
    setObjectName("AssembleRegionDlg");
    setWindowTitle("Regiones reunidas");
    const std::vector<LSVRegion>& regions = places_.Places().regions;
    for (std::size_t i = 0; i < regions.size(); ++i) {
        auto* item = new QListWidgetItem(QString::fromStdString(regions[i].name), regions_);
        item->setData(kRegionRole, static_cast<qulonglong>(i));
    }
    auto* add = new QPushButton("<< Adjuntar", this);
    auto* remove = new QPushButton("Remover >>", this);
    play_ = new QPushButton("Ejecutar", this);
    auto* options = new QPushButton("Opciones", this);
    for (QPushButton* button : {add, remove, play_, options}) {
        button->setAutoDefault(false);
    }
    connect(add, &QPushButton::clicked, this, &AssembleRegionDlg::CmAdd);
    connect(remove, &QPushButton::clicked, this, &AssembleRegionDlg::CmRemove);
    connect(play_, &QPushButton::clicked, this, &AssembleRegionDlg::CmPlay);
    connect(options, &QPushButton::clicked, this, &AssembleRegionDlg::CmOptions);
    connect(player_, &RegionPlayer::ended, this, [this] { play_->setText("Ejecutar"); });

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel("Reuniendo la Lista de Regiones", this), 0, 0);
    grid->addWidget(new QLabel("Lista de Regiones", this), 0, 2);
    grid->addWidget(assembling_, 1, 0);
    auto* middle = new QVBoxLayout;
    middle->addStretch();
    for (QPushButton* button : {add, remove, play_, options}) {
        middle->addWidget(button);
    }
    middle->addStretch();
    grid->addLayout(middle, 1, 1);
    grid->addWidget(regions_, 1, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    AddOkCancelButtons(*this, *layout);
}

std::vector<std::size_t> AssembleRegionDlg::Order() const {
    std::vector<std::size_t> order;
    for (int row = 0; row < assembling_->count(); ++row) {
        order.push_back(assembling_->item(row)->data(kRegionRole).toULongLong());
    }
    return order;
}

void AssembleRegionDlg::CmAdd() {
    for (int row = 0; row < regions_->count(); ++row) {
        QListWidgetItem* item = regions_->item(row);
        if (item->isSelected()) {
            assembling_->addItem(item->clone());
        }
    }
}

void AssembleRegionDlg::CmRemove() {
    for (QListWidgetItem* item : assembling_->selectedItems()) {
        delete item;
    }
}

void AssembleRegionDlg::CmPlay() {
    if (player_->IsPlaying()) {
        player_->Stop();
        return;
    }
    std::vector<LCutListAudio> sounds;
    for (QListWidget* list : {assembling_, regions_}) {
        for (int row = 0; row < list->count(); ++row) {
            if (list->item(row)->isSelected()) {
                sounds.push_back(places_.Places()
                                     .regions[list->item(row)->data(kRegionRole).toULongLong()]
                                     .audio);
            }
        }
    }
    player_->Play(sounds);
    if (player_->IsPlaying()) {
        play_->setText("Detener");
    }
}

void AssembleRegionDlg::CmOptions() {
    AssembleOptionDlg options(places_.Workspace().CurrentPrompts(), this);
    options.exec();
}

AssembleOptionDlg::AssembleOptionDlg(Prompts& prompts, QWidget* parent)
    : QDialog(parent), prompts_(prompts) {
    setObjectName("AssembleOptionDlg");
    setWindowTitle("Opción de Reunión");
    const AssembleOptions stored = ReadAssembleOptions();
    gap_on_ = new QCheckBox("AutoGap", this);
    gap_on_->setObjectName("autoGap");
    gap_on_->setChecked(stored.auto_gap);
    gap_ = MakeNumberField(*this, "gapTime", stored.gap_ms);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(gap_on_);
    auto* form = new QFormLayout;
    form->addRow("Insertar Silencio entre las Regiones (mins.)", gap_);
    layout->addLayout(form);
    AddOkCancelButtons(*this, *layout);
}

void AssembleOptionDlg::accept() {
    const std::optional<int> gap = NumberIn(*gap_, prompts_);
    if (!gap) {
        return;
    }
    if (*gap < 0 || *gap > kLongestGapMs) {
        PassesCheck("El silencio entre las regiones debe estar entre 0 y 60000 ms.", prompts_);
        return;
    }
    StoreAssembleOptions({gap_on_->isChecked(), *gap});
    QDialog::accept();
}

}  // namespace sonvara
