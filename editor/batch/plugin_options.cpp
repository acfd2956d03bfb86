#include "editor/batch/plugin_options.h"

#include <QComboBox>
#include <QDialog>
#include <QFormLayout>
#include <QVBoxLayout>

#include "editor/common/dialog_parts.h"
#include "editor/effects/plugin_dialog.h"
#include "lv2/plugin_catalog.h"
#include "lv2/plugin_settings.h"

namespace sonvara {
namespace {

// The plug-in the user chooses, starting at `uri`; null when cancelled.
const PluginDescription* ChoosePlugin(const std::string& uri, QWidget* parent) {
    const std::vector<PluginDescription>& all = PluginCatalog::Instance().All();
    QDialog dialog(parent);
    dialog.setObjectName("choosePlugin");
    dialog.setWindowTitle("Complemento LV2");
    auto* layout = new QVBoxLayout(&dialog);
    auto* form = new QFormLayout;
    auto* list = new QComboBox(&dialog);
    list->setObjectName("plugins");
    for (const PluginDescription& plugin : all) {
        list->addItem(QString::fromStdString(plugin.name), QString::fromStdString(plugin.uri));
    }
    list->setCurrentIndex(std::max(0, list->findData(QString::fromStdString(uri))));
    form->addRow("Complemento:", list);
    layout->addLayout(form);
    AddOkCancelButtons(dialog, *layout);
    if (dialog.exec() != QDialog::Accepted || list->currentIndex() < 0) {
        return nullptr;
    }
    return &all[static_cast<std::size_t>(list->currentIndex())];
}

}  // namespace

std::optional<LBatchCommandItem> EditPluginItem(const LBatchCommandItem& item, Prompts& prompts,
                                                QWidget* parent) {
    if (PluginCatalog::Instance().All().empty()) {
        prompts.Ask({"Complemento LV2",
                     "No hay complementos LV2 instalados que Sonvara pueda usar.",
                     PromptIcon::kInformation, PromptButtons::kOk});
        return std::nullopt;
    }
    const Result<PluginSettings> current =
        ParsePluginSettings(std::string(item.data.begin(), item.data.end()));
    const PluginDescription* plugin = ChoosePlugin(current ? current->uri : "", parent);
    if (plugin == nullptr) {
        return std::nullopt;
    }
    LPluginDlg dialog(*plugin, prompts, nullptr, parent);
    if (current && current->uri == plugin->uri) {
        if (const Result<std::vector<float>> values = ControlValues(*plugin, *current)) {
            dialog.SetControlValues(*values);
        }
    }
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    const std::string text = dialog.Values().text;
    return LBatchCommandItem{kBatchPlugin, {text.begin(), text.end()}};
}

}  // namespace sonvara
