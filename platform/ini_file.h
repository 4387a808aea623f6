// Profile files ("[section]" and "key=value" lines) with the Windows profile semantics.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>

#include "platform/text_file.h"

namespace platform {

// Every call sees the file as it is on disk, so a write made through another object (or another
// process) is seen at once; the file is read again only when its inode, size or times changed,
// so reading many values costs one read. Not for use from several threads at once.
// Sections and keys compare case-insensitively; the first matching section and, inside it, the
// first matching key win; keys and values are trimmed of blanks and a value in matching double
// or single quotes loses them. Every write goes to disk at once, atomically, with CR LF, keeping
// every other line as it was and the encoding the file was read in (GB18030 for a new file; see
// EncodeText for the one exception).
class TIniFile {
public:
    explicit TIniFile(const QString& fileName);

    QString FileName() const { return fileName_; }
    // What the last failed write could not do; empty after a successful one.
    QString LastError() const { return lastError_; }

    QString ReadString(const QString& section, const QString& key, const QString& def) const;
    // A signed decimal, or a hex form "0x1F" / "$1F" (up to 8 digits, taken as 32 bits, so
    // "$FFFFFFFF" is -1); anything else gives `def`.
    int ReadInteger(const QString& section, const QString& key, int def) const;
    bool ReadBool(const QString& section, const QString& key, bool def) const;

    bool WriteString(const QString& section, const QString& key, const QString& value);
    bool WriteInteger(const QString& section, const QString& key, int value);
    bool WriteBool(const QString& section, const QString& key, bool value);

    // Key names of the first matching section, in file order, each name once.
    QStringList ReadSection(const QString& section) const;
    // Section names in file order, each name once.
    QStringList ReadSections() const;
    // "key=value" for each key of ReadSection, with the value ReadString gives.
    QStringList ReadSectionValues(const QString& section) const;
    // Removes every section of that name, so none stays visible behind the first.
    bool EraseSection(const QString& section);
    // Removes every line of the key in the first matching section.
    bool DeleteKey(const QString& section, const QString& key);
    bool SectionExists(const QString& section) const;
    bool ValueExists(const QString& section, const QString& key) const;

private:
    struct Snapshot;
    std::shared_ptr<const Snapshot> load() const;
    bool loadForWrite(QStringList* lines);
    bool save(const QStringList& lines);

    QString fileName_;
    QString lastError_;
    TextEncoding encoding_ = TextEncoding::Gb18030;  // as the last write found the file
    mutable std::shared_ptr<const Snapshot> cache_;
};

}  // namespace platform
