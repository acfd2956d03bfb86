// What the user sees of a file window's main view as it moves: the cursor drawn where the time
// field says, the scroll bar's thumb where the view is, the wheel's zoom about the pointer.

#include <gtest/gtest.h>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <QWheelEvent>

#include <chrono>
#include <cmath>
#include <functional>

#include "audio/sound_time.h"
#include "tests/editor/editor_fixture.h"
#include "tests/support/wait_until_qt.h"
#include "view/wave_pane.h"
#include "view/wave_window.h"

namespace sonvara {
namespace {

constexpr std::int32_t kMinuteFrames = 60 * kRate;  // a minute

class FileWindowViewTest : public EditorTest {
  protected:
    // A new file window holding a minute of a slow sine, 700 × 400, showing one second.
    LSVFileWindow* OpenMinute() {
        WriteBool("Settings", "PromptSampleAndChannels", false);
        frame_->Rooms().files.CmNew();
        LSVFileWindow* file = frame_->Rooms().workspace.CurrentFile();
        std::vector<Sample> sine(kMinuteFrames);
        for (std::size_t f = 0; f < sine.size(); ++f) {
            sine[f] = static_cast<Sample>(0x30000 * std::sin(static_cast<double>(f) * 0.01));
        }
        file->Document().Audio() = FromSamples(sine, 1, kRate);
        file->parentWidget()->resize(700, 400);
        file->RefreshView();
        file->SetSelection(10 * kRate, 11 * kRate);
        file->ZoomSelection();
        file->SetSelection(0, 0);
        Settle(file);
        return file;
    }

    static void Settle(LSVFileWindow* file) {
        QCoreApplication::processEvents();
        EXPECT_TRUE(file->WaveView()->WaitForColumns());
        EXPECT_TRUE(file->Overview()->WaitForColumns());
        QCoreApplication::processEvents();
    }

    // The x (in `view`) of each pixel column drawn in the cursor's colour from top to bottom.
    static std::vector<int> CursorColumns(LSVWaveWindow* view) {
        const QImage image = view->grab().toImage();
        const QColor cursor = WavePalette::For(*view).cursor;
        std::vector<int> found;
        for (int x = 1; x < view->width() - 1; ++x) {
            bool full = true;
            for (int y = 2; y < view->height() - 2 && full; y += 3) {
                full = image.pixelColor(x, y) == cursor;
            }
            if (full) {
                found.push_back(x);
            }
        }
        return found;
    }

