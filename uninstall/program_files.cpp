#include "uninstall/program_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <array>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include "names/shell_names.h"
#include "platform/install_folder.h"

namespace uninstall {

namespace {

QString Name(const char16_t* text) { return QString::fromUtf16(text); }

QString WithSlash(QString folder) {
    if (!folder.endsWith(u'/')) folder += u'/';
    return folder;
}

QString Resolved(const QString& path) {
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? QString() : canonical;
}

// A folder that does not exist yet is still to be protected.
QString ResolvedOrClean(const QString& path) {
    if (path.isEmpty()) return {};
    const QString resolved = Resolved(path);
    return resolved.isEmpty() ? QDir::cleanPath(path) : resolved;
}

bool IsSameOrAbove(const QString& folder, const QString& other) {
    if (other.isEmpty()) return false;
    const QString a = WithSlash(folder), b = WithSlash(other);
    return b.startsWith(a);
}

// Folders of the system itself, besides the root's own children (all of which count).
constexpr std::array kSystemFolders = {
    "/usr/bin",   "/usr/sbin",       "/usr/lib",       "/usr/lib32",     "/usr/lib64",
    "/usr/libx32", "/usr/libexec",   "/usr/include",   "/usr/share",     "/usr/src",
    "/usr/games", "/usr/local",      "/usr/local/bin", "/usr/local/sbin", "/usr/local/lib",
    "/usr/local/share", "/usr/local/include", "/usr/local/etc", "/var/lib", "/var/cache",
    "/var/log",   "/var/tmp",        "/var/spool",     "/var/mail",      "/var/opt",
    "/var/local", "/var/backups",    "/etc/opt"};

QByteArray Bytes(const QString& path) { return QFile::encodeName(path); }

bool LinkStat(const QString& path, struct stat* st) { return ::lstat(Bytes(path).constData(), st) == 0; }

// The Plugins folder's shipped files, in the order they go.
QStringList PluginsFiles() {
    const QString p = PluginsFolder() + u'/';
    return {p + "BCSCode.dll",          p + "BCSPlus.ini",
            p + "cdrun.dll",            p + "change.dll",
            p + "EQPlus.ini",           p + "explain.dll",
            p + "FilePlus.ini",         p + "input.dll",
            Name(names::kMenuExtPlayPage), Name(names::kMenuExtPlayAllPage),
            p + "MenuPlus.ini",         p + "output.dll",
            p + "Run.htm",              p + "skins.dll",
            p + "velmora.htm",          p + "SWFLASH.OCX"};
}

}  // namespace

QString PluginsFolder() { return Name(names::kUninstallProgram).section(u'/', 0, 0); }

QString InstallFolderOf(const QString& programPath) {
    const QString program = Resolved(programPath);
    if (program.isEmpty()) return {};
    const QFileInfo own(QFileInfo(program).absolutePath());
    // Exactly the Plugins folder: a folder that merely has "plugins" somewhere in its path is not
    // an install.
    if (own.fileName() != PluginsFolder()) return {};
    const QString parent = own.absolutePath();
    return parent.isEmpty() ? QString() : WithSlash(parent);
}

QString UnsafeInstallFolder(const QString& folder) {
    const QString path = QDir::cleanPath(folder);
    if (path == QStringLiteral("/") || QFileInfo(path).absolutePath() == QStringLiteral("/"))
        return QStringLiteral("系统文件夹");
    for (const char* system : kSystemFolders) {
        if (path == QLatin1String(system)) return QStringLiteral("系统文件夹");
    }
    const QString home = ResolvedOrClean(QDir::homePath());
    if (IsSameOrAbove(path, home)) return QStringLiteral("主文件夹");
    for (auto location : {QStandardPaths::GenericConfigLocation, QStandardPaths::GenericDataLocation,
                          QStandardPaths::GenericCacheLocation, QStandardPaths::DesktopLocation}) {
        const QString base = ResolvedOrClean(QStandardPaths::writableLocation(location));
        if (!base.isEmpty() && IsSameOrAbove(path, base)) return QStringLiteral("用户文件夹");
    }
    return {};
}

FileRemover::FileRemover(const QString& installFolder) : root_(WithSlash(QDir::cleanPath(installFolder))) {}

bool FileRemover::ParentInside(const QString& path) const {
    const QString parent = Resolved(QFileInfo(path).absolutePath());
    return !parent.isEmpty() && WithSlash(parent).startsWith(root_);
}

void FileRemover::Fail(const QString& path, int error) {
    failures_.append(QStringLiteral("%1（%2）").arg(QDir::toNativeSeparators(path),
                                                 QString::fromLocal8Bit(std::strerror(error))));
}

void FileRemover::RemoveFile(const QString& relative) {
    const QString path = root_ + relative;
    struct stat st;
    if (!LinkStat(path, &st)) return;
    if (S_ISDIR(st.st_mode)) return;  // a folder under a file's name is not ours
    if (!ParentInside(path)) return;  // reached through a link to elsewhere
    if (::unlink(Bytes(path).constData()) != 0 && errno != ENOENT) Fail(path, errno);
}

void FileRemover::RemoveFolder(const QString& relative) {
    const QString path = root_ + relative;
    struct stat st;
    if (!LinkStat(path, &st) || !ParentInside(path)) return;
    const int result = S_ISDIR(st.st_mode) ? ::rmdir(Bytes(path).constData()) : ::unlink(Bytes(path).constData());
    if (result != 0 && errno != ENOENT && errno != ENOTEMPTY && errno != EEXIST) Fail(path, errno);
}

void FileRemover::RemoveFilesIn(const QString& relative, const QString& suffix) {
    const QString folder = root_ + relative;
    struct stat st;
    // A link in place of the folder leads outside: its files are not ours.
    if (!LinkStat(folder, &st) || !S_ISDIR(st.st_mode) || !ParentInside(folder)) return;
    DIR* dir = ::opendir(Bytes(folder).constData());
    if (!dir) {
        Fail(folder, errno);
        return;
    }
    QStringList entries;
    while (const dirent* entry = ::readdir(dir)) {
        const QString name = QFile::decodeName(entry->d_name);
        if (name != QStringLiteral(".") && name != QStringLiteral("..") && name.endsWith(suffix)) entries.append(name);
    }
    ::closedir(dir);
    for (const QString& name : entries) RemoveFile(relative + u'/' + name);
}

void FileRemover::RemoveInstallFolder() {
    if (::rmdir(Bytes(root_).constData()) != 0 && errno != ENOENT && errno != ENOTEMPTY && errno != EEXIST)
        Fail(root_, errno);
}

void DeleteProgramFiles(FileRemover& remover) {
    const QString defaultSkin = Name(names::kDefaultSkinFolder);
    remover.RemoveFilesIn(defaultSkin);
    remover.RemoveFolder(defaultSkin);
    // The install ships no skin archives in the skins folder (the built-in skin is a library in
    // Plugins), so the folder goes at once, and stays when the user added skins of their own.
    remover.RemoveFolder(Name(names::kSkinsFolder));

    const QString favourites = Name(names::kFavouritesFolder);
    remover.RemoveFilesIn(favourites, QStringLiteral(".kpl"));
    remover.RemoveFile(favourites + QStringLiteral("/Favor.ini"));
    remover.RemoveFolder(favourites);

    for (const QString& file : PluginsFiles()) remover.RemoveFile(file);

    // "$temp.swf" is what a projector movie leaves when the player did not end normally.
    for (const QString& file : {QStringLiteral("setup.ini"), QStringLiteral("velmora.ini"),
                                QStringLiteral("velmora.kpl"), Name(names::kPlayerProgram),
                                QStringLiteral("Velmora Player.bmp"),
                                QStringLiteral("$temp.swf")})
        remover.RemoveFile(file);
    for (const char16_t* page : names::kHelpPages) remover.RemoveFile(Name(page));
    remover.RemoveFile(Name(names::kSeededRecord));
    remover.RemoveFolder(Name(names::kHelpFolder));
    platform::RemoveSaveLeftovers(remover.InstallFolder());
}

bool UsesPerUserFolder(const QString& installFolder) {
    if (WithSlash(QDir::cleanPath(installFolder)) == ResolvedOrClean(platform::PerUserInstallFolder()) + u'/') return false;
    return ::access(Bytes(installFolder).constData(), W_OK) != 0;
}

void DeletePerUserFolder(Failures* failures) {
    const QString folder = platform::PerUserInstallFolder();
    if (!QFileInfo(folder).isDir()) return;
    FileRemover remover(ResolvedOrClean(folder));
    DeleteProgramFiles(remover);
    // The first start seeded the whole Plugins folder, the uninstaller among it.
    remover.RemoveFile(Name(names::kUninstallProgram));
    remover.RemoveFolder(PluginsFolder());
    remover.RemoveInstallFolder();
    *failures += remover.failures();
}

void RemoveProgramItself(FileRemover& remover, const QString& programPath) {
    const QString program = Resolved(programPath);
    if (!program.isEmpty() && program.startsWith(remover.InstallFolder()))
        remover.RemoveFile(program.mid(remover.InstallFolder().size()));
    remover.RemoveFolder(PluginsFolder());
    remover.RemoveInstallFolder();
}

}  // namespace uninstall
