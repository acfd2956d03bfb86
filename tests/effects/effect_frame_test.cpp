#include <gtest/gtest.h>

#include <fstream>
#include <vector>

#include "audio/filter_makers.h"
#include "core/message_loop.h"
#include "effects/dc_offset.h"
#include "effects/effect_process.h"
#include "effects/normalize.h"
#include "effects/reverse.h"
#include "tests/document/document_fixture.h"
#include "tests/support/cancel_after_view.h"
#include "tests/support/run_process.h"
#include "tests/support/scripted_prompts.h"

namespace sonvara {
namespace {

// A process that runs one range effect, so that the frame can be tried with any source.
class RangeEffect : public LProgressDialog {
  public:
    RangeEffect(LCutListAudio& document, FrameRange range, EffectSourceFactory make)
        : LProgressDialog("Sonvara"), document_(document), range_(range), make_(std::move(make)) {}

  protected:
    ProcessResult Body() override {
        return RunRangeEffect(*this, "Test", document_, range_, make_);
    }

  private:
    LCutListAudio& document_;
    FrameRange range_;
    EffectSourceFactory make_;
};

// Negates every sample: easy to see where the effect went.
class Negate : public LSoundSourceBase {
  public:
    explicit Negate(LSoundSourceRef upstream)
        : LSoundSourceBase(upstream->GetSampleRate(), upstream->GetChannels(), FULL_SCALE),
          upstream_(std::move(upstream)) {}
    void Read(Sample* buffer, std::int32_t frames) override {
        upstream_->Read(buffer, frames);
        for (std::int64_t i = 0; i < std::int64_t{frames} * GetChannels(); ++i) {
            buffer[i] = -buffer[i];
        }
    }
    std::int32_t GetPosition() const override { return upstream_->GetPosition(); }
    std::int32_t GetLength() const override { return upstream_->GetLength(); }
    void Seek(std::int32_t frame) override { upstream_->Seek(frame); }

  private:
    LSoundSourceRef upstream_;
};

class EffectFrameTest : public testing::DocumentTest {
  protected:
    ProcessResult Run(LProgressDialog& process, ProgressView* view = nullptr) {
        return testing::RunProcess(process, view);
    }

    static EffectSourceFactory Negating() {
        return
            [](const LSoundSourceRef& upstream) { return LSoundSourceRef(new Negate(upstream)); };
    }
};

TEST_F(EffectFrameTest, TheEffectReplacesExactlyTheSelection) {
    LCutListAudio document = Staircase(20000, 2);
    const std::vector<Sample> before = ReadList(document);
    RangeEffect effect(document, {100, 15000}, Negating());
    ASSERT_EQ(Run(effect), PROCESS_DONE);
    const std::vector<Sample> after = ReadList(document);
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < after.size(); ++i) {
        const bool inside = i / 2 >= 100 && i / 2 < 15000;
        ASSERT_EQ(after[i], inside ? -before[i] : before[i]) << i;
    }

