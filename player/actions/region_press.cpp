// The press of a region: the pressed picture of a button, the anchors of a drag.
#include <QPainter>

#include "player/actions/drags.h"
#include "player/actions/press_pictures.h"
#include "player/actions/region_actions.h"
#include "player/actions/skin_forms.h"
#include "player/core/ctrl.h"
#include "player/display/display.h"
#include "player/playback/run.h"

namespace {

QRect RegionRect(const TSkinRegion& r) { return Rect(r.Left, r.Top, r.Right, r.Bottom); }

// True when the region has a pressed picture and it was drawn.
bool DrawPressed(const TSkinRegion& region) {
    TSkinWindow* window = SurfaceOfRegion(region.Name);
    if (!window) return false;
    TDisplay& d = *Ctrl->Display;
    for (const TPressPicture& p : kPressPictures) {
        if (region.Name != QLatin1String(p.Name.data(), qsizetype(p.Name.size()))) continue;
        window->DrawOnWindow(RegionRect(region), d.*p.Sheet, p.Source);
        return true;
    }
    for (const TShadePressPicture& p : kShadePressPictures) {
        if (region.Name != QLatin1String(p.Name.data(), qsizetype(p.Name.size()))) continue;
        const bool shaded = window->height() == kShadedHeight;
        window->DrawOnWindow(RegionRect(region), d.*p.Sheet, shaded ? p.Shaded : p.Full);
        return true;
    }
    return false;
}

void ToggleTimeOrder() {
    TRun& run = *Ctrl->Run;
    run.TimeOrder = !run.TimeOrder;
    Ctrl->WriteBool(QStringLiteral("TimeOrder"), run.TimeOrder);
    if (PlaylistWindow) Ctrl->Display->PaintPlaylist();
    run.ProgressTimer();
}

}  // namespace

void RegionMouseDown(const TSkinRegion& region, bool right, int x, int y) {
    const QString& name = region.Name;
    if (name.contains(QLatin1String("_Title"))) {
        if (!right) StartWindowDrag(name, x, y);
        return;
    }
    if (name == QLatin1String("mMenu")) {
        DrawPressed(region);
        return;
    }
    if (right) return;
    if (name == QLatin1String("mTime")) {
        ToggleTimeOrder();
        return;
    }
    if (StartDrag(region, x, y)) return;
    DrawPressed(region);
}
