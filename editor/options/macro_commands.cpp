// The key macros in the frame: their list read at start, and the key presses that run them ahead
// of the frame's own keys.

#include <QKeyEvent>
#include <QTimer>

#include "editor/common/key_value.h"
#include "editor/frame/main_window.h"

namespace sonvara {

void MainDialog::LoadMacros() {
    KeysFileRead read = ReadKeysFile(KeysFilePath());
    macros_ = std::move(read.macros);
    if (read.state == KeysFileState::kWrongVersion) {
        // Said once the frame is up; the editor goes on without macros.
        QTimer::singleShot(0, this, [this] {
            prompts_->Ask({kKeysFileErrorCaption, kKeysFileVersionMessage, PromptIcon::kWarning,
                           PromptButtons::kOk});
        });
    }
}

bool MainDialog::FilterMacroKey(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if ((type != QEvent::KeyPress && type != QEvent::ShortcutOverride) || macros_.empty()) {
        return false;
    }
    // Only keys meant for the frame: not those of a dialog it shows.
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() != this) {
        return false;
    }
    auto* key = static_cast<QKeyEvent*>(event);
    const std::optional<std::uint32_t> value = KeyValueOf(*key);
    if (!value || FindMacro(macros_, *value) == nullptr) {
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
    const LSVMacroKeys* macro = FindMacro(macros_, key);
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

}  // namespace sonvara
