// The frame the compressor and the noise gates share: positions, seeks and reads in pieces.

#include "effects/look_ahead_source.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <vector>

#include "effects/compressor.h"
#include "effects/noise_gate.h"
#include "tests/audio/signals.h"

namespace sonvara {
namespace {

using MakeFilter = std::function<LSoundSourceRef(LSoundSourceRef)>;

const std::vector<std::pair<const char*, MakeFilter>>& Filters() {
    static const std::vector<std::pair<const char*, MakeFilter>> filters = {
        {"compressor",
         [](LSoundSourceRef up) { return new LSRCCompressor(up, -20, *CompressorRatioFactor(3)); }},
        {"noise gates",
         [](LSoundSourceRef up) {
             return new LSRCNoiseGates(up, {0, -20, -40, 0});
         }},
    };
    return filters;
}

// Two seconds of stereo at 8000 Hz: a tone that swells out of hiss and stops.
std::vector<Sample> Input() {
    std::mt19937 random(3);
    std::uniform_int_distribution<Sample> hiss(-2000, 2000);
    std::vector<Sample> samples = testing::Sine(700, 1, 8000, 16000, 2);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double swell = i < 20000 ? static_cast<double>(i) * 20 : 0;
        samples[i] = static_cast<Sample>(samples[i] * swell) + hiss(random);
    }
    return samples;
}

TEST(LookAheadSource, PiecesAndSeeksGiveWhatAFilterStartedThereGives) {
    const std::vector<Sample> input = Input();
    for (const auto& [name, make] : Filters()) {
        SCOPED_TRACE(name);
        LSoundSourceRef filter = make(testing::MemorySource(input, 8000, 2));
        ASSERT_FALSE(filter->IsError());
        for (const std::int32_t start : {0, 4321, -100, 15900, 999}) {
            if (start != 0) {
                filter->Seek(start);
            }
            LSoundSourceRef upstream = testing::MemorySource(input, 8000, 2);
            upstream->Seek(start);
            const std::vector<Sample> expected = testing::ReadAll(*make(upstream), 1500);
            std::vector<Sample> read;
            const std::int32_t block = static_cast<LookAheadSource&>(*filter).BlockFrames();
            for (const std::int32_t piece : {1, block - 1, block, 7, block + 1, 3 * block}) {
                const std::vector<Sample> part = testing::ReadAll(*filter, piece);
                read.insert(read.end(), part.begin(), part.end());
                ASSERT_EQ(filter->GetPosition(),
                          start + static_cast<std::int32_t>(read.size() / 2));
                if (read.size() >= expected.size()) {
                    break;
                }
            }
            read.resize(expected.size());
            EXPECT_EQ(read, expected) << "from " << start;
        }
    }
}

TEST(LookAheadSource, AFilterOverAnUpstreamInErrorReadsSilence) {
    for (const auto& [name, make] : Filters()) {
        SCOPED_TRACE(name);
        LSoundSourceRef filter = make(LSoundSourceRef());
        EXPECT_TRUE(filter->IsError());
        filter->Seek(500);
        EXPECT_EQ(testing::ReadAll(*filter, 300), std::vector<Sample>(300, 0));
        EXPECT_EQ(filter->GetPosition(), 0);  // the upstream's
    }
}

}  // namespace
}  // namespace sonvara
