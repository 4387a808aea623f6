// Drives from the mount table and the optical devices; folder listings for the folder scan.
#include "platform/drives.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <algorithm>
#include <numeric>

#include <fcntl.h>
#include <linux/cdrom.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace platform {

namespace {

std::optional<QList<Drive>>& FakeDrives() {
    static std::optional<QList<Drive>> fake;
    return fake;
}

// The drives of the last query: a later listing of an audio CD's root shows its tracks.
QList<Drive>& LastDrives() {
    static QList<Drive> last;
    return last;
}

// The mount table escapes blanks and backslashes as three octal digits ("\040").
QString UnescapeMountField(const QByteArray& field) {
    QByteArray out;
    out.reserve(field.size());
    for (int i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            bool ok = false;
            const int code = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok && code < 256) {
                out.append(char(code));
                i += 3;
                continue;
            }
        }
        out.append(field[i]);
    }
    return QString::fromUtf8(out);
}

QString WithSlash(QString path) {
    if (!path.endsWith(u'/')) path += u'/';
    return path;
}

bool IsOpticalDevice(const QString& device) {
    const QString real = QFileInfo(device).canonicalFilePath();
    for (const QString& name : {device, real}) {
        if (name.startsWith(QLatin1String("/dev/sr")) || name.startsWith(QLatin1String("/dev/scd")) ||
            name.startsWith(QLatin1String("/dev/cdrom")))
            return true;
    }
    return false;
}

bool IsRemoteType(const QString& type) {
    static const QSet<QString> remote = {"nfs",  "nfs4",       "cifs",      "smb3", "smbfs",
                                         "9p",   "fuse.sshfs", "glusterfs", "ceph", "afs"};
    return remote.contains(type);
}

// sdb1 is removable when its disk sdb says so.
bool IsRemovableDevice(const QString& device) {
    const QString name = QFileInfo(QFileInfo(device).canonicalFilePath()).fileName();
    if (name.isEmpty()) return false;
    const QString block = QStringLiteral("/sys/class/block/") + name;
    for (const QString& flag : {block + "/removable", block + "/../removable"}) {
        QFile file(flag);
        if (file.open(QIODevice::ReadOnly)) return file.readAll().trimmed() == "1";
    }
    return false;
}

DriveType TypeOf(const QString& device, const QString& fsType) {
    static const QSet<QString> optical = {"iso9660", "udf", "cddafs"};
    if (optical.contains(fsType) || IsOpticalDevice(device)) return DriveType::CdRom;
    if (IsRemoteType(fsType)) return DriveType::Remote;
    if (!device.startsWith(QLatin1String("/dev/"))) return DriveType::Unknown;
    if (device.startsWith(QLatin1String("/dev/ram")) || device.startsWith(QLatin1String("/dev/zram")))
        return DriveType::RamDisk;
    return IsRemovableDevice(device) ? DriveType::Removable : DriveType::Fixed;
}

// The audio tracks of the disc in an optical drive, from its table of contents; none when the
// drive is empty, not ready or holds data only.
QList<int> AudioTracks(const QString& device) {
    QList<int> tracks;
    const int fd = ::open(QFile::encodeName(device).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return tracks;
    cdrom_tochdr header{};
    if (::ioctl(fd, CDROM_DRIVE_STATUS, CDSL_CURRENT) == CDS_DISC_OK && ::ioctl(fd, CDROMREADTOCHDR, &header) == 0) {
        for (int track = header.cdth_trk0; track <= header.cdth_trk1 && track <= 99; ++track) {
            cdrom_tocentry entry{};
            entry.cdte_track = static_cast<__u8>(track);
            entry.cdte_format = CDROM_MSF;
            if (::ioctl(fd, CDROMREADTOCENTRY, &entry) == 0 && !(entry.cdte_ctrl & CDROM_DATA_TRACK))
                tracks.append(track);
        }
    }
    ::close(fd);
    return tracks;
}

QList<Drive> MountedDrives(QSet<QString>* opticalDevices) {
    QList<Drive> drives;
    QFile mounts(QStringLiteral("/proc/self/mounts"));
    if (!mounts.open(QIODevice::ReadOnly)) return drives;
    QSet<QString> roots;
    for (const QByteArray& line : mounts.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() < 3) continue;
        const QString device = UnescapeMountField(fields[0]);
        const QString root = WithSlash(UnescapeMountField(fields[1]));
        const DriveType type = TypeOf(device, QString::fromUtf8(fields[2]));
        if (type == DriveType::Unknown || roots.contains(root)) continue;
        if (type == DriveType::CdRom) {
            const QString real = QFileInfo(device).canonicalFilePath();
            opticalDevices->insert(real.isEmpty() ? device : real);
        }
        roots.insert(root);
        drives.append({root, type, {}});
    }
    return drives;
}

}  // namespace

