#include "editor/places/region_dialog.h"

#include <QAction>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "editor/common/dialog_parts.h"
#include "editor/common/workspace.h"
#include "editor/places/place_controller.h"
#include "editor/places/region_player.h"
#include "project/record_fields.h"

namespace sonvara {

RegionDlg::RegionDlg(PlaceController& places)
    : QDialog(places.Workspace().Frame()),
      places_(places),
      list_(new QTreeWidget(this)),
      player_(new RegionPlayer(places.Transport(), this)) {
    setObjectName("RegionDlg");
    setWindowTitle("Regiones");
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    list_->setObjectName("regions");
    list_->setHeaderLabels({"Nombre", "Archivo"});
    list_->setRootIsDecorated(false);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    list_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    list_->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(list_, &QTreeWidget::itemChanged, this, &RegionDlg::Renamed);
    connect(list_, &QTreeWidget::itemSelectionChanged, this, &RegionDlg::EnableButtons);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, &RegionDlg::CmPlay);

    auto* buttons = new QGridLayout;
    auto button = [&](const char* label, const char* name, void (RegionDlg::*command)(), int row,
                      int column) {
        auto* made = new QPushButton(QString::fromUtf8(label), this);
        made->setObjectName(name);
        made->setAutoDefault(false);
        connect(made, &QPushButton::clicked, this, command);
        buttons->addWidget(made, row, column);
        return made;
    };
    play_ = button("Reproducir", "play", &RegionDlg::CmPlay, 0, 0);
    button("Renombrar", "rename", &RegionDlg::CmReName, 0, 1);
    button("Borrar", "delete", &RegionDlg::CmDelete, 0, 2);
    button("Borrar Todo", "clearAll", &RegionDlg::CmClearAll, 0, 3);
    save_ = button("Guardar", "save", &RegionDlg::CmSave, 1, 0);
    copy_ = button("Copiar en Nuevo", "copyToNew", &RegionDlg::CmCopyToNew, 1, 1);
    button("Reunir", "assemble", &RegionDlg::CmAssemble, 1, 2);
    auto* close = new QPushButton("Cerrar", this);
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    buttons->addWidget(close, 1, 3);

    const std::pair<const char*, void (RegionDlg::*)()> entries[] = {
        {"&Ejecutar", &RegionDlg::CmPlay}, {"&Renombrar", &RegionDlg::CmReName},
        {"&Borrar", &RegionDlg::CmDelete}, {"Borrar Todo", &RegionDlg::CmClearAll},
        {"Guardar", &RegionDlg::CmSave},   {"Copiar en Nuevo", &RegionDlg::CmCopyToNew},
        {"Reunir", &RegionDlg::CmAssemble}};
    for (const auto& [label, command] : entries) {
        auto* action = new QAction(QString::fromUtf8(label), list_);
        connect(action, &QAction::triggered, this, command);
        list_->addAction(action);
    }
    connect(player_, &RegionPlayer::ended, this, [this] { play_->setText("Reproducir"); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addLayout(buttons);
    Refresh();
    // Wide enough for every column's texts, so that none is cut.
    int columns = 0;
    for (int column = 0; column < list_->columnCount(); ++column) {
        list_->resizeColumnToContents(column);
        columns += list_->columnWidth(column);
    }
    resize(sizeHint().expandedTo(QSize(columns + 4 * layout->contentsMargins().left() +
                                           list_->verticalScrollBar()->sizeHint().width(),
                                       0)));
}

void RegionDlg::Refresh() {
    const std::vector<std::size_t> selected = SelectedRows(*list_);
    filling_ = true;
    list_->clear();
    for (const LSVRegion& region : places_.Places().regions) {
        auto* item = new QTreeWidgetItem(
            list_, {QString::fromStdString(region.name), QString::fromStdString(region.file)});
        item->setFlags(item->flags() | Qt::ItemIsEditable);
    }
    for (std::size_t row : selected) {
        if (QTreeWidgetItem* item = list_->topLevelItem(static_cast<int>(row))) {
            item->setSelected(true);
        }
    }
    filling_ = false;
    EnableButtons();
}

void RegionDlg::EnableButtons() {
    const bool one = list_->selectedItems().size() == 1;
    save_->setEnabled(one);
    copy_->setEnabled(one);
    for (QAction* action : list_->actions()) {
        if (action->text() == "Guardar" || action->text() == "Copiar en Nuevo") {
            action->setEnabled(one);
        }
    }
}

void RegionDlg::CmPlay() {
    if (player_->IsPlaying()) {
        CmStop();
        return;
    }
    std::vector<LCutListAudio> sounds;
    for (std::size_t row : SelectedRows(*list_)) {
        sounds.push_back(places_.Places().regions[row].audio);
    }
    player_->Play(sounds);
    if (player_->IsPlaying()) {
        play_->setText("Detener");
    }
}

void RegionDlg::CmStop() {
    player_->Stop();
}

void RegionDlg::CmReName() {
    if (QTreeWidgetItem* item = list_->currentItem()) {
        list_->editItem(item, 0);
    }
}

void RegionDlg::Renamed(QTreeWidgetItem* item, int column) {
    std::vector<LSVRegion>& regions = places_.Places().regions;
    const int row = list_->indexOfTopLevelItem(item);
    if (filling_ || column != 0 || row < 0 || static_cast<std::size_t>(row) >= regions.size()) {
        return;
    }
    const std::string name = item->text(0).toStdString();
    if (name.empty() || !FitsTextField(name)) {
        QTimer::singleShot(0, this, &RegionDlg::Refresh);  // the old name again
        return;
    }
    regions[static_cast<std::size_t>(row)].name = name;
    Changed();
}

void RegionDlg::CmDelete() {
    std::vector<std::size_t> rows = SelectedRows(*list_);
    if (rows.empty() || places_.Workspace().CurrentPrompts().Ask(
                            {"Confirmar Borrar", "¿Borrar la(s) región(es) seleccionada(s)?",
                             PromptIcon::kQuestion, PromptButtons::kYesNo}) != PromptAnswer::kYes) {
        return;
    }
    player_->Stop();
    std::vector<LSVRegion>& regions = places_.Places().regions;
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        regions.erase(regions.begin() + static_cast<std::ptrdiff_t>(*row));
    }
    list_->clearSelection();
    Changed();
}

void RegionDlg::CmClearAll() {
    if (places_.Places().regions.empty() ||
        places_.Workspace().CurrentPrompts().Ask(
            {"Confirmar Borrar Todo", "¿Borrar todas las regiones seleccionadas?",
             PromptIcon::kQuestion, PromptButtons::kYesNo}) != PromptAnswer::kYes) {
        return;
    }
    player_->Stop();
    places_.Places().regions.clear();
    Changed();
}

void RegionDlg::CmSave() {
    const std::vector<std::size_t> rows = SelectedRows(*list_);
    if (rows.size() == 1) {
        places_.SaveRegion(rows.front());
    }
}

void RegionDlg::CmCopyToNew() {
    const std::vector<std::size_t> rows = SelectedRows(*list_);
    if (rows.size() == 1) {
        places_.CopyRegionToNew(rows.front());
    }
}

void RegionDlg::CmAssemble() {
    player_->Stop();
    places_.CmAssembleRegions();
}

void RegionDlg::Changed() {
    QTimer::singleShot(0, &places_, [places = &places_] { places->RefreshPlaces(); });
}

void RegionDlg::closeEvent(QCloseEvent* event) {
    player_->Stop();
    QDialog::closeEvent(event);
}

}  // namespace sonvara
