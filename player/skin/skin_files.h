// The files of a skin, read as untrusted input: Windows bitmaps, cursors, colour words and
// Pledit.txt, plus the built-in skin library the player falls back on. Free functions on bytes,
// so every quirk is tested apart from the windows.
#pragma once

#include <QByteArray>
#include <QCursor>
#include <QImage>
#include <QPoint>
#include <QString>
#include <QStringList>

// Largest side of a skin bitmap the player accepts; real sheets are a few hundred pixels.
inline constexpr int kMaxBitmapSide = 4096;
// Largest cursor side a cursor file may declare (its directory holds one byte, 0 meaning 256).
inline constexpr int kMaxCursorSide = 256;

// Every sheet of one skin together holds at most this many pixels (32 MB at 32 bits): a whole
// real skin is well under a million, and a hostile folder of huge sheets cannot add up.
inline constexpr qint64 kMaxSkinPixels = qint64(8) << 20;
// What Qt's reader may allocate for one bitmap, in megabytes: a largest sheet with room for its
// conversion.
inline constexpr int kBitmapAllocationMegabytes = 80;

// A whole .bmp file to an RGB32 image. Our own reading comes first; what it refuses, Qt's BMP
// reader gets a second look at, so every bitmap Qt accepts is accepted. Null when both refuse,
// for a side over kMaxBitmapSide and for more than maxPixels pixels.
QImage DecodeBmp(const QByteArray& bytes, qint64 maxPixels = kMaxSkinPixels);

// The bytes of a skin file: only a regular file (links followed), opened without blocking, so a
// FIFO or a device named like a skin file cannot stall or flood the player, and only when it
// holds at most `limit` bytes. Empty for anything else.
QByteArray ReadSkinFile(const QString& path, qint64 limit);

// One picture of a .cur file: the image (ARGB32, transparent where the mask hides it) and the
// hotspot from its directory entry, kept inside the image.
struct CursorImage {
    QImage image;  // null when the file was refused
    QPoint hotspot;
};
// The best picture of a .cur file: the size nearest 32 x 32, then the most colours.
CursorImage DecodeCursorImage(const QByteArray& bytes);
// The same as a cursor; false when the file was refused.
bool DecodeCursor(const QByteArray& bytes, QCursor* cursor);

// The real path of `name` inside `folder`, matched without regard to case (skins come from
// Windows: MAIN.BMP, Main.bmp, pledit.TXT); an exact match wins. Empty when there is none.
QString FindFileNoCase(const QString& folder, const QString& name);

// The bytes of one resource ("BITMAP" or "CURSOR", by name) of the built-in skin library at
// libraryPath; empty when the library, its export or the resource is missing. With an event loop
// the library stays loaded until control returns to it, so one skin load opens it once.
QByteArray BuiltInSkinResource(const QString& libraryPath, const char* type, const QString& name);

// Writes a colour word (0x00BBGGRR) read from text like "#2F2B66"; leaves `colour` alone when the
// text is too short. Hex digits are not checked: other characters give other values.
void HexToColor(const QString& text, quint32& colour);
// The colour a colour word stands for: its three low bytes, as a drawing device reads it.
QColor ColorFromWord(quint32 colour);

// The six playlist colours as colour words.
struct PlaylistColors {
    quint32 Normal = 0;
    quint32 NormalBG = 0;
    quint32 Current = 0;
    quint32 SelectedBG = 0;
    quint32 MBBG = 0;
    quint32 MBFG = 0;
};
// The colours of a Pledit.txt given as its lines; no lines (no file) gives the defaults.
PlaylistColors PlaylistColorsFromLines(const QStringList& lines);

// The six skin cursor slots (1 to 6). An empty slot shows the ordinary arrow.
QCursor SkinCursor(int slot);
bool HasSkinCursor(int slot);
void SetSkinCursor(int slot, const QCursor& cursor);
void ClearSkinCursor(int slot);
