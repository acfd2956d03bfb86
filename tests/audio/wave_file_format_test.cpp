#include "audio/wav/wave_file_format.h"

#include <gtest/gtest.h>

#include <fstream>

#include "core/settings.h"
#include "tests/audio/wav_bytes.h"
#include "tests/support/file_contents.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/scripted_prompts.h"

namespace sonvara {
namespace {

class WaveFileFormatTest : public ::testing::Test {
  protected:
    WaveFileFormatTest() : previous_store_(UseSettingsStore(nullptr)) {}
    ~WaveFileFormatTest() override { UseSettingsStore(previous_store_); }

    static FormatArea Area(std::uint16_t tag, int channels, std::uint32_t rate, int bits,
                           int block_align, std::vector<std::uint8_t> extra = {}) {
        WaveFormat format;
        format.format_tag = tag;
        format.channels = static_cast<std::uint16_t>(channels);
        format.samples_per_sec = rate;
        format.block_align = static_cast<std::uint16_t>(block_align);
        format.bits_per_sample = static_cast<std::uint16_t>(bits);
        format.avg_bytes_per_sec = rate * static_cast<std::uint32_t>(block_align);
        format.extra = std::move(extra);
        return *LWaveFileFormat::ToArea(format);
    }

    testing::ScratchFolder scratch_;
    testing::ScopedEnv home_{"HOME", scratch_.File("home")};
    testing::ScopedEnv data_home_{"XDG_DATA_HOME", scratch_.File("data")};
    testing::ScriptedPrompts prompts_;

  private:
    std::shared_ptr<SettingsStore> previous_store_;
};

TEST_F(WaveFileFormatTest, SupportFollowsWhatTheCodecsCanWrite) {
    EXPECT_TRUE(LWaveFileFormat::TestSupportedRecord(Area(WAVE_FORMAT_MULAW, 2, 8000, 8, 2)));
    EXPECT_TRUE(LWaveFileFormat::TestSupportedRecord(Area(WAVE_FORMAT_PCM, 1, 44100, 24, 3)));
    EXPECT_TRUE(LWaveFileFormat::TestSupportedRecord(
        Area(WAVE_FORMAT_IMA_ADPCM, 1, 11025, 4, 256, {0xF9, 0x01})));
    // Reading only, or no codec at all.
    EXPECT_FALSE(
        LWaveFileFormat::TestSupportedRecord(Area(WAVE_FORMAT_EXTENSIBLE, 1, 8000, 16, 2)));
    EXPECT_FALSE(LWaveFileFormat::TestSupportedRecord(Area(0x1234, 1, 8000, 16, 2)));
    // A block size that does not end on a whole group of samples cannot be written.
    EXPECT_FALSE(LWaveFileFormat::TestSupportedRecord(
        Area(WAVE_FORMAT_IMA_ADPCM, 2, 11025, 4, 250, {0xF9, 0x01})));
}

}  // namespace
}  // namespace sonvara
