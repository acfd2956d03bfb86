#include "editor/common/file_window.h"

#include <QCloseEvent>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <cmath>

#include "editor/common/command_icons.h"
#include "view/wave_pane.h"
#include "view/wave_window.h"

namespace sonvara {
namespace {

// The bar between the overview and the main view.
constexpr int kBarHeight = 25;
// The scroll bar's least share of the bar's width, in percent, while the buttons show labels.
constexpr int kMinScrollPercent = 30;
// A drag beyond an edge scrolls a tenth of the view this often.
constexpr int kAutoScrollMilliseconds = 100;

}  // namespace

LSVFileWindow::LSVFileWindow(QWidget* parent)
    : QWidget(parent),
      overview_(new LSVWaveWindow(this)),
      pane_(new LSVWavePane(this)),
      wave_(pane_->Wave()),
      scroll_(new QScrollBar(Qt::Horizontal, this)),
      auto_scroll_(new QTimer(this)) {
    setObjectName("LMC");
    overview_->setObjectName("LSVWaveWindow");
    ShowThumb();
    connect(scroll_, &QScrollBar::actionTriggered, this, &LSVFileWindow::ScrollAction);

    // Short labels that fit the bar; the tool tips give the whole name and the key.
    struct ButtonText {
        const char* label;
        const char* icon;
        const char* tip;
    };
    const ButtonText texts[kButtons] = {
        {"Alejar", "zoom-out", "Zoom Out (Ctrl+-)"},
        {"Acercar", "zoom-in", "Zoom In (Ctrl++)"},
        {"Selección", "zoom-select", "Zoom Selección (Ctrl+Mayús+S)"},
        {"Todo", "zoom-fit-best", "Zoom Completo (Ctrl+Mayús+F)"},
        {"Vertical", "zoom-fit-height", "Zoom Vertical (Ctrl+Mayús+V)"},
        {"+/-", "sonvara-wave-posneg", "Despliegue de la onda + up (arriba) / - down (abajo)"},
        {"I/D", "sonvara-wave-leftright",
         "Despliegue de la onda, canal izquierdo up (arriba) / canal derecho down (abajo)."}};
    for (int i = 0; i < kButtons; ++i) {
        const QString label = QString::fromUtf8(texts[i].label);
        buttons_[i] = new QToolButton(this);
        buttons_[i]->setIcon(CommandIcon(texts[i].icon));
        buttons_[i]->setText(label);
        buttons_[i]->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        buttons_[i]->setToolTip(QString::fromUtf8(texts[i].tip));
        buttons_[i]->setFocusPolicy(Qt::NoFocus);
    }
    buttons_[4]->setCheckable(true);
    connect(buttons_[0], &QToolButton::clicked, this, &LSVFileWindow::ZoomOut);
    connect(buttons_[1], &QToolButton::clicked, this, &LSVFileWindow::ZoomIn);
    connect(buttons_[2], &QToolButton::clicked, this, &LSVFileWindow::ZoomSelection);
    connect(buttons_[3], &QToolButton::clicked, this, &LSVFileWindow::ZoomWhole);
    connect(buttons_[4], &QToolButton::clicked, this, &LSVFileWindow::ToggleVerticalZoom);
    connect(buttons_[5], &QToolButton::clicked, this,
            [this] { SetDisplayMode(WaveDisplayMode::kPosNeg); });
    connect(buttons_[6], &QToolButton::clicked, this,
            [this] { SetDisplayMode(WaveDisplayMode::kLeftRight); });

    // The views' selections and clicks go to the owner, which stores and shows them.
    for (LSVWaveWindow* view : {overview_, wave_}) {
        connect(view, &LSVWaveWindow::marksChanged, this, &LSVFileWindow::SetSelection);
        connect(view, &LSVWaveWindow::positionSet, this, [this](std::int32_t frame) {
            const LEditPositions& positions = document_.Positions();
            emit selectionReported(positions.selection_start, positions.selection_end, frame);
        });
    }
    connect(wave_, &LSVWaveWindow::dragEdge, this, &LSVFileWindow::DragEdge);
    connect(wave_, &LSVWaveWindow::wheelScrolled, this, [this](double views) {
        const ViewRange view = View();
        SetView(ScrollView(view, std::llround(views * (view.end - view.start)),
                           document_.Audio().GetLength()));
    });
    connect(wave_, &LSVWaveWindow::wheelZoomed, this, [this](double anchor, double factor) {
        SetView(ZoomAbout(View(), std::llround(anchor), factor, document_.Audio().GetLength()));
    });
    connect(wave_, &LSVWaveWindow::wheelVerticalZoom, this, [this](bool taller) {
        if (taller != options_.vertical_zoom) {
            ToggleVerticalZoom();
        }
    });
    auto_scroll_->setInterval(kAutoScrollMilliseconds);
    connect(auto_scroll_, &QTimer::timeout, this, &LSVFileWindow::AutoScroll);
    resize(560, 300);
}

std::string LSVFileWindow::DisplayName() const {
    if (path_.empty()) {
        return "Sin título " + std::to_string(untitled_number_);
    }
    const std::size_t slash = path_.find_last_of('/');
    return slash == std::string::npos ? path_ : path_.substr(slash + 1);
}

void LSVFileWindow::KeepRecoveryFile() {
    if (document_.IsModified()) {
        journal_.Keep(DisplayName(), document_.Audio());
    } else {
        journal_.Drop();
    }
}

ViewRange LSVFileWindow::View() const {
    return {document_.Positions().view_start, document_.Positions().view_end};
}

void LSVFileWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int w = width();
    const int h = height();
    const int overview = h * 12 / 100;
    overview_->setGeometry(0, 0, w, overview);
    LayOutBar(overview);
    pane_->setGeometry(0, overview + kBarHeight, w, std::max(h - overview - kBarHeight, 0));
}

