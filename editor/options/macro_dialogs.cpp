#include "editor/options/macro_dialogs.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "editor/common/dialog_parts.h"
#include "editor/common/key_value.h"
#include "editor/options/key_change_dialog.h"

namespace sonvara {
namespace {

// Enough rows to show the whole command list of a macro without scrolling in most cases.
constexpr int kVisibleRows = 12;

void ShowRows(QListWidget& list, int rows) {
    list.setMinimumHeight(list.fontMetrics().height() * rows + 2 * list.frameWidth());
}

}  // namespace

QString MacroCommandText(std::uint32_t id) {
    const std::string_view name = MacroCommandName(id);
    return name.empty() ? QString::number(id)
                        : QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

AddKeysCommandDlg::AddKeysCommandDlg(QWidget* parent)
    : QDialog(parent), list_(new QListWidget(this)) {
    setObjectName("AddKeysCommandDlg");
    setWindowTitle("Añadir Comandos");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Seleccione los  Comandos para adjuntar el Macro.", this));
    list_->setObjectName("commands");
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    for (const MacroCommand& command : MacroCommands()) {
        auto* item = new QListWidgetItem(QString::fromUtf8(command.name), list_);
        item->setData(Qt::UserRole, command.id);
    }
    list_->setCurrentRow(0);
    ShowRows(*list_, static_cast<int>(MacroCommands().size()));
    layout->addWidget(list_);
    AddOkCancelButtons(*this, *layout);
}

void AddKeysCommandDlg::accept() {
    selected_.clear();
    for (int row = 0; row < list_->count(); ++row) {
        if (list_->item(row)->isSelected()) {
            selected_.push_back(list_->item(row)->data(Qt::UserRole).toUInt());
        }
    }
    QDialog::accept();
}

SelectKeysMacroDlg::SelectKeysMacroDlg(const LSVMacroKeys& macro, QWidget* parent)
    : QDialog(parent),
      macro_(macro),
      key_field_(new QLineEdit(this)),
      commands_(new QListWidget(this)) {
    setObjectName("SelectKeysMacroDlg");
    setWindowTitle("Seleccione las teclas/Macros");
    auto* layout = new QVBoxLayout(this);

    auto* key_box = new QGroupBox("Combinación de teclas", this);
    auto* key_row = new QHBoxLayout(key_box);
    key_field_->setObjectName("key");
    key_field_->setReadOnly(true);
    key_field_->setMinimumWidth(
        key_field_->fontMetrics().horizontalAdvance("Ctrl+Alt+Shift+Re Pág") +
        key_field_->fontMetrics().height());
    auto* change = new QPushButton("Cambiar", key_box);
    change->setObjectName("changeKey");
    key_row->addWidget(key_field_, 1);
    key_row->addWidget(change);
    layout->addWidget(key_box);

    auto* commands_box = new QGroupBox("Macros", this);
    auto* commands_row = new QHBoxLayout(commands_box);
    commands_->setObjectName("commands");
    commands_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ShowRows(*commands_, kVisibleRows);
    auto* buttons_column = new QVBoxLayout;
    auto* add = new QPushButton("Añadir", commands_box);
    add->setObjectName("addCommand");
    auto* remove = new QPushButton("Eliminar", commands_box);
    remove->setObjectName("removeCommand");
    buttons_column->addWidget(add);
    buttons_column->addWidget(remove);
    buttons_column->addStretch();
    commands_row->addWidget(commands_, 1);
    commands_row->addLayout(buttons_column);
    layout->addWidget(commands_box, 1);

    // Enter is the dialog's OK, whichever of these has the focus.
    for (QPushButton* button : {change, add, remove}) {
        button->setAutoDefault(false);
    }
    QDialogButtonBox* buttons = AddOkCancelButtons(*this, *layout);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    connect(change, &QPushButton::clicked, this, &SelectKeysMacroDlg::CmChangeKey);
    connect(add, &QPushButton::clicked, this, &SelectKeysMacroDlg::CmAddCommand);
    connect(remove, &QPushButton::clicked, this, &SelectKeysMacroDlg::CmRemoveCommand);
    Show();
    commands_->setFocus();
}

void SelectKeysMacroDlg::Show() {
    key_field_->setText(macro_.key != 0 ? KeyName(macro_.key) : QString());
    commands_->clear();
    for (std::uint32_t id : macro_.commands) {
        commands_->addItem(MacroCommandText(id));
    }
    ok_->setEnabled(macro_.key != 0 && !macro_.commands.empty());
}

void SelectKeysMacroDlg::CmChangeKey() {
    LKeyChangeDlg dialog(this);
    if (dialog.exec() == QDialog::Accepted && dialog.Key()) {
        macro_.key = *dialog.Key();
        Show();
    }
}

void SelectKeysMacroDlg::CmAddCommand() {
    AddKeysCommandDlg dialog(this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    for (std::uint32_t id : dialog.Selected()) {
        if (macro_.commands.size() < kMacroCommandsMax) {
            macro_.commands.push_back(id);
        }
    }
    Show();
}

void SelectKeysMacroDlg::CmRemoveCommand() {
    // From the last row up, so that the rows still to remove keep their numbers.
    for (int row = commands_->count() - 1; row >= 0; --row) {
        if (commands_->item(row)->isSelected()) {
            macro_.commands.erase(macro_.commands.begin() + row);
        }
    }
    Show();
}

}  // namespace sonvara
