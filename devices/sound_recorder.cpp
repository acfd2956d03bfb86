#include "devices/sound_recorder.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <mutex>
#include <vector>

#include "audio/split_multiply.h"
#include "core/diagnostics.h"
#include "core/queued_notify.h"
#include "core/thread.h"
#include "devices/sound_levels.h"
#include "devices/wave_in.h"

namespace sonvara {
namespace {

constexpr auto kRecorderStopBudget = std::chrono::milliseconds(5000);
// The worker looks at its stop event at least this often while it waits for a buffer.
constexpr auto kRecordBufferWait = std::chrono::milliseconds(200);
// Sound before the first loud block, quiet kept after a pause and after the last loud block.
constexpr std::int32_t kLeadMilliseconds = 50;
constexpr std::int32_t kPauseKeepMilliseconds = 450;
// The stop threshold lies this far below the start threshold, so that a sound hovering at the
// threshold does not start and pause at every block.
constexpr int kStopHysteresis = 5;

constexpr const char* kSinkFailedText =
    "No se pudo seguir escribiendo la grabación (¿disco lleno?); se conserva lo grabado hasta "
    "ese momento.";

std::int32_t MillisecondsOfFrames(std::int64_t frames, std::int32_t rate) {
    return static_cast<std::int32_t>((frames / rate) * 1000 + ((frames % rate) * 1000) / rate);
}

std::int32_t FramesAt(std::int32_t milliseconds, std::int32_t rate) {
    const std::int64_t t = std::max(milliseconds, 0);
    return static_cast<std::int32_t>((t / 1000) * rate + ((t % 1000) * rate) / 1000);
}

}  // namespace

struct LSoundRecorder::Impl : LThread, LThreadQueuedNotify {
    Impl(MessageLoop& loop, WaveInProvider& provider)
        : LThreadQueuedNotify(loop), inputs(provider) {}
    ~Impl() override { StopThreadTimed(kRecorderStopBudget); }

    bool Start(LSoundSinkRef new_sink, int flags, std::int32_t silence_ms, int threshold_db,
               std::int32_t max_ms);
    bool Restart();
    bool Stop();

    void ThreadFunction() override;
    void OnNotify() override;

    State CurrentState() const {
        std::lock_guard lock(mutex);
        return state;
    }
    std::int32_t LastLoud() const {
        std::lock_guard lock(mutex);
        return last_loud;
    }
    // Queues the whole ring from slot 0; false (with the reason kept) when the device refuses.
    bool QueueRing();
    // Turns a returned buffer into internal samples in `block`, without its DC offset.
    std::int32_t Convert(const WaveInBuffer& buffer);
    // What one block does: voice activation, writing, levels. Worker, or Stop with the worker
    // ended.
    void Process(std::int32_t frames);
    // Writes to the sink; on failure ends the recording. False when the sink has failed.
    bool Write(const Sample* samples, std::int32_t frames);
    // Keeps `why` as the reason, stops processing and asks the interface thread to stop.
    void Fail(const std::string& why);
    std::int32_t SinkMilliseconds() const {
        return MillisecondsOfFrames(sink->GetFramesWritten(), sink->GetSampleRate());
    }
    std::int32_t SinkFramesAt(std::int32_t milliseconds) const {
        return std::min(FramesAt(milliseconds, sink->GetSampleRate()), sink->GetFramesWritten());
    }
    void Hold(std::int32_t frames) {
        std::copy_n(block.begin(), static_cast<std::size_t>(frames) * channels, held.begin());
        held_frames = frames;
        held_valid = true;
    }
    // Ends the device; keeps its complaint as the reason unless there is one already.
    void CloseDevice();

    WaveInProvider& inputs;
    LSoundRecorderNotify silent;
    LSoundRecorderNotify* target = &silent;
    std::uint32_t user = 0;
    int device_number = -1;

    // Guards what the interface thread reads while the worker runs: the state, the last loud
    // time, the levels, the notify bytes and the error text.
    mutable std::mutex mutex;
    State state = kStopped;
    std::int32_t last_loud = 0;
    SoundLevels levels;
    bool stop_requested = false;
    bool levels_changed = false;
    bool state_changed = false;
    std::string error;

