// The record command on the test input (unpaced: the sound goes through as fast as the recorder
// takes it): a recording into a new file and into a selection, each an undoable step, the takes
// handed over one by one with "Grabar siguiente", and an input that cannot be opened.

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <chrono>
#include <cmath>
#include <functional>

#include "devices/file_wave_in.h"
#include "editor/transport/record_dialog.h"
#include "tests/editor/editor_fixture.h"
#include "view/db_edit.h"
#include "view/live_take_view.h"
#include "view/player_wave_window.h"

namespace sonvara {
namespace {

// The input: a second of silence, then half a second of tone; blocks are a tenth of a second.
constexpr std::int32_t kQuiet = 8000;
constexpr std::int32_t kRecorded = 12000;

class RecordCommandTest : public EditorTest {
  protected:
    RecordCommandTest() {
        WriteBool("Settings", "PromptSampleAndChannels", false);
        WriteInt("Settings", "DefaultSampleRate", kRate);
        WriteInt("Settings", "DefaultChannels", 1);
        WriteBool("Settings", "AutoPlaybackAfterEffects", false);
        WriteBool("Recorder", "Autotrim", false);
        frame_->Rooms().transport.SetWaveInputs(&inputs_);
    }

    // Silence, then a 1 kHz tone of amplitude 8000.
    static std::shared_ptr<CapturedSound> Tone() {
        std::vector<std::int16_t> tone(kQuiet, 0);
        for (int i = kQuiet; i < kRecorded; ++i) {
            tone.push_back(static_cast<std::int16_t>(std::lround(8000 * std::sin(i * M_PI / 4))));
        }
        return std::make_shared<CapturedSound>(tone, WaveInFormat{kRate, 1},
                                               CapturedSound::Pace::kUnpaced);
    }

    // Runs the record command, with `script` acting in its dialog once it shows.
    void Record(const std::function<void(LRecordDlg&)>& script) {
        QTimer poll;
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (auto* dialog = qobject_cast<LRecordDlg*>(QApplication::activeModalWidget())) {
                poll.stop();
                script(*dialog);
                if (dialog->isVisible()) {
                    Click(*dialog, "Cerrar");
                }
            }
        });
        poll.start();
        frame_->Action(kCmRecord)->trigger();
    }

    static void Click(LRecordDlg& dialog, const QString& name_or_text) {
        for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
            if (button->objectName() == name_or_text || button->text() == name_or_text) {
                QTest::mouseClick(button, Qt::LeftButton);
                return;
            }
        }
        ADD_FAILURE() << "no button " << name_or_text.toStdString();
    }

    // Waits until the whole sound went in and the recorder reported `recorded`.
    void WaitForTheSound(LRecordDlg& dialog, const QString& recorded_text = "Grabado: 0:00:01.50") {
        ASSERT_TRUE(sound_->WaitForDelivered(kRecorded));
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        const QLabel* recorded = dialog.findChild<QLabel*>("recordedTime");
        const QLabel* state = dialog.findChild<QLabel*>("recordState");
        // The time and the state come in separate reports.
        while ((recorded->text() != recorded_text || state->text() != "● Grabando") &&
               std::chrono::steady_clock::now() < until) {
            QTest::qWait(5);
        }
        EXPECT_EQ(recorded->text(), recorded_text);
        EXPECT_EQ(state->text(), "● Grabando");
    }

    LEditDocument& Document() { return frame_->Rooms().workspace.Files().at(0)->Document(); }

    // The loudest sample of `list`: the tone, not silence, went in.
    Sample Peak(const LCutListAudio& list) {
        Sample peak = 0;
        for (Sample s : ReadList(list)) {
            peak = std::max(peak, std::abs(s));
        }
        return peak;
    }

    std::shared_ptr<CapturedSound> sound_ = Tone();
    FileWaveInProvider inputs_{sound_};
};

