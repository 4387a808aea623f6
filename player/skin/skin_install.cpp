// The skins folder's list and the staged install of one entry into skins/default/.
#include "player/skin/skin_install.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "player/skin/skin_files.h"
#include "plugins/explain/explain_dll.h"

namespace {

constexpr qint64 kMaxListedZipBytes = 1048576;

QString UpperExtension(const QString& name) {
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot).toUpper();
}

bool IsArchiveExtension(const QString& upper) {
    return upper == QLatin1String(".WSZ") || upper == QLatin1String(".ZIP") || upper == QLatin1String(".VSZ");
}

// A .vsz is installable only when it is a zip archive: no other reader of the format exists.
bool StartsAsZip(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(4) == QByteArrayLiteral("PK\x03\x04");
}

bool Listable(const QFileInfo& info) {
    const QString name = info.fileName();
    if (info.isDir())
        return name.toUpper() != QLatin1String("DEFAULT") &&
               !FindFileNoCase(info.filePath() + QLatin1Char('/'), QStringLiteral("main.bmp")).isEmpty();
    if (!info.isFile()) return false;
    const QString extension = UpperExtension(name);
    if (extension == QLatin1String(".ZIP")) return info.size() < kMaxListedZipBytes;
    if (extension == QLatin1String(".WSZ")) return true;
    return extension == QLatin1String(".VSZ") && StartsAsZip(info.filePath());
}

// An archive whose base name (before its first ".") is also in the list gives way to that entry.
void DropShadowedArchives(QStringList& entries) {
    for (qsizetype i = entries.size() - 1; i >= 0; --i) {
        const QString extension = UpperExtension(entries[i]);
        if (extension != QLatin1String(".WSZ") && extension != QLatin1String(".ZIP")) continue;
        const QString base = entries[i].section(QLatin1Char('.'), 0, 0);
        if (entries.contains(base, Qt::CaseInsensitive)) entries.removeAt(i);
    }
}

// The unzip library's callbacks: no questions, no password, nothing shown.
int UnzipPrint(char*, unsigned long length) { return int(length); }
int UnzipReplace(char*) { return 1; }
int UnzipPassword(char*, int, const char*, const char*) { return 1; }
void UnzipMessage(unsigned long, unsigned long, unsigned, unsigned, unsigned, unsigned, unsigned, unsigned, char,
                  const char*, const char*, unsigned long, char) {}
int UnzipService(const char*, unsigned long) { return 0; }

QString UnzipFailure(int result, const QString& archive) {
    const QString name = QFileInfo(archive).fileName();
    switch (result) {
    case EXPLAIN_NO_ARCHIVE:
        return QStringLiteral("%1 不是有效的皮肤压缩文件。").arg(name);
    case EXPLAIN_TOO_LARGE:
        return QStringLiteral("%1 解压后过大，已拒绝安装。").arg(name);
    case EXPLAIN_WRITE:
        return QStringLiteral("无法写入皮肤文件夹。");
    default:
        return QStringLiteral("%1 已损坏，无法解压。").arg(name);
    }
}

// Every plain file of `from` into `to` (lower-cased names). False when the folder is missing.
bool CopySkinFolder(const QString& from, const QString& to) {
    const QDir source(from);
    if (!source.exists()) return false;
    for (const QFileInfo& file : source.entryInfoList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot)) {
        const QString target = to + file.fileName().toLower();
        QFile::remove(target);  // a later name differing only in case wins, as a copy over it would
        QFile::copy(file.filePath(), target);
    }
    return true;
}

// Skins from Windows mix the case of their names; the folder keeps them lower-case.
void LowerCaseNames(const QString& folder) {
    QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot)) {
        const QString lower = name.toLower();
        if (lower == name) continue;
        dir.remove(lower);
        dir.rename(name, lower);
    }
}

void MakeBalanceFromVolume(const QString& folder) {
    if (QFileInfo::exists(folder + QStringLiteral("balance.bmp"))) return;
    if (QFileInfo::exists(folder + QStringLiteral("volume.bmp")))
        QFile::copy(folder + QStringLiteral("volume.bmp"), folder + QStringLiteral("balance.bmp"));
}

bool RemovePath(const QString& path) {
    const QFileInfo info(path);
    if (info.isSymLink() || info.isFile()) return QFile::remove(path);
    return !info.exists() || QDir(path).removeRecursively();
}

