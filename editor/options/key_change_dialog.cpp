#include "editor/options/key_change_dialog.h"

#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "editor/common/dialog_parts.h"
#include "editor/common/key_value.h"

namespace sonvara {

LKeyChangeDlg::LKeyChangeDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("LKeyChangeDlg");
    setWindowTitle("Presionar la Tecla");
    auto* layout = new QVBoxLayout(this);
    auto* prompt = new QLabel("Presionar la Tecla o la  Combinacion de Teclas.", this);
    prompt->setAlignment(Qt::AlignCenter);
    prompt->setMargin(prompt->fontMetrics().height());
    layout->addWidget(prompt);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    SpanishButtons(*buttons);
    // The keys belong to the capture: the button takes clicks only, so Space or Tab are keys too.
    buttons->button(QDialogButtonBox::Cancel)->setFocusPolicy(Qt::NoFocus);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons, 0, Qt::AlignCenter);
    setFocusPolicy(Qt::StrongFocus);
    setFocus();
}

bool LKeyChangeDlg::event(QEvent* event) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride) {
        return QDialog::event(event);
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    const int code = key->key();
    // Escape and Enter keep their meaning in a dialog.
    if (code == Qt::Key_Escape || code == Qt::Key_Return || code == Qt::Key_Enter) {
        return QDialog::event(event);
    }
    // Every other key is the capture's, before any shortcut can take it.
    event->accept();
    if (event->type() == QEvent::KeyPress && !key->isAutoRepeat()) {
        if (const std::optional<std::uint32_t> value = KeyValueOf(*key)) {
            key_ = value;
            accept();
        }
    }
    return true;
}

}  // namespace sonvara
