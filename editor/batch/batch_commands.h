#pragma once
// The batch converter: three pages, the files, the command list and where the results go (each
// but the first can go back to the one before), then the run in its own window, which stays open
// with the outcome until the user closes it.

namespace sonvara {

class EditorWorkspace;

void RunBatchConverter(EditorWorkspace& workspace);

}  // namespace sonvara
