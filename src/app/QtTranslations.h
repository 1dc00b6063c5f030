#pragma once

class QTranslator;

// Qt's own texts (file and print dialogs, standard buttons, the line edit's menu) in Japanese,
// like the rest of the interface: Qt's "qtbase_ja" catalogue from Qt's translations folder.
// Returns the installed translator (owned by the application), or nullptr when the catalogue
// is not there; the dialogs then stay in English.
QTranslator* installQtTranslations();
