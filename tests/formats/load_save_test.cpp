#include "formats/load_save.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <vector>

#include "audio/wav/wave_file.h"
#include "audio/wav/wave_file_format.h"
#include "core/byte_order.h"
#include "core/folders.h"
#include "core/message_loop.h"
#include "core/paths.h"
#include "core/settings.h"
#include "document/cut_list_reader.h"
#include "formats/compression_settings.h"
#include "formats/format_table.h"
#include "formats/sample_bits.h"
#include "platform/codec/codec_manager.h"
#include "tests/document/document_fixture.h"
#include "tests/support/cancel_after_view.h"
#include "tests/support/file_contents.h"
#include "tests/support/run_process.h"
#include "tests/support/scripted_prompts.h"
#include "tests/support/wave_writer.h"

namespace sonvara {
namespace {

using testing::FileBytes;

class LoadSaveTest : public testing::DocumentTest {
  protected:
    LoadSaveTest() : previous_store_(UseSettingsStore(nullptr)) {}
    ~LoadSaveTest() override { UseSettingsStore(previous_store_); }

    ProcessResult Run(LProgressDialog& process, ProgressView* view = nullptr) {
        return testing::RunProcess(process, view, &prompts_);
    }

    ProcessResult Load(const std::string& path, LCutListAudio& document, bool ask = false) {
        SVLoadFile load(path, document, ask);
        return Run(load);
    }

    ProcessResult Save(LCutListAudio& document, const std::string& path,
                       SaveMode mode = SaveMode::kPlain, ProgressView* view = nullptr) {
        LSVSaveToSink save(document, path, mode);
        return Run(save, view);
    }

    // A 16-bit WAV of `frames` frames whose samples count up.
    std::string Wave(const std::string& name, std::int32_t frames, int channels,
                     std::int32_t rate = 8000) {
        const std::string path = scratch_.File(name);
        std::vector<Sample> samples;
        for (std::int32_t i = 0; i < frames * channels; ++i) {
            samples.push_back((i % 4000 - 2000) * 16);
        }
        EXPECT_TRUE(testing::WriteWave16(path, samples, rate, channels));
        return path;
    }

