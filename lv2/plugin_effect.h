#pragma once
// An LV2 plug-in as an effect: the plug-in and values a settings text names, resolved against the
// catalog; the plug-in as an effect source; and its run over a range of a document, as one
// effect with progress and cancel that leaves the document as it was when it fails.

#include <string>
#include <string_view>
#include <vector>

#include "core/progress_dialog.h"
#include "core/result.h"
#include "document/cut_list_audio.h"
#include "document/frame_range.h"
#include "effects/effect_process.h"
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
