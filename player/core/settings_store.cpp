#include "player/core/settings_store.h"

#include <QFileInfo>
#include <limits>

#include "platform/text_file.h"

bool TSettingsStore::Load(const QString& path, QString* error) {
    lines_.clear();
    QString reason;
    if (platform::ReadTextLines(path, &lines_, &reason)) return true;
    lines_ = QStringList{QString::fromLatin1(kInitialLine)};
    // Nothing there (a link to nowhere included): no settings to lose.
    if (!QFileInfo::exists(path)) return true;
    if (error) *error = reason;
    return false;
}

bool TSettingsStore::Save(const QString& path, QString* error) const {
    return platform::WriteTextLines(path, lines_, error);
}

// A line matches when it holds name + "=" anywhere; it fits when its first "=" stands right
// after the first length(name) characters. Hand-written lines can match without fitting.
static bool LineFits(const QString& line, const QString& name) {
    return line.indexOf(QLatin1Char('=')) == name.size();
}

int TSettingsStore::FindMatch(const QString& name, bool* fits) const {
    const QString needle = name + QLatin1Char('=');
    for (int i = 0; i < lines_.size(); ++i) {
        if (lines_[i].contains(needle)) {
            *fits = LineFits(lines_[i], name);
            return i;
        }
    }
    *fits = false;
    return -1;
}

// The integer readers pass over matching lines that do not fit and go on looking.
int TSettingsStore::FindFitting(const QString& name) const {
    const QString needle = name + QLatin1Char('=');
    for (int i = 0; i < lines_.size(); ++i) {
        if (lines_[i].contains(needle) && LineFits(lines_[i], name)) return i;
    }
    return -1;
}

int TSettingsStore::ToInteger(const QString& value) {
    bool ok = false;
    const qlonglong n = value.toLongLong(&ok, 10);
    if (!ok || n < std::numeric_limits<int>::min() || n > std::numeric_limits<int>::max()) return 0;
    return static_cast<int>(n);
}

QString TSettingsStore::ReadString(const QString& name, const QString& def) const {
    bool fits = false;
    const int i = FindMatch(name, &fits);
    if (i < 0) return def;
    return fits ? lines_[i].mid(name.size() + 1) : QString();
}

int TSettingsStore::ReadInteger(const QString& name, int def) const {
    const int i = FindFitting(name);
    return i < 0 ? def : ToInteger(lines_[i].mid(name.size() + 1));
}

bool TSettingsStore::ReadBool(const QString& name, bool def) const {
    const int i = FindFitting(name);
    if (i < 0) return def;
    return (ToInteger(lines_[i].mid(name.size() + 1)) & 0xFF) != 0;
}

void TSettingsStore::WriteString(const QString& name, const QString& value) {
    bool fits = false;
    const int i = FindMatch(name, &fits);
    const QString line = name + QLatin1Char('=') + value;
    if (i < 0) {
        lines_.append(line);
    } else if (fits) {
        lines_[i] = line;
    }
    // A matching line that does not fit blocks the write: the store is left as it is.
}

void TSettingsStore::WriteInteger(const QString& name, int value) { WriteString(name, QString::number(value)); }

void TSettingsStore::WriteBool(const QString& name, bool value) {
    WriteString(name, value ? QStringLiteral("1") : QStringLiteral("0"));
}
