// The clipboard's WAV on both sides: what a copy renders for other programs, and what a paste
// accepts from them.

#include <gtest/gtest.h>
#include <QFile>
#include <QUrl>

#include <filesystem>

#include "audio/memory_stream.h"
#include "audio/wav/wave_file.h"
#include "core/folders.h"
#include "editor/edit/clipboard_wave_data.h"
#include "editor/edit/clipboard_wave_file.h"
#include "formats/load_save.h"
#include "tests/document/document_fixture.h"
#include "tests/editor/clipboard_signal.h"
#include "tests/support/run_process.h"
#include "tests/view/gui_test_app.h"

namespace sonvara::testing {
namespace {

class ClipboardWaveTest : public DocumentTest {
  protected:
    ClipboardWaveTest() { GuiApp(); }

    // The WAV a program asking for `type` gets, written where the tests can open it.
    std::string SaveRequested(const QMimeData& data, const QString& type) {
        const std::string path = scratch_.File("requested.wav");
        QFile file(QString::fromStdString(path));
        const QByteArray bytes = data.data(type);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        return path;
    }

    static std::size_t DataFolderFiles() {
        const std::filesystem::path folder = GetFolder("Current");
        std::size_t count = 0;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            count += entry.path().filename().string().rfind("clipboard", 0) == 0 ? 1 : 0;
        }
        return count;
    }

