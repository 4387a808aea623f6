// TLrcCtrl: the lyrics of the current track in the video window. Two lines, the one being sung and
// the next one, alternate between top and bottom; the sung line is wiped from its left colours to
// its right colours as the words are sung. GUI thread only.
#pragma once

#include <QFont>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QRegion>
#include <QSize>
#include <QString>
#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

#include "player/lyrics/lrc_file.h"

// The lyrics settings as stored (colours are Windows values: blue in the high byte).
struct TLrcSettings {
    QString FontName = QStringLiteral("宋体");
    int FontSize = 18;
    QString FontStyle = QStringLiteral("粗体");
    quint32 FontLeftColor = 0xFF0000;
    quint32 FontRightColor = 0x0000FF;
    quint32 FrameLeftColor = 0xFFFFFF;
    quint32 FrameRightColor = 0x00FFFF;
    quint32 BackgroundColor = 0;
    bool AlignAuto = true;
    int AlignTop = 0;
    int AlignLeft = 0;
    bool UseBackgroundImage = false;
    QString BackgroundImage;
};

namespace lyrics {

// A text colour equal to the background would vanish and escape the wipe: its red byte's lowest
// bit flips, so no byte carries into the next.
quint32 DistinctFromBackground(quint32 colour, quint32 background);
QRgb ToRgb(quint32 windowsColour);

// How far a line is sung at time t: the pixel the wipe reaches, from the line's marks and the time
// its line started. Nothing when the current segment has no positive duration.
std::optional<int> WipePixel(const std::vector<TLrcMark>& marks, int lineStart, int t);

}  // namespace lyrics

class QPainter;
class TLrcView;

class TLrcCtrl : public QObject {
    Q_OBJECT
public:
    // `window` is the video window the lines are shown in; its size sets the layout.
    explicit TLrcCtrl(QWidget* window, QObject* parent = nullptr);
    ~TLrcCtrl() override;

    // Shows the lines in another window (the video window was built anew).
    void SetWindow(QWidget* window);
    QWidget* Window() const { return window_; }

    void SetLyrics(lyrics::TLrcData data);
    const lyrics::TLrcData& Lyrics() const { return data_; }

    // The picture behind the lines, when the settings ask for one and its file exists.
    void LoadBackground(const TLrcSettings& settings);
    void ApplySettings(const TLrcSettings& settings, bool rewipe);
    void Layout();
    void DrawLines();
    void WipeColumns(QImage& image, int n);
    // The window shows the images as they are now.
    void ShowChanges();

    // One step of the lyrics timer at time t (the playback position plus the correction).
    void Tick(int t);
    // The lines are found again at the next step (after a seek or a load).
    void ResetLines();

    // What the window shows inside its frame without a video: background, picture and both lines.
    QImage Picture() const;
    // The two lines alone, drawn over whatever the painter holds (a video frame, the window's
    // picture); (0, 0) is the inner area's top-left corner. The lines' background stays unpainted.
    void PaintLines(QPainter& painter) const;
    // The inner-area pixels the lines cover: the shape of the lines' own window, so a video drawn
    // by the engine into a window below shows everywhere else.
    QRegion LinesRegion() const;
    // The background colour and picture into the window's own surface, below any video. Unless
    // `always`, only when they or the window's size changed: a paused video's frame stays.
    void DrawBackground(bool always = true);
    // The window size lyrics without video ask for: 16 full-width characters by two lines.
    QSize VideoSize() const;
    // The line image's height the window must hold twice.
    int LineHeight() const { return UpperImage.height(); }

    // Runs after ApplySettings made the window taller for two lines.
    std::function<void()> WindowGrown;
    // Runs whenever the layout sets the size lyrics without video ask for (a new font changes it).
    std::function<void(QSize)> VideoSizeSet;

    QRgb FontLeftColor = 0, FontRightColor = 0, FrameLeftColor = 0, FrameRightColor = 0, BackgroundColor = 0;
    QString UpperText, LowerText;
    int UpperWidth = 0, LowerWidth = 0;
    int LeftMargin = 7;
    bool WordWipe = true;
    QImage BackgroundImage;
    int NextChange = -1;
    int LineStart = 0;
    int Correction = 0;
    QImage UpperImage, LowerImage;
    QFont UpperFont, LowerFont;
    int UpperTop = 15, LowerTop = 15;  // in the window
    int WipeColumn = 0;
    quint8 State = 2;  // 0: upper line sung, 1: lower line sung, 2: lines not chosen yet
    std::vector<lyrics::TLrcMark> UpperMarks, LowerMarks;
    TLrcSettings Settings;

private:
    int WindowWidth() const;
    int WindowHeight() const;
    void ChangeLines(int t);
    void ChooseLines(int t);
    void WipeTo(QImage& image, const std::vector<lyrics::TLrcMark>& marks, int t, int origin);
    lyrics::TParsedLine Parse(const QString& line, const QFont& font) const;
    void DrawLine(QImage& image, const QFont& font, const QString& text, int x) const;

    lyrics::TLrcData data_;
    QPointer<QWidget> window_;
    struct {
        QSize Size;
        QRgb Colour = 0;
        qint64 Picture = 0;
    } backgroundDrawn_;
    QPointer<TLrcView> view_;
};

// The lines inside the video window's frame, shaped to their pixels. On X11 it is a window of its
// own kept above the engine's video window, since nothing can be blended over a picture that a
// video sink draws into a native window; elsewhere it paints over the window's own picture.
class TLrcView : public QWidget {
    Q_OBJECT
public:
    TLrcView(TLrcCtrl* ctrl, QWidget* window);
    // The shape follows the lines now drawn; nothing drawn hides the view.
    void Reshape();

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void WatchSibling(QObject* sibling);

    QPointer<TLrcCtrl> ctrl_;
    QRegion shape_;
};
