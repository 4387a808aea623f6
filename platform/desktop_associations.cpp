#include "platform/desktop_associations.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QMimeDatabase>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <algorithm>
#include <atomic>

#include "names/shell_names.h"
#include "platform/desktop_types.h"

namespace platform {

namespace {

QString Name(const char16_t* name) { return QString::fromUtf16(name); }

std::atomic<int> g_notifications{0};

QString XdgFolder(const char* variable, const char* fallback) {
    const QByteArray value = qgetenv(variable);
    if (!value.isEmpty() && QDir::isAbsolutePath(QFile::decodeName(value))) return QFile::decodeName(value);
    return QDir::homePath() + QLatin1Char('/') + QLatin1String(fallback);
}

bool ReadAll(const QString& path, QByteArray* bytes, QString* error) {
    QFile file(path);
    if (!file.exists()) {
        bytes->clear();
        return true;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("Cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    *bytes = file.readAll();
    return true;
}

bool WriteAll(const QString& path, const QByteArray& bytes, QString* error) {
    // Nothing left in it: a file the player created goes again.
    if (bytes.isEmpty() && QFileInfo(path).isFile()) {
        if (QFile::remove(path)) return true;
        *error = QStringLiteral("Cannot delete %1").arg(path);
        return false;
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit()) return true;
    *error = QStringLiteral("Cannot write %1: %2").arg(path, file.errorString());
    return false;
}

// A key file edited line by line, so comments, other groups and the order of everything the
// player does not change stay byte for byte as the user or another program left them.
class KeyFileLines {
public:
    explicit KeyFileLines(const QByteArray& bytes) {
        if (bytes.isEmpty()) return;
        crlf_ = bytes.contains("\r\n");
        lines_ = bytes.split('\n');
        if (lines_.last().isEmpty()) lines_.removeLast();
        for (QByteArray& line : lines_)
            if (line.endsWith('\r')) line.chop(1);
    }

    QByteArray Bytes() const {
        const QByteArray end = crlf_ ? "\r\n" : "\n";
        QByteArray out;
        for (const QByteArray& line : lines_) out += line + end;
        return out;
    }

    QByteArray Value(const QByteArray& group, const QByteArray& key) const {
        const int at = Find(group, key);
        return at < 0 ? QByteArray() : lines_.at(at).mid(lines_.at(at).indexOf('=') + 1).trimmed();
    }

    // The groups' keys with their values, for a sweep over every list.
    QList<QPair<QByteArray, QByteArray>> Entries(const QByteArray& group) const {
        QList<QPair<QByteArray, QByteArray>> entries;
        const auto [first, last] = GroupRange(group);
        for (int i = first; i >= 0 && i < last; ++i)
            if (const int eq = KeyEnd(lines_.at(i)); eq > 0)
                entries.append({lines_.at(i).left(eq).trimmed(), lines_.at(i).mid(eq + 1).trimmed()});
        return entries;
    }

    void Set(const QByteArray& group, const QByteArray& key, const QByteArray& value) {
        const QByteArray line = key + '=' + value;
        if (const int at = Find(group, key); at >= 0) {
            lines_[at] = line;
            return;
        }
        auto [first, last] = GroupRange(group);
        if (first < 0) {
            if (!lines_.isEmpty() && !lines_.last().trimmed().isEmpty()) lines_.append(QByteArray());
            lines_.append('[' + group + ']');
            lines_.append(line);
            return;
        }
        while (last > first && lines_.at(last - 1).trimmed().isEmpty()) --last;
        lines_.insert(last, line);
    }

    void Remove(const QByteArray& group, const QByteArray& key) {
        if (const int at = Find(group, key); at >= 0) lines_.removeAt(at);
    }

    // A group left with nothing but blank lines goes, with the blank line that Set put before
    // it; one with a comment of the user's stays.
    void RemoveGroupIfEmpty(const QByteArray& group) {
        const auto [first, last] = GroupRange(group);
        if (first < 0) return;
        for (int i = first; i < last; ++i)
            if (!lines_.at(i).trimmed().isEmpty()) return;
        int from = first - 1;
        if (from > 0 && lines_.at(from - 1).trimmed().isEmpty()) --from;
        lines_.erase(lines_.begin() + from, lines_.begin() + last);
    }

private:
    static int KeyEnd(const QByteArray& line) {
        const QByteArray trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith('#') || trimmed.startsWith('[')) return -1;
        return int(line.indexOf('='));
    }

    // Lines after the group's header up to the next header; first is -1 when there is no group.
    std::pair<int, int> GroupRange(const QByteArray& group) const {
        const QByteArray header = '[' + group + ']';
        int first = -1;
        for (int i = 0; i < lines_.size(); ++i) {
            const QByteArray trimmed = lines_.at(i).trimmed();
            if (!trimmed.startsWith('[')) continue;
            if (first >= 0) return {first, i};
            if (trimmed == header) first = i + 1;
        }
        return {first, int(lines_.size())};
    }

    int Find(const QByteArray& group, const QByteArray& key) const {
        const auto [first, last] = GroupRange(group);
        for (int i = first; i >= 0 && i < last; ++i)
            if (const int eq = KeyEnd(lines_.at(i)); eq > 0 && lines_.at(i).left(eq).trimmed() == key) return i;
        return -1;
    }

    QList<QByteArray> lines_;
    bool crlf_ = false;
};

QByteArrayList SplitList(const QByteArray& value) {
    QByteArrayList items;
    for (const QByteArray& item : value.split(';'))
        if (!item.trimmed().isEmpty()) items.append(item.trimmed());
    return items;
}

QByteArray JoinList(const QByteArrayList& items) {
    QByteArray out;
    for (const QByteArray& item : items) out += item + ';';
    return out;
}

QStringList SplitNames(const QString& value) {
    QStringList names;
    for (const QString& name : value.split(u';', Qt::SkipEmptyParts))
        if (!name.trimmed().isEmpty()) names.append(name.trimmed().toLower());
    return names;
}

QByteArray EntryId() { return Name(names::kDesktopEntry).toUtf8(); }
QByteArray DefaultsGroup() { return Name(names::kDefaultApplicationsGroup).toUtf8(); }

// Desktop entry values escape the backslash and line breaks (the "string" type).
QString EscapeValue(const QString& text) {
    QString out;
    for (const QChar c : text) {
        if (c == u'\\') out += QStringLiteral("\\\\");
        else if (c == u'\n') out += QStringLiteral("\\n");
        else if (c == u'\r') out += QStringLiteral("\\r");
        else if (c == u'\t') out += QStringLiteral("\\t");
        else out += c;
    }
    return out;
}

}  // namespace

struct DesktopAssociations::Entry {
    QString exec;  // as stored, kept when an undo rewrites the entry
    QStringList extensions;
    QStringList protocols;
};

DesktopAssociations::DesktopAssociations()
    : entryFile_(XdgFolder("XDG_DATA_HOME", ".local/share") + QStringLiteral("/applications/") +
                 Name(names::kDesktopEntry)),
      mimeAppsFile_(XdgFolder("XDG_CONFIG_HOME", ".config") + QLatin1Char('/') + Name(names::kMimeAppsList)) {}

QString DesktopAssociations::MimeTypeOfExtension(const QString& extension) {
    if (const QString own = OwnMimeType(extension); !own.isEmpty()) return own;
    static const QMimeDatabase database;
    const QList<QMimeType> types = database.mimeTypesForFileName(QStringLiteral("x.") + extension.toLower());
    if (types.isEmpty()) return QString();
    // Some extensions are shared (".ts" is also a translation source): a player takes the media one.
    for (const QMimeType& type : types)
        if (type.name().startsWith(QLatin1String("audio/")) || type.name().startsWith(QLatin1String("video/")))
            return type.name();
    return types.first().isDefault() ? QString() : types.first().name();
}

QString DesktopAssociations::ExecValue(const QString& program) {
    QString quoted = QStringLiteral("\"");
    for (const QChar c : program) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') quoted += u'\\';
        quoted += c;
    }
    quoted += u'"';
    return EscapeValue(quoted).replace(u'%', QStringLiteral("%%")) + QStringLiteral(" %u");
}

bool DesktopAssociations::Fail(const QString& reason) {
    lastError_ = reason;
    return false;
}

bool DesktopAssociations::LoadEntry(Entry* entry) const {
    QByteArray bytes;
    QString error;
    if (!ReadAll(entryFile_, &bytes, &error)) return false;
    const KeyFileLines lines(bytes);
    const QByteArray group = "Desktop Entry";
    entry->exec = QString::fromUtf8(lines.Value(group, "Exec"));
    entry->extensions = SplitNames(QString::fromUtf8(lines.Value(group, Name(names::kDesktopEntryExtensionsKey).toUtf8())));
    entry->protocols = SplitNames(QString::fromUtf8(lines.Value(group, Name(names::kDesktopEntryProtocolsKey).toUtf8())));
    return true;
}

QStringList DesktopAssociations::Extensions() const {
    Entry entry;
    LoadEntry(&entry);
    return entry.extensions;
}

QStringList DesktopAssociations::Protocols() const {
    Entry entry;
    LoadEntry(&entry);
    return entry.protocols;
}

namespace {

QStringList MimeTypesOf(const QStringList& extensions, const QStringList& protocols) {
    QStringList types;
    for (const QString& extension : extensions)
        if (const QString type = DesktopAssociations::MimeTypeOfExtension(extension); !type.isEmpty()) types.append(type);
    for (const QString& protocol : protocols) types.append(Name(names::kSchemeHandlerPrefix) + protocol);
    types.removeDuplicates();
    std::sort(types.begin(), types.end());
    return types;
}

}  // namespace

bool DesktopAssociations::SaveEntry(const Entry& entry) {
    if (entry.extensions.isEmpty() && entry.protocols.isEmpty()) {
        if (QFile::exists(entryFile_) && !QFile::remove(entryFile_))
            return Fail(QStringLiteral("Cannot delete %1").arg(entryFile_));
        return true;
    }
    // The types and the icon the entry names come first, so the desktop never sees it without them.
    if (QString error; !InstallDesktopTypes(&error)) return Fail(error);
    QString text = QStringLiteral("[Desktop Entry]\nType=Application\n");
    text += QStringLiteral("Name=") + Name(names::kDesktopEntryName) + u'\n';
    text += QStringLiteral("Exec=") + entry.exec + u'\n';
    text += QStringLiteral("Icon=") + Name(names::kDesktopEntryIcon) + u'\n';
    // Only for opening files and addresses; the menu shortcut is a separate entry.
    text += QStringLiteral("Terminal=false\nNoDisplay=true\n");
    const auto line = [&text](const QString& key, const QStringList& items) {
        if (!items.isEmpty()) text += key + u'=' + items.join(u';') + QStringLiteral(";\n");
    };
    line(QStringLiteral("MimeType"), MimeTypesOf(entry.extensions, entry.protocols));
    line(Name(names::kDesktopEntryExtensionsKey), entry.extensions);
    line(Name(names::kDesktopEntryProtocolsKey), entry.protocols);
    QString error;
    return WriteAll(entryFile_, text.toUtf8(), &error) || Fail(error);
}

namespace {

// Puts the player's entry in front of the type's defaults; the earlier ones stay behind it.
bool PutFirst(const QString& file, const QString& mimeType, QString* error) {
    QByteArray bytes;
    if (!ReadAll(file, &bytes, error)) return false;
    KeyFileLines lines(bytes);
    const QByteArray key = mimeType.toUtf8();
    QByteArrayList items = SplitList(lines.Value(DefaultsGroup(), key));
    if (!items.isEmpty() && items.first() == EntryId()) return true;
    items.prepend(EntryId());
    lines.Set(DefaultsGroup(), key, JoinList(items));
    return WriteAll(file, lines.Bytes(), error);
}

// Takes out the one entry the player put in; the key goes only when nothing else is left.
bool TakeOut(KeyFileLines* lines, const QByteArray& key, bool everyOne) {
    QByteArrayList items = SplitList(lines->Value(DefaultsGroup(), key));
    bool changed = false;
    while (items.removeOne(EntryId())) {
        changed = true;
        if (!everyOne) break;
    }
    if (!changed) return false;
    if (items.isEmpty())
        lines->Remove(DefaultsGroup(), key);
    else
        lines->Set(DefaultsGroup(), key, JoinList(items));
    return true;
}

bool TakeOutOf(const QString& file, const QStringList& mimeTypes, QString* error) {
    if (mimeTypes.isEmpty() || !QFile::exists(file)) return true;
    QByteArray bytes;
    if (!ReadAll(file, &bytes, error)) return false;
    KeyFileLines lines(bytes);
    bool changed = false;
    for (const QString& type : mimeTypes) changed = TakeOut(&lines, type.toUtf8(), false) || changed;
    if (!changed) return true;
    lines.RemoveGroupIfEmpty(DefaultsGroup());
    return WriteAll(file, lines.Bytes(), error);
}

}  // namespace

bool DesktopAssociations::Associate(const QString& item, bool protocol, const QString& program) {
    lastError_.clear();
    Entry entry;
    if (!LoadEntry(&entry)) return Fail(QStringLiteral("Cannot read %1").arg(entryFile_));
    QStringList& list = protocol ? entry.protocols : entry.extensions;
    const QString name = item.toLower();
    if (!list.contains(name)) list.append(name);
    entry.exec = ExecValue(program);
    const QString type = protocol ? Name(names::kSchemeHandlerPrefix) + name : MimeTypeOfExtension(name);
    // The entry first: a default naming an entry that is not there would be skipped anyway.
    if (!SaveEntry(entry)) return false;
    QString error;
    if (!type.isEmpty() && !PutFirst(mimeAppsFile_, type, &error)) return Fail(error);
    return true;
}

bool DesktopAssociations::Unassociate(const QString& item, bool protocol) {
    lastError_.clear();
    Entry entry;
    if (!LoadEntry(&entry)) return Fail(QStringLiteral("Cannot read %1").arg(entryFile_));
    QStringList& list = protocol ? entry.protocols : entry.extensions;
    const QString name = item.toLower();
    if (!list.removeAll(name)) return true;
    // A MIME type stays the player's while another of its extensions (.mpg and .mpeg) still is.
    QStringList released;
    const QString type = protocol ? Name(names::kSchemeHandlerPrefix) + name : MimeTypeOfExtension(name);
    if (!type.isEmpty() && !MimeTypesOf(entry.extensions, entry.protocols).contains(type)) released.append(type);
    QString error;
    if (!TakeOutOf(mimeAppsFile_, released, &error)) return Fail(error);
    return SaveEntry(entry);
}

bool DesktopAssociations::AssociateExtension(const QString& extension, const QString& program) {
    return Associate(extension, false, program);
}

bool DesktopAssociations::UnassociateExtension(const QString& extension) { return Unassociate(extension, false); }

bool DesktopAssociations::AssociateProtocol(const QString& protocol, const QString& program) {
    return Associate(protocol, true, program);
}

bool DesktopAssociations::UnassociateProtocol(const QString& protocol) { return Unassociate(protocol, true); }

bool DesktopAssociations::IsDefaultFor(const QString& mimeType) const {
    QByteArray bytes;
    QString error;
    if (!ReadAll(mimeAppsFile_, &bytes, &error)) return false;
    const QByteArrayList items = SplitList(KeyFileLines(bytes).Value(DefaultsGroup(), mimeType.toUtf8()));
    return !items.isEmpty() && items.first() == EntryId();
}

bool DesktopAssociations::RemoveAll() {
    failures_.clear();
    Entry entry;
    if (!LoadEntry(&entry)) failures_.append(QStringLiteral("Cannot read %1").arg(entryFile_));
    // One type that fails leaves the others to be undone still.
    for (const QString& extension : entry.extensions)
        if (!UnassociateExtension(extension)) failures_.append(lastError_);
    for (const QString& protocol : entry.protocols)
        if (!UnassociateProtocol(protocol)) failures_.append(lastError_);
    // Lists that still name the entry (a type whose default another program moved in front).
    if (QFile::exists(mimeAppsFile_)) {
        QByteArray bytes;
        QString error;
        if (ReadAll(mimeAppsFile_, &bytes, &error)) {
            KeyFileLines lines(bytes);
            bool changed = false;
            for (const auto& [key, value] : lines.Entries(DefaultsGroup())) changed = TakeOut(&lines, key, true) || changed;
            if (changed) lines.RemoveGroupIfEmpty(DefaultsGroup());
            if (changed && !WriteAll(mimeAppsFile_, lines.Bytes(), &error)) failures_.append(error);
        } else {
            failures_.append(error);
        }
    }
    if (QFile::exists(entryFile_) && !QFile::remove(entryFile_))
        failures_.append(QStringLiteral("Cannot delete %1").arg(entryFile_));
    failures_.removeDuplicates();
    lastError_ = failures_.join(u'\n');
    return failures_.isEmpty();
}

void NotifyAssociationsChanged() {
    ++g_notifications;
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("update-desktop-database"));
    if (tool.isEmpty()) return;
    const QString folder = QFileInfo(DesktopAssociations().EntryFile()).absolutePath();
    if (QFileInfo(folder).isDir()) QProcess::startDetached(tool, {QStringLiteral("-q"), folder});
}

int AssociationsChangedCount() { return g_notifications; }

}  // namespace platform
