// Where the player keeps its relative files (setup.ini, velmora.kpl, Plugins/, skins/, Favor/).
#pragma once

#include <QString>

namespace platform {

// The folder of the program file, ending in "/", when it is writable; otherwise the per-user
// folder $XDG_DATA_HOME/velmora/ (seeded at first use from the program folder's shipped files,
// never overwriting a file that is already there).
QString InstallFolder();

// The same decision for a given program folder; exposed for tests.
QString InstallFolderFor(const QString& programFolder);

}  // namespace platform
