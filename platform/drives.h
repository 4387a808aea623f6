// The drive list of the CD scan and the folder listing of the folder scan: mounted file systems
// stand for drives, optical drives are the CD-ROM drives, and an audio CD that holds no file
// system shows its tracks as Track01.cda, Track02.cda ... in its drive's root, as Windows shows
// them, so one folder scan serves data and audio discs alike.
#pragma once

#include <QList>
#include <QString>
#include <QStringView>
#include <optional>

namespace platform {

enum class DriveType { Unknown, Removable, Fixed, Remote, CdRom, RamDisk };

struct Drive {
    QString root;  // the mount point, or the device for an unmounted disc; always ends in "/"
    DriveType type = DriveType::Unknown;
    QList<int> audioTracks;  // track numbers of an unmounted audio CD; listed in root as TrackNN.cda
};

// The mounted file systems backed by a device or a network share, in mount order, then the
// optical drives that are not mounted (empty, or holding an audio CD).
QList<Drive> LogicalDrives();

// Tests: replaces the system's drives with a fixed list; nullopt restores the real one.
void SetFakeDrives(std::optional<QList<Drive>> drives);

struct FolderEntry {
    QString name;
    bool folder = false;  // a directory, also when reached through a symbolic link
    bool link = false;    // the entry itself is a symbolic link
    bool hidden = false;  // a dot name
    bool special = false; // there, but neither a regular file nor a folder: a FIFO, device or socket
};

// The entries of a folder of every kind ("." and ".." left out), ordered as an NTFS volume lists
// them (by upper-cased name). The root of an audio-CD drive from the last LogicalDrives() (or the
// fake list) lists its tracks. A folder that cannot be read lists nothing.
QList<FolderEntry> ListFolder(const QString& folder);

// A Windows file mask ("*.mp3", "*.mp?": "*" any run, "?" one character), matched without regard
// to case as Windows matches names; collections copied from it mix .MP3 and .mp3.
class FileMask {
public:
    explicit FileMask(const QString& mask);
    bool Matches(QStringView name) const;

private:
    QString mask_;
    QString suffix_;  // the common "*.ext" form, matched as a plain ending
};

// "Track07.cda": the name Windows gives an audio CD track.
QString AudioTrackName(int track);

}  // namespace platform
