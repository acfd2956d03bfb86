// The recorder on the file-backed input (unpaced: the whole sound goes through as fast as the
// recorder takes it, so that what is written depends on the sound alone) and once on ALSA's file
// plugin. Sounds are built of silence and 1 kHz tone at 8 kHz, where a block is 100 ms.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <fstream>
#include <functional>
#include <mutex>
#include <numeric>

#include "audio/memory_stream.h"
#include "core/message_loop.h"
#include "devices/alsa_wave_in.h"
#include "devices/file_wave_in.h"
#include "devices/sound_levels.h"
#include "devices/sound_recorder.h"
#include "devices/system_inputs.h"
#include "tests/support/captured_diagnostics.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/wait_until.h"

namespace sonvara {
namespace {

using std::chrono::milliseconds;

constexpr std::int32_t kRate = 8000;
constexpr std::int32_t kFramesPerMs = kRate / 1000;

// Mono sound made of stretches: Quiet(ms) and Tone(ms), a 1 kHz sine of amplitude 8000.
class SoundBuilder {
  public:
    SoundBuilder& Quiet(int ms) {
        samples_.insert(samples_.end(), static_cast<std::size_t>(ms * kFramesPerMs), 0);
        return *this;
    }
    SoundBuilder& Tone(int ms) {
        for (int i = 0; i < ms * kFramesPerMs; ++i) {
            samples_.push_back(
                static_cast<std::int16_t>(std::lround(8000 * std::sin(i * 2 * M_PI / 8 + 0.3))));
        }
        return *this;
    }
    SoundBuilder& Constant(int ms, std::int16_t value) {
        samples_.insert(samples_.end(), static_cast<std::size_t>(ms * kFramesPerMs), value);
        return *this;
    }
    std::vector<std::int16_t> Samples() const { return samples_; }
    // Stereo with the sound on the right channel alone, the left one silent.
    std::vector<std::int16_t> RightOnly() const {
        std::vector<std::int16_t> stereo;
        for (std::int16_t x : samples_) {
            stereo.push_back(0);
            stereo.push_back(x);
        }
        return stereo;
    }

  private:
    std::vector<std::int16_t> samples_;
};

// A sink that keeps what it is given and, like a disk that fills up, takes only `room` frames
// and then fails.
class LimitedSink : public LMemorySoundSink {
  public:
    LimitedSink(std::int32_t rate, int channels, std::int32_t room)
        : LMemorySoundSink(rate, channels), room_(room) {}
    void Write(const Sample* buffer, std::int32_t frames) override {
        if (IsError()) {
            return;
        }
        const std::int32_t fits = std::min(frames, room_ - GetFramesWritten());
        LMemorySoundSink::Write(buffer, fits);
        if (fits < frames) {
            SetError();
        }
    }
    std::string ErrorText() const override { return IsError() ? "No queda espacio." : ""; }

  private:
    std::int32_t room_;
};

// A sink that holds its writer back, once `gate` frames are written, until it is opened.
class GateSink : public LMemorySoundSink {
  public:
    GateSink(std::int32_t rate, int channels, std::int32_t gate)
        : LMemorySoundSink(rate, channels), gate_(gate) {}
    void Write(const Sample* buffer, std::int32_t frames) override {
        std::unique_lock lock(mutex_);
        if (GetFramesWritten() + frames > gate_) {
            reached_ = true;
            changed_.notify_all();
            changed_.wait(lock, [this] { return open_; });
        }
        LMemorySoundSink::Write(buffer, frames);
    }
    bool WaitUntilReached() {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, milliseconds(10000), [this] { return reached_; });
    }
    void Open() {
        std::lock_guard lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }

