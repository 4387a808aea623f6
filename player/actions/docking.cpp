#include "player/actions/docking.h"

#include <algorithm>
#include <cstdlib>

namespace {

bool OverlapX(int x, int width, const TBounds& t) { return t.Left < x + width && x < t.Right(); }
bool OverlapY(int y, int height, const TBounds& t) { return t.Top < y + height && y < t.Bottom(); }
bool Near(int value, int target) { return target - kSnapDistance < value && value < target + kSnapDistance; }

bool Glued(const std::optional<TBounds>& a, const std::optional<TBounds>& b) { return a && b && IsGlued(*a, *b); }

}  // namespace

bool IsGlued(const TBounds& c, const TBounds& t) {
    const bool vertical = (c.Top == t.Bottom() || t.Top == c.Bottom()) && c.Left < t.Right() && t.Left < c.Right();
    const bool side = (c.Left == t.Right() || t.Left == c.Right()) && c.Top < t.Bottom() && t.Top < c.Bottom();
    return vertical || side;
}

void SnapToWindow(int x, int y, bool& yFree, bool& xFree, const TBounds& t, TBounds& c) {
    if (y != t.Bottom() && Near(y, t.Bottom()) && OverlapX(x, c.Width, t)) {
        c.Top = t.Bottom();
        yFree = false;
    }
    if (y + c.Height != t.Top && Near(y + c.Height, t.Top) && OverlapX(x, c.Width, t)) {
        c.Top = t.Top - c.Height;
        yFree = false;
    }
    if (x != t.Right() && Near(x, t.Right()) && OverlapY(y, c.Height, t)) {
        c.Left = t.Right();
        xFree = false;
    }
    if (x + c.Width != t.Left && Near(x + c.Width, t.Left) && OverlapY(y, c.Height, t)) {
        c.Left = t.Left - c.Width;
        xFree = false;
    }
    if (!IsGlued(c, t)) return;
    // Docked along one side, the window also lines up an edge with its neighbour.
    if (std::abs(y - t.Top) <= kSnapDistance) {
        c.Top = t.Top;
        yFree = false;
    } else if (std::abs(y + c.Height - t.Bottom()) <= kSnapDistance) {
        c.Top = t.Bottom() - c.Height;
        yFree = false;
    }
    if (std::abs(x - t.Left) <= kSnapDistance) {
        c.Left = t.Left;
        xFree = false;
    } else if (std::abs(x + c.Width - t.Right()) <= kSnapDistance) {
        c.Left = t.Right() - c.Width;
        xFree = false;
    }
}

void SnapToWorkArea(int x, int y, int& dy, int& dx, bool& yFree, bool& xFree, TBounds& c,
                    const std::vector<TBounds>& glued, const TBounds& w) {
    int left = x, top = y, right = x + c.Width, bottom = y + c.Height;
    for (const TBounds& g : glued) {
        left = std::min(left, x + g.Left - c.Left);
        top = std::min(top, y + g.Top - c.Top);
        right = std::max(right, x + g.Right() - c.Left);
        bottom = std::max(bottom, y + g.Bottom() - c.Top);
    }
    // In this order: a later snap on the same axis wins.
    if (std::abs(top - w.Top) <= kSnapDistance) {
        c.Top = y - (top - w.Top);
        dy += w.Top - top;
        yFree = false;
    }
    if (std::abs(left - w.Left) <= kSnapDistance) {
        c.Left = x - (left - w.Left);
        dx += w.Left - left;
        xFree = false;
    }
    if (std::abs(bottom - w.Bottom()) <= kSnapDistance) {
        c.Top = w.Bottom() + y - bottom;
        dy += w.Bottom() - bottom;
        yFree = false;
    }
    if (std::abs(right - w.Right()) <= kSnapDistance) {
        c.Left = w.Right() + x - right;
        dx += w.Right() - right;
        xFree = false;
    }
}

void KeepOnScreen(std::optional<TBounds>& a, std::optional<TBounds>& b, std::optional<TBounds>& c,
                  const TBounds& workArea) {
    auto bottom = [](const std::optional<TBounds>& w) { return w ? w->Bottom() : 0; };
    std::optional<TBounds>* windows[3] = {&a, &b, &c};
    std::optional<TBounds>* lowest = nullptr;
    for (int i = 0; i < 3; ++i) {
        const int j = (i + 1) % 3, k = (i + 2) % 3;
        if (bottom(*windows[i]) > bottom(*windows[j]) && bottom(*windows[i]) > bottom(*windows[k])) {
            lowest = windows[i];
            std::optional<TBounds>* next = bottom(*windows[j]) >= bottom(*windows[k]) ? windows[j] : windows[k];
            std::optional<TBounds>* last = next == windows[j] ? windows[k] : windows[j];
            if (bottom(*lowest) <= workArea.Bottom()) return;
            const int over = bottom(*lowest) - workArea.Bottom();
            if (Glued(*next, *lowest)) {
                if (Glued(*last, *next)) (*last)->Top -= over;
                (*next)->Top -= over;
            }
            (*lowest)->Top -= over;
            return;
        }
    }
    // Two windows share the greatest bottom: no single one is lowest, and nothing is lifted.
}

TGlueFlags DiscoverGlue(const TBounds& main, const std::optional<TBounds>& playlist,
                        const std::optional<TBounds>& equalizer, const std::optional<TBounds>& video,
                        const std::optional<TBounds>& browser) {
    const std::optional<TBounds> m = main;
    TGlueFlags f{Glued(m, playlist), Glued(m, equalizer), Glued(m, video), Glued(m, browser)};
    for (int pass = 0; pass < 2; ++pass) {
        if (f.Playlist) {
            f.Equalizer = f.Equalizer || Glued(playlist, equalizer);
            f.Browser = f.Browser || Glued(playlist, browser);
            f.Video = f.Video || Glued(playlist, video);
        }
        if (f.Equalizer) {
            f.Playlist = f.Playlist || Glued(equalizer, playlist);
            f.Browser = f.Browser || Glued(equalizer, browser);
            f.Video = f.Video || Glued(equalizer, video);
        }
        if (f.Browser) {
            f.Playlist = f.Playlist || Glued(browser, playlist);
            f.Equalizer = f.Equalizer || Glued(browser, equalizer);
        }
    }
    return f;
}
