// Docking arithmetic of the skinned windows, free of widgets: whether two windows touch, snapping
// a dragged window to another within 5 pixels, snapping a dragged group to the work area, and
// lifting a stack back onto the screen. Rectangles are Left, Top, Width, Height in screen pixels.
#pragma once

#include <optional>
#include <vector>

struct TBounds {
    int Left = 0, Top = 0, Width = 0, Height = 0;
    int Right() const { return Left + Width; }
    int Bottom() const { return Top + Height; }
    bool operator==(const TBounds&) const = default;
};

inline constexpr int kSnapDistance = 5;

// Edge to edge with some overlap along that edge; a shared corner alone does not count.
bool IsGlued(const TBounds& c, const TBounds& t);

// Snaps window c, proposed at (x, y), to window t. A snap places c at once on its axis and
// clears that axis's free flag.
void SnapToWindow(int x, int y, bool& yFree, bool& xFree, const TBounds& t, TBounds& c);

// Snaps c, proposed at (x, y), together with the windows glued to it to the work area. dx and dy
// are the move the glued windows will make; a snap adds to them.
void SnapToWorkArea(int x, int y, int& dy, int& dx, bool& yFree, bool& xFree, TBounds& c,
                    const std::vector<TBounds>& glued, const TBounds& workArea);

// Lifts the lowest of three windows, and those glued above it, back inside the work area.
void KeepOnScreen(std::optional<TBounds>& a, std::optional<TBounds>& b, std::optional<TBounds>& c,
                  const TBounds& workArea);

// Which windows follow a drag of the main window.
struct TGlueFlags {
    bool Playlist = false, Equalizer = false, Video = false, Browser = false;
    bool operator==(const TGlueFlags&) const = default;
};
// Windows touching the main window, then (twice over) those touching the glued playlist,
// equaliser or browser; the video window passes nothing on. Absent windows are not glued.
TGlueFlags DiscoverGlue(const TBounds& main, const std::optional<TBounds>& playlist,
                        const std::optional<TBounds>& equalizer, const std::optional<TBounds>& video,
                        const std::optional<TBounds>& browser);
