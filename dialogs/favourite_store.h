// The favourites folder's writes: a playlist saved under a new name, a favourite renamed with its
// file, the name list Favor.ini kept in step. Every failure is reported, never taken for success.
#pragma once

#include <QString>
#include <QStringList>

namespace dialogs {

enum class FavouriteNameProblem { None, Empty, Minus, Forbidden, Dots, Control };

// A name the store takes: not empty, not "-" (the menu's separator), none of \ / : * ? " < > |,
// not "." or ".." (names of folders, not files), no control character (each name is one line of
// Favor.ini). Dots inside a name ("Hits...", "Vol..2") are ordinary characters of a file name.
FavouriteNameProblem CheckFavouriteName(const QString& name);

// `favorFolder` ends in "/". The file of a favourite: folder + name + ".kpl".
QString FavouriteFile(const QString& favorFolder, const QString& name);

// Saves `entries` as the favourite `name` and puts the name first in Favor.ini, read afresh, with
// any other line of exactly that name removed. False with the reason in *error; Favor.ini is not
// rewritten when it exists but cannot be read.
bool AddFavourite(const QString& favorFolder, const QString& name, const QStringList& entries, QString* error);

// Renames favourite `oldName` to `newName`: the old file replaces any file of the new name
// (atomically), and Favor.ini, read afresh, gets the new name in the old one's line with other
// lines of exactly the new name removed. False with the reason in *error.
bool RenameFavourite(const QString& favorFolder, const QString& oldName, const QString& newName, QString* error);

// The shown list after a rename: item `selected` becomes `newName` and every other item equal to
// it (exactly) goes.
QStringList RenamedList(QStringList names, int selected, const QString& newName);

}  // namespace dialogs