    ScopedEnv data_home_{"XDG_DATA_HOME", scratch_.Path()};
};

TEST_F(ClipboardWaveTest, RendersA16BitWaveOfTheSourceOnlyWhenAskedAndOnce) {
    for (const int channels : {1, 2}) {
        const std::vector<Sample> signal = ClipboardSignal(20000, channels);
        int sources_made = 0;
        ClipboardWaveData data([&] {
            ++sources_made;
            return LSoundSourceRef(new LMemorySoundSource(signal, 22050, channels));
        });
        EXPECT_TRUE(data.hasFormat("audio/wav") && data.hasFormat("audio/x-wav"));
        EXPECT_FALSE(data.hasFormat("text/plain"));
        EXPECT_EQ(sources_made, 0) << "announcing the formats renders nothing";

        const QByteArray bytes = data.data("audio/x-wav");
        EXPECT_EQ(data.data("audio/wav"), bytes);
        EXPECT_EQ(data.data(kWaveSizeMimeType).toLongLong(), bytes.size());
        EXPECT_EQ(sources_made, 1);
        ASSERT_GT(bytes.size(), 36);
        EXPECT_EQ(bytes[20], 1) << "PCM";
        EXPECT_EQ(bytes[34], 16) << "16 bits a sample";

        LSoundSourceRef wave = LWaveFile::OpenSource(SaveRequested(data, "audio/wav"));
        EXPECT_EQ(wave->GetSampleRate(), 22050);
        EXPECT_EQ(wave->GetChannels(), channels);
        EXPECT_EQ(ReadWhole(*wave), signal);
        EXPECT_EQ(DataFolderFiles(), 0u) << "the rendering's file is deleted";
    }
}

TEST_F(ClipboardWaveTest, ACutListIsRenderedAsItWasWhenCopied) {
    LCutListAudio list = Staircase(3000, 2);
    std::vector<Sample> copied = ReadList(list);
    for (Sample& sample : copied) {
        sample = SampleFrom16(SampleTo16(sample));  // what a 16-bit file keeps
    }
    std::unique_ptr<ClipboardWaveData> data(ClipboardWaveData::FromCutList(list));
    list.EfDelete(0, 1000);

    LSoundSourceRef wave = LWaveFile::OpenSource(SaveRequested(*data, "audio/wav"));
    EXPECT_EQ(wave->GetSampleRate(), 8000);
    EXPECT_EQ(ReadWhole(*wave), copied);
}

TEST_F(ClipboardWaveTest, AFailedRenderingAnswersWithoutData) {
    ClipboardWaveData broken([] { return LSoundSourceRef(new LNullSoundSource()); });
    EXPECT_TRUE(broken.data("audio/wav").isEmpty());

    // No data folder can be made beneath a plain file.
    const std::string blocker = scratch_.File("not-a-folder");
    ASSERT_TRUE(QFile(QString::fromStdString(blocker)).open(QIODevice::WriteOnly));
    ScopedEnv no_folder("XDG_DATA_HOME", blocker);
    ClipboardWaveData homeless(
        [] { return LSoundSourceRef(new LMemorySoundSource(ClipboardSignal(10, 1), 8000, 1)); });
    EXPECT_TRUE(homeless.data("audio/wav").isEmpty());
}

TEST_F(ClipboardWaveTest, ASoundTooLongForTheClipboardIsRefusedBeforeItsBytesAreMade) {
    // Stereo silence a frame longer than a WAV of the largest size holds.
    LCutListAudio silence(44100, 2);
    silence.InsertSilence(0, static_cast<std::int32_t>(kMaxClipboardWaveBytes / 4));
    std::unique_ptr<ClipboardWaveData> copied(ClipboardWaveData::FromCutList(silence));
    EXPECT_GT(copied->data(kWaveSizeMimeType).toLongLong(), kMaxClipboardWaveBytes);
    const ClipboardWaveFile refused = ClipboardWaveFile::Read(copied.get());
    EXPECT_FALSE(refused.IsValid());
    EXPECT_NE(refused.Error().find("demasiado grande"), std::string::npos);
    // Another program gets nothing, at once.
    EXPECT_TRUE(copied->data("audio/wav").isEmpty());
    EXPECT_EQ(DataFolderFiles(), 0u);

    // The size is asked first: a WAV said to be too large is refused unread.
    QMimeData said_large;
    said_large.setData(kWaveSizeMimeType, QByteArray::number(kMaxClipboardWaveBytes + 1));
    said_large.setData("audio/wav", ClipboardWaveData([] {
                                        return LSoundSourceRef(new LMemorySoundSource(
                                            ClipboardSignal(100, 1), 8000, 1));
                                    }).data("audio/wav"));
    EXPECT_NE(ClipboardWaveFile::Read(&said_large).Error().find("demasiado grande"),
              std::string::npos);
}

TEST_F(ClipboardWaveTest, WaveBytesAndACopiedFileBothLoad) {
    const std::vector<Sample> signal = ClipboardSignal(5000, 2);
    ClipboardWaveData offered(
        [&] { return LSoundSourceRef(new LMemorySoundSource(signal, 44100, 2)); });
    const std::string copied_file = SaveRequested(offered, "audio/wav");

    QMimeData bytes;  // another program's copy
    bytes.setData("audio/x-wav", offered.data("audio/wav"));
    QMimeData uri;  // a file manager's copy
    uri.setUrls({QUrl::fromLocalFile(QString::fromStdString(copied_file))});

    for (const QMimeData* data : std::initializer_list<const QMimeData*>{&bytes, &uri}) {
        std::string written;
        {
            const ClipboardWaveFile file = ClipboardWaveFile::Read(data);
            ASSERT_TRUE(file.IsValid()) << file.Error();
            written = file.Path();
            LCutListAudio document;
            SVLoadFile load(file.Path(), document, false);
            ASSERT_EQ(RunProcess(load), PROCESS_DONE);
            EXPECT_EQ(document.GetSampleRate(), 44100);
            EXPECT_EQ(ReadList(document), signal);
        }
        EXPECT_EQ(FileExists(written), data == &uri) << "only the file made from bytes goes";
    }
}

TEST_F(ClipboardWaveTest, RefusesWhatIsNotAUsableWave) {
    const std::vector<Sample> signal = ClipboardSignal(100, 1);
    const QByteArray good = ClipboardWaveData([&] {
                                return LSoundSourceRef(new LMemorySoundSource(signal, 8000, 1));
                            }).data("audio/wav");
    QByteArray wrong_form = good;
    wrong_form.replace(8, 4, "AVI ");

    QMimeData damaged;
    damaged.setData("audio/wav", wrong_form);
    QMimeData cut_short;
    cut_short.setData("audio/wav", good.left(30));
    QMimeData text;
    text.setText("no es audio");
    QMimeData remote;
    remote.setUrls({QUrl("https://example.org/a.wav")});
    QMimeData not_wave;
    const std::string named = scratch_.File("notes.txt");
    ASSERT_TRUE(QFile(QString::fromStdString(named)).open(QIODevice::WriteOnly));
    not_wave.setUrls({QUrl::fromLocalFile(QString::fromStdString(named))});

    for (const QMimeData* data : {&damaged, &cut_short, &text, &remote, &not_wave}) {
        const ClipboardWaveFile file = ClipboardWaveFile::Read(data);
        EXPECT_FALSE(file.IsValid()) << file.Path();
        EXPECT_FALSE(file.Error().empty());
    }
    EXPECT_FALSE(ClipboardWaveFile::Read(nullptr).IsValid());
    EXPECT_EQ(DataFolderFiles(), 0u) << "a refused clipboard leaves no file behind";
}

}  // namespace
}  // namespace sonvara::testing