    // An empty selection gives an empty replacement; a reversed one does nothing.
    RangeEffect empty(document, {500, 500}, Negating());
    ASSERT_EQ(Run(empty), PROCESS_DONE);
    RangeEffect reversed(document, {500, 400}, Negating());
    ASSERT_EQ(Run(reversed), PROCESS_DONE);
    EXPECT_EQ(ReadList(document), after);
}

TEST_F(EffectFrameTest, ACancelledEffectLeavesTheDocumentAsItWas) {
    LCutListAudio document = Staircase(30000, 1);
    const std::vector<Sample> before = ReadList(document);
    testing::CancelAfter cancel(2);
    RangeEffect effect(document, {0, 30000}, Negating());
    EXPECT_EQ(Run(effect, &cancel), PROCESS_STOPPED);
    EXPECT_EQ(ReadList(document), before);
    EXPECT_EQ(document.Records().Count(), 1u);
}

TEST_F(EffectFrameTest, AnEffectWhoseResultCannotBeKeptFailsAndLeavesTheDocument) {
    LCutListAudio document = Staircase(30000, 1);
    const std::vector<Sample> before = ReadList(document);
    // The working folder cannot be made (its parent is a regular file): no cut can be written.
    std::ofstream(scratch_.File("plain")) << "a file, not a folder";
    const std::string unusable = scratch_.File("plain/work");
    std::unique_ptr<LAudioCutTank> working = UseCutTank(std::make_unique<LAudioCutTank>(unusable));
    RangeEffect negate(document, {0, 30000}, Negating());
    EfDCOffsetCorrection correct(document, {0, 30000});  // the frame that copies the selection
    for (LProgressDialog* effect :
         {static_cast<LProgressDialog*>(&negate), static_cast<LProgressDialog*>(&correct)}) {
        testing::ScriptedPrompts prompts;
        EXPECT_EQ(testing::RunProcess(*effect, nullptr, &prompts), PROCESS_FAILED);
        EXPECT_EQ(prompts.Asked().size(), 1u);
        for (const PromptMessage& message : prompts.Asked()) {
            EXPECT_NE(message.text.find("\"" + unusable + "\""), std::string::npos);
        }
        EXPECT_EQ(ReadList(document), before);
    }
    UseCutTank(std::move(working));
}

TEST_F(EffectFrameTest, NormalizeFindsThePeakAndChangesOnlyGains) {
    LCutListAudio document;
    {
        LSoundSinkRef writer(new LSNKCutListAudio(document, 8000, 2));
        std::vector<Sample> samples(2 * 1000, 1000);
        samples[777] = -FULL_SCALE / 4;  // the peak, negative and on the right channel
        writer->Write(samples.data(), 1000);
        ASSERT_TRUE(writer->Finish());
    }
    EfNormalize normalize(document, {0, 1000}, {.peak_percent = 100});
    ASSERT_EQ(Run(normalize), PROCESS_DONE);
    EXPECT_EQ(normalize.AppliedPercent(), 400);             // 400.0 exactly: 524272 * 100 / 131068
    EXPECT_EQ(document.Records().begin()->gain, 67108800);  // (2^24 / 100) * 400

    // Quieter than a quarter of full scale would need more than 400 %: 400 % it is.
    LCutListAudio quiet = Staircase(100);  // peak 99 * 16
    EfNormalize capped(quiet, {0, 100}, {.peak_percent = 100});
    ASSERT_EQ(Run(capped), PROCESS_DONE);
    EXPECT_EQ(capped.AppliedPercent(), 400);

    // A peak at half scale and 90 %: the whole percent below 180.
    LCutListAudio half;
    {
        LSoundSinkRef writer(new LSNKCutListAudio(half, 8000, 1));
        std::vector<Sample> samples(100, 0);
        samples[50] = FULL_SCALE / 2;
        writer->Write(samples.data(), 100);
        ASSERT_TRUE(writer->Finish());
    }
    EfNormalize ninety(half, {0, 100}, {.peak_percent = 90});
    ASSERT_EQ(Run(ninety), PROCESS_DONE);
    EXPECT_EQ(ninety.AppliedPercent(), 180);  // 524272 * 90 / 262136
}

TEST_F(EffectFrameTest, NormalizeLeavesSilenceEmptySelectionsAndCancelsAlone) {
    LCutListAudio silence;
    silence.InsertSilence(0, 5000);
    EfNormalize of_silence(silence, {0, 5000}, {.peak_percent = 100});
    ASSERT_EQ(Run(of_silence), PROCESS_DONE);
    EXPECT_EQ(silence.Records().begin()->gain, kUnityGain);

    LCutListAudio document = Staircase(20000);
    EfNormalize empty(document, {300, 300}, {.peak_percent = 100});
    ASSERT_EQ(Run(empty), PROCESS_DONE);
    EXPECT_EQ(document.Records().Count(), 1u);
    EXPECT_EQ(document.Records().begin()->gain, kUnityGain);

    testing::CancelAfter cancel(1);
    EfNormalize cancelled(document, {0, 20000}, {.peak_percent = 100});
    EXPECT_EQ(Run(cancelled, &cancel), PROCESS_STOPPED);
    EXPECT_EQ(document.Records().begin()->gain, kUnityGain);
}

TEST_F(EffectFrameTest, ReverseTurnsTheWholeSelectionAround) {
    const std::int32_t frames = 2 * kBlockFrames + 7;  // odd, the last block the shortest
    LCutListAudio document = Staircase(frames + 20, 2);
    const std::vector<Sample> before = ReadList(document);
    LEfReverse reverse(document, {10, frames + 10});
    ASSERT_EQ(Run(reverse), PROCESS_DONE);
    const std::vector<Sample> after = ReadList(document);
    ASSERT_EQ(after.size(), before.size());
    for (std::int32_t f = 0; f < frames + 20; ++f) {
        const std::int32_t from = f >= 10 && f < frames + 10 ? frames + 19 - f : f;
        for (int c = 0; c < 2; ++c) {
            ASSERT_EQ(after[static_cast<std::size_t>(f * 2 + c)],
                      before[static_cast<std::size_t>(from * 2 + c)])
                << f << " " << c;
        }
    }
}

TEST_F(EffectFrameTest, DCOffsetTakesEachChannelsMeanAway) {
    LCutListAudio document;
    {
        LSoundSinkRef writer(new LSNKCutListAudio(document, 8000, 2));
        std::vector<Sample> samples;
        for (int f = 0; f < 20000; ++f) {
            samples.push_back(1000 + (f % 2 == 0 ? 300 : -300));  // mean 1000
            samples.push_back(-7 + (f % 4) * 2);                  // mean -4
        }
        writer->Write(samples.data(), 20000);
        ASSERT_TRUE(writer->Finish());
    }
    EfDCOffsetCorrection correct(document, {0, 20000});
    ASSERT_EQ(Run(correct), PROCESS_DONE);
    const std::vector<Sample> after = ReadList(document);
    ASSERT_EQ(after.size(), 40000u);
    EXPECT_EQ(after[0], 300);
    EXPECT_EQ(after[2], -300);
    EXPECT_EQ(after[1], -3);
    EXPECT_EQ(after[7], 3);

    // An empty selection divides by 1 and changes nothing; a format mismatch is refused.
    EfDCOffsetCorrection empty(document, {500, 500});
    ASSERT_EQ(Run(empty), PROCESS_DONE);
    EXPECT_EQ(ReadList(document), after);
    LCutListAudio mono = Staircase(10);
    LCutListAudio other;
    LSoundSinkRef stereo_sink(new LSNKCutListAudio(other, 8000, 2));
    class Mismatch : public LProgressDialog {
      public:
        Mismatch(LSoundSourceRef source, LSoundSinkRef sink)
            : LProgressDialog("Sonvara"), source_(std::move(source)), sink_(std::move(sink)) {}

      protected:
        ProcessResult Body() override { return LDCOffsetCorrection(*this, source_, sink_); }

      private:
        LSoundSourceRef source_;
        LSoundSinkRef sink_;
    };
    Mismatch mismatch(LSoundSourceRef(new LSRCCutListAudio(mono)), stereo_sink);
    EXPECT_EQ(Run(mismatch), PROCESS_FAILED);
}

}  // namespace
}  // namespace sonvara
