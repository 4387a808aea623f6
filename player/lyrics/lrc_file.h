// The .lrc lyrics format as the player reads it: lines led by time tags ("[mm:ss.xx]"), word tags
// inside the text for the karaoke wipe, and the search for a song's lyrics file.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <functional>
#include <optional>
#include <vector>

namespace lyrics {

// The latest time a tag may name: 60 hours, also "no later change".
inline constexpr int kMaxLyricsMs = 216000000;
// Lyrics files are small text; anything larger is not read whole into the GUI thread.
inline constexpr qint64 kMaxLrcFileBytes = 16 * 1024 * 1024;

// One time of a lyric line: the line (index into TLrcData::Lines) is sung from TimeMs.
struct TLrcTime {
    int TimeMs = 0;
    int Line = 0;
    bool operator==(const TLrcTime&) const = default;
};

struct TLrcData {
    QStringList Lines;            // the file's lines, trimmed, tags kept
    std::vector<TLrcTime> Times;  // every leading time tag, in file order
};

// A wipe mark: by TimeMs the line is sung up to Pixel (from the text's left edge).
struct TLrcMark {
    int TimeMs = 0;
    int Pixel = 0;
    bool operator==(const TLrcMark&) const = default;
};

struct TParsedLine {
    QString Text;                 // the lyric, every tag removed, trimmed
    std::vector<TLrcMark> Marks;  // (0, 0), one per word tag, then (0, full width)
};

// Only digits and at most one "." that is neither first nor last; an empty text passes.
bool IsTimeNumber(QStringView text);

// The time of a tag's text ("01:23.45" gives 83450), or nothing when it is no time tag
// ("ar:name", "offset:100", "1:2.3.4"). Huge values are held to 0..kMaxLyricsMs.
std::optional<int> TimeTagMs(QStringView tag);

// The leading tags of a trimmed line: their texts, and where the lyric text begins.
QStringList LeadingTags(QStringView line, qsizetype* textStart = nullptr);

// Lines from text (CR LF or LF), trimmed, with every leading time tag collected.
TLrcData ParseLrcLines(const QStringList& lines);
// The bytes of a file: GB18030, or UTF-8 when marked or valid as such.
TLrcData ParseLrc(const QByteArray& bytes);

// The empty lyric that marks the end of a track of `lengthMs`: "[4:5]" for 245 s.
QString EndLine(int lengthMs);

// Strips every tag from a lyric line and records a wipe mark at each word tag; `width` measures
// a text in the line's font. The last mark's time is left 0 for the caller to set.
TParsedLine ParseWords(const QString& line, const std::function<int(const QString&)>& width);

// Where the search looks, by the flag string LrcFileControl: character 2 beside the song,
// character 4 in `lrcFilePath` (used as stored: no "/" is inserted).
struct TLrcSearch {
    QString Flags;
    QString LrcFilePath;
};

// The lyrics file of the song at `songPath`, or empty when none exists where the flags allow.
QString FindLyricsFile(const QString& songPath, const TLrcSearch& search,
                       const std::function<bool(const QString&)>& exists);

// Reads and parses a lyrics file; false (and *error) when it cannot be read or is too large.
bool LoadLrcFile(const QString& path, TLrcData* data, QString* error = nullptr);

// The lyrics of a song of `lengthMs`: the file the search found, read, with the end line added.
// False when the search finds none or the file cannot be read.
bool LoadSongLyrics(const QString& songPath, const TLrcSearch& search, int lengthMs, TLrcData* data);

}  // namespace lyrics
