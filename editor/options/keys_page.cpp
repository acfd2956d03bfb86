#include "editor/options/keys_page.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "editor/common/key_value.h"
#include "editor/options/macro_dialogs.h"

namespace sonvara {

LKeysPage::LKeysPage(std::vector<LSVMacroKeys>& frame_macros, Prompts& prompts, QWidget* parent)
    : QWidget(parent),
      frame_macros_(frame_macros),
      prompts_(prompts),
      list_(new QTreeWidget(this)),
      remove_(new QPushButton("Eliminar", this)),
      change_(new QPushButton("Cambiar", this)) {
    setObjectName("LKeysPage");
    auto* layout = new QVBoxLayout(this);
    auto* title = new QLabel("Usuario de las teclas asignadas/ Macros", this);
    title->setBuddy(list_);
    layout->addWidget(title);
    list_->setObjectName("macros");
    list_->setHeaderLabels({"Teclas", "Macros"});
    list_->setRootIsDecorated(false);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->header()->setStretchLastSection(true);
    list_->setColumnWidth(0, list_->fontMetrics().horizontalAdvance("Ctrl+Alt+Shift+Re Pág") +
                                 list_->fontMetrics().height());
    layout->addWidget(list_, 1);
    auto* buttons = new QHBoxLayout;
    auto* add = new QPushButton("Añadir", this);
    add->setObjectName("add");
    remove_->setObjectName("remove");
    change_->setObjectName("change");
    // Enter confirms the sheet the page sits in, whichever of these has the focus.
    for (QPushButton* button : {add, remove_, change_}) {
        button->setAutoDefault(false);
    }
    buttons->addStretch();
    buttons->addWidget(add);
    buttons->addWidget(remove_);
    buttons->addWidget(change_);
    layout->addLayout(buttons);
    connect(add, &QPushButton::clicked, this, &LKeysPage::CmAddKeysMacros);
    connect(remove_, &QPushButton::clicked, this, &LKeysPage::CmRemoveKeysMacros);
    connect(change_, &QPushButton::clicked, this, &LKeysPage::CmChangeKeysMacros);
    connect(list_, &QTreeWidget::itemSelectionChanged, this, &LKeysPage::EnableButtons);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, &LKeysPage::CmChangeKeysMacros);
}

void LKeysPage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!opened_) {
        opened_ = true;
        InitDialog();
    }
}

void LKeysPage::InitDialog() {
    // The frame's list is what the file holds from now on.
    KeysFileRead read = ReadKeysFile(KeysFilePath());
    if (read.state == KeysFileState::kWrongVersion) {
        prompts_.Ask({kKeysFileErrorCaption, kKeysFileVersionMessage, PromptIcon::kWarning,
                      PromptButtons::kOk});
    }
    frame_macros_ = read.macros;
    macros_ = std::move(read.macros);
    InitList();
}

void LKeysPage::InitList() {
    list_->clear();
    for (const LSVMacroKeys& macro : macros_) {
        QStringList commands;
        for (std::uint32_t id : macro.commands) {
            commands << MacroCommandText(id);
        }
        new QTreeWidgetItem(list_, {KeyName(macro.key), commands.join(", ")});
    }
    EnableButtons();
}

void LKeysPage::EnableButtons() {
    const bool selected = !list_->selectedItems().isEmpty();
    remove_->setEnabled(selected);
    change_->setEnabled(selected);
}

void LKeysPage::CmAddKeysMacros() {
    SelectKeysMacroDlg dialog(LSVMacroKeys{}, this);
    if (dialog.exec() == QDialog::Accepted) {
        macros_.push_back(dialog.Macro());
        InitList();
        list_->setCurrentItem(list_->topLevelItem(list_->topLevelItemCount() - 1));
    }
}

void LKeysPage::CmRemoveKeysMacros() {
    if (list_->selectedItems().isEmpty() ||
        prompts_.Ask({"Confirmar Remover", "¿Remover la(s) clave(s) seleccionada(s)?",
                      PromptIcon::kQuestion, PromptButtons::kYesNo}) != PromptAnswer::kYes) {
        return;
    }
    for (int row = list_->topLevelItemCount() - 1; row >= 0; --row) {
        if (list_->topLevelItem(row)->isSelected()) {
            macros_.erase(macros_.begin() + row);
        }
    }
    InitList();
}

void LKeysPage::CmChangeKeysMacros() {
    const int row = list_->indexOfTopLevelItem(list_->currentItem());
    if (row < 0 || !list_->currentItem()->isSelected()) {
        return;
    }
    SelectKeysMacroDlg dialog(macros_[static_cast<std::size_t>(row)], this);
    if (dialog.exec() == QDialog::Accepted) {
        macros_[static_cast<std::size_t>(row)] = dialog.Macro();
        InitList();
        list_->setCurrentItem(list_->topLevelItem(row));
    }
}

bool LKeysPage::CmOk() {
    if (!opened_) {
        return true;
    }
    if (!WriteKeysFile(KeysFilePath(), macros_)) {
        prompts_.Ask({kKeysFileErrorCaption, kKeysFileWriteMessage, PromptIcon::kWarning,
                      PromptButtons::kOk});
        return false;
    }
    frame_macros_ = macros_;
    return true;
}

}  // namespace sonvara
