#include "editor/batch/batch_command_dialog.h"

#include <QDialogButtonBox>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>

#include "batch/batch_script.h"
#include "editor/batch/batch_options.h"
#include "editor/common/dialog_parts.h"

namespace sonvara {
namespace {

const QString kScriptFilter = "Grupo de Archivos Script (*.svb)";

// The command list's tree: a drag of its rows drops back into it as a move between rows (never
// onto a row), handed to `moved` with the row it lands before; the dialog reorders its list and
// refills the tree, so the view never moves or removes rows by itself.
class CommandTree : public QTreeWidget {
  public:
    CommandTree(QWidget* parent, std::function<void(int)> moved)
        : QTreeWidget(parent), moved_(std::move(moved)) {
        setDragDropMode(QAbstractItemView::InternalMove);
        setDefaultDropAction(Qt::MoveAction);
        setDropIndicatorShown(true);
    }

  protected:
    void startDrag(Qt::DropActions) override {
        const QModelIndexList rows = selectionModel()->selectedRows();
        if (rows.isEmpty()) {
            return;
        }
        auto* drag = new QDrag(this);
        drag->setMimeData(model()->mimeData(rows));
        drag->exec(Qt::MoveAction);
    }

    // The rows of this list are taken as a move wherever the drag began, so that a drop the
    // view's own checks would not offer (its source not this view) still moves them.
    void dragEnterEvent(QDragEnterEvent* event) override {
        QTreeWidget::dragEnterEvent(event);
        AcceptRows(*event);
    }

    void dragMoveEvent(QDragMoveEvent* event) override {
        QTreeWidget::dragMoveEvent(event);
        AcceptRows(*event);
    }

    void dropEvent(QDropEvent* event) override {
        if (!AcceptRows(*event)) {
            return;
        }
        const QPoint at = event->position().toPoint();
        const QModelIndex target = indexAt(at);
        int row = topLevelItemCount();
        if (target.isValid()) {
            row = target.row() + (at.y() > visualRect(target).center().y() ? 1 : 0);
        }
        moved_(row);
    }

  private:
    bool AcceptRows(QDropEvent& event) {
        if (!event.mimeData()->hasFormat(model()->mimeTypes().value(0))) {
            event.ignore();
            return false;
        }
        event.setDropAction(Qt::MoveAction);
        event.accept();
        return true;
    }

