// The selection as the mouse makes it in a file window's main view: what is drawn, what the time
// fields say once the drag has settled, and the frames a mark's drag and a Shift-click leave.

#include <gtest/gtest.h>
#include <QAction>
#include <QTest>

#include <cmath>

#include "audio/sound_time.h"
#include "tests/editor/editor_fixture.h"
#include "view/wave_window.h"

namespace sonvara {
namespace {

constexpr std::int32_t kTenSecondFrames = 10 * kRate;
// A row of the view above the wave, where the background shows.
constexpr int kRow = 4;

class MouseSelectionTest : public EditorTest {
  protected:
    // A new window holding ten seconds of a quiet level, 700 × 400, showing all of it.
    void SetUp() override {
        WriteBool("Settings", "PromptSampleAndChannels", false);
        WriteBool("Settings", "AutoPlaybackAfterEffects", false);
        frame_->Rooms().files.CmNew();
        file_ = frame_->Rooms().workspace.CurrentFile();
        file_->Document().Audio() =
            FromSamples(std::vector<Sample>(kTenSecondFrames, 0x20000), 1, kRate);
        file_->parentWidget()->resize(700, 400);
        file_->ViewWholeDocument();
        view_ = file_->WaveView();
        Settle();
    }

    void Settle() {
        QCoreApplication::processEvents();
        ASSERT_TRUE(view_->WaitForColumns());
        QCoreApplication::processEvents();
    }

    // The pixel x at which `frame` is drawn, and the frame a press at pixel x lands on.
    int XOf(std::int32_t frame) const {
        return static_cast<int>(std::floor(view_->ColumnX(view_->Mapping().ColumnOf(frame))));
    }
    std::int32_t FrameAt(int x) const {
        const WaveColumnMapping mapping = view_->Mapping();
        return static_cast<std::int32_t>(
            mapping.FrameOf(std::clamp(view_->ColumnAt(x), 0, mapping.Width())));
    }
    QPoint At(int x) const { return {x, kRow}; }

    // The first and one past the last pixel x drawn in the selection's colour along kRow; {0, 0}
    // when none is.
    std::pair<int, int> DrawnSelection() const {
        const QImage image = view_->grab().toImage();
        const QColor selection = WavePalette::For(*view_).selection;
        int first = -1;
        int last = -1;
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, kRow) == selection) {
                first = first < 0 ? x : first;
                last = x;
            }
        }
        return first < 0 ? std::pair{0, 0} : std::pair{first, last + 1};
    }

    std::string Field(TimeField field) const { return frame_->TimeFieldText(field).toStdString(); }
    static std::string Hundredths(std::int32_t frames) {
        LSoundTime time;
        time.SetSamples(frames, kRate);
        return time.Hundredths();
    }

    const LEditPositions& Positions() const { return file_->Document().Positions(); }
    std::pair<std::int32_t, std::int32_t> Selection() const {
        return {Positions().selection_start, Positions().selection_end};
    }

    LSVFileWindow* file_ = nullptr;
    LSVWaveWindow* view_ = nullptr;
};

// A drag selects the frames under it and is drawn there at once; the time fields and the menus
// follow when the drag has settled, not at each step. A click clears the selection.
TEST_F(MouseSelectionTest, ADragIsDrawnWhereItWentAndTheFieldsFollowOnceItSettles) {
    const int x_from = XOf(20000);
    const int x_to = XOf(60000);
    const std::string fields_before = Field(TimeField::kSelectionEnd);
    QTest::mousePress(view_, Qt::LeftButton, {}, At(x_from));
    QTest::mouseMove(view_, At(x_to));
    EXPECT_EQ(Selection(), std::pair(FrameAt(x_from), FrameAt(x_to)));
    EXPECT_EQ(Field(TimeField::kSelectionEnd), fields_before) << "not rewritten at each step";
    QTest::mouseRelease(view_, Qt::LeftButton, {}, At(x_to));

    const auto [first, end] = DrawnSelection();
    EXPECT_NEAR(first, x_from, 1);
    EXPECT_NEAR(end, x_to, 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return frame_->Action(kCmCut)->isEnabled(); }));
    EXPECT_EQ(Field(TimeField::kSelectionStart), Hundredths(FrameAt(x_from)));
    EXPECT_EQ(Field(TimeField::kSelectionEnd), Hundredths(FrameAt(x_to)));
    EXPECT_EQ(Field(TimeField::kCursor), Hundredths(FrameAt(x_to)));

    // Beyond the window's side the selection ends at the document's end.
    const int x_inside = XOf(40000);
    QTest::mousePress(view_, Qt::LeftButton, {}, At(x_inside));
    QTest::mouseMove(view_, At(view_->width() + 40));
    QTest::mouseRelease(view_, Qt::LeftButton, {}, At(view_->width() + 40));
    EXPECT_EQ(Selection(), std::pair(FrameAt(x_inside), kTenSecondFrames));

    QTest::mouseClick(view_, Qt::LeftButton, {}, At(x_from));
    EXPECT_EQ(DrawnSelection(), std::pair(0, 0));
    EXPECT_EQ(Positions().cursor, FrameAt(x_from));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !frame_->Action(kCmCut)->isEnabled(); }));
    EXPECT_EQ(Field(TimeField::kSelectionLength), "0:00:00.000");
}

