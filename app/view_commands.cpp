// The frame's commands on the current file's view, selection and format, its Window menu, and
// the time fields of the status bar.

#include <QAction>
#include <QActionGroup>
#include <QKeySequence>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "app/convert_rate_dialog.h"
#include "app/file_window.h"
#include "app/main_window.h"
#include "app/time_fields.h"
#include "document/convert_document.h"

namespace sonvara {
namespace {

// A frame position scaled from one rate to another.
std::int32_t Rescale(std::int32_t frames, std::int32_t from_rate, std::int32_t to_rate) {
    return static_cast<std::int32_t>(
        std::llround(static_cast<double>(frames) * to_rate / std::max(from_rate, 1)));
}

// The sub-windows that are not minimized, in the MDI area's stacking order.
QList<QMdiSubWindow*> ShownWindows(QMdiArea* area) {
    QList<QMdiSubWindow*> shown;
    for (QMdiSubWindow* window : area->subWindowList(QMdiArea::StackingOrder)) {
        if (!window->isMinimized()) {
            window->showNormal();
            shown.push_back(window);
        }
    }
    return shown;
}

// Side by side (`across`) or one above the other, sharing the area evenly.
void Tile(QMdiArea* area, bool across) {
    const QList<QMdiSubWindow*> windows = ShownWindows(area);
    const QRect space = area->viewport()->rect();
    const int count = static_cast<int>(windows.size());
    for (int i = 0; i < count; ++i) {
        if (across) {
            const int left = space.width() * i / count;
            const int right = space.width() * (i + 1) / count;
            windows[i]->setGeometry(left, 0, right - left, space.height());
        } else {
            const int top = space.height() * i / count;
            const int bottom = space.height() * (i + 1) / count;
            windows[i]->setGeometry(0, top, space.width(), bottom - top);
        }
    }
}

// The minimized windows in a row along the bottom of the area, wrapping upwards.
void ArrangeIcons(QMdiArea* area) {
    const int width = area->viewport()->width();
    int x = 0;
    int top = -1;
    for (QMdiSubWindow* window : area->subWindowList(QMdiArea::CreationOrder)) {
        if (!window->isMinimized()) {
            continue;
        }
        const QSize size = window->size();
        if (top < 0) {
            top = area->viewport()->height() - size.height();
        } else if (x > 0 && x + size.width() > width) {
            x = 0;
            top -= size.height();
        }
        window->move(x, top);
        x += size.width();
    }
}

}  // namespace

void MainDialog::BuildStatusFields() {
    const char* names[4] = {"selectionStart", "selectionEnd", "selectionLength", "cursorTime"};
    const char* tips[4] = {"Inicio", "Fin", "Duración", "Cursor"};
    for (int i = 0; i < 4; ++i) {
        time_fields_[i] = new QLabel(this);
        time_fields_[i]->setObjectName(names[i]);
        time_fields_[i]->setToolTip(QString::fromUtf8(tips[i]));
        time_fields_[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        time_fields_[i]->setMinimumWidth(90);
        statusBar()->addPermanentWidget(time_fields_[i]);
    }
    time_timer_ = new QTimer(this);
    time_timer_->setInterval(500);
    connect(time_timer_, &QTimer::timeout, this, &MainDialog::UpdateTimeFields);
    time_timer_->start();
    marks_timer_ = new QTimer(this);
    marks_timer_->setSingleShot(true);
    marks_timer_->setInterval(50);
    connect(marks_timer_, &QTimer::timeout, this, &MainDialog::EnableMenuOptions);
}

QString MainDialog::TimeFieldText(TimeField field) const {
    return time_fields_[static_cast<int>(field)]->text();
}

void MainDialog::UpdateTimeFields() {
    if (current_ == nullptr) {
        for (QLabel* field : time_fields_) {
            field->clear();
        }
        return;
    }
    const TimeFieldTexts texts = MakeTimeFields(current_->Document().Positions(),
                                                current_->Document().Audio().GetSampleRate());
    const std::string* values[4] = {&texts.selection_start, &texts.selection_end,
                                    &texts.selection_length, &texts.cursor};
    for (int i = 0; i < 4; ++i) {
        time_fields_[i]->setText(QString::fromStdString(*values[i]));
    }
}

void MainDialog::BuildViewMenus() {
    QMenu* edit = menuBar()->addMenu("&Editar");
    edit->setObjectName("editMenu");
    AddCommand(edit, kCmSelectAll, "Seleccionar Todo\tCtrl+A")->setShortcut(QKeySequence("Ctrl+A"));
    // The Shift keys move the cursor as well (below); the menu entries only select.
    AddCommand(edit, kCmSelectToStart, "Seleccionar Comenzar\tShift+Home");
    AddCommand(edit, kCmSelectToEnd, "Seleccionar Finalizar\tShift+End");
    connect(actions_[kCmSelectAll], &QAction::triggered, this, [this] { CmSelectAll(); });
    connect(actions_[kCmSelectToStart], &QAction::triggered, this, [this] { CmSelectToStart(); });
    connect(actions_[kCmSelectToEnd], &QAction::triggered, this, [this] { CmSelectToEnd(); });
    for (const auto& [key, to_end] :
         {std::pair{"Shift+Home", false}, std::pair{"Shift+End", true}}) {
        auto* shortcut = new QShortcut(QKeySequence(key), this);
        shortcut->setAutoRepeat(false);
        connect(shortcut, &QShortcut::activated, this,
                [this, to_end = to_end] { SelectWithCursorTo(to_end); });
    }

    QMenu* view = menuBar()->addMenu("&Ver");
    view->setObjectName("viewMenu");
    AddCommand(view, kCmZoomIn, "Zoom In\tCtrl+Plus")
        ->setShortcuts({QKeySequence(Qt::ControlModifier | Qt::KeypadModifier | Qt::Key_Plus),
                        QKeySequence(Qt::ControlModifier | Qt::Key_Plus)});
    AddCommand(view, kCmZoomOut, "Zoom Out\tCtrl+Minus")
        ->setShortcuts({QKeySequence(Qt::ControlModifier | Qt::KeypadModifier | Qt::Key_Minus),
                        QKeySequence(Qt::ControlModifier | Qt::Key_Minus)});
    AddCommand(view, kCmZoomSelection, "Zoom Selección\tCtrl+Shift+S")
        ->setShortcut(QKeySequence("Ctrl+Shift+S"));
    AddCommand(view, kCmZoomWhole, "Zoom Completo\tCtrl+Shift+F")
        ->setShortcut(QKeySequence("Ctrl+Shift+F"));
    AddCommand(view, kCmZoomVertical, "Zoom Vertical\tCtrl+Shift+V")
        ->setShortcut(QKeySequence("Ctrl+Shift+V"));
    actions_[kCmZoomVertical]->setCheckable(true);
    view->addSeparator();
    auto* modes = new QActionGroup(view);
    AddCommand(view, kCmDisplayPosNeg, "Despliegue la Forma de la Onda en + /-");
    AddCommand(view, kCmDisplayLeftRight, "Despliegue la Forma de la Onda en I / D");
    for (int id : {kCmDisplayPosNeg, kCmDisplayLeftRight}) {
        actions_[id]->setCheckable(true);
        modes->addAction(actions_[id]);
    }
    // Each acts on the current file's window, when there is one.
    auto on_file = [this](int id, auto act) {
        connect(actions_[id], &QAction::triggered, this, [this, act] {
            if (current_ != nullptr) {
                act(*current_);
            }
            EnableMenuOptions();
        });
    };
    on_file(kCmZoomIn, [](LSVFileWindow& file) { file.ZoomIn(); });
    on_file(kCmZoomOut, [](LSVFileWindow& file) { file.ZoomOut(); });
    on_file(kCmZoomSelection, [](LSVFileWindow& file) { file.ZoomSelection(); });
    on_file(kCmZoomWhole, [](LSVFileWindow& file) { file.ZoomWhole(); });
    on_file(kCmZoomVertical, [](LSVFileWindow& file) { file.ToggleVerticalZoom(); });
    on_file(kCmDisplayPosNeg,
            [](LSVFileWindow& file) { file.SetDisplayMode(WaveDisplayMode::kPosNeg); });
    on_file(kCmDisplayLeftRight,
            [](LSVFileWindow& file) { file.SetDisplayMode(WaveDisplayMode::kLeftRight); });

    QMenu* transport = menuBar()->addMenu("&Transporte");
    transport->setObjectName("transportMenu");
    AddCommand(transport, kCmStart, "Ir al Inicio\tInicio")->setShortcut(QKeySequence("Home"));
    AddCommand(transport, kCmEnd, "Ir al Final\tFinal")->setShortcut(QKeySequence("End"));
    connect(actions_[kCmStart], &QAction::triggered, this, [this] { CmStart(); });
    connect(actions_[kCmEnd], &QAction::triggered, this, [this] { CmEnd(); });

    QMenu* window = menuBar()->addMenu("Ve&ntana");
    window->setObjectName("windowMenu");
    AddCommand(window, kCmCascade, "Cascada");
    AddCommand(window, kCmTileHorizontal, "Cuadro Horizontal");
    AddCommand(window, kCmTileVertical, "Cuadro Vertical");
    AddCommand(window, kCmArrangeIcons, "Ordenar los Iconos");
    connect(actions_[kCmCascade], &QAction::triggered, mdi_, &QMdiArea::cascadeSubWindows);
    connect(actions_[kCmTileHorizontal], &QAction::triggered, this, [this] { Tile(mdi_, false); });
    connect(actions_[kCmTileVertical], &QAction::triggered, this, [this] { Tile(mdi_, true); });
    connect(actions_[kCmArrangeIcons], &QAction::triggered, this, [this] { ArrangeIcons(mdi_); });

    // A held key does its command once.
    for (QMenu* menu : {edit, view, transport}) {
        for (QAction* action : menu->actions()) {
            action->setAutoRepeat(false);
        }
    }
}

void MainDialog::CmSelectAll() {
    if (current_ == nullptr) {
        return;
    }
    const std::int32_t length = current_->Document().Audio().GetLength();
    current_->SetSelection(0, length);
    current_->ZoomWhole();
    EnableMenuOptions();
}

void MainDialog::CmSelectToStart() {
    if (current_ != nullptr) {
        current_->SetSelection(0, current_->Document().Positions().cursor);
        EnableMenuOptions();
    }
}

void MainDialog::CmSelectToEnd() {
    if (current_ != nullptr) {
        current_->SetSelection(current_->Document().Positions().cursor,
                               current_->Document().Audio().GetLength());
        EnableMenuOptions();
    }
}

void MainDialog::SelectWithCursorTo(bool to_end) {
    if (current_ == nullptr) {
        return;
    }
    to_end ? CmSelectToEnd() : CmSelectToStart();
    to_end ? CmEnd() : CmStart();
}

void MainDialog::CmStart() {
    if (current_ != nullptr) {
        current_->MoveCursor(0);
        EnableMenuOptions();
    }
}

void MainDialog::CmEnd() {
    if (current_ != nullptr) {
        current_->MoveCursor(current_->Document().Audio().GetLength());
        EnableMenuOptions();
    }
}

void MainDialog::CmConvertSampleRate() {
    if (current_ == nullptr) {
        return;
    }
    LSVConvertSample dialog(*prompts_, this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    ConvertCurrentFile("Convertir la Tasa de Muestra", dialog.SampleRate(),
                       current_->Document().Audio().GetChannels());
}

void MainDialog::CmConvertChannel(int channels) {
    if (current_ != nullptr) {
        ConvertCurrentFile("Convert Channels", current_->Document().Audio().GetSampleRate(),
                           channels);
    }
    EnableMenuOptions();
}

void MainDialog::ConvertCurrentFile(const std::string& name, std::int32_t rate, int channels) {
    LSVFileWindow* file = current_;
    LEditDocument& document = file->Document();
    const std::int32_t old_rate = document.Audio().GetSampleRate();
    if (old_rate == rate && document.Audio().GetChannels() == channels) {
        return;
    }
    document.StartModifyCurrentFile(name);
    LCLAConvertRateChannels convert(document.Audio(), rate, channels);
    if (RunProcess(convert) != PROCESS_DONE) {
        // The document is as it was; so are its flag and positions.
        document.Undo();
        file->RefreshView();
        EnableMenuOptions();
        return;
    }
    // The selection and the view keep their times at the new rate.
    LEditPositions& positions = document.Positions();
    for (std::int32_t* frames : {&positions.selection_start, &positions.selection_end,
                                 &positions.view_start, &positions.view_end}) {
        *frames = Rescale(*frames, old_rate, rate);
    }
    document.EndModifyCurrentFile(0, 0);
    file->RefreshView();
    EnableMenuOptions();
}

}  // namespace sonvara