void LSVFileWindow::LayOutBar(int top) {
    // The buttons take their natural widths at the right, with their labels while the scroll bar
    // keeps its share; on a narrow window they show their icons alone.
    const int w = width();
    int labelled = 0;
    for (QToolButton* button : buttons_) {
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        labelled += button->sizeHint().width();
    }
    if (w - labelled < w * kMinScrollPercent / 100) {
        for (QToolButton* button : buttons_) {
            button->setToolButtonStyle(Qt::ToolButtonIconOnly);
        }
    } else {
        for (QToolButton* button : buttons_) {
            button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        }
    }
    int right = w;
    for (int i = kButtons - 1; i >= 0; --i) {
        const int width = std::min(buttons_[i]->sizeHint().width(), std::max(right, 0));
        right -= width;
        buttons_[i]->setGeometry(right, top, width, kBarHeight);
    }
    scroll_->setGeometry(0, top, std::max(right, 0), kBarHeight);
}

QSize LSVFileWindow::minimumSizeHint() const {
    // The overview takes 12 % of the height; the bar, the time ruler and a main view of 100
    // pixels the rest.
    constexpr int kWaveMinimum = 100;
    const int below = kBarHeight + pane_->Ruler()->sizeHint().height() + kWaveMinimum;
    return {kMinimumWidth, (below * 100 + 87) / 88};
}

void LSVFileWindow::ViewWholeDocument() {
    document_.Positions().view_start = 0;
    document_.Positions().view_end = document_.Audio().GetLength();
    SendView();
}

void LSVFileWindow::RefreshView() {
    LEditPositions& positions = document_.Positions();
    const std::int32_t length = document_.Audio().GetLength();
    if (positions.view_start >= length) {
        positions.view_start = 0;
    }
    positions.view_end = std::min(positions.view_end, length);
    if (positions.view_end <= positions.view_start) {
        positions.view_end = length;
    }
    positions.cursor = std::clamp(positions.cursor, 0, length);
    positions.selection_start = std::clamp(positions.selection_start, 0, length);
    positions.selection_end = std::clamp(positions.selection_end, 0, length);
    SendView();
}

void LSVFileWindow::SetView(ViewRange view) {
    view = ClampView(view, document_.Audio().GetLength());
    LEditPositions& positions = document_.Positions();
    positions.view_start = view.start;
    positions.view_end = view.end;
    SendRange();
    ShowThumb();
    ShowMarks(positions.selection_start, positions.selection_end);
    ShowCursor(positions.cursor);
}

void LSVFileWindow::ShowThumb() {
    const ScrollBarPlace place = ScrollBarFor(View(), document_.Audio().GetLength());
    const QSignalBlocker quiet(scroll_);
    scroll_->setRange(0, place.maximum);
    scroll_->setPageStep(place.page);
    scroll_->setSingleStep(std::max(place.page / 10, 1));
    scroll_->setValue(place.value);
}

void LSVFileWindow::SendRange() {
    const LEditPositions& positions = document_.Positions();
    const std::int32_t length = document_.Audio().GetLength();
    // An empty document shows one second.
    if (length == 0) {
        wave_->SetRequest(0, document_.Audio().GetSampleRate());
    } else {
        wave_->SetRequest(positions.view_start, positions.view_end - positions.view_start);
    }
}

void LSVFileWindow::DragEdge(int edge) {
    if (edge == static_cast<int>(WaveEdge::kBeyondRight)) {
        auto_scroll_direction_ = 1;
    } else if (edge == static_cast<int>(WaveEdge::kBeyondLeft)) {
        auto_scroll_direction_ = -1;
    } else {
        auto_scroll_direction_ = 0;
    }
    if (auto_scroll_direction_ != 0) {
        auto_scroll_->start();
    } else {
        auto_scroll_->stop();
    }
}

