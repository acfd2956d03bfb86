// The frame's keys that act beyond its shortcuts: a key bound to a macro runs the macro ahead of
// the frame's own keys, then the transport's keys act on press and release.

#include <QKeyEvent>

#include "editor/common/key_value.h"
#include "editor/frame/main_window.h"
#include "editor/tools/tool_controller.h"
#include "editor/transport/transport_controller.h"

namespace sonvara {

bool MainDialog::FilterMacroKey(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if ((type != QEvent::KeyPress && type != QEvent::ShortcutOverride) ||
        rooms_->tools.Macros().empty()) {
        return false;
    }
    // Only keys meant for the frame: not those of a dialog it shows.
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() != this) {
        return false;
    }
    auto* key = static_cast<QKeyEvent*>(event);
    const std::optional<std::uint32_t> value = KeyValueOf(*key);
    if (!value || FindMacro(rooms_->tools.Macros(), *value) == nullptr) {
        return false;
    }
    // An accepted shortcut check makes the key arrive as a key press instead of a shortcut.
    event->accept();
    if (type == QEvent::KeyPress && !key->isAutoRepeat()) {
        ProcessMacroKeyDown(*value);
    }
    return true;
}

bool MainDialog::ProcessMacroKeyDown(std::uint32_t key) {
    const LSVMacroKeys* macro = FindMacro(rooms_->tools.Macros(), key);
    if (macro == nullptr) {
        return false;
    }
    // Each command runs to its end (its dialog, its process, the play after it) before the next;
    // a copy, as a command may change the list. Ids that are none of the macro commands (a
    // hand-made file) are passed over.
    const std::vector<std::uint32_t> commands = macro->commands;
    for (std::uint32_t id : commands) {
        if (!MacroCommandName(id).empty()) {
            Dispatch(static_cast<int>(id));
        }
    }
    return true;
}

bool MainDialog::eventFilter(QObject* watched, QEvent* event) {
    if (FilterMacroKey(watched, event)) {
        return true;
    }
    // Only keys meant for the frame: not those of a dialog it shows.
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget != nullptr && widget->window() == this && rooms_->transport.KeyEvent(event)) {
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace sonvara
