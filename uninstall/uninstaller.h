// The uninstaller's run: its steps in their fixed order, each a function of its own. It talks
// to the user only through message boxes and shares nothing with the player at run time but
// the test for the player's main window.
#pragma once

#include <QString>

#include "uninstall/failures.h"

namespace uninstall {

enum class Outcome {
    PlayerRunning,  // nothing changed
    UnsafeFolder,   // nothing changed
    Cancelled,      // nothing changed
    NotFound,       // only the settings key is gone
    Done,
    DoneWithFailures,
};

// False, after telling the user, while a window captioned "dispForm1" of a live process exists.
bool CheckPlayerNotRunning();
// False, after telling the user, when the install folder of the program at `programPath` must
// not be emptied (the root, the home folder, a system folder).
bool CheckInstallFolderSafe(const QString& programPath);
// True when the user answers OK.
bool ConfirmUninstall();
// The install folder ending in "/", or empty after telling the user it cannot be found.
QString LocateInstallFolder(const QString& programPath);
// The types of the engine lists of Plugins/FilePlus.ini and the list types, then every other
// type still naming the player.
void RestoreFileAssociations(const QString& installFolder, Failures* failures);
// The URL protocols, the own scheme's key, and the freedesktop defaults; the desktop is told once.
void RestoreProtocols(Failures* failures);
// The shortcut files of the desktop, the applications menu and the Quick Launch folder.
void RemoveShortcuts(Failures* failures);
// The closing message: success, or the list of what could not be removed.
void ReportResult(const Failures& failures);

// Every step in order; `programPath` is the uninstaller's own file.
Outcome UninstallMain(const QString& programPath);

}  // namespace uninstall
