#include "audio/file_sound_source.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <vector>

namespace sonvara {
namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

// A stereo staircase: frame f holds 2f + 1 and 2f + 2. The file holds `held` frames, fewer than
// the length claims when it was cut short after opening; `estimate` reads on past the length.
class StairSource : public FileSoundSource {
  public:
    StairSource(std::int32_t length, std::int64_t held, bool estimate)
        : FileSoundSource(8000, 2, FULL_SCALE), length_(length), held_(held), estimate_(estimate) {}

    std::int32_t GetLength() const override { return length_; }
    void Fail() { SetError(); }
    int calls = 0;

  protected:
    std::int64_t DecodedFrames(const ReadStart& start, std::int64_t end) override {
        return estimate_ ? end - start.first : FileSoundSource::DecodedFrames(start, end);
    }
    std::int64_t ReadFrames(std::int64_t first, Sample* out, std::int64_t count) override {
        ++calls;
        EXPECT_GE(first, 0);
        EXPECT_GT(count, 0);
        std::int64_t f = first;
        for (; f < first + count && f < held_; ++f) {
            *out++ = static_cast<Sample>(2 * f + 1);
            *out++ = static_cast<Sample>(2 * f + 2);
        }
        return f - first;
    }

  private:
    std::int32_t length_;
    std::int64_t held_;
    bool estimate_;
};

TEST(FileSoundSource, ReadsMatchAModelOfDataBetweenZeroAndTheEndWithSilenceAround) {
    std::mt19937 random(21);
    for (const bool estimate : {false, true}) {
        for (const std::int64_t held : {std::int64_t{300}, std::int64_t{280}, std::int64_t{400}}) {
            SCOPED_TRACE(::testing::Message() << "estimate " << estimate << ", held " << held);
            StairSource source(300, held, estimate);
            // Frames come from the file below what it holds and, unless the length is an
            // estimate, below the length.
            const std::int64_t end = estimate ? held : std::min<std::int64_t>(held, 300);
            std::int32_t position = 0;
            for (int step = 0; step < 400; ++step) {
                if (step % 7 == 0) {
                    const int where = static_cast<int>(random() % 4);
                    position = where == 0   ? kMax - static_cast<std::int32_t>(random() % 40)
                               : where == 1 ? -static_cast<std::int32_t>(random() % 60)
                                            : static_cast<std::int32_t>(random() % 460);
                    source.Seek(position);
                }
                const auto frames = static_cast<std::int32_t>(1 + random() % 90);
                std::vector<Sample> read(2 * static_cast<std::size_t>(frames), -1);
                source.Read(read.data(), frames);
                for (std::int32_t i = 0; i < frames; ++i) {
                    const std::int64_t f = std::int64_t{position} + i;
                    const bool data = f >= 0 && f < end;
                    ASSERT_EQ(read[2 * static_cast<std::size_t>(i)], data ? 2 * f + 1 : 0) << f;
                    ASSERT_EQ(read[2 * static_cast<std::size_t>(i) + 1], data ? 2 * f + 2 : 0);
                }
                position = static_cast<std::int32_t>(
                    std::min<std::int64_t>(std::int64_t{position} + frames, kMax));
                ASSERT_EQ(source.GetPosition(), position);
            }
        }
    }
}

TEST(FileSoundSource, ASourceInErrorReadsSilenceWithoutAskingItsReader) {
    StairSource source(300, 300, false);
    source.Fail();
    source.Seek(-2);
    std::vector<Sample> read(10, -1);
    source.Read(read.data(), 5);
    EXPECT_EQ(read, std::vector<Sample>(10, 0));
    EXPECT_EQ(source.GetPosition(), 3);
    source.Read(read.data(), 0);
    EXPECT_EQ(source.GetPosition(), 3);
    EXPECT_EQ(source.calls, 0);
}

}  // namespace
}  // namespace sonvara
