#include "dialogs/favourite_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <filesystem>
#include <system_error>

#include "platform/text_file.h"
#include "player/playlist/playlist_files.h"

namespace dialogs {
namespace {

const QString kIndex = QStringLiteral("Favor.ini");

bool Fail(QString* error, const QString& reason) {
    if (error) *error = reason;
    return false;
}

// The current Favor.ini; a missing file is an empty list, an unreadable one an error.
bool LoadNames(const QString& favorFolder, QStringList* names, QString* error) {
    names->clear();
    if (!QFileInfo::exists(favorFolder + kIndex)) return true;
    return platform::ReadTextLines(favorFolder + kIndex, names, error);
}

bool MakeFolder(const QString& favorFolder, QString* error) {
    if (QDir().mkpath(favorFolder)) return true;
    return Fail(error, QStringLiteral("Cannot create ") + favorFolder);
}

void RemoveOthers(QStringList* names, int keep, const QString& name) {
    for (int i = int(names->size()) - 1; i >= 0; --i)
        if (i != keep && names->at(i) == name) names->removeAt(i);
}

std::filesystem::path NativePath(const QString& path) { return std::filesystem::path(QFile::encodeName(path).toStdString()); }

}  // namespace

FavouriteNameProblem CheckFavouriteName(const QString& name) {
    if (name.isEmpty()) return FavouriteNameProblem::Empty;
    if (name == u"-") return FavouriteNameProblem::Minus;
    for (const QChar c : QStringLiteral("\\/:*?\"<>|"))
        if (name.contains(c)) return FavouriteNameProblem::Forbidden;
    if (name == u"." || name == u"..") return FavouriteNameProblem::Dots;
    for (const QChar c : name)
        if (c.category() == QChar::Other_Control) return FavouriteNameProblem::Control;
    return FavouriteNameProblem::None;
}

QString FavouriteFile(const QString& favorFolder, const QString& name) { return favorFolder + name + QStringLiteral(".kpl"); }

bool AddFavourite(const QString& favorFolder, const QString& name, const QStringList& entries, QString* error) {
    if (CheckFavouriteName(name) != FavouriteNameProblem::None) return Fail(error, QStringLiteral("Invalid name: ") + name);
    QStringList names;
    if (!LoadNames(favorFolder, &names, error)) return false;
    if (!MakeFolder(favorFolder, error)) return false;
    if (!playlist::WriteKpl(FavouriteFile(favorFolder, name), entries, error)) return false;
    names.prepend(name);
    RemoveOthers(&names, 0, name);
    return platform::WriteTextLines(favorFolder + kIndex, names, error);
}

bool RenameFavourite(const QString& favorFolder, const QString& oldName, const QString& newName, QString* error) {
    // The old name comes from Favor.ini, which anyone may have edited: it must not reach outside.
    for (const QString& name : {oldName, newName})
        if (CheckFavouriteName(name) != FavouriteNameProblem::None) return Fail(error, QStringLiteral("Invalid name: ") + name);
    QStringList names;
    if (!LoadNames(favorFolder, &names, error)) return false;
    if (!MakeFolder(favorFolder, error)) return false;
    const QString from = FavouriteFile(favorFolder, oldName);
    const QString to = FavouriteFile(favorFolder, newName);
    std::error_code code;
    if (QFileInfo::exists(from)) {
        // One rename replaces the file of the new name, so no step leaves both files gone.
        std::filesystem::rename(NativePath(from), NativePath(to), code);
    } else if (QFileInfo::exists(to)) {
        std::filesystem::remove(NativePath(to), code);
    }
    if (code) return Fail(error, QStringLiteral("Cannot rename ") + from + QStringLiteral(": ") + QString::fromStdString(code.message()));
    int at = int(names.indexOf(oldName));
    if (at < 0) {
        names.append(newName);
        at = int(names.size()) - 1;
    }
    names[at] = newName;
    RemoveOthers(&names, at, newName);
    return platform::WriteTextLines(favorFolder + kIndex, names, error);
}

QStringList RenamedList(QStringList names, int selected, const QString& newName) {
    if (selected < 0 || selected >= names.size()) return names;
    names[selected] = newName;
    RemoveOthers(&names, selected, newName);
    return names;
}

}  // namespace dialogs
