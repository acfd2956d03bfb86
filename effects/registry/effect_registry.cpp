#include "effects/registry/effect_registry.h"

#include <algorithm>

#include "document/cut_list_reader.h"
#include "effects/effect_sources.h"
#include "effects/registry/built_in_effects.h"

namespace sonvara {

std::int64_t EffectPlace::Peak() const {
    if (!peak_) {
        peak_ = RangePeak(*document_, part_);
    }
    return *peak_;
}

const LoudnessReport* EffectPlace::Loudness() const {
    if (!loudness_ && measure_) {
        LPRMeasureLoudness measure(LSoundSourceRef(new LSRCCutListAudio(*document_)), part_.start,
                                   part_.end);
        if (measure_(measure) == PROCESS_DONE) {
            loudness_ = measure.Report();
        }
    } else if (!loudness_) {
        LoudnessMeter meter(document_->GetSampleRate(), document_->GetChannels());
        LSRCCutListAudio source(*document_);
        FeedLoudness(source, part_.start, part_.end, meter);
        loudness_ = meter.Report();
    }
    return loudness_ ? &*loudness_ : nullptr;
}

namespace {

// What the dialogs' fields can hold: percents travel to the effects as 16-bit values and
// decibels as signed bytes.
constexpr std::int32_t kPercentLowest = -32768;
constexpr std::int32_t kPercentHighest = 32767;

EffectField Field(const StoredValue& stored, ValueWidth width, ValueUnit unit, std::int32_t lowest,
                  std::int32_t highest, std::string label, std::string batch_label,
                  std::string listed) {
    return {.setting = FieldSetting::Of(stored),
            .width = width,
            .unit = unit,
            .lowest = lowest,
            .highest = highest,
            .label = std::move(label),
            .batch_label = std::move(batch_label),
            .listed = std::move(listed)};
}

}  // namespace

EffectField PercentField(const StoredValue& stored, ValueWidth width, std::string label,
                         std::string batch_label, std::string listed) {
    return Field(stored, width, ValueUnit::kPercent, kPercentLowest, kPercentHighest,
                 std::move(label), std::move(batch_label), std::move(listed));
}

EffectField MillisecondsField(const StoredValue& stored, ValueWidth width, std::string label,
                              std::string batch_label, std::string listed) {
    return Field(stored, width, ValueUnit::kMilliseconds, -99999, 99999, std::move(label),
                 std::move(batch_label), std::move(listed));
}

EffectField DecibelField(const StoredValue& stored, std::string label, std::string batch_label,
                         std::string listed) {
    return Field(stored, ValueWidth::kInt8, ValueUnit::kDecibels, -128, 127, std::move(label),
                 std::move(batch_label), std::move(listed));
}

EffectField FrequencyField(const StoredValue& stored, std::string label, std::string batch_label,
                           std::string listed) {
    return Field(stored, ValueWidth::kInt32, ValueUnit::kHertz, 0, 99999, std::move(label),
                 std::move(batch_label), std::move(listed));
}

EffectField PointListField(std::string_view point_file) {
    return {.setting = {},
            .width = ValueWidth::kPointList,
            .batch_label = "puntos",
            .point_file = std::string(point_file)};
}

bool EffectRegistry::Add(EffectEntry entry) {
    const bool taken = std::any_of(entries_.begin(), entries_.end(), [&](const EffectEntry& e) {
        return e.id == entry.id ||
               (entry.menu.command != 0 && e.menu.command == entry.menu.command) ||
               (entry.batch_id && e.batch_id == entry.batch_id);
    });
    if (taken || entry.id.empty()) {
        return false;
    }
    entries_.push_back(std::move(entry));
    return true;
}

const EffectEntry* EffectRegistry::Find(std::string_view id) const {
    const auto found = std::find_if(entries_.begin(), entries_.end(),
                                    [id](const EffectEntry& entry) { return entry.id == id; });
    return found != entries_.end() ? &*found : nullptr;
}

const EffectEntry* EffectRegistry::FindByCommand(int command) const {
    const auto found =
        std::find_if(entries_.begin(), entries_.end(),
                     [command](const EffectEntry& entry) { return entry.menu.command == command; });
    return found != entries_.end() ? &*found : nullptr;
}

const EffectEntry* EffectRegistry::FindByBatchId(std::uint32_t batch_id) const {
    const auto found =
        std::find_if(entries_.begin(), entries_.end(),
                     [batch_id](const EffectEntry& entry) { return entry.batch_id == batch_id; });
    return found != entries_.end() ? &*found : nullptr;
}

EffectRegistry& Effects() {
    static EffectRegistry registry;
    static const bool filled = [] {
        for (EffectEntry& entry : BuiltInEffects()) {
            registry.Add(std::move(entry));
        }
        return true;
    }();
    static_cast<void>(filled);
    return registry;
}

}  // namespace sonvara
