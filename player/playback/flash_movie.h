// The movie-file side of the Flash engine and the dispatch ids of the Flash control.
#pragma once

#include <QFile>
#include <QString>

// The movie-file side of the Flash engine: the projector trailer and the movie header fields,
// read with an SWF bit reader (most significant bit first).
class TFlashMovie {
public:
    // Copies the movie appended to a projector .exe into target. False when the trailer's magic
    // is missing or the file cannot be read or written.
    static bool ExtractFromExe(const QString& exePath, const QString& targetPath);
    // ms per frame := trunc(1500 / R), R = byte 17 of the movie, or byte 18 when byte 17 is 0.
    // A movie whose rate bytes are both 0 (or that cannot be read) gets 0: it never reports a
    // length, so its open wait times out.
    void ReadFrameTime(const QString& movie);
    // The stage size in pixels from the header RECT at byte 8; 0 x 0 when unreadable.
    void ReadStageSize(const QString& movie, int& width, int& height);

    void NextByte();
    quint32 ReadBits(int n);
    qint32 ReadSignedBits(int n);

    quint8 BitBuffer = 0;
    int BitsLeft = 0;
    QFile* Stream = nullptr;  // open only while the header is read
    int MsPerFrame = 0;
};

// Dispatch ids of the Flash control.
namespace flash {
constexpr int Movie = 102;
constexpr int FrameNum = 107;
constexpr int TotalFrames = 124;
constexpr int Playing = 125;
constexpr int ReadyState = -525;
}  // namespace flash
