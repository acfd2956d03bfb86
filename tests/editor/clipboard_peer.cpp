// The other program of the clipboard exchange tests, on the same X display:
//   clipboard_peer offer <rate> <channels> <frames>  puts ClipboardSignal on the clipboard as WAV
//       data, says "ready" and answers requests until its standard input ends (or 60 s pass);
//   clipboard_peer offer-file <path> <rate> <channels> <frames>  writes it as a WAV file at
//       <path> and puts the file on the clipboard as a URI list, as a file manager's copy does,
//       then as offer;
//   clipboard_peer read  pastes: prints "<format tag> <bits> <rate> <channels> <frames>
//       <checksum>" of the "audio/wav" data's header and of what it loaded.

#include <unistd.h>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QMimeData>
#include <QSocketNotifier>
#include <QTimer>
#include <QUrl>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "audio/memory_stream.h"
#include "core/byte_order.h"
#include "document/cut_list_reader.h"
#include "editor/edit/clipboard_wave_data.h"
#include "editor/edit/clipboard_wave_file.h"
#include "formats/load_save.h"
#include "tests/editor/clipboard_signal.h"
#include "tests/support/run_process.h"

using namespace sonvara;

namespace {

LSoundSourceRef Signal(std::int32_t rate, int channels, std::int32_t frames) {
    return LSoundSourceRef(
        new LMemorySoundSource(testing::ClipboardSignal(frames, channels), rate, channels));
}

// Answers the clipboard's requests until standard input ends.
int Serve(QApplication& app) {
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

int Offer(QApplication& app, std::int32_t rate, int channels, std::int32_t frames) {
    app.clipboard()->setMimeData(
        new ClipboardWaveData([=] { return Signal(rate, channels, frames); }));
    return Serve(app);
}

int OfferFile(QApplication& app, const QString& path, std::int32_t rate, int channels,
              std::int32_t frames) {
    const std::optional<QByteArray> bytes = RenderWaveBytes(Signal(rate, channels, frames));
    QFile file(path);
    if (!bytes || !file.open(QIODevice::WriteOnly) || file.write(*bytes) != bytes->size() ||
        !file.flush()) {
        std::fprintf(stderr, "cannot write %s\n", path.toLocal8Bit().constData());
        return 1;
    }
    file.close();
    auto* data = new QMimeData;
    data->setUrls({QUrl::fromLocalFile(path)});
    app.clipboard()->setMimeData(data);
    return Serve(app);
}

// A 16-bit little-endian field of a WAV header.
int Field16(const QByteArray& bytes, int at) {
    return bytes.size() < at + 2
               ? -1
               : LoadLE16(reinterpret_cast<const std::uint8_t*>(bytes.constData()) + at);
}

int Read(QApplication& app) {
    // The format tag and bits a sample, from the canonical header a 16-bit PCM WAV starts with.
    const QByteArray header = app.clipboard()->mimeData()->data("audio/wav").left(36);
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
    std::printf("%d %d %d %d %d %lld\n", Field16(header, 20), Field16(header, 34),
                document.GetSampleRate(), document.GetChannels(), document.GetLength(),
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
    if (mode == "offer-file" && argc == 6) {
        return OfferFile(app, QString::fromLocal8Bit(argv[2]), std::atoi(argv[3]),
                         std::atoi(argv[4]), std::atoi(argv[5]));
    }
    if (mode == "read") {
        return Read(app);
    }
    std::fprintf(stderr,
                 "usage: clipboard_peer offer RATE CHANNELS FRAMES | offer-file PATH RATE "
                 "CHANNELS FRAMES | read\n");
    return 64;
}
