#include "components/decode_processes.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>

#include "components/component_location.h"
#include "components/real_audio_engine.h"
#include "components/rma_audio_sink.h"
#include "platform/shared_library.h"

namespace sonvara {
namespace {

// The engine libraries loaded so far, by the path they were loaded from. They stay loaded for
// the rest of the run, as the engine expects.
SharedLibrary* LoadEngineLibrary() {
    static std::mutex mutex;
    static std::map<std::string, std::unique_ptr<SharedLibrary>> loaded;
    std::lock_guard lock(mutex);
    for (const std::string& path : ComponentCandidates(kRealAudioComponent, kRealAudioLibrary)) {
        auto found = loaded.find(path);
        if (found != loaded.end()) {
            return found->second.get();
        }
        if (auto library = SharedLibrary::Open(path, nullptr)) {
            return (loaded[path] = std::move(library)).get();
        }
    }
    return nullptr;
}

// The engine and its player, closed whichever way the decode ends: the player, then the engine.
// A decode that plays the clip through closes the player itself (ClosePlayer) before it finishes
// the WAV, since the engine may write into the sink until then.
class EngineSession {
  public:
    EngineSession(RMACloseEngineFunction close, IRMAClientEngine* engine)
        : close_(close), engine_(engine) {}
    ~EngineSession() {
        ClosePlayer();
        close_(engine_);
    }
    EngineSession(const EngineSession&) = delete;
    EngineSession& operator=(const EngineSession&) = delete;

    bool CreatePlayer() { return engine_->CreatePlayer(player_.Receive()) == RMA_OK; }
    IRMAPlayer& Player() const { return *player_.get(); }
    void ProcessIdle() { engine_->ProcessIdle(); }
    void ClosePlayer() {
        if (player_) {
            engine_->ClosePlayer(player_.get());
            player_.Reset();
        }
    }

  private:
    RMACloseEngineFunction close_;
    IRMAClientEngine* engine_;
    RMARef<IRMAPlayer> player_;
};

// How often the engine's interrupt check looks for a cancel; in between it repeats its answer.
constexpr auto kInterruptInterval = std::chrono::milliseconds(20);

}  // namespace

bool LReadAudioDecode::EngineInterrupt(void* process) {
    auto* self = static_cast<LReadAudioDecode*>(process);
    const auto now = std::chrono::steady_clock::now();
    if (!self->interrupted_ && now - self->last_check_ >= kInterruptInterval) {
        self->last_check_ = now;
        self->interrupted_ = self->CheckCancel();
    }
    return self->interrupted_;  // once stopped, every later question is answered the same
}

ProcessResult LReadAudioDecode::Body() {
    SetText("Decoding Real Audio", 0);
    SetProgress(0.0);
    SharedLibrary* library = LoadEngineLibrary();
    auto create =
        library != nullptr ? library->Entry<RMACreateEngineFunction>("CreateEngine") : nullptr;
    auto close =
        library != nullptr ? library->Entry<RMACloseEngineFunction>("CloseEngine") : nullptr;
    if (create == nullptr || close == nullptr) {
        ShowError(
            "Unable to load Real Audio Core DLL.\n\nThis software required that the Real Audio "
            "Player be installed on your computer to load these files. Please download and "
            "install an uptodate version of Real Player.");
        return PROCESS_FAILED;
    }
    IRMAClientEngine* created = nullptr;
    if (create(&created) != RMA_OK || created == nullptr) {
        return PROCESS_FAILED;
    }
    EngineSession engine(close, created);
    if (!engine.CreatePlayer()) {
        return PROCESS_FAILED;
    }
    IRMAPlayer& player = engine.Player();
    RMARef<RMAAudioSink> sink(new RMAAudioSink(Output()));
    {
        RMARef<IRMAAudioDeviceManager> devices;
        if (sink->IsError() || player.GetAudioDeviceManager(devices.Receive()) != RMA_OK ||
            devices->Replace(sink.get()) != RMA_OK) {
            return PROCESS_FAILED;
        }
    }
    const std::string url = "file:" + Input();
    last_check_ = {};
    interrupted_ = false;
    player.SetInterrupt(EngineInterrupt, this);
    if (player.OpenURL(url.c_str()) != RMA_OK || player.Begin() != RMA_OK) {
        if (CheckCancel()) {
            return PROCESS_STOPPED;  // the open was stopped
        }
        ShowError(
            "Unable to open file with Real Player.\n\nThis might mean you do not have the codec "
            "installed.\n\nTo resolve this, attempt to load the file using Real Player manually.");
        return PROCESS_FAILED;
    }
    bool cancelled = false;
    double remaining = 1.0;
    while (!player.IsDone()) {
        engine.ProcessIdle();
        if (CheckCancel()) {
            cancelled = true;
            break;
        }
        const std::uint32_t length = player.GetLength();
        if (length > 0) {
            SetProgress(std::min(0.99, static_cast<double>(player.GetCurrentPlayTime()) / length));
        } else {
            remaining *= 0.99;
            SetProgress(1.0 - remaining);
        }
    }
    player.Stop();
    engine.ClosePlayer();
    const bool written = sink->Finish();
    if (cancelled) {
        return PROCESS_STOPPED;
    }
    if (!written || sink->DataBytes() == 0) {
        ShowError("The Real Audio engine could not decode \"" + Input() + "\".");
        return PROCESS_FAILED;
    }
    SetProgress(1.0);
    return PROCESS_DONE;
}

}  // namespace sonvara
