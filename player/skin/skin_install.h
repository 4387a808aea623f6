// The skins folder's list and the install of one of its entries into the current-skin folder
// (install folder + "skins/default/", which the skin loader reads). An install is built in a
// staging folder and swapped in only when it succeeded, so a bad archive or folder leaves the
// current skin as it was.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>

#include "platform/shared_library.h"

// The list entry of the built-in look, which has no files.
QString BuiltInSkinEntry();

// The entries of a skins folder, in the file system's order: folders holding main.bmp (not
// "default"), .wsz archives, .zip archives under 1 MB and .vsz files that are zip archives; an
// archive is left out when a folder or another entry holds its base name. The built-in entry is
// not among them.
QStringList ListSkinFolder(const QString& folder);

// Plugins/explain.dll, bound for the life of the object.
class SkinArchiveLibrary {
public:
    explicit SkinArchiveLibrary(const QString& libraryFile);
    SkinArchiveLibrary(const SkinArchiveLibrary&) = delete;
    SkinArchiveLibrary& operator=(const SkinArchiveLibrary&) = delete;

    bool isBound() const { return function_ != nullptr; }
    // Unpacks archive into the existing folder; false with the user's reason in *error.
    bool Unzip(const QString& archive, const QString& folder, QString* error) const;

private:
    platform::SharedLibrary library_;
    void* function_ = nullptr;
};

// The program's binding of installFolder + "Plugins/explain.dll", made at the first use and made
// again while the library could not be bound.
const SkinArchiveLibrary& SkinUnzipLibrary(const QString& installFolder);

// Makes `entry` of skinsPath (ends in "/") the current skin of installFolder (ends in "/"): the
// built-in entry removes the current-skin folder; a folder is copied and an archive unpacked,
// names lower-cased, balance.bmp made from volume.bmp when the skin lacks it. False with the
// user's reason in *error, the current skin untouched.
bool InstallSkin(const QString& installFolder, const QString& skinsPath, const QString& entry,
                 const SkinArchiveLibrary& library, QString* error);
