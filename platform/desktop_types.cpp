#include "platform/desktop_types.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>

#include "names/shell_names.h"

namespace platform {

namespace {

QString Name(const char16_t* name) { return QString::fromUtf16(name); }

// Empty when neither the variable nor a home folder tells it: nothing is put at the top of the
// file system.
QString DataHome() {
    const QString value = qEnvironmentVariable("XDG_DATA_HOME");
    if (QDir::isAbsolutePath(value)) return QDir::cleanPath(value);
    const QString home = qEnvironmentVariable("HOME");
    if (!QDir::isAbsolutePath(home) || QDir::cleanPath(home) == QLatin1String("/")) return QString();
    return QDir::cleanPath(home) + QStringLiteral("/.local/share");
}

QString MimeFolder() { return DataHome() + QStringLiteral("/mime"); }
QString IconFolder() { return DataHome() + QStringLiteral("/icons/hicolor/scalable"); }

struct Shipped {
    QString resource;
    QString target;
};

QList<Shipped> Icons() {
    QList<Shipped> icons{{QStringLiteral(":/desktop/velmora.svg"),
                          IconFolder() + QStringLiteral("/apps/") + Name(names::kDesktopEntryIcon) + QStringLiteral(".svg")}};
    for (const names::OwnMimeType& type : names::kOwnMimeTypes)
        icons.append({QStringLiteral(":/desktop/") + Name(type.icon) + QStringLiteral(".svg"),
                      IconFolder() + QStringLiteral("/mimetypes/") + Name(type.icon) + QStringLiteral(".svg")});
    return icons;
}

bool Fail(QString* error, const QString& reason) {
    if (error) *error = reason;
    return false;
}

// Writes the shipped file where it belongs unless the same bytes are there; *changed says whether
// it wrote.
bool Place(const Shipped& file, bool* changed, QString* error) {
    QFile source(file.resource);
    if (!source.open(QIODevice::ReadOnly)) return Fail(error, QStringLiteral("Missing %1").arg(file.resource));
    const QByteArray bytes = source.readAll();
    QFile current(file.target);
    if (current.open(QIODevice::ReadOnly) && current.readAll() == bytes) return true;
    current.close();
    if (!QDir().mkpath(QFileInfo(file.target).absolutePath()))
        return Fail(error, QStringLiteral("Cannot create %1").arg(QFileInfo(file.target).absolutePath()));
    QSaveFile out(file.target);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
        return Fail(error, QStringLiteral("Cannot write %1: %2").arg(file.target, out.errorString()));
    *changed = true;
    return true;
}

// The desktop reads the database built from the packages, never the packages themselves.
bool RebuildMimeDatabase(QString* error) {
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("update-mime-database"));
    if (tool.isEmpty()) return true;
    QProcess process;
    process.start(tool, {MimeFolder()});
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        process.kill();
        return Fail(error, QStringLiteral("update-mime-database %1: %2")
                               .arg(MimeFolder(), QString::fromLocal8Bit(process.readAllStandardError()).trimmed()));
    }
    return true;
}

void RemoveFile(const QString& path, QStringList* failures) {
    if (QFileInfo::exists(path) && !QFile::remove(path)) failures->append(path);
}

// The folder and its parents up to `top`, each only while empty.
void PruneEmptyFolders(QString folder, const QString& top) {
    while (folder.startsWith(top) && QDir().rmdir(folder)) folder = QFileInfo(folder).absolutePath();
}

}  // namespace

QString OwnMimeType(const QString& extension) {
    for (const names::OwnMimeType& type : names::kOwnMimeTypes)
        if (extension.compare(Name(type.extension), Qt::CaseInsensitive) == 0) return Name(type.type);
    return QString();
}

QString MimePackageFile() { return MimeFolder() + QStringLiteral("/packages/") + Name(names::kMimePackage); }

QStringList DesktopIconFiles() {
    QStringList files;
    for (const Shipped& icon : Icons()) files.append(icon.target);
    return files;
}

bool InstallDesktopIcons(QString* error) {
    if (DataHome().isEmpty()) return true;
    bool changed = false;
    for (const Shipped& icon : Icons())
        if (!Place(icon, &changed, error)) return false;
    return true;
}

bool InstallDesktopTypes(QString* error) {
    if (DataHome().isEmpty()) return true;
    if (!InstallDesktopIcons(error)) return false;
    bool changed = false;
    if (!Place({QStringLiteral(":/desktop/velmora-mime.xml"), MimePackageFile()}, &changed, error)) return false;
    // A database missing or older than the package (a rebuild that failed before) is built too.
    const QFileInfo cache(MimeFolder() + QStringLiteral("/mime.cache"));
    if (!changed && cache.exists() && cache.lastModified() >= QFileInfo(MimePackageFile()).lastModified()) return true;
    return RebuildMimeDatabase(error);
}

void RemoveDesktopTypes(QStringList* failures) {
    if (DataHome().isEmpty()) return;
    const QString package = MimePackageFile();
    if (QFileInfo::exists(package)) {
        RemoveFile(package, failures);
        const QString packages = QFileInfo(package).absolutePath();
        // Everything in the MIME folder but the packages is built from them: with none left, the
        // whole folder is the player's leftover.
        if (QDir(packages).isEmpty()) {
            if (!QDir(MimeFolder()).removeRecursively()) failures->append(MimeFolder());
        } else if (QString error; !RebuildMimeDatabase(&error)) {
            failures->append(error);
        }
    }
    for (const QString& icon : DesktopIconFiles()) {
        RemoveFile(icon, failures);
        PruneEmptyFolders(QFileInfo(icon).absolutePath(), DataHome() + QStringLiteral("/icons"));
    }
}

}  // namespace platform
