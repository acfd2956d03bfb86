#include "editor/files/cd_ripper_dialog.h"

#include <QComboBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "cd/cdrom_ripper.h"
#include "core/folders.h"
#include "editor/common/dialog_parts.h"

namespace sonvara {

CDRipperDlg::CDRipperDlg(CdDriveList& drives, ProcessRunner run, Prompts& prompts, QWidget* parent)
    : QDialog(parent), drives_(drives), run_(std::move(run)), prompts_(prompts) {
    setObjectName("CDRipperDlg");
    setWindowTitle("Importar pistas de CD");
    auto* layout = new QVBoxLayout(this);
    drive_list_ = new QComboBox(this);
    drive_list_->setObjectName("drives");
    layout->addWidget(drive_list_);
    track_list_ = new QTreeWidget(this);
    track_list_->setObjectName("tracks");
    track_list_->setHeaderLabels({"Pista", "Duración"});
    track_list_->setRootIsDecorated(false);
    track_list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    track_list_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(track_list_);
    AddOkCancelButtons(*this, *layout);
    connect(drive_list_, &QComboBox::currentIndexChanged, this, &CDRipperDlg::ShowTracks);
}

bool CDRipperDlg::LoadDrives() {
    LCDROMInfoProcess process("Cargar los CD Drives", drives_, info_);
    if (run_(process) != PROCESS_DONE) {
        return false;
    }
    if (info_.drives.empty()) {
        prompts_.Ask({"Error",
                      "No han sido detectados CD-ROM drives. Si Usted tiene un CD-ROM drive "
                      "instalado pero ve este mensaje, por favor,  lea el tópico de ayuda "
                      "relacionado con la carga de las pistas de CD.",
                      PromptIcon::kError, PromptButtons::kOk});
        return false;
    }
    const QSignalBlocker quiet(drive_list_);
    drive_list_->clear();
    for (std::size_t i = 0; i < info_.drives.size(); ++i) {
        drive_list_->addItem(QString("CD-ROM %1").arg(i + 1));
    }
    drive_list_->setCurrentIndex(0);
    ShowTracks(0);
    return true;
}

int CDRipperDlg::exec() {
    return LoadDrives() ? QDialog::exec() : QDialog::Rejected;
}

void CDRipperDlg::ShowTracks(int drive) {
    track_list_->clear();
    if (drive < 0 || static_cast<std::size_t>(drive) >= info_.drives.size()) {
        return;
    }
    const LCDROMInfo::Drive& info = info_.drives[static_cast<std::size_t>(drive)];
    const std::vector<std::uint16_t>& seconds = info.track_seconds;
    for (std::size_t track = 0; track < seconds.size(); ++track) {
        auto* row = new QTreeWidgetItem(track_list_);
        row->setText(0, QString("Pista %1").arg(track + 1));
        row->setText(1, QString::asprintf("%d:%.2d", seconds[track] / 60, seconds[track] % 60));
        // A data track is shown for what it is and cannot be picked.
        if (track < info.data_tracks.size() && info.data_tracks[track]) {
            row->setText(1, row->text(1) + " (datos)");
            row->setFlags(row->flags() & ~(Qt::ItemIsSelectable | Qt::ItemIsEnabled));
        }
    }
}

namespace {

// "Pista 3.wav" in `folder`, or "Pista 3 (2).wav", ... when an earlier import (perhaps edited and
// saved there since) has that name: an import never replaces a file.
std::string UnusedTrackPath(const std::string& folder, const std::string& name) {
    std::string path = folder + "/" + name + ".wav";
    for (int n = 2; QFileInfo::exists(QString::fromStdString(path)); ++n) {
        path = folder + "/" + name + " (" + std::to_string(n) + ").wav";
    }
    return path;
}

}  // namespace

void CDRipperDlg::accept() {
    const int drive = drive_list_->currentIndex();
    const std::string folder = GetFolder("Current");
    for (int track = 0; track < track_list_->topLevelItemCount(); ++track) {
        const QTreeWidgetItem* row = track_list_->topLevelItem(track);
        if (!row->isSelected() || !(row->flags() & Qt::ItemIsSelectable)) {
            continue;  // not picked, or a data track
        }
        const std::string path = UnusedTrackPath(folder, row->text(0).toStdString());
        LCDROMRipper ripper("Importar la(s) pista(s) de CD", drives_, drive, track, path);
        if (folder.empty() || run_(ripper) != PROCESS_DONE) {
            break;
        }
        imported_.push_back(path);
    }
    QDialog::accept();
}

}  // namespace sonvara
