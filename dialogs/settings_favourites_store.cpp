#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "dialogs/settings_favourites.h"
#include "platform/text_file.h"

namespace {
const QString kListName = QStringLiteral("Favor.ini");
}

bool SafeFavouriteName(const QString& name) {
    // The store is also written by hand and by older copies: a name that climbs out of the
    // folder or names a sub-folder is not a favourite. Dots inside a name ("Hits...") are not.
    return !name.isEmpty() && !name.contains(u'/') && !name.contains(u'\\') && name != u"." && name != u".."
           && !name.contains(QChar(0));
}

bool ReadFavouriteNames(const QString& favorFolder, QStringList* names, QString* error) {
    names->clear();
    const QString list = favorFolder + kListName;
    if (!QFileInfo(list).exists()) return true;
    QStringList lines;
    if (!QFileInfo(list).isFile() || !platform::ReadTextLines(list, &lines, error)) {
        if (error && error->isEmpty()) *error = QStringLiteral("Cannot read %1").arg(list);
        return false;
    }
    for (const QString& line : lines)
        if (SafeFavouriteName(line) && QFileInfo(favorFolder + line + QStringLiteral(".kpl")).isFile())
            names->append(line);
    return true;
}

bool WriteFavouriteNames(const QString& favorFolder, const QStringList& names, QString* error) {
    QDir().mkpath(favorFolder);
    return platform::WriteTextLines(favorFolder + kListName, names, error);
}

void DeleteAllFavourites(const QString& favorFolder) {
    const QDir folder(favorFolder);
    for (const QString& file : folder.entryList({QStringLiteral("*.kpl")}, QDir::Files | QDir::Hidden | QDir::System))
        QFile::remove(folder.filePath(file));
    QFile::remove(favorFolder + kListName);
}
