// The wave outputs themselves: ALSA through its own file and null plugins (no sound card
// needed), the system's list of outputs, the clock-paced null output, the levels.

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <vector>

#include "core/byte_order.h"
#include "core/settings.h"
#include "devices/alsa_pcm.h"
#include "devices/alsa_wave_out.h"
#include "devices/output_choice.h"
#include "devices/sound_levels.h"
#include "devices/system_outputs.h"
#include "tests/devices/player_fixture.h"
#include "tests/support/file_contents.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/wait_until.h"

namespace sonvara {
namespace {

using std::chrono::milliseconds;

// Opens the PCM "capture" of a private ALSA configuration: a file plugin over the null PCM, which
// writes every frame it is given to a raw file.
class FilePluginOutputs : public WaveOutProvider {
  public:
    explicit FilePluginOutputs(const std::string& path)
        : config_("pcm.capture { type file slave.pcm { type null } file \"" + path +
                  "\" format raw }\n") {}
    std::vector<std::string> DeviceNames() const override { return {"capture"}; }
    std::unique_ptr<WaveOut> Open(int /*number*/, const WaveOutFormat& format,
                                  LSignalObject& done_event, std::string& error) override {
        return OpenAlsaWaveOutWithConfig(config_, "capture", format, done_event, error);
    }

