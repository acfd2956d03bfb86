#pragma once
// The Efectos menu's "Complementos LV2": the installed LV2 plug-ins Sonvara can run, by name in
// submenus after their classes ("Ecualizadores", "Dinámica", "Reverberación y Retardo", ...).
// The entries are made when the menu first opens: discovery runs in the background from the
// start, and a first opening before it ends waits for it. A choice applies the plug-in through
// `apply`; the submenu is enabled while `enabled` says so (a selection to apply it to).

#include <QString>
#include <functional>
#include <string>

#include "lv2/plugin_description.h"

class QMenu;

namespace sonvara {

// The submenu a plug-in's class goes in.
QString PluginGroupTitle(const std::string& class_label);

QMenu* AddPluginMenu(QMenu& effects, std::function<void(const PluginDescription&)> apply,
                     std::function<bool()> enabled);

}  // namespace sonvara
