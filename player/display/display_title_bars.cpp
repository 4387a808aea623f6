// Title bars that show which skinned window has the focus, and the playlist window's two live
// bars: the time totals and the skin scroll bar.
#include <QItemSelectionModel>
#include <algorithm>
#include <cmath>

#include "player/skin/canvas.h"
#include "player/core/ctrl.h"
#include "player/display/display.h"
#include "player/app/form1.h"
#include "player/playlist/playlist_box.h"
#include "player/playback/run.h"
#include "player/skin/skin_frames.h"
#include "player/skin/skin_sprites.h"

namespace {

constexpr int kShadedHeight = 14;

QString SkinCaption(QWidget* window) {
    if (!window) return {};
    if (window == Form1.data()) return QStringLiteral("dispForm1");
    return window->objectName();
}

}  // namespace

void TDisplay::DrawTitleBars(QWidget* window) {
    const QString caption = SkinCaption(window);
    if (caption == FocusedCaption) return;
    FocusedCaption = caption;
    auto active = [this](const char* name) { return FocusedCaption == QLatin1String(name); };

    if (Form1) {
        const bool shaded = Form1->height() == kShadedHeight;
        CopyRect(MainBuffer, main_frame::kTitleDest, TitlebarBmp, main_frame::kTitle[shaded][active("dispForm1")]);
    }
    if (PlaylistWindow) {
        const int w = PlaylistWindow->width();
        const bool on = active("dispForm2");
        if (PlaylistWindow->height() == kShadedHeight)
            DrawPlaylistShadeBar(PlaylistBuffer, PleditBmp, w, on);
        else
            DrawPlaylistTitle(PlaylistBuffer, PleditBmp, w, on ? playlist_frame::kActiveRow : playlist_frame::kInactiveRow);
    }
    if (EqualizerWindow && EqualizerWindow->height() != kShadedHeight) {
        CopyRect(EqualizerBuffer, equalizer_frame::kTitleDest, EqmainBmp,
                 active("dispForm3") ? equalizer_frame::kTitleActive : equalizer_frame::kTitleInactive);
    }
    if (Form5) {
        DrawBrowserTitle(BrowserBuffer, MbBmp, Form5->width(),
                         active("dispForm5") ? playlist_frame::kActiveRow : playlist_frame::kInactiveRow);
        PaintBrowser();
        Form5->update();
    }
    PaintMain();
    if (PlaylistWindow) PaintPlaylist();
    if (EqualizerWindow) PaintEqualizer();
}

void TDisplay::DrawPlaylistTimes() {
    QWidget* window = PlaylistWindow;
    if (!window || !window->isVisible() || !ListBox1) return;
    const int w = window->width();
    const int h = window->height();
    CopyRect(PlaylistBuffer, Rect(w - 144, h - 28, w - 53, h - 22), TextBmp, fonts::kBlankCell);

    const int index = ListBox1->ItemIndex();
    const bool selected = index >= 0 && index < ListBox1->Count() && ListBox1->selectionModel() &&
                          ListBox1->selectionModel()->isSelected(ListBox1->Model()->index(index));
    const QString text =
        SelectedLengthText(selected ? ListBox1->Item(index) : QString(), selected) + TotalLengthText(ListBox1->TotalSeconds);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int left = w - 138 + 5 * int(i);
        CopyRect(PlaylistBuffer, Rect(left, h - 28, left + 5, h - 22), TextBmp, fonts::TextCell(text.at(i).unicode()));
    }
    PaintPlaylist();
}

void TDisplay::DrawPlaylistScrollbar() {
    TSkinWindow* window = SkinSurface(PlaylistWindow);
    if (!window || !ListBox1 || ListBox1->height() == 0) return;
    const int w = window->width();
    const int h = window->height();
    const int n = ListBox1->Count();
    const int v = ListBox1->height() / TListBox1::kRowHeight;

    // No empty rows below the last entry.
    int top = ListBox1->TopIndex();
    if (n - v < top) {
        top = std::max(0, n - v);
        ListBox1->SetTopIndex(top);
    }
    int y = 29;
    if (n != v) y = int(std::nearbyint(double(top) / double(n - v) * double(h - 76))) + 29;

    using namespace playlist_frame;
    for (int i = 0; i <= (h - 38) / 28; ++i) {
        const int c = std::min(48 + 28 * i, h - 38);
        const QRect place = Rect(w - 25, c - 28, w, c);
        CopyRect(PlaylistBuffer, place, PleditBmp, kRightEdge);
        window->DrawOnWindow(place, PleditBmp, kRightEdge);
    }
    y = std::clamp(y, 29, std::max(29, h - 47));
    Ctrl->Run->ListScrollThumb = y;
    const QRect thumb = Rect(w - 15, y - 9, w - 7, y + 9);
    CopyRect(PlaylistBuffer, thumb, PleditBmp, kScrollThumb);
    window->DrawOnWindow(thumb, PleditBmp, kScrollThumb);
}
