// The player's own folders stay private in a benchmark: registry, session and data go under a
// temporary home, and windows go to the offscreen platform unless another is asked for.
#pragma once

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <cstdio>
#include <cstdlib>

namespace bench {

// Every file under from, copied to the same place under to.
inline void CopyTree(const QString& from, const QString& to) {
    QDirIterator it(from, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target = to + file.mid(from.size());
        QDir().mkpath(QFileInfo(target).absolutePath());
        QFile::copy(file, target);
    }
}


inline void UsePrivateHome(const QString& home) {
    for (const char* sub : {"runtime", "config", "data"}) QDir(home).mkpath(QString::fromLatin1(sub));
    QFile::setPermissions(home + "/runtime", QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    setenv("XDG_RUNTIME_DIR", QFile::encodeName(home + "/runtime").constData(), 1);
    setenv("XDG_CONFIG_HOME", QFile::encodeName(home + "/config").constData(), 1);
    setenv("XDG_DATA_HOME", QFile::encodeName(home + "/data").constData(), 1);
    // The desktop folder too: a first-run setup writes its shortcuts there.
    QDir(home).mkpath(QStringLiteral("desktop"));
    QFile dirs(home + QStringLiteral("/config/user-dirs.dirs"));
    if (dirs.open(QIODevice::WriteOnly)) dirs.write("XDG_DESKTOP_DIR=\"" + QFile::encodeName(home) + "/desktop\"\n");
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
}

// An install folder under home holding only the built skin library, so the player wears the
// built-in skin; its path, ending in "/".
inline QString InstallWithBuiltInSkin(const QString& home) {
    QDir(home).mkpath(QStringLiteral("install/Plugins"));
    const QString install = home + QStringLiteral("/install/");
    const QString builtIn = QFileInfo(QStringLiteral(VELMORA_PROGRAM)).absolutePath() + QStringLiteral("/Plugins/skins.dll");
    if (!QFile::copy(builtIn, install + QStringLiteral("Plugins/skins.dll")))
        std::printf("note: no built-in skin at %s; the figures are for empty bitmaps\n", qPrintable(builtIn));
    // The windows' menus are read from it: without it the video window stops on an error box.
    QFile::copy(QStringLiteral(VELMORA_BUILT_INSTALL_DIR "/Plugins/MenuPlus.ini"), install + QStringLiteral("Plugins/MenuPlus.ini"));
    return install;
}

// An install folder under home holding a copy of the built plug-ins; its path, ending in "/".
inline QString InstallWithBuiltPlugins(const QString& home) {
    const QString install = home + QStringLiteral("/install/");
    const QString built = QStringLiteral(VELMORA_BUILT_INSTALL_DIR "/Plugins/");
    QDir().mkpath(install + QStringLiteral("Plugins"));
    for (const QString& file : QDir(built).entryList(QDir::Files))
        QFile::copy(built + file, install + QStringLiteral("Plugins/") + file);
    return install;
}

}  // namespace bench
