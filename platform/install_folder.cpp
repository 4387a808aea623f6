#include "platform/install_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <unistd.h>

namespace platform {

static QString WithSlash(QString folder) {
    if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    return folder;
}

// Copies the shipped tree into the per-user folder; files the user already has stay untouched.
static void Seed(const QString& from, const QString& to) {
    for (const char* sub : {"Plugins", "skins", "Favor"}) {
        const QString src = from + QLatin1String(sub);
        QDir().mkpath(to + QLatin1String(sub));
        QDirIterator it(src, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString file = it.next();
            const QString target = to + QLatin1String(sub) + file.mid(src.size());
            if (QFileInfo::exists(target)) continue;
            QDir().mkpath(QFileInfo(target).absolutePath());
            QFile::copy(file, target);
        }
    }
}

QString InstallFolderFor(const QString& programFolder) {
    const QString folder = WithSlash(programFolder);
    if (::access(QFile::encodeName(folder).constData(), W_OK) == 0) return folder;
    QString data = QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME"));
    if (data.isEmpty()) data = QDir::homePath() + QLatin1String("/.local/share");
    const QString user = WithSlash(data) + QLatin1String("velmora/");
    QDir().mkpath(user);
    Seed(folder, user);
    return user;
}

QString InstallFolder() { return InstallFolderFor(QCoreApplication::applicationDirPath()); }

}  // namespace platform
