#include "view/db_edit.h"

#include <QKeyEvent>
#include <QRegularExpression>
#include <QWheelEvent>
#include <algorithm>

namespace sonvara {

LDBEdit::LDBEdit(QWidget* parent) : QLineEdit(parent) {
    setObjectName("LDBEdit");
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setText(Text(value_));
    connect(this, &QLineEdit::editingFinished, this, &LDBEdit::Commit);
}

QString LDBEdit::Text(int db) {
    return db <= kSilence ? QStringLiteral("--dB") : QStringLiteral("%1dB").arg(db);
}

void LDBEdit::SetValue(int db) {
    value_ = std::clamp(db, low_, high_);
    setText(Text(value_));
}

void LDBEdit::SetRange(int low, int high) {
    low_ = std::clamp(low, kSilence, 127);
    high_ = std::clamp(high, low_, 127);
    SetValue(value_);
}

void LDBEdit::Change(int db) {
    const int old = value_;
    SetValue(db);
    if (value_ != old) {
        emit valueChanged(value_);
    }
}

void LDBEdit::Commit() {
    const QString typed = text().trimmed();
    if (typed.startsWith(QStringLiteral("--"))) {
        Change(kSilence);
        return;
    }
    static const QRegularExpression number(QStringLiteral("^([-+]?\\d+)\\s*(dB)?$"),
                                           QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = number.match(typed);
    bool ok = false;
    const long long db = match.hasMatch() ? match.captured(1).toLongLong(&ok) : 0;
    if (ok) {
        Change(static_cast<int>(std::clamp<long long>(db, kSilence, 127)));
    }
    setText(Text(value_));
}

void LDBEdit::Step(int steps) {
    // From silence a step up starts at the bottom of what can be heard.
    const int from = value_ <= kSilence && steps > 0 ? std::max(low_, -37) : value_;
    Change(from + steps);
}

void LDBEdit::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Up:
            Step(1);
            return;
        case Qt::Key_Down:
            Step(-1);
            return;
        case Qt::Key_PageUp:
            Step(6);
            return;
        case Qt::Key_PageDown:
            Step(-6);
            return;
        default:
            QLineEdit::keyPressEvent(event);
    }
}

void LDBEdit::wheelEvent(QWheelEvent* event) {
    const int notches = event->angleDelta().y() / 120;
    if (notches == 0 || !hasFocus()) {
        event->ignore();
        return;
    }
    Step(notches);
    event->accept();
}

}  // namespace sonvara
