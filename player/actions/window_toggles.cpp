// The equaliser and playlist window toggles, the shade toggles of the main, playlist and
// equaliser windows, and closing the station browser.
#include <QWidget>
#include <optional>

#include "player/actions/drags.h"
#include "player/actions/region_actions.h"
#include "player/actions/skin_forms.h"
#include "player/app/form1.h"
#include "player/core/ctrl.h"
#include "player/display/display.h"
#include "player/skin/canvas.h"
#include "player/skin/skin_frames.h"

namespace {

QRect RegionRect(const TSkinRegion& r) { return Rect(r.Left, r.Top, r.Right, r.Bottom); }

// t hangs under s: glued to it, with its top on s's bottom.
bool HangsUnder(const QWidget* s, const QWidget* t) {
    return s && t && IsGlued(BoundsOf(s), BoundsOf(t)) && s->y() + s->height() == t->y();
}

void MoveDown(QWidget* w, int by) { w->move(w->x(), w->y() + by); }

// The windows hanging under s follow its bottom edge by m (up when shading, down when not).
void MoveHanging(QWidget* s, QWidget* a, QWidget* b, int m) {
    if (HangsUnder(s, a)) {
        if (HangsUnder(a, b)) MoveDown(b, m);
        MoveDown(a, m);
    }
    if (HangsUnder(s, b)) {
        if (HangsUnder(b, a)) MoveDown(a, m);
        MoveDown(b, m);
    }
}

std::optional<TBounds> Place(const QWidget* w) { return w ? std::optional<TBounds>(BoundsOf(w)) : std::nullopt; }

void Apply(QWidget* w, const std::optional<TBounds>& b) {
    if (w && b) w->move(b->Left, b->Top);
}

void AfterUnshade(QWidget* s) {
    std::optional<TBounds> m = Place(Form1), p = Place(PlaylistWindow), e = Place(EqualizerWindow);
    KeepOnScreen(m, p, e, WorkAreaOf(s));
    Apply(Form1, m);
    Apply(PlaylistWindow, p);
    Apply(EqualizerWindow, e);
    Ctrl->Display->FocusedCaption.clear();
    Ctrl->Display->DrawTitleBars(s);
}

template <typename Build>
void ToggleWindow(const TSkinRegion& r, const char* key, QPointer<QWidget>& window, QRect off, QRect on, Build build) {
    TDisplay& d = *Ctrl->Display;
    if (Ctrl->ReadBool(QLatin1String(key), true)) {
        Ctrl->WriteBool(QLatin1String(key), false);
        CopyRect(d.MainBuffer, RegionRect(r), d.ShufrepBmp, off);
        if (window) window->hide();
        return;
    }
    Ctrl->WriteBool(QLatin1String(key), true);
    CopyRect(d.MainBuffer, RegionRect(r), d.ShufrepBmp, on);
    if (window) window->show();
    else build();
}

}  // namespace

void ToggleEqualizerWindow(const TSkinRegion& r) {
    ToggleWindow(r, "EQ_Open", EqualizerWindow, Rect(0, 61, 23, 73), Rect(0, 73, 23, 85),
                 [] { Ctrl->Display->BuildEqualizerWindow(true); });
}

void TogglePlaylistWindow(const TSkinRegion& r) {
    const QRect on = Rect(23, 73, 46, 85);
    if (!Ctrl->ReadBool(QStringLiteral("PL_Open"), true) && Form1)
        Form1->DrawOnWindow(RegionRect(r), Ctrl->Display->ShufrepBmp, on);
    ToggleWindow(r, "PL_Open", PlaylistWindow, Rect(23, 61, 46, 73), on,
                 [] { Ctrl->Display->BuildPlaylistWindow(true); });
}

void ToggleMainShade() {
    QWidget* m = Form1;
    if (!m) return;
    const int h = m->height();
    TDisplay& d = *Ctrl->Display;
    if (h != kShadedHeight) {
        MoveHanging(m, PlaylistWindow, EqualizerWindow, -(h - kShadedHeight));
        m->resize(m->width(), kShadedHeight);
        CopyRect(d.MainBuffer, Rect(0, 0, 275, 14), d.TitlebarBmp, Rect(27, 29, 302, 43));
        return;
    }
    MoveHanging(m, PlaylistWindow, EqualizerWindow, kFullHeight - kShadedHeight);
    m->resize(m->width(), kFullHeight);
    AfterUnshade(m);
}

void TogglePlaylistShade() {
    QWidget* p = PlaylistWindow;
    if (!p) return;
    const int h = p->height();
    TDisplay& d = *Ctrl->Display;
    if (h != kShadedHeight) {
        MoveHanging(p, Form1, EqualizerWindow, -(h - kShadedHeight));
        Ctrl->WriteInteger(QStringLiteral("PL_H"), h);
        p->resize(p->width(), kShadedHeight);
        DrawPlaylistShadeBar(d.PlaylistBuffer, d.PleditBmp, p->width(), true);
        return;
    }
    const int stored = Ctrl->ReadInteger(QStringLiteral("PL_H"), kFullHeight);
    const int full = stored == kShadedHeight ? kFullHeight : std::clamp(stored, kFullHeight, kMaxSkinWindowSide);
    MoveHanging(p, Form1, EqualizerWindow, full - kShadedHeight);
    p->resize(p->width(), full);
    if (stored == kShadedHeight) d.BuildPlaylistWindow(false);
    AfterUnshade(p);
}

void ToggleEqualizerShade() {
    QWidget* e = EqualizerWindow;
    if (!e) return;
    const int h = e->height();
    TDisplay& d = *Ctrl->Display;
    if (h != kShadedHeight) {
        MoveHanging(e, PlaylistWindow, Form1, -(h - kShadedHeight));
        e->resize(e->width(), kShadedHeight);
        CopyRect(d.EqualizerBuffer, Rect(0, 0, 275, 14), d.EqExBmp, Rect(0, 0, 275, 14));
        return;
    }
    MoveHanging(e, PlaylistWindow, Form1, kFullHeight - kShadedHeight);
    e->resize(e->width(), kFullHeight);
    d.BuildEqualizerWindow(false);
    AfterUnshade(e);
}
