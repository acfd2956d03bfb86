#pragma once
// The host features an instance of a plug-in is given: the URI map, the options every plug-in
// may ask (the block lengths, which are fixed and a power of two, the sample rate, the size of a
// message sequence) and the promises on the block length those options describe.

#include <lv2/core/lv2.h>
#include <lv2/options/options.h>
#include <lv2/urid/urid.h>

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace sonvara {

// Every run of a plug-in is this many frames.
inline constexpr std::int32_t kPluginBlockFrames = 1024;
// The room given to a message output port, in bytes.
inline constexpr std::uint32_t kPluginSequenceBytes = 8192;

// The URIs of the features below.
std::span<const char* const> SupportedHostFeatures();

class HostFeatures {
  public:
    explicit HostFeatures(float sample_rate);
    HostFeatures(const HostFeatures&) = delete;
    HostFeatures& operator=(const HostFeatures&) = delete;

    // The null-terminated list lilv hands the plug-in.
    const LV2_Feature* const* List() const { return list_.data(); }

  private:
    float sample_rate_;
    std::int32_t block_ = kPluginBlockFrames;
    std::int32_t sequence_ = kPluginSequenceBytes;
    std::array<LV2_Options_Option, 6> options_{};
    std::vector<LV2_Feature> features_;
    std::vector<const LV2_Feature*> list_;
};

}  // namespace sonvara
