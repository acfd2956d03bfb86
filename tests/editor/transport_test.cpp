// The transport in the frame, played into a recording output that the test paces: the keys, what
// reaches the output, the play cursor in the views, the device message and the play after an edit.
// The document is a staircase: the 16-bit sample played for document frame f is f itself.

#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>
#include <optional>

#include "audio/split_multiply.h"
#include "devices/recording_wave_out.h"
#include "editor/common/preview_button.h"
#include "editor/transport/player_dialog.h"
#include "effects/effect_sources.h"
#include "tests/editor/editor_fixture.h"
#include "tests/support/wait_until_qt.h"
#include "view/db_display.h"
#include "view/wave_window.h"

namespace sonvara {
namespace {

constexpr std::int32_t kFourSecondFrames = 4 * kRate;

// Playback runs on its own thread: waits are longer and asked more often than the default ones.
bool WaitOnPlayback(const std::function<bool()>& done) {
    return testing::PumpEventsUntil(done, std::chrono::seconds(5), std::chrono::milliseconds(5));
}

class TransportTest : public EditorTest {
  protected:
    TransportTest() : EditorTest(true) {}

    // A new mono file of four seconds of staircase, the whole of it in view.
    LSVFileWindow* OpenStaircase() {
        WriteBool("Settings", "PromptSampleAndChannels", false);
        WriteInt("Settings", "DefaultSampleRate", kRate);
        frame_->Rooms().files.CmNew();
        LSVFileWindow* file = frame_->Rooms().workspace.CurrentFile();
        file->Document().Audio() = Staircase(kFourSecondFrames);
        file->parentWidget()->resize(700, 400);
        file->RefreshView();
        file->ViewWholeDocument();
        EXPECT_TRUE(file->WaveView()->WaitForColumns());
        QApplication::setActiveWindow(frame_.get());  // keys reach the shortcuts of the active one
        return file;
    }

    void Key(int key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(frame_.get(), static_cast<Qt::Key>(key), modifiers);
    }

    LTransport& Transport() { return frame_->Rooms().transport.Transport(); }

    // Lets the output play `frames` more frames, whole buffers of 800 frames or up to the end,
    // and waits until the player has seen them come back: the heard position is exact then.
    void Play(std::int32_t frames) {
        const std::int32_t target = Transport().Player().HeardPosition() + frames;
        ASSERT_TRUE(recording_->Step(frames));
        EXPECT_TRUE(WaitOnPlayback([&] {
            return Transport().Player().IsIdle() || Transport().Player().HeardPosition() >= target;
        }));
    }

    // The samples that reached the output from the `from`th frame on.
    std::vector<std::int16_t> Heard(std::size_t from = 0) {
        const std::vector<std::int16_t> samples = recording_->Samples();
        return {samples.begin() + static_cast<std::ptrdiff_t>(std::min(from, samples.size())),
                samples.end()};
    }

