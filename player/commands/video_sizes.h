// Where the video window's size commands put the window: full screen, desktop size, normal and
// double size, from the screen, the desktop rectangle and the window's own place.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace video_sizes {

// The skin frame around the picture: 7 + 7 pixels wide, 15 + 5 high.
inline constexpr int kFrameWidth = 14;
inline constexpr int kFrameHeight = 20;

struct TVideoSizing {
    QSize Screen;      // the primary screen
    QRect Desktop;     // the whole desktop, which need not start at (0, 0)
    QRect Window;      // the video window now
    QPoint Stored;     // the place kept from before full screen (AV_L, AV_T)
    QSize Video;       // the video's own size
    bool Lyrics = false;
};

// The window fills the screen, with or without its frame pushed outside it.
bool IsFullSize(const QSize& window, const QSize& screen);
// Going full screen or desktop size keeps the window's place only when it is not already filling
// the screen in either direction.
bool KeepsPlaceBeforeFullScreen(const QSize& window, const QSize& screen);
// The bounds (left, top, width, height) for command item 2 (full screen), 3 (normal),
// 4 (double) or 5 (desktop size).
QRect VideoBounds(int item, const TVideoSizing& sizing);

}  // namespace video_sizes