  private:
    const std::int32_t gate_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool reached_ = false;
    bool open_ = false;
};

class RecorderLog : public LSoundRecorderNotify {
  public:
    void EvRecording(std::uint32_t /*user*/) override { events.emplace_back("recording"); }
    void EvWaiting(std::uint32_t /*user*/) override { events.emplace_back("waiting"); }
    void EvStop(std::uint32_t /*user*/) override {
        events.emplace_back("stop");
        error_at_stop = recorder->ErrorText();
    }
    void EvLevels(std::uint32_t /*user*/, const SoundLevels& levels) override {
        last_levels = levels;
    }
    bool Saw(const std::string& event) const {
        return std::find(events.begin(), events.end(), event) != events.end();
    }

    LSoundRecorder* recorder = nullptr;
    std::vector<std::string> events;
    std::string error_at_stop;
    SoundLevels last_levels;
};

class RecorderTest : public ::testing::Test {
  protected:
    // Opens `inputs` for the recorders it makes; the default: the file-backed one over `sound_`.
    void Use(std::vector<std::int16_t> samples,
             CapturedSound::Pace pace = CapturedSound::Pace::kUnpaced, int channels = 1) {
        sound_ = std::make_shared<CapturedSound>(std::move(samples), WaveInFormat{kRate, channels},
                                                 pace);
        inputs_ = std::make_unique<FileWaveInProvider>(sound_);
    }

    void Arm(WaveInProvider& inputs, LSoundSinkRef sink, int flags, std::int32_t silence_ms,
             int threshold_db, std::int32_t max_ms = 0) {
        recorder_ = std::make_unique<LSoundRecorder>(loop_, inputs);
        log_ = RecorderLog{};
        log_.recorder = recorder_.get();
        recorder_->SetNotify(&log_);
        ASSERT_TRUE(recorder_->Start(std::move(sink), flags, silence_ms, threshold_db, max_ms))
            << recorder_->ErrorText();
    }

    // Records the whole sound into a fresh sink (stopped by the test once all of it has been
    // captured) and returns what the sink holds.
    std::vector<Sample> Record(int flags, std::int32_t silence_ms, int threshold_db) {
        auto* sink = new LMemorySoundSink(kRate, sound_->Format().channels);
        LSoundSinkRef held(sink);
        Arm(*inputs_, held, flags, silence_ms, threshold_db);
        EXPECT_TRUE(sound_->WaitForDelivered(sound_->Frames()));
        EXPECT_TRUE(recorder_->Stop()) << recorder_->ErrorText();
        EXPECT_TRUE(log_.Saw("stop"));
        return sink->Samples();
    }

    bool PumpUntil(const std::function<bool()>& done, milliseconds timeout = milliseconds(10000)) {
        return testing::PumpUntil(loop_, done, timeout);
    }

    void TearDown() override {
        if (recorder_) {
            EXPECT_TRUE(recorder_->Stop());
            recorder_->SetNotify(nullptr);
        }
    }

