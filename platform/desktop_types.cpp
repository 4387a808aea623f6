#include "platform/desktop_types.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <memory>
#include <utility>

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

constexpr int kRebuildWaitMs = 60000;

int g_deferrals = 0;
bool g_rebuildWanted = false;
QPointer<QProcess> g_runningRebuild;

QString MimeTool() { return QStandardPaths::findExecutable(QStringLiteral("update-mime-database")); }

bool Succeeded(const QProcess& process) {
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

QString RebuildFailure(const QString& folder, QProcess& process) {
    return QStringLiteral("update-mime-database %1: %2")
        .arg(folder, QString::fromLocal8Bit(process.readAllStandardError()).trimmed());
}

// The desktop reads the database built from the packages, never the packages themselves.
bool RebuildMimeDatabase(QString* error) {
    // Two runs at once over one folder would each write the caches.
    WaitForMimeDatabaseRebuild(kRebuildWaitMs);
    const QString tool = MimeTool();
    if (tool.isEmpty()) return true;
    QProcess process;
    process.start(tool, {MimeFolder()});
    if (!process.waitForFinished(kRebuildWaitMs) || !Succeeded(process)) {
        process.kill();
        return Fail(error, RebuildFailure(MimeFolder(), process));
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
    if (g_deferrals > 0) {
        g_rebuildWanted = true;
        return true;
    }
    return RebuildMimeDatabase(error);
}

MimeRebuildDeferral::MimeRebuildDeferral() : outerWanted_(g_rebuildWanted) {
    ++g_deferrals;
    g_rebuildWanted = false;
}

MimeRebuildDeferral::~MimeRebuildDeferral() {
    --g_deferrals;
    // An outer deferral still owes what an inner one noted and did not run.
    g_rebuildWanted = outerWanted_ || (g_deferrals > 0 && g_rebuildWanted);
}

bool MimeRebuildDeferral::Wanted() const { return g_rebuildWanted; }

QProcess* StartMimeDatabaseRebuild(QObject* owner, std::function<void(bool ok, const QString& error)> done) {
    WaitForMimeDatabaseRebuild(kRebuildWaitMs);
    const QString tool = MimeTool();
    if (tool.isEmpty()) {
        done(true, QString());
        return nullptr;
    }
    auto* process = new QProcess(owner);
    const QString folder = MimeFolder();
    // Whichever comes first (an error to start, or the end) reports once.
    auto report = std::make_shared<std::function<void(bool, const QString&)>>(std::move(done));
    const auto finish = [process, folder, report](bool ok) {
        if (!*report) return;
        const auto call = std::exchange(*report, nullptr);
        call(ok, ok ? QString() : RebuildFailure(folder, *process));
        process->deleteLater();
    };
    QObject::connect(process, &QProcess::finished, process, [process, finish] { finish(Succeeded(*process)); });
    QObject::connect(process, &QProcess::errorOccurred, process, [finish](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart) finish(false);
    });
    g_runningRebuild = process;
    process->start(tool, {folder});
    return process;
}

bool WaitForMimeDatabaseRebuild(int timeoutMs) {
    QProcess* const running = g_runningRebuild.data();
    if (!running || running->state() == QProcess::NotRunning) return true;
    if (running->waitForFinished(timeoutMs)) return true;
    running->kill();
    running->waitForFinished(1000);
    return false;
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