    static std::vector<std::int16_t> Stairs(std::int32_t from, std::int32_t to) {
        std::vector<std::int16_t> stairs;
        for (std::int32_t f = from; f < to; ++f) {
            stairs.push_back(static_cast<std::int16_t>(f));
        }
        return stairs;
    }
};

TEST_F(TransportTest, F9PlaysTheSelectionAndTheCursorStopsAtItsEnd) {
    LSVFileWindow* file = OpenStaircase();
    file->SetSelection(12000, 14000);
    file->MoveCursor(100);
    Key(Qt::Key_F9);
    ASSERT_TRUE(Transport().IsActive());
    EXPECT_EQ(recording_->Format().sample_rate, kRate);
    Play(2000);
    // Nothing more is queued; the end comes back through the message loop.
    EXPECT_TRUE(WaitOnPlayback([&] { return !Transport().IsActive(); }));
    EXPECT_EQ(Heard(), Stairs(12000, 14000));
    EXPECT_EQ(file->Document().Positions().cursor, 14000);
    EXPECT_EQ(file->WaveView()->PositionStart(), 14000);
    EXPECT_EQ(frame_->TimeFieldText(TimeField::kCursor).toStdString(), "0:00:01.75");

    // Within the last second play starts over from the start.
    file->SetSelection(0, 0);
    file->MoveCursor(kFourSecondFrames - kRate / 2);
    Key(Qt::Key_F9);
    Play(800);
    EXPECT_EQ(Heard(2000), Stairs(0, 800));
    // Esc stops, and the cursor stays where the sound was.
    Key(Qt::Key_Escape);
    EXPECT_FALSE(Transport().IsActive());
    EXPECT_EQ(file->Document().Positions().cursor, 800);
}

TEST_F(TransportTest, ShiftF9LoopsTheSelectionWithoutAGap) {
    LSVFileWindow* file = OpenStaircase();
    file->SetSelection(1000, 1300);
    Key(Qt::Key_F9, Qt::ShiftModifier);
    Play(1600);
    std::vector<std::int16_t> expected;
    for (int pass = 0; pass < 6; ++pass) {
        const std::vector<std::int16_t> stairs = Stairs(1000, 1300);
        expected.insert(expected.end(), stairs.begin(), stairs.end());
    }
    expected.resize(1600);
    EXPECT_EQ(Heard(), expected);
    EXPECT_TRUE(Transport().IsActive());
    // The cursor shows where in the loop the sound is.
    EXPECT_TRUE(WaitOnPlayback([&] { return file->WaveView()->PositionStart() == 1100; }));
    Key(Qt::Key_Escape);
    EXPECT_EQ(file->Document().Positions().cursor, 1100);
}

TEST_F(TransportTest, TheSpeedKeysStoreTheSpeedAndPlayAtIt) {
    OpenStaircase();
    Key(Qt::Key_F12);
    EXPECT_EQ(ReadInt("Settings", "PlaySpeed", 1), 2);
    // Fast: a second of output carries about one and a half seconds of the document.
    Play(kRate);
    EXPECT_NEAR(Transport().HeardFrame(), kRate * 3 / 2, kRate / 20);
    Key(Qt::Key_F11);
    EXPECT_EQ(ReadInt("Settings", "PlaySpeed", 1), 0);
    Key(Qt::Key_F10);
    EXPECT_EQ(ReadInt("Settings", "PlaySpeed", 1), 1);
    // Normal speed again, on from where the sound was: the output carries the document as it is.
    const std::int32_t from =
        frame_->Rooms().workspace.CurrentFile()->Document().Positions().cursor;
    EXPECT_NEAR(from, kRate * 3 / 2, kRate / 20);
    const std::size_t before = recording_->Samples().size();
    Play(800);
    EXPECT_EQ(Heard(before), Stairs(from, from + 800));
}

TEST_F(TransportTest, HomeAndEndWhilePlayingSeek) {
    LSVFileWindow* file = OpenStaircase();
    Key(Qt::Key_F9);
    Play(1600);
    // The level meter shows the sound.
    LDBDisplay* meter = frame_->LevelMeter();
    EXPECT_TRUE(WaitOnPlayback([&] { return meter->Channels() == 1 && meter->Level(0) > -127; }));
    Key(Qt::Key_Home);
    ASSERT_TRUE(Transport().IsActive());
    Play(800);
    EXPECT_EQ(Heard(1600), Stairs(0, 800));
    // End: one second before the end.
    Key(Qt::Key_End);
    Play(800);
    EXPECT_EQ(Heard(2400), Stairs(kFourSecondFrames - kRate, kFourSecondFrames - kRate + 800));
    // Space scrubs: a snippet loops where the sound is.
    Key(Qt::Key_Space);
    EXPECT_TRUE(Transport().Player().IsCue());
    EXPECT_EQ(Transport().HeardFrame(), kFourSecondFrames - kRate + 800);
    // Idle, the keys move the cursor, and the meter falls silent.
    Key(Qt::Key_Escape);
    EXPECT_EQ(meter->Level(0), -127);
    Key(Qt::Key_Home);
    EXPECT_EQ(file->Document().Positions().cursor, 0);
}

TEST_F(TransportTest, TheMeterChosenToReadLoudnessShowsItWhilePlayingAndKeepsTheChoice) {
    // A 400 Hz tone at -20 dBFS: -23 LUFS in one channel.
    LSVFileWindow* file = OpenStaircase();
    std::vector<Sample> tone;
    for (std::int32_t f = 0; f < kFourSecondFrames; ++f) {
        tone.push_back(
            static_cast<Sample>(0.1 * FULL_SCALE * std::sin(f * 2 * M_PI * 400 / kRate)));
    }
    file->Document().Audio() = FromSamples(tone, 1, kRate);
    LDBDisplay* meter = frame_->LevelMeter();
    QTimer::singleShot(50, [] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        menu->setActiveAction(menu->actions().at(1));
        QTest::keyClick(menu, Qt::Key_Return);
    });
    // Through the frame's window, as a real click comes: the toolkit makes the menu's event.
    QTest::mouseClick(frame_->windowHandle(), Qt::RightButton, {},
                      meter->mapTo(frame_.get(), QPoint(20, 5)));
    ASSERT_EQ(meter->Reading(), MeterReading::kMomentaryLoudness);
    EXPECT_EQ(ReadInt("MainWindow", "LevelMeterReading", 0), 1);