    QueueMessageLoop loop_;
    std::shared_ptr<CapturedSound> sound_;
    std::unique_ptr<WaveInProvider> inputs_;
    RecorderLog log_;
    std::unique_ptr<LSoundRecorder> recorder_;
};

// The index of the first sample that is not silence, or the size.
std::size_t FirstSound(const std::vector<Sample>& samples) {
    return static_cast<std::size_t>(
        std::find_if(samples.begin(), samples.end(), [](Sample x) { return x != 0; }) -
        samples.begin());
}

constexpr std::int32_t kNever = 216000000;

TEST_F(RecorderTest, AutoTrimSkipsLeadingSilenceKeepsTheLeadAndCutsTheTail) {
    struct Case {
        int tone_at_ms;
        int tone_ms;
        std::size_t first_sound_ms;  // in the recording
        std::size_t length_ms;
    };
    // Tone starting 20 ms into a block: the block's first half is loud, so the last 50 ms of the
    // block before come first (the recording starts at 950 ms). Starting 60 ms in: the block
    // alone (from 1000 ms). Either way the tone's last block is the last loud one, and 50 ms of
    // the quiet after it stay; a tone within one block is kept too.
    // In stereo the sound is on the right channel only: the louder channel counts.
    for (const Case& c : {Case{1020, 500, 70, 50 + 600 + 50}, Case{1060, 500, 60, 600 + 50},
                          Case{1020, 30, 70, 50 + 100 + 50}}) {
        for (int channels : {1, 2}) {
            SCOPED_TRACE(::testing::Message() << c.tone_at_ms << " ms, " << c.tone_ms << " ms, "
                                              << channels << " channel(s)");
            const SoundBuilder sound =
                SoundBuilder().Quiet(c.tone_at_ms).Tone(c.tone_ms).Quiet(1000);
            Use(channels == 1 ? sound.Samples() : sound.RightOnly(), CapturedSound::Pace::kUnpaced,
                channels);
            const std::vector<Sample> recorded = Record(0, kNever, -24);
            const auto frames = static_cast<std::size_t>(channels);
            EXPECT_EQ(recorded.size(), c.length_ms * kFramesPerMs * frames);
            EXPECT_EQ(FirstSound(recorded), c.first_sound_ms * kFramesPerMs * frames + frames - 1);
            EXPECT_EQ(log_.error_at_stop, "");
        }
    }
    // Without auto trim (threshold -127) everything is kept.
    Use(SoundBuilder().Quiet(1020).Tone(500).Quiet(1000).Samples());
    EXPECT_EQ(Record(0, kNever, -127).size(), static_cast<std::size_t>(sound_->Frames()));
}

TEST_F(RecorderTest, VoiceActivatedStopPausesAfterTheQuietTimeAndResumesThere) {
    Use(SoundBuilder().Tone(1000).Quiet(6000).Tone(500).Quiet(500).Samples());
    const std::vector<Sample> recorded = Record(0, 5000, -24);
    // 1 s of tone, 450 ms of the quiet kept at the pause, 50 ms before the sound returns, the
    // second tone, and 50 ms after it.
    ASSERT_EQ(recorded.size(), static_cast<std::size_t>(2050 * kFramesPerMs));
    const auto at = [&](int ms) { return recorded.begin() + ms * kFramesPerMs; };
    EXPECT_TRUE(std::none_of(at(0), at(1000), [](Sample x) { return x == 0; }));
    // Quiet, less the DC filter's fading trace of the tone (under 1 % of the tone's amplitude).
    const auto quiet = [](Sample x) { return std::abs(x) < 1280; };
    EXPECT_TRUE(std::all_of(at(1000), at(1500), quiet));
    EXPECT_EQ(FirstSound({at(1500), recorded.end()}), static_cast<std::size_t>(0));
    EXPECT_EQ(FirstSound({at(1450), recorded.end()}), static_cast<std::size_t>(50 * kFramesPerMs));
    EXPECT_TRUE(std::all_of(at(2000), at(2050), quiet));
}

TEST_F(RecorderTest, AMaximumTimeEndsTheRecordingAtTheFirstBlockPastIt) {
    Use(SoundBuilder().Tone(3000).Samples());
    auto* sink = new LMemorySoundSink(kRate, 1);
    LSoundSinkRef held(sink);
    Arm(*inputs_, held, LSoundRecorder::kStartRecording, kNever, -127, 1000);
    ASSERT_TRUE(PumpUntil([&] { return log_.Saw("stop"); }));
    EXPECT_EQ(recorder_->GetState(), LSoundRecorder::kStopped);
    EXPECT_EQ(log_.error_at_stop, "");
    EXPECT_EQ(sink->Samples().size(), static_cast<std::size_t>(1100 * kFramesPerMs));
}

TEST_F(RecorderTest, AConstantOffsetIsRemovedWithinAFewTensOfMilliseconds) {
    for (std::int32_t rate : {8000, 44100}) {
        SCOPED_TRACE(rate);
        constexpr std::int16_t kOffset = 3000;
        sound_ = std::make_shared<CapturedSound>(
            std::vector<std::int16_t>(static_cast<std::size_t>(rate / 2), kOffset),
            WaveInFormat{rate, 1}, CapturedSound::Pace::kUnpaced);
        inputs_ = std::make_unique<FileWaveInProvider>(sound_);
        auto* sink = new LMemorySoundSink(rate, 1);
        LSoundSinkRef held(sink);
        Arm(*inputs_, held, LSoundRecorder::kStartRecording, kNever, -127);
        ASSERT_TRUE(sound_->WaitForDelivered(sound_->Frames()));
        ASSERT_TRUE(recorder_->Stop());
        const std::vector<Sample>& recorded = sink->Samples();
        ASSERT_EQ(recorded.size(), static_cast<std::size_t>(rate / 2));
        const auto after = [&](int ms) { return recorded.begin() + ms * rate / 1000; };
        EXPECT_GT(recorded.front(), SampleFrom16(kOffset) / 2);
        const Sample largest =
            *std::max_element(after(100), recorded.end(),
                              [](Sample a, Sample b) { return std::abs(a) < std::abs(b); });
        EXPECT_LT(std::abs(largest), SampleFrom16(kOffset) / 100);
    }
}

TEST_F(RecorderTest, ADeviceThatCannotBeOpenedLeavesTheRecorderStoppedWithTheReason) {
    Use(SoundBuilder().Tone(100).Samples());
    SystemWaveInProvider system;
    const int missing = system.NumberOf("no_such_capture_pcm");
    struct Case {
        WaveInProvider* inputs;
        int device;
        std::int32_t rate;
        bool refusing;
        std::string said;  // a part of the reason
    };
    for (const Case& c : {Case{inputs_.get(), 0, kRate, true, "no se deja abrir"},
                          Case{inputs_.get(), 5, kRate, false, "número 5"},
                          Case{inputs_.get(), 0, 16000, false, "8000 Hz"},
                          Case{&system, missing, kRate, false, "no_such_capture_pcm"}}) {
        SCOPED_TRACE(c.said);
        sound_->SetRefusingOpen(c.refusing);
        LSoundRecorder recorder(loop_, *c.inputs);
        RecorderLog log;
        recorder.SetNotify(&log);
        recorder.SetDevice(c.device);
        EXPECT_FALSE(recorder.Start(new LMemorySoundSink(c.rate, 1), 0, kNever, -24, 0));
        EXPECT_NE(recorder.ErrorText().find(c.said), std::string::npos) << recorder.ErrorText();
        EXPECT_EQ(recorder.GetState(), LSoundRecorder::kStopped);
        EXPECT_TRUE(log.events.empty());
        recorder.SetNotify(nullptr);
    }
    // Nor is a sink in error a place to record.
    sound_->SetRefusingOpen(false);
    auto* full = new LimitedSink(kRate, 1, 0);
    LSoundSinkRef held(full);
    const Sample one = 0;
    full->Write(&one, 1);
    LSoundRecorder recorder(loop_, *inputs_);
    EXPECT_FALSE(recorder.Start(held, 0, kNever, -24, 0));
    EXPECT_EQ(sound_->Delivered(), 0);
}

TEST_F(RecorderTest, AFullDiskEndsTheRecordingKeepsWhatWasWrittenAndSaysWhy) {
    Use(SoundBuilder().Tone(3000).Samples());
    const std::vector<Sample> whole = Record(LSoundRecorder::kStartRecording, kNever, -127);
    Use(SoundBuilder().Tone(3000).Samples());
    auto* sink = new LimitedSink(kRate, 1, 4321);
    LSoundSinkRef held(sink);
    Arm(*inputs_, held, LSoundRecorder::kStartRecording, kNever, -127);
    ASSERT_TRUE(PumpUntil([&] { return log_.Saw("stop"); }));
    EXPECT_EQ(log_.error_at_stop, "No queda espacio.");
    // What was written stays, as a recording that did not fail has it.
    ASSERT_EQ(sink->Samples().size(), 4321u);
    EXPECT_TRUE(std::equal(sink->Samples().begin(), sink->Samples().end(), whole.begin()));
}

TEST_F(RecorderTest, ARecorderDestroyedWhileRecordingSaysSoAndLeavesTheSinkAsItWas) {
    Use(SoundBuilder().Tone(2000).Samples(), CapturedSound::Pace::kClock);
    auto* sink = new LMemorySoundSink(kRate, 1);
    LSoundSinkRef held(sink);
    testing::CapturedDiagnostics diagnostics;
    {
        LSoundRecorder recorder(loop_, *inputs_);
        ASSERT_TRUE(recorder.Start(held, LSoundRecorder::kStartRecording, kNever, -24, 0));
        ASSERT_TRUE(sound_->WaitForDelivered(2 * 800));
    }
    EXPECT_TRUE(diagnostics.Contains(
        "LSoundRecorder::~LSoundRecorder Destroyed while recording; the owner did not stop it"));
    // Nothing was trimmed or written on the way out: only whole blocks of the tone.
    EXPECT_EQ(sink->Samples().size() % 800, 0u);
}

TEST_F(RecorderTest, ARetakeBeginsAgainAtTheStartOfTheSink) {
    Use(SoundBuilder().Tone(2000).Samples(), CapturedSound::Pace::kClock);
    auto* sink = new LMemorySoundSink(kRate, 1);
    LSoundSinkRef held(sink);
    // The sink holds 300 ms already: the recording goes after them, and so does the retake.
    const std::vector<Sample> before(300 * kFramesPerMs, 5);
    sink->Write(before.data(), static_cast<std::int32_t>(before.size()));
    Arm(*inputs_, held, LSoundRecorder::kStartHeld, kNever, -24);
    std::this_thread::sleep_for(milliseconds(100));
    EXPECT_EQ(sound_->Delivered(), 0);  // held until Go
    recorder_->Go();
    ASSERT_TRUE(PumpUntil([&] { return recorder_->LastLoudTime() >= 600; }));
    EXPECT_EQ(recorder_->GetState(), LSoundRecorder::kRecording);
    EXPECT_GE(log_.last_levels.level[0], -1);  // the tone's peak: 8000 of 8192
    EXPECT_LE(log_.last_levels.level[0], 0);
    ASSERT_TRUE(recorder_->Restart());
    EXPECT_EQ(recorder_->GetState(), LSoundRecorder::kWaiting);
    EXPECT_EQ(recorder_->LastLoudTime(), 300);
    ASSERT_TRUE(PumpUntil([&] { return recorder_->LastLoudTime() >= 500; }));
    ASSERT_TRUE(recorder_->Stop());
    EXPECT_TRUE(std::equal(before.begin(), before.end(), sink->Samples().begin()));
    EXPECT_LT(sink->Samples().size(), static_cast<std::size_t>(300 + 1700) * kFramesPerMs);
}

// The capture PCM "rec" of a private ALSA configuration: a file plugin over the null PCM that
// reads its frames from a raw file (and past its end, silence).
class FilePluginInputs : public WaveInProvider {
  public:
    explicit FilePluginInputs(const std::string& path)
        : config_("pcm.rec { type file slave.pcm { type null } file \"/dev/null\" infile \"" +
                  path + "\" format raw }\n") {}
    std::vector<std::string> DeviceNames() const override { return {"rec"}; }
    std::unique_ptr<WaveIn> Open(int /*number*/, const WaveInFormat& format,
                                 LSignalObject& done_event, std::string& error) override {
        return OpenAlsaWaveInWithConfig(config_, "rec", format, done_event, error);
    }

