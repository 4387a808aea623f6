// The hotkey page's view of Plugins/MenuPlus.ini: one row per command line, the key texts the
// editor captures, the windows two hotkeys contend for, and the rewrite of one line's hotkey tail.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include "player/core/key_mapping.h"

namespace dialogs {

// What the page shows of one line: command id, action text, hotkey text and five window flags
// ('0'/'1': main, playlist, equaliser, video, station browser). Hotkey and flags are empty when
// the line has no "#".
struct THotkeyRow {
    QString Id;
    QString Action;
    QString Hotkey;
    QString Flags;
    bool operator==(const THotkeyRow&) const = default;
};

// The row of one line, read as the hotkey reader reads it (trimmed; the hotkey after the first
// "#" behind the "=", the flags after the first "%" behind that "#"). False for lines that give
// no row: no "=" beyond the second character, or a separator (last character "-").
bool ParseHotkeyLine(const QString& line, THotkeyRow* row);
QList<THotkeyRow> HotkeyRows(const QStringList& lines);

// The text a key press makes: "Shift+", "Alt+", "Ctrl+" in that order, then the key's name.
// A key with no name gives "", except Shift, Ctrl and Alt themselves, which leave the prefixes.
QString CaptureText(const TVirtualKey& key);
// A text that ends in a modifier with no key after it ("Ctrl+"; not "Ctrl++").
bool EndsInLoneModifier(const QString& text);
// Two hotkey texts that the hotkey reader takes for the same keys: letter case and the order
// of the modifiers do not count.
bool SameHotkey(const QString& a, const QString& b);

// The windows still free for `hotkey`: "11111" less every window that another row (any but
// `selected`) holds for the same keys; "00000" for an empty hotkey.
QString FreeWindows(const QList<THotkeyRow>& rows, int selected, const QString& hotkey);

struct THotkeyConflict {
    int Row = -1;       // the row that holds the window, -1 when none does
    int Position = -1;  // 0 to 4
};
// The first row other than `selected` with the same keys that holds a window `flags` asks for.
THotkeyConflict FirstConflict(const QList<THotkeyRow>& rows, int selected, const QString& hotkey,
                              const QString& flags);

// The file's bytes with the hotkey tail of the first line of command `id` (a line that gives a
// row) replaced by `tail` ("#key%flags", or "" for no hotkey). Every other byte stays as it was
// (line ends, encoding, bytes that do not decode); the new line is in the file's own encoding.
// *replaced is false, and the bytes are returned unchanged, when no line has that id.
QByteArray RewriteHotkeyLine(const QByteArray& bytes, const QString& id, const QString& tail, bool* replaced);

// RewriteHotkeyLine on the file at `path`, saved atomically. A file that cannot be read is never
// created or written: false with the reason in *error. Nothing is written when no line matched.
bool SaveHotkeyLine(const QString& path, const QString& id, const QString& tail, bool* replaced, QString* error);

}  // namespace dialogs