    Key(Qt::Key_F9);
    Play(4000);
    // A steady tone reads steady, within the meter's whole units of -23 LUFS.
    EXPECT_TRUE(WaitOnPlayback([&] { return std::abs(meter->Level(0) + 23) <= 1; }))
        << meter->Level(0);
    const QImage image = meter->grab().toImage();
    const int end = static_cast<int>(meter->BarLength(meter->Level(0)));
    EXPECT_EQ(image.pixelColor(end - 4, 2), LDBDisplay::kLoudness);
    EXPECT_NE(image.pixelColor(end + 8, 2), LDBDisplay::kLoudness);
    Key(Qt::Key_Escape);
}

TEST_F(TransportTest, AHeldRightKeyWindsForwardUntilItIsReleased) {
    LSVFileWindow* file = OpenStaircase();
    file->MoveCursor(kRate);
    QTest::keyPress(frame_.get(), Qt::Key_Right, Qt::ShiftModifier);
    ASSERT_EQ(Transport().Winding(), Wind::kForward);
    Play(2400);
    // The keyboard's repeats start nothing anew.
    for (int i = 0; i < 3; ++i) {
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Right, Qt::ShiftModifier, QString(), true);
        QApplication::sendEvent(frame_.get(), &repeat);
    }
    EXPECT_EQ(recording_->Opens(), 1);
    Play(2400);
    // Faster than the sound itself, which would have reached 1.6 s, forwards.
    const std::int32_t heard = Transport().HeardFrame();
    EXPECT_GT(heard, kRate * 7 / 4);
    // The samples come from ahead of where the cursor was (give or take the splices' search).
    const std::vector<std::int16_t> wound = Heard();
    EXPECT_GE(*std::min_element(wound.begin(), wound.end()), kRate - kRate / 100);
    QTest::keyRelease(frame_.get(), Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_FALSE(Transport().IsActive());
    const LEditPositions& positions = file->Document().Positions();
    EXPECT_NEAR(positions.cursor, heard, kRate / 20);
    // With Shift the selection ran from where the cursor was to where it is.
    EXPECT_EQ(positions.selection_start, kRate);
    EXPECT_EQ(positions.selection_end, positions.cursor);

    // A wind while playing resumes the play at release; a rewind first jumps back a fifth of a
    // second.
    file->SetSelection(0, 0);
    file->MoveCursor(2 * kRate);
    Key(Qt::Key_F9);
    Play(800);
    QTest::keyPress(frame_.get(), Qt::Key_F7);
    EXPECT_EQ(Transport().Winding(), Wind::kRewind);
    EXPECT_EQ(positions.cursor, 2 * kRate + 800 - kRate / 5);
    Play(kRate / 2);
    const std::int32_t back = Transport().HeardFrame();
    EXPECT_LT(back, 2 * kRate + 800 - kRate / 5);
    QTest::keyRelease(frame_.get(), Qt::Key_F7);
    EXPECT_EQ(Transport().Winding(), Wind::kNone);
    EXPECT_TRUE(Transport().IsActive());
    const std::int32_t resumed = positions.cursor;
    EXPECT_NEAR(resumed, back, kRate / 20);
    const std::size_t before = recording_->Samples().size();
    Play(800);
    EXPECT_EQ(Heard(before), Stairs(resumed, resumed + 800));

    // The tool bar's wind buttons act while they are held.
    Key(Qt::Key_Escape);
    for (QAction* entry : frame_->ToolBar()->actions()) {
        if (entry->property("commandId").toInt() == kCmRewind) {
            QWidget* button = frame_->ToolBar()->widgetForAction(entry);
            QTest::mousePress(button, Qt::LeftButton);
            EXPECT_EQ(Transport().Winding(), Wind::kRewind);
            QTest::mouseRelease(button, Qt::LeftButton);
            EXPECT_FALSE(Transport().IsActive());
        }
    }
}

TEST_F(TransportTest, ThePlayCursorIsDrawnWhereTheSoundIsAndPagesTheView) {
    LSVFileWindow* file = OpenStaircase();
    file->SetSelection(0, kRate);
    file->ZoomSelection();
    file->SetSelection(0, 0);
    ASSERT_TRUE(file->WaveView()->WaitForColumns());
    Key(Qt::Key_F9);
    Play(kRate / 2);
    LSVWaveWindow* views[] = {file->WaveView(), file->Overview()};
    for (LSVWaveWindow* view : views) {
        EXPECT_TRUE(WaitOnPlayback([&] { return view->PositionStart() == kRate / 2; }));
    }
    EXPECT_EQ(frame_->TimeFieldText(TimeField::kCursor).toStdString(), "0:00:00.50");
    // The main view's cursor column is drawn in the cursor's colour.
    LSVWaveWindow* view = file->WaveView();
    const WaveColumnMapping mapping = view->Mapping();
    const int x = static_cast<int>(std::floor(view->ColumnX(mapping.ColumnOf(kRate / 2))));
    const QImage image = view->grab().toImage();
    const QColor cursor = WavePalette::For(*view).cursor;
    for (int y = 2; y < view->height() - 2; y += 7) {
        EXPECT_EQ(image.pixelColor(x, y), cursor) << y;
    }
    // Past the view's end the next page shows, with the cursor at its start.
    Play(6400);
    EXPECT_TRUE(WaitOnPlayback([&] { return file->View().start == 10400; }));
    EXPECT_EQ(file->View().end - file->View().start, kRate);
}

TEST_F(TransportTest, ADeviceThatDoesNotOpenIsTheUsersToChoose) {
    LSVFileWindow* file = OpenStaircase();
    recording_->SetRefusingOpen(true);
    // The plays that follow edits by themselves tell of it once, not at every edit.
    for (int edit = 0; edit < 2; ++edit) {
        file->SetSelection(100, 200);
        ASSERT_TRUE(WaitOnPlayback([&] { return frame_->Action(kCmCut)->isEnabled(); }));
        Key(Qt::Key_X, Qt::ControlModifier);
    }
    EXPECT_EQ(file->Document().Audio().GetLength(), kFourSecondFrames - 200);
    EXPECT_EQ(prompts_.Asked().size(), 1u);
    // The user's own play always does.
    Key(Qt::Key_F9);
    EXPECT_FALSE(Transport().IsActive());
    ASSERT_EQ(prompts_.Asked().size(), 2u);
    const PromptMessage& message = prompts_.Asked().back();
    EXPECT_EQ(message.caption, "Sonvara");
    EXPECT_EQ(message.text.rfind("Por favor, confirme que Usted ha seleccionado el recurso de "
                                 "sonido correcto usando las opciones. Abra las opciones "
                                 "(Settings) usando File->Settings",
                                 0),
              0u);
    EXPECT_EQ(message.icon, PromptIcon::kInformation);

    // A device that fails while playing stops the play, and the user learns why.
    recording_->SetRefusingOpen(false);
    Key(Qt::Key_F9);
    ASSERT_TRUE(Transport().IsActive());
    recording_->SetFailing(true);
    recording_->Step(800, std::chrono::milliseconds(100));
    EXPECT_TRUE(WaitOnPlayback([&] { return !Transport().IsActive(); }));
    ASSERT_EQ(prompts_.Asked().size(), 3u);
    EXPECT_EQ(prompts_.Asked().back().text.rfind("La reproducción se detuvo: ", 0), 0u);
    EXPECT_GT(prompts_.Asked().back().text.size(), 30u);
}

TEST_F(TransportTest, ThePlayerDialogTakesThePlayerOverTheCurrentFileAndGivesItBack) {
    EXPECT_FALSE(frame_->Action(kCmPlayer)->isEnabled());
    LSVFileWindow* file = OpenStaircase();
    ASSERT_TRUE(frame_->Action(kCmPlayer)->isEnabled());
    Key(Qt::Key_F9);
    Play(800);

    bool checked = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<LPlayerBaseDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_FALSE(Transport().IsActive());  // the frame's play stopped
        // The dialog plays the current file's sound: its end is the file's end, and from
        // there its play starts over at the start.
        dialog->CmEnd();
        EXPECT_EQ(dialog->Position(), kFourSecondFrames);
        const std::size_t before = recording_->Samples().size();
        dialog->CmPlay();
        Play(800);
        EXPECT_EQ(Heard(before), Stairs(0, 800));
        EXPECT_TRUE(WaitOnPlayback([&] { return dialog->Position() == 800; }));
        checked = true;
        dialog->accept();
    });
    frame_->Action(kCmPlayer)->trigger();
    ASSERT_TRUE(checked);
    EXPECT_FALSE(Transport().IsActive());

    // The frame's transport has the player back: F9 plays from its cursor and the play cursor
    // follows the sound.
    file->MoveCursor(2000);
    const std::size_t before = recording_->Samples().size();
    QApplication::setActiveWindow(frame_.get());  // offscreen, closing a dialog activates nothing
    Key(Qt::Key_F9);
    ASSERT_TRUE(Transport().IsActive());
    Play(800);
    EXPECT_EQ(Heard(before), Stairs(2000, 2800));
    EXPECT_TRUE(WaitOnPlayback([&] { return file->WaveView()->PositionStart() == 2800; }));
    Key(Qt::Key_Escape);
    EXPECT_EQ(file->Document().Positions().cursor, 2800);
}

