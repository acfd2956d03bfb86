#include "audio/source_to_sink.h"

#include <gtest/gtest.h>

#include <numeric>

#include "audio/memory_stream.h"
#include "core/message_loop.h"
#include "tests/audio/signals.h"
#include "tests/support/cancel_after_view.h"
#include "tests/support/scripted_prompts.h"

namespace sonvara {
namespace {

using testing::MemorySource;

// Numbers each frame so that every written frame tells where it came from.
std::vector<Sample> Staircase(std::int32_t frames, int channels) {
    std::vector<Sample> samples(static_cast<std::size_t>(frames) * channels);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<Sample>(i % 100000) * 4;
    }
    return samples;
}

struct CopyProcess : ::testing::Test {
    QueueMessageLoop loop;
    SilentProgressView view;
    testing::ScriptedPrompts prompts;

    ProcessResult Copy(LSoundSourceRef source, LSoundSinkRef sink, ProgressView& with) {
        ProcessHost host{loop, with, prompts};
        LPRSourceToSink process("Copiando", std::move(source), std::move(sink));
        return process.Run(host);
    }
    ProcessResult Copy(LSoundSourceRef source, LSoundSinkRef sink) {
        return Copy(std::move(source), std::move(sink), view);
    }
};

TEST_F(CopyProcess, WritesExactlyTheSourceWhateverItsLengthAgainstTheBlock) {
    for (int channels : {1, 2}) {
        for (std::int32_t frames : {0, 1, 10, 8191, 8192, 8193, 3 * 8192 + 5}) {
            auto samples = Staircase(frames, channels);
            auto* sink = new LMemorySoundSink(22050, channels);
            LSoundSinkRef keep = sink;
            EXPECT_EQ(Copy(MemorySource(samples, 22050, channels), keep), PROCESS_DONE);
            EXPECT_EQ(sink->GetFramesWritten(), frames) << channels << " channels";
            EXPECT_EQ(sink->Samples(), samples) << frames << " frames";
        }
    }
}

TEST_F(CopyProcess, ATenFrameSourceReadsAsTenFramesThenSilenceAndMovesAWholeBlock) {
    std::vector<Sample> ten(10, 1000);
    LSoundSourceRef source = MemorySource(ten, 8000);
    std::vector<Sample> block(kBlockFrames, -1);
    source->Read(block.data(), kBlockFrames);
    EXPECT_EQ(std::accumulate(block.begin(), block.begin() + 10, 0), 10000);
    EXPECT_TRUE(std::all_of(block.begin() + 10, block.end(), [](Sample s) { return s == 0; }));
    EXPECT_EQ(source->GetPosition(), kBlockFrames);
}

TEST_F(CopyProcess, MakesTheSourceFitTheSink) {
    // Mono 22050 Hz into a stereo 44100 Hz sink: two channels at twice the frames.
    auto* sink = new LMemorySoundSink(44100, 2);
    LSoundSinkRef keep = sink;
    auto samples = testing::Sine(440, 100000, 22050, 22050);
    EXPECT_EQ(Copy(MemorySource(samples, 22050), keep), PROCESS_DONE);
    EXPECT_EQ(sink->GetFramesWritten(), 44100);
    EXPECT_NEAR(testing::Rms(sink->Samples(), 2, 100, 44000, 1), 100000 / std::sqrt(2.0), 500);

    // A source that may exceed full scale is limited on the way.
    auto* limited = new LMemorySoundSink(8000, 1);
    LSoundSinkRef keep_limited = limited;
    auto loud = testing::Sine(200, 4.0 * FULL_SCALE, 8000, 8000);
    EXPECT_EQ(Copy(MemorySource(loud, 8000, 1, kUnknownMaxSample), keep_limited), PROCESS_DONE);
    auto [low, high] = std::minmax_element(limited->Samples().begin(), limited->Samples().end());
    EXPECT_LE(*high, FULL_SCALE);
    EXPECT_GE(*low, -FULL_SCALE);
}

TEST_F(CopyProcess, CancelKeepsTheBlocksWrittenSoFar) {
    auto* sink = new LMemorySoundSink(8000, 1);
    LSoundSinkRef keep = sink;
    testing::CancelAfter cancel(2);
    EXPECT_EQ(Copy(MemorySource(Staircase(10 * 8192, 1), 8000), keep, cancel), PROCESS_STOPPED);
    EXPECT_EQ(sink->GetFramesWritten(), 2 * 8192);
}

TEST_F(CopyProcess, FailsOnASourceOrSinkInErrorOrWithoutASink) {
    auto* sink = new LMemorySoundSink(8000, 1);
    LSoundSinkRef keep = sink;
    EXPECT_EQ(Copy(LSoundSourceRef(), keep), PROCESS_FAILED);
    EXPECT_EQ(Copy(MemorySource(Staircase(10, 1), 8000), LSoundSinkRef()), PROCESS_FAILED);
    EXPECT_EQ(Copy(MemorySource(Staircase(10, 1), 8000), new LMemorySoundSink(8000, 0)),
              PROCESS_FAILED);
    EXPECT_EQ(sink->GetFramesWritten(), 0);
}

// A file source whose reads fail after `good` frames (a disk error half-way).
class FailsHalfWay : public LSoundSourceBase {
  public:
    explicit FailsHalfWay(std::int32_t good) : LSoundSourceBase(8000, 1, FULL_SCALE), good_(good) {}
    void Read(Sample* buffer, std::int32_t frames) override {
        std::fill_n(buffer, frames, 1000);
        position_ += frames;
        if (position_ > good_) {
            SetError();
        }
    }
    std::int32_t GetPosition() const override { return position_; }
    std::int32_t GetLength() const override { return 100 * kBlockFrames; }

