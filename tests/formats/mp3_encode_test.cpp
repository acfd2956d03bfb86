// MP3 saving: the encoding rate, the encoder's command lines and its failures against a stand-in
// encoder (tests/formats/mp3_encoder_stand_in.cpp), the save dispatch's MP3 row, and a real round
// trip through the LAME encoder and our decoder.

#include "formats/mp3_encode.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

#include "audio/wav/wave_file.h"
#include "core/component_lookup.h"
#include "core/settings.h"
#include "formats/load_save.h"
#include "formats/mp3_encoder_settings.h"
#include "formats/mp3_file.h"
#include "tests/document/document_fixture.h"
#include "tests/support/file_contents.h"
#include "tests/support/run_process.h"
#include "tests/support/scripted_prompts.h"
#include "tests/support/wave_writer.h"

namespace sonvara {
namespace {

using std::chrono::milliseconds;
using Arguments = std::vector<std::string>;

using testing::FileText;

// True when no live process has this id (a zombie does not count as live).
bool IsGone(pid_t pid) {
    if (::kill(pid, 0) != 0) {
        return errno == ESRCH;
    }
    const std::string stat = FileText("/proc/" + std::to_string(pid) + "/stat");
    const auto state = stat.rfind(')');
    return state != std::string::npos && stat.compare(state, 3, ") Z") == 0;
}

// What the stand-in encoder wrote about its run.
struct StandInRecord {
    pid_t pid = 0;
    Arguments arguments;
    int input_rate = 0;
    int input_channels = 0;
};

std::optional<StandInRecord> ReadRecord(const std::string& path) {
    std::istringstream lines(FileText(path));
    StandInRecord record;
    std::string line;
    if (!std::getline(lines, line)) {
        return std::nullopt;
    }
    record.pid = static_cast<pid_t>(std::stol(line));
    while (std::getline(lines, line)) {
        if (line.starts_with("input ")) {
            std::istringstream(line.substr(6)) >> record.input_rate >> record.input_channels;
            return record;
        }
        record.arguments.push_back(line);
    }
    return std::nullopt;  // not all written yet
}

Mp3EncoderSettings Cbr(int bit_rate) {
    Mp3EncoderSettings settings;
    settings.constant_bit_rate = true;
    settings.cbr_bit_rate = static_cast<std::uint16_t>(bit_rate);
    return settings;
}

Mp3EncoderSettings Vbr(int lowest, int highest) {
    Mp3EncoderSettings settings;
    settings.vbr_min_bit_rate = static_cast<std::uint16_t>(lowest);
    settings.vbr_max_bit_rate = static_cast<std::uint16_t>(highest);
    return settings;
}

TEST(Mp3EncodingRateTest, RatesSnapToTheOnesMp3Knows) {
    struct Case {
        std::int32_t source;
        Mp3EncoderSettings settings;
        std::int32_t encoded;
    };
    for (const Case& c : {
             Case{44100, Cbr(24), 22050},     Case{44100, Cbr(128), 44100},
             Case{12000, Cbr(128), 11025},    Case{96000, Cbr(128), 48000},
             Case{96000, Cbr(31), 22050},     Case{48000, Cbr(32), 48000},
             Case{46000, Cbr(128), 44100},    Case{40000, Cbr(128), 44100},
             Case{30000, Cbr(128), 32000},    Case{24000, Cbr(128), 24000},
             Case{23000, Cbr(128), 22050},    Case{20000, Cbr(128), 22050},
             Case{16000, Cbr(128), 16000},    Case{11025, Cbr(128), 11025},
             Case{9000, Cbr(128), 11025},     Case{8000, Cbr(128), 8000},
             Case{6000, Cbr(128), 8000},      Case{44100, Vbr(24, 320), 22050},
             Case{44100, Vbr(32, 16), 44100},  // the variable rate's lowest decides
         }) {
        EXPECT_EQ(Mp3EncodingRate(c.source, c.settings), c.encoded)
            << c.source << " Hz at " << c.settings.cbr_bit_rate << "/"
            << c.settings.vbr_min_bit_rate << " kbit/s";
    }
}

class Mp3EncodeTest : public testing::DocumentTest {
  protected:
    Mp3EncodeTest() : previous_store_(UseSettingsStore(nullptr)) {
        std::filesystem::create_directories(scratch_.File("tmp"));
        std::filesystem::create_directories(scratch_.File("out"));
        UseStandIn();
    }
    ~Mp3EncodeTest() override { UseSettingsStore(previous_store_); }

