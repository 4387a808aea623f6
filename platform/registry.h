// The system registry as the player knows it from Windows: keys under three roots, each holding
// typed values, shared by every process of the user.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace platform {

enum class RootKey { CurrentUser, ClassesRoot, LocalMachine };

// Each root is one UTF-8 text file in StorageFolder(), e.g. "HKEY_CURRENT_USER.reg":
//   [Software\Velmora]
//   @=sz:"default value"
//   "WorkPath"=sz:"/opt/velmora/"          (\\ \" \n \r \t \uXXXX escapes)
//   "Contexts"=dword:00000022
//   "ProxyPort"=hex:db,06,00,00
// Key names in a header escape "%" and control characters the same way with "%" in place of "\".
//
// Nothing is cached: every call reads the file under a shared lock, every change re-reads it under
// an exclusive lock and replaces it atomically, so changes by another process are seen at once and
// never undone. A corrupt line is skipped; before the first rewrite of a damaged file its original
// bytes are kept beside it as "<file>.damaged-<time>".
//
// Key paths use "\" separators. A path with a leading "\" starts at the root, any other at the
// open key (at the root when none is open). Key and value names compare case-insensitively and
// keep the case they were created with; the empty value name is the key's default value. Value
// calls need an open key; a read of a missing value or of a value of another type fails.
class TRegistry {
public:
    explicit TRegistry(RootKey root = RootKey::CurrentUser);

    RootKey GetRootKey() const { return root_; }
    // Closes the open key, as changing the root of the Windows object does.
    void SetRootKey(RootKey root);

    // Makes the key the open one; with canCreate, the key and its missing parents are created.
    // On failure the previously open key stays open.
    bool OpenKey(const QString& key, bool canCreate);
    // As OpenKey without creating; writes through this object then fail until the next OpenKey.
    bool OpenKeyReadOnly(const QString& key);
    void CloseKey();
    // Path of the open key from the root, without a leading "\"; empty when none or the root.
    QString CurrentPath() const { return current_; }
    bool KeyExists(const QString& key) const;
    // Deletes the key with all its sub-keys and values; false when it did not exist. The root
    // itself cannot be deleted. Once the open key is deleted, writes to it fail.
    bool DeleteKey(const QString& key);
    // Names of the direct sub-keys of the open key.
    QStringList GetKeyNames() const;

    bool ValueExists(const QString& name) const;
    bool DeleteValue(const QString& name);
    QStringList GetValueNames() const;

    // Empty text when the value is missing or not a string.
    QString ReadString(const QString& name) const;
    // False, leaving *value alone, when the value is missing or not an integer.
    bool ReadInteger(const QString& name, int* value) const;
    int ReadInteger(const QString& name, int def) const;
    // Empty when the value is missing or not binary.
    QByteArray ReadBinaryData(const QString& name) const;

    // A write replaces a value of any type; it fails with no key open, on a read-only key, on a
    // key deleted meanwhile, and when the file cannot be read or replaced.
    bool WriteString(const QString& name, const QString& value);
    bool WriteInteger(const QString& name, int value);
    bool WriteBinaryData(const QString& name, const QByteArray& value);

    // Why the last failed change (a write, a delete, a creating OpenKey) failed, e.g. "Cannot
    // write <file>: No space left on device"; empty after one that succeeded.
    QString LastError() const { return lastError_; }

    // "$XDG_CONFIG_HOME/velmora/registry" (else "$HOME/.config/velmora/registry").
    static QString StorageFolder();

    // Deletes the root's file and its lock file when no key of the root holds a value (what an
    // uninstall leaves); a root still in use, or damaged, keeps both. False with the reason
    // when a file that should go could not.
    static bool RemoveEmptyRoot(RootKey root, QString* error = nullptr);

private:
    QString Resolve(const QString& key) const;
    bool CanWrite() const { return open_ && !readOnly_; }
    QString NotWritable() const;
    bool Report(const QString& reason);

    RootKey root_;
    QString current_;
    bool open_ = false;
    bool readOnly_ = false;
    QString lastError_;
};

}  // namespace platform
