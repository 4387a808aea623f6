// The release of a region over the region that was pressed: the region's action.
#include <QCursor>
#include <QTimer>
#include <QTreeWidget>

#include "player/actions/drags.h"
#include "player/actions/placement.h"
#include "player/actions/region_actions.h"
#include "player/actions/skin_forms.h"
#include "player/actions/strips.h"
#include "player/app/form1.h"
#include "player/commands/menu.h"
#include "player/core/ctrl.h"
#include "player/display/display.h"
#include "player/playback/run.h"
#include "player/playlist/playlist_box.h"
#include "player/skin/canvas.h"
#include "player/skin/skin_frames.h"

namespace {

QRect RegionRect(const TSkinRegion& r) { return Rect(r.Left, r.Top, r.Right, r.Bottom); }

bool Is(const QString& name, const char* what) { return name == QLatin1String(what); }

// The transport button (1 previous .. 6 open files) a region stands for: the main window's, the
// playlist's small ones, and the main window's shade-mode ones while it is shaded.
int TransportButton(const QString& name) {
    for (const char* prefix : {"mBut", "lSmBut", "mSmBut"}) {
        const QLatin1String p(prefix);
        if (!name.startsWith(p) || name.size() != p.size() + 1) continue;
        const int n = name.back().digitValue();
        if (n < 1 || n > 6) return 0;
        if (p == QLatin1String("mSmBut") && !MainShaded()) return 0;
        return n;
    }
    return 0;
}

void Transport(int button) {
    TRun& run = *Ctrl->Run;
    switch (button) {
    case 1: run.PlayIndex(run.Index - 1); break;
    case 2:
        if (run.Paused)
            run.PauseResume();
        else
            run.PlayIndex(ListBox1 ? ListBox1->LastSelected : -1);
        break;
    case 3: run.PauseResume(); break;
    case 4: run.Stop(); break;
    case 5: run.PlayIndex(run.Index + 1); break;
    // The open dialog runs after the release has been handled, not inside it.
    case 6: QTimer::singleShot(0, &run, [] { Ctrl->Run->OpenFiles(false); }); break;
    default: break;
    }
}

// A two-state button drawn into a back buffer after its setting flipped.
void FlipSetting(const char* key, bool def, QImage& buffer, const TSkinRegion& r, const QImage& sheet,
                 const QRect& on, const QRect& off) {
    const bool now = !Ctrl->ReadBool(QLatin1String(key), def);
    Ctrl->WriteBool(QLatin1String(key), now);
    CopyRect(buffer, RegionRect(r), sheet, now ? on : off);
}

bool MainClick(const TSkinRegion& r, bool right, int x) {
    const QString& name = r.Name;
    TDisplay& d = *Ctrl->Display;
    if (Is(name, "m_Title")) {
        if (right) Ctrl->Menu->PopupAt(QStringLiteral("1"), QCursor::pos());
    } else if (Is(name, "mMenu")) {
        if (Form1) Form1->DrawOnWindow(RegionRect(r), d.TitlebarBmp, Rect(0, 0, 9, 9));
        d.PaintMain();
        Ctrl->Menu->PopupAt(QStringLiteral("1"), QCursor::pos());
    } else if (right) {
        return true;
    } else if (Is(name, "mMinimize")) {
        AnimateToTray(true, Form1);
    } else if (Is(name, "mSmall")) {
        ToggleMainShade();
    } else if (Is(name, "mClose")) {
        // Closing shuts the player down: it runs once this release has been handled.
        if (Form1) QTimer::singleShot(0, Form1.data(), [] { if (Form1) Form1->close(); });
    } else if (Is(name, "mButEQ")) {
        ToggleEqualizerWindow(r);
    } else if (Is(name, "mButPL")) {
        TogglePlaylistWindow(r);
    } else if (Is(name, "mButShuffle")) {
        FlipSetting("Shuffle", false, d.MainBuffer, r, d.ShufrepBmp, Rect(28, 30, 75, 45), Rect(28, 0, 75, 15));
    } else if (Is(name, "mButRepeat")) {
        FlipSetting("Repeat", true, d.MainBuffer, r, d.ShufrepBmp, Rect(0, 30, 28, 45), Rect(0, 0, 28, 15));
    } else if (Is(name, "m_Volume")) {
        EndVolumeDrag(x);
    } else if (Is(name, "m_Balance")) {
        EndBalanceDrag(x);
    } else if (Is(name, "mAbout")) {
        // The modal box opens after this release has been handled, not inside it.
        QTimer::singleShot(0, Ctrl->Menu.get(), [] {
            if (Ctrl && Ctrl->Menu) Ctrl->Menu->Execute(QStringLiteral("1.1"));
        });
    } else {
        return false;
    }
    return true;
}

void EqualizerOn(const TSkinRegion& r) {
    TDisplay& d = *Ctrl->Display;
    const bool now = !Ctrl->ReadBool(QStringLiteral("EQON"), false);
    Ctrl->WriteBool(QStringLiteral("EQON"), now);
    Ctrl->Run->SetEq(QStringLiteral("RunEQ"), -1);
    CopyRect(d.EqualizerBuffer, RegionRect(r), d.EqmainBmp, now ? Rect(69, 119, 94, 131) : Rect(10, 119, 35, 131));
}

void EqualizerAuto(const TSkinRegion& r) {
    TDisplay& d = *Ctrl->Display;
    const int now = std::abs(Ctrl->ReadInteger(QStringLiteral("EQAuto"), 0) - 1);
    Ctrl->WriteInteger(QStringLiteral("EQAuto"), now);
    CopyRect(d.EqualizerBuffer, RegionRect(r), d.EqmainBmp, now ? Rect(94, 119, 127, 131) : Rect(35, 119, 68, 131));
}

void EqualizerPresets(const TSkinRegion& r) {
    if (TSkinWindow* window = SkinSurface(EqualizerWindow))
        window->DrawOnWindow(RegionRect(r), Ctrl->Display->EqmainBmp, Rect(224, 164, 268, 176));
    Ctrl->Menu->PopupAt(QStringLiteral("4"), QCursor::pos());
}

void OtherClick(const TSkinRegion& r) {
    const QString& name = r.Name;
    if (Is(name, "lSmall")) TogglePlaylistShade();
    else if (Is(name, "lClose")) ClickRegion(QStringLiteral("mButPL"));
    else if (name.contains(QLatin1String("lMenu"))) OpenPlaylistMenu(name);
    else if (Is(name, "eSmall")) ToggleEqualizerShade();
    else if (Is(name, "eClose")) ClickRegion(QStringLiteral("mButEQ"));
    else if (Is(name, "eEQON")) EqualizerOn(r);
    else if (Is(name, "eEQAuto")) EqualizerAuto(r);
    else if (Is(name, "eEQLoad")) EqualizerPresets(r);
    else if (Is(name, "aClose")) {
        if (Ctrl->Menu) Ctrl->Menu->Execute(QStringLiteral("2.23"));
    } else if (name.startsWith(QLatin1String("a_Resize"))) EndVideoResize();
    else if (name.startsWith(QLatin1Char('b'))) BrowserClick(name);
}

}  // namespace

void RegionClick(const TSkinRegion& region, bool right, int x, int y) {
    (void)y;
    if (const int button = TransportButton(region.Name)) {
        Transport(button);
        return;
    }
    if (region.Name.startsWith(QLatin1Char('m'))) {
        MainClick(region, right, x);
        return;
    }
    if (right) return;
    OtherClick(region);
}

void ClickRegion(const QString& name) {
    std::vector<TSkinRegion>* table = name.isEmpty() ? nullptr : RegionsOfLetter(name.front());
    TSkinRegion region{name};
    if (table)
        for (const TSkinRegion& r : *table)
            if (r.Name == name) region = r;
    RegionMouseDown(region, false, 0, 0);
    RegionClick(region, false, 0, 0);
    TDisplay& d = *Ctrl->Display;
    switch (name.isEmpty() ? 0 : name.front().unicode()) {
    case 'm': d.PaintMain(); break;
    case 'l': d.PaintPlaylist(); break;
    case 'e': d.PaintEqualizer(); break;
    case 'a': d.PaintVideo(); break;
    case 'b': d.PaintBrowser(); break;
    default: break;
    }
}
