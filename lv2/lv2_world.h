#pragma once
// The LV2 world of the process: lilv's model of every installed plug-in (the standard LV2 path,
// or LV2_PATH when set), loaded once, and the URI map the plug-ins share. lilv's model is not
// safe to use from two threads at once: everything that reads it holds Lock().

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include <lilv/lilv.h>
#include <lv2/urid/urid.h>

namespace sonvara {

class Lv2World {
  public:
    // The world, loaded at the first call.
    static Lv2World& Instance();

    Lv2World(const Lv2World&) = delete;
    Lv2World& operator=(const Lv2World&) = delete;

    std::unique_lock<std::mutex> Lock() { return std::unique_lock(mutex_); }
    // Under the lock.
    LilvWorld* World() const { return world_; }
    const LilvPlugin* FindPlugin(const std::string& uri) const;
    // A node for `uri`, kept for the world's life.
    const LilvNode* Uri(const char* uri);

    // The URI map handed to plug-ins (urid:map and urid:unmap): safe from any thread.
    std::uint32_t Map(const char* uri);
    const char* Unmap(std::uint32_t id);
    // The same as the features handed to plug-ins and to lilv.
    LV2_URID_Map* MapFeature() { return &map_feature_; }
    LV2_URID_Unmap* UnmapFeature() { return &unmap_feature_; }

  private:
    Lv2World();
    ~Lv2World();

    struct Nodes;
    struct Uris;
    std::mutex mutex_;
    LilvWorld* world_;
    std::unique_ptr<Nodes> nodes_;
    std::unique_ptr<Uris> uris_;  // under its own lock
    LV2_URID_Map map_feature_;
    LV2_URID_Unmap unmap_feature_;
};

// lilv's strings are freed by lilv: the text of `node`, "" for none, and `node` freed.
std::string TakeString(LilvNode* node);
// The text of a node lilv keeps.
std::string NodeString(const LilvNode* node);

}  // namespace sonvara
