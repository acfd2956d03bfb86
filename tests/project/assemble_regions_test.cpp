#include "project/assemble_regions.h"

#include <gtest/gtest.h>

#include "core/settings.h"
#include "tests/document/document_fixture.h"
#include "tests/support/run_process.h"

namespace sonvara {
namespace {

class AssembleRegionsTest : public testing::DocumentTest {
  protected:
    AssembleRegionsTest() : previous_store_(UseSettingsStore(nullptr)) {}
    ~AssembleRegionsTest() override { UseSettingsStore(previous_store_); }

    LCutListAudio Assemble(const std::vector<const LCutListAudio*>& parts) {
        QueueMessageLoop loop;
        SilentProgressView view;
        testing::ScriptedPrompts prompts;
        ProcessHost host{loop, view, prompts};
        LCutListAudio result;
        EXPECT_EQ(AssembleRegions(parts, ReadAssembleOptions(), host, result), PROCESS_DONE);
        return result;
    }

  private:
    std::shared_ptr<SettingsStore> previous_store_;
};

// Three regions of a second: 3.6 s with the 300 ms gap on (the default), 3 s with it off; the
// regions follow each other in the order given, a region of another rate converted to the
// first's; no region gives an empty 44100 Hz mono sound.
TEST_F(AssembleRegionsTest, RegionsFollowEachOtherWithTheGapBetween) {
    const LCutListAudio a = Staircase(8000, 1, 0);
    const LCutListAudio b = Staircase(8000, 1, 100000);
    const LCutListAudio c = Staircase(8000, 1, 200000);
    const LCutListAudio gapped = Assemble({&a, &c, &b});
    EXPECT_EQ(gapped.GetLength(), 28800);  // 3.6 s at 8000 Hz
    const std::vector<Sample> samples = ReadList(gapped);
    EXPECT_EQ(samples[7999], 7999 * 16);
    EXPECT_EQ(samples[8000], 0);
    EXPECT_EQ(samples[10399], 0);
    EXPECT_EQ(samples[10400], 200000 * 16);
    EXPECT_EQ(samples[20800], 100000 * 16);

    StoreAssembleOptions({false, 300});
    EXPECT_EQ(Assemble({&a, &b, &c}).GetLength(), 24000);

    LCutListAudio faster = Staircase(16000, 2, 0);
    faster.SetFormat(16000, 2);
    const LCutListAudio mixed = Assemble({&a, &faster});
    EXPECT_EQ(mixed.GetChannels(), 1);
    EXPECT_EQ(mixed.GetSampleRate(), 8000);
    EXPECT_NEAR(mixed.GetLength(), 16000, 2);

    const LCutListAudio none = Assemble({});
    EXPECT_EQ(none.GetLength(), 0);
    EXPECT_EQ(none.GetSampleRate(), 44100);
}

}  // namespace
}  // namespace sonvara
