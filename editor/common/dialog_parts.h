#pragma once
// What the editor's small dialogs share: the "Aceptar"/"Cancelar" buttons, and for those that ask
// for a sample rate the editable field offering the usual rates and the check of a typed rate
// (6000 to 96000, the rates the converters and the cut files are made for; another is refused
// with a message).

#include <optional>
#include <string_view>
#include <vector>

#include "core/prompts.h"
#include "core/result.h"

class QComboBox;
class QDialog;
class QDialogButtonBox;
class QLayout;
class QTreeWidget;
class QWidget;
class QLineEdit;

namespace sonvara {

// An editable field named "rate" in `dialog`, offering the usual rates and showing `rate`.
QComboBox* MakeRateField(QDialog& dialog, int rate);

// The rate typed or chosen in `field`, or nothing after telling the user it is out of range.
std::optional<int> CheckedRate(const QComboBox& field, Prompts& prompts);

// An edit field named `name` in `dialog` for a whole number, showing `value`. Like the fields of
// the effect dialogs it takes any signed number; the dialog's check says what it accepts.
QLineEdit* MakeNumberField(QDialog& dialog, const char* name, int value);

// The number typed in `field`, or nothing after telling the user it is not one.
std::optional<int> NumberIn(const QLineEdit& field, Prompts& prompts);

// True for an empty `refusal` (a check's result); otherwise shows it in a box captioned "Valor
// no válido" and returns false, so that the dialog stays open.
bool PassesCheck(std::string_view refusal, Prompts& prompts);
// The same for a check's result: true when accepted.
bool PassesCheck(const Result<void>& check, Prompts& prompts);

// Tells the user that an effect dialog's values could not be kept in the settings (the effect
// still runs with them).
void TellValuesNotStored(Prompts& prompts);

// Shows a modeless window, or brings it to the front when it is open already.
void BringForward(QWidget& window);

// Gives the OK, Cancel and Help buttons of `box` their Spanish texts.
void SpanishButtons(QDialogButtonBox& box);

// OK and Cancel with their Spanish texts, joined to the dialog's accept and reject, at the end of
// `layout`.
QDialogButtonBox* AddOkCancelButtons(QDialog& dialog, QLayout& layout);

// The rows of `list`'s selected top-level items, in ascending order.
std::vector<std::size_t> SelectedRows(const QTreeWidget& list);

}  // namespace sonvara
