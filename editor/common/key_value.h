#pragma once
// Key values of the key macros (editor_model/macro_keys.h) from Qt's key events, and their names.
//
// The low 16 bits are the virtual-key code the macro file has always stored: letters and digits
// by their character, the function, editing and cursor keys and the numeric keypad by their
// codes, and the punctuation keys by their place on the keyboard (the scan code, where the
// platform gives one) so that a key keeps its value whatever Shift makes it type.

#include <QString>
#include <cstdint>
#include <optional>

class QKeyEvent;

namespace sonvara {

// The key value of a key press: its virtual-key code with the Ctrl, Alt and Shift bits of the
// modifiers held. Nothing for the modifier keys themselves and for keys without a code.
std::optional<std::uint32_t> KeyValueOf(const QKeyEvent& event);

// The virtual-key code of a Qt key (`keypad`: a key of the numeric keypad), or 0.
std::uint16_t VirtualKeyOf(int qt_key, bool keypad);

// "Ctrl+", "Alt+", "Shift+" as set, in that order, then the key's name in the user's language
// (the key's character for letters, digits and punctuation).
QString KeyName(std::uint32_t key_value);

}  // namespace sonvara
