// Two programs on one X display exchange audio through the clipboard, in both directions: the
// clipboard's WAV on its own, and the editor's copy and its paste from the system clipboard. Run
// under xvfb-run: this program and clipboard_peer share its display.

#include <gtest/gtest.h>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QProcess>

#include <cstdlib>

#include "audio/memory_stream.h"
#include "core/settings.h"
#include "devices/recording_wave_out.h"
#include "document/cut_list_reader.h"
#include "editor/common/file_window.h"
#include "editor/common/workspace.h"
#include "editor/edit/clipboard_wave_data.h"
#include "editor/edit/clipboard_wave_file.h"
#include "editor/files/file_controller.h"
#include "editor/frame/main_window.h"
#include "formats/load_save.h"
#include "tests/document/document_fixture.h"
#include "tests/editor/clipboard_signal.h"
#include "tests/support/run_process.h"
#include "tests/support/scripted_prompts.h"

namespace sonvara::testing {
namespace {

QApplication& XApp() {
    static int argc = 1;
    static char name[] = "clipboard-exchange-test";
    static char* argv[] = {name, nullptr};
    static QApplication* application = [] {
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
        return new QApplication(argc, argv);
    }();
    return *application;
}

// Runs this program's event loop (so that its clipboard answers) until `peer` ends.
bool PumpUntilFinished(QProcess& peer) {
    QElapsedTimer timer;
    timer.start();
    while (peer.state() != QProcess::NotRunning && timer.elapsed() < 30000) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
        peer.waitForFinished(20);
    }
    return peer.state() == QProcess::NotRunning;
}

class ClipboardExchangeTest : public DocumentTest {
  protected:
    ClipboardExchangeTest() { XApp(); }
    ~ClipboardExchangeTest() override {
        if (peer_.state() != QProcess::NotRunning) {
            peer_.kill();
            peer_.waitForFinished(5000);
        }
    }

    ScopedEnv data_home_{"XDG_DATA_HOME", scratch_.Path()};  // the peer inherits it
    QProcess peer_;
};

TEST_F(ClipboardExchangeTest, APasteReadsTheWaveAnotherProgramRenders) {
    peer_.start(CLIPBOARD_PEER, {"offer", "22050", "2", "30000"});
    ASSERT_TRUE(peer_.waitForReadyRead(20000)) << peer_.readAllStandardError().toStdString();
    ASSERT_EQ(peer_.readLine().trimmed(), "ready");

    const ClipboardWaveFile file = ClipboardWaveFile::Read(XApp().clipboard()->mimeData());
    ASSERT_TRUE(file.IsValid()) << file.Error();
    LCutListAudio document;
    SVLoadFile load(file.Path(), document, false);
    ASSERT_EQ(RunProcess(load), PROCESS_DONE);
    EXPECT_EQ(document.GetSampleRate(), 22050);
    EXPECT_EQ(document.GetChannels(), 2);
    LSRCCutListAudio reader(document);
    EXPECT_EQ(ReadWhole(reader), ClipboardSignal(30000, 2));

    peer_.closeWriteChannel();  // the peer's sign to end
    EXPECT_TRUE(PumpUntilFinished(peer_));
    EXPECT_EQ(peer_.exitCode(), 0);
}

TEST_F(ClipboardExchangeTest, AnotherProgramPastesWhatThisOneCopied) {
    int sources_made = 0;
    XApp().clipboard()->setMimeData(new ClipboardWaveData([&] {
        ++sources_made;
        return LSoundSourceRef(new LMemorySoundSource(ClipboardSignal(8000, 1), 8000, 1));
    }));
    QApplication::processEvents();
    EXPECT_EQ(sources_made, 0);

    peer_.start(CLIPBOARD_PEER, {"read"});
    ASSERT_TRUE(PumpUntilFinished(peer_));
    ASSERT_EQ(peer_.exitCode(), 0) << peer_.readAllStandardError().toStdString();
    // A 16-bit PCM WAV (format tag 1) of the 8000 frames.
    const QString expected = QString("1 16 8000 1 8000 %1")
                                 .arg(static_cast<qlonglong>(Checksum(ClipboardSignal(8000, 1))));
    EXPECT_EQ(QString(peer_.readAllStandardOutput()).trimmed(), expected);
    EXPECT_EQ(sources_made, 1) << "rendered once, for the paste";
}

// The editor on this display: a frame of its own, playing nowhere, never playing after an edit.
class EditorExchangeTest : public ClipboardExchangeTest {
  protected:
    EditorExchangeTest() {
        WriteBool("Settings", "PromptSampleAndChannels", false);
        WriteBool("Settings", "AutoPlaybackAfterEffects", false);
        frame_ = std::make_unique<MainDialog>(std::make_unique<RecordingWaveOutProvider>(
            std::make_shared<WaveRecording>(WaveRecording::Pace::kClock)));
        frame_->Rooms().workspace.SetPrompts(&prompts_);
        frame_->show();
    }
    ~EditorExchangeTest() override {
        XApp().clipboard()->clear();  // its copy reads this test's cut files
        frame_.reset();
        UseSettingsStore(previous_settings_);
    }

