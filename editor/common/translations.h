#pragma once
// Qt's own texts (the buttons of standard dialogs, the file dialogs, the context menus of text
// fields) in Spanish, from the Qt translations the system installs.

class QCoreApplication;

namespace sonvara {

// Installs Qt's Spanish catalogue into `application`; false when the system has none.
bool LoadQtTranslations(QCoreApplication& application);

}  // namespace sonvara