    std::vector<std::string> FolderNames() const {
        std::vector<std::string> names;
        if (DIR* dir = ::opendir(scratch_.Path().c_str())) {
            while (const dirent* entry = ::readdir(dir)) {
                names.emplace_back(entry->d_name);
            }
            ::closedir(dir);
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    testing::ScopedEnv data_home_{"XDG_DATA_HOME", scratch_.File("data")};
    testing::ScriptedPrompts prompts_;

  private:
    std::shared_ptr<SettingsStore> previous_store_;
};

TEST_F(LoadSaveTest, ExtensionsChooseTheReaderWhateverTheirCase) {
    const std::string lower = Wave("take.wav", 1000, 2);
    const std::string upper = scratch_.File("TAKE.WAV");
    std::filesystem::copy_file(lower, upper);
    LCutListAudio a;
    LCutListAudio b;
    ASSERT_EQ(Load(lower, a), PROCESS_DONE);
    ASSERT_EQ(Load(upper, b), PROCESS_DONE);
    EXPECT_EQ(a.GetChannels(), 2);
    EXPECT_EQ(ReadList(a), ReadList(b));

    const std::string no_dot = scratch_.File("take");
    std::filesystem::copy_file(lower, no_dot);
    LCutListAudio c;
    EXPECT_EQ(Load(no_dot, c), PROCESS_FAILED);
    EXPECT_EQ(Load(scratch_.File("missing.wav"), c), PROCESS_FAILED);
    EXPECT_TRUE(prompts_.Asked().empty());  // a load reports nothing itself
}

// Each extension names one format whatever its case, and the written formats keep the order
// whose index the batch converter's settings store.
TEST(FormatTableTest, EachExtensionNamesOneFormatAndTheStoredOutputIndexesKeepTheirMeaning) {
    std::set<std::string> seen;
    for (const FileFormat& format : FileFormats()) {
        SCOPED_TRACE(format.name);
        EXPECT_NE(format.extensions[0], nullptr);
        EXPECT_NE(format.open == nullptr, format.decoder == ExternalDecoder::kNone);
        for (const char* extension : format.extensions) {
            if (extension == nullptr) {
                continue;
            }
            EXPECT_TRUE(seen.insert(extension).second) << extension;
            std::string upper = std::string("x.") + extension;
            std::transform(upper.begin(), upper.end(), upper.begin(), ::toupper);
            EXPECT_EQ(FileFormatOf(std::string("dir.d/x.") + extension), &format);
            EXPECT_EQ(FileFormatOf(upper), &format);
        }
    }
    EXPECT_EQ(FileFormatOf("wav"), nullptr);
    EXPECT_EQ(FileFormatOf("x.wav.part"), nullptr);
    const std::vector<std::string> first(WrittenExtensions().begin(),
                                         WrittenExtensions().begin() + 7);
    EXPECT_EQ(first,
              (std::vector<std::string>{".wav", ".mp3", ".gsm", ".vox", ".raw", ".aif", ".au"}));
}

TEST_F(LoadSaveTest, RawFilesUseTheStoredSettingsUnlessAsked) {
    const std::string path = scratch_.File("speech.raw");
    std::ofstream(path, std::ios::binary).write("\x10\x00\x20\x00\x30\x00\x40\x00", 8);
    WriteRawFileSettings({11025, 3, 2});  // 16-bit little-endian stereo

    LCutListAudio document;
    ASSERT_EQ(Load(path, document), PROCESS_DONE);
    EXPECT_TRUE(prompts_.RawFormatRequests().empty());
    EXPECT_EQ(document.GetSampleRate(), 11025);
    EXPECT_EQ(document.GetChannels(), 2);
    EXPECT_EQ(ReadList(document), (std::vector<Sample>{0x100, 0x200, 0x300, 0x400}));

    // Asked: the dialog starts from the stored values and its answer is stored back.
    prompts_.QueueRawFormat({6000, 4, 1});  // 8-bit unsigned mono
    ASSERT_EQ(Load(path, document, true), PROCESS_DONE);
    ASSERT_EQ(prompts_.RawFormatRequests().size(), 1u);
    EXPECT_EQ(prompts_.RawFormatRequests()[0].rate, 11025);
    EXPECT_EQ(document.GetLength(), 8);
    EXPECT_EQ(ReadRawFileSettings().rate, 6000);
    EXPECT_EQ(ReadRawFileSettings().encoding, 4);

    EXPECT_EQ(Load(path, document, true), PROCESS_STOPPED);  // cancelled
    EXPECT_EQ(ReadRawFileSettings().rate, 6000);
}

TEST_F(LoadSaveTest, RawRatesOutsideTheRangeAreRefused) {
    for (int rate : {5000, 5999, 96001}) {
        std::optional<PromptMessage> problem = CheckRawSampleRate(rate);
        ASSERT_TRUE(problem) << rate;
        EXPECT_EQ(problem->caption, "Error");
        EXPECT_EQ(problem->text,
                  "Las tasas de muestra deben estar entre 6000 y 96000 muestras por segundo.");
    }
    EXPECT_FALSE(CheckRawSampleRate(6000));
    EXPECT_FALSE(CheckRawSampleRate(96000));
}

TEST_F(LoadSaveTest, SavingRoundTripsThroughEveryWriter) {
    LCutListAudio document;
    ASSERT_EQ(Load(Wave("in.wav", 3000, 2, 22050), document), PROCESS_DONE);
    const std::vector<Sample> original = ReadList(document);
    for (const char* name : {"out.wav", "out.aif", "out.AIFF", "out.au", "out.flac", "out.caf",
                             "out.w64", "out.rf64"}) {
        SCOPED_TRACE(name);
        ASSERT_EQ(Save(document, scratch_.File(name)), PROCESS_DONE);
        LCutListAudio back;
        ASSERT_EQ(Load(scratch_.File(name), back), PROCESS_DONE);
        EXPECT_EQ(back.GetSampleRate(), 22050);
        EXPECT_EQ(back.GetChannels(), 2);
        EXPECT_EQ(ReadList(back), original);
    }
}

// Headerless files with two channels keep both, saved or converted; VOX, mono by nature, makes
// the document mono, and says so first (the editor stores its undo point then).
TEST_F(LoadSaveTest, StereoSavedAsRawKeepsBothChannelsAndAsVoxBecomesMono) {
    const std::string input = Wave("in.wav", 2000, 2);
    LCutListAudio document;
    ASSERT_EQ(Load(input, document), PROCESS_DONE);
    const std::vector<Sample> stereo = ReadList(document);
    std::vector<int> channels_when_told;
    auto save = [&](const std::string& name) {
        LSVSaveToSink process(document, scratch_.File(name), SaveMode::kPlain,
                              [&] { channels_when_told.push_back(document.GetChannels()); });
        return Run(process);
    };

    WriteRawFileSettings({8000, 3, 2});  // 16-bit little-endian stereo
    ASSERT_EQ(save("saved.raw"), PROCESS_DONE);
    LSVConvertFile convert(input, scratch_.File("converted.raw"), SaveMode::kPlain, false);
    ASSERT_EQ(Run(convert), PROCESS_DONE);
    EXPECT_EQ(document.GetChannels(), 2);
    EXPECT_TRUE(channels_when_told.empty());
    for (const char* name : {"saved.raw", "converted.raw"}) {
        SCOPED_TRACE(name);
        LCutListAudio back;
        ASSERT_EQ(Load(scratch_.File(name), back), PROCESS_DONE);
        EXPECT_EQ(back.GetChannels(), 2);
        EXPECT_EQ(ReadList(back), stereo);
    }

    WriteRawFileSettings({8000, 0, 1});
    ASSERT_EQ(save("out.vox"), PROCESS_DONE);
    EXPECT_EQ(channels_when_told, std::vector<int>{2});
    EXPECT_EQ(document.GetChannels(), 1);
    EXPECT_EQ(document.GetLength(), 2000);
    EXPECT_EQ(FileBytes(scratch_.File("out.vox")).size(), 1000u);  // two samples a byte
}

TEST_F(LoadSaveTest, UnknownExtensionOnSaveSaysSo) {
    LCutListAudio document;
    ASSERT_EQ(Load(Wave("in.wav", 100, 1), document), PROCESS_DONE);
    const std::string target = scratch_.File("out.xyz");
    const std::vector<std::string> names = FolderNames();
    EXPECT_EQ(Save(document, target), PROCESS_FAILED);
    ASSERT_EQ(prompts_.Asked().size(), 1u);
    EXPECT_EQ(prompts_.Asked()[0].text,
              "No se puede crear el archivo \"" + target + "\"Para guardar.");
    EXPECT_FALSE(FileExists(target));
    EXPECT_EQ(FolderNames(), names);  // no temporary file left behind
}

TEST_F(LoadSaveTest, PlainSaveWritesPcmAndSaveAsOffersTheCodecs) {
    LCutListAudio document;
    ASSERT_EQ(Load(Wave("in.wav", 4000, 1), document), PROCESS_DONE);
    const std::string target = scratch_.File("out.wav");

    // Save as: the chooser starts from 16-bit PCM at the document's rate and channels.
    WaveFormat ima;
    for (const FormatChoice& choice : CodecManager::Instance().ListFormats(1)) {
        if (choice.format.format_tag == WAVE_FORMAT_IMA_ADPCM &&
            choice.format.samples_per_sec == 8000) {
            ima = choice.format;
        }
    }
    prompts_.QueueFormatChoice(*LWaveFileFormat::ToArea(ima));
    ASSERT_EQ(Save(document, target, SaveMode::kNewName), PROCESS_DONE);
    ASSERT_EQ(prompts_.FormatRequests().size(), 1u);
    EXPECT_EQ(LWaveFileFormat::FromArea(prompts_.FormatRequests()[0].offered),
              WaveFormat::Pcm16(1, 8000));
    EXPECT_EQ(LoadLE16(&FileBytes(target)[20]), WAVE_FORMAT_IMA_ADPCM);
    EXPECT_EQ(LWaveFileFormat::LoadRememberedFormat({}), *LWaveFileFormat::ToArea(ima));

    // A plain save of the same document writes 16-bit PCM whatever was chosen before.
    ASSERT_EQ(Save(document, target), PROCESS_DONE);
    EXPECT_EQ(LoadLE16(&FileBytes(target)[20]), WAVE_FORMAT_PCM);
    EXPECT_EQ(LoadLE16(&FileBytes(target)[34]), 16);

    // Cancelling the chooser fails the save and leaves the file alone.
    const std::vector<std::uint8_t> before = FileBytes(target);
    EXPECT_EQ(Save(document, target, SaveMode::kNewName), PROCESS_FAILED);
    EXPECT_EQ(FileBytes(target), before);
}

TEST_F(LoadSaveTest, InterruptedSavesLeaveTheOldFileAsItWas) {
    LCutListAudio document;
    ASSERT_EQ(Load(Wave("in.wav", 40000, 2), document), PROCESS_DONE);
    const std::string target = scratch_.File("keep.wav");
    std::ofstream(target, std::ios::binary) << "the user's precious recording";
    const std::vector<std::uint8_t> before = FileBytes(target);
    const std::vector<std::string> names = FolderNames();

    testing::CancelAfter cancel(2);
    EXPECT_EQ(Save(document, target, SaveMode::kPlain, &cancel), PROCESS_STOPPED);
    EXPECT_EQ(FileBytes(target), before);
    EXPECT_EQ(FolderNames(), names);

    // A write that fails half-way (a file size limit standing in for a full disk), in a child
    // process so that the limit stays there.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{100000, 100000};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::_exit(Save(document, target) == PROCESS_FAILED ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(FileBytes(target), before);
    EXPECT_EQ(FolderNames(), names);

    // And a save that works replaces the file.
    ASSERT_EQ(Save(document, target), PROCESS_DONE);
    EXPECT_EQ(FileBytes(target).size(), 46u + 40000 * 4);
}

TEST_F(LoadSaveTest, ConversionReplacesTheDocumentOnlyWhenComplete) {
    LCutListAudio document;
    ASSERT_EQ(Load(Wave("in.wav", 30000, 1), document), PROCESS_DONE);
    const std::vector<Sample> original = ReadList(document);

    testing::CancelAfter cancel(1);
    LCLAConvertRateChannels stopped(document, 16000, 2);
    EXPECT_EQ(Run(stopped, &cancel), PROCESS_STOPPED);
    EXPECT_EQ(document.GetSampleRate(), 8000);
    EXPECT_EQ(ReadList(document), original);

    LCLAConvertRateChannels convert(document, 16000, 2);
    ASSERT_EQ(Run(convert), PROCESS_DONE);
    EXPECT_EQ(document.GetSampleRate(), 16000);
    EXPECT_EQ(document.GetChannels(), 2);
    EXPECT_NEAR(document.GetLength(), 60000, 2);
}

TEST_F(LoadSaveTest, ConvertingWritesWhatALoadAndASaveWould) {
    const std::string input = Wave("in.wav", 20000, 2, 11025);
    WriteRawFileSettings({8000, 3, 2});  // 16-bit stereo headerless
    for (const char* name : {"out.aif", "out.au", "out.raw", "out.wav"}) {
        SCOPED_TRACE(name);
        LCutListAudio document;
        ASSERT_EQ(Load(input, document), PROCESS_DONE);
        ASSERT_EQ(Save(document, scratch_.File(std::string("saved_") + name)), PROCESS_DONE);
        LSVConvertFile convert(input, scratch_.File(std::string("converted_") + name),
                               SaveMode::kPlain, false);
        ASSERT_EQ(Run(convert), PROCESS_DONE);
        EXPECT_EQ(FileBytes(scratch_.File(std::string("converted_") + name)),
                  FileBytes(scratch_.File(std::string("saved_") + name)));
    }
    const std::string target = scratch_.File("converted_out.wav");
    const std::vector<std::uint8_t> before = FileBytes(target);
    testing::CancelAfter cancel(1);
    LSVConvertFile cancelled(input, target, SaveMode::kPlain, false);
    EXPECT_EQ(Run(cancelled, &cancel), PROCESS_STOPPED);
    EXPECT_EQ(FileBytes(target), before);
}

// Runs `work` in a child process whose files cannot grow past `bytes` (a full disk, without
// filling one); true when `work` returned true there.
template <typename Work>
bool WithFileSizeLimit(rlim_t bytes, Work work) {
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{bytes, bytes};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::_exit(work() ? 0 : 1);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

TEST_F(LoadSaveTest, FilesOfMoreThanTwoChannelsAreRefusedWithTheirCount) {
    LCutListAudio document;
    ASSERT_EQ(Load(Wave("in.wav", 100, 1), document), PROCESS_DONE);
    const std::vector<Sample> before = ReadList(document);
    const std::vector<std::string> names = FolderNames();
    for (int channels : {3, 6}) {
        SCOPED_TRACE(channels);
        const std::string path = Wave("surround.wav", 1000, channels);
        EXPECT_EQ(Load(path, document), PROCESS_FAILED);
        ASSERT_FALSE(prompts_.Asked().empty());
        EXPECT_EQ(prompts_.Asked().back().text,
                  "El archivo \"" + path + "\" tiene " + std::to_string(channels) +
                      " canales; Sonvara solo trabaja con sonido mono o estéreo (1 o 2 canales).");
        EXPECT_EQ(document.GetChannels(), 1);
        EXPECT_EQ(ReadList(document), before);

        // A conversion refuses it the same way and writes nothing (the cancel only keeps a
        // conversion that would never end from hanging the test).
        testing::CancelAfter cancel(100);
        LSVConvertFile convert(path, scratch_.File("out.gsm"), SaveMode::kPlain, false);
        EXPECT_EQ(Run(convert, &cancel), PROCESS_FAILED);
        EXPECT_EQ(prompts_.Asked().back().text, TooManyChannelsMessage(path, channels));
        EXPECT_FALSE(FileExists(scratch_.File("out.gsm")));
    }
    std::filesystem::remove(scratch_.File("surround.wav"));
    EXPECT_EQ(FolderNames(), names);
}

// A 24-bit recording stays 24-bit: a plain save keeps the width of the file it replaces, a
// conversion that of its input where the output's format holds it, and the samples come back at
// the editor's 20 bits. A save under a new name starts from 16 bits; a width can be chosen.
TEST_F(LoadSaveTest, APlainSaveOrAConversionKeepsTheSampleWidth) {
    const std::string take = scratch_.File("take.wav");
    ASSERT_EQ(std::system(("sox -n -r 44100 -c 2 -b 24 '" + take +
                           "' synth 0.3 sine 300 sine 310 vol 0.7 2>/dev/null")
                              .c_str()),
              0);
    LCutListAudio document;
    ASSERT_EQ(Load(take, document), PROCESS_DONE);
    const std::vector<Sample> loaded = ReadList(document);
    EXPECT_TRUE(std::any_of(loaded.begin(), loaded.end(), [](Sample s) { return s % 16 != 0; }))
        << "the load keeps more than 16 bits";

    ASSERT_EQ(Save(document, take), PROCESS_DONE);
    ASSERT_EQ(Save(document, scratch_.File("new.wav")), PROCESS_DONE);
    const struct {
        std::string input;
        std::string output;
        std::optional<SampleBits> bits;
    } conversions[] = {{take, "copy.flac", {}},
                       {take, "copy.aif", {}},
                       {take, "wide.wav", SampleBits::k32},
                       {take, "float.caf", SampleBits::kFloat}};
    for (const auto& c : conversions) {
        LSVConvertFile convert(c.input, scratch_.File(c.output), SaveMode::kPlain, false, c.bits);
        ASSERT_EQ(Run(convert), PROCESS_DONE) << c.output;
    }
    // Under a new name the codec chooser offers the 24-bit PCM format first, and writes it from
    // the full samples.
    prompts_.QueueFormatChoice(*LWaveFileFormat::ToArea(WaveFormat::Pcm(2, 44100, 24)));
    LSVSaveToSink save_as(document, scratch_.File("chosen.wav"), SaveMode::kNewName);
    save_as.SetOptions({take, {}, {}, {}});
    ASSERT_EQ(Run(save_as), PROCESS_DONE);
    ASSERT_FALSE(prompts_.FormatRequests().empty());
    const WaveFormat offered = LWaveFileFormat::FromArea(prompts_.FormatRequests().back().offered);
    EXPECT_EQ(offered.format_tag, WAVE_FORMAT_PCM);
    EXPECT_EQ(offered.bits_per_sample, 24);
    EXPECT_EQ(offered.samples_per_sec, 44100u);

    const struct {
        std::string name;
        std::optional<SampleBits> bits;
    } written[] = {{"chosen.wav", SampleBits::k24},  {"take.wav", SampleBits::k24},
                   {"new.wav", SampleBits::k16},     {"copy.flac", SampleBits::k24},
                   {"copy.aif", SampleBits::k24},    {"wide.wav", SampleBits::k32},
                   {"float.caf", SampleBits::kFloat}};
    for (const auto& file : written) {
        SCOPED_TRACE(file.name);
        EXPECT_EQ(SampleBitsOf(scratch_.File(file.name)), file.bits);
        LCutListAudio back;
        ASSERT_EQ(Load(scratch_.File(file.name), back), PROCESS_DONE);
        if (file.bits != SampleBits::k16) {
            EXPECT_EQ(ReadList(back), loaded);
        }
    }
}

// A working file that is gone or shorter than its records say fails the save with a message
// naming the working folder, and the file saved over stays as it was: no silence in its place.
TEST_F(LoadSaveTest, AWorkingFileGoneOrShortFailsTheSaveAndKeepsTheOldFile) {
    for (const bool gone : {false, true}) {
        SCOPED_TRACE(gone ? "gone" : "short");
        LCutListAudio document;
        ASSERT_EQ(Load(Wave("in.wav", 20000, 2), document), PROCESS_DONE);
        const std::string cut = document.Records().First().Current().cut.AudFilePath();
        if (gone) {
            std::filesystem::remove(cut);
        } else {
            std::filesystem::resize_file(cut, std::filesystem::file_size(cut) / 2);
        }
        const std::string target = Wave("old.wav", 10, 1);
        const std::vector<std::uint8_t> old = FileBytes(target);
        EXPECT_EQ(Save(document, target), PROCESS_FAILED);
        EXPECT_EQ(FileBytes(target), old);
        ASSERT_FALSE(prompts_.Asked().empty());
        const std::string text = prompts_.Asked().back().text;
        EXPECT_NE(text.find("carpeta de trabajo \"" + GetFolderFromPath(cut) + "\""),
                  std::string::npos)
            << text;
        EXPECT_NE(text.find(GetFileFromPath(cut)), std::string::npos) << text;
    }
}

// FLAC, Ogg Vorbis, Opus and M4A are encoded at the stored settings; a save under a new name asks
// for them first and stores the answer, a cancel saves nothing.
TEST_F(LoadSaveTest, CompressedFormatsAreEncodedAtTheirSettings) {
    LCutListAudio document;
    ASSERT_EQ(Load(Wave("in.wav", 48000, 2, 48000), document), PROCESS_DONE);
    const auto bytes_at = [&](const std::string& name, const CompressionSettings& settings) {
        WriteCompressionSettings(settings);
        EXPECT_EQ(Save(document, scratch_.File(name)), PROCESS_DONE) << name;
        return FileBytes(scratch_.File(name)).size();
    };
    EXPECT_GT(bytes_at("fast.flac", {.flac_level = 0}), bytes_at("small.flac", {.flac_level = 8}));
    EXPECT_LT(bytes_at("low.ogg", {.vorbis_quality = 0}),
              bytes_at("high.ogg", {.vorbis_quality = 10}));
    const double kbps = bytes_at("voice.opus", {.opus_kbps = 48}) * 8 / 1000.0;  // a second
    EXPECT_NEAR(kbps, 48, 12);
    EXPECT_NEAR(bytes_at("voice.m4a", {.aac_kbps = 64}) * 8 / 1000.0, 64, 16);
    EXPECT_NEAR(bytes_at("music.m4a", {.aac_kbps = 256}) * 8 / 1000.0, 256, 64);

    prompts_.QueueCompression({.flac_level = 2, .vorbis_quality = 7, .opus_kbps = 64});
    ASSERT_EQ(Save(document, scratch_.File("asked.ogg"), SaveMode::kNewName), PROCESS_DONE);
    EXPECT_EQ(ReadCompressionSettings(), (CompressionSettings{2, 7, 64, 160}));
    prompts_.QueueCompression({.aac_kbps = 96});
    ASSERT_EQ(Save(document, scratch_.File("asked.m4a"), SaveMode::kNewName), PROCESS_DONE);
    EXPECT_EQ(ReadCompressionSettings().aac_kbps, 96);
    EXPECT_EQ(Save(document, scratch_.File("cancelled.opus"), SaveMode::kNewName), PROCESS_FAILED);
    EXPECT_EQ(prompts_.CompressionRequests(),
              (std::vector<CompressedFormat>{CompressedFormat::kVorbis, CompressedFormat::kAac,
                                             CompressedFormat::kOpus}));
    EXPECT_FALSE(FileExists(scratch_.File("cancelled.opus")));
}

// An M4A file written here reads back at its rate (or the next AAC takes), channels and length
// within a codec frame, in line with what was saved; FFmpeg finds AAC in it.
TEST_F(LoadSaveTest, M4aFilesReadBackInLineWithWhatWasSaved) {
    for (const std::int32_t rate : {44100, 6000}) {
        SCOPED_TRACE(rate);
        std::vector<Sample> samples;
        for (std::int32_t i = 0; i < rate; ++i) {
            samples.push_back(static_cast<Sample>(200000 * std::sin(2 * M_PI * 440 * i / rate)));
            samples.push_back(static_cast<Sample>(150000 * std::sin(2 * M_PI * 300 * i / rate)));
        }
        LCutListAudio document = FromSamples(samples, 2, rate);
        const std::string path = scratch_.File("tone" + std::to_string(rate) + ".m4a");
        ASSERT_EQ(Save(document, path), PROCESS_DONE);
        LCutListAudio back;
        ASSERT_EQ(Load(path, back), PROCESS_DONE);
        EXPECT_EQ(back.GetSampleRate(), rate == 6000 ? 8000 : rate);
        EXPECT_EQ(back.GetChannels(), 2);
        if (rate != 44100) {
            continue;
        }
        EXPECT_GE(back.GetLength(), rate);
        EXPECT_LE(back.GetLength(), rate + 1024);
        // Aligned: the encoder's delay is not read as sound.
        const std::vector<Sample> read = ReadList(back);
        double signal = 0;
        double noise = 0;
        for (std::size_t i = 4096; i < samples.size() - 4096; ++i) {
            signal += double(samples[i]) * samples[i];
            noise += (double(samples[i]) - read[i]) * (double(samples[i]) - read[i]);
        }
        EXPECT_GT(10 * std::log10(signal / noise), 25);
        EXPECT_EQ(std::system(("ffprobe -v error -show_entries stream=codec_name -of csv=p=0 '" +
                               path + "' | grep -qx aac")
                                  .c_str()),
                  0);
    }
}

// A WAV file's sizes are 32 bits: a plain save that would pass them writes RF64 at the same width.
TEST(LargeWaveTest, AudioPastFourGibibytesIsWrittenAsRf64) {
    constexpr std::int64_t kFrames16 =
        (0xFFFFFFFFLL - 1024) / 4;  // stereo 16-bit: the last that fits
    EXPECT_EQ(WaveFormatForLength(0, kFrames16, 2), 0);
    EXPECT_EQ(WaveFormatForLength(0, kFrames16 + 1, 2), SF_FORMAT_RF64 | SF_FORMAT_PCM_16);
    const int wav24 = SF_FORMAT_WAV | SF_FORMAT_PCM_24;
    EXPECT_EQ(WaveFormatForLength(wav24, 3 * 3600LL * 96000, 2), SF_FORMAT_RF64 | SF_FORMAT_PCM_24)
        << "three hours of 24-bit stereo at 96 kHz";
    EXPECT_EQ(WaveFormatForLength(wav24, 2 * 3600LL * 96000, 2), wav24);
}

// MP4/M4A, ADTS AAC and WebM are decoded by FFmpeg's libraries into a temporary WAV that goes
// with the load: the document holds FFmpeg's own decode, at its rate, channels and length.
TEST_F(LoadSaveTest, FilesFfmpegDecodesLoadAsItDecodesThem) {
    const std::string folder = scratch_.Path();
    ASSERT_EQ(std::system(("cd '" + folder +
                           "' && sox -n -r 32000 -c 2 -b 16 in.wav synth 0.7 sine 440 sine 600 && "
                           "ffmpeg -v error -i in.wav -c:a aac a.m4a && ffmpeg -v error -i in.wav "
                           "-c:a aac -f adts b.aac && ffmpeg -v error -i in.wav -c:a libopus "
                           "c.webm")
                              .c_str()),
              0);
    for (const char* name : {"a.m4a", "b.aac", "c.webm"}) {
        SCOPED_TRACE(name);
        const std::string path = scratch_.File(name);
        ASSERT_EQ(
            std::system(("ffmpeg -v error -i '" + path + "' -f s16le '" + path + ".s16'").c_str()),
            0);
        std::vector<Sample> ffmpeg;
        const std::vector<std::uint8_t> bytes = FileBytes(path + ".s16");
        for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
            ffmpeg.push_back(SampleFrom16(static_cast<std::int16_t>(LoadLE16(&bytes[i]))));
        }
        std::filesystem::remove(path + ".s16");
        LCutListAudio document;
        ASSERT_EQ(Load(path, document), PROCESS_DONE);
        EXPECT_EQ(document.GetChannels(), 2);
        EXPECT_EQ(document.GetSampleRate(), std::string(name) == "c.webm" ? 48000 : 32000);
        EXPECT_EQ(ReadList(document), ffmpeg);
    }
    // The temporary WAV files are gone.
    EXPECT_TRUE(std::filesystem::is_empty(GetFolder("Current")));
}

TEST_F(LoadSaveTest, ALoadThatCannotKeepItsAudioFailsAndKeepsTheDocument) {
    LCutListAudio document;
    ASSERT_EQ(Load(Wave("in.wav", 100, 1), document), PROCESS_DONE);
    const std::vector<Sample> before = ReadList(document);
    const std::string input = Wave("long.wav", 40000, 2);
    auto kept = [&] { return document.GetChannels() == 1 && ReadList(document) == before; };
    auto names = [&](const std::string& folder) {
        return !prompts_.Asked().empty() &&
               prompts_.Asked().back().text.find("\"" + folder + "\"") != std::string::npos;
    };

    // A working folder that cannot be made: its parent is a regular file.
    std::ofstream(scratch_.File("plain")) << "a file, not a folder";
    const std::string unusable = scratch_.File("plain/work");
    std::unique_ptr<LAudioCutTank> working = UseCutTank(std::make_unique<LAudioCutTank>(unusable));
    EXPECT_EQ(Load(input, document), PROCESS_FAILED);
    EXPECT_TRUE(names(unusable));
    EXPECT_TRUE(kept());
    UseCutTank(std::move(working));

    // A full disk: the cut file (320000 bytes) cannot grow past 20000.
    EXPECT_TRUE(WithFileSizeLimit(20000, [&] {
        return Load(input, document) == PROCESS_FAILED && names(scratch_.File("work")) && kept();
    }));
    ASSERT_EQ(Load(input, document), PROCESS_DONE);  // and with room it loads
    EXPECT_EQ(document.GetLength(), 40000);
}

TEST_F(LoadSaveTest, ASaveWhoseWriterCannotFinishFailsAndKeepsTheFile) {
    // GSM 6.10 in WAV: the last, part-filled block of 320 samples is encoded and written only
    // when the writer finishes, after every sample was given to it.
    WaveFormat gsm{};
    for (const FormatChoice& choice : CodecManager::Instance().ListFormats(1)) {
        if (choice.format.format_tag == WAVE_FORMAT_GSM610 &&
            choice.format.samples_per_sec == 8000) {
            gsm = choice.format;
        }
    }
    ASSERT_EQ(gsm.format_tag, WAVE_FORMAT_GSM610);
    LCutListAudio document;
    ASSERT_EQ(Load(Wave("in.wav", 16100, 1), document), PROCESS_DONE);  // 50 blocks and 100
    const std::string probe = scratch_.File("probe.wav");
    prompts_.QueueFormatChoice(*LWaveFileFormat::ToArea(gsm));
    ASSERT_EQ(Save(document, probe, SaveMode::kNewName), PROCESS_DONE);
    const auto size = static_cast<rlim_t>(FileBytes(probe).size());

    const std::string target = scratch_.File("keep.wav");
    std::ofstream(target, std::ios::binary) << "the user's precious recording";
    const std::vector<std::uint8_t> before = FileBytes(target);
    const std::vector<std::string> names = FolderNames();
    // One byte short: every block but the last one fits.
    EXPECT_TRUE(WithFileSizeLimit(size - 1, [&] {
        prompts_.QueueFormatChoice(*LWaveFileFormat::ToArea(gsm));
        return Save(document, target, SaveMode::kNewName) == PROCESS_FAILED &&
               !prompts_.Asked().empty() &&
               prompts_.Asked().back().text ==
                   "No se puede crear el archivo \"" + target + "\"Para guardar.";
    }));
    EXPECT_EQ(FileBytes(target), before);
    EXPECT_EQ(FolderNames(), names);
}

}  // namespace
}  // namespace sonvara
