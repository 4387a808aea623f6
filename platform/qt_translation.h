// Qt's own texts (standard buttons, the file, colour and font dialogs) in the interface's
// language, whatever the desktop's locale is.
#pragma once

#include <QString>

namespace platform {

// Installs Qt's Chinese translation into the running application. False, with nothing changed,
// when the translation file is missing or unreadable: the program then runs with Qt's English.
// Call after the application object is made.
bool InstallQtTranslation();

// Where the translation is looked for (Qt's translations folder, unless a test names another).
void SetQtTranslationFolder(const QString& folder);

}  // namespace platform
