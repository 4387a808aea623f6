// Shortcuts and the shell's special folders. A shortcut is a freedesktop ".desktop" file, so file
// managers, desktops and application menus start its target; the player writes them and the
// uninstaller removes the same files, both finding the folders here.
#pragma once

#include <QString>

namespace platform {

enum class ShellFolder {
    Desktop,      // the desktop folder (QStandardPaths' desktop location)
    Programs,     // the applications menu ($XDG_DATA_HOME/applications)
    QuickLaunch,  // no such bar on Linux desktops: a folder of our own under the config folder
};

// The folder's absolute path without a trailing "/", or empty when it is unknown: a path that
// would only be guessed from a missing home folder counts as unknown, so no link ever lands at
// the top of the file system.
QString ShellFolderPath(ShellFolder folder);
// The full path of the link `name` (which may hold a sub-folder, "Folder/Link") in a special
// folder; empty when the folder is unknown.
QString ShellLinkPath(ShellFolder folder, const QString& name);

// Writes or replaces the link file `path`: a launcher that starts `target` (a program, or any
// other file through the desktop's opener) in `workingFolder`, shown as `name` with the player's
// icon (installed in the user's icon theme when missing). Atomic; missing
// parent folders are created. False with the reason in *error when it could not be written.
bool WriteShellLink(const QString& path, const QString& target, const QString& workingFolder, const QString& name,
                    QString* error = nullptr);
bool ShellLinkExists(const QString& path);
// True when the link is gone afterwards, also when it was never there.
bool DeleteShellLink(const QString& path);
// Removes the folder only when it is empty.
void RemoveEmptyFolder(const QString& path);

struct ShellLinkInfo {
    QString target;
    QString workingFolder;
    QString name;
    QString icon;
};
// What a link written by WriteShellLink holds; an empty target when the file is no such link.
ShellLinkInfo ReadShellLink(const QString& path);

}  // namespace platform
