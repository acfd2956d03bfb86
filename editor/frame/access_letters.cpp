#include "editor/frame/access_letters.h"

#include <QAction>
#include <QMenu>
#include <optional>

namespace sonvara {
namespace {

// The position of `text`'s access letter ("&x", not the "&&" of a plain "&").
std::optional<qsizetype> AccessLetterAt(const QString& text) {
    for (qsizetype at = 0; at + 1 < text.size(); ++at) {
        if (text[at] == '&') {
            if (text[at + 1] != '&') {
                return at + 1;
            }
            ++at;
        }
    }
    return std::nullopt;
}

bool IsPlainLetter(QChar letter) {
    return letter.isDigit() || (letter.isLetter() && letter.unicode() < 0x80);
}

// Pass 0: plain letters that start a word; 1: plain letters anywhere; 2: any letter anywhere.
bool Fits(const QString& label, qsizetype at, int pass) {
    const QChar letter = label[at];
    if (!letter.isLetterOrNumber()) {
        return false;
    }
    switch (pass) {
        case 0:
            return IsPlainLetter(letter) && (at == 0 || !label[at - 1].isLetterOrNumber());
        case 1:
            return IsPlainLetter(letter);
        default:
            return true;
    }
}

void GiveAccessLetters(QMenu* menu) {
    QString used;
    for (const QAction* action : menu->actions()) {
        if (const auto at = AccessLetterAt(action->text())) {
            used += action->text()[*at].toLower();
        }
    }
    for (QAction* action : menu->actions()) {
        if (action->isSeparator()) {
            continue;
        }
        const QString text = WithAccessLetter(action->text(), used);
        if (text != action->text()) {
            action->setText(text);
        }
        if (QMenu* submenu = action->menu()) {
            KeepAccessLetters(submenu);
        }
    }
}

}  // namespace

QString WithAccessLetter(const QString& text, QString& used) {
    if (AccessLetterAt(text)) {
        return text;
    }
    // The key's name after a tab is not part of the label.
    const QString label = text.section('\t', 0, 0);
    for (int pass = 0; pass < 3; ++pass) {
        for (qsizetype at = 0; at < label.size(); ++at) {
            if (label[at] == '&') {
                ++at;  // a plain "&&"
                continue;
            }
            if (Fits(label, at, pass) && !used.contains(label[at].toLower())) {
                used += label[at].toLower();
                return QString(text).insert(at, '&');
            }
        }
    }
    // Every letter is taken: the first one, shared (the menu goes from entry to entry of a
    // letter as it is pressed again).
    for (qsizetype at = 0; at < label.size(); ++at) {
        if (label[at].isLetterOrNumber()) {
            return QString(text).insert(at, '&');
        }
    }
    return text;
}

void KeepAccessLetters(QMenu* menu) {
    if (menu->property("accessLetters").toBool()) {
        return;
    }
    menu->setProperty("accessLetters", true);
    QObject::connect(menu, &QMenu::aboutToShow, menu, [menu] { GiveAccessLetters(menu); });
}

}  // namespace sonvara
