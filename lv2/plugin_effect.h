#pragma once
// An LV2 plug-in as an effect: the plug-in and values a settings text names, resolved against the
// catalog; the plug-in as an effect source; its run over a range of a document, as one effect
// with progress and cancel that leaves the document as it was when it fails; and its entry for
// the editor's effect commands.

#include <string>
#include <string_view>
#include <vector>

#include "core/progress_dialog.h"
#include "core/result.h"
#include "document/cut_list_audio.h"
#include "document/frame_range.h"
#include "effects/effect_process.h"
#include "effects/registry/effect_entry.h"
#include "lv2/plugin_description.h"

namespace sonvara {

struct PluginRun {
    const PluginDescription* plugin = nullptr;
    std::vector<float> controls;  // one per control of the plug-in, in order
};

// The plug-in `text` names (plugin_settings.h) with its values; the message when the text is not
// understood, the plug-in is not installed (MissingPluginMessage) or it lacks a port named.
Result<PluginRun> ResolvePlugin(std::string_view text);

EffectSourceFactory PluginEffectSource(const PluginRun& run);

// A plug-in as the editor's effect commands apply it: its values are the text of its settings
// (EffectValues::text), asked in the dialog made from its controls, its undo step named after it.
// Made at the first call for each plug-in and kept for the program's life (a repeat of the last
// effect holds it). Interface thread.
const EffectEntry& PluginEffectEntry(const PluginDescription& plugin);
// The plug-in of an entry PluginEffectEntry made; null for any other entry, or when the plug-in
// is no longer in the catalog.
const PluginDescription* PluginOfEntry(const EffectEntry& entry);

class EfPlugin : public LProgressDialog {
  public:
    EfPlugin(LCutListAudio& document, FrameRange range, PluginRun run);

  protected:
    ProcessResult Body() override;

  private:
    LCutListAudio& document_;
    FrameRange range_;
    PluginRun run_;
};

}  // namespace sonvara