// A press near a mark drags that mark alone, past the other one if the pointer goes there; a
// click on a mark leaves the selection. Over a mark the pointer says it can be dragged.
TEST_F(MouseSelectionTest, AMarkDraggedByItsEdgeMovesAloneAndSwapsPastTheOther) {
    frame_->Rooms().workspace.ModifySelection(20000, 40000, 0);
    const int right = XOf(40000);

    QTest::mouseMove(view_, At(right + 2));
    EXPECT_EQ(view_->cursor().shape(), Qt::SizeHorCursor);
    QTest::mouseMove(view_, At((XOf(20000) + right) / 2));
    EXPECT_EQ(view_->cursor().shape(), Qt::ArrowCursor);

    QTest::mouseClick(view_, Qt::LeftButton, {}, At(right - 3));
    EXPECT_EQ(Selection(), std::pair(20000, 40000));

    QTest::mousePress(view_, Qt::LeftButton, {}, At(right + 2));
    QTest::mouseMove(view_, At(XOf(50000)));
    QTest::mouseRelease(view_, Qt::LeftButton, {}, At(XOf(50000)));
    EXPECT_EQ(Selection(), std::pair(20000, FrameAt(XOf(50000))));

    // The end dragged past the start: the start stays put as the new end.
    const int end = XOf(Positions().selection_end);
    QTest::mousePress(view_, Qt::LeftButton, {}, At(end));
    QTest::mouseMove(view_, At(XOf(10000)));
    QTest::mouseRelease(view_, Qt::LeftButton, {}, At(XOf(10000)));
    EXPECT_EQ(Selection(), std::pair(FrameAt(XOf(10000)), 20000));
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return Field(TimeField::kSelectionEnd) == Hundredths(20000); }));
}

// Dragging a mark past the window's side scrolls the view; the other mark stays where it was even
// when it lies outside the view, and the two swap once the view passes it.
TEST_F(MouseSelectionTest, AMarkDraggedPastTheSideScrollsAndKeepsTheOtherMark) {
    file_->SetSelection(16000, 48000);
    file_->ZoomSelection();
    frame_->Rooms().workspace.ModifySelection(8000, 40000, 0);
    Settle();
    ASSERT_EQ(file_->View(), (ViewRange{16000, 48000}));

    QTest::mousePress(view_, Qt::LeftButton, {}, At(XOf(40000)));
    QTest::mouseMove(view_, At(-20));
    EXPECT_TRUE(QTest::qWaitFor([&] { return file_->View().start < 4000; }));
    QTest::mouseRelease(view_, Qt::LeftButton, {}, At(-20));
    EXPECT_EQ(Positions().selection_end, 8000);
    EXPECT_LT(Positions().selection_start, 8000);
}

// Shift and a click extend the selection from its far end to the click; with no selection, from
// the cursor.
TEST_F(MouseSelectionTest, AShiftClickExtendsFromTheFarEndOrFromTheCursor) {
    frame_->Rooms().workspace.ModifySelection(0, 0, 12000);
    const int x1 = XOf(30000);
    QTest::mouseClick(view_, Qt::LeftButton, Qt::ShiftModifier, At(x1));
    EXPECT_EQ(Selection(), std::pair(12000, FrameAt(x1)));
    EXPECT_EQ(Positions().cursor, FrameAt(x1));

    const int x2 = XOf(16000);  // inside, nearer the start: the end stays
    QTest::mouseClick(view_, Qt::LeftButton, Qt::ShiftModifier, At(x2));
    EXPECT_EQ(Selection(), std::pair(FrameAt(x2), FrameAt(x1)));

    const int x3 = XOf(70000);  // beyond the end: the start stays
    QTest::mouseClick(view_, Qt::LeftButton, Qt::ShiftModifier, At(x3));
    EXPECT_EQ(Selection(), std::pair(FrameAt(x2), FrameAt(x3)));
    const auto [first, end] = DrawnSelection();
    EXPECT_NEAR(first, x2, 1);
    EXPECT_NEAR(end, x3, 1);
}

}  // namespace
}  // namespace sonvara
