#include "platform/registry.h"

#include "platform/registry_tree.h"
#include "platform/text_file.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <mutex>
#include <utility>
#include <map>
#include <optional>
#include <sys/file.h>
#include <unistd.h>

namespace platform {

namespace {

using namespace registry_tree;

QString RootFileBase(RootKey root) {
    switch (root) {
    case RootKey::ClassesRoot: return QStringLiteral("HKEY_CLASSES_ROOT");
    case RootKey::LocalMachine: return QStringLiteral("HKEY_LOCAL_MACHINE");
    case RootKey::CurrentUser: break;
    }
    return QStringLiteral("HKEY_CURRENT_USER");
}

QString DataFile(RootKey root) {
    return TRegistry::StorageFolder() + "/" + RootFileBase(root) + ".reg";
}
QString LockFile(RootKey root) { return DataFile(root).chopped(4) + ".lock"; }

// ---- files and locks ----------------------------------------------------------------------------

// flock on a lock file beside the data: the data file itself is replaced by rename, so a lock on
// it would guard a file nobody reads any more. Closing the descriptor releases the lock.
class FileLock {
public:
    FileLock(const QString& path, bool exclusive) {
        const int flags = exclusive ? O_RDWR | O_CREAT | O_CLOEXEC : O_RDONLY | O_CLOEXEC;
        fd_ = ::open(QFile::encodeName(path).constData(), flags, 0600);
        if (fd_ < 0) {
            error_ = errno;
            return;
        }
        while (::flock(fd_, exclusive ? LOCK_EX : LOCK_SH) != 0) {
            if (errno == EINTR) continue;
            error_ = errno;
            ::close(fd_);
            fd_ = -1;
            return;
        }
    }
    ~FileLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool Held() const { return fd_ >= 0; }
    int Error() const { return error_; }

private:
    int fd_ = -1;
    int error_ = 0;
};

struct Loaded {
    QByteArray bytes;
    // Set when the file exists but could not be read: it must not be replaced then.
    QString unreadable;
    std::shared_ptr<const Tree> parsed;  // the tree, as last parsed from the same bytes
};

// Each root's file as last read here, parsed. Most reads find the same bytes, and parsing them
// was most of what a read cost.
struct ParsedFile {
    std::mutex lock;
    QByteArray bytes;
    std::shared_ptr<const Tree> tree;
};

ParsedFile& ParsedOf(RootKey root) {
    static auto* const files = new std::array<ParsedFile, 3>;  // never destroyed: no order to mind at exit
    return (*files)[std::size_t(root)];
}

std::shared_ptr<const Tree> Parse(RootKey root, const QByteArray& bytes) {
    ParsedFile& file = ParsedOf(root);
    {
        std::lock_guard guard(file.lock);
        if (file.tree && file.bytes == bytes) return file.tree;
    }
    auto tree = std::make_shared<const Tree>(ParseTree(bytes));
    std::lock_guard guard(file.lock);
    file.bytes = bytes;
    file.tree = tree;
    return tree;
}

Loaded ReadTree(RootKey root) {
    Loaded loaded;
    // Read as every other file is: a FIFO in its place is refused, never waited on.
    ReadInfo info;
    QString error;
    if (!ReadFileBytes(DataFile(root), &loaded.bytes, &error, {}, &info) && !info.missing) loaded.unreadable = error;
    loaded.parsed = Parse(root, loaded.bytes);
    return loaded;
}

// A crash leaves the old file or the new one, never half; a failed write leaves the old one.
QString ReplaceFile(const QString& path, const QByteArray& bytes) {
    QString error;
    WriteTextFile(path, bytes, &error);
    return error;
}

// A rewrite drops the lines that could not be read; keep the file as found so none is lost.
QString KeepDamagedCopy(RootKey root, const QByteArray& bytes) {
    const QString stamp = QDateTime::currentDateTimeUtc().toString(u"yyyyMMddhhmmsszzz");
    return ReplaceFile(DataFile(root) + ".damaged-" + stamp, bytes);
}

std::shared_ptr<const Tree> LoadShared(RootKey root) {
    // Without a lock file nobody has written through us yet; reading unlocked is still safe,
    // as the data file only ever changes by rename.
    FileLock lock(LockFile(root), false);
    return ReadTree(root).parsed;
}

enum class Edit { Failed, Unchanged, Changed };

// Empty when the change is on disk (or nothing needed changing); else why not, `refusal` when the
// change itself failed.
QString Modify(RootKey root, const std::function<Edit(Tree&)>& change, const QString& refusal) {
    if (!QDir().mkpath(TRegistry::StorageFolder()))
        return QStringLiteral("Cannot create %1").arg(TRegistry::StorageFolder());
    FileLock lock(LockFile(root), true);
    if (!lock.Held())
        return QStringLiteral("Cannot lock %1: %2").arg(LockFile(root), qt_error_string(lock.Error()));
    const Loaded loaded = ReadTree(root);
    if (!loaded.unreadable.isEmpty()) return loaded.unreadable;
    Tree tree = *loaded.parsed;
    const Edit edit = change(tree);
    if (edit != Edit::Changed) return edit == Edit::Unchanged ? QString() : refusal;
    if (tree.damaged) {
        const QString error = KeepDamagedCopy(root, loaded.bytes);
        if (!error.isEmpty()) return error;
    }
    return ReplaceFile(DataFile(root), SerializeTree(tree, RootFileBase(root)));
}

QString NoKey(const QString& path) { return QStringLiteral("no key \"%1\"").arg(path); }

// The value when it exists and, where a kind is given, is of that kind.
std::optional<Value> FetchValue(RootKey root, const QString& keyPath, const QString& name,
                                std::optional<Kind> kind = std::nullopt) {
    const auto tree = LoadShared(root);
    const Key* key = FindKey(*tree, keyPath);
    const Value* value = key ? FindValue(*key, name) : nullptr;
    if (!value || (kind && value->kind != *kind)) return std::nullopt;
    return *value;
}

QString StoreValue(RootKey root, const QString& keyPath, Value value) {
    return Modify(root, [&](Tree& tree) {
        Key* key = FindKey(tree, keyPath);
        if (!key) return Edit::Failed;
        PutValue(*key, std::move(value));
        return Edit::Changed;
    }, NoKey(keyPath));
}

QString CreateKey(RootKey root, const QString& path) {
    return Modify(root, [&](Tree& tree) {
        if (FindKey(tree, path)) return Edit::Unchanged;
        AddKey(tree, path);
        return Edit::Changed;
    }, QString());
}

}  // namespace

// ---- TRegistry ----------------------------------------------------------------------------------

TRegistry::TRegistry(RootKey root) : root_(root) {}

void TRegistry::SetRootKey(RootKey root) {
    CloseKey();
    root_ = root;
}

QString TRegistry::Resolve(const QString& key) const {
    QStringList parts = SplitPath(key);
    if (open_ && !key.startsWith(u'\\')) parts = SplitPath(current_) + parts;
    return parts.join(u'\\');
}

bool TRegistry::OpenKey(const QString& key, bool canCreate) {
    const QString path = Resolve(key);
    if (canCreate ? !Report(CreateKey(root_, path)) : !KeyExists(key)) return false;
    current_ = path;
    open_ = true;
    readOnly_ = false;
    return true;
}

bool TRegistry::OpenKeyReadOnly(const QString& key) {
    if (!OpenKey(key, false)) return false;
    readOnly_ = true;
    return true;
}

void TRegistry::CloseKey() {
    current_.clear();
    open_ = false;
    readOnly_ = false;
}

bool TRegistry::KeyExists(const QString& key) const {
    return FindKey(*LoadShared(root_), Resolve(key)) != nullptr;
}

bool TRegistry::DeleteKey(const QString& key) {
    const QString path = Resolve(key);
    if (path.isEmpty()) return Report(QStringLiteral("the root cannot be deleted"));
    const QString folded = Fold(path);
    return Report(Modify(root_, [&](Tree& tree) {
        const auto erased = std::erase_if(tree.keys, [&](const auto& entry) {
            return entry.first == folded || entry.first.startsWith(folded + u'\\');
        });
        return erased > 0 ? Edit::Changed : Edit::Failed;
    }, NoKey(path)));
}

QStringList TRegistry::GetKeyNames() const {
    QStringList names;
    if (!open_) return names;
    const auto tree = LoadShared(root_);
    const QString prefix = current_.isEmpty() ? QString() : Fold(current_) + u'\\';
    const qsizetype depth = SplitPath(current_).size() + 1;
    for (const auto& [folded, key] : tree->keys) {
        const bool child = folded.startsWith(prefix) && SplitPath(key.path).size() == depth;
        if (child && !key.path.isEmpty()) names.append(key.path.section(u'\\', -1));
    }
    return names;
}

bool TRegistry::ValueExists(const QString& name) const {
    return open_ && FetchValue(root_, current_, name).has_value();
}

bool TRegistry::DeleteValue(const QString& name) {
    if (!CanWrite()) return Report(NotWritable());
    return Report(Modify(root_, [&](Tree& tree) {
        Key* key = FindKey(tree, current_);
        const Value* value = key ? FindValue(*key, name) : nullptr;
        if (!value) return Edit::Failed;
        key->values.removeAt(value - key->values.constData());
        return Edit::Changed;
    }, QStringLiteral("no value \"%1\"").arg(name)));
}

QStringList TRegistry::GetValueNames() const {
    QStringList names;
    if (!open_) return names;
    const auto tree = LoadShared(root_);
    if (const Key* key = FindKey(*tree, current_)) {
        for (const Value& v : key->values) names.append(v.name);
    }
    return names;
}

QString TRegistry::ReadString(const QString& name) const {
    const auto value = open_ ? FetchValue(root_, current_, name, Kind::String) : std::nullopt;
    return value ? value->text : QString();
}

bool TRegistry::ReadInteger(const QString& name, int* value) const {
    const auto stored = open_ ? FetchValue(root_, current_, name, Kind::Integer) : std::nullopt;
    if (!stored) return false;
    *value = static_cast<int>(stored->number);
    return true;
}

int TRegistry::ReadInteger(const QString& name, int def) const {
    int value = def;
    return ReadInteger(name, &value) ? value : def;
}

QByteArray TRegistry::ReadBinaryData(const QString& name) const {
    const auto value = open_ ? FetchValue(root_, current_, name, Kind::Binary) : std::nullopt;
    return value ? value->bytes : QByteArray();
}

bool TRegistry::WriteString(const QString& name, const QString& value) {
    if (!CanWrite()) return Report(NotWritable());
    return Report(StoreValue(root_, current_, Value{name, Kind::String, value, 0, {}}));
}

bool TRegistry::WriteInteger(const QString& name, int value) {
    if (!CanWrite()) return Report(NotWritable());
    return Report(StoreValue(root_, current_, Value{name, Kind::Integer, {}, quint32(value), {}}));
}

bool TRegistry::WriteBinaryData(const QString& name, const QByteArray& value) {
    if (!CanWrite()) return Report(NotWritable());
    return Report(StoreValue(root_, current_, Value{name, Kind::Binary, {}, 0, value}));
}

QString TRegistry::NotWritable() const {
    if (!open_) return QStringLiteral("no key is open");
    return QStringLiteral("key \"%1\" is open read-only").arg(current_);
}

bool TRegistry::Report(const QString& reason) {
    lastError_ = reason;
    return reason.isEmpty();
}

bool TRegistry::RemoveEmptyRoot(RootKey root, QString* error) {
    const auto fail = [error](const QString& reason) {
        if (error) *error = reason;
        return false;
    };
    const QString data = DataFile(root), lock = LockFile(root);
    if (!QFileInfo::exists(data) && !QFileInfo::exists(lock)) return true;
    {
        FileLock held(lock, true);
        if (!held.Held()) return fail(QStringLiteral("Cannot lock %1: %2").arg(lock, qt_error_string(held.Error())));
        const Loaded loaded = ReadTree(root);
        if (!loaded.unreadable.isEmpty()) return fail(loaded.unreadable);
        // Keys without a value anywhere below hold nothing (the ones the player made on the way
        // to its values); a damaged file may hold what could not be read: it is kept.
        for (const auto& [path, key] : loaded.parsed->keys)
            if (!key.values.isEmpty()) return true;
        if (loaded.parsed->damaged) return true;
        if (QFileInfo::exists(data) && !QFile::remove(data)) return fail(QStringLiteral("Cannot delete %1").arg(data));
    }
    if (QFileInfo::exists(lock) && !QFile::remove(lock)) return fail(QStringLiteral("Cannot delete %1").arg(lock));
    return true;
}

QString TRegistry::StorageFolder() {
    // XDG rules: a relative XDG_CONFIG_HOME is ignored.
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base)) base = QDir::homePath() + "/.config";
    return base + "/velmora/registry";
}

}  // namespace platform
