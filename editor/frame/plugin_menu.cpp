#include "editor/frame/plugin_menu.h"

#include <QAction>
#include <QMenu>
#include <map>
#include <utility>

#include "lv2/plugin_catalog.h"

namespace sonvara {

QString PluginGroupTitle(const std::string& class_label) {
    // The plug-in classes LV2 defines, by their labels, in the groups of the menu.
    static const std::pair<const char*, const char*> kGroups[] = {
        {"Equaliser Plugin", "Ecualizadores"},
        {"Parametric EQ Plugin", "Ecualizadores"},
        {"Multiband EQ Plugin", "Ecualizadores"},
        {"Filter Plugin", "Filtros"},
        {"Highpass Filter Plugin", "Filtros"},
        {"Lowpass Filter Plugin", "Filtros"},
        {"Bandpass Filter Plugin", "Filtros"},
        {"Allpass Plugin", "Filtros"},
        {"Comb FilterPlugin", "Filtros"},
        {"Dynamics Plugin", "Dinámica"},
        {"Compressor Plugin", "Dinámica"},
        {"Limiter Plugin", "Dinámica"},
        {"Expander Plugin", "Dinámica"},
        {"Gate Plugin", "Dinámica"},
        {"Envelope Plugin", "Dinámica"},
        {"Amplifier Plugin", "Dinámica"},
        {"Reverb Plugin", "Reverberación y Retardo"},
        {"Delay Plugin", "Reverberación y Retardo"},
        {"Modulator Plugin", "Modulación"},
        {"Chorus Plugin", "Modulación"},
        {"Flanger Plugin", "Modulación"},
        {"Phaser Plugin", "Modulación"},
        {"Distortion Plugin", "Distorsión"},
        {"Waveshaper Plugin", "Distorsión"},
        {"Simulator Plugin", "Distorsión"},
        {"Pitch Shifter Plugin", "Tono"},
        {"Spatial Plugin", "Espacio"},
        {"Spectral Plugin", "Espectro"},
        {"Analyser Plugin", "Análisis"},
        {"Generator Plugin", "Generadores"},
        {"Oscillator Plugin", "Generadores"},
        {"Constant Plugin", "Generadores"},
    };
    for (const auto& [label, title] : kGroups) {
        if (class_label == label) {
            return QString::fromUtf8(title);
        }
    }
    return "Utilidades y Otros";
}

QMenu* AddPluginMenu(QMenu& effects, std::function<void(const PluginDescription&)> apply,
                     std::function<bool()> enabled) {
    QMenu* plugins = effects.addMenu("Complementos LV&2");
    plugins->setObjectName("pluginsMenu");
    QObject::connect(&effects, &QMenu::aboutToShow, plugins,
                     [plugins, enabled] { plugins->menuAction()->setEnabled(enabled()); });
    QObject::connect(plugins, &QMenu::aboutToShow, plugins, [plugins, apply = std::move(apply)] {
        if (!plugins->isEmpty()) {
            return;
        }
        const std::vector<PluginDescription>& all = PluginCatalog::Instance().All();
        if (all.empty()) {
            plugins->addAction("(No hay complementos LV2 instalados)")->setEnabled(false);
            return;
        }
        std::map<QString, QMenu*> groups;  // by title, in order
        for (const PluginDescription& plugin : all) {
            groups[PluginGroupTitle(plugin.class_label)] = nullptr;
        }
        for (auto& [title, group] : groups) {
            group = plugins->addMenu(title);
        }
        for (const PluginDescription& plugin : all) {
            QAction* entry = groups[PluginGroupTitle(plugin.class_label)]->addAction(
                QString::fromUtf8(plugin.name + "..."));
            entry->setData(QString::fromUtf8(plugin.uri));
            QObject::connect(entry, &QAction::triggered, plugins,
                             [&plugin, apply] { apply(plugin); });
        }
    });
    return plugins;
}

}  // namespace sonvara
