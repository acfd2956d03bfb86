#include "editor/options/options_sheet.h"

#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>

#include "core/settings.h"

#include "editor/common/dialog_parts.h"
#include "editor/options/audio_process_page.h"
#include "editor/options/general_page.h"
#include "editor/options/keys_page.h"

namespace sonvara {

LOptionsSheet::LOptionsSheet(const Context& context, QWidget* parent)
    : QDialog(parent), prompts_(context.prompts) {
    setObjectName("LOptionsSheet");
    setWindowTitle("Opciones");
    auto* layout = new QVBoxLayout(this);
    tabs_ = new QTabWidget(this);
    layout->addWidget(tabs_);
    AddOkCancelButtons(*this, *layout);
    AddPages(context);
    PageShown(tabs_->currentIndex());
    connect(tabs_, &QTabWidget::currentChanged, this, &LOptionsSheet::PageShown);
}

void LOptionsSheet::AddPages(const Context& context) {
    auto* general = new LGeneralPage(context.prompts, context.program, tabs_);
    AddPage(
        general, "General", [general] { general->InitDialog(); },
        [general] { return general->CmOk(); });
    audio_ = new LAudioProcessPage(context.outputs, context.inputs, context.prompts, tabs_);
    AddPage(
        audio_, "Proceso de Audio", [page = audio_] { page->InitDialog(); },
        [page = audio_] { return page->CmOk(); });
    // The keys page reads "keys.dat" itself when it is first shown.
    auto* keys = new LKeysPage(context.macros, context.prompts, tabs_);
    AddPage(
        keys, "Teclas", [] {}, [keys] { return keys->CmOk(); });
}

void LOptionsSheet::AddPage(QWidget* page, const QString& title, std::function<void()> load,
                            std::function<bool()> store) {
    pages_.push_back(Page{page, std::move(load), std::move(store)});
    tabs_->addTab(page, title);
}

void LOptionsSheet::PageShown(int index) {
    if (index < 0 || index >= static_cast<int>(pages_.size())) {
        return;
    }
    Page& page = pages_[static_cast<std::size_t>(index)];
    if (!page.shown) {
        page.shown = true;
        page.load();
    }
}

bool LOptionsSheet::WorkingFolderChanged() const {
    return audio_ != nullptr && audio_->WorkingFolderChanged();
}

void LOptionsSheet::accept() {
    // The pages' settings are held back until every page has stored them, then written at once:
    // all of them or none.
    const std::shared_ptr<SettingsStore> settings = CurrentSettingsStore();
    auto staged = std::make_shared<StagedSettings>(settings);
    UseSettingsStore(staged);
    const auto failed = std::find_if(pages_.begin(), pages_.end(),
                                     [](const Page& page) { return page.shown && !page.store(); });
    UseSettingsStore(settings);
    if (failed != pages_.end()) {
        tabs_->setCurrentWidget(failed->widget);
        return;
    }
    if (!staged->Commit()) {
        prompts_.Ask({"Error",
                      "No se pudieron guardar las opciones en el archivo de configuración. "
                      "Compruebe que se puede escribir en su carpeta.",
                      PromptIcon::kError, PromptButtons::kOk});
        return;
    }
    QDialog::accept();
}

}  // namespace sonvara
