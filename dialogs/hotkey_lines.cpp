#include "dialogs/hotkey_lines.h"

#include "platform/text_file.h"
#include "player/commands/menu.h"

namespace dialogs {

namespace {

constexpr int kWindows = 5;

// The position of the first "=" of a trimmed line when the line gives a row, else -1.
qsizetype RowEquals(const QString& line) {
    const qsizetype eq = line.indexOf(u'=');
    return eq < 2 || line.endsWith(u'-') ? -1 : eq;
}

// One line's bytes: [start, end) without its line end.
struct ByteLine {
    qsizetype start;
    qsizetype end;
};

// The lines as platform::SplitLines cuts the decoded text: at LF, a CR before it dropped. CR and
// LF never occur inside a multi-byte character of GB18030 or UTF-8, so the cuts agree.
QList<ByteLine> SplitByteLines(const QByteArray& bytes, qsizetype from) {
    QList<ByteLine> lines;
    qsizetype start = from;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0) end = bytes.size();
        qsizetype lineEnd = end;
        if (end < bytes.size() && lineEnd > start && bytes.at(lineEnd - 1) == '\r') --lineEnd;
        lines.append({start, lineEnd});
        start = end + 1;
    }
    return lines;
}

QByteArray EncodeLike(const QString& line, platform::TextEncoding encoding) {
    return encoding == platform::TextEncoding::Gb18030 ? platform::EncodeGb18030(line) : line.toUtf8();
}

}  // namespace

bool ParseHotkeyLine(const QString& raw, THotkeyRow* row) {
    const QString line = raw.trimmed();
    const qsizetype eq = RowEquals(line);
    if (eq < 0) return false;
    *row = THotkeyRow{};
    row->Id = line.left(eq - 1);
    const qsizetype hash = line.indexOf(u'#', eq + 1);
    const qsizetype paren = line.indexOf(u'(', eq + 1);
    // An accelerator suffix such as (&P) is not shown; neither is the hotkey tail.
    qsizetype actionEnd = hash < 0 ? line.size() : hash;
    if (paren >= 0 && paren < actionEnd) actionEnd = paren;
    row->Action = line.mid(eq + 1, actionEnd - eq - 1);
    if (hash < 0) return true;
    const qsizetype percent = line.indexOf(u'%', hash + 1);
    row->Hotkey = line.mid(hash + 1, percent < 0 ? -1 : percent - hash - 1);
    const QString flags = percent < 0 ? QString() : line.mid(percent + 1);
    row->Flags = (flags + QStringLiteral("0000")).trimmed().left(kWindows);
    return true;
}

QList<THotkeyRow> HotkeyRows(const QStringList& lines) {
    QList<THotkeyRow> rows;
    THotkeyRow row;
    for (const QString& line : lines)
        if (ParseHotkeyLine(line, &row)) rows.append(row);
    return rows;
}

QString CaptureText(const TVirtualKey& key) {
    QString text;
    if (key.Shift) text += QStringLiteral("Shift+");
    if (key.Alt) text += QStringLiteral("Alt+");
    if (key.Ctrl) text += QStringLiteral("Ctrl+");
    const QString name = KeyName(key.Key);
    if (!name.isEmpty()) return text + name;
    return key.Key >= 16 && key.Key <= 18 ? text : QString();
}

bool EndsInLoneModifier(const QString& text) {
    return text.size() > 2 && text.endsWith(u'+') && text.at(text.size() - 2) != u'+';
}

bool SameHotkey(const QString& a, const QString& b) {
    return HotkeyKeyText(a).compare(HotkeyKeyText(b), Qt::CaseInsensitive) == 0;
}

QString FreeWindows(const QList<THotkeyRow>& rows, int selected, const QString& hotkey) {
    if (hotkey.isEmpty()) return QStringLiteral("00000");
    QString flags = QStringLiteral("11111");
    for (int i = 0; i < rows.size(); ++i) {
        if (i == selected || rows[i].Hotkey.isEmpty() || !SameHotkey(rows[i].Hotkey, hotkey)) continue;
        for (int n = 0; n < kWindows && n < rows[i].Flags.size(); ++n)
            if (rows[i].Flags[n] == u'1') flags[n] = u'0';
    }
    return flags;
}

THotkeyConflict FirstConflict(const QList<THotkeyRow>& rows, int selected, const QString& hotkey,
                              const QString& flags) {
    if (hotkey.isEmpty()) return {};
    for (int i = 0; i < rows.size(); ++i) {
        if (i == selected || rows[i].Hotkey.isEmpty() || !SameHotkey(rows[i].Hotkey, hotkey)) continue;
        for (int n = 0; n < kWindows && n < flags.size() && n < rows[i].Flags.size(); ++n)
            if (flags[n] == u'1' && rows[i].Flags[n] == u'1') return {i, n};
    }
    return {};
}

QByteArray RewriteHotkeyLine(const QByteArray& bytes, const QString& id, const QString& tail, bool* replaced) {
    *replaced = false;
    platform::TextEncoding encoding;
    const QStringList lines = platform::SplitLines(platform::DecodeText(bytes, &encoding));
    const qsizetype from = encoding == platform::TextEncoding::Utf8WithMark ? 3 : 0;
    const QList<ByteLine> byteLines = SplitByteLines(bytes, from);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        const qsizetype eq = RowEquals(line);
        // Separators are skipped as the page skips them: "1.20=-" has the id of a line "1.21=".
        if (eq < 0 || line.left(eq - 1) != id) continue;
        const qsizetype rawEq = lines[i].indexOf(u'=');
        const qsizetype hash = lines[i].indexOf(u'#', rawEq + 1);
        QStringList changed = lines;
        changed[i] = (hash < 0 ? lines[i] : lines[i].left(hash)) + tail;
        *replaced = true;
        if (byteLines.size() == lines.size()) {
            QByteArray out = bytes.left(byteLines[i].start) + EncodeLike(changed[i], encoding) +
                             bytes.mid(byteLines[i].end);
            // Kept only when the whole file still reads as the intended text; a file whose
            // encoding the new line would tip over is written whole instead.
            if (platform::SplitLines(platform::DecodeText(out)) == changed) return out;
        }
        return platform::EncodeTextLines(changed, encoding);
    }
    return bytes;
}

bool SaveHotkeyLine(const QString& path, const QString& id, const QString& tail, bool* replaced, QString* error) {
    *replaced = false;
    QByteArray bytes;
    if (!platform::ReadFileBytes(path, &bytes, error)) return false;
    const QByteArray out = RewriteHotkeyLine(bytes, id, tail, replaced);
    if (!*replaced) return true;
    return platform::WriteTextFile(path, out, error);
}

}  // namespace dialogs
