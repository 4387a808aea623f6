// TImgVideo: the frame filters' settings and the two bitmaps of the frame engine's grabber path,
// and the captures of the current frame (wallpaper, a chosen bitmap, numbered bitmaps on a timer).
#pragma once

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QTimer>
#include <atomic>
#include <functional>
#include <mutex>

class TSettingsStore;

// The largest side of a capture taken from the settings; larger edited values are clamped.
inline constexpr int kMaxCaptureSide = 8192;
// The shortest capture interval the settings can ask for.
inline constexpr int kMinCaptureIntervalMs = 100;

// folder + four-digit number + ".bmp" for the first number from 1 on that `exists` says is free;
// numbers from 10000 on are not padded.
QString NumberedCaptureName(const QString& folder, const std::function<bool(const QString&)>& exists);

// Sets the desktop wallpaper through the desktop's own setting; false when none answered.
using WallpaperSetter = std::function<bool(const QString& path)>;
// Tests install their own; an empty one restores the desktop's. Returns the previous one.
WallpaperSetter SetWallpaperSetter(WallpaperSetter setter);
bool SetDesktopWallpaper(const QString& path);

class TImgVideo : public QObject {
    Q_OBJECT
public:
    explicit TImgVideo(QObject* parent = nullptr);
    ~TImgVideo() override;

    // GUI thread; the values take effect at the next frame. Filter values are clamped to
    // -255..255, the frame delay to 0..200 ms; a flag is on only for the digit 1.
    void LoadSettings(const TSettingsStore& settings);
    void LoadSettings();  // from the player's settings
    // The store the captures read (GetVideoType, GetVideoFolder, ...); null: the player's.
    void UseSettings(const TSettingsStore* settings) { store_ = settings; }

    // The enabled filters in their fixed order, on the streaming thread, with FrameLock held so
    // that one frame sees one whole set of values.
    void ApplyFilters(QImage* frame) const;
    int FrameDelayMs() const { return frameDelay_.load(); }

    // The current frame at the video's size and the picture as drawn. FrameLock guards both
    // (the canvas lock of the frame bitmap); whoever reads or writes them holds it.
    std::mutex FrameLock;
    QImage FrameBitmap;
    QImage WindowBitmap;

    // 0 wallpaper, 1 save as, 2 choose a folder and start the timed capture, 3 the next numbered
    // file. GUI thread.
    void Capture(int mode);
    // The capture timer's tick.
    void CaptureTimer();
    QTimer* CaptureTimerObj() const { return timer_; }

    // What the captures need of the rest of the player; each has the player's own by default.
    std::function<int()> PlayingLength;  // TRun's length: <= 0 when nothing plays
    std::function<bool()> IsPaused;
    std::function<QSize()> InnerArea;     // the video window's picture area
    std::function<QString()> AskSaveName;  // empty when cancelled
    std::function<QString(const QString& start)> AskFolder;  // empty when cancelled

private:
    QImage CapturePicture(int mode);
    void SaveWallpaper(const QImage& picture);
    bool Save(const QImage& picture, const QString& path);
    const TSettingsStore& Settings() const;
    int CaptureSetting(const char* name, int def) const;
    QString CaptureFolder() const;

    std::atomic<int> brightness_{0}, contrast_{0}, saturation_{0}, red_{0}, green_{0}, blue_{0};
    std::atomic<quint8> flags_[6] = {};
    std::atomic<int> frameDelay_{0};
    QPointer<QTimer> timer_;
    const TSettingsStore* store_ = nullptr;
};
