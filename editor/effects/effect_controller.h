#pragma once
// EffectController: the effects room. One command for every effect of the registry on the
// current file's selection: it asks the effect's values (from the stored ones, stored back on OK)
// where it has any, with a preview of the file, then changes the selection as one undoable step
// behind the progress dialog; a cancelled or failed effect leaves the document as it was. A
// change of length leaves the selection on the changed audio. The last effect applied can be
// repeated with its values. Interface thread only.

#include <functional>
#include <optional>
#include <string>

#include "document/edit_commands.h"

namespace sonvara {

class EditorWorkspace;
class TransportController;
struct EffectEntry;

class EffectController {
  public:
    EffectController(EditorWorkspace& workspace, TransportController& transport)
        : workspace_(workspace), transport_(transport) {}

    // One effect with its values, as applied and as repeated: the name of its undo step, and its
    // run on a selection of a document (a run that changes the selection's length moves the
    // range's end to the end of the changed audio).
    struct AppliedEffect {
        std::string name;
        std::function<ProcessResult(ProcessHost& host, LCutListAudio& document, FrameRange& range)>
            run;
    };

    void CmEffect(const EffectEntry& effect);
    // The last effect applied, with the same values, on the current selection, without a dialog.
    void CmRepeatEffect();
    // The name of the effect a repeat applies, empty before the first.
    std::string LastEffectName() const;

  private:
    // Applies `effect` to the current file's valid selection as one undoable step; the cursor
    // goes to the selection's start and the result plays from a second before it.
    void ApplyEffect(const AppliedEffect& effect);
    // Asks the values of an effect for the current file's valid selection, playback stopped, in
    // the `Dialog` that `make` makes with a preview of the file; nothing when cancelled.
    template <typename Dialog, typename Make>
    auto AskEffectValues(const Make& make);

    EditorWorkspace& workspace_;
    TransportController& transport_;
    std::optional<AppliedEffect> last_effect_;
};

}  // namespace sonvara