  private:
    std::int32_t good_;
    std::int32_t position_ = 0;
};

TEST_F(CopyProcess, AnErrorAnywhereInTheChainEndsTheCopy) {
    // Filters that cannot take their input read silence and never reach the end: more than two
    // channels (the channel converter; the limiter when the sink takes them as they are), a ratio
    // the rate converter cannot step (10 Hz to 8000 Hz). The cancel stands in for a user who
    // would otherwise wait for ever.
    struct Case {
        int channels;
        std::int32_t rate;
        Sample max_sample;
        int sink_channels;
    };
    for (const Case& c : {Case{3, 8000, FULL_SCALE, 1}, Case{6, 8000, kUnknownMaxSample, 2},
                          Case{3, 8000, kUnknownMaxSample, 3}, Case{1, 10, FULL_SCALE, 1},
                          Case{2, 10, kUnknownMaxSample, 2}}) {
        SCOPED_TRACE(std::to_string(c.channels) + " channels at " + std::to_string(c.rate));
        auto* sink = new LMemorySoundSink(8000, c.sink_channels);
        LSoundSinkRef keep = sink;
        testing::CancelAfter cancel(50);
        EXPECT_EQ(Copy(MemorySource(Staircase(1000, c.channels), c.rate, c.channels, c.max_sample),
                       keep, cancel),
                  PROCESS_FAILED);
        EXPECT_EQ(sink->GetFramesWritten(), 0);
    }

    // A source that fails half-way ends the copy after the block that failed, also behind a
    // filter that converts its rate.
    for (std::int32_t rate : {8000, 16000}) {
        auto* sink = new LMemorySoundSink(rate, 1);
        LSoundSinkRef keep = sink;
        EXPECT_EQ(Copy(new FailsHalfWay(3 * kBlockFrames), keep), PROCESS_FAILED) << rate;
        EXPECT_LT(sink->GetFramesWritten(), 5 * kBlockFrames * (rate / 8000)) << rate;
    }
}

}  // namespace
}  // namespace sonvara
