#pragma once
// ToolController: the room of tools, options and help. The frequency analysis, the tone
// generator, the batch converter, text to speech, sending the current file by mail, the options
// sheet with the key macros it edits (read from "keys.dat" at start), the manual and the about
// box. Interface thread only.

#include <vector>

#include "editor/tools/manual_opener.h"
#include "editor_model/macro_keys.h"

namespace sonvara {

class EditorWorkspace;
class FileController;
class TransportController;

class ToolController {
  public:
    ToolController(EditorWorkspace& workspace, TransportController& transport,
                   FileController& files);

    // The key macros; the options' keys page edits them.
    std::vector<LSVMacroKeys>& Macros() { return macros_; }

    // The spectrum at the cursor in a window that follows the current file (not modal).
    void CmFrequencyAnalyze();
    // The loudness of the current file's selection, or of the whole file, in a window.
    void CmLoudnessAnalysis();
    // A new file of a tone, DTMF digits or noise, as the tone generator's dialog asks.
    void CmToneGenerator();
    // The batch converter: the files, the command list and where the results go, each on its
    // page, then the run in its own window.
    void CmBatchConverter();
    // Reads a text aloud into a new untitled file through the speech synthesizer.
    void CmTextToSpeech();
    // Hands the current file, saved first when modified or untitled, to the desktop's mail
    // program as an attachment of a new mail.
    void CmSend();
    // The options sheet; after a change of the working folder the editor closes.
    void CmOptions();
    // Opens the user manual in the desktop's browser, saying so when there is none.
    void CmHelp();
    void CmAbout();

  private:
    // Reads the macros of "keys.dat"; a file of another version is said after the start.
    void LoadMacros();

    EditorWorkspace& workspace_;
    TransportController& transport_;
    FileController& files_;
    std::vector<LSVMacroKeys> macros_;
    ManualOpener manual_opener_;
};

}  // namespace sonvara