// Puts the staged folder in the place of the current one: the old one is set aside first and put
// back when the new one cannot take its place.
bool SwapIn(const QString& staged, const QString& target, QString* error) {
    // Hidden, so a list of the skins folder never offers it should it be left behind.
    const QFileInfo where(target);
    const QString aside = where.path() + QStringLiteral("/.") + where.fileName() + QStringLiteral("-old");
    RemovePath(aside);
    const bool hadOld = QFileInfo(target).exists() || QFileInfo(target).isSymLink();
    if (hadOld && !QDir().rename(target, aside)) {
        *error = QStringLiteral("无法替换当前的皮肤文件夹。");
        return false;
    }
    if (!QDir().rename(staged, target)) {
        if (hadOld) QDir().rename(aside, target);
        *error = QStringLiteral("无法替换当前的皮肤文件夹。");
        return false;
    }
    RemovePath(aside);
    return true;
}

}  // namespace

QString BuiltInSkinEntry() { return QStringLiteral("<默认界面>"); }

QStringList ListSkinFolder(const QString& folder) {
    QStringList entries;
    QDir dir(folder);
    if (folder.isEmpty() || !dir.exists()) return entries;
    for (const QFileInfo& info : dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Unsorted))
        if (Listable(info)) entries << info.fileName();
    DropShadowedArchives(entries);
    return entries;
}

SkinArchiveLibrary::SkinArchiveLibrary(const QString& libraryFile)
    : library_(libraryFile), function_(library_.symbol("Wiz_SingleEntryUnzip")) {}

bool SkinArchiveLibrary::Unzip(const QString& archive, const QString& folder, QString* error) const {
    if (!function_) {
        *error = QStringLiteral("缺少解压组件 Plugins/explain.dll。");
        return false;
    }
    const QByteArray zipFile = QFile::encodeName(archive);
    const QByteArray extractDir = QFile::encodeName(folder);
    ExplainOptions options{};
    options.Options[14] = 1;
    options.ZipFile = zipFile.constData();
    options.ExtractDir = extractDir.constData();
    ExplainCallbacks callbacks{};
    callbacks.Print = UnzipPrint;
    callbacks.Replace = UnzipReplace;
    callbacks.Password = UnzipPassword;
    callbacks.Message = UnzipMessage;
    callbacks.Service = UnzipService;
    const auto unzip = reinterpret_cast<Wiz_SingleEntryUnzipFn>(function_);
    const int result = unzip(0, nullptr, 0, nullptr, &options, &callbacks);
    // Skipped entries (links, names leaving the folder) are no reason to refuse the rest.
    if (result == EXPLAIN_OK || result == EXPLAIN_WARN) return true;
    *error = UnzipFailure(result, archive);
    return false;
}

const SkinArchiveLibrary& SkinUnzipLibrary(const QString& installFolder) {
    static std::unique_ptr<SkinArchiveLibrary> binding;
    if (!binding || !binding->isBound())
        binding = std::make_unique<SkinArchiveLibrary>(installFolder + QStringLiteral("Plugins/explain.dll"));
    return *binding;
}

bool InstallSkin(const QString& installFolder, const QString& skinsPath, const QString& entry,
                 const SkinArchiveLibrary& library, QString* error) {
    const QString skins = installFolder + QStringLiteral("skins/");
    const QString target = skins + QStringLiteral("default");
    if (entry == BuiltInSkinEntry()) {
        if (RemovePath(target)) return true;
        *error = QStringLiteral("无法删除当前的皮肤文件夹。");
        return false;
    }
    const QString source = skinsPath + entry;
    const QFileInfo info(source);
    if (entry.isEmpty() || !info.exists()) {
        *error = QStringLiteral("找不到皮肤：%1").arg(entry);
        return false;
    }
    QDir().mkpath(skins);
    // Beside the current-skin folder, so the swap is a rename; hidden and without main.bmp until
    // it is filled, so no list shows it.
    QTemporaryDir staging(skins + QStringLiteral(".installing-XXXXXX"));
    if (!staging.isValid()) {
        *error = QStringLiteral("无法写入皮肤文件夹。");
        return false;
    }
    const QString staged = staging.path() + QLatin1Char('/');
    if (info.isDir()) {
        CopySkinFolder(source + QLatin1Char('/'), staged);
    } else if (IsArchiveExtension(UpperExtension(entry))) {
        if (!library.Unzip(source, staged, error)) return false;
        LowerCaseNames(staged);
    } else {
        *error = QStringLiteral("%1 不是皮肤文件。").arg(entry);
        return false;
    }
    if (QDir(staged).isEmpty(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot)) {
        *error = QStringLiteral("%1 中没有可用的皮肤文件。").arg(entry);
        return false;
    }
    MakeBalanceFromVolume(staged);
    if (!SwapIn(staging.path(), target, error)) return false;
    staging.setAutoRemove(false);  // it is the current skin now
    return true;
}
