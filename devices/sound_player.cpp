#include "devices/sound_player.h"

#include <algorithm>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "audio/peak_limit.h"
#include "audio/sound_time.h"
#include "core/queued_notify.h"
#include "core/thread.h"
#include "devices/momentary_loudness.h"
#include "devices/sound_levels.h"
#include "devices/wave_out.h"

namespace sonvara {
namespace {

constexpr int kRingSize = 64;
// A pre-roll start lets the device play once this many buffers are queued.
constexpr int kPreRollIndex = 42;
// A buffer that carried no sound: nothing to report when it comes back.
constexpr std::int32_t kNoPosition = INT32_MIN;
// The worker waits for a buffer at most this long at a time; more than kStallWaits waits in a row
// (about ten seconds), neither looping nor paused, mean the device has stopped answering.
constexpr auto kPlayBufferWait = std::chrono::milliseconds(150);
constexpr int kStallWaits = 64;
constexpr auto kPlayerStopBudget = std::chrono::milliseconds(5000);
// How long Stop waits, in all, for the device to hand back buffers after a reset.
constexpr auto kReturnBudget = std::chrono::milliseconds(1000);
constexpr auto kReturnStep = std::chrono::milliseconds(50);

constexpr const char* kStalledText = "El dispositivo de sonido dejó de responder.";

}  // namespace

struct LSoundPlayer::Impl : LThread, LThreadQueuedNotify {
    Impl(MessageLoop& loop, WaveOutProvider& provider)
        : LThreadQueuedNotify(loop), outputs(provider) {}
    ~Impl() override { StopThreadTimed(kPlayerStopBudget); }

    struct Slot {
        WaveBuffer header;
        std::int32_t position = kNoPosition;  // the source position after the buffer's last frame
        SoundLevels levels;
    };

    // What EvNotify found to report, read under the lock and reported after it.
    struct Report {
        bool stop = false;
        bool position = false;
        std::int32_t milliseconds = 0;
        SoundLevels levels;
    };

    bool Start(LSoundSourceRef source, int flags);
    void Stop();
    void Cue();
    void Play();
    void Seek(std::int32_t frame);
    bool ReplaceSource(LSoundSourceRef replacement);
    // Drops what is queued and goes on from `frame` of the source, `replacement` (when given)
    // taking the source's place first; in cue mode the loop moves there. False when idle.
    bool Refill(std::int32_t frame, LSoundSourceRef* replacement);
    std::int32_t HeardPosition() const;
    std::uint16_t Flags() const {
        std::lock_guard lock(mutex);
        return flags;
    }

    void ThreadFunction() override;
    void OnNotify() override;

    // Under the lock: drops what the device holds and forgets the positions of the ring.
    void ResetRing();
    // Under the lock: builds the scrub loop in buffer 0 and queues it.
    void CueBuffer();
    void Convert(std::int16_t* out, std::int32_t count) const;
    std::int16_t* Data(int slot) {
        return samples.data() + static_cast<std::ptrdiff_t>(slot) * frames_per_buffer * channels;
    }
    // Under the lock: the worker asks the interface thread to stop, saying why.
    void RequestStop(std::string why);
    std::int32_t MillisecondsOf(std::int32_t position) const {
        return MillisecondsFromFrames(position, source->GetSampleRate());
    }

    WaveOutProvider& outputs;
    LSoundPlayerNotify silent;
    LSoundPlayerNotify* target = &silent;
    std::uint32_t user = 0;
    int device_number = -1;

