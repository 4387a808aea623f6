// Where the player keeps its relative files (setup.ini, velmora.kpl, Plugins/, skins/, Favor/).
#pragma once

#include <QString>

namespace platform {

struct InstallFolderChoice {
    QString folder;  // ends in "/"
    // Set only the first time the per-user folder stands in for an unwritable program folder:
    // what the user must be told once.
    QString notice;
};

// The folder of the program file when it is writable. Otherwise the per-user folder
// $XDG_DATA_HOME/velmora/: the first time, the settings, playlist and favourites found in the
// program folder are taken over; every time, what the program ships is brought up to date
// there, except files the user has changed.
InstallFolderChoice ChooseInstallFolder(const QString& programFolder);

// What ChooseInstallFolder does with an unwritable program folder, with the per-user folder
// given (tests).
InstallFolderChoice ChoosePerUserFolder(const QString& programFolder, const QString& userFolder);

// The per-user folder that stands in for an unwritable program folder: $XDG_DATA_HOME/velmora/.
QString PerUserInstallFolder();

// ChooseInstallFolder for the running program's folder, without the notice.
QString InstallFolder();

// The folder ChooseInstallFolder gives, for tests.
QString InstallFolderFor(const QString& programFolder);

// Removes the temporary files a save killed half-way leaves beside setup.ini, velmora.kpl and
// the record of seeded files.
// Call only while no other player can be saving into the folder.
void RemoveSaveLeftovers(const QString& folder);

}  // namespace platform
