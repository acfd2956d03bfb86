#include <gtest/gtest.h>

#include <vector>

#include "audio/loop_source.h"
#include "audio/memory_stream.h"

namespace sonvara {
namespace {

// Ten frames whose samples are their frame numbers.
LSoundSourceRef Ramp() {
    std::vector<Sample> samples(10);
    for (Sample f = 0; f < 10; ++f) {
        samples[static_cast<std::size_t>(f)] = f;
    }
    return new LMemorySoundSource(samples, 8000, 1);
}

TEST(LoopSource, PlaysIntoTheLoopAndRoundItWithoutAGapInReadsOfAnySize) {
    // Before the loop the upstream plays as it is; from the loop's end on, the loop again.
    const std::vector<Sample> expected = {0, 1, 2, 3, 4, 5, 6, 3, 4, 5, 6, 3, 4, 5, 6, 3, 4};
    for (const std::int32_t piece : {1, 3, 4, 17}) {
        LSRCLoop loop(Ramp(), 3, 7);
        ASSERT_FALSE(loop.IsError());
        std::vector<Sample> heard;
        while (heard.size() < expected.size()) {
            std::vector<Sample> block(static_cast<std::size_t>(piece));
            loop.Read(block.data(), piece);
            heard.insert(heard.end(), block.begin(), block.end());
        }
        heard.resize(expected.size());
        EXPECT_EQ(heard, expected) << piece;
    }

    // Positions count on as if the loop were unrolled; a seek takes such a position.
    LSRCLoop loop(Ramp(), 3, 7);
    EXPECT_EQ(loop.GetLength(), INT32_MAX);
    loop.Seek(13);
    EXPECT_EQ(loop.UpstreamFrame(13), 5);
    Sample frames[3];
    loop.Read(frames, 3);
    EXPECT_EQ(std::vector<Sample>(frames, frames + 3), (std::vector<Sample>{5, 6, 3}));
    EXPECT_EQ(loop.GetPosition(), 16);

    // An empty loop, or one past the upstream's end, cannot play.
    EXPECT_TRUE(LSRCLoop(Ramp(), 4, 4).IsError());
    EXPECT_TRUE(LSRCLoop(Ramp(), 3, 11).IsError());
}

}  // namespace
}  // namespace sonvara
