#pragma once
// Qt's own texts (the buttons of standard dialogs, the file dialogs, the context menus of text
// fields) in Spanish whatever the system's language: Qt's Spanish catalogue the system installs,
// the few texts it lacks, and the file dialogs' type and date columns (which Qt takes from the
// system's locale).

class QCoreApplication;

namespace sonvara {

// Installs the Spanish texts into `application`; false when the system has no Qt catalogue (the
// texts it lacks and the file dialogs' columns are Spanish all the same).
bool LoadQtTranslations(QCoreApplication& application);

}  // namespace sonvara
