// File types and URL protocols handed to the player on a freedesktop desktop: the player's own
// entry in $XDG_DATA_HOME/applications names the MIME types and x-scheme-handler/ types it opens,
// and $XDG_CONFIG_HOME/mimeapps.list makes it the default for them. Shared by the player, which
// associates and undoes one type at a time, and the uninstaller, which takes everything back.
#pragma once

#include <QString>
#include <QStringList>

namespace platform {

class DesktopAssociations {
public:
    // Reads the folders from the environment ($XDG_DATA_HOME, $XDG_CONFIG_HOME) once.
    DesktopAssociations();

    QString EntryFile() const { return entryFile_; }
    QString MimeAppsFile() const { return mimeAppsFile_; }

    // The MIME type a file manager gives files with this extension (no dot); empty when the MIME
    // database knows it only as generic data, so the player never claims every unknown file.
    static QString MimeTypeOfExtension(const QString& extension);
    // The entry's Exec value: the program path quoted by the desktop entry rules, then %u.
    static QString ExecValue(const QString& program);

    // Each writes the entry and the default at once; false with LastError() when a file could
    // not be read or replaced. An undo of a type the entry does not hold changes nothing.
    bool AssociateExtension(const QString& extension, const QString& program);
    bool UnassociateExtension(const QString& extension);
    bool AssociateProtocol(const QString& protocol, const QString& program);
    bool UnassociateProtocol(const QString& protocol);

    // What the entry was written for, lower case.
    QStringList Extensions() const;
    QStringList Protocols() const;
    // True when the player's entry is the first default for the MIME type.
    bool IsDefaultFor(const QString& mimeType) const;

    // Everything the player wrote: each type undone, the entry taken out of every default list
    // that still names it, a defaults group left empty removed, the entry file deleted. The other
    // programs' defaults stay. A step that fails does not stop the others: false, with each
    // failure in Failures().
    bool RemoveAll();
    QStringList Failures() const { return failures_; }

    QString LastError() const { return lastError_; }

private:
    struct Entry;
    bool Associate(const QString& item, bool protocol, const QString& program);
    bool Unassociate(const QString& item, bool protocol);
    bool LoadEntry(Entry* entry) const;
    bool SaveEntry(const Entry& entry);
    bool Fail(const QString& reason);

    QString entryFile_;
    QString mimeAppsFile_;
    QString lastError_;
    QStringList failures_;
};

// Tells the desktop that associations changed (the shell notification of the Windows player):
// refreshes the MIME cache of the user's applications folder when the desktop's tool exists.
void NotifyAssociationsChanged();
// How many notifications this process sent, for tests.
int AssociationsChangedCount();

}  // namespace platform