    void UseStandIn() { WriteString("Components/mp3kx", "Path", SONVARA_MP3_STAND_IN); }

    ProcessResult Run(LProgressDialog& process, ProgressView* view = nullptr) {
        return testing::RunProcess(process, view, &prompts_);
    }

    // A 16-bit WAV of a tone for the encoder to read.
    std::string Wave(std::int32_t rate, int channels) {
        const std::string path = scratch_.File("in.wav");
        std::vector<Sample> samples(static_cast<std::size_t>(rate / 10 * channels));
        for (std::size_t i = 0; i < samples.size(); ++i) {
            samples[i] = static_cast<Sample>(100000 * std::sin(0.05 * static_cast<double>(i)));
        }
        EXPECT_TRUE(testing::WriteWave16(path, samples, rate, channels));
        return path;
    }

    // The stand-in's arguments for one encoding of a WAV into `output` with `settings`.
    Arguments EncodedArguments(const Mp3EncoderSettings& settings, const std::string& input,
                               const std::string& output) {
        LMp3EncodeWav encode(input, output, settings, 44100);
        EXPECT_EQ(Run(encode), PROCESS_DONE);
        EXPECT_EQ(FileText(output), FileText(stand_in_mp3_));
        const std::optional<StandInRecord> record = ReadRecord(record_);
        return record ? record->arguments : Arguments{};
    }

    std::vector<std::string> Names(const std::string& folder) const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            names.push_back(entry.path().filename());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    const std::string stand_in_mp3_ = std::string(SONVARA_MP3_DATA_DIR) + "/cbr128_stereo_44k.mp3";
    const std::string record_ = scratch_.File("record.txt");
    testing::ScopedEnv record_env_{"SONVARA_STAND_IN_RECORD", record_};
    testing::ScopedEnv mp3_env_{"SONVARA_STAND_IN_MP3", stand_in_mp3_};
    testing::ScopedEnv tmpdir_{"TMPDIR", scratch_.File("tmp")};
    testing::ScopedEnv data_home_{"XDG_DATA_HOME", scratch_.File("data")};
    testing::ScriptedPrompts prompts_;

  private:
    std::shared_ptr<SettingsStore> previous_store_;
};

TEST_F(Mp3EncodeTest, CommandLinesFollowTheSettings) {
    const std::string in = Wave(44100, 2);
    const std::string out = scratch_.File("out/take.mp3");

    // Defaults: variable bit rate, joint stereo.
    EXPECT_EQ(EncodedArguments(Mp3EncoderSettings{}, in, out),
              (Arguments{"-m", "j", "-v", "-b", "32", "-B", "128", "-V", "4", "--resample", "44.1",
                         "-S", in, out}));

    // Constant 128 kbit/s, joint stereo, protection, high quality: in this order.
    Mp3EncoderSettings full = Cbr(128);
    full.error_protection = true;
    EXPECT_EQ(EncodedArguments(full, in, out),
              (Arguments{"-m", "j", "-p", "-b", "128", "-h", "--resample", "44.1", "-S", in, out}));

    // Below 24 kbit/s the mode is mono whatever is set; a mode above 3 is joint stereo.
    Mp3EncoderSettings low = Cbr(16);
    low.channel_mode = 2;
    low.high_quality = false;
    EXPECT_EQ(EncodedArguments(low, in, out),
              (Arguments{"-m", "m", "-b", "16", "--resample", "44.1", "-S", in, out}));
    Mp3EncoderSettings odd = Cbr(24);
    odd.channel_mode = 7;
    EXPECT_EQ(EncodedArguments(odd, in, out)[1], "j");
    Mp3EncoderSettings simple = Vbr(8, 23);
    simple.channel_mode = 0;
    simple.vbr_quality = 9;
    EXPECT_EQ(EncodedArguments(simple, in, out),
              (Arguments{"-m", "m", "-v", "-b", "8", "-B", "23", "-V", "9", "--resample", "44.1",
                         "-S", in, out}));
    simple.vbr_max_bit_rate = 24;
    EXPECT_EQ(EncodedArguments(simple, in, out)[1], "s");

    // Names with blanks and quotes reach the encoder as they are; one that could pass for an
    // option is given as a path.
    const std::string quoted = scratch_.File("out/it's a \"take\" ; ls.mp3");
    EXPECT_EQ(EncodedArguments(Cbr(64), in, quoted).back(), quoted);
    const std::string dash = "-take.mp3";
    ASSERT_EQ(::chdir(scratch_.File("out").c_str()), 0);
    EXPECT_EQ(EncodedArguments(Cbr(64), in, dash).back(), "./-take.mp3");
    EXPECT_EQ(FileText(scratch_.File("out/-take.mp3")), FileText(stand_in_mp3_));
    ASSERT_EQ(::chdir("/"), 0);
}

TEST_F(Mp3EncodeTest, AFailingEncoderLeavesNoOutputAndSaysSo) {
    testing::ScopedEnv fail("SONVARA_STAND_IN_BEHAVIOUR", "fail");
    const std::string out = scratch_.File("out/take.mp3");
    std::ofstream(out) << "an older file of the same name";
    LMp3EncodeWav encode(Wave(8000, 1), out, Mp3EncoderSettings{}, 8000);
    EXPECT_EQ(Run(encode), PROCESS_FAILED);
    EXPECT_FALSE(FileExists(out));
    ASSERT_EQ(prompts_.Asked().size(), 1u);
    EXPECT_EQ(prompts_.Asked()[0].text, "El codificador MP3 terminó con un error (estado 3).");
}

// Cancels once the stand-in has written its record, so that it is surely running by then.
class CancelWhenRecorded : public SilentProgressView {
  public:
    explicit CancelWhenRecorded(std::string record) : record_(std::move(record)) {}
    bool CancelRequested() override { return ReadRecord(record_).has_value(); }