    // A new file window holding `samples`.
    LSVFileWindow* NewFile(const std::vector<Sample>& samples, int channels, std::int32_t rate) {
        frame_->Rooms().files.CmNew();
        LSVFileWindow* file = frame_->Rooms().workspace.CurrentFile();
        file->Document().Audio() = FromSamples(samples, channels, rate);
        file->RefreshView();
        return file;
    }

    std::shared_ptr<SettingsStore> previous_settings_ =
        UseSettingsStore(std::make_shared<MemorySettingsStore>());
    ScriptedPrompts prompts_;
    std::unique_ptr<MainDialog> frame_;
};

TEST_F(EditorExchangeTest, TheEditorsCopyOfASecondReachesAnotherProgramAsA16BitWave) {
    constexpr std::int32_t kRate = 11025;
    const std::vector<Sample> signal = ClipboardSignal(3 * kRate, 2);
    NewFile(signal, 2, kRate);
    frame_->Rooms().workspace.ModifySelection(kRate, 2 * kRate, 0);
    frame_->Action(kCmCopy)->trigger();

    peer_.start(CLIPBOARD_PEER, {"read"});
    ASSERT_TRUE(PumpUntilFinished(peer_));
    ASSERT_EQ(peer_.exitCode(), 0) << peer_.readAllStandardError().toStdString();
    const std::vector<Sample> second(signal.begin() + 2 * kRate, signal.begin() + 4 * kRate);
    EXPECT_EQ(QString(peer_.readAllStandardOutput()).trimmed(),
              QString("1 16 %1 2 %1 %2").arg(kRate).arg(static_cast<qlonglong>(Checksum(second))));
}

// Another program's WAV data, or a WAV file it copied as a URI list, goes in at the selection.
TEST_F(EditorExchangeTest, PastingFromTheSystemClipboardTakesAnotherProgramsWaveOrCopiedFile) {
    const std::vector<Sample> pasted = ClipboardSignal(30000, 2);
    const std::vector<Sample> before(2 * 1000, SampleFrom16(1000));
    const std::string copied_file = scratch_.File("copied.wav");
    const QStringList offers[] = {
        {"offer", "22050", "2", "30000"},
        {"offer-file", QString::fromStdString(copied_file), "22050", "2", "30000"}};
    for (const QStringList& offer : offers) {
        SCOPED_TRACE(offer.front().toStdString());
        LSVFileWindow* file = NewFile(before, 2, 22050);
        frame_->Rooms().workspace.ModifySelection(400, 600, 0);
        peer_.start(CLIPBOARD_PEER, offer);
        ASSERT_TRUE(peer_.waitForReadyRead(20000)) << peer_.readAllStandardError().toStdString();
        ASSERT_EQ(peer_.readLine().trimmed(), "ready");
        // This program learns of the clipboard's new owner through its event loop.
        QElapsedTimer waited;
        waited.start();
        while (XApp().clipboard()->mimeData()->formats().isEmpty() && waited.elapsed() < 5000) {
            QApplication::processEvents(QEventLoop::AllEvents, 50);
        }

        frame_->Action(kCmPasteFromSystem)->trigger();
        ASSERT_TRUE(prompts_.Asked().empty()) << prompts_.Asked().front().text;
        std::vector<Sample> expected(before.begin(), before.begin() + 2 * 400);
        expected.insert(expected.end(), pasted.begin(), pasted.end());
        expected.insert(expected.end(), before.begin() + 2 * 600, before.end());
        EXPECT_TRUE(ReadList(file->Document().Audio()) == expected);
        EXPECT_EQ(file->Document().UndoMenuText(), "Deshacer Pegar\tCtrl+Z");

        peer_.closeWriteChannel();
        EXPECT_TRUE(PumpUntilFinished(peer_));
        EXPECT_EQ(peer_.exitCode(), 0);
    }
}

}  // namespace
}  // namespace sonvara::testing