QList<Drive> LogicalDrives() {
    if (FakeDrives()) return LastDrives() = *FakeDrives();
    QSet<QString> mountedOptical;
    QList<Drive> drives = MountedDrives(&mountedOptical);
    const QStringList devices = QDir(QStringLiteral("/dev")).entryList({QStringLiteral("sr*")}, QDir::System, QDir::Name);
    for (const QString& name : devices) {
        const QString device = QStringLiteral("/dev/") + name;
        if (mountedOptical.contains(device)) continue;
        drives.append({WithSlash(device), DriveType::CdRom, AudioTracks(device)});
    }
    return LastDrives() = drives;
}

void SetFakeDrives(std::optional<QList<Drive>> drives) {
    FakeDrives() = std::move(drives);
    LastDrives().clear();
}

FileMask::FileMask(const QString& mask) : mask_(mask) {
    const QStringView tail = QStringView(mask).mid(1);
    if (mask.startsWith(u'*') && !tail.contains(u'*') && !tail.contains(u'?')) suffix_ = tail.toString();
}

bool FileMask::Matches(QStringView name) const {
    if (!suffix_.isEmpty()) return name.endsWith(suffix_, Qt::CaseInsensitive);
    const auto same = [](QChar a, QChar b) { return a == b || a.toCaseFolded() == b.toCaseFolded(); };
    const QStringView mask(mask_);
    qsizetype m = 0, n = 0, star = -1, resume = 0;
    while (n < name.size()) {
        if (m < mask.size() && mask[m] == u'*') {
            star = m++;
            resume = n;
        } else if (m < mask.size() && (mask[m] == u'?' || same(mask[m], name[n]))) {
            ++m;
            ++n;
        } else if (star >= 0) {  // let the last "*" take one character more
            m = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == u'*') ++m;
    return m == mask.size();
}

QString AudioTrackName(int track) {
    return QStringLiteral("Track%1.cda").arg(track, 2, 10, QLatin1Char('0'));
}

QList<FolderEntry> ListFolder(const QString& folder) {
    QList<FolderEntry> entries;
    const QString root = WithSlash(folder);
    for (const Drive& drive : LastDrives()) {
        if (drive.root != root || drive.audioTracks.isEmpty()) continue;
        for (int track : drive.audioTracks) entries.append({AudioTrackName(track), false, false, false});
        return entries;
    }
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    QList<QString> keys;
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        entries.append({info.fileName(), info.isDir(), info.isSymLink(), info.fileName().startsWith(u'.'),
                        info.exists() && !info.isDir() && !info.isFile()});
    }
    // NTFS orders a folder by upper-cased names, compared by code unit.
    QList<int> order(entries.size());
    std::iota(order.begin(), order.end(), 0);
    keys.reserve(entries.size());
    for (const FolderEntry& entry : entries) keys.append(entry.name.toUpper());
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return keys[a] < keys[b]; });
    QList<FolderEntry> sorted;
    sorted.reserve(entries.size());
    for (int i : order) sorted.append(std::move(entries[i]));
    return sorted;
}

}  // namespace platform
