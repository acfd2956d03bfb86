#pragma once
// Access letters for every menu entry, so that Alt and then letters reach any command without the
// mouse. The entries keep their texts; one that has no letter of its own gets the first free
// letter that starts one of its words, else the first free letter at all (letters of the plain
// alphabet before accented ones), free meaning that no other entry of its menu has it. In a menu
// so long that all of an entry's letters are taken, it shares its first letter (pressed again,
// the letter goes on to the next entry that has it).

#include <QString>

class QMenu;

namespace sonvara {

// `text` with an access letter, "&" before it, unless it has one; `used` holds the (lower case)
// letters the menu has given, and gets the new one.
QString WithAccessLetter(const QString& text, QString& used);

// Gives `menu`'s entries their letters each time it opens (its entries change: the recent files,
// the windows, the undo step's name), its submenus too.
void KeepAccessLetters(QMenu* menu);

}  // namespace sonvara
