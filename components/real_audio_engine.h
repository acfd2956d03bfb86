#pragma once
// The RealAudio engine as the editor uses it. The engine is a shared library exporting
// CreateEngine and CloseEngine (C linkage). The engine makes players; a player opens a "file:"
// URL and plays it into an audio device, which the player's audio device manager lets the caller
// replace with a device of its own: that is how the editor receives the decoded PCM. The engine
// does its work only inside ProcessIdle, and calls the device from there, so everything happens
// on the caller's thread.
//
// Objects are reference counted in the COM manner: a function that hands out an object has
// added a reference for the caller, who drops it with Release (RMARef does that).

#include <cstdint>
#include <utility>

namespace sonvara {

using RMAResult = std::int32_t;
inline constexpr RMAResult RMA_OK = 0;
inline constexpr RMAResult RMA_FAIL = 1;

struct RMAAudioFormat {
    std::uint16_t channels;
    std::uint16_t bits_per_sample;  // 8 (unsigned) or 16 (signed, little-endian)
    std::uint32_t samples_per_second;
    std::uint32_t max_block_size;  // the most bytes one Write will carry
};

struct RMAAudioData {
    const std::uint8_t* buffer;
    std::uint32_t size;           // bytes, whole sample frames
    std::uint32_t start_time_ms;  // where the buffer starts in the stream
};

class IRMAUnknown {
  public:
    virtual std::uint32_t AddRef() = 0;
    virtual std::uint32_t Release() = 0;

  protected:
    ~IRMAUnknown() = default;
};

// Receives the decoded audio: Open once with the format, Write for each buffer, Close at the end.
class IRMAAudioDevice : public IRMAUnknown {
  public:
    virtual RMAResult Open(const RMAAudioFormat& format) = 0;
    virtual RMAResult Write(const RMAAudioData& data) = 0;
    virtual RMAResult Close() = 0;

  protected:
    ~IRMAAudioDevice() = default;
};

class IRMAAudioDeviceManager : public IRMAUnknown {
  public:
    // Plays into `device` instead of the sound card.
    virtual RMAResult Replace(IRMAAudioDevice* device) = 0;
    virtual RMAResult Remove(IRMAAudioDevice* device) = 0;

  protected:
    ~IRMAAudioDeviceManager() = default;
};

// Asked by a player now and then while it opens or reads its clip, on the thread that called it;
// true stops the work in progress (the open fails, playing ends).
using RMAInterruptFunction = bool (*)(void* context);

class IRMAPlayer : public IRMAUnknown {
  public:
    virtual RMAResult GetAudioDeviceManager(IRMAAudioDeviceManager** manager) = 0;
    // Before OpenURL; a null `check` asks nothing.
    virtual RMAResult SetInterrupt(RMAInterruptFunction check, void* context) = 0;
    virtual RMAResult OpenURL(const char* url) = 0;
    virtual RMAResult Begin() = 0;
    virtual RMAResult Stop() = 0;
    virtual bool IsDone() = 0;
    // Milliseconds played so far, and the clip's length (0 when unknown).
    virtual std::uint32_t GetCurrentPlayTime() = 0;
    virtual std::uint32_t GetLength() = 0;

  protected:
    ~IRMAPlayer() = default;
};

class IRMAClientEngine : public IRMAUnknown {
  public:
    virtual RMAResult CreatePlayer(IRMAPlayer** player) = 0;
    virtual RMAResult ClosePlayer(IRMAPlayer* player) = 0;
    // Does one slice of every player's work.
    virtual void ProcessIdle() = 0;

  protected:
    ~IRMAClientEngine() = default;
};

extern "C" {
using RMACreateEngineFunction = RMAResult (*)(IRMAClientEngine** engine);
using RMACloseEngineFunction = RMAResult (*)(IRMAClientEngine* engine);
}

// Holds one reference to an engine object and drops it when it goes.
template <typename Interface>
class RMARef {
  public:
    RMARef() = default;
    // Takes over a reference the caller already holds.
    explicit RMARef(Interface* adopted) : object_(adopted) {}
    ~RMARef() { Reset(); }
    RMARef(RMARef&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    RMARef& operator=(RMARef&& other) noexcept {
        if (this != &other) {
            Reset();
            object_ = std::exchange(other.object_, nullptr);
        }
        return *this;
    }
    RMARef(const RMARef&) = delete;
    RMARef& operator=(const RMARef&) = delete;

    Interface* get() const { return object_; }
    Interface* operator->() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }
    // For functions that hand out a reference through an out-parameter.
    Interface** Receive() {
        Reset();
        return &object_;
    }
    void Reset() {
        if (object_ != nullptr) {
            std::exchange(object_, nullptr)->Release();
        }
    }

  private:
    Interface* object_ = nullptr;
};

}  // namespace sonvara
