#include "editor/batch/batch_file_dialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QVBoxLayout>

#include "editor/common/file_questions.h"
#include "formats/format_table.h"

namespace sonvara {
namespace {

bool IsAudioFile(const QString& path) {
    return IsReadableFile(path.toStdString());
}

QStringList LocalFiles(const QMimeData& data) {
    QStringList paths;
    for (const QUrl& url : data.urls()) {
        if (url.isLocalFile()) {
            paths.push_back(url.toLocalFile());
        }
    }
    return paths;
}

}  // namespace

LSelectBatchFileDlg::LSelectBatchFileDlg(const std::vector<std::string>& files, QWidget* parent)
    : QDialog(parent) {
    setObjectName("LSelectBatchFileDlg");
    setWindowTitle("Convertidor de Grupo");
    setAcceptDrops(true);  // drops on the list come up to the dialog
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Archivos que se van a convertir (puede soltarlos en la lista):"));
    auto* row = new QHBoxLayout;
    list_ = new QListWidget(this);
    list_->setObjectName("files");
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setMinimumWidth(list_->fontMetrics().averageCharWidth() * 60);
    row->addWidget(list_, 1);
    auto* buttons = new QVBoxLayout;
    auto* add = new QPushButton("Agregar Archivos...", this);
    add->setObjectName("addFiles");
    auto* folder = new QPushButton("Agregar Carpeta...", this);
    folder->setObjectName("addFolder");
    remove_ = new QPushButton("Quitar", this);
    remove_->setObjectName("remove");
    for (QPushButton* button : {add, folder, remove_}) {
        buttons->addWidget(button);
    }
    buttons->addStretch();
    row->addLayout(buttons);
    layout->addLayout(row, 1);
    auto* box = new QDialogButtonBox(this);
    next_ = box->addButton("Siguiente >", QDialogButtonBox::AcceptRole);
    next_->setObjectName("next");
    box->addButton("Cancelar", QDialogButtonBox::RejectRole);
    layout->addWidget(box);

    connect(add, &QPushButton::clicked, this, [this] { AddPaths(AskFiles()); });
    connect(folder, &QPushButton::clicked, this, [this] {
        if (const QString chosen = AskFolder(); !chosen.isEmpty()) {
            AddPaths({chosen});
        }
    });
    connect(remove_, &QPushButton::clicked, this, &LSelectBatchFileDlg::RemoveSelected);
    connect(list_, &QListWidget::itemSelectionChanged, this, &LSelectBatchFileDlg::UpdateButtons);
    connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    for (const std::string& file : files) {
        list_->addItem(QString::fromStdString(file));
    }
    UpdateButtons();
}

std::vector<std::string> LSelectBatchFileDlg::Files() const {
    std::vector<std::string> files;
    for (int row = 0; row < list_->count(); ++row) {
        files.push_back(list_->item(row)->text().toStdString());
    }
    return files;
}

void LSelectBatchFileDlg::AddPaths(const QStringList& paths) {
    QStringList files;
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (info.isDir()) {
            for (const QFileInfo& entry :
                 QDir(path).entryInfoList(QDir::Files | QDir::Readable, QDir::Name)) {
                if (IsAudioFile(entry.absoluteFilePath())) {
                    files.push_back(entry.absoluteFilePath());
                }
            }
        } else if (info.isFile()) {
            files.push_back(info.absoluteFilePath());
        }
    }
    for (const QString& file : files) {
        if (list_->findItems(file, Qt::MatchExactly).isEmpty()) {
            list_->addItem(file);
        }
    }
    UpdateButtons();
}

void LSelectBatchFileDlg::RemoveSelected() {
    qDeleteAll(list_->selectedItems());
    UpdateButtons();
}

QStringList LSelectBatchFileDlg::AskFiles() {
    return QFileDialog::getOpenFileNames(
        this, "Seleccione los Archivos Audio", QString(),
        "Archivos de audio (" + ReadableAudioPatterns() + ");;Todos los archivos (*)");
}

QString LSelectBatchFileDlg::AskFolder() {
    return QFileDialog::getExistingDirectory(this, "Seleccione una Carpeta de Archivos Audio");
}

void LSelectBatchFileDlg::dragEnterEvent(QDragEnterEvent* event) {
    if (!LocalFiles(*event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void LSelectBatchFileDlg::dropEvent(QDropEvent* event) {
    AddPaths(LocalFiles(*event->mimeData()));
    event->acceptProposedAction();
}

void LSelectBatchFileDlg::UpdateButtons() {
    remove_->setEnabled(!list_->selectedItems().isEmpty());
    next_->setEnabled(list_->count() > 0);
}

}  // namespace sonvara