    // The x where `view` draws the cursor at `frame`.
    static int CursorX(LSVWaveWindow* view, std::int32_t frame) {
        const WaveColumnMapping mapping = view->Mapping();
        const int column = std::min(mapping.ColumnOf(frame), mapping.Width() - 1);
        return static_cast<int>(std::floor(view->ColumnX(column)));
    }
};

// Each way the view moves (a scroll-bar step, a drag of the thumb, Inicio, Final, and back), the
// cursor is drawn in both views at the place the time field names, and nowhere else.
TEST_F(FileWindowViewTest, TheCursorIsDrawnWhereTheTimeFieldSaysAfterEveryKindOfScroll) {
    LSVFileWindow* file = OpenMinute();
    QScrollBar* bar = file->ScrollBar();
    const LEditPositions& positions = file->Document().Positions();
    auto drag_thumb_to = [&](double share) {
        QStyleOptionSlider option;
        option.initFrom(bar);
        option.orientation = Qt::Horizontal;
        option.minimum = bar->minimum();
        option.maximum = bar->maximum();
        option.sliderPosition = bar->sliderPosition();
        option.sliderValue = bar->value();
        option.pageStep = bar->pageStep();
        option.singleStep = bar->singleStep();
        const QRect thumb = bar->style()->subControlRect(QStyle::CC_ScrollBar, &option,
                                                         QStyle::SC_ScrollBarSlider, bar);
        const QRect groove = bar->style()->subControlRect(QStyle::CC_ScrollBar, &option,
                                                          QStyle::SC_ScrollBarGroove, bar);
        const QPoint to(groove.left() + static_cast<int>(groove.width() * share),
                        thumb.center().y());
        QTest::mousePress(bar, Qt::LeftButton, {}, thumb.center());
        QTest::mouseMove(bar, (thumb.center() + to) / 2);
        QTest::mouseMove(bar, to);
        QTest::mouseRelease(bar, Qt::LeftButton, {}, to);
    };
    const std::pair<const char*, std::function<void()>> moves[] = {
        {"step right", [&] { bar->triggerAction(QAbstractSlider::SliderSingleStepAdd); }},
        {"step left", [&] { bar->triggerAction(QAbstractSlider::SliderSingleStepSub); }},
        {"thumb drag", [&] { drag_thumb_to(0.7); }},
        {"Final", [&] { frame_->Action(kCmEnd)->trigger(); }},
        {"Inicio", [&] { frame_->Action(kCmStart)->trigger(); }},
        {"thumb drag back", [&] { drag_thumb_to(0.3); }},
    };
    std::int32_t last_cursor = positions.cursor;
    for (const auto& [name, move] : moves) {
        const ViewRange before = file->View();
        move();
        Settle(file);
        const std::int32_t cursor = positions.cursor;
        EXPECT_NE(file->View(), before) << name;  // each of these moves the view
        EXPECT_NE(cursor, last_cursor) << name;
        last_cursor = cursor;
        LSoundTime time;
        time.SetSamples(cursor, kRate);
        EXPECT_TRUE(testing::PumpEventsUntil([&] {
            return frame_->TimeFieldText(TimeField::kCursor).toStdString() == time.Hundredths();
        })) << name;
        for (LSVWaveWindow* view : {file->WaveView(), file->Overview()}) {
            EXPECT_EQ(CursorColumns(view), std::vector<int>{CursorX(view, cursor)})
                << name << (view == file->WaveView() ? " (main view)" : " (overview)");
        }
    }
}

// The thumb is as long as the view's share of the file and lies where the view lies: scrolled to
// the middle of an hour-long file at a close zoom, it is in the middle of the bar.
TEST_F(FileWindowViewTest, TheThumbShowsWhereTheViewIs) {
    LSVFileWindow* file = OpenMinute();
    QScrollBar* bar = file->ScrollBar();
    const double total = bar->maximum() - bar->minimum() + bar->pageStep();
    EXPECT_NEAR(bar->pageStep() / total, 1.0 / 60, 0.001);  // one second of sixty
    EXPECT_NEAR(bar->value() / total, 10.0 / 60, 0.001);

    // An hour at 44.1 kHz, shown 1000 frames at a time.
    const std::int32_t hour = 3600 * 44100;
    LCutListAudio silence;
    silence.SetFormat(44100, 1);
    silence.InsertSilence(0, hour);
    file->Document().Audio() = silence;
    file->RefreshView();
    file->MoveCursor(hour / 2);
    file->SetSelection(hour / 2 - 500, hour / 2 + 500);
    file->ZoomSelection();
    Settle(file);
    EXPECT_EQ(file->View().end - file->View().start, 1000);
    const double middle = (bar->value() + bar->pageStep() / 2.0) / total;
    EXPECT_NEAR(middle, 0.5, 1e-5);
    EXPECT_GE(bar->pageStep(), 1);

    // A page step moves the cursor two seconds; the thumb goes with the view.
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    Settle(file);
    EXPECT_NEAR((bar->value() + bar->pageStep() / 2.0) / total,
                (hour / 2 + 2 * 44100) / static_cast<double>(hour), 1e-5);
}

// The wheel scrolls; Ctrl and the wheel zoom, keeping the frame under the pointer under it.
TEST_F(FileWindowViewTest, TheWheelScrollsAndCtrlWheelZoomsAboutThePointer) {
    LSVFileWindow* file = OpenMinute();
    LSVWaveWindow* view = file->WaveView();
    auto wheel = [&](QPoint at, int delta, Qt::KeyboardModifiers modifiers) {
        QWheelEvent event(at, view->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                          modifiers, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(view, &event);
        Settle(file);
    };
    const ViewRange start = file->View();
    wheel(QPoint(300, 50), -120, {});  // toward the user: later
    EXPECT_EQ(file->View().start, start.start + (start.end - start.start) / 10);
    EXPECT_EQ(file->View().end - file->View().start, start.end - start.start);

    const QPoint pointer(200, 50);
    for (const int delta : {120, 120, 360, -240, -600}) {
        const double under = view->FrameAtX(pointer.x());
        const ViewRange before = file->View();
        wheel(pointer, delta, Qt::ControlModifier);
        const ViewRange after = file->View();
        EXPECT_EQ(after.end - after.start<before.end - before.start, delta> 0) << delta;
        // Within a column's frames (the view starts on a whole frame).
        const double frames_per_column = 1.0 / view->Mapping().Scale();
        EXPECT_NEAR(view->FrameAtX(pointer.x()), under, frames_per_column + 1) << delta;
    }

    // Shift and the wheel: the taller drawing and back.
    wheel(pointer, 120, Qt::ShiftModifier);
    EXPECT_TRUE(file->VerticalZoom());
    wheel(pointer, -120, Qt::ShiftModifier);
    EXPECT_FALSE(file->VerticalZoom());
}

}  // namespace
}  // namespace sonvara