  private:
    std::string config_;
};

TEST(AlsaWaveOut, PlaysEveryFrameByteExactIntoTheFilePlugin) {
    testing::ScratchFolder folder;
    const std::string path = folder.File("played.raw");
    FilePluginOutputs outputs(path);
    QueueMessageLoop loop;
    testing::NotifyLog log;
    LSoundPlayer player(loop, outputs);
    log.player = &player;
    player.SetNotify(&log);

    // 1.2 s of stereo at 44.1 kHz: 12 buffers of 4410 frames and a short one.
    const std::vector<Sample> samples = testing::Staircase(52930, 2, -26000);
    ASSERT_TRUE(player.Start(testing::Memory(samples, 44100, 2))) << player.ErrorText();
    ASSERT_TRUE(testing::PumpUntil(
        loop, [&] { return log.Saw("stop"); }, std::chrono::seconds(20), milliseconds(10)));
    EXPECT_EQ(log.error_at_stop, "");
    player.SetNotify(nullptr);

    std::vector<std::uint8_t> expected;
    for (Sample x : samples) {
        AppendLE16(expected, static_cast<std::uint16_t>(x >> 4));  // multiples of 16: exact
    }
    const std::vector<std::uint8_t> written = testing::FileBytes(path);
    EXPECT_EQ(written.size(), expected.size());
    EXPECT_TRUE(written == expected);
}

TEST(AlsaWaveOut, AnUnknownPcmOrConfigurationFailsWithAMessage) {
    LSignalObject done;
    std::string error;
    EXPECT_EQ(OpenAlsaWaveOut("sonvara_no_such_pcm", WaveOutFormat{}, done, error), nullptr);
    EXPECT_NE(error.find("sonvara_no_such_pcm"), std::string::npos);

    error.clear();
    EXPECT_EQ(
        OpenAlsaWaveOutWithConfig("pcm.broken { type", "broken", WaveOutFormat{}, done, error),
        nullptr);
    EXPECT_NE(error, "");
}

// The device's errors reach the user in Spanish (the system words them in English whatever the
// desktop's language); an uncommon one keeps ALSA's words rather than none.
TEST(AlsaWaveOut, DeviceErrorsAreSaidInSpanish) {
    EXPECT_EQ(AlsaText(-EBUSY), "el dispositivo está ocupado por otro programa");
    EXPECT_EQ(AlsaText(-EINVAL).find("Invalid"), std::string::npos);
    EXPECT_EQ(AlsaText(-ENOSPC), snd_strerror(-ENOSPC));
}

TEST(SystemWaveOutProvider, ListsDefaultFirstAndTheNullOutputLast) {
    SystemWaveOutProvider outputs;
    std::vector<std::string> names = outputs.DeviceNames();
    ASSERT_GE(names.size(), 2u);
    ASSERT_LE(names.size(), SystemWaveOutProvider::kMaxDevices);
    EXPECT_EQ(names.front(), "default");
    EXPECT_EQ(names.back(), SystemWaveOutProvider::kNullOutputName);
    const int null_output = static_cast<int>(names.size()) - 1;
    EXPECT_EQ(outputs.NumberOf(SystemWaveOutProvider::kNullOutputName), null_output);

    // A PCM chosen by name joins the list; it fails to open as ALSA says, with its name.
    const int chosen = outputs.NumberOf("sonvara_no_such_pcm");
    EXPECT_EQ(chosen, null_output + 1);
    EXPECT_EQ(outputs.NumberOf("sonvara_no_such_pcm"), chosen);
    LSignalObject done;
    std::string error;
    EXPECT_EQ(outputs.Open(chosen, WaveOutFormat{}, done, error), nullptr);
    EXPECT_NE(error.find("sonvara_no_such_pcm"), std::string::npos);
    error.clear();
    EXPECT_EQ(outputs.Open(chosen + 1, WaveOutFormat{}, done, error), nullptr);
    EXPECT_NE(error, "");

    // "default" either opens or says why (with no sound server: ENOENT).
    error.clear();
    std::unique_ptr<WaveOut> fallback = outputs.Open(-1, WaveOutFormat{}, done, error);
    if (fallback == nullptr) {
        EXPECT_NE(error.find("\"default\""), std::string::npos);
    } else {
        EXPECT_EQ(fallback->Close(), "");
    }
}

TEST(SystemWaveOutProvider, TheSettingsChooseAnOutputByNameBeforeNumber) {
    const std::shared_ptr<SettingsStore> previous = UseSettingsStore(nullptr);
    SystemWaveOutProvider outputs;
    EXPECT_EQ(ChosenOutputDevice(outputs), 0);
    WriteInt("Settings", "SoundOutDevice", 1);
    EXPECT_EQ(ChosenOutputDevice(outputs), 1);
    WriteString("Settings", "SoundOutDeviceName", SystemWaveOutProvider::kNullOutputName);
    EXPECT_EQ(ChosenOutputDevice(outputs), static_cast<int>(outputs.DeviceNames().size()) - 1);
    WriteString("Settings", "SoundOutDeviceName", "plughw:7,0");
    const int chosen = ChosenOutputDevice(outputs);
    EXPECT_EQ(outputs.DeviceNames().at(static_cast<std::size_t>(chosen)), "plughw:7,0");
    UseSettingsStore(previous);
}

TEST(SystemWaveOutProvider, TheNullOutputPlaysInRealTime) {
    SystemWaveOutProvider outputs;
    LSignalObject done;
    std::string error;
    const int null_output = static_cast<int>(outputs.DeviceNames().size()) - 1;
    std::unique_ptr<WaveOut> output =
        outputs.Open(null_output, WaveOutFormat{8000, 2}, done, error);
    ASSERT_NE(output, nullptr) << error;

    // 0.3 s of sound, in two buffers.
    std::vector<std::int16_t> data(2400 * 2);
    WaveBuffer first{data.data(), 1200};
    WaveBuffer second{data.data(), 1200};
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(output->Write(first));
    ASSERT_TRUE(output->Write(second));
    while (!output->IsDone(second)) {
        ASSERT_TRUE(done.WaitFor(milliseconds(2000)));
        done.Reset();
    }
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, milliseconds(280));
    EXPECT_LT(elapsed, milliseconds(2000));
    EXPECT_EQ(output->PlayedFrames(), 2400);
    EXPECT_EQ(output->Close(), "");
}

TEST(SoundLevels, SilenceFullScaleAndTwentyDecibelsDown) {
    std::vector<Sample> frames;
    for (int f = 0; f < 800; ++f) {
        const Sample square = f % 2 == 0 ? FULL_SCALE : -FULL_SCALE;
        frames.push_back(0);
        frames.push_back(square);
        frames.push_back(square / 10);
    }
    SoundLevels levels;
    MeasureLevels(frames.data(), 800, 3, levels);
    EXPECT_EQ(levels.channels, 3);
    EXPECT_EQ(levels.level[0], -127);
    EXPECT_EQ(levels.level[1], 15);
    EXPECT_EQ(levels.level[2], -5);
}

}  // namespace
}  // namespace sonvara