  private:
    std::string record_;
};

TEST_F(Mp3EncodeTest, AnOverdueOrCancelledEncoderIsKilledBeforeItsOutputGoes) {
    testing::ScopedEnv hang("SONVARA_STAND_IN_BEHAVIOUR", "hang");
    const std::string in = Wave(8000, 1);
    const std::string out = scratch_.File("out/take.mp3");

    LMp3EncodeWav overdue(in, out, Mp3EncoderSettings{}, 8000, milliseconds(1500));
    EXPECT_EQ(Run(overdue), PROCESS_FAILED);
    std::optional<StandInRecord> record = ReadRecord(record_);
    ASSERT_TRUE(record);
    EXPECT_TRUE(IsGone(record->pid));
    EXPECT_FALSE(FileExists(out));
    ASSERT_EQ(prompts_.Asked().size(), 1u);
    EXPECT_EQ(prompts_.Asked()[0].text, "El codificador MP3 no terminó a tiempo y se ha detenido.");

    std::filesystem::remove(record_);
    CancelWhenRecorded cancel(record_);
    LMp3EncodeWav cancelled(in, out, Mp3EncoderSettings{}, 8000);
    EXPECT_EQ(Run(cancelled, &cancel), PROCESS_STOPPED);
    record = ReadRecord(record_);
    ASSERT_TRUE(record);
    EXPECT_TRUE(IsGone(record->pid));
    EXPECT_FALSE(FileExists(out));
    EXPECT_EQ(prompts_.Asked().size(), 1u);  // a cancel needs no message
}

TEST_F(Mp3EncodeTest, TheEncoderIsFoundByItsPathSettingElseOnThePath) {
    const std::string bin = scratch_.File("bin");
    std::filesystem::create_directories(bin);
    testing::ScopedEnv path("PATH", bin);
    const std::string in = Wave(8000, 1);
    const std::string out = scratch_.File("out/take.mp3");

    // Neither registered nor on the path; then registered where nothing is.
    for (const char* registered : {"", "/nonexistent/lame"}) {
        SCOPED_TRACE(registered);
        WriteString("Components/mp3kx", "Path", registered);
        LMp3EncodeWav encode(in, out, Mp3EncoderSettings{}, 8000);
        EXPECT_EQ(Run(encode), PROCESS_FAILED);
        ASSERT_FALSE(prompts_.Asked().empty());
        const std::string& text = prompts_.Asked().back().text;
        EXPECT_TRUE(
            text.starts_with("The mp3 encoder component \"mp3kx\" has not yet been installed. "))
            << text;
        EXPECT_NE(text.find("apt install lame"), std::string::npos);
        EXPECT_NE(text.find("\"Components/mp3kx\""), std::string::npos);
    }
    EXPECT_EQ(prompts_.Asked().size(), 2u);
    EXPECT_FALSE(FileExists(record_));

    // On the path under its usual name.
    std::filesystem::create_symlink(SONVARA_MP3_STAND_IN, bin + "/lame");
    EXPECT_EQ(FindComponentProgram("mp3kx", "lame"), bin + "/lame");
    LMp3EncodeWav found(in, out, Mp3EncoderSettings{}, 8000);
    EXPECT_EQ(Run(found), PROCESS_DONE);
    EXPECT_TRUE(ReadRecord(record_));

    // The registered path wins over the path.
    std::filesystem::remove(bin + "/lame");
    std::filesystem::create_symlink("/bin/false", bin + "/lame");
    UseStandIn();
    EXPECT_EQ(FindComponentProgram("mp3kx", "lame"), SONVARA_MP3_STAND_IN);
    LMp3EncodeWav registered(in, out, Mp3EncoderSettings{}, 8000);
    EXPECT_EQ(Run(registered), PROCESS_DONE);
}

TEST_F(Mp3EncodeTest, SavingWritesATemporaryWavAtTheEncodingRateAndReplacesTheTarget) {
    LCutListAudio document = FromSamples(std::vector<Sample>(2 * 6000, 4000), 2, 12000);
    const std::string target = scratch_.File("out/song.mp3");
    std::ofstream(target) << "the previous song";

    LSVSaveToSink save(document, target, SaveMode::kPlain);
    ASSERT_EQ(Run(save), PROCESS_DONE);
    EXPECT_EQ(FileText(target), FileText(stand_in_mp3_));
    EXPECT_TRUE(prompts_.Mp3Requests().empty());  // a plain save asks nothing
    const std::optional<StandInRecord> record = ReadRecord(record_);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->input_rate, 11025);
    EXPECT_EQ(record->input_channels, 2);
    // The WAV had a name of its own in the temporary folder and is gone.
    const std::string wav = record->arguments[record->arguments.size() - 2];
    EXPECT_TRUE(wav.starts_with(scratch_.File("tmp/_mp3enctmp.wav."))) << wav;
    EXPECT_TRUE(Names(scratch_.File("tmp")).empty());
    EXPECT_EQ(Names(scratch_.File("out")), std::vector<std::string>{"song.mp3"});
}

TEST_F(Mp3EncodeTest, SaveAsAsksForTheSettingsAndStoresThem) {
    LCutListAudio document = FromSamples(std::vector<Sample>(8000, 4000), 1, 44100);
    const std::string target = scratch_.File("out/song.mp3");
    Mp3EncoderSettings stored = Vbr(64, 256);
    WriteMp3EncoderSettings(stored);

    prompts_.QueueMp3Settings(Cbr(24));
    LSVSaveToSink save(document, target, SaveMode::kNewName);
    ASSERT_EQ(Run(save), PROCESS_DONE);
    ASSERT_EQ(prompts_.Mp3Requests().size(), 1u);
    EXPECT_EQ(prompts_.Mp3Requests()[0], stored);
    EXPECT_EQ(ReadMp3EncoderSettings(), Cbr(24));
    std::optional<StandInRecord> record = ReadRecord(record_);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->input_rate, 22050);
    EXPECT_EQ((Arguments(record->arguments.begin(), record->arguments.begin() + 5)),
              (Arguments{"-m", "j", "-b", "24", "-h"}));

