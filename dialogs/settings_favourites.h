// The favourites store as the settings dialog's favourites page sees it: the folder "Favor/" of
// the install folder, its name list "Favor.ini" and one playlist "<name>.kpl" per favourite.
#pragma once

#include <QString>
#include <QStringList>

// A name from Favor.ini that may reach a file operation: a plain file-name part, never a path.
bool SafeFavouriteName(const QString& name);

// The names of Favor.ini, in file order, that are safe and whose playlist exists. A missing
// Favor.ini gives none; an unreadable one gives false with the reason in *error.
bool ReadFavouriteNames(const QString& favorFolder, QStringList* names, QString* error);

// Saves the names over Favor.ini, creating the folder when missing; false with the reason.
bool WriteFavouriteNames(const QString& favorFolder, const QStringList& names, QString* error);

// Deletes every playlist of the folder and Favor.ini; the folder itself stays.
void DeleteAllFavourites(const QString& favorFolder);
