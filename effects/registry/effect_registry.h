#pragma once
// The registry of effects: the built-in ones in the Efectos menu's order, and those added at
// start-up (effects found at run time, described the same way). Entries are added before any
// other thread reads the registry and stay where they are: a pointer to one stays valid.

#include <cstdint>
#include <deque>
#include <string_view>

#include "effects/registry/effect_entry.h"

namespace sonvara {

class EffectRegistry {
  public:
    EffectRegistry() = default;
    EffectRegistry(const EffectRegistry&) = delete;
    EffectRegistry& operator=(const EffectRegistry&) = delete;

    // Adds `entry` after the others; false (and nothing added) when its id, its command id or its
    // batch id is already taken.
    bool Add(EffectEntry entry);

    const std::deque<EffectEntry>& All() const { return entries_; }
    // nullptr when no entry has it.
    const EffectEntry* Find(std::string_view id) const;
    const EffectEntry* FindByCommand(int command) const;
    const EffectEntry* FindByBatchId(std::uint32_t batch_id) const;

  private:
    std::deque<EffectEntry> entries_;
};

// The process's registry, holding the built-in effects from its first use.
EffectRegistry& Effects();

}  // namespace sonvara
