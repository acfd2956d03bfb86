#pragma once
// The LV2 plug-ins installed on the machine that Sonvara can run: audio in and out in mono or
// stereo (as many outputs as inputs), control inputs, and nothing that needs MIDI, CV signals or
// a host feature Sonvara does not give. Discovery reads lilv's model once (Discover, started in
// the background at start-up; the first call that needs the list waits for it) and keeps the
// result. A plug-in left out is named with the reason, in the list of left-out plug-ins and, at
// the catalog's first use, in the developer diagnostics. The discovery's thread reads only lilv's
// model (never destroyed) and the catalog (which waits for it as the process ends).

#include <future>
#include <string>
#include <vector>

#include "lv2/plugin_description.h"

namespace sonvara {

struct LeftOutPlugin {
    std::string uri;
    std::string reason;  // "necesita MIDI", "necesita la función del anfitrión <uri>", ...
};

class PluginCatalog {
  public:
    // The process's catalog.
    static PluginCatalog& Instance();

    // Starts discovery on a thread of its own, unless it has started already.
    void Discover();
    // The usable plug-ins, by name; waits for discovery (starting it when nothing has).
    const std::vector<PluginDescription>& All();
    const std::vector<LeftOutPlugin>& LeftOut();
    // nullptr when no usable plug-in has `uri`.
    const PluginDescription* Find(const std::string& uri);

  private:
    PluginCatalog() = default;
    void Wait();

    struct Found {
        std::vector<PluginDescription> usable;
        std::vector<LeftOutPlugin> left_out;
    };
    static Found Read();

    std::mutex mutex_;
    Found found_;
    bool diagnosed_ = false;  // whether the left-out plug-ins were named in the diagnostics
    // Goes first as the process ends: its last reference waits for a discovery still running,
    // which fills found_.
    std::shared_future<void> discovery_;
};

}  // namespace sonvara
