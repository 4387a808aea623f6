#include "uninstall/registry_undo.h"

#include "names/shell_names.h"
#include "platform/registry.h"

#include <QDir>
#include <QFileInfo>

namespace uninstall {

using platform::RootKey;
using platform::TRegistry;

namespace {

QString Name(const char16_t* text) { return QString::fromUtf16(text); }

QString RootName(RootKey root) {
    switch (root) {
        case RootKey::CurrentUser: return QStringLiteral("HKEY_CURRENT_USER");
        case RootKey::ClassesRoot: return QStringLiteral("HKEY_CLASSES_ROOT");
        case RootKey::LocalMachine: return QStringLiteral("HKEY_LOCAL_MACHINE");
    }
    return {};
}

void Fail(Failures* failures, RootKey root, const QString& what, const QString& why) {
    failures->append(QStringLiteral("%1\\%2（%3）").arg(RootName(root), what, why));
}

// A key that is missing already is no failure; one that stays after the delete is.
void DeleteKeyIfPresent(RootKey root, const QString& path, Failures* failures) {
    TRegistry reg(root);
    if (!reg.KeyExists(path)) return;
    if (!reg.DeleteKey(path) && reg.KeyExists(path)) Fail(failures, root, path, reg.LastError());
}

// `reg` has the key open.
void DeleteValueIfPresent(TRegistry& reg, const QString& name, Failures* failures) {
    if (!reg.ValueExists(name)) return;
    if (!reg.DeleteValue(name) && reg.ValueExists(name)) {
        const QString shown = name.isEmpty() ? QStringLiteral("(默认)") : name;
        Fail(failures, reg.GetRootKey(), reg.CurrentPath() + " \"" + shown + "\"", reg.LastError());
    }
}

void WriteOrFail(TRegistry& reg, const QString& name, const QString& value, Failures* failures) {
    if (!reg.WriteString(name, value)) Fail(failures, reg.GetRootKey(), reg.CurrentPath(), reg.LastError());
}

bool KeyIsEmpty(RootKey root, const QString& path) {
    TRegistry reg(root);
    return reg.OpenKeyReadOnly(path) && reg.GetKeyNames().isEmpty() && reg.GetValueNames().isEmpty();
}

// The key and then its parents, `levels` keys in all, each only while it holds nothing: keys the
// player created on the way to its values go, keys another program still uses stay.
void PruneEmptyKeys(RootKey root, QString path, int levels, Failures* failures) {
    for (int i = 0; i < levels && !path.isEmpty(); ++i) {
        if (!KeyIsEmpty(root, path)) return;
        DeleteKeyIfPresent(root, path, failures);
        path = path.section(u'\\', 0, -2);
    }
}

// Empty keys on the way to a key the player wrote under HKEY_CURRENT_USER or
// HKEY_LOCAL_MACHINE, up to "Software\Microsoft", which stays.
void PruneEmptyParents(RootKey root, const QString& path, Failures* failures) {
    const int depth = int(path.count(u'\\')) + 1;
    if (depth > 3) PruneEmptyKeys(root, path.section(u'\\', 0, -2), depth - 3, failures);
}

// Registry key names are single path parts: an extension or scheme from a list file that holds a
// separator would reach other keys.
bool UsableName(const QString& name) { return !name.isEmpty() && !name.contains(u'\\'); }

QString ProgId(const QString& extension) { return Name(names::kProgIdPrefix) + extension; }

void RemoveOpenWithEntry(const QString& extension, Failures* failures) {
    const QString path = Name(names::kOpenWithListKeyFormat).arg(extension);
    TRegistry reg(RootKey::CurrentUser);
    if (!reg.OpenKey(path, false)) return;
    // Only the player's own entry, under whatever letter it took (the letters before it may name
    // other programs); the order loses that letter and keeps the others'.
    const QString order = reg.ReadString(QStringLiteral("MRUList"));
    QString rest = order;
    bool removed = false;
    for (const QString& name : reg.GetValueNames()) {
        if (name.size() != 1 || !name.at(0).isLetter()) continue;
        if (reg.ReadString(name).compare(Name(names::kOpenWithName), Qt::CaseInsensitive) != 0) continue;
        DeleteValueIfPresent(reg, name, failures);
        rest.remove(name, Qt::CaseInsensitive);
        removed = true;
    }
    // Letters that name no entry any more are dropped from the order too.
    if (removed) {
        QString named;
        for (const QChar letter : std::as_const(rest))
            if (reg.ValueExists(QString(letter))) named += letter;
        rest = named;
    }
    if (removed && rest.isEmpty()) {
        DeleteValueIfPresent(reg, QStringLiteral("MRUList"), failures);
    } else if (rest != order) {
        WriteOrFail(reg, QStringLiteral("MRUList"), rest, failures);
    }
    if (KeyIsEmpty(RootKey::CurrentUser, path)) {
        DeleteKeyIfPresent(RootKey::CurrentUser, path, failures);
        PruneEmptyParents(RootKey::CurrentUser, path, failures);
    }
}

// The previous owner's default comes back from the backup value; without one the default goes.
void RestoreBackedUpDefault(TRegistry& reg, Failures* failures) {
    const QString backup = reg.ReadString(Name(names::kBackupValue));
    if (!backup.isEmpty()) {
        WriteOrFail(reg, QString(), backup, failures);
    } else {
        DeleteValueIfPresent(reg, QString(), failures);
    }
    DeleteValueIfPresent(reg, Name(names::kBackupValue), failures);
}

}  // namespace

bool IsFileTypeAssociated(const QString& mask) {
    TRegistry reg(RootKey::ClassesRoot);
    return mask.startsWith(QStringLiteral("*.")) && UsableName(mask.mid(2)) &&
           reg.OpenKeyReadOnly(mask.mid(1)) && reg.ReadString(QString()) == ProgId(mask.mid(2));
}

void UnassociateFileType(const QString& extension, Failures* failures) {
    if (!IsFileTypeAssociated(QStringLiteral("*.") + extension)) return;
    const QString dotKey = QStringLiteral(".") + extension;
    TRegistry reg(RootKey::ClassesRoot);
    if (reg.OpenKey(dotKey, false)) {
        RestoreBackedUpDefault(reg, failures);
        // Other values (a content type, another program's entries) keep the key.
        PruneEmptyKeys(RootKey::ClassesRoot, dotKey, 1, failures);
    }
    DeleteKeyIfPresent(RootKey::ClassesRoot, ProgId(extension), failures);
    RemoveOpenWithEntry(extension, failures);
}

bool IsProtocolAssociated(const QString& protocol) {
    TRegistry reg(RootKey::ClassesRoot);
    return UsableName(protocol) && reg.OpenKeyReadOnly(protocol + QStringLiteral("\\shell")) &&
           reg.ReadString(QString()) == Name(names::kProtocolVerb);
}

void UnassociateProtocol(const QString& protocol, Failures* failures) {
    if (!IsProtocolAssociated(protocol)) return;
    const QString shell = protocol + QStringLiteral("\\shell");
    TRegistry reg(RootKey::ClassesRoot);
    if (reg.OpenKey(shell, false)) {
        RestoreBackedUpDefault(reg, failures);
    }
    DeleteKeyIfPresent(RootKey::ClassesRoot, shell + u'\\' + Name(names::kProtocolVerb), failures);
    PruneEmptyKeys(RootKey::ClassesRoot, shell, 2, failures);
}

void RemoveOwnProtocolKey(Failures* failures) {
    const QString own = Name(names::kOwnProtocol);
    const QString shell = own + QStringLiteral("\\shell");
    // A verb of someone else under the scheme still needs the marker.
    const bool otherVerbs =
        TRegistry(RootKey::ClassesRoot).KeyExists(shell) && !KeyIsEmpty(RootKey::ClassesRoot, shell);
    if (otherVerbs) return;
    TRegistry reg(RootKey::ClassesRoot);
    if (!reg.OpenKey(own, false)) return;
    DeleteValueIfPresent(reg, Name(names::kUrlProtocolValue), failures);
    PruneEmptyKeys(RootKey::ClassesRoot, shell, 1, failures);
    PruneEmptyKeys(RootKey::ClassesRoot, own, 1, failures);
}

void UnassociateList(const QString& masks, Failures* failures) {
    QString list = masks.toLower();
    while (list.contains(u';')) {
        const QString item = list.section(u';', 0, 0);
        list = list.section(u';', 1);
        if (item.startsWith(QStringLiteral("*.")) && UsableName(item.mid(2)))
            UnassociateFileType(item.mid(2), failures);
    }
}

void UnassociateRemainingTypes(Failures* failures) {
    TRegistry reg(RootKey::ClassesRoot);
    if (!reg.OpenKeyReadOnly(QStringLiteral("\\"))) return;
    for (const QString& key : reg.GetKeyNames()) {
        if (key.size() > 1 && key.startsWith(u'.')) UnassociateFileType(key.mid(1).toLower(), failures);
    }
}

void UnassociateProtocolList(const QString& protocols, Failures* failures) {
    for (const QString& item : protocols.toLower().split(u';', Qt::SkipEmptyParts)) {
        if (item.size() > 3) UnassociateProtocol(item.chopped(3), failures);
    }
}

void RemoveBrowserEntries(Failures* failures) {
    for (const char16_t* key : {names::kMenuExtPlayKey, names::kMenuExtPlayAllKey}) {
        DeleteKeyIfPresent(RootKey::CurrentUser, Name(key), failures);
        PruneEmptyParents(RootKey::CurrentUser, Name(key), failures);
    }
    DeleteKeyIfPresent(RootKey::LocalMachine, Name(names::kToolbarKey), failures);
    PruneEmptyParents(RootKey::LocalMachine, Name(names::kToolbarKey), failures);
}

void RemoveSettingsKey(Failures* failures) {
    DeleteKeyIfPresent(RootKey::CurrentUser, Name(names::kSettingsKey), failures);
}

void RemoveEmptyRegistryFiles(Failures* failures) {
    for (RootKey root : {RootKey::CurrentUser, RootKey::ClassesRoot, RootKey::LocalMachine}) {
        if (QString error; !TRegistry::RemoveEmptyRoot(root, &error)) failures->append(error);
    }
    const QString folder = TRegistry::StorageFolder();
    if (QDir().rmdir(folder)) QDir().rmdir(QFileInfo(folder).absolutePath());
}

}  // namespace uninstall