  private:
    std::string config_;
};

TEST_F(RecorderTest, ThroughAlsasFilePluginTheRecordingIsTheSameAsFromTheTestInput) {
    Use(SoundBuilder().Quiet(1020).Tone(500).Quiet(1000).Samples());
    const std::vector<Sample> expected = Record(0, kNever, -24);
    // Past the end of its file the plugin goes on reading whatever its buffer holds, as fast as it
    // is asked. The sink holds the recorder back once the tone is in, so that no more than the
    // 3 s of the queued buffers are read after it, well within the file.
    const std::vector<std::int16_t> samples =
        SoundBuilder().Quiet(1020).Tone(500).Quiet(10000).Samples();
    testing::ScratchFolder folder;
    const std::string path = folder.File("in.raw");
    {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(samples.data()),
                  static_cast<std::streamsize>(samples.size() * sizeof(std::int16_t)));
        ASSERT_TRUE(out.good());
    }
    FilePluginInputs alsa(path);
    auto* sink = new GateSink(kRate, 1, 1000 * kFramesPerMs);
    LSoundSinkRef held(sink);
    Arm(alsa, held, 0, kNever, -24);
    ASSERT_TRUE(sink->WaitUntilReached());
    sink->Open();
    ASSERT_TRUE(recorder_->Stop()) << recorder_->ErrorText();
    EXPECT_EQ(sink->Samples().size(), expected.size());
    EXPECT_TRUE(sink->Samples() == expected);
}

