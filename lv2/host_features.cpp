#include "lv2/host_features.h"

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/parameters/parameters.h>

#include "lv2/lv2_world.h"

namespace sonvara {

std::span<const char* const> SupportedHostFeatures() {
    static constexpr const char* kFeatures[] = {LV2_URID__map,
                                                LV2_URID__unmap,
                                                LV2_OPTIONS__options,
                                                LV2_BUF_SIZE__boundedBlockLength,
                                                LV2_BUF_SIZE__fixedBlockLength,
                                                LV2_BUF_SIZE__powerOf2BlockLength};
    return kFeatures;
}

HostFeatures::HostFeatures(float sample_rate) : sample_rate_(sample_rate) {
    Lv2World& world = Lv2World::Instance();
    const LV2_URID int_type = world.Map(LV2_ATOM__Int);
    const auto option = [&](const char* key, std::uint32_t size, LV2_URID type, const void* value) {
        return LV2_Options_Option{LV2_OPTIONS_INSTANCE, 0, world.Map(key), size, type, value};
    };
    options_ = {
        option(LV2_BUF_SIZE__minBlockLength, sizeof block_, int_type, &block_),
        option(LV2_BUF_SIZE__maxBlockLength, sizeof block_, int_type, &block_),
        option(LV2_BUF_SIZE__nominalBlockLength, sizeof block_, int_type, &block_),
        option(LV2_BUF_SIZE__sequenceSize, sizeof sequence_, int_type, &sequence_),
        option(LV2_PARAMETERS__sampleRate, sizeof sample_rate_, world.Map(LV2_ATOM__Float),
               &sample_rate_),
        LV2_Options_Option{LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr},
    };
    features_ = {
        {LV2_URID__map, world.MapFeature()},       {LV2_URID__unmap, world.UnmapFeature()},
        {LV2_OPTIONS__options, options_.data()},   {LV2_BUF_SIZE__boundedBlockLength, nullptr},
        {LV2_BUF_SIZE__fixedBlockLength, nullptr}, {LV2_BUF_SIZE__powerOf2BlockLength, nullptr},
    };
    for (const LV2_Feature& feature : features_) {
        list_.push_back(&feature);
    }
    list_.push_back(nullptr);
}

}  // namespace sonvara