    mutable std::mutex mutex;  // the ring, the index, the flags, the positions, the notify bytes
    LSignalObject done_event;
    std::unique_ptr<WaveOut> device;
    LSoundSourceRef source;
    std::uint16_t flags = 0;
    std::int32_t frames_per_buffer = 0;
    int channels = 1;
    std::vector<Sample> scratch;
    std::unique_ptr<MomentaryLoudness> loudness;  // of what is queued, for the level meter
    std::vector<std::int16_t> samples;            // the 64 buffers, one after the other
    std::array<Slot, kRingSize> ring{};
    int index = 0;
    std::int32_t last_played = 0;
    // The device's clock at the end of the last buffer that came back (HeardPosition
    // interpolates from it).
    std::int64_t played_at_return = 0;
    int waits = 0;  // in a row, for a buffer still with the device
    bool notify_stop = false;
    bool notify_position = false;
    SoundLevels levels;
    std::string error;
    std::uint32_t plays = 0;  // counts starts and stops (interface thread)
};

void LSoundPlayer::Impl::Convert(std::int16_t* out, std::int32_t count) const {
    for (std::int32_t i = 0; i < count; ++i) {
        out[i] = SampleTo16(scratch[static_cast<std::size_t>(i)]);
    }
}

void LSoundPlayer::Impl::RequestStop(std::string why) {
    if (error.empty()) {
        error = std::move(why);
    }
    notify_stop = true;
    Notify();
}

void LSoundPlayer::Impl::ThreadFunction() {
    for (;;) {
        done_event.Reset();
        std::unique_lock lock(mutex);
        if (!notify_stop) {
            if (std::string failure = device->Failure(); !failure.empty()) {
                RequestStop(std::move(failure));
            }
        }
        Slot& slot = ring[static_cast<std::size_t>(index)];
        if (!device->IsDone(slot.header)) {
            if ((flags & kTakeoff) != 0) {
                // The ring is full: from here on the worker must never miss a buffer.
                SetPriority(ThreadPriority::kTimeCritical);
                flags &= ~kTakeoff;
            }
            if (++waits > kStallWaits) {
                if ((flags & (kCue | kPaused)) != 0) {
                    // A looping buffer never comes back, nor does one held by a pause.
                    waits = 0;
                } else if (!notify_stop) {
                    RequestStop(kStalledText);
                }
            }
            lock.unlock();
            done_event.WaitSignalDual(*this, kPlayBufferWait);
            if (IsToStop()) {
                device->Reset();
                return;
            }
            continue;
        }
        waits = 0;
        if (slot.position != kNoPosition) {
            last_played = slot.position;
            played_at_return = slot.header.done_at;
            levels = slot.levels;
            notify_position = true;
            Notify();
        }
        const std::int32_t position = source->GetPosition();
        const std::int32_t remaining = source->GetLength() - position;
        if (remaining > 0 && !notify_stop) {
            const std::int32_t frames = std::min(remaining, frames_per_buffer);
            source->Read(scratch.data(), frames);
            std::int16_t* data = Data(index);
            Convert(data, frames * channels);
            slot.header = WaveBuffer{data, frames, false, true};
            slot.position = position + frames;
            if (!device->Write(slot.header)) {
                slot.position = kNoPosition;
                std::string failure = device->Failure();
                RequestStop(failure.empty() ? "El dispositivo de sonido rechazó un búfer."
                                            : failure);
            }
            MeasureLevels(scratch.data(), frames, channels, slot.levels);
            loudness->Add(scratch.data(), frames);
            slot.levels.momentary = loudness->Current();
        } else {
            slot.position = kNoPosition;
            if (std::all_of(ring.begin(), ring.end(),
                            [this](const Slot& s) { return device->IsDone(s.header); })) {
                break;  // everything has been heard
            }
            if ((flags & kPreRoll) != 0) {
                // The source ended before the pre-roll was complete: play what there is.
                flags &= ~kPreRoll;
                device->Restart();
            }
        }
        index = (index + 1) % kRingSize;
        if (index == kPreRollIndex && (flags & kPreRoll) != 0) {
            flags &= ~kPreRoll;
            device->Restart();
        }
        lock.unlock();
        if (IsToStop()) {
            device->Reset();
            return;
        }
    }
    std::lock_guard lock(mutex);
    notify_stop = true;
    Notify();
}

void LSoundPlayer::Impl::OnNotify() {
    Report report;
    {
        std::lock_guard lock(mutex);
        if (flags == 0) {
            return;
        }
        if (notify_stop) {
            report.stop = true;
            // A play that ended reports its end; one that failed, where it got to.
            report.milliseconds = MillisecondsOf(error.empty() ? source->GetLength() : last_played);
        } else if (notify_position) {
            notify_position = false;
            report.position = true;
            report.milliseconds = MillisecondsOf(last_played);
            report.levels = levels;
        }
    }
    if (report.stop) {
        const std::uint32_t ending = plays;
        target->EvPosition(user, report.milliseconds);
        if (plays == ending) {  // unless the owner has stopped it, or started another play
            Stop();
        }
    } else if (report.position) {
        target->EvPosition(user, report.milliseconds);
        target->EvLevels(user, report.levels);
    }
}

bool LSoundPlayer::Impl::Start(LSoundSourceRef new_source, int start_flags) {
    Stop();
    error.clear();
    if (new_source->IsError()) {
        error = "No se puede leer el sonido que se iba a reproducir.";
        return false;
    }
    if (new_source->GetMaxSample() > FULL_SCALE) {
        new_source = new LSRCPeakLimit(new_source, FULL_SCALE);
        if (new_source->IsError()) {
            error = "No se puede limitar el sonido que se iba a reproducir.";
            return false;
        }
    }
    const WaveOutFormat format{new_source->GetSampleRate(), std::max(new_source->GetChannels(), 1)};
    std::unique_ptr<WaveOut> opened = outputs.Open(device_number, format, done_event, error);
    if (!opened) {
        return false;
    }
    const int new_flags = kOpen | kTakeoff |
                          ((start_flags & kStartPaused) != 0    ? kPaused
                           : (start_flags & kStartPreRoll) != 0 ? kPreRoll
                                                                : 0);
    std::int32_t start_position = 0;
    {
        std::lock_guard lock(mutex);
        device = std::move(opened);
        source = std::move(new_source);
        channels = format.channels;
        frames_per_buffer = std::clamp(format.sample_rate / 10, 20, 8192);
        const auto buffer_samples = static_cast<std::size_t>(frames_per_buffer) * channels;
        scratch.assign(buffer_samples, 0);
        loudness = std::make_unique<MomentaryLoudness>(format.sample_rate, channels);
        samples.assign(buffer_samples * kRingSize, 0);
        for (int i = 0; i < kRingSize; ++i) {
            ring[static_cast<std::size_t>(i)].header = WaveBuffer{Data(i), frames_per_buffer};
            ring[static_cast<std::size_t>(i)].position = kNoPosition;
        }
        flags = static_cast<std::uint16_t>(new_flags);
        ++plays;
        if ((flags & (kPaused | kPreRoll)) != 0) {
            device->Pause();
        }
        notify_stop = notify_position = false;
        index = 0;
        waits = 0;
        last_played = start_position = source->GetPosition();
        played_at_return = 0;
    }
    if (!LThread::Start(ThreadPriority::kBelowNormal)) {
        error = "No se pudo iniciar la reproducción.";
        Stop();
        return false;
    }
    if ((start_flags & kStartPaused) != 0) {
        target->EvPause(user);
    } else {
        target->EvPlay(user);
    }
    // The thread owns last_played from here on; report the position it started from.
    target->EvPosition(user, MillisecondsOf(start_position));
    return true;
}

void LSoundPlayer::Impl::Stop() {
    if (Flags() == 0) {
        return;
    }
    StopThreadTimed(kPlayerStopBudget);
    device->Reset();
    // The device hands every buffer back on a reset; give a slow one a little time in all.
    auto budget = kReturnBudget;
    for (const Slot& slot : ring) {
        while (!device->IsDone(slot.header) && budget.count() > 0) {
            std::this_thread::sleep_for(kReturnStep);
            budget -= kReturnStep;
        }
    }
    std::string closing = device->Close();
    {
        std::lock_guard lock(mutex);
        if (error.empty()) {
            error = std::move(closing);
        }
        device.reset();
        source = LSoundSourceRef();
        scratch = {};
        loudness.reset();
        samples = {};
        last_played = 0;
        flags = 0;
        ++plays;
        notify_stop = notify_position = false;
    }
    target->EvStop(user);
}

void LSoundPlayer::Impl::ResetRing() {
    device->Reset();
    for (Slot& slot : ring) {
        slot.position = kNoPosition;
    }
    played_at_return = 0;
    waits = 0;
    notify_stop = notify_position = false;
}

void LSoundPlayer::Impl::CueBuffer() {
    // The snippet is a quarter of a buffer (about 25 ms), played four times over in buffer 0,
    // which the device then loops.
    const std::int32_t quarter = (frames_per_buffer + 3) / 4;
    source->Read(scratch.data(), quarter);
    std::int16_t* data = Data(0);
    Convert(data, quarter * channels);
    const std::size_t snippet = static_cast<std::size_t>(quarter) * channels;
    const std::size_t total = static_cast<std::size_t>(frames_per_buffer) * channels;
    for (std::size_t i = snippet; i < total; ++i) {
        data[i] = data[i - snippet];
    }
    Slot& slot = ring[0];
    slot.header = WaveBuffer{data, frames_per_buffer, true, true};
    slot.position = source->GetPosition();
    if (!device->Write(slot.header)) {
        slot.position = kNoPosition;
    }
    MeasureLevels(scratch.data(), quarter, channels, slot.levels);
    index = 1;
}

void LSoundPlayer::Impl::Cue() {
    SoundLevels cued;
    std::int32_t milliseconds = 0;
    {
        std::lock_guard lock(mutex);
        if (flags == 0 || (flags & (kCue | kPaused)) == kCue) {
            return;
        }
        if ((flags & kCue) != 0) {
            device->Restart();  // a paused scrub loop plays on
            flags &= ~kPaused;
            return;
        }
        ResetRing();
        if ((flags & (kPaused | kPreRoll)) != 0) {
            device->Restart();
        }
        source->Seek(last_played);
        last_played = source->GetPosition();
        CueBuffer();
        flags = kOpen | kCue | kTakeoff;
        // Lowered while the ring fills again. Not to kLowest: that is nice 10 here, which an
        // ordinary user cannot leave again, and the worker must go back up at the full ring.
        SetPriority(ThreadPriority::kBelowNormal);
        cued = ring[0].levels;
        milliseconds = MillisecondsOf(last_played);
    }
    done_event.Signal();
    target->EvLevels(user, cued);
    target->EvCue(user);
    target->EvPosition(user, milliseconds);
}

void LSoundPlayer::Impl::Play() {
    {
        std::lock_guard lock(mutex);
        if ((flags & kOpen) == 0) {
            return;
        }
        if ((flags & kCue) != 0) {
            // The worker goes on from the source position after the snippet.
            device->BreakLoop();
            flags &= ~kCue;
        }
        if ((flags & kPaused) != 0) {
            device->Restart();
            flags &= ~kPaused;
        }
    }
    target->EvPlay(user);
}

void LSoundPlayer::Impl::Seek(std::int32_t frame) {
    Refill(frame, nullptr);
}

bool LSoundPlayer::Impl::ReplaceSource(LSoundSourceRef replacement) {
    if (Flags() == 0 || replacement->IsError() ||
        replacement->GetSampleRate() != source->GetSampleRate() ||
        replacement->GetChannels() != source->GetChannels()) {
        return false;
    }
    if (replacement->GetMaxSample() > FULL_SCALE) {
        replacement = new LSRCPeakLimit(replacement, FULL_SCALE);
        if (replacement->IsError()) {
            return false;
        }
    }
    return Refill(HeardPosition(), &replacement);
}

bool LSoundPlayer::Impl::Refill(std::int32_t frame, LSoundSourceRef* replacement) {
    SoundLevels cued;
    bool in_cue = false;
    std::int32_t milliseconds = 0;
    {
        std::lock_guard lock(mutex);
        if (flags == 0) {
            return false;
        }
        ResetRing();
        if (replacement != nullptr) {
            std::swap(source, *replacement);
        } else {
            loudness->Clear();  // the play goes on elsewhere
        }
        source->Seek(frame);
        last_played = source->GetPosition();
        in_cue = (flags & kCue) != 0;
        if (in_cue) {
            CueBuffer();
            cued = ring[0].levels;
        } else {
            index = 0;
        }
        // Lowered while the ring fills again, as in Cue: not below what it can come back from.
        SetPriority(ThreadPriority::kBelowNormal);
        flags |= kTakeoff;
        milliseconds = MillisecondsOf(last_played);
    }
    done_event.Signal();
    if (replacement != nullptr) {
        // The old source goes here, on the interface thread, outside the lock.
        *replacement = LSoundSourceRef();
    }
    if (in_cue) {
        target->EvLevels(user, cued);
    }
    target->EvPosition(user, milliseconds);
    return true;
}

std::int32_t LSoundPlayer::Impl::HeardPosition() const {
    std::lock_guard lock(mutex);
    if (flags == 0 || (flags & kCue) != 0) {
        return last_played;
    }
    // The buffer playing now is the oldest one queued: the one the worker waits for.
    const Slot& playing = ring[static_cast<std::size_t>(index)];
    if (playing.position == kNoPosition || device->IsDone(playing.header)) {
        return last_played;
    }
    const std::int64_t since = device->PlayedFrames() - played_at_return;
    const std::int64_t start = playing.position - playing.header.frames;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        start + since, std::min<std::int64_t>(start, last_played), playing.position));
}

