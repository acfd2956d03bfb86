// The record command on the test input (unpaced: the sound goes through as fast as the recorder
// takes it): a recording into a new file and into a selection, each an undoable step, the takes
// handed over one by one with "Grabar siguiente", and an input that cannot be opened.

#include <gtest/gtest.h>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <chrono>
#include <cmath>
#include <functional>

#include "app/dialogs/record_dialog.h"
#include "devices/file_wave_in.h"
#include "tests/app/editor_fixture.h"

namespace sonvara {
namespace {

constexpr std::int32_t kRate = 8000;
constexpr std::int32_t kRecorded = 4000;  // five blocks of a tenth of a second

class RecordCommandTest : public EditorTest {
  protected:
    RecordCommandTest() {
        WriteBool("Settings", "PromptSampleAndChannels", false);
        WriteInt("Settings", "DefaultSampleRate", kRate);
        WriteInt("Settings", "DefaultChannels", 1);
        WriteBool("Settings", "AutoPlaybackAfterEffects", false);
        WriteBool("Recorder", "Autotrim", false);
        frame_->SetWaveInputs(&inputs_);
    }

    // A 1 kHz tone of amplitude 8000.
    static std::shared_ptr<CapturedSound> Tone() {
        std::vector<std::int16_t> tone;
        for (int i = 0; i < kRecorded; ++i) {
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

    // Waits until the whole sound went in and the recorder wrote it.
    void WaitForTheSound(LRecordDlg& dialog) {
        ASSERT_TRUE(sound_->WaitForDelivered(kRecorded));
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        const QLabel* recorded = dialog.findChild<QLabel*>("recordedTime");
        while (recorded->text() != "Grabado: 0:00:00.50" &&
               std::chrono::steady_clock::now() < until) {
            QTest::qWait(5);
        }
        EXPECT_EQ(dialog.findChild<QLabel*>("recordState")->text(), "● Grabando");
    }

    LEditDocument& Document() { return frame_->Files().at(0)->Document(); }

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
        Click(dialog, "record");
        WaitForTheSound(dialog);
        Click(dialog, "record");  // now "Detener (F8)"
        EXPECT_EQ(dialog.RecorderState(), LSoundRecorder::kStopped);
        EXPECT_EQ(dialog.Recording().GetLength(), kRecorded);
    });

    ASSERT_EQ(frame_->Files().size(), 1u);
    EXPECT_EQ(Document().Audio().GetLength(), kRecorded);
    EXPECT_GT(Peak(Document().Audio()), 7000 * 16);
    EXPECT_EQ(Document().Positions().selection_start, 0);
    EXPECT_EQ(Document().Positions().selection_end, kRecorded);
    EXPECT_TRUE(Document().IsModified());
    EXPECT_EQ(frame_->Action(kCmUndo)->text(), "Deshacer Record\tCtrl+Z");
    EXPECT_TRUE(Title(frame_->Files()[0]).contains("*"));
    EXPECT_EQ(frame_->TimeFieldText(TimeField::kSelectionLength).toStdString().substr(0, 9),
              "0:00:00.5");

    frame_->Action(kCmUndo)->trigger();
    EXPECT_EQ(Document().Audio().GetLength(), 0);
}

TEST_F(RecordCommandTest, RecordingsReplaceTheSelectionOneUndoStepForEachHandedOver) {
    frame_->CmNew();
    Document().Audio() = Staircase(24000);
    frame_->Files()[0]->ViewWholeDocument();
    frame_->ModifySelection(8000, 16000, 8000);

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

TEST_F(RecordCommandTest, AnInputThatCannotBeOpenedIsReportedAndTheFileStaysAsItWas) {
    frame_->CmNew();
    Document().Audio() = Staircase(8000);
    frame_->Files()[0]->ViewWholeDocument();
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
