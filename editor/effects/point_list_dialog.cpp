#include "editor/effects/point_list_dialog.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <optional>
#include <vector>

#include "core/folders.h"
#include "core/paths.h"
#include "editor/common/dialog_parts.h"
#include "editor/common/preview_button.h"

namespace sonvara {
namespace {

const char* const kFileFilter = "Listas de puntos (*.dat);;Todos los archivos (*)";

}  // namespace

GraphAxis PercentAxis(double y_per_percent, int top) {
    return [y_per_percent, top](double) {
        std::vector<GraphTick> ticks;
        for (int percent = 0; percent <= top; percent += 50) {
            ticks.push_back({percent * y_per_percent, QString("%1 %").arg(percent)});
        }
        return ticks;
    };
}

LPointListDlg::LPointListDlg(Prompts& prompts, std::string_view stored_file, const QString& title,
                             LEffectPreview* preview, EffectOfList effect, QWidget* parent)
    : QDialog(parent),
      prompts_(prompts),
      stored_path_(FilePathCat(GetFolder("Current"), stored_file)) {
    setWindowTitle(title);
    auto* layout = new QVBoxLayout(this);
    graph_ = new LBrainWaveWindow(this);
    graph_->SetPoints(LoadStoredPointList(stored_file));
    layout->addWidget(graph_, 1);
    connect(graph_, &LBrainWaveWindow::pointerMoved, this,
            [this](int x, int y) { graph_->SetCaption(ReadOut(x, y)); });

    auto* buttons = new QHBoxLayout();
    auto add_button = [this, buttons](const QString& text, const char* name, auto slot) {
        auto* button = new QPushButton(text, this);
        button->setObjectName(name);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, slot);
        buttons->addWidget(button);
    };
    add_button("Abrir...", "openPoints", &LPointListDlg::LoadFile);
    add_button("Guardar...", "savePoints", &LPointListDlg::SaveFile);
    add_button("Plano", "flatPoints", [this] { graph_->SetPoints(PointList{}); });
    buttons->addStretch(1);
    if (preview != nullptr) {
        preview_ = new PreviewButton(
            *preview,
            [this, effect = std::move(effect)]() -> std::optional<EffectSourceFactory> {
                return effect(Points());
            },
            this);
        preview_->setAutoDefault(false);
        buttons->addWidget(preview_);
        preview_delay_ = new QTimer(this);
        preview_delay_->setSingleShot(true);
        preview_delay_->setInterval(kPreviewDelayMs);
        connect(preview_delay_, &QTimer::timeout, preview_, &PreviewButton::ValuesChanged);
        // Started by the first change after a pause, not pushed back by the next ones, so a long
        // stroke is heard as it goes.
        connect(graph_, &LBrainWaveWindow::pointsChanged, preview_delay_, [this] {
            if (!preview_delay_->isActive()) {
                preview_delay_->start();
            }
        });
    }
    layout->addLayout(buttons);
    AddOkCancelButtons(*this, *layout);
    graph_->setFocus();
}

const PointList& LPointListDlg::Points() const {
    return graph_->Points();
}

void LPointListDlg::TellFileError(const char* what, const QString& path) {
    prompts_.Ask({"Error de Archivo", std::string(what) + " \"" + path.toStdString() + "\".",
                  PromptIcon::kError, PromptButtons::kOk});
}

void LPointListDlg::accept() {
    if (!Points().Save(stored_path_)) {
        TellFileError("No se puede guardar la lista de puntos en el archivo",
                      QString::fromStdString(stored_path_));
        return;
    }
    QDialog::accept();
}

void LPointListDlg::LoadFile() {
    const QString path = AskOpenPath();
    if (path.isEmpty()) {
        return;
    }
    PointList read;
    if (!read.Load(path.toStdString())) {
        TellFileError("No se puede abrir el archivo", path);
        return;
    }
    graph_->SetPoints(read);
}

void LPointListDlg::SaveFile() {
    const QString path = AskSavePath();
    if (!path.isEmpty() && !Points().Save(path.toStdString())) {
        TellFileError("No se puede escribir el archivo", path);
    }
}

QString LPointListDlg::AskOpenPath() {
    return QFileDialog::getOpenFileName(this, "Abrir lista de puntos",
                                        QString::fromStdString(GetFolder("Current")), kFileFilter);
}

QString LPointListDlg::AskSavePath() {
    return QFileDialog::getSaveFileName(this, "Guardar lista de puntos",
                                        QString::fromStdString(GetFolder("Current")), kFileFilter);
}

}  // namespace sonvara