    // A cancel fails the save, leaving the file and the settings alone and starting no encoder.
    std::filesystem::remove(record_);
    const std::string before = FileText(target);
    LSVSaveToSink cancelled(document, target, SaveMode::kNewName);
    EXPECT_EQ(Run(cancelled), PROCESS_FAILED);
    EXPECT_EQ(FileText(target), before);
    EXPECT_EQ(ReadMp3EncoderSettings(), Cbr(24));
    EXPECT_FALSE(FileExists(record_));
}

TEST_F(Mp3EncodeTest, AFailedOrCancelledSaveLeavesTheOldFileAsItWas) {
    LCutListAudio document = FromSamples(std::vector<Sample>(40000, 4000), 1, 8000);
    const std::string target = scratch_.File("out/song.mp3");
    std::ofstream(target) << "the previous song";
    for (const char* behaviour : {"fail", "hang"}) {
        SCOPED_TRACE(behaviour);
        testing::ScopedEnv set("SONVARA_STAND_IN_BEHAVIOUR", behaviour);
        std::filesystem::remove(record_);
        CancelWhenRecorded cancel(record_);
        LSVSaveToSink save(document, target, SaveMode::kPlain);
        EXPECT_NE(Run(save, &cancel), PROCESS_DONE);
        EXPECT_EQ(FileText(target), "the previous song");
        EXPECT_EQ(Names(scratch_.File("out")), std::vector<std::string>{"song.mp3"});
        EXPECT_TRUE(Names(scratch_.File("tmp")).empty());
    }
}

