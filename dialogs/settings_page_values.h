// Small conversions shared by the lyrics and video pages: flag strings, bar positions, digit-only
// edits and colours in the stored Windows order.
#pragma once

#include <QColor>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QString>
#include <optional>

namespace settingspages {

// Character `position` (0-based) of a flag string: a string too short for it counts as "0".
// Nothing when the character is there but is no digit (a damaged setting the fill reports).
inline std::optional<bool> FlagAt(const QString& flags, int position) {
    if (position < 0 || position >= flags.size()) return false;
    const QChar c = flags.at(position);
    if (!c.isDigit() || c.unicode() > u'9') return std::nullopt;
    return c == u'1';
}

// Sets character `position` to "0"/"1"; a shorter string is first padded with "0".
inline void SetFlag(QString& flags, int position, bool on) {
    if (flags.size() <= position) flags = flags.leftJustified(position + 1, u'0');
    flags[position] = on ? u'1' : u'0';
}

// num / den to the nearest integer, halves to even (den > 0).
inline int RoundHalfEven(long long num, long long den) {
    long long q = num / den;
    long long r = num % den;
    if (r < 0) {
        r += den;
        --q;
    }
    if (2 * r > den || (2 * r == den && (q & 1))) ++q;
    return static_cast<int>(q);
}

// A filter value -255..255 and its bar position 0..86 (43 is no change).
inline int FilterBarPosition(int value) { return RoundHalfEven(static_cast<long long>(value) * 43, 255) + 43; }
inline int FilterBarValue(int position) { return RoundHalfEven(static_cast<long long>(position - 43) * 255, 43); }

// Keeps the digits of the edit only, drops leading zeros ("" becomes "0") and puts the caret back
// where it was. The edit's own change signal does not fire for the cleaning.
inline void KeepDigits(QLineEdit* edit) {
    const QString text = edit->text();
    int caret = edit->cursorPosition();
    QString digits;
    for (const QChar c : text)
        if (c >= u'0' && c <= u'9') digits += c;
    if (digits.isEmpty()) {
        digits = QStringLiteral("0");
        caret = 1;
    }
    while (digits.size() > 1 && digits.startsWith(u'0')) digits.remove(0, 1);
    if (digits == text) return;
    const QSignalBlocker quiet(edit);
    edit->setText(digits);
    edit->setCursorPosition(std::min<int>(caret, static_cast<int>(digits.size())));
}

// Colours are stored as Windows values: red in the low byte, blue in the high one.
inline quint32 WindowsColour(const QColor& colour) {
    const QRgb rgb = colour.rgb();
    return quint32(qRed(rgb)) | quint32(qGreen(rgb)) << 8 | quint32(qBlue(rgb)) << 16;
}
inline QColor FromWindowsColour(quint32 value) {
    return QColor(int(value & 0xFF), int(value >> 8 & 0xFF), int(value >> 16 & 0xFF));
}

}  // namespace settingspages
