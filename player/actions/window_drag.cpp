// Moving a skinned window by its title bar, with the windows glued to the main window.
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <optional>

#include "player/actions/drags.h"
#include "player/actions/skin_forms.h"
#include "player/app/form1.h"
#include "player/core/ctrl.h"
#include "player/display/display.h"

namespace {

std::optional<TBounds> Visible(const QWidget* window) {
    if (!window || !window->isVisible()) return std::nullopt;
    return BoundsOf(window);
}

struct TGluedWindow {
    bool TDisplay::*Flag;
    QWidget* Window;
};

std::vector<TGluedWindow> GluedWindows() {
    return {{&TDisplay::PlaylistGlued, PlaylistWindow.data()},
            {&TDisplay::EqualizerGlued, EqualizerWindow.data()},
            {&TDisplay::VideoGlued, Form4.data()},
            {&TDisplay::BrowserGlued, Form5.data()}};
}

}  // namespace

TBounds BoundsOf(const QWidget* window) {
    const QRect g = window->geometry();
    return {g.x(), g.y(), g.width(), g.height()};
}

TBounds WorkAreaOf(const QWidget* window) {
    QScreen* screen = window ? window->screen() : nullptr;
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) return {};
    const QRect a = screen->availableGeometry();
    return {a.x(), a.y(), a.width(), a.height()};
}

void StartWindowDrag(const QString& name, int x, int y) {
    Ctrl->DragX = x;
    Ctrl->DragY = y;
    TDisplay& d = *Ctrl->Display;
    d.PlaylistGlued = d.EqualizerGlued = d.VideoGlued = d.BrowserGlued = false;
    if (name != QLatin1String("m_Title") || !Form1) return;
    const TGlueFlags f = DiscoverGlue(BoundsOf(Form1), Visible(PlaylistWindow), Visible(EqualizerWindow),
                                      Visible(Form4), Visible(Form5));
    d.PlaylistGlued = f.Playlist;
    d.EqualizerGlued = f.Equalizer;
    d.VideoGlued = f.Video;
    d.BrowserGlued = f.Browser;
}

void WindowDragStep(const QString& name, QWidget* window, int x, int y) {
    if (Ctrl->DragX < 0 || !window) return;
    TDisplay& d = *Ctrl->Display;
    TBounds c = BoundsOf(window);
    const int left = c.Left + x - Ctrl->DragX;
    const int top = c.Top + y - Ctrl->DragY;
    int dx = left - c.Left, dy = top - c.Top;
    bool xFree = true, yFree = true;
    const bool mainGroup = name == QLatin1String("m_Title") && (d.PlaylistGlued || d.EqualizerGlued || d.BrowserGlued);
    if (!mainGroup) {
        for (QWidget* target : {static_cast<QWidget*>(Form1.data()), PlaylistWindow.data(), EqualizerWindow.data(),
                                static_cast<QWidget*>(Form5.data())}) {
            if (!target || target == window || !target->isVisible() || !xFree || !yFree) continue;
            SnapToWindow(left, top, yFree, xFree, BoundsOf(target), c);
        }
    }
    const std::vector<TGluedWindow> glued = GluedWindows();
    if (xFree && yFree) {
        std::vector<TBounds> group;
        for (const TGluedWindow& g : glued)
            if (d.*g.Flag && g.Window) group.push_back(BoundsOf(g.Window));
        SnapToWorkArea(left, top, dy, dx, yFree, xFree, c, group, WorkAreaOf(window));
    }
    const bool anyGlued = d.PlaylistGlued || d.EqualizerGlued || d.VideoGlued || d.BrowserGlued;
    if (name == QLatin1String("m_Title") || anyGlued) {
        for (const TGluedWindow& g : glued)
            if (d.*g.Flag && g.Window) g.Window->move(g.Window->pos() + QPoint(dx, dy));
    }
    window->move(xFree ? left : c.Left, yFree ? top : c.Top);
}