TEST_F(RecordCommandTest, WithNoFileOpenTheRecordingGoesIntoANewFileAndUndoTakesItOut) {
    QAction* record = frame_->Action(kCmRecord);
    EXPECT_TRUE(record->isEnabled());
    EXPECT_TRUE(frame_->ToolBar()->actions().contains(record));
    EXPECT_FALSE(record->icon().isNull());
    EXPECT_EQ(record->shortcut(), QKeySequence(Qt::Key_F5));

    Record([this](LRecordDlg& dialog) {
        EXPECT_EQ(dialog.findChild<QLabel*>("recordState")->text(), "Detenido");
        const int width = dialog.width();
        auto* live = dialog.findChild<LLiveTakeView*>("liveTake");
        auto* wave = dialog.findChild<LWaveWindow*>();
        ASSERT_TRUE(live != nullptr && wave != nullptr);
        EXPECT_TRUE(wave->isVisible());
        EXPECT_FALSE(live->isVisible());
        const QRect wave_place = wave->geometry();
        Click(dialog, "record");
        WaitForTheSound(dialog);
        // The big time runs with the recording; the dialog keeps its width; the take's trail
        // grows in the wave display's place, drawn in the middle of the view.
        EXPECT_EQ(dialog.findChild<QLabel*>("position")->text(), "0:00:01.50");
        QApplication::processEvents();
        EXPECT_EQ(dialog.width(), width);
        EXPECT_TRUE(live->isVisible());
        EXPECT_FALSE(wave->isVisible());
        EXPECT_EQ(live->geometry().topLeft(), wave_place.topLeft());
        EXPECT_EQ(live->width(), wave_place.width());
        EXPECT_GE(live->height(), wave_place.height());
        EXPECT_GT(live->Reports(), 0);
        const QImage trail = live->grab().toImage();
        EXPECT_NE(trail.pixel(live->Reports() / 2, live->height() / 4),
                  trail.pixel(live->width() - 2, live->height() / 4));
        Click(dialog, "record");  // now "Detener (F8)"
        EXPECT_TRUE(wave->isVisible());
        EXPECT_EQ(dialog.RecorderState(), LSoundRecorder::kStopped);
        EXPECT_EQ(dialog.Recording().GetLength(), kRecorded);
    });

    ASSERT_EQ(frame_->Rooms().workspace.Files().size(), 1u);
    EXPECT_EQ(Document().Audio().GetLength(), kRecorded);
    EXPECT_GT(Peak(Document().Audio()), 7000 * 16);
    EXPECT_EQ(Document().Positions().selection_start, 0);
    EXPECT_EQ(Document().Positions().selection_end, kRecorded);
    EXPECT_TRUE(Document().IsModified());
    EXPECT_EQ(frame_->Action(kCmUndo)->text(), "Deshacer Record\tCtrl+Z");
    EXPECT_TRUE(Title(frame_->Rooms().workspace.Files()[0]).contains("*"));
    EXPECT_EQ(frame_->TimeFieldText(TimeField::kSelectionLength).toStdString().substr(0, 9),
              "0:00:01.5");

    frame_->Action(kCmUndo)->trigger();
    EXPECT_EQ(Document().Audio().GetLength(), 0);
}

TEST_F(RecordCommandTest, RecordingsReplaceTheSelectionOneUndoStepForEachHandedOver) {
    frame_->Rooms().files.CmNew();
    Document().Audio() = Staircase(24000);
    frame_->Rooms().workspace.Files()[0]->ViewWholeDocument();
    frame_->Rooms().workspace.ModifySelection(8000, 16000, 8000);

    Record([this](LRecordDlg& dialog) {
        Click(dialog, "record");
        WaitForTheSound(dialog);
        // The first take goes in now; the next is armed after it.
        Click(dialog, "recordNext");
        EXPECT_EQ(Document().Audio().GetLength(), 24000 - 8000 + kRecorded);
        EXPECT_NE(dialog.RecorderState(), LSoundRecorder::kStopped);
        WaitForTheSound(dialog);
    });

    const std::vector<Sample> before = ReadList(Staircase(24000));
    std::vector<Sample> now = ReadList(Document().Audio());
    ASSERT_EQ(now.size(), 8000u + 2 * kRecorded + 8000u);
    EXPECT_TRUE(std::equal(before.begin(), before.begin() + 8000, now.begin()));
    EXPECT_TRUE(std::equal(before.begin() + 16000, before.end(), now.end() - 8000));
    EXPECT_EQ(Document().Positions().selection_start, 8000);
    EXPECT_EQ(Document().Positions().selection_end, 8000 + 2 * kRecorded);

    frame_->Action(kCmUndo)->trigger();
    EXPECT_EQ(Document().Audio().GetLength(), 24000 - 8000 + kRecorded);
    frame_->Action(kCmUndo)->trigger();
    EXPECT_EQ(ReadList(Document().Audio()), before);
    EXPECT_EQ(Document().Positions().selection_start, 8000);
    EXPECT_EQ(Document().Positions().selection_end, 16000);
}

