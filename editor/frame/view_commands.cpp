// The frame's commands on the current file's selection, cursor and format, the arrangement of its
// windows, and the time fields of the status bar.

#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStatusBar>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "document/convert_document.h"
#include "editor/common/file_window.h"
#include "editor/edit/convert_rate_dialog.h"
#include "editor/frame/main_window.h"
#include "editor_model/time_fields.h"

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
    connect(marks_timer_, &QTimer::timeout, this, &MainDialog::ApplySelection);
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

namespace {

// Puts the selection [start, end) in either order and the cursor into `file`'s document, within
// it.
void StoreSelection(LSVFileWindow& file, std::int32_t start, std::int32_t end,
                    std::int32_t cursor) {
    const std::int32_t length = file.Document().Audio().GetLength();
    LEditPositions& positions = file.Document().Positions();
    positions.selection_start = std::clamp(std::min(start, end), 0, length);
    positions.selection_end = std::clamp(std::max(start, end), 0, length);
    positions.cursor = std::clamp(cursor, 0, length);
}

}  // namespace

void MainDialog::ModifySelection(std::int32_t start, std::int32_t end, std::int32_t cursor) {
    if (current_ == nullptr) {
        return;
    }
    StoreSelection(*current_, start, end, cursor);
    ApplySelection();
}

void MainDialog::ApplySelection() {
    if (current_ == nullptr) {
        return;
    }
    current_->ShowPositions();
    if (HasValidSelection(current_->Document()) != selection_valid_) {
        EnableMenuOptions();  // the time fields with them
    } else {
        UpdateTimeFields();
    }
}

void MainDialog::ReportSelection(LSVFileWindow* file, std::int32_t start, std::int32_t end,
                                 std::int32_t cursor) {
    StoreSelection(*file, start, end, cursor);
    if (file != current_) {
        Activate(file);
    }
    // The other view follows the drag at once; the fields and menus when it settles.
    file->ShowPositions();
    marks_timer_->start();
}

void MainDialog::CmTile(bool across) {
    const QList<QMdiSubWindow*> windows = ShownWindows(mdi_);
    const QRect space = mdi_->viewport()->rect();
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

void MainDialog::CmArrangeIcons() {
    QMdiArea* area = mdi_;
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

void MainDialog::CmSelectAll() {
    if (current_ == nullptr) {
        return;
    }
    ModifySelection(0, current_->Document().Audio().GetLength(),
                    current_->Document().Positions().cursor);
    current_->ZoomWhole();
}

void MainDialog::CmSelectToStart() {
    if (current_ != nullptr) {
        const std::int32_t cursor = current_->Document().Positions().cursor;
        ModifySelection(0, cursor, cursor);
    }
}

void MainDialog::CmSelectToEnd() {
    if (current_ != nullptr) {
        const std::int32_t cursor = current_->Document().Positions().cursor;
        ModifySelection(cursor, current_->Document().Audio().GetLength(), cursor);
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
    if (current_ == nullptr || (PlayingFile() == current_ && transport_->SeekToStart())) {
        return;
    }
    current_->MoveCursor(0);
    EnableMenuOptions();
}

void MainDialog::CmEnd() {
    if (current_ == nullptr || (PlayingFile() == current_ && transport_->SeekToEnd())) {
        return;
    }
    current_->MoveCursor(current_->Document().Audio().GetLength());
    EnableMenuOptions();
}

void MainDialog::CmConvertSampleRate() {
    if (current_ == nullptr) {
        return;
    }
    LSVFileWindow* file = current_;
    LSVConvertSample dialog(*prompts_, this);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    Activate(file);
    if (!accepted) {
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
    StartModifyCurrentFile(name);
    LCLAConvertRateChannels convert(document.Audio(), rate, channels);
    if (RunProcess(convert, file) != PROCESS_DONE) {
        // The document is as it was; so are its flag and positions.
        document.CancelModifyCurrentFile();
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
    EndModifyCurrentFile(0, 0);
}

}  // namespace sonvara