    std::function<void(int)> moved_;
};

QPushButton* Button(const char* text, const char* name, QWidget* parent) {
    auto* button = new QPushButton(QString::fromUtf8(text), parent);
    button->setObjectName(name);
    return button;
}

}  // namespace

AddBatchCommandDlg::AddBatchCommandDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("AddBatchCommandDlg");
    setWindowTitle("Agregar Comandos");
    auto* layout = new QVBoxLayout(this);
    auto* prompt = new QLabel("Seleccione los comandos para adjuntarlos a la lista de Comandos.");
    prompt->setWordWrap(true);
    layout->addWidget(prompt);
    list_ = new QListWidget(this);
    list_->setObjectName("commands");
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    for (const BatchCommandInfo& command : BatchCommands()) {
        auto* item = new QListWidgetItem(
            QString::fromUtf8(command.name.data(), static_cast<qsizetype>(command.name.size())),
            list_);
        item->setData(Qt::UserRole, command.id);
    }
    // Every name whole, and every command in sight: the list is short.
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setMinimumWidth(list_->sizeHintForColumn(0) + 2 * list_->frameWidth() +
                           list_->verticalScrollBar()->sizeHint().width());
    list_->setMinimumHeight(list_->sizeHintForRow(0) * list_->count() + 2 * list_->frameWidth());
    layout->addWidget(list_, 1);
    AddOkCancelButtons(*this, *layout);
    connect(list_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
}

std::vector<std::uint32_t> AddBatchCommandDlg::Chosen() const {
    std::vector<std::uint32_t> ids;
    for (int row = 0; row < list_->count(); ++row) {
        if (list_->item(row)->isSelected()) {
            ids.push_back(list_->item(row)->data(Qt::UserRole).toUInt());
        }
    }
    return ids;
}

LSelectBatchCommandDlg::LSelectBatchCommandDlg(LBatchCommandList& list, Prompts& prompts,
                                               QWidget* parent)
    : QDialog(parent), list_(list), prompts_(prompts) {
    setObjectName("LSelectBatchCommandDlg");
    setWindowTitle("Convertidor de Grupo");
    auto* layout = new QVBoxLayout(this);
    script_ = new QLabel(this);
    script_->setObjectName("script");
    layout->addWidget(script_);
    auto* row = new QHBoxLayout;
    tree_ = new CommandTree(this, [this](int to) { MoveSelectedTo(to); });
    tree_->setObjectName("commands");
    tree_->setColumnCount(2);
    tree_->setHeaderLabels({"Comando", "Opciones"});
    tree_->setRootIsDecorated(false);
    tree_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    const int character = tree_->fontMetrics().averageCharWidth();
    tree_->setColumnWidth(0, character * 38);
    tree_->setMinimumWidth(character * 120);
    tree_->setMinimumHeight(tree_->fontMetrics().height() * 14);
    row->addWidget(tree_, 1);
    auto* buttons = new QVBoxLayout;
    QPushButton* open = Button("Abrir...", "open", this);
    QPushButton* fresh = Button("Nuevo", "new", this);
    QPushButton* save = Button("Guardar", "save", this);
    QPushButton* save_as = Button("Guardar Como...", "saveAs", this);
    QPushButton* add = Button("Agregar...", "add", this);
    remove_ = Button("Quitar", "remove", this);
    options_ = Button("Opciones...", "options", this);
    for (QPushButton* button : {open, fresh, save, save_as}) {
        buttons->addWidget(button);
    }
    buttons->addSpacing(character * 2);
    for (QPushButton* button : {add, remove_, options_}) {
        buttons->addWidget(button);
    }
    buttons->addStretch();
    row->addLayout(buttons);
    layout->addLayout(row, 1);
    auto* hint = new QLabel("Arrastre los comandos para cambiar su orden.", this);
    layout->addWidget(hint);
    auto* box = new QDialogButtonBox(this);
    QPushButton* back = box->addButton("< Atrás", QDialogButtonBox::ResetRole);
    back->setObjectName("back");
    box->addButton("Siguiente >", QDialogButtonBox::AcceptRole)->setObjectName("next");
    box->addButton("Cancelar", QDialogButtonBox::RejectRole);
    layout->addWidget(box);

    connect(open, &QPushButton::clicked, this, [this] {
        if (SaveChanges()) {
            if (const QString path = AskOpenPath(); !path.isEmpty()) {
                OpenScript(path.toStdString());
            }
        }
    });
    connect(fresh, &QPushButton::clicked, this, &LSelectBatchCommandDlg::NewScript);
    connect(save, &QPushButton::clicked, this, &LSelectBatchCommandDlg::SaveScript);
    connect(save_as, &QPushButton::clicked, this, &LSelectBatchCommandDlg::SaveScriptAs);
    connect(add, &QPushButton::clicked, this, [this] { AddCommands(AskCommands()); });
    connect(remove_, &QPushButton::clicked, this, &LSelectBatchCommandDlg::RemoveSelected);
    connect(options_, &QPushButton::clicked, this, &LSelectBatchCommandDlg::EditOptions);
    connect(tree_, &QTreeWidget::itemDoubleClicked, this, &LSelectBatchCommandDlg::EditOptions);
    connect(tree_, &QTreeWidget::itemSelectionChanged, this,
            &LSelectBatchCommandDlg::UpdateButtons);
    connect(back, &QPushButton::clicked, this, [this] { done(kBack); });
    connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    Refill();
}

void LSelectBatchCommandDlg::OpenScript(const std::string& path) {
    const std::string_view error = list_.Open(path);
    Refill();
    if (!error.empty()) {
        prompts_.Ask({std::string(kBatchScriptErrorCaption), std::string(error), PromptIcon::kError,
                      PromptButtons::kOk});
    }
}

bool LSelectBatchCommandDlg::SaveScript() {
    if (list_.IsUntitled()) {
        return SaveScriptAs();
    }
    if (!list_.SaveAs(list_.Path())) {
        prompts_.Ask({std::string(kBatchScriptErrorCaption), std::string(kBatchScriptOpenMessage),
                      PromptIcon::kError, PromptButtons::kOk});
        return false;
    }
    Refill(SelectedRows());
    return true;
}

bool LSelectBatchCommandDlg::SaveScriptAs() {
    QString path = AskSavePath();
    if (path.isEmpty()) {
        return false;
    }
    if (QFileInfo(path).suffix().isEmpty()) {
        path += ".svb";
    }
    if (QFileInfo::exists(path) &&
        prompts_.Ask({"Sonvara",
                      "Otro archivo con el mismo nombre ya existe. ¿Quiere reemplazarlo?",
                      PromptIcon::kQuestion, PromptButtons::kYesNo}) != PromptAnswer::kYes) {
        return false;
    }
    if (!list_.SaveAs(path.toStdString())) {
        prompts_.Ask({std::string(kBatchScriptErrorCaption), std::string(kBatchScriptOpenMessage),
                      PromptIcon::kError, PromptButtons::kOk});
        return false;
    }
    Refill(SelectedRows());
    return true;
}

void LSelectBatchCommandDlg::NewScript() {
    if (SaveChanges()) {
        list_.New();
        Refill();
    }
}

bool LSelectBatchCommandDlg::SaveChanges() {
    if (!list_.Changed()) {
        return true;
    }
    switch (prompts_.Ask({"Sonvara", "¿ Desea guardar la Lista de Comandos?", PromptIcon::kQuestion,
                          PromptButtons::kYesNoCancel})) {
        case PromptAnswer::kYes:
            return SaveScript();
        case PromptAnswer::kNo:
            return true;
        default:
            return false;
    }
}

void LSelectBatchCommandDlg::AddCommands(const std::vector<std::uint32_t>& ids) {
    const int first = static_cast<int>(list_.Items().size());
    for (const std::uint32_t id : ids) {
        if (id != kBatchPlugin) {
            list_.Add(id);
            continue;
        }
        // A plug-in command is nothing without its plug-in: it is chosen as it is added.
        if (std::optional<LBatchCommandItem> chosen =
                EditBatchOptions(LBatchCommandItem{id, {}}, prompts_, this)) {
            list_.Add(id);
            list_.Replace(static_cast<int>(list_.Items().size()) - 1, std::move(*chosen));
        }
    }
    std::vector<int> added;
    for (int row = first; row < static_cast<int>(list_.Items().size()); ++row) {
        added.push_back(row);
    }
    Refill(added);
}

void LSelectBatchCommandDlg::RemoveSelected() {
    list_.Remove(SelectedRows());
    Refill();
}

void LSelectBatchCommandDlg::EditOptions() {
    const std::vector<int> rows = SelectedRows();
    if (rows.size() != 1) {
        return;
    }
    const auto& item = list_.Items()[static_cast<std::size_t>(rows[0])];
    if (std::optional<LBatchCommandItem> edited = EditBatchOptions(item, prompts_, this)) {
        list_.Replace(rows[0], std::move(*edited));
        Refill(rows);
    }
}

void LSelectBatchCommandDlg::MoveSelectedTo(int row) {
    const std::vector<int> selected = SelectedRows();
    const int count = static_cast<int>(list_.Items().size());
    std::vector<int> order;
    for (int i = 0; i < std::min(row, count); ++i) {
        if (!std::ranges::binary_search(selected, i)) {
            order.push_back(i);
        }
    }
    const int first_moved = static_cast<int>(order.size());
    order.insert(order.end(), selected.begin(), selected.end());
    for (int i = std::max(row, 0); i < count; ++i) {
        if (!std::ranges::binary_search(selected, i)) {
            order.push_back(i);
        }
    }
    list_.Reorder(order);
    std::vector<int> moved;
    for (std::size_t i = 0; i < selected.size(); ++i) {
        moved.push_back(first_moved + static_cast<int>(i));
    }
    Refill(moved);
}

QString LSelectBatchCommandDlg::AskOpenPath() {
    return QFileDialog::getOpenFileName(this, "Abrir el grupo de Archivos Script", QString(),
                                        kScriptFilter);
}

QString LSelectBatchCommandDlg::AskSavePath() {
    // The question about an existing file is the list's own.
    return QFileDialog::getSaveFileName(this, "Localizar el Archivo de Grupo Script",
                                        QString::fromStdString(list_.Path()), kScriptFilter,
                                        nullptr, QFileDialog::DontConfirmOverwrite);
}

std::vector<std::uint32_t> LSelectBatchCommandDlg::AskCommands() {
    AddBatchCommandDlg dialog(this);
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    return dialog.Chosen();
}

void LSelectBatchCommandDlg::Refill(const std::vector<int>& selected_rows) {
    tree_->clear();
    for (const LBatchCommandItem& item : list_.Items()) {
        const BatchCommandInfo* command = FindBatchCommand(item.id);
        const QString name = command != nullptr
                                 ? QString::fromUtf8(command->name.data(),
                                                     static_cast<qsizetype>(command->name.size()))
                                 : QString("(desconocido: %1)").arg(item.id);
        auto* row =
            new QTreeWidgetItem(tree_, {name, QString::fromStdString(BatchItemDescription(item))});
        // Rows are dropped between, never onto.
        row->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled);
    }
    for (const int row : selected_rows) {
        if (QTreeWidgetItem* item = tree_->topLevelItem(row)) {
            item->setSelected(true);
        }
    }
    const QString name = QFileInfo(QString::fromStdString(list_.Path())).fileName();
    script_->setText("Lista de Comandos: " + name + (list_.Changed() ? " *" : ""));
    UpdateButtons();
}

void LSelectBatchCommandDlg::UpdateButtons() {
    const std::vector<int> rows = SelectedRows();
    remove_->setEnabled(!rows.empty());
    options_->setEnabled(rows.size() == 1 &&
                         HasBatchOptions(list_.Items()[static_cast<std::size_t>(rows[0])].id));
}

std::vector<int> LSelectBatchCommandDlg::SelectedRows() const {
    std::vector<int> rows;
    for (int row = 0; row < tree_->topLevelItemCount(); ++row) {
        if (tree_->topLevelItem(row)->isSelected()) {
            rows.push_back(row);
        }
    }
    return rows;
}

}  // namespace sonvara
