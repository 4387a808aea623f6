#include "platform/shell_links.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringList>

#include "names/shell_names.h"
#include "platform/desktop_types.h"

namespace platform {

namespace {

// Qt answers "/" for a missing home and builds every default folder on it.
bool HomeKnown() {
    const QString home = qEnvironmentVariable("HOME");
    return QDir::isAbsolutePath(home) && QDir::cleanPath(home) != QLatin1String("/");
}

QString AbsoluteEnvironmentFolder(const char* name) {
    const QString value = qEnvironmentVariable(name);
    return QDir::isAbsolutePath(value) ? QDir::cleanPath(value) : QString();
}

QString Usable(const QString& path) {
    if (path.isEmpty() || !QDir::isAbsolutePath(path)) return QString();
    const QString clean = QDir::cleanPath(path);
    return clean == QLatin1String("/") ? QString() : clean;
}

QString DesktopFolder() {
    const QString path = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    // A desktop named in user-dirs.dirs holds without a home; Qt's own guess does not.
    if (!HomeKnown() && QDir::cleanPath(path) == QDir::cleanPath(QDir::homePath() + QStringLiteral("/Desktop")))
        return QString();
    return Usable(path);
}

QString ProgramsFolder() {
    if (!HomeKnown() && AbsoluteEnvironmentFolder("XDG_DATA_HOME").isEmpty()) return QString();
    return Usable(QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation));
}

// Beside the registry stand-in, which lives in the same config folder.
QString QuickLaunchFolder() {
    QString config = AbsoluteEnvironmentFolder("XDG_CONFIG_HOME");
    if (config.isEmpty()) {
        if (!HomeKnown()) return QString();
        config = QDir::homePath() + QStringLiteral("/.config");
    }
    return Usable(config + QStringLiteral("/velmora/Quick Launch"));
}

// A file the desktop can start itself, or one it must open with its viewer. A program not built
// yet (the uninstaller of a fresh install) is known by its name.
bool IsProgram(const QString& target) {
    const QFileInfo info(target);
    if (info.exists()) return info.isFile() && info.isExecutable();
    const QString suffix = info.suffix().toLower();
    return suffix.isEmpty() || suffix == QLatin1String("exe");
}

// The format's rules for one argument of Exec: always quoted, with ", `, $ and \ escaped inside
// the quotes, and "%" doubled so no file name is taken for a field code.
QString QuoteArgument(const QString& argument) {
    QString quoted = QStringLiteral("\"");
    for (const QChar c : argument) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') quoted += u'\\';
        quoted += c;
    }
    quoted += u'"';
    return quoted.replace(u'%', QStringLiteral("%%"));
}

// The escapes of the format's string values.
QString EscapeValue(const QString& value) {
    QString escaped;
    for (const QChar c : value) {
        switch (c.unicode()) {
        case u'\\': escaped += QStringLiteral("\\\\"); break;
        case u'\n': escaped += QStringLiteral("\\n"); break;
        case u'\r': escaped += QStringLiteral("\\r"); break;
        case u'\t': escaped += QStringLiteral("\\t"); break;
        default: escaped += c;
        }
    }
    if (escaped.startsWith(u' ')) escaped.replace(0, 1, QStringLiteral("\\s"));
    return escaped;
}

QString UnescapeValue(const QString& value) {
    QString plain;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != u'\\' || i + 1 == value.size()) {
            plain += value[i];
            continue;
        }
        const QChar next = value[++i];
        if (next == u'n') plain += u'\n';
        else if (next == u'r') plain += u'\r';
        else if (next == u't') plain += u'\t';
        else if (next == u's') plain += u' ';
        else plain += next;
    }
    return plain;
}

QStringList SplitArguments(const QString& exec) {
    QStringList arguments;
    QString current;
    bool inQuotes = false, started = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        if (inQuotes && c == u'\\' && i + 1 < exec.size()) {
            current += exec[++i];
        } else if (c == u'"') {
            inQuotes = !inQuotes;
            started = true;
        } else if (c == u' ' && !inQuotes) {
            if (started) arguments << current.replace(QStringLiteral("%%"), QStringLiteral("%"));
            current.clear();
            started = false;
        } else {
            current += c;
            started = true;
        }
    }
    if (started) arguments << current.replace(QStringLiteral("%%"), QStringLiteral("%"));
    return arguments;
}

}  // namespace

QString ShellFolderPath(ShellFolder folder) {
    switch (folder) {
    case ShellFolder::Desktop: return DesktopFolder();
    case ShellFolder::Programs: return ProgramsFolder();
    case ShellFolder::QuickLaunch: return QuickLaunchFolder();
    }
    return QString();
}

QString ShellLinkPath(ShellFolder folder, const QString& name) {
    const QString base = ShellFolderPath(folder);
    return base.isEmpty() ? QString() : base + u'/' + name;
}

bool WriteShellLink(const QString& path, const QString& target, const QString& workingFolder, const QString& name,
                    QString* error) {
    const auto fail = [&](const QString& reason) {
        if (error) *error = reason;
        return false;
    };
    if (!QDir::isAbsolutePath(path)) return fail(QStringLiteral("No folder for the link %1").arg(name));
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) return fail(QStringLiteral("Cannot create %1").arg(folder));
    const QString command =
        IsProgram(target) ? QuoteArgument(target) : QStringLiteral("xdg-open ") + QuoteArgument(target);
    QString text = QStringLiteral("[Desktop Entry]\nVersion=1.0\nType=Application\n");
    text += QStringLiteral("Name=") + EscapeValue(name) + u'\n';
    text += QStringLiteral("Exec=") + EscapeValue(command) + u'\n';
    text += QStringLiteral("Path=") + EscapeValue(workingFolder) + u'\n';
    // Every launcher wears the player's icon; one the theme lacks still starts, so a failure to
    // install it fails no link.
    InstallDesktopIcons();
    text += QStringLiteral("Icon=") + QString::fromUtf16(names::kDesktopEntryIcon) + u'\n';
    text += QStringLiteral("Terminal=false\n");
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.commit())
        return fail(QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
    // Desktops start a launcher from the desktop folder only when it is executable.
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner | QFileDevice::ExeUser);
    if (error) error->clear();
    return true;
}

bool ShellLinkExists(const QString& path) { return !path.isEmpty() && QFileInfo(path).isFile(); }

bool DeleteShellLink(const QString& path) {
    if (path.isEmpty() || !QFileInfo(path).isFile()) return true;
    return QFile::remove(path);
}

void RemoveEmptyFolder(const QString& path) {
    if (!path.isEmpty()) QDir().rmdir(path);
}

ShellLinkInfo ReadShellLink(const QString& path) {
    ShellLinkInfo info;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return info;
    bool inEntry = false;
    QString exec;
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith(u'[')) {
            inEntry = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (!inEntry || equals < 0) continue;
        const QString key = line.left(equals).trimmed();
        const QString value = UnescapeValue(line.mid(equals + 1).trimmed());
        if (key == QLatin1String("Exec")) exec = value;
        else if (key == QLatin1String("Path")) info.workingFolder = value;
        else if (key == QLatin1String("Name")) info.name = value;
        else if (key == QLatin1String("Icon")) info.icon = value;
    }
    const QStringList arguments = SplitArguments(exec);
    if (arguments.size() == 2 && arguments[0] == QLatin1String("xdg-open")) info.target = arguments[1];
    else if (arguments.size() == 1) info.target = arguments[0];
    return info;
}

}  // namespace platform
