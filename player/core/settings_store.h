// The settings store: the lines of setup.ini held in memory, read and written by name with the
// player's own lookup rules (not an ini parser: no sections, names case-sensitive).
#pragma once

#include <QString>
#include <QStringList>

class TSettingsStore {
public:
    // The first line of a store that starts without a file; saved with the rest, never read.
    static constexpr const char* kInitialLine = "[Initialise]";

    TSettingsStore() = default;
    explicit TSettingsStore(QStringList lines) : lines_(std::move(lines)) {}

    // Loads the file whole. A missing file starts the store with "[Initialise]". So does a file
    // that exists but cannot be read, and then the result is false with the reason in *error:
    // the store holds none of that file's settings, so saving it would wipe them.
    bool Load(const QString& path, QString* error = nullptr);
    // Writes the store whole, atomically (GB18030, CR LF). On failure the old file stays.
    bool Save(const QString& path, QString* error) const;

    QString ReadString(const QString& name, const QString& def) const;
    int ReadInteger(const QString& name, int def) const;
    bool ReadBool(const QString& name, bool def) const;
    void WriteString(const QString& name, const QString& value);
    void WriteInteger(const QString& name, int value);
    void WriteBool(const QString& name, bool value);

    const QStringList& Lines() const { return lines_; }

    // A value read as an integer: signed decimal; anything else is 0 (not the caller's default).
    static int ToInteger(const QString& value);

private:
    // Index of the first line holding name + "=", or -1; *fits tells whether that line's first
    // "=" directly follows a name-long prefix.
    int FindMatch(const QString& name, bool* fits) const;
    int FindFitting(const QString& name) const;

    QStringList lines_;
};