// The correlation of `original` with `decoded` from `lag` frames on, over the frames
// [from, to) of `original`, both interleaved with `channels` channels.
double Correlation(const std::vector<Sample>& original, const std::vector<Sample>& decoded,
                   int channels, std::size_t lag, std::size_t from, std::size_t to) {
    const auto step = static_cast<std::size_t>(channels);
    double ab = 0;
    double aa = 0;
    double bb = 0;
    for (std::size_t i = from * step; i < to * step && i + lag * step < decoded.size(); ++i) {
        const double x = original[i];
        const double y = decoded[i + lag * step];
        ab += x * y;
        aa += x * x;
        bb += y * y;
    }
    return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0;
}

TEST_F(Mp3EncodeTest, ADocumentSavedThroughLameOpensAgainAsItWas) {
    WriteString("Components/mp3kx", "Path", "");  // the real encoder, found on the path
    ASSERT_TRUE(FindComponentProgram("mp3kx", "lame")) << "scripts/install-deps.sh installs lame";
    constexpr std::int32_t kRate = 44100;
    constexpr std::int32_t kFrames = 2 * kRate;
    std::vector<Sample> samples;
    for (std::int32_t f = 0; f < kFrames; ++f) {
        const double t = static_cast<double>(f) / kRate;
        samples.push_back(static_cast<Sample>(200000 * std::sin(2 * M_PI * 440 * t) +
                                              60000 * std::sin(2 * M_PI * 1250 * t)));
        samples.push_back(static_cast<Sample>(150000 * std::sin(2 * M_PI * 330 * t + 1)));
    }
    LCutListAudio document = FromSamples(samples, 2, kRate);
    const std::string target = scratch_.File("out/round trip \"1\".mp3");
    LSVSaveToSink save(document, target, SaveMode::kPlain);
    ASSERT_EQ(Run(save), PROCESS_DONE);
    EXPECT_TRUE(prompts_.Asked().empty());

    LCutListAudio back;
    SVLoadFile load(target, back, false);
    ASSERT_EQ(Run(load), PROCESS_DONE);
    EXPECT_EQ(back.GetSampleRate(), kRate);
    EXPECT_EQ(back.GetChannels(), 2);
    const std::vector<Sample> decoded = ReadList(back);

    // The encoder's delay and padding, which its tag gives, are left out: the sound lines up.
    EXPECT_GT(Correlation(samples, decoded, 2, 0, 0, kFrames), 0.99);
    EXPECT_EQ(back.GetLength(), kFrames);
    EXPECT_TRUE(Names(scratch_.File("tmp")).empty());
}

// Left to itself the encoder resamples a second time below the rate the WAV was written at
// (44.1 kHz at 24 kbit/s came out at 8000 Hz, at 64 kbit/s at 24000 Hz).
TEST_F(Mp3EncodeTest, TheMp3KeepsTheRateItWasEncodedAt) {
    WriteString("Components/mp3kx", "Path", "");  // the real encoder, found on the path
    ASSERT_TRUE(FindComponentProgram("mp3kx", "lame")) << "scripts/install-deps.sh installs lame";
    struct Case {
        std::int32_t source_rate;
        Mp3EncoderSettings settings;
        std::int32_t mp3_rate;
    };
    for (const Case& c :
         {Case{44100, Cbr(24), 22050}, Case{44100, Cbr(64), 44100}, Case{12000, Cbr(32), 11025}}) {
        SCOPED_TRACE(std::to_string(c.source_rate) + " Hz at " +
                     std::to_string(c.settings.cbr_bit_rate) + " kbit/s");
        std::vector<Sample> samples;
        for (std::int32_t i = 0; i < c.source_rate; ++i) {
            samples.push_back(static_cast<Sample>(100000 * std::sin(0.03 * i)));
        }
        LCutListAudio document = FromSamples(samples, 2, c.source_rate);
        WriteMp3EncoderSettings(c.settings);
        const std::string target = scratch_.File("out/rate.mp3");
        LSVSaveToSink save(document, target, SaveMode::kPlain);
        ASSERT_EQ(Run(save), PROCESS_DONE);
        LCutListAudio back;
        SVLoadFile load(target, back, false);
        ASSERT_EQ(Run(load), PROCESS_DONE);
        EXPECT_EQ(back.GetSampleRate(), c.mp3_rate);
    }
}

}  // namespace
}  // namespace sonvara
