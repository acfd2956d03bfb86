// The frame's menus, tool bar and context menu, built from the command table, their enabling,
// the recent files of the file menu and the open windows of the window menu.

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QKeySequence>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QShortcut>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>
#include <cstdio>
#include <map>
#include <string>

#include "core/settings.h"
#include "editor/common/command_icons.h"
#include "editor/common/file_window.h"
#include "editor/common/workspace.h"
#include "editor/edit/edit_controller.h"
#include "editor/effects/effect_controller.h"
#include "editor/files/file_controller.h"
#include "editor/frame/access_letters.h"
#include "editor/frame/main_window.h"
#include "editor/frame/plugin_menu.h"
#include "editor/transport/transport_controller.h"
#include "editor_model/recent_files.h"
#include "lv2/plugin_effect.h"
#include "view/db_display.h"

namespace sonvara {
namespace {

// Whether `command` is enabled for `file` (null: no file open); `clipboard`: whether there is
// audio to paste.
bool IsEnabled(const Command& command, const LSVFileWindow* file, bool clipboard) {
    switch (command.enabled) {
        case EnabledWhen::kAlways:
            return true;
        case EnabledWhen::kFileOpen:
            return file != nullptr;
        case EnabledWhen::kFileModified:
            return file != nullptr && file->IsModified();
        case EnabledWhen::kStereoFile:
            return file != nullptr && file->Document().Audio().GetChannels() == 2;
        case EnabledWhen::kCanUndo:
            return file != nullptr && file->Document().CanUndo();
        case EnabledWhen::kCanRedo:
            return file != nullptr && file->Document().CanRedo();
        case EnabledWhen::kSelection:
            return file != nullptr && HasValidSelection(file->Document());
        case EnabledWhen::kClipboard:
            return file != nullptr && clipboard;
    }
    return false;
}

// The label of `command`: undo and redo name the step of `file` they act on.
QString Label(const Command& command, const LSVFileWindow* file) {
    std::string named;
    if (file != nullptr && command.id == kCmUndo) {
        named = file->Document().UndoMenuText();
    } else if (file != nullptr && command.id == kCmRedo) {
        named = file->Document().RedoMenuText();
    }
    return QString::fromUtf8(named.empty() ? command.label : named.c_str());
}

QString EffectGroupTitle(CommandMenu menu) {
    switch (menu) {
        case CommandMenu::kVolume:
            return "Volumen";
        case CommandMenu::kFilters:
            return "Filtros";
        case CommandMenu::kDynamics:
            return "Dinámica";
        case CommandMenu::kTimePitch:
            return "Tiempo y Tono";
        default:
            return "Retardo";
    }
}

bool IsChecked(CheckedWhen checked, const LSVFileWindow& file) {
    const bool stereo = file.Document().Audio().GetChannels() == 2;
    switch (checked) {
        case CheckedWhen::kNotCheckable:
            return false;
        case CheckedWhen::kMono:
            return !stereo;
        case CheckedWhen::kStereo:
            return stereo;
        case CheckedWhen::kVerticalZoom:
            return file.VerticalZoom();
        case CheckedWhen::kPosNeg:
            return file.DisplayMode() == WaveDisplayMode::kPosNeg;
        case CheckedWhen::kLeftRight:
            return file.DisplayMode() == WaveDisplayMode::kLeftRight;
    }
    return false;
}

}  // namespace

void MainDialog::BuildCommands() {
    QMenu* file = menuBar()->addMenu("&Archivo");
    file->setObjectName("fileMenu");
    QMenu* edit = menuBar()->addMenu("&Editar");
    edit->setObjectName("editMenu");
    effects_menu_ = menuBar()->addMenu("Efe&ctos");
    effects_menu_->setObjectName("effectsMenu");
    std::map<CommandMenu, QMenu*> effect_groups;  // made where their first entries come
    QMenu* view = menuBar()->addMenu("&Ver");
    view->setObjectName("viewMenu");
    QMenu* transport = menuBar()->addMenu("&Transporte");
    transport->setObjectName("transportMenu");
    QMenu* places = menuBar()->addMenu("&Marcadores y Regiones");
    places->setObjectName("placesMenu");
    QMenu* tools = menuBar()->addMenu("&Herramientas");
    tools->setObjectName("toolsMenu");
    QMenu* window = menuBar()->addMenu("Ve&ntana");
    window->setObjectName("windowMenu");
    QMenu* help = menuBar()->addMenu("A&yuda");
    help->setObjectName("helpMenu");
    QMenu* channels = nullptr;  // made where its first entry comes
    QMenu* insert_silence = nullptr;
    QMenu* insert_file = nullptr;
    auto submenu = [](QMenu*& made, QMenu* parent, const char* title, const char* name) {
        if (made == nullptr) {
            made = parent->addMenu(title);
            made->setObjectName(name);
        }
        return made;
    };
    auto menu_of = [&](CommandMenu menu) {
        switch (menu) {
            case CommandMenu::kFile:
                return file;
            case CommandMenu::kChannels:
                return submenu(channels, file, "Convertir los Canales (Mono <-> Estéreo)",
                               "channelsMenu");
            case CommandMenu::kEdit:
                return edit;
            case CommandMenu::kInsertSilence:
                return submenu(insert_silence, edit, "Insertar Silencio", "insertSilenceMenu");
            case CommandMenu::kInsertFile:
                return submenu(insert_file, edit, "Insertar Archivo", "insertFileMenu");
            case CommandMenu::kView:
                return view;
            case CommandMenu::kTransport:
                return transport;
            case CommandMenu::kPlaces:
                return places;
            case CommandMenu::kTools:
                return tools;
            case CommandMenu::kWindow:
                return window;
            case CommandMenu::kHelp:
                return help;
            case CommandMenu::kEffects:
                return effects_menu_;
            case CommandMenu::kVolume:
            case CommandMenu::kFilters:
            case CommandMenu::kDynamics:
            case CommandMenu::kTimePitch:
            case CommandMenu::kDelay: {
                QMenu*& group = effect_groups[menu];
                if (group == nullptr) {
                    if (effect_groups.size() == 1 && !effects_menu_->isEmpty()) {
                        effects_menu_->addSeparator();  // between the repeat and the groups
                    }
                    group = effects_menu_->addMenu(EffectGroupTitle(menu));
                }
                return group;
            }
        }
        return file;
    };
    // The channel counts and the display modes each show one choice of two.
    std::map<CheckedWhen, QActionGroup*> groups;
    auto group_of = [&](CheckedWhen checked, QObject* parent) -> QActionGroup* {
        if (checked == CheckedWhen::kNotCheckable || checked == CheckedWhen::kVerticalZoom) {
            return nullptr;
        }
        const CheckedWhen first = (checked == CheckedWhen::kMono || checked == CheckedWhen::kStereo)
                                      ? CheckedWhen::kMono
                                      : CheckedWhen::kPosNeg;
        QActionGroup*& group = groups[first];
        if (group == nullptr) {
            group = new QActionGroup(parent);
        }
        return group;
    };

    for (const Command& command : Commands()) {
        QMenu* menu = menu_of(command.menu);
        if (command.separator_before) {
            menu->addSeparator();
        }
        QAction* action =
            menu->addAction(CommandIcon(command.icon), QString::fromUtf8(command.label));
        action->setProperty("commandId", command.id);
        QList<QKeySequence> keys;
        for (QKeyCombination key : command.keys) {
            if (key.key() != Qt::Key_unknown) {
                keys.push_back(QKeySequence(key));
            }
        }
        action->setShortcuts(keys);
        // A held key does its command once.
        action->setAutoRepeat(false);
        if (command.checked != CheckedWhen::kNotCheckable) {
            action->setCheckable(true);
            if (QActionGroup* group = group_of(command.checked, menu)) {
                group->addAction(action);
            }
        }
        const QString label = QString::fromUtf8(command.label).section('\t', 0, 0).remove('&');
        action->setToolTip(command.tip != nullptr ? QString::fromUtf8(command.tip) : label);
        connect(action, &QAction::triggered, this, [this, id = command.id] { Dispatch(id); });
        actions_[command.id] = action;
    }
    // The installed LV2 plug-ins close the effects.
    effects_menu_->addSeparator();
    AddPluginMenu(
        *effects_menu_,
        [this](const PluginDescription& plugin) {
            rooms_->effects.CmEffect(PluginEffectEntry(plugin));
        },
        [this] {
            const LSVFileWindow* current = rooms_->workspace.CurrentFile();
            return current != nullptr && HasValidSelection(current->Document());
        });
    file_menu_ = file;
    window_menu_ = window;
    connect(window, &QMenu::aboutToShow, this, &MainDialog::RebuildWindowMenu);
    // After the window menu's rebuild, whose entries get letters too.
    for (QAction* menu : menuBar()->actions()) {
        KeepAccessLetters(menu->menu());
    }

    tool_bar_ = addToolBar("Herramientas");
    tool_bar_->setObjectName("toolBar");
    tool_bar_->setMovable(false);
    for (ToolGroup group : {ToolGroup::kFile, ToolGroup::kTransport, ToolGroup::kZoom}) {
        if (!tool_bar_->actions().isEmpty()) {
            tool_bar_->addSeparator();
        }
        for (const Command& command : Commands()) {
            if (command.tool_group != group) {
                continue;
            }
            if (ActsWhileHeld(command.id)) {
                AddHeldButton(command);
            } else {
                tool_bar_->addAction(actions_[command.id]);
            }
        }
    }

    // The level meter closes the transport's group.
    // It reads what the user last chose from its menu.
    meter_ = new LDBDisplay(tool_bar_);
    meter_->setFixedWidth(140);
    if (ReadInt("MainWindow", "LevelMeterReading", 0) ==
        static_cast<int>(MeterReading::kMomentaryLoudness)) {
        meter_->SetReading(MeterReading::kMomentaryLoudness);
    }
    connect(meter_, &LDBDisplay::ReadingChosen, this, [](MeterReading reading) {
        WriteInt("MainWindow", "LevelMeterReading", static_cast<int>(reading));
    });
    QAction* zoom_group = nullptr;
    for (QAction* entry : tool_bar_->actions()) {
        if (entry->property("commandId").toInt() == kCmZoomIn) {
            zoom_group = entry;
        }
    }
    tool_bar_->insertWidget(zoom_group, meter_);
    tool_bar_->insertSeparator(zoom_group);

    // Shift+Home and Shift+End move the cursor and select from where it was.
    for (const auto& [key, to_end] :
         {std::pair{"Shift+Home", false}, std::pair{"Shift+End", true}}) {
        auto* shortcut = new QShortcut(QKeySequence(key), this);
        shortcut->setAutoRepeat(false);
        connect(shortcut, &QShortcut::activated, this, [this, to_end = to_end] {
            if (rooms_->workspace.CurrentFile() == nullptr) {
                return;
            }
            to_end ? rooms_->edit.CmSelectToEnd() : rooms_->edit.CmSelectToStart();
            to_end ? rooms_->transport.CmEnd() : rooms_->transport.CmStart();
        });
    }
    // Shift+F9 plays in a loop.
    auto* loop = new QShortcut(QKeySequence(Qt::ShiftModifier | Qt::Key_F9), this);
    loop->setAutoRepeat(false);
    connect(loop, &QShortcut::activated, this, [this] {
        if (rooms_->workspace.CurrentFile() != nullptr) {
            rooms_->transport.CmPlay(true);
            rooms_->workspace.Changed();
        }
    });
    // The winds and scrub act on press and release, which shortcuts do not report.
    qApp->installEventFilter(this);
}

void MainDialog::AddHeldButton(const Command& command) {
    QAction* action = actions_[command.id];
    auto* button = new QToolButton(tool_bar_);
    button->setIcon(action->icon());
    button->setToolTip(action->toolTip());
    button->setText(action->text());
    button->setProperty("commandId", command.id);
    button->setFocusPolicy(Qt::NoFocus);
    button->setEnabled(action->isEnabled());
    connect(action, &QAction::changed, button,
            [button, action] { button->setEnabled(action->isEnabled()); });
    const Wind wind = command.id == kCmRewind ? Wind::kRewind : Wind::kForward;
    connect(button, &QToolButton::pressed, this,
            [this, wind] { rooms_->transport.PressWind(wind); });
    connect(button, &QToolButton::released, this,
            [this, wind] { rooms_->transport.ReleaseWind(wind); });
    // The tool bar's entry carries the command as every other entry does.
    QAction* entry = tool_bar_->addWidget(button);
    entry->setProperty("commandId", command.id);
    entry->setIcon(action->icon());
    entry->setToolTip(action->toolTip());
}

void MainDialog::AddContextMenu(LSVFileWindow* file) {
    file->setContextMenuPolicy(Qt::ActionsContextMenu);
    for (const Command& command : Commands()) {
        if (!command.context_menu) {
            continue;
        }
        // The effects come as one submenu, grouped as in the menu bar; the entries of another
        // submenu show there as that submenu.
        QAction* entry = actions_[command.id];
        if (IsEffectMenu(command.menu)) {
            entry = effects_menu_->menuAction();
        } else if (auto* menu = qobject_cast<QMenu*>(entry->parent());
                   menu != nullptr && qobject_cast<QMenu*>(menu->parent()) != nullptr) {
            entry = menu->menuAction();
        }
        if (!file->actions().contains(entry)) {
            file->addAction(entry);
        }
    }
}

void MainDialog::Dispatch(int id) {
    // The user sees the active window's file as the one the command is for.
    rooms_->workspace.FollowActiveWindow();
    if (const Command* command = FindCommand(id)) {
        command->run(*rooms_);
    }
    rooms_->workspace.Changed();
}

void MainDialog::EnableMenuOptions() {
    const LSVFileWindow* file = rooms_->workspace.CurrentFile();
    const bool clipboard = rooms_->edit.ClipboardHoldsAudio();
    for (const Command& command : Commands()) {
        QAction* action = actions_[command.id];
        action->setEnabled(IsEnabled(command, file, clipboard));
        if (command.id == kCmUndo || command.id == kCmRedo) {
            action->setText(Label(command, file));
        }
        if (file != nullptr && command.checked != CheckedWhen::kNotCheckable) {
            action->setChecked(IsChecked(command.checked, *file));
        }
    }
    // Repeating needs an effect that ran, and names it.
    const std::string last_effect = rooms_->effects.LastEffectName();
    if (last_effect.empty()) {
        actions_[kCmRepeatEffect]->setEnabled(false);
    } else {
        actions_[kCmRepeatEffect]->setText(
            QString::fromStdString("Repetir " + last_effect + "\tCtrl+Alt+R"));
    }
    for (LSVFileWindow* open : rooms_->workspace.Files()) {
        UpdateTitle(open);
        open->KeepRecoveryFile();
    }
    UpdateTimeFields();
    if (file != nullptr) {
        const LCutListAudio& audio = file->Document().Audio();
        char text[64];
        std::snprintf(text, sizeof text, "Tasa de muestra: %d   %s",
                      static_cast<int>(audio.GetSampleRate()),
                      audio.GetChannels() == 2 ? "Stereo" : "Mono");
        status_->setText(text);
    } else {
        status_->clear();
    }
}

void MainDialog::UpdateTitle(LSVFileWindow* file) {
    auto* window = qobject_cast<QMdiSubWindow*>(file->parentWidget());
    if (window == nullptr) {
        return;
    }
    const QString title =
        QString::fromStdString(file->DisplayName()) + (file->IsModified() ? "*" : "");
    if (window->windowTitle() != title) {
        window->setWindowTitle(title);
    }
}

void MainDialog::RebuildWindowMenu() {
    for (QAction* action : window_actions_) {
        window_menu_->removeAction(action);
        delete action;
    }
    window_actions_.clear();
    const std::vector<LSVFileWindow*>& files = rooms_->workspace.Files();
    if (files.empty()) {
        return;
    }
    window_actions_.push_back(window_menu_->addSeparator());
    for (std::size_t i = 0; i < files.size(); ++i) {
        LSVFileWindow* file = files[i];
        const QString number = i < 9 ? QString("&%1 ").arg(i + 1) : QString("%1 ").arg(i + 1);
        QAction* action = window_menu_->addAction(
            number + QString::fromStdString(file->DisplayName()) + (file->IsModified() ? "*" : ""));
        action->setProperty("commandId", kCmWindowFirst + static_cast<int>(i));
        action->setCheckable(true);
        action->setChecked(file == rooms_->workspace.CurrentFile());
        connect(action, &QAction::triggered, this, [this, file] {
            // The file may have closed since the menu was built.
            if (rooms_->workspace.IsOpen(file)) {
                rooms_->workspace.Activate(file);
            }
        });
        window_actions_.push_back(action);
    }
}

std::vector<QAction*> MainDialog::WindowListActions() {
    RebuildWindowMenu();
    std::vector<QAction*> entries;
    for (QAction* action : window_actions_) {
        if (!action->isSeparator()) {
            entries.push_back(action);
        }
    }
    return entries;
}

void MainDialog::RebuildRecentMenu() {
    for (QAction* action : recent_actions_) {
        file_menu_->removeAction(action);
        delete action;
    }
    recent_actions_.clear();
    QAction* exit = actions_[kCmExit];
    for (const RecentFile& recent : RecentFiles()) {
        auto* action = new QAction(
            QString("&%1. %2").arg(recent.slot).arg(QString::fromStdString(recent.path)),
            file_menu_);
        action->setProperty("commandId", kCmRecentFirst + recent.slot - 1);
        const QString path = QString::fromStdString(recent.path);
        connect(action, &QAction::triggered, this,
                [this, path] { rooms_->files.OpenFiles({path}); });
        file_menu_->insertAction(exit, action);
        recent_actions_.push_back(action);
    }
    if (!recent_actions_.empty()) {
        auto* separator = new QAction(file_menu_);
        separator->setSeparator(true);
        separator->setProperty("commandId", kCmRecentSeparator);
        file_menu_->insertAction(exit, separator);
        recent_actions_.push_back(separator);
    }
}

std::vector<QAction*> MainDialog::RecentFileActions() const {
    std::vector<QAction*> entries;
    for (QAction* action : recent_actions_) {
        if (!action->isSeparator()) {
            entries.push_back(action);
        }
    }
    return entries;
}

QAction* MainDialog::Action(int command) const {
    auto found = actions_.find(command);
    return found != actions_.end() ? found->second : nullptr;
}

}  // namespace sonvara