LSoundPlayer::LSoundPlayer(MessageLoop& loop, WaveOutProvider& outputs)
    : impl_(std::make_unique<Impl>(loop, outputs)) {}

LSoundPlayer::~LSoundPlayer() {
    impl_->Stop();
}

bool LSoundPlayer::Start(LSoundSourceRef source, int flags) {
    return impl_->Start(std::move(source), flags);
}

void LSoundPlayer::Stop() {
    impl_->Stop();
}

void LSoundPlayer::Cue() {
    impl_->Cue();
}

void LSoundPlayer::Play() {
    impl_->Play();
}

void LSoundPlayer::Seek(std::int32_t frame) {
    impl_->Seek(frame);
}

bool LSoundPlayer::ReplaceSource(LSoundSourceRef source) {
    return impl_->ReplaceSource(std::move(source));
}

std::uint16_t LSoundPlayer::Flags() const {
    return impl_->Flags();
}

const LSoundSourceRef& LSoundPlayer::Source() const {
    return impl_->source;
}

std::int32_t LSoundPlayer::PlayedPosition() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->last_played;
}

std::int32_t LSoundPlayer::HeardPosition() const {
    return impl_->HeardPosition();
}

std::string LSoundPlayer::ErrorText() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->error;
}

void LSoundPlayer::SetDevice(int device) {
    impl_->device_number = device;
}

int LSoundPlayer::Device() const {
    return impl_->device_number;
}

void LSoundPlayer::SetNotify(LSoundPlayerNotify* target, std::uint32_t user) {
    impl_->target = target != nullptr ? target : &impl_->silent;
    impl_->user = user;
}

LSoundPlayerNotify* LSoundPlayer::NotifyTarget() const {
    return impl_->target == &impl_->silent ? nullptr : impl_->target;
}

std::uint32_t LSoundPlayer::NotifyUser() const {
    return impl_->user;
}

}  // namespace sonvara