// A device that lost sound (it was not read in time) three times, otherwise the test input.
class LossyWaveIn : public WaveIn {
  public:
    explicit LossyWaveIn(std::unique_ptr<WaveIn> inner) : inner_(std::move(inner)) {}
    bool Add(WaveInBuffer& buffer) override { return inner_->Add(buffer); }
    void Start() override { inner_->Start(); }
    void Reset() override { inner_->Reset(); }
    bool IsDone(const WaveInBuffer& buffer) const override { return inner_->IsDone(buffer); }
    std::string Failure() const override { return inner_->Failure(); }
    std::string Close() override { return inner_->Close(); }
    int Overruns() const override { return 3; }

  private:
    std::unique_ptr<WaveIn> inner_;
};

class LossyInputs : public WaveInProvider {
  public:
    explicit LossyInputs(WaveInProvider& inner) : inner_(inner) {}
    std::vector<std::string> DeviceNames() const override { return inner_.DeviceNames(); }
    std::unique_ptr<WaveIn> Open(int number, const WaveInFormat& format, LSignalObject& done_event,
                                 std::string& error) override {
        std::unique_ptr<WaveIn> device = inner_.Open(number, format, done_event, error);
        return device ? std::make_unique<LossyWaveIn>(std::move(device)) : nullptr;
    }

