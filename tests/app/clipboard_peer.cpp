// The other program of the clipboard exchange tests, on the same X display:
//   clipboard_peer offer <rate> <channels> <frames>  puts ClipboardSignal on the clipboard, says
//       "ready" and answers requests until its standard input ends (or 60 s pass);
//   clipboard_peer read  pastes: prints "<rate> <channels> <frames> <checksum>" of what it loaded.

#include <unistd.h>
#include <QApplication>
#include <QClipboard>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/clipboard_wave_data.h"
#include "app/clipboard_wave_file.h"
#include "audio/memory_stream.h"
#include "document/cut_list_reader.h"
#include "formats/load_save.h"
#include "tests/app/clipboard_signal.h"
#include "tests/support/run_process.h"

using namespace sonvara;

namespace {

int Offer(QApplication& app, std::int32_t rate, int channels, std::int32_t frames) {
    app.clipboard()->setMimeData(new ClipboardWaveData([=] {
        return LSoundSourceRef(
            new LMemorySoundSource(testing::ClipboardSignal(frames, channels), rate, channels));
    }));
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&app, &input] {
        char byte = 0;
        if (read(STDIN_FILENO, &byte, 1) <= 0) {
            input.setEnabled(false);
            app.quit();
        }
    });
    QTimer::singleShot(60000, &app, [&app] { app.exit(2); });
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}

int Read(QApplication& app) {
    const ClipboardWaveFile file = ClipboardWaveFile::Read(app.clipboard()->mimeData());
    if (!file.IsValid()) {
        std::fprintf(stderr, "%s\n", file.Error().c_str());
        return 1;
    }
    LCutListAudio document;
    SVLoadFile load(file.Path(), document, false);
    if (testing::RunProcess(load) != PROCESS_DONE) {
        return 1;
    }
    LSRCCutListAudio reader(document);
    std::printf("%d %d %d %lld\n", document.GetSampleRate(), document.GetChannels(),
                document.GetLength(),
                static_cast<long long>(testing::Checksum(testing::ReadWhole(reader))));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
    QApplication app(argc, argv);
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "offer" && argc == 5) {
        return Offer(app, std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]));
    }
    if (mode == "read") {
        return Read(app);
    }
    std::fprintf(stderr, "usage: clipboard_peer offer RATE CHANNELS FRAMES | read\n");
    return 64;
}
