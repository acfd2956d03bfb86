#pragma once
// The edit commands on a document, toolkit-free: each one the whole change of one command, from
// StartModifyCurrentFile with the command's undo name to EndModifyCurrentFile with the position
// and preroll the command plays from. The caller stops playback first and refreshes menus after.
//
// The internal clipboard is a cut list with its own rate and channel count, shared by every open
// file. A selection is valid when its start lies before its end; the commands clamp it to the
// document first. Commands that need a valid selection do nothing, and return false, without one.

#include <cstdint>

#include "core/progress_dialog.h"
#include "document/cut_list_audio.h"
#include "document/edit_document.h"
#include "document/frame_range.h"

namespace sonvara {

using LAudioClipboard = LCutListAudio;

enum class InsertPlace { kStart, kCursor, kEnd };

// The selection clamped to [0, length].
FrameRange ClampedSelection(const LEditDocument& document);
bool HasValidSelection(const LEditDocument& document);

// Frames of `frames` at `from_rate` converted to `to_rate` through whole milliseconds.
std::int32_t ConvertFramesThroughMilliseconds(std::int32_t frames, std::int32_t from_rate,
                                              std::int32_t to_rate);

// "Cortar": the selection moves to the clipboard; the selection closes at its start.
bool EditCut(LEditDocument& document, LAudioClipboard& clipboard);
// The selection is copied to the clipboard; no undo point.
bool EditCopy(const LEditDocument& document, LAudioClipboard& clipboard);
// "Pegar": `source` takes the selection's place (or goes in at its start when it is empty), and
// becomes the selection. A source of another rate or channel count is converted first, behind
// the progress dialog "Pegar"; a cancelled or failed conversion leaves the document as it was and
// without the undo point. PROCESS_FAILED, with nothing done, for an empty source and for a result
// longer than a document holds.
ProcessResult EditPaste(LEditDocument& document, const LAudioClipboard& source, ProcessHost& host);
// Whether "Pegar" of `source` keeps the document within what it holds (2^31 - 1 frames, as an
// insert or a repeat).
bool PasteFits(const LEditDocument& document, const LAudioClipboard& source);
// "Borrar": the selection goes; selection and cursor close at its start.
bool EditDelete(LEditDocument& document);
// "Recortar": only the selection stays.
bool EditTrim(LEditDocument& document);
// "Comenzar recortar": everything before the selection start goes.
void EditTrimStart(LEditDocument& document);
// "Finalizar recortar": everything after the selection end goes.
void EditTrimEnd(LEditDocument& document);
// "Editar Silencio": the selection becomes silence of its length.
bool EditSilence(LEditDocument& document);
// "Insertar Silencio al comienzo", "... en la posición actual" or "... al final": `milliseconds`
// of silence at the start, the cursor or the end.
void EditInsertSilence(LEditDocument& document, InsertPlace place, std::int32_t milliseconds);
// "Insertar Archivo al comienzo", "... en la posición actual" or "... al final": `source` goes in
// at the start, the cursor or the end, converted to the document's format first behind the
// progress dialog "Insertar Archivo". A cancelled or failed conversion leaves the document as it
// was and without the undo point. PROCESS_FAILED, with nothing done, for an empty source or one
// that would make the document longer than its 32-bit frame count holds.
ProcessResult EditInsertFile(LEditDocument& document, InsertPlace place,
                             const LCutListAudio& source, ProcessHost& host);
// "Repetir": the selection is put in again `times` times after itself (no more than the longest
// document holds) and then covers every occurrence. Nothing, and false, for 0 or less.
bool EditRepeat(LEditDocument& document, std::int32_t times);
// The selection as the audio of a new document; an empty list without a valid selection. The
// document does not change and records no undo point.
LCutListAudio EditCopyToNew(const LEditDocument& document);

void SelectAll(LEditDocument& document);
void SelectToStart(LEditDocument& document);
void SelectToEnd(LEditDocument& document);

}  // namespace sonvara