TEST_F(TransportTest, AConversionPlaysItsResultWhenTheSettingIsOn) {
    for (const bool on : {true, false}) {
        WriteBool("Settings", "AutoPlaybackAfterEffects", on);
        LSVFileWindow* file = OpenStaircase();
        file->MoveCursor(kRate);
        frame_->Action(kCmStereo)->trigger();
        ASSERT_EQ(file->Document().Audio().GetChannels(), 2);
        EXPECT_EQ(Transport().IsActive(), on) << on;
        if (on) {
            // From the start of the document, in stereo.
            Play(800);
            EXPECT_EQ(recording_->Format().channels, 2);
            EXPECT_EQ(Heard()[0], 0);
            EXPECT_EQ(Heard()[198], 99);
            frame_->Rooms().transport.CmStop();
            recording_->Clear();
        }
        // A change of the playing document stops playback first.
        QApplication::setActiveWindow(frame_.get());  // the progress dialog had it
        Key(Qt::Key_F9);
        ASSERT_TRUE(Transport().IsActive());
        WriteBool("Settings", "AutoPlaybackAfterEffects", false);
        frame_->Action(kCmMono)->trigger();
        EXPECT_FALSE(Transport().IsActive());
        frame_->Rooms().files.CmClose();
        Settle();
        recording_->Clear();
    }
}

