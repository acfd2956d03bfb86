#include "lv2/lv2_world.h"

#include <deque>
#include <map>

namespace sonvara {

struct Lv2World::Nodes {
    std::map<std::string, LilvNode*> by_uri;
};

struct Lv2World::Uris {
    std::mutex mutex;
    std::map<std::string, std::uint32_t, std::less<>> ids;
    std::deque<std::string> texts;  // id n is texts[n - 1]; a deque keeps their addresses
};

namespace {

LV2_URID MapUri(LV2_URID_Map_Handle, const char* uri) {
    return Lv2World::Instance().Map(uri);
}

const char* UnmapUri(LV2_URID_Unmap_Handle, LV2_URID urid) {
    return Lv2World::Instance().Unmap(urid);
}

}  // namespace

Lv2World& Lv2World::Instance() {
    // Never destroyed: a discovery in the background may still read it as the process ends.
    static Lv2World* const world = new Lv2World;
    return *world;
}

Lv2World::Lv2World()
    : world_(lilv_world_new()),
      nodes_(std::make_unique<Nodes>()),
      uris_(std::make_unique<Uris>()),
      map_feature_{nullptr, MapUri},
      unmap_feature_{nullptr, UnmapUri} {
    lilv_world_load_all(world_);
}

Lv2World::~Lv2World() {
    for (auto& [uri, node] : nodes_->by_uri) {
        lilv_node_free(node);
    }
    lilv_world_free(world_);
}

const LilvNode* Lv2World::Uri(const char* uri) {
    LilvNode*& node = nodes_->by_uri[uri];
    if (node == nullptr) {
        node = lilv_new_uri(world_, uri);
    }
    return node;
}

const LilvPlugin* Lv2World::FindPlugin(const std::string& uri) const {
    LilvNode* node = lilv_new_uri(world_, uri.c_str());
    const LilvPlugin* plugin =
        node == nullptr ? nullptr
                        : lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world_), node);
    lilv_node_free(node);
    return plugin;
}

std::uint32_t Lv2World::Map(const char* uri) {
    std::lock_guard lock(uris_->mutex);
    const auto found = uris_->ids.find(std::string_view(uri));
    if (found != uris_->ids.end()) {
        return found->second;
    }
    uris_->texts.emplace_back(uri);
    const auto id = static_cast<std::uint32_t>(uris_->texts.size());
    uris_->ids.emplace(uris_->texts.back(), id);
    return id;
}

const char* Lv2World::Unmap(std::uint32_t id) {
    std::lock_guard lock(uris_->mutex);
    return id >= 1 && id <= uris_->texts.size() ? uris_->texts[id - 1].c_str() : nullptr;
}

std::string TakeString(LilvNode* node) {
    std::string text = NodeString(node);
    lilv_node_free(node);
    return text;
}

std::string NodeString(const LilvNode* node) {
    if (node == nullptr) {
        return {};
    }
    const char* text = lilv_node_as_string(node);
    return text == nullptr ? std::string() : std::string(text);
}

}  // namespace sonvara
