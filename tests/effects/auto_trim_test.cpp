// Auto trim on documents built from parts of known loudness, read through their graph files.

#include "effects/auto_trim.h"

#include <gtest/gtest.h>

#include <vector>

#include "audio/decibel_table.h"
#include "tests/document/document_fixture.h"
#include "tests/support/cancel_after_view.h"
#include "tests/support/run_process.h"

namespace sonvara {
namespace {

// A sample whose graph byte is `byte` (bytes are magnitudes >> 11).
constexpr Sample ByteLevel(int byte) {
    return byte << 11;
}

class AutoTrimTest : public testing::DocumentTest {
  protected:
    // Appends `frames` frames at `level` on `channel` (or every channel when -1).
    static void Append(std::vector<Sample>& samples, int channels, std::int32_t frames,
                       Sample level, int channel = -1) {
        for (std::int32_t f = 0; f < frames; ++f) {
            for (int c = 0; c < channels; ++c) {
                // Alternating signs: the graph keeps the largest magnitude either way.
                const Sample value = f % 2 == 0 ? level : -level;
                samples.push_back(channel < 0 || channel == c ? value : 0);
            }
        }
    }

    static ProcessResult Trim(LCutListAudio& document, int threshold_db,
                              ProgressView* view = nullptr) {
        EfAutotrim trim(document, {.threshold_db = threshold_db});
        return testing::RunProcess(trim, view);
    }
};

TEST_F(AutoTrimTest, KeepsOneBlockOfMarginAroundTheLoudPart) {
    for (int channels : {1, 2}) {
        SCOPED_TRACE(channels);
        std::vector<Sample> samples;
        Append(samples, channels, 5000, ByteLevel(3));  // quiet: below −20 dB of 200
        Append(samples, channels, 10000, ByteLevel(200), channels - 1);  // the right channel
        Append(samples, channels, 5000, 0);
        LCutListAudio document = FromSamples(samples, channels);
        ASSERT_EQ(Trim(document, -20), PROCESS_DONE);
        // Loud frames 5000..14999 touch blocks 19 (4864..) to 58 (..15103): the document keeps
        // blocks 18 to 58, frames 4608 to 15104.
        EXPECT_EQ(document.GetLength(), 15104 - 4608);
        const std::vector<Sample> after = ReadList(document);
        EXPECT_EQ(after.front(), ByteLevel(3));
        EXPECT_EQ(after[static_cast<std::size_t>(392) * channels + channels - 1], ByteLevel(200));
    }
}

TEST_F(AutoTrimTest, NothingLoudAndLoudOnlyAtTheStartDeleteNothing) {
    LCutListAudio silence = FromSamples(std::vector<Sample>(30000, 0), 1);
    ASSERT_EQ(Trim(silence, -20), PROCESS_DONE);
    EXPECT_EQ(silence.GetLength(), 30000);

    std::vector<Sample> samples;
    Append(samples, 1, 256, ByteLevel(100));
    Append(samples, 1, 9000, 0);
    LCutListAudio first_block_only = FromSamples(samples, 1);
    ASSERT_EQ(Trim(first_block_only, -20), PROCESS_DONE);
    EXPECT_EQ(first_block_only.GetLength(), 9256);
}

TEST_F(AutoTrimTest, CutGainsScaleThePeaksWithoutWrappingRound) {
    // Two equal parts at byte 100, the second amplified to 300 %: its peaks read as 255, not
    // as 300 mod 256 = 44. At −1 dB below 255 only the second part is loud.
    std::vector<Sample> samples;
    Append(samples, 1, 4096, ByteLevel(100));
    Append(samples, 1, 4096, ByteLevel(100));
    LCutListAudio document = FromSamples(samples, 1);
    document.EfAmplify(4096, 8192, 300);
    ASSERT_EQ(Trim(document, -1), PROCESS_DONE);
    // Start = block 16 − 1; the end stays at the document's end (the last block is not looked
    // at from the back, and block 31 is loud: end = 32 × 256).
    EXPECT_EQ(document.GetLength(), 8192 - 15 * 256);
}

TEST_F(AutoTrimTest, MissingGraphFilesCountAsQuietAndCancelChangesNothing) {
    std::vector<Sample> samples;
    Append(samples, 1, 3000, 0);
    Append(samples, 1, 3000, ByteLevel(50));
    Append(samples, 1, 3000, 0);
    LCutListAudio document = FromSamples(samples, 1);
    LCutListAudio loud_tail = FromSamples(std::vector<Sample>(3000, ByteLevel(200)), 1);
    ::unlink(loud_tail.Records().First().Current().cut.GrfFilePath().c_str());
    document.Insert(document.GetLength(), loud_tail);

    testing::CancelAfter cancel(1);
    ASSERT_EQ(Trim(document, -20, &cancel), PROCESS_STOPPED);
    EXPECT_EQ(document.GetLength(), 12000);

    ASSERT_EQ(Trim(document, -20), PROCESS_DONE);
    // Loud 3000..5999 (blocks 11..23) is all that is seen: frames 2560 to 6144 remain.
    EXPECT_EQ(document.GetLength(), 6144 - 2560);
}

TEST(DecibelTable, FactorsAreTheLinearGainsScaledBy2To24) {
    const LDB::LDBTablesClass& table = LDB::LDBTablesClass::Instance();
    EXPECT_EQ(table.Factor(0), 16777216);
    EXPECT_EQ(table.Factor(-20), 1677722);
    EXPECT_NEAR(table.Factor(-6), 16777216 / 2, 16777216 / 100);
    EXPECT_EQ(table.Factor(20), 167772160);
    EXPECT_EQ(table.Factor(-200), table.Factor(-127));
    EXPECT_GT(table.Factor(-127), 0);
    EXPECT_EQ(table.Factor(127), INT32_MAX);  // +42 dB and above do not fit
}

}  // namespace
}  // namespace sonvara
