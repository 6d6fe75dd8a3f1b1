#pragma once

class QCoreApplication;
class QString;
class QTranslator;

// Installs Qt's own Traditional Chinese texts (file dialogs, message-box
// buttons, context menus), so that they speak the language of the program's
// windows whatever the user's locale. `folder` empty: Qt's translations
// folder. Returns the installed translator (owned by `app`), or nullptr when
// the translation file is not there.
QTranslator* InstallQtTranslations(QCoreApplication& app, const QString& folder);
