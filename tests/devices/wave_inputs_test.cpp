// The wave inputs: the system's list and the settings' choice, the queue's order and its reset on
// the clock-paced null input, and the test input's reading of WAV files.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <thread>

#include "audio/wav/wave_file.h"
#include "core/settings.h"
#include "devices/file_wave_in.h"
#include "devices/input_choice.h"
#include "devices/system_inputs.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/wave_writer.h"

namespace sonvara {
namespace {

using std::chrono::milliseconds;

TEST(SystemWaveInProvider, ListsDefaultFirstTheNullInputLastAndTheSettingsChooseByName) {
    const std::shared_ptr<SettingsStore> previous = UseSettingsStore(nullptr);
    SystemWaveInProvider inputs;
    const std::vector<std::string> names = inputs.DeviceNames();
    ASSERT_GE(names.size(), 2u);
    EXPECT_EQ(names.front(), "default");
    EXPECT_EQ(names.back(), SystemWaveInProvider::kNullInputName);
    const int null_input = static_cast<int>(names.size()) - 1;

    EXPECT_EQ(ChosenInputDevice(inputs), 0);
    WriteInt("Recorder", "Device", 1);
    EXPECT_EQ(ChosenInputDevice(inputs), 1);
    WriteString("Recorder", "DeviceName", SystemWaveInProvider::kNullInputName);
    EXPECT_EQ(ChosenInputDevice(inputs), null_input);
    // A PCM named in the settings joins the list.
    WriteString("Recorder", "DeviceName", "plughw:7,0");
    EXPECT_EQ(ChosenInputDevice(inputs), null_input + 1);
    EXPECT_EQ(inputs.DeviceNames().back(), "plughw:7,0");
    UseSettingsStore(previous);
}

TEST(SystemWaveInProvider, TheNullInputFillsBuffersInOrderInRealTimeAndAResetHandsThemBack) {
    SystemWaveInProvider inputs;
    LSignalObject done;
    std::string error;
    const int null_input = inputs.NumberOf(SystemWaveInProvider::kNullInputName);
    std::unique_ptr<WaveIn> input = inputs.Open(null_input, WaveInFormat{8000, 2}, done, error);
    ASSERT_NE(input, nullptr) << error;

    // Three buffers of 100 ms, filled with a mark the device must overwrite.
    std::vector<std::int16_t> memory(3 * 800 * 2, 7);
    std::array<WaveInBuffer, 3> buffers;
    for (std::size_t i = 0; i < buffers.size(); ++i) {
        buffers[i] = WaveInBuffer{memory.data() + i * 1600, 800};
        ASSERT_TRUE(input->Add(buffers[i]));
    }
    std::this_thread::sleep_for(milliseconds(50));
    EXPECT_FALSE(input->IsDone(buffers[0]));  // nothing before Start

    const auto started = std::chrono::steady_clock::now();
    input->Start();
    while (!input->IsDone(buffers[0])) {
        ASSERT_TRUE(done.WaitFor(milliseconds(2000)));
        done.Reset();
    }
    EXPECT_GE(std::chrono::steady_clock::now() - started, milliseconds(80));
    EXPECT_EQ(buffers[0].recorded, 800);
    EXPECT_TRUE(std::all_of(memory.begin(), memory.begin() + 1600, [](auto x) { return x == 0; }));

    std::this_thread::sleep_for(milliseconds(30));
    input->Reset();
    // The next buffer comes back partly filled, the last untouched.
    EXPECT_TRUE(input->IsDone(buffers[1]) && input->IsDone(buffers[2]));
    EXPECT_GT(buffers[1].recorded, 0);
    EXPECT_LT(buffers[1].recorded, 800);
    EXPECT_EQ(buffers[2].recorded, 0);
    EXPECT_EQ(memory.back(), 7);
    EXPECT_EQ(input->Close(), "");
}

TEST(CapturedSound, ReadsAWaveFileAsItsSound) {
    testing::ScratchFolder folder;
    const std::string path = folder.File("in.wav");
    ASSERT_TRUE(testing::WriteWave16(
        path, {SampleFrom16(-3), SampleFrom16(4), SampleFrom16(5), SampleFrom16(-6)}, 11025, 2));
    std::string error;
    const auto sound = CapturedSound::FromWave(path, CapturedSound::Pace::kUnpaced, error);
    ASSERT_NE(sound, nullptr) << error;
    EXPECT_EQ(sound->Format().sample_rate, 11025);
    EXPECT_EQ(sound->Format().channels, 2);
    FileWaveInProvider inputs(sound);
    LSignalObject done;
    std::unique_ptr<WaveIn> input = inputs.Open(0, sound->Format(), done, error);
    ASSERT_NE(input, nullptr) << error;
    std::array<std::int16_t, 4> data{};
    WaveInBuffer buffer{data.data(), 2};
    ASSERT_TRUE(input->Add(buffer));
    input->Start();
    ASSERT_TRUE(sound->WaitForDelivered(2));
    input->Reset();
    EXPECT_EQ(buffer.recorded, 2);
    EXPECT_EQ(data, (std::array<std::int16_t, 4>{-3, 4, 5, -6}));
    EXPECT_EQ(input->Close(), "");

    EXPECT_EQ(
        CapturedSound::FromWave(folder.File("missing.wav"), CapturedSound::Pace::kUnpaced, error),
        nullptr);
    EXPECT_NE(error.find("missing.wav"), std::string::npos);
}

}  // namespace
}  // namespace sonvara