  private:
    WaveInProvider& inner_;
};

// The sound a device lost is counted while it records and still after the take ends (the device
// closed), so that the take can say it has gaps.
TEST_F(RecorderTest, SoundTheDeviceLostIsCountedBeyondTheEndOfTheTake) {
    Use(SoundBuilder().Tone(500).Samples());
    LossyInputs lossy(*inputs_);
    Arm(lossy, LSoundSinkRef(new LMemorySoundSink(kRate, 1)), 0, kNever, -127);
    EXPECT_EQ(recorder_->Overruns(), 3);
    ASSERT_TRUE(recorder_->Stop()) << recorder_->ErrorText();
    EXPECT_EQ(recorder_->Overruns(), 3);
}

TEST(PeakLevels, FollowTheLargerOfThePeaksOnA131072Scale) {
    struct Case {
        std::vector<Sample> samples;
        int level;
    };
    for (const Case& c :
         {Case{{0, 0}, -127}, Case{{131072, -5}, 0}, Case{{-5, -131072}, 0}, Case{{FULL_SCALE}, 12},
          Case{{-FULL_SCALE - 16}, 12}, Case{{65536}, -6}, Case{{1}, -102}}) {
        SoundLevels levels;
        MeasurePeakLevels(c.samples.data(), static_cast<std::int32_t>(c.samples.size()), 1, levels);
        EXPECT_EQ(levels.level[0], c.level) << c.samples[0];
    }
    // Two channels: each its own; the block's loudness is the louder.
    const std::vector<Sample> stereo{65536, 131072, 0, 0};
    SoundLevels levels;
    MeasurePeakLevels(stereo.data(), 2, 2, levels);
    EXPECT_EQ(levels.level[0], -6);
    EXPECT_EQ(levels.level[1], 0);
    EXPECT_EQ(Loudness(levels), 0);
}

}  // namespace
}  // namespace sonvara
