#include "editor/places/bookmark_dialog.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "core/date_time.h"
#include "editor/common/dialog_parts.h"
#include "editor/common/file_window.h"
#include "editor/common/workspace.h"
#include "editor/places/place_controller.h"
#include "project/record_fields.h"

namespace sonvara {

BookMarkDlg::BookMarkDlg(PlaceController& places)
    : QDialog(places.Workspace().Frame()), places_(places), list_(new QTreeWidget(this)) {
    setObjectName("BookMarkDlg");
    setWindowTitle("Marcadores (Bookmarks)");
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    list_->setObjectName("bookmarks");
    list_->setHeaderLabels({"Nombrar", "Tiempo", "Veces  Visitado", "Ultima Visita"});
    list_->setRootIsDecorated(false);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    list_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    list_->setContextMenuPolicy(Qt::ActionsContextMenu);
    const std::pair<const char*, void (BookMarkDlg::*)()> entries[] = {
        {"Ir al Marcador", &BookMarkDlg::CmGoTo},
        {"&Renombrar", &BookMarkDlg::CmReName},
        {"&Borrar", &BookMarkDlg::CmDelete},
        {"Borrar Todo", &BookMarkDlg::CmClearAll}};
    for (const auto& [label, command] : entries) {
        auto* action = new QAction(QString::fromUtf8(label), list_);
        connect(action, &QAction::triggered, this, command);
        list_->addAction(action);
    }
    connect(list_, &QTreeWidget::itemDoubleClicked, this, [this] { CmGoTo(); });
    connect(list_, &QTreeWidget::itemChanged, this, &BookMarkDlg::Renamed);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText("Cerrar");
    auto* go = buttons->addButton("Ir al Marcador", QDialogButtonBox::ActionRole);
    connect(go, &QPushButton::clicked, this, &BookMarkDlg::CmGoTo);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    layout->addWidget(buttons);
    Refresh();
    // Wide enough for every column's texts, so that none is cut.
    int columns = 0;
    for (int column = 0; column < list_->columnCount(); ++column) {
        list_->resizeColumnToContents(column);
        columns += list_->columnWidth(column);
    }
    resize(sizeHint().expandedTo(QSize(columns + 4 * layout->contentsMargins().left() +
                                           list_->verticalScrollBar()->sizeHint().width(),
                                       0)));
}

void BookMarkDlg::Refresh() {
    const std::vector<std::size_t> selected = SelectedRows(*list_);
    filling_ = true;
    list_->clear();
    for (const LSVBookMark& mark : places_.Places().bookmarks) {
        const LDateTime visit(static_cast<std::time_t>(mark.last_visit));
        auto* item = new QTreeWidgetItem(
            list_, {QString::fromStdString(mark.name),
                    QString::fromStdString(MillisecondsText(mark.position_ms)),
                    QString::number(mark.visits),
                    QString::fromStdString(visit.DateText() + " " + visit.TimeText())});
        item->setFlags(item->flags() | Qt::ItemIsEditable);
    }
    for (std::size_t row : selected) {
        if (QTreeWidgetItem* item = list_->topLevelItem(static_cast<int>(row))) {
            item->setSelected(true);
        }
    }
    filling_ = false;
}

void BookMarkDlg::CmGoTo() {
    QTreeWidgetItem* item = list_->currentItem();
    if (item != nullptr) {
        places_.GoToBookMark(static_cast<std::size_t>(list_->indexOfTopLevelItem(item)));
    }
}

void BookMarkDlg::CmReName() {
    if (QTreeWidgetItem* item = list_->currentItem()) {
        list_->editItem(item, 0);
    }
}

void BookMarkDlg::Renamed(QTreeWidgetItem* item, int column) {
    std::vector<LSVBookMark>& marks = places_.Places().bookmarks;
    const int row = list_->indexOfTopLevelItem(item);
    if (filling_ || column != 0 || row < 0 || static_cast<std::size_t>(row) >= marks.size()) {
        return;
    }
    const std::string name = item->text(0).toStdString();
    if (name.empty() || !FitsTextField(name) || name == marks[static_cast<std::size_t>(row)].name) {
        QTimer::singleShot(0, this, &BookMarkDlg::Refresh);  // the old name again
        return;
    }
    marks[static_cast<std::size_t>(row)].name = name;
    Changed();
}

void BookMarkDlg::CmDelete() {
    const std::vector<std::size_t> rows = SelectedRows(*list_);
    if (rows.empty() || places_.Workspace().CurrentPrompts().Ask(
                            {"Confirme Borrar", " ¿Borrar los marcadores (bookmark) seleccionados?",
                             PromptIcon::kQuestion, PromptButtons::kYesNo}) != PromptAnswer::kYes) {
        return;
    }
    std::vector<LSVBookMark>& marks = places_.Places().bookmarks;
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        marks.erase(marks.begin() + static_cast<std::ptrdiff_t>(*row));
    }
    Changed();
}

void BookMarkDlg::CmClearAll() {
    if (places_.Places().bookmarks.empty() ||
        places_.Workspace().CurrentPrompts().Ask(
            {"Confirme Borrar Todo", "¿Borrar todos los bookmark seleccionados?",
             PromptIcon::kQuestion, PromptButtons::kYesNo}) != PromptAnswer::kYes) {
        return;
    }
    places_.Places().bookmarks.clear();
    Changed();
}

void BookMarkDlg::Changed() {
    if (LSVFileWindow* file = places_.Workspace().CurrentFile()) {
        file->Document().SetModified(true);
    }
    // Not from inside the list's own signal: the refresh rebuilds its items.
    QTimer::singleShot(0, &places_, [places = &places_] { places->RefreshPlaces(); });
}

}  // namespace sonvara