TEST_F(RecordCommandTest, TheOptionsAreKeptAndTheNextTakeTrimsTheSilenceWithThem) {
    Record([this](LRecordDlg& dialog) {
        QTimer::singleShot(0, [] {
            auto* options = qobject_cast<LRecordDlgAdvanced*>(QApplication::activeModalWidget());
            ASSERT_NE(options, nullptr);
            auto* autotrim = options->findChild<QCheckBox*>("autotrim");
            auto* vor = options->findChild<QCheckBox*>("vor");
            EXPECT_FALSE(vor->isEnabled());  // only with the trim
            autotrim->click();
            EXPECT_TRUE(vor->isEnabled());
            EXPECT_TRUE(options->findChild<LDBEdit*>("threshold")->isEnabled());
            options->findChild<LDBEdit*>("threshold")->SetValue(-30);
            // The test input has no mixer: the volume gives way to the desktop's mixer.
            EXPECT_FALSE(options->findChild<LDBEdit*>("recordVolume")->isVisibleTo(options));
            EXPECT_TRUE(options->findChild<QPushButton*>("systemMixer")->isVisibleTo(options));
            options->accept();
        });
        Click(dialog, "advanced");
        EXPECT_TRUE(ReadBool("Recorder", "Autotrim", false));
        EXPECT_EQ(ReadInt("Recorder", "Threshold", 0), -30);
        EXPECT_EQ(ReadString("Recorder", "DeviceName", ""), FileWaveInProvider::kName);

        // The second of silence is not written, but the 50 ms before the tone are.
        Click(dialog, "record");
        WaitForTheSound(dialog, "Grabado: 0:00:00.55");
        EXPECT_EQ(dialog.findChild<QLabel*>("recordState")->text(), "● Grabando");
        // A new take after it: the same sound again.
        Click(dialog, "newTake");
        WaitForTheSound(dialog, "Grabado: 0:00:01.10");
    });
    ASSERT_EQ(frame_->Rooms().workspace.Files().size(), 1u);
    EXPECT_EQ(Document().Audio().GetLength(), 2 * (kRecorded - kQuiet + 400));
    EXPECT_EQ(frame_->Action(kCmUndo)->text(), "Deshacer Record\tCtrl+Z");
}

TEST_F(RecordCommandTest, ATakeThatFailsStopsSaysWhyAndKeepsWhatWasRecorded) {
    sound_->SetFailingAfter(8000);
    Record([this](LRecordDlg& dialog) {
        Click(dialog, "record");
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (prompts_.Asked().empty() && std::chrono::steady_clock::now() < until) {
            QTest::qWait(5);
        }
        ASSERT_EQ(prompts_.Asked().size(), 1u);
        EXPECT_EQ(prompts_.Asked()[0].caption, "Error");
        EXPECT_EQ(prompts_.Asked()[0].text.rfind("La grabación se detuvo: ", 0), 0u);
        EXPECT_NE(prompts_.Asked()[0].text.find("(0:00:01.00) se conserva"), std::string::npos);
        EXPECT_EQ(dialog.findChild<QLabel*>("recordState")->text(), "Detenido");
    });
    ASSERT_EQ(frame_->Rooms().workspace.Files().size(), 1u);
    EXPECT_EQ(Document().Audio().GetLength(), 8000);
}

TEST_F(RecordCommandTest, AnInputThatCannotBeOpenedIsReportedAndTheFileStaysAsItWas) {
    frame_->Rooms().files.CmNew();
    Document().Audio() = Staircase(8000);
    frame_->Rooms().workspace.Files()[0]->ViewWholeDocument();
    sound_->SetRefusingOpen(true);

    Record([this](LRecordDlg& dialog) {
        Click(dialog, "record");
        ASSERT_FALSE(prompts_.Asked().empty());
        EXPECT_EQ(prompts_.Asked().back().caption, "Error");
        EXPECT_NE(prompts_.Asked().back().text.find("no se pudo abrir el dispositivo"),
                  std::string::npos);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.findChild<QLabel*>("recordState")->text(), "Detenido");
        EXPECT_EQ(dialog.findChild<QPushButton*>("record")->text(), "Grabar (F8)");
    });

    EXPECT_EQ(ReadList(Document().Audio()), ReadList(Staircase(8000)));
    EXPECT_FALSE(Document().CanUndo());
}

}  // namespace
}  // namespace sonvara