TEST_F(TransportTest, AnOpenedFilePlaysWhenTheSettingIsOn) {
    for (const bool on : {true, false}) {
        WriteBool("Settings", "PlayWhenOpen", on);
        frame_->Rooms().files.OpenFiles({QString::fromStdString(kDataFolder + "in_stereo.wav")});
        ASSERT_EQ(frame_->Rooms().workspace.Files().size(), 1U);
        EXPECT_EQ(Transport().IsActive(), on) << on;
        if (on) {
            Play(800);
            EXPECT_EQ(recording_->Format().channels, 2);
            frame_->Rooms().transport.CmStop();
        }
        // Bringing an open file to the front is not an open.
        frame_->Rooms().files.OpenFiles({QString::fromStdString(kDataFolder + "in_stereo.wav")});
        EXPECT_FALSE(Transport().IsActive());
        frame_->Rooms().files.CmClose();
        Settle();
        recording_->Clear();
    }
}

TEST_F(TransportTest, APreviewButtonStartsAndStopsThePreviewAndAChangeOfValuesIsHeardAtOnce) {
    LSVFileWindow* file = OpenStaircase();
    file->SetSelection(8000, 16000);
    Key(Qt::Key_F9);
    ASSERT_TRUE(Transport().IsActive());
    std::unique_ptr<LEffectPreview> preview = frame_->Rooms().transport.MakeEffectPreview();
    EXPECT_FALSE(Transport().IsActive());  // the frame's play stops first

    std::optional<std::int32_t> percent = 50;
    QDialog dialog(frame_.get());
    auto* button = new PreviewButton(
        *preview,
        [&]() -> std::optional<EffectSourceFactory> {
            if (!percent) {
                return std::nullopt;
            }
            return EffectSource(AmplifyParameters{.gain_percent = *percent});
        },
        &dialog);
    dialog.show();
    EXPECT_EQ(button->text(), "Ver antes");
    auto scaled = [](std::int32_t from, std::int32_t to, std::int32_t gain_percent) {
        std::vector<std::int16_t> frames;
        for (std::int32_t f = from; f < to; ++f) {
            frames.push_back(SampleTo16(SplitMultiply(f * 16, kUnityGain / 100 * gain_percent)));
        }
        return frames;
    };

    const std::size_t from = recording_->Samples().size();
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(button->text(), "Detener");
    Play(1600);
    EXPECT_EQ(Heard(from), scaled(8000, 9600, 50));
    percent = 150;
    button->ValuesChanged();
    Play(800);
    percent.reset();  // a refused value: the preview goes on as it was
    button->ValuesChanged();
    Play(800);
    EXPECT_EQ(Heard(from + 1600), scaled(9600, 11200, 150));

    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(button->text(), "Ver antes");
    EXPECT_FALSE(preview->IsPlaying());
    // With a refused value a click starts nothing; closing the dialog stops a preview that plays.
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_FALSE(preview->IsPlaying());
    percent = 100;
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_TRUE(preview->IsPlaying());
    dialog.reject();
    EXPECT_FALSE(preview->IsPlaying());
    EXPECT_EQ(button->text(), "Ver antes");
    EXPECT_FALSE(file->Document().IsModified());
}

}  // namespace
}  // namespace sonvara