    // Set up by Start and Restart, used by the worker while it runs and by Stop after it.
    LSignalObject done_event;
    LSignalObject go_event;
    std::unique_ptr<WaveIn> device;
    int overruns_before_close = 0;  // the last device's count, once it is closed
    LSoundSinkRef sink;
    std::int32_t origin = 0;  // the sink's length when armed
    int channels = 1;
    std::int32_t frames_per_block = 0;
    std::int32_t dc_rate = 1;  // the DC filter's step: 192000 / rate + 1
    std::vector<std::int32_t> dc;
    std::vector<std::int16_t> memory;  // the 30 device buffers, one after the other
    std::array<WaveInBuffer, kBuffers> ring{};
    int index = 0;
    std::vector<Sample> block;
    std::vector<Sample> held;  // the last block written while WAITING
    std::int32_t held_frames = 0;
    bool held_valid = false;
    bool failed = false;
    // Nothing more is written: the recording failed or reached its maximum time.
    bool ended = false;
    std::int32_t max_time = 0;
    int start_threshold = -127;
    int stop_threshold = -127;
    std::int32_t silence_time = 0;
};

bool LSoundRecorder::Impl::QueueRing() {
    for (int i = 0; i < kBuffers; ++i) {
        WaveInBuffer& buffer = ring[static_cast<std::size_t>(i)];
        buffer.data = memory.data() + static_cast<std::ptrdiff_t>(i) * frames_per_block * channels;
        buffer.frames = frames_per_block;
        if (!device->Add(buffer)) {
            const std::string failure = device->Failure();
            error = failure.empty() ? "El dispositivo de grabación rechazó un búfer." : failure;
            return false;
        }
    }
    index = 0;
    return true;
}

bool LSoundRecorder::Impl::Start(LSoundSinkRef new_sink, int flags, std::int32_t silence_ms,
                                 int threshold_db, std::int32_t max_ms) {
    Stop();
    {
        std::lock_guard lock(mutex);
        error.clear();
    }
    if (!new_sink || new_sink->IsError()) {
        std::lock_guard lock(mutex);
        error = "No hay dónde guardar la grabación.";
        return false;
    }
    channels = std::max(new_sink->GetChannels(), 1);
    const WaveInFormat format{new_sink->GetSampleRate(), channels};
    std::string why;
    device = inputs.Open(device_number, format, done_event, why);
    if (!device) {
        std::lock_guard lock(mutex);
        error = why;
        return false;
    }
    sink = std::move(new_sink);
    frames_per_block = std::clamp(format.sample_rate / 10, 20, 8192);
    dc_rate = 192000 / format.sample_rate + 1;
    const auto block_samples = static_cast<std::size_t>(frames_per_block) * channels;
    dc.assign(static_cast<std::size_t>(channels), 0);
    memory.assign(block_samples * kBuffers, 0);
    block.assign(block_samples, 0);
    held.assign(block_samples, 0);
    held_frames = 0;
    held_valid = false;
    failed = ended = false;
    max_time = max_ms;
    start_threshold = std::clamp(threshold_db, -127, 127);
    stop_threshold = std::clamp(threshold_db - kStopHysteresis, -127, 127);
    silence_time = silence_ms;
    origin = sink->GetFramesWritten();
    {
        std::lock_guard lock(mutex);
        state = (flags & kStartRecording) != 0 ? kRecording : kWaiting;
        last_loud = SinkMilliseconds();
        levels = SoundLevels{};
        levels.channels = static_cast<std::uint8_t>(std::min(channels, 255));
        stop_requested = levels_changed = state_changed = false;
    }
    if ((flags & kStartHeld) != 0) {
        go_event.Reset();
    } else {
        go_event.Signal();
    }
    if (!QueueRing() || !LThread::Start(ThreadPriority::kNormal)) {
        {
            std::lock_guard lock(mutex);
            if (error.empty()) {
                error = "No se pudo iniciar la grabación.";
            }
        }
        device->Close();
        device.reset();
        sink = LSoundSinkRef();
        std::lock_guard lock(mutex);
        state = kStopped;
        return false;
    }
    const State started = CurrentState();
    if (started == kWaiting) {
        target->EvWaiting(user);
    } else {
        target->EvRecording(user);
    }
    target->EvPosition(user, LastLoud());
    return true;
}

bool LSoundRecorder::Impl::Restart() {
    if (CurrentState() == kStopped) {
        return false;
    }
    StopThreadTimed(kRecorderStopBudget);
    device->Reset();
    if (failed) {
        Stop();
        return false;
    }
    sink->Truncate(origin);
    std::fill(dc.begin(), dc.end(), 0);
    held_valid = false;
    ended = false;
    {
        std::lock_guard lock(mutex);
        state = kWaiting;
        last_loud = SinkMilliseconds();
        stop_requested = levels_changed = state_changed = false;
    }
    go_event.Signal();
    if (!QueueRing() || !LThread::Start(ThreadPriority::kNormal)) {
        Fail("No se pudo reanudar la grabación.");
        Stop();
        return false;
    }
    target->EvWaiting(user);
    target->EvPosition(user, LastLoud());
    return true;
}

bool LSoundRecorder::Impl::Stop() {
    if (CurrentState() == kStopped) {
        return true;
    }
    StopThreadTimed(kRecorderStopBudget);
    // What the device caught before the reset goes through the same path as every block, from
    // the oldest buffer on, so that the end of a recording does not depend on when it stopped.
    device->Reset();
    for (int i = 0; i < kBuffers && !ended; ++i) {
        const WaveInBuffer& buffer = ring[static_cast<std::size_t>((index + i) % kBuffers)];
        if (!device->IsDone(buffer) || buffer.recorded == 0) {
            break;
        }
        Process(Convert(buffer));
    }
    CloseDevice();
    if (!sink->IsError()) {
        const std::int32_t end = LastLoud() + kLeadMilliseconds;
        if (SinkMilliseconds() > end) {
            sink->Truncate(SinkFramesAt(end));
        }
    }
    sink = LSoundSinkRef();
    memory = {};
    bool clean = false;
    {
        std::lock_guard lock(mutex);
        state = kStopped;
        last_loud = 0;
        stop_requested = levels_changed = state_changed = false;
        clean = error.empty();
    }
    target->EvStop(user);
    return clean;
}

void LSoundRecorder::Impl::CloseDevice() {
    std::string closing = device->Close();
    std::lock_guard lock(mutex);
    overruns_before_close = device->Overruns();
    device.reset();
    if (error.empty()) {
        error = std::move(closing);
    }
}

void LSoundRecorder::Impl::Fail(const std::string& why) {
    failed = ended = true;
    {
        std::lock_guard lock(mutex);
        if (error.empty()) {
            error = why;
        }
        stop_requested = true;
    }
    Notify();
}

std::int32_t LSoundRecorder::Impl::Convert(const WaveInBuffer& buffer) {
    const std::int32_t frames = std::min(buffer.recorded, frames_per_block);
    const std::size_t count = static_cast<std::size_t>(frames) * channels;
    for (std::size_t i = 0; i < count; ++i) {
        block[i] = SampleFrom16(buffer.data[i]);
    }
    // A high-pass of one pole: the state follows the average, scaled by 4096, at a step of about
    // 192000 / rate per 4096 of the difference, a time constant near 20 ms at any rate.
    for (int c = 0; c < channels; ++c) {
        std::int32_t& state_c = dc[static_cast<std::size_t>(c)];
        for (std::size_t i = static_cast<std::size_t>(c); i < count;
             i += static_cast<std::size_t>(channels)) {
            const std::int32_t y = WrapSub(block[i], state_c >> 12);
            block[i] = y;
            state_c = WrapAdd(state_c, WrapMul(y, dc_rate));
        }
    }
    return frames;
}

bool LSoundRecorder::Impl::Write(const Sample* samples, std::int32_t frames) {
    if (ended) {
        return false;
    }
    if (frames > 0) {
        sink->Write(samples, frames);
    }
    if (sink->IsError()) {
        const std::string text = sink->ErrorText();
        Fail(text.empty() ? kSinkFailedText : text);
        return false;
    }
    return true;
}

void LSoundRecorder::Impl::Process(std::int32_t frames) {
    if (frames <= 0 || ended) {
        return;
    }
    SoundLevels measured;
    MeasurePeakLevels(block.data(), frames, channels, measured);
    const int loudness = Loudness(measured);
    const State now = CurrentState();
    State next = now;
    std::int32_t loud_at = -1;  // the new last loud time, if any
    bool reached_max = false;
    if (now == kRecording) {
        if (!Write(block.data(), frames)) {
            return;
        }
        const std::int32_t position = SinkMilliseconds();
        if (loudness < stop_threshold) {
            if (position - LastLoud() > silence_time) {
                // A pause: keep some of the quiet, wait for sound, and go on from there.
                sink->Truncate(SinkFramesAt(LastLoud() + kPauseKeepMilliseconds));
                Hold(frames);
                next = kWaiting;
            }
        } else {
            loud_at = position;
        }
        reached_max = max_time > 0 && max_time < position;
    } else if (loudness >= start_threshold) {
        // Where in the block does the sound begin? Loud in its first half already: the end of
        // the block before goes first, so that the recording keeps 50 ms before the sound.
        const std::int32_t half = frames / 2;
        MeasurePeakLevels(block.data(), half, channels, measured);
        if (Loudness(measured) >= start_threshold && held_valid) {
            const std::int32_t lead = held_frames / 2;
            if (!Write(held.data() + static_cast<std::ptrdiff_t>(lead) * channels,
                       held_frames - lead)) {
                return;
            }
        }
        if (!Write(block.data(), frames)) {
            return;
        }
        // The block is loud: a recording that ends right after it keeps it.
        loud_at = SinkMilliseconds();
        next = kRecording;
    } else {
        Hold(frames);
    }
    {
        std::lock_guard lock(mutex);
        if (loud_at >= 0) {
            last_loud = loud_at;
        }
        if (next != now) {
            state = next;
            state_changed = true;
        }
        if (reached_max) {
            // The recording ends at this block, however long the interface thread takes to stop.
            stop_requested = true;
            ended = true;
        }
        levels = measured;
        levels_changed = true;
    }
    Notify();
}

void LSoundRecorder::Impl::ThreadFunction() {
    while (!go_event.WaitSignalDual(*this, kRecordBufferWait)) {
    }
    if (IsToStop()) {
        return;
    }
    SetPriority(ThreadPriority::kHighest);
    device->Start();
    while (!IsToStop()) {
        done_event.Reset();
        WaveInBuffer& buffer = ring[static_cast<std::size_t>(index)];
        // A device that failed filled the buffers before its failure: they are written first.
        if (!failed && !device->IsDone(buffer)) {
            if (std::string failure = device->Failure(); !failure.empty()) {
                Fail(failure);
            }
        }
        if (failed || !device->IsDone(buffer)) {
            done_event.WaitSignalDual(*this, kRecordBufferWait);
            continue;
        }
        const std::int32_t frames = Convert(buffer);
        device->Add(buffer);
        index = (index + 1) % kBuffers;
        Process(frames);
    }
}

void LSoundRecorder::Impl::OnNotify() {
    bool stop = false;
    bool report_levels = false;
    bool report_state = false;
    State now = kStopped;
    std::int32_t loud = 0;
    SoundLevels reported;
    {
        std::lock_guard lock(mutex);
        now = state;
        if (state == kStopped) {
            return;
        }
        stop = stop_requested;
        if (levels_changed) {
            levels_changed = false;
            report_levels = true;
            loud = last_loud;
            reported = levels;
        }
        report_state = state_changed;
        state_changed = false;
    }
    if (stop) {
        Stop();
        return;
    }
    if (report_levels) {
        target->EvPosition(user, loud);
        target->EvLevels(user, reported);
    }
    if (report_state) {
        if (now == kWaiting) {
            target->EvWaiting(user);
        } else {
            target->EvRecording(user);
        }
    }
}

LSoundRecorder::LSoundRecorder(MessageLoop& loop, WaveInProvider& inputs)
    : impl_(std::make_unique<Impl>(loop, inputs)) {}

LSoundRecorder::~LSoundRecorder() {
    if (impl_->CurrentState() != kStopped) {
        Diagnose(
            "LSoundRecorder::~LSoundRecorder Destroyed while recording; the owner did not stop it");
        impl_->StopThreadTimed(kRecorderStopBudget);
        impl_->device->Close();
    }
}

bool LSoundRecorder::Start(LSoundSinkRef sink, int flags, std::int32_t silence_ms, int threshold_db,
                           std::int32_t max_ms) {
    return impl_->Start(std::move(sink), flags, silence_ms, threshold_db, max_ms);
}

void LSoundRecorder::Go() {
    impl_->go_event.Signal();
}

bool LSoundRecorder::Restart() {
    return impl_->Restart();
}

bool LSoundRecorder::Stop() {
    return impl_->Stop();
}

LSoundRecorder::State LSoundRecorder::GetState() const {
    return impl_->CurrentState();
}

std::int32_t LSoundRecorder::LastLoudTime() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->last_loud;
}

std::string LSoundRecorder::ErrorText() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->error;
}

int LSoundRecorder::Overruns() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->device ? impl_->device->Overruns() : impl_->overruns_before_close;
}

void LSoundRecorder::SetDevice(int device) {
    impl_->device_number = device;
}

int LSoundRecorder::Device() const {
    return impl_->device_number;
}

void LSoundRecorder::SetNotify(LSoundRecorderNotify* target, std::uint32_t user) {
    impl_->target = target != nullptr ? target : &impl_->silent;
    impl_->user = user;
}

}  // namespace sonvara
