#include "platform/install_folder.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QStringView>
#include <unistd.h>

#include <algorithm>

#include "names/shell_names.h"

namespace platform {

namespace {

// Path (relative to the per-user folder) and hash of every shipped file as it was copied in,
// so an upgrade can tell an untouched copy from one the user edited.
const QString kManifestName = QString::fromUtf16(names::kSeededRecord);
const char* const kShippedFolders[] = {"Plugins", "skins", "Favor"};
// What the user had in the program folder while it was writable.
const char* const kUserFiles[] = {"setup.ini", "velmora.kpl"};

QString WithSlash(QString folder) {
    if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    return folder;
}

QByteArray FileHash(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file)) return {};
    return hash.result().toHex();
}

using Manifest = QHash<QString, QByteArray>;

Manifest ReadManifest(const QString& path) {
    Manifest manifest;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return manifest;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const int tab = int(line.indexOf('\t'));
        if (tab > 0) manifest.insert(QString::fromUtf8(line.mid(tab + 1)), line.left(tab));
    }
    return manifest;
}

bool WriteManifest(const QString& path, const Manifest& manifest) {
    QByteArray bytes;
    QStringList names = manifest.keys();
    names.sort();
    for (const QString& name : names) bytes += manifest.value(name) + '\t' + name.toUtf8() + '\n';
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

// Replaces the target in one step, so a player killed half-way never finds half a library.
bool CopyOver(const QString& from, const QString& to) {
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly)) return false;
    QDir().mkpath(QFileInfo(to).absolutePath());
    QSaveFile target(to);
    if (!target.open(QIODevice::WriteOnly)) return false;
    const QByteArray bytes = source.readAll();
    if (target.write(bytes) != bytes.size() || !target.commit()) return false;
    QFile::setPermissions(to, source.permissions() | QFile::WriteOwner);
    return true;
}

// Files the user edits in place: settings and lists, favourites, the menu, presets, stations.
bool UserEditable(const QString& relative) {
    const QString suffix = QFileInfo(relative).suffix().toLower();
    return relative.startsWith(QLatin1String("Favor/")) || suffix == QLatin1String("ini") ||
           suffix == QLatin1String("kpl") || suffix == QLatin1String("m3u") || suffix == QLatin1String("pls");
}

// One shipped file against the user's copy. A copy still equal to what was seeded follows the
// shipped file; a copy never recorded (seeded before records were kept) follows it too unless
// it is a file the user edits.
void SeedFile(const QString& shipped, const QString& target, const QString& relative, Manifest* manifest) {
    const QByteArray shippedHash = FileHash(shipped);
    if (shippedHash.isEmpty()) return;
    if (!QFileInfo::exists(target)) {
        if (CopyOver(shipped, target)) manifest->insert(relative, shippedHash);
        return;
    }
    const QByteArray current = FileHash(target);
    if (current == shippedHash) {
        manifest->insert(relative, shippedHash);
        return;
    }
    const auto seeded = manifest->constFind(relative);
    const bool untouched = seeded != manifest->cend() ? current == *seeded : !UserEditable(relative);
    if (untouched && CopyOver(shipped, target)) manifest->insert(relative, shippedHash);
}

void Seed(const QString& from, const QString& to) {
    const QString manifestPath = to + kManifestName;
    Manifest manifest = ReadManifest(manifestPath);
    const Manifest before = manifest;
    for (const char* sub : kShippedFolders) {
        const QString src = from + QLatin1String(sub);
        QDir().mkpath(to + QLatin1String(sub));
        QDirIterator it(src, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString file = it.next();
            const QString relative = QLatin1String(sub) + file.mid(src.size());
            SeedFile(file, to + relative, relative, &manifest);
        }
    }
    if (manifest != before || !QFileInfo::exists(manifestPath)) WriteManifest(manifestPath, manifest);
}

// The first use of the per-user folder takes over what the user kept in the program folder.
// Nothing already in the per-user folder is replaced.
void TakeOver(const QString& from, const QString& to) {
    for (const char* name : kUserFiles) {
        if (QFileInfo::exists(from + QLatin1String(name)) && !QFileInfo::exists(to + QLatin1String(name)))
            QFile::copy(from + QLatin1String(name), to + QLatin1String(name));
    }
    const QString favor = from + QStringLiteral("Favor");
    QDirIterator it(favor, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target = to + QStringLiteral("Favor") + file.mid(favor.size());
        if (QFileInfo::exists(target)) continue;
        QDir().mkpath(QFileInfo(target).absolutePath());
        QFile::copy(file, target);
    }
}

}  // namespace

QString PerUserInstallFolder() {
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (data.isEmpty()) data = QDir::homePath() + QLatin1String("/.local/share");
    return WithSlash(data) + QLatin1String("velmora/");
}

InstallFolderChoice ChooseInstallFolder(const QString& programFolder) {
    const QString folder = WithSlash(programFolder);
    if (::access(QFile::encodeName(folder).constData(), W_OK) == 0) return {folder, {}};
    return ChoosePerUserFolder(folder, PerUserInstallFolder());
}

InstallFolderChoice ChoosePerUserFolder(const QString& programFolder, const QString& userFolder) {
    const QString folder = WithSlash(programFolder);
    const QString user = WithSlash(userFolder);
    QDir().mkpath(user);
    // The record of seeded files exists from the first use on.
    const bool firstUse = !QFileInfo::exists(user + kManifestName);
    if (firstUse) TakeOver(folder, user);
    Seed(folder, user);
    InstallFolderChoice choice{user, {}};
    if (firstUse) {
        choice.notice = QStringLiteral("程序文件夹 %1 不能写入，设置、播放列表和收藏改存在 %2 中"
                                       "（原有的已复制过去）。  ")
                            .arg(QDir::toNativeSeparators(folder), QDir::toNativeSeparators(user));
    }
    return choice;
}

QString InstallFolderFor(const QString& programFolder) { return ChooseInstallFolder(programFolder).folder; }

QString InstallFolder() { return InstallFolderFor(QCoreApplication::applicationDirPath()); }

namespace {

// A save writes "<name>.XXXXXX" beside its target and renames it over the target. Matched by
// hand: a pattern here would load and compile the regular-expression engine on every start.
bool IsSaveLeftover(const QString& name) {
    constexpr qsizetype kTagLength = 6;
    for (const QLatin1String target : {QLatin1String("setup.ini."), QLatin1String("velmora.kpl."), QLatin1String(".shipped.")}) {
        if (name.size() != target.size() + kTagLength || !name.startsWith(target)) continue;
        const QStringView tag = QStringView(name).mid(target.size());
        return std::all_of(tag.begin(), tag.end(), [](QChar c) {
            return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9');
        });
    }
    return false;
}

}  // namespace

void RemoveSaveLeftovers(const QString& folder) {
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (IsSaveLeftover(name)) QFile::remove(dir.filePath(name));
    }
}

}  // namespace platform
