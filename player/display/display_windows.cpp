// The builders of the video window and the station browser, and their repaints.
#include <QFont>
#include <QPalette>
#include <algorithm>

#include "player/skin/canvas.h"
#include "player/core/ctrl.h"
#include "player/display/display.h"
#include "player/lyrics/lrc_ctrl.h"
#include "player/playback/engines.h"
#include "player/playback/run.h"
#include "player/display/window_placement.h"
#include "player/skin/skin_frames.h"
#include "player/skin/skin_regions.h"
#include "player/skin/skin_sprites.h"

namespace {

void BindPaint(TSkinWindow* window, void (TDisplay::*paint)()) {
    window->PaintHandler = [paint] {
        if (Ctrl && Ctrl->Display) (Ctrl->Display.get()->*paint)();
    };
}

void SetColours(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
    QPalette colours = widget->palette();
    colours.setColor(role, colour);
    widget->setPalette(colours);
}

}  // namespace

void TDisplay::BuildVideoWindow(bool first) {
    if (AvsBmp.isNull()) LoadSkinBitmap(AvsBmp, QStringLiteral("avs"));
    if (first) {
        VideoProportion = Ctrl->ReadBool(QStringLiteral("VideoProportion"), false);
        // A window that already exists is kept: the playback controller may be drawing a video
        // into it right now, and freeing it would pull the picture away from under the engine.
        // What lives in it is released, and it takes its stored place as a new one would.
        if (Form4) ReleaseVideoContents();
        auto* window = Form4 ? Form4.data() : new TForm4;
        const int w = ClampSide(Ctrl->ReadInteger(QStringLiteral("AV_W"), Ctrl->Run->VideoWidth), 1,
                                DesktopSideLimit(Qt::Horizontal, 1));
        const int h = ClampSide(Ctrl->ReadInteger(QStringLiteral("AV_H"), Ctrl->Run->VideoHeight), 1,
                                DesktopSideLimit(Qt::Vertical, 1));
        window->setGeometry(BringOnScreen(QRect(ClampPosition(Ctrl->ReadInteger(QStringLiteral("AV_L"), 0)),
                                                ClampPosition(Ctrl->ReadInteger(QStringLiteral("AV_T"), 0)), w, h)));
        SetColours(window, QPalette::Window, Qt::black);
        window->setAutoFillBackground(true);
        Form4 = window;
        PressedRegion.clear();
    }
    if (!Form4) return;
    VideoRegions = ResolveRegions(kVideoRegions, Form4->width(), Form4->height());
    PaintMain();
    BindPaint(Form4, &TDisplay::PaintVideo);
    PaintVideo();
}

// The controls hosted in the window and the lyrics go; the engine that plays on keeps its own
// object until it has been parented to the window.
void TDisplay::ReleaseVideoContents() {
    TRun& run = *Ctrl->Run;
    if (run.EngineCode == Engine::MediaPlayer && run.Media && run.Media->Control().Engine().VideoOwner() == Form4) {
        run.Media->deleteLater();
        run.Media = nullptr;
    }
    if (run.EngineCode == Engine::Real && run.Real && run.Real->Control() &&
        run.Real->Control()->Engine().VideoOwner() == Form4) {
        run.Real->deleteLater();
        run.Real = nullptr;
    }
    if (run.LrcCtrl) {
        if (run.LyricsTimer) run.LyricsTimer->stop();
        run.LrcCtrl->deleteLater();
        run.LrcCtrl = nullptr;
        if (run.ProgressTimerObj) run.ProgressTimerObj->setInterval(500);
    }
}

