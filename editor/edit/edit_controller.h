#pragma once
// EditController: the edit room's commands on the current file, and the internal clipboard
// every open file shares. Each command stops the file's playback first, changes the document as
// one undoable step (nothing without the selection it needs) and shows the result; the longer
// ones run behind the progress dialog, and a cancelled or failed one leaves the document as it
// was. Interface thread only.

#include <cstdint>
#include <functional>
#include <string>

#include "document/edit_commands.h"

namespace sonvara {

class EditorWorkspace;
class LSVFileWindow;
struct MixPasteParameters;

class EditController {
  public:
    explicit EditController(EditorWorkspace& workspace) : workspace_(workspace) {}

    const LAudioClipboard& Clipboard() const { return clipboard_; }
    // Whether the internal clipboard holds at least a millisecond of audio to paste.
    bool ClipboardHoldsAudio() const;

    void CmUndo();
    void CmRedo();
    void CmCut();
    // Copy also offers the copied audio on the system clipboard, rendered as a WAV when another
    // program asks for it.
    void CmCopy();
    // Behind the progress dialog, as the clipboard may be converted to the file's format first.
    void CmPaste();
    // Pastes the WAV data or WAV file another program put on the system clipboard; what cannot
    // be read is refused with its reason before anything changes.
    void CmPasteFromSystem();
    void CmClear();
    void CmTrim();
    void CmTrimStart();
    void CmTrimEnd();
    void CmEditSilence();
    // Mixes the internal clipboard, or (`from_system`) what another program put on the system
    // clipboard, into the selection, as the mix dialog asks. The undo point comes before the
    // dialog and stays when it is cancelled; a failed or cancelled mix takes it back.
    void CmPasteMix(bool from_system);
    // Mixes a chosen audio file into the selection, as the mix dialog asks.
    void CmMixFile();
    // The selection again after itself, as many times as the repeat dialog asks.
    void CmRepeatLoop();
    // Removes the quiet start and end of the file ("AutoTrimThreshold" in [Settings]).
    void CmAutoTrim();
    // Silence of the length the dialog asks, or a chosen audio file, at the start, the cursor or
    // the end.
    void CmInsertSilence(InsertPlace place);
    void CmInsertFile(InsertPlace place);
    // A new untitled file holding the selection, modified; neither file records an undo step.
    void CmCopyToNew();
    void CmSelectAll();
    void CmSelectToStart();
    void CmSelectToEnd();
    // The sample rate the dialog asks, or `channels`, as an undoable conversion; the selection
    // and the view keep their times.
    void CmConvertSampleRate();
    void CmConvertChannel(int channels);

  private:
    // Stops the current file's playback, runs `edit` on its document and shows the result; a
    // `whole` view afterwards for the commands that leave a different file.
    void EditCurrentFile(const std::function<void(LEditDocument&)>& edit, bool whole = false);
    // Pastes `source` into the current file behind the progress dialog.
    void PasteIntoCurrentFile(const LAudioClipboard& source);
    // Reads what another program put on the system clipboard into `source`, telling the user
    // why when it is not audio; false then or when the load was cancelled.
    bool ReadSystemClipboard(LAudioClipboard& source, LSVFileWindow* file);
    // Runs the mix of `paste` into the current file, whose modification `name` has started, and
    // ends it; a failed or cancelled mix takes the modification back.
    void MixIntoCurrentFile(const std::string& name, const LCutListAudio& paste,
                            const MixPasteParameters& parameters);
    // Runs a conversion of the current file's document as an undoable change.
    void ConvertCurrentFile(const std::string& name, std::int32_t rate, int channels);

    EditorWorkspace& workspace_;
    LAudioClipboard clipboard_;
};

}  // namespace sonvara