void LSVFileWindow::AutoScroll() {
    const ViewRange view = View();
    const std::int32_t length = view.end - view.start;
    const std::int32_t step = std::max(length / 10, 1) * auto_scroll_direction_;
    const std::int32_t start =
        std::clamp(view.start + step, 0, std::max(document_.Audio().GetLength() - length, 0));
    if (start != view.start) {
        SetView({start, start + length});
    }
}

void LSVFileWindow::ShowMarks(std::int32_t from, std::int32_t to) {
    overview_->SetMarks(from, to);
    wave_->SetMarks(from, to);
}

void LSVFileWindow::ShowCursor(std::int32_t frame) {
    overview_->SetPosition(frame, 0);
    wave_->SetPosition(frame, 0);
}

void LSVFileWindow::SendView() {
    const LCutListAudio& audio = document_.Audio();
    const LEditPositions& positions = document_.Positions();
    const std::int32_t length = audio.GetLength();
    const bool stereo = audio.GetChannels() == 2;
    buttons_[5]->setEnabled(stereo);
    buttons_[6]->setEnabled(stereo);
    buttons_[4]->setChecked(options_.vertical_zoom);
    for (LSVWaveWindow* view : {overview_, wave_}) {
        view->Start(audio, options_);
        view->SetDataEnd(length);
    }
    ShowMarks(positions.selection_start, positions.selection_end);
    ShowCursor(positions.cursor);
    // An empty document shows one second.
    overview_->SetRequest(0, length > 0 ? length : audio.GetSampleRate());
    SendRange();
    ShowThumb();
}

void LSVFileWindow::ZoomIn() {
    SetView(sonvara::ZoomIn(View(), document_.Positions().cursor, document_.Audio().GetLength()));
}

void LSVFileWindow::ZoomOut() {
    SetView(sonvara::ZoomOut(View(), document_.Audio().GetLength()));
}

void LSVFileWindow::ZoomSelection() {
    const LEditPositions& positions = document_.Positions();
    if (std::optional<ViewRange> view = sonvara::ZoomSelection(
            positions.selection_start, positions.selection_end, document_.Audio().GetLength())) {
        SetView(*view);
    }
}

void LSVFileWindow::ZoomWhole() {
    SetView({0, document_.Audio().GetLength()});
}

void LSVFileWindow::ToggleVerticalZoom() {
    options_.vertical_zoom = !options_.vertical_zoom;
    SendView();
}

void LSVFileWindow::SetDisplayMode(WaveDisplayMode mode) {
    options_.mode = mode;
    SendView();
}

void LSVFileWindow::SetSelection(std::int32_t from, std::int32_t to) {
    emit selectionReported(from, to, document_.Positions().cursor);
}

void LSVFileWindow::ShowPositions() {
    const LEditPositions& positions = document_.Positions();
    ShowMarks(positions.selection_start, positions.selection_end);
    ShowCursor(positions.cursor);
}

void LSVFileWindow::MoveCursor(std::int32_t frame) {
    const std::int32_t length = document_.Audio().GetLength();
    frame = std::clamp(frame, 0, length);
    document_.Positions().cursor = frame;
    SetView(FollowCursor(View(), frame, length));
    emit positionsChanged();
}

void LSVFileWindow::FollowPlayCursor(std::int32_t frame) {
    const std::int32_t length = document_.Audio().GetLength();
    frame = std::clamp(frame, 0, length);
    document_.Positions().cursor = frame;
    const ViewRange view = View();
    const ViewRange paged = PageToCursor(view, frame, length);
    if (paged == view) {
        ShowCursor(frame);
    } else {
        SetView(paged);
    }
}

void LSVFileWindow::ScrollAction(int action) {
    const std::int32_t cursor = document_.Positions().cursor;
    const std::int32_t rate = document_.Audio().GetSampleRate();
    switch (action) {
        case QAbstractSlider::SliderSingleStepSub:
        case QAbstractSlider::SliderPageStepSub:
            MoveCursor(ScrollStep(cursor, rate, false));
            break;
        case QAbstractSlider::SliderSingleStepAdd:
        case QAbstractSlider::SliderPageStepAdd:
            MoveCursor(ScrollStep(cursor, rate, true));
            break;
        case QAbstractSlider::SliderMove: {
            // The view goes where the thumb is, and the cursor to the middle of it.
            const ViewRange view =
                ViewAtThumb(scroll_->sliderPosition(), View(), document_.Audio().GetLength());
            document_.Positions().cursor = view.start + (view.end - view.start) / 2;
            SetView(view);
            emit positionsChanged();
            break;
        }
        default:
            break;
    }
}

void LSVFileWindow::closeEvent(QCloseEvent* event) {
    if (close_check_ && !close_check_(this)) {
        event->ignore();
        return;
    }
    event->accept();
}

}  // namespace sonvara
