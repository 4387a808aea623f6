// The player's own file types and icons on a freedesktop desktop. No desktop knows .kpl, .wsz or
// .cda, so a file manager would open them as text or as an archive: the player brings a
// shared-mime-info package into $XDG_DATA_HOME/mime and its icons into the user's icon theme
// ($XDG_DATA_HOME/icons/hicolor), and the uninstaller takes both back.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QObject;
class QProcess;

namespace platform {

// The player's own MIME type for the extension (no dot, any case); empty for any other.
QString OwnMimeType(const QString& extension);

// The package and the icons, each written only when missing or different; the MIME database of
// the user's data folder is rebuilt when the package changed. False with the reason in *error
// when a file could not be written or the database not rebuilt; a desktop without the
// database tool gets the files only.
bool InstallDesktopTypes(QString* error = nullptr);
// Only the icons (what a launcher names).
bool InstallDesktopIcons(QString* error = nullptr);

// While one lives, a rebuild of the MIME database that InstallDesktopTypes would wait for is only
// noted: the holder starts it afterwards with StartMimeDatabaseRebuild, so the start-up set-up
// leaves the event loop running while the tool works. One thread (the GUI's) uses these.
class MimeRebuildDeferral {
public:
    MimeRebuildDeferral();
    ~MimeRebuildDeferral();
    MimeRebuildDeferral(const MimeRebuildDeferral&) = delete;
    MimeRebuildDeferral& operator=(const MimeRebuildDeferral&) = delete;
    // True when a rebuild was noted while this one lived.
    bool Wanted() const;

private:
    bool outerWanted_;
};

// Starts the database rebuild without waiting for it; `done` gets the outcome (false with the
// reason) from the event loop, or from WaitForMimeDatabaseRebuild. Null, after calling `done`
// with true, when the desktop has no database tool. The process belongs to `owner`. A rebuild
// that InstallDesktopTypes or RemoveDesktopTypes runs meanwhile waits for this one first.
QProcess* StartMimeDatabaseRebuild(QObject* owner, std::function<void(bool ok, const QString& error)> done);
// Waits for a rebuild started so (its `done` runs); false when it did not end within timeoutMs.
bool WaitForMimeDatabaseRebuild(int timeoutMs);

// The package (and the database rebuilt without it) and the icons; folders left empty go. What
// could not be removed is appended to *failures.
void RemoveDesktopTypes(QStringList* failures);

// Where they go, for tests and the uninstaller.
QString MimePackageFile();
QStringList DesktopIconFiles();

}  // namespace platform
