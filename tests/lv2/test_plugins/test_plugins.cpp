// Plug-ins made for the host's tests, each doing one thing whose result is known exactly:
//   urn:sonvara:test:delay   mono, the input 100 frames late, and reports that latency
//   urn:sonvara:test:nan     mono, the input as it is, or not-a-number while "poison" is on
// (urn:sonvara:test:midi is described only: a host must leave it out, as it needs MIDI.)

#include <lv2/core/lv2.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <new>

namespace {

constexpr int kDelay = 100;

struct Delay {
    const float* in = nullptr;
    float* out = nullptr;
    float* latency = nullptr;
    std::array<float, kDelay> ring{};
    int at = 0;
};

struct Poison {
    const float* in = nullptr;
    float* out = nullptr;
    const float* poison = nullptr;
};

template <typename Plugin>
LV2_Handle Make(const LV2_Descriptor*, double, const char*, const LV2_Feature* const*) {
    return new (std::nothrow) Plugin;
}

template <typename Plugin>
void Free(LV2_Handle handle) {
    delete static_cast<Plugin*>(handle);
}

void ConnectDelay(LV2_Handle handle, std::uint32_t port, void* data) {
    auto* delay = static_cast<Delay*>(handle);
    if (port == 0) {
        delay->in = static_cast<const float*>(data);
    } else if (port == 1) {
        delay->out = static_cast<float*>(data);
    } else if (port == 2) {
        delay->latency = static_cast<float*>(data);
    }
}

void ActivateDelay(LV2_Handle handle) {
    auto* delay = static_cast<Delay*>(handle);
    delay->ring.fill(0);
    delay->at = 0;
}

void RunDelay(LV2_Handle handle, std::uint32_t frames) {
    auto* delay = static_cast<Delay*>(handle);
    for (std::uint32_t i = 0; i < frames; ++i) {
        delay->out[i] = delay->ring[static_cast<std::size_t>(delay->at)];
        delay->ring[static_cast<std::size_t>(delay->at)] = delay->in[i];
        delay->at = (delay->at + 1) % kDelay;
    }
    if (delay->latency != nullptr) {
        *delay->latency = kDelay;
    }
}

void ConnectPoison(LV2_Handle handle, std::uint32_t port, void* data) {
    auto* poison = static_cast<Poison*>(handle);
    if (port == 0) {
        poison->in = static_cast<const float*>(data);
    } else if (port == 1) {
        poison->out = static_cast<float*>(data);
    } else if (port == 2) {
        poison->poison = static_cast<const float*>(data);
    }
}

void RunPoison(LV2_Handle handle, std::uint32_t frames) {
    auto* poison = static_cast<Poison*>(handle);
    const bool on = *poison->poison > 0.5f;
    for (std::uint32_t i = 0; i < frames; ++i) {
        poison->out[i] = on ? std::numeric_limits<float>::quiet_NaN() : poison->in[i];
    }
}

void Nothing(LV2_Handle) {}

const LV2_Descriptor kDescriptors[] = {
    {"urn:sonvara:test:delay", Make<Delay>, ConnectDelay, ActivateDelay, RunDelay, Nothing,
     Free<Delay>, nullptr},
    {"urn:sonvara:test:nan", Make<Poison>, ConnectPoison, Nothing, RunPoison, Nothing, Free<Poison>,
     nullptr},
};

}  // namespace

extern "C" LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(std::uint32_t index) {
    return index < std::size(kDescriptors) ? &kDescriptors[index] : nullptr;
}
