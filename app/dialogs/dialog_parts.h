#pragma once
// What the editor's small dialogs share: the "Aceptar"/"Cancelar" buttons, and for those that ask
// for a sample rate the editable field offering the usual rates and the check of a typed rate
// (6000 to 96000, the rates the converters and the cut files are made for; another is refused
// with a message).

#include <optional>

#include "core/prompts.h"

class QComboBox;
class QDialog;
class QDialogButtonBox;
class QLayout;

namespace sonvara {

// An editable field named "rate" in `dialog`, offering the usual rates and showing `rate`.
QComboBox* MakeRateField(QDialog& dialog, int rate);

// The rate typed or chosen in `field`, or nothing after telling the user it is out of range.
std::optional<int> CheckedRate(const QComboBox& field, Prompts& prompts);

// Gives the OK, Cancel and Help buttons of `box` their Spanish texts.
void SpanishButtons(QDialogButtonBox& box);

// OK and Cancel with their Spanish texts, joined to the dialog's accept and reject, at the end of
// `layout`.
QDialogButtonBox* AddOkCancelButtons(QDialog& dialog, QLayout& layout);

}  // namespace sonvara
