#include "editor/common/translations.h"

#include <QApplication>
#include <QEvent>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QFontMetrics>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QTreeView>
#include <algorithm>
#include <string_view>

#include "formats/format_table.h"

namespace sonvara {
namespace {

// The texts of Qt's widgets that Qt's Spanish catalogue (as Debian ships it) lacks.
struct MissingText {
    std::string_view context;
    std::string_view source;
    const char* spanish;
};
constexpr MissingText kMissingTexts[] = {
    {"QAbstractFileIconProvider", "Folder", "Carpeta"},
    {"QAbstractFileIconProvider", "File", "Archivo"},
    {"QAbstractFileIconProvider", "Drive", "Unidad"},
    {"QAbstractFileIconProvider", "%1 File", "Archivo %1"},
    {"QFileDialog", "Choose", "Elegir"},
    {"QFileDialog", "Directory", "Carpeta"},
    {"QFileSystemModel",
     "<b>The name \"%1\" cannot be used.</b><p>Try using another name, with fewer characters or "
     "no punctuation marks.",
     "<b>El nombre \"%1\" no se puede usar.</b><p>Pruebe con otro nombre, más corto o sin "
     "signos de puntuación."},
    {"QToolBar", "Show more", "Mostrar más"},
    {"QMenuBar", "Actions", "Acciones"},
};

class MissingTextsTranslator : public QTranslator {
  public:
    using QTranslator::QTranslator;
    QString translate(const char* context, const char* source, const char* /*disambiguation*/,
                      int /*n*/) const override {
        if (context == nullptr || source == nullptr) {
            return {};
        }
        for (const MissingText& text : kMissingTexts) {
            if (text.context == context && text.source == source) {
                return QString::fromUtf8(text.spanish);
            }
        }
        return {};
    }
    bool isEmpty() const override { return false; }
};

// A file dialog's type and date columns in Spanish: Qt words the type of a file from the
// desktop's MIME names in the system's language and writes dates in its locale.
class SpanishFileColumns : public QIdentityProxyModel {
  public:
    using QIdentityProxyModel::QIdentityProxyModel;
    static constexpr int kTypeColumn = 2;
    static constexpr int kDateColumn = 3;

    QVariant data(const QModelIndex& index, int role) const override {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (role != Qt::DisplayRole || files == nullptr ||
            (index.column() != kTypeColumn && index.column() != kDateColumn)) {
            return QIdentityProxyModel::data(index, role);
        }
        const QModelIndex source = mapToSource(index);
        if (index.column() == kDateColumn) {
            return QLocale(QLocale::Spanish, QLocale::Spain)
                .toString(files->lastModified(source), QLocale::ShortFormat);
        }
        const QFileInfo file = files->fileInfo(source);
        if (file.isDir()) {
            return QString("Carpeta");
        }
        if (const FileFormat* format = FileFormatOf(file.fileName().toStdString())) {
            return QString("Audio %1").arg(format->name);
        }
        return file.suffix().isEmpty() ? QString("Archivo")
                                       : QString("Archivo %1").arg(file.suffix().toUpper());
    }
};

// The detail view's columns as wide as their titles and the longest texts they usually hold, the
// names taking the rest (Qt leaves the date's title cut).
void FitColumns(QTreeView* view) {
    if (view == nullptr) {
        return;
    }
    QHeaderView* header = view->header();
    const QFontMetrics metrics(view->font());
    const char* widest[] = {nullptr, "1.023,9 KiB", "Audio Ogg Vorbis", "31/12/26 23:59"};
    for (int column = 1; column < header->count() && column < 4; ++column) {
        const int text = metrics.horizontalAdvance(QString::fromUtf8(widest[column])) +
                         2 * metrics.averageCharWidth();
        header->resizeSection(column, std::max(header->sectionSizeHint(column), text));
    }
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
}

// Gives every file dialog of Qt's own the Spanish columns as it is first shown.
class FileDialogColumns : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            auto* dialog = qobject_cast<QFileDialog*>(watched);
            if (dialog != nullptr && dialog->proxyModel() == nullptr) {
                dialog->setProxyModel(new SpanishFileColumns(dialog));
                FitColumns(dialog->findChild<QTreeView*>("treeView"));
            }
        }
        return false;
    }
};

}  // namespace

bool LoadQtTranslations(QCoreApplication& application) {
    QCoreApplication::installTranslator(new MissingTextsTranslator(&application));
    application.installEventFilter(new FileDialogColumns(&application));
    auto* translator = new QTranslator(&application);
    // "qtbase_es" holds the widgets' texts; "qt_es" would pull in every module's catalogue.
    if (!translator->load("qtbase_es", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

}  // namespace sonvara
