// Two programs on one X display exchange audio through the clipboard, in both directions. Run
// under xvfb-run: this program and clipboard_peer share its display.

#include <gtest/gtest.h>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QProcess>

#include <cstdlib>

#include "app/clipboard_wave_data.h"
#include "app/clipboard_wave_file.h"
#include "audio/memory_stream.h"
#include "document/cut_list_reader.h"
#include "formats/load_save.h"
#include "tests/app/clipboard_signal.h"
#include "tests/support/run_process.h"
#include "tests/support/scratch_folder.h"

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

class ClipboardExchangeTest : public ::testing::Test {
  protected:
    ClipboardExchangeTest() { XApp(); }
    ~ClipboardExchangeTest() override {
        if (peer_.state() != QProcess::NotRunning) {
            peer_.kill();
            peer_.waitForFinished(5000);
        }
    }

    ScratchFolder scratch_;
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
    const QString expected =
        QString("8000 1 8000 %1").arg(static_cast<qlonglong>(Checksum(ClipboardSignal(8000, 1))));
    EXPECT_EQ(QString(peer_.readAllStandardOutput()).trimmed(), expected);
    EXPECT_EQ(sources_made, 1) << "rendered once, for the paste";
}

}  // namespace
}  // namespace sonvara::testing
