// The install folder and its files: where it is, whether it may be emptied, and removal of the
// shipped files by exact path, never outside the folder.
#pragma once

#include <QString>

#include "uninstall/failures.h"

namespace uninstall {

// The name of the install's Plugins folder, where the uninstaller lives.
QString PluginsFolder();

// The install folder of the uninstaller at `programPath`: the parent of its own folder when that
// folder is the install's Plugins folder, links resolved, ending in "/"; empty otherwise.
QString InstallFolderOf(const QString& programPath);

// Why the uninstaller must not empty this folder (the root, the home folder or one above it, a
// system folder, a per-user base folder); empty when it may. `folder` is resolved.
QString UnsafeInstallFolder(const QString& folder);

// Removes files and folders inside one install folder. Every path is exact and relative to the
// folder; the folder holding an item must resolve to a place inside the install folder, so a
// linked folder never leads the removal elsewhere, and a link is removed as a link, its target
// untouched. Missing items are no failure; a folder that still holds other files stays and is no
// failure either; anything else that could not go is recorded.
class FileRemover {
public:
    explicit FileRemover(const QString& installFolder);

    void RemoveFile(const QString& relative);
    // Only when empty. A link in place of the folder goes as a link.
    void RemoveFolder(const QString& relative);
    // Every entry of the folder that is not a folder itself (files and links), when its name ends
    // in `suffix` (all names for an empty suffix).
    void RemoveFilesIn(const QString& relative, const QString& suffix = QString());
    // The install folder itself, once empty.
    void RemoveInstallFolder();

    const QString& InstallFolder() const { return root_; }
    const Failures& failures() const { return failures_; }

private:
    bool ParentInside(const QString& path) const;
    void Fail(const QString& path, int error);

    QString root_;  // resolved, ending in "/"
    Failures failures_;
};

// The shipped files in their fixed order: the default skin's files and folder, the skins folder,
// the favourites, the Plugins files, the install folder's own files. The Plugins folder and the
// install folder are left for RemoveProgramItself.
void DeleteProgramFiles(FileRemover& remover);

// Whether the player kept its files in the per-user folder instead of this install folder: it
// does so when it cannot write the install folder (a system-wide install), as the uninstaller
// finds it now.
bool UsesPerUserFolder(const QString& installFolder);
// The per-user folder's shipped files and the user's settings, playlist and favourites, the same
// as an install folder's, then the folder itself when empty (files of the user's own stay). What
// could not be removed is appended.
void DeletePerUserFolder(Failures* failures);

// The uninstaller's own file, then the Plugins folder and the install folder when empty. A
// running program may remove its own file on Linux, so nothing is left behind to finish later.
void RemoveProgramItself(FileRemover& remover, const QString& programPath);

}  // namespace uninstall
