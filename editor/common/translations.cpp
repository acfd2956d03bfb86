#include "editor/common/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace sonvara {

bool LoadQtTranslations(QCoreApplication& application) {
    auto* translator = new QTranslator(&application);
    // "qtbase_es" holds the widgets' texts; "qt_es" would pull in every module's catalogue.
    if (!translator->load("qtbase_es", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

}  // namespace sonvara
