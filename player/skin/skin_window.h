// The surface of a skinned window. The display draws on a window in two ways: straight onto
// the window (a pressed button, the time digits), which lasts until the next repaint, and by
// repainting it whole from its back buffer. The window keeps the picture it shows as an image of
// its own size, so both ways are plain image copies and the paint event only shows that image.
#pragma once

#include <QImage>
#include <QRect>
#include <QWidget>
#include <functional>

// The largest side a skinned window takes from the settings: each window keeps back buffers of
// its own size, and a hand-edited setting must not make them huge.
inline constexpr int kMaxSkinWindowSide = 8192;

class TSkinWindow : public QWidget {
    Q_OBJECT
public:
    explicit TSkinWindow(QWidget* parent = nullptr, Qt::WindowFlags flags = {});

    // The window's repaint handler (the display's Paint... of this window). It runs when the
    // window is shown or changes size, as a window system asks a window to paint then, once per
    // burst of such changes, after the handler that caused them has returned.
    std::function<void()> PaintHandler;

    // The picture on screen, always the window's size; new parts take the window's colour.
    QImage& ScreenImage();
    // Draws onto the window: the copy lands in the screen image at once and shows at the next
    // paint.
    void DrawOnWindow(const QRect& dst, const QImage& source, const QRect& src);
    // Repaints the window whole from a back buffer (its top-left corner at the window's). Later
    // drawing on the buffer does not reach the window until the next call.
    void ShowBuffer(const QImage& buffer);

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void RequestRepaint();

    QImage screen_;
    bool repaintPending_ = false;
};

// A picture child control that shows an image of its own (the scrolling title).
class TSkinImage : public QWidget {
    Q_OBJECT
public:
    explicit TSkinImage(QWidget* parent);
    QImage Picture;

protected:
    void paintEvent(QPaintEvent* event) override;
};