void TDisplay::PaintVideo() {
    TForm4* window = Form4;
    if (!window) return;
    const int w = window->width();
    const int h = window->height();
    // At a new size the inside is erased in the window's colour, as the window system does before
    // a repaint: the frame pieces of an earlier size must not stay inside a larger one. At the
    // same size the inside keeps the last frame a paused video drew.
    if (window->size() != videoPainted_ && w > 14 && h > 20) {
        QImage inner(w - 14, h - 20, QImage::Format_RGB32);
        inner.fill(window->palette().color(QPalette::Window));
        window->DrawOnWindow(QRect(QPoint(7, 15), inner.size()), inner, inner.rect());
        if (Ctrl && Ctrl->Run && Ctrl->Run->LrcCtrl) Ctrl->Run->LrcCtrl->DrawBackground();
    }
    videoPainted_ = window->size();
    using video_frame::Parity;
    for (const video_frame::TPiece& piece : video_frame::kPieces) {
        if (piece.Width == Parity::Odd && w % 2 == 0) continue;
        if (piece.Width == Parity::Even && w % 2 != 0) continue;
        window->DrawOnWindow(At(piece.Sprite.Dest, w, h), AvsBmp, piece.Sprite.Source);
    }
    // Text drawn over the frame later (the lyrics) is white.
    window->setFont(QFont(QStringLiteral("宋体"), 9));
    SetColours(window, QPalette::WindowText, Qt::white);
    LastDrawn = QStringLiteral("dispForm4");
}

void TDisplay::BuildBrowserWindow(bool first) {
    TForm5* form = Form5;
    if (!form) return;
    if (first) {
        LoadSkinBitmap(MbBmp, QStringLiteral("mb"));
        SetColours(form, QPalette::Window, MBBG);
        form->setAutoFillBackground(true);
        BrowserRegions = ResolveRegions(kBrowserRegions, form->width(), form->height());
        PressedRegion.clear();
        BindPaint(form, &TDisplay::PaintBrowser);
    }
    const int w = form->width();
    const int h = form->height();
    using namespace browser_frame;
    BrowserBuffer = NewBackBuffer(w, h, MBBG);
    DrawBrowserTitle(BrowserBuffer, MbBmp, w,
                     FocusedCaption == QLatin1String("dispForm5") ? playlist_frame::kActiveRow
                                                                   : playlist_frame::kInactiveRow);
    for (int i = 1; i <= (h - 38) / kSideStep; ++i) {
        const int top = kSideStep * i;
        CopyRect(BrowserBuffer, Rect(0, top, 11, top + kSideStep), MbBmp, kLeftSide);
        if (w % 2 == 0)
            CopyRect(BrowserBuffer, Rect(w - 8, top, w, top + kSideStep), MbBmp, kRightSideEven);
        else
            CopyRect(BrowserBuffer, Rect(w - 9, top, w, top + kSideStep), MbBmp, kRightSideOdd);
    }
    CopyRect(BrowserBuffer, Rect(0, h - 38, 125, h), MbBmp, kBottomLeft);
    for (int i = 1; i <= (w - 225) / 25; ++i)
        CopyRect(BrowserBuffer, Rect(25 * i + 100, h - 38, 25 * i + 125, h), MbBmp, kBottomFill);
    CopyRect(BrowserBuffer, Rect(w - 125, h - 38, w, h), MbBmp, kBottomRight);

    SetColours(form->Edit1, QPalette::Base, MBBG);
    form->Edit1->setGeometry(95, h - 26, w - 121, form->Edit1->height());
    SetColours(form, QPalette::WindowText, MBFG);
    SetColours(form->Edit1, QPalette::Text, MBFG);
    form->TreeView1->setGeometry(11, 20, w - 19, std::max(0, h - 58));
    SetColours(form->TreeView1, QPalette::Text, Normal);
    SetColours(form->TreeView1, QPalette::Base, MBBG);
    BrowserRegions = ResolveRegions(kBrowserRegions, w, h);
}

void TDisplay::PaintBrowser() {
    TForm5* form = Form5;
    if (!form) return;
    form->ShowBuffer(BrowserBuffer);
    LastDrawn = QStringLiteral("dispForm5");
}
