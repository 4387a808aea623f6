// The builders of the main, playlist and equaliser windows: place the window from its settings,
// compose its back buffer from the skin, and fill its region table.
#include <QFont>
#include <QPalette>
#include <QScrollBar>
#include <algorithm>

#include "player/skin/canvas.h"
#include "player/core/ctrl.h"
#include "player/display/display.h"
#include "player/app/form1.h"
#include "player/playlist/playlist_box.h"
#include "player/playback/run.h"
#include "player/display/window_placement.h"
#include "player/skin/skin_files.h"
#include "player/skin/skin_frames.h"
#include "player/skin/skin_regions.h"
#include "player/skin/skin_sprites.h"

namespace {

constexpr int kFullHeight = 116;
constexpr int kShadedHeight = 14;

// A window lower than its full height is shaded: only its 14-pixel bar shows.
int ShadeRule(int height) { return height < kFullHeight ? kShadedHeight : height; }
// The main window and the equaliser have one full height; only the playlist grows.
int FixedShadeRule(int height) { return std::min(ShadeRule(height), kFullHeight); }

// A side no larger than the desktop can show: a back buffer and a screen image of that size are
// kept per window.
int StoredSide(const char* key, int fallback, int least, Qt::Orientation axis) {
    return ClampSide(Ctrl->ReadInteger(QLatin1String(key), fallback), least, DesktopSideLimit(axis, kFullHeight));
}

int StoredPosition(const char* key, qint64 fallback) {
    return ClampPosition(Ctrl->ReadInteger(QLatin1String(key), ClampPosition(fallback)));
}

// The window at its stored place, or back on the work area when that place is off every screen.
void PlaceWindow(QWidget* window, const char* left, qint64 leftDefault, const char* top, qint64 topDefault, QSize size) {
    window->setGeometry(BringOnScreen(QRect(StoredPosition(left, leftDefault), StoredPosition(top, topDefault),
                                            size.width(), size.height())));
}

void SetWindowColour(QWidget* window, const QColor& colour) {
    QPalette colours = window->palette();
    colours.setColor(QPalette::Window, colour);
    window->setPalette(colours);
    window->setAutoFillBackground(true);
}

void Copy(QImage& target, const TSprite& sprite, const QImage& sheet) {
    CopyRect(target, sprite.Dest, sheet, sprite.Source);
}

void CopyToggle(QImage& target, const TToggleSprite& toggle, const QImage& sheet) {
    const bool on = Ctrl->ReadBool(QLatin1String(toggle.Setting.data(), qsizetype(toggle.Setting.size())),
                                   toggle.Default);
    CopyRect(target, toggle.Dest, sheet, on ? toggle.On : toggle.Off);
}

void BindPaint(TSkinWindow* window, void (TDisplay::*paint)()) {
    if (!window) return;
    window->PaintHandler = [paint] {
        if (Ctrl && Ctrl->Display) (Ctrl->Display.get()->*paint)();
    };
}

// The playlist panel, made once per playlist window; it holds the playlist box.
QWidget* PlaylistPanel(QWidget* window) {
    auto* panel = window->findChild<QWidget*>(QStringLiteral("PlaylistPanel"), Qt::FindDirectChildrenOnly);
    if (panel) return panel;
    panel = new QWidget(window);
    panel->setObjectName(QStringLiteral("PlaylistPanel"));
    panel->setGeometry(12, 20, 240, 0);
    return panel;
}

}  // namespace

void TDisplay::DrawVolumeSlider(QImage& target, int volume, bool held) {
    CopyRect(target, sliders::kVolumeBackDest, VolumeBmp, sliders::VolumeBackSource(sliders::VolumeRow(volume)));
    CopyRect(target, sliders::VolumeThumbDest(sliders::VolumeThumb(volume)), VolumeBmp,
             held ? sliders::kThumbHeld : sliders::kThumbNormal);
}

void TDisplay::DrawBalanceSlider(QImage& target, int balance, bool held) {
    CopyRect(target, sliders::kBalanceBackDest, BalanceBmp, sliders::BalanceBackSource(sliders::BalanceRow(balance)));
    CopyRect(target, sliders::BalanceThumbDest(sliders::BalanceThumb(balance)), BalanceBmp,
             held ? sliders::kThumbHeld : sliders::kThumbNormal);
}

void TDisplay::BuildMainWindow(int volume, int balance, bool first) {
    if (!Form1) return;
    if (first) {
        PlaceWindow(Form1, "MA_L", 150, "MA_T", 110,
                    QSize(StoredSide("MA_W", 275, 1, Qt::Horizontal),
                          FixedShadeRule(StoredSide("MA_H", kFullHeight, 0, Qt::Vertical))));
        MainRegions = ResolveRegions(kMainRegions, Form1->width(), Form1->height());
        PressedRegion.clear();
    }
    LoadPlaylistColors();
    SetWindowColour(Form1, NormalBG);

    using namespace main_frame;
    MainBuffer = NewBackBuffer(275, kFullHeight, NormalBG);
    Copy(MainBuffer, kBackground, MainBmp);
    Copy(MainBuffer, kTitleBar, TitlebarBmp);
    Copy(MainBuffer, kOptionStrip, TitlebarBmp);
    for (const TSprite& button : kButtons) Copy(MainBuffer, button, CbuttonsBmp);
    for (const TToggleSprite& toggle : kToggles) CopyToggle(MainBuffer, toggle, ShufrepBmp);
    DrawVolumeSlider(MainBuffer, volume, false);
    DrawBalanceSlider(MainBuffer, balance, false);
    if (Form1->height() == kShadedHeight) Copy(MainBuffer, kShadeBar, TitlebarBmp);
    if (!first) return;

    Ctrl->Run->Title = QStringLiteral("VELMORA PLAYER V3.0");
    ListBox1 = new TListBox1(Form1);
    ListBox1->resize(0, 0);
    ListBox1->ShowFileExt = Ctrl->ReadBool(QStringLiteral("ShowFileExt"), false);
    ListBox1->ShowFilePath = Ctrl->ReadBool(QStringLiteral("ShowFilePath"), false);
    ListBox1->AutoPlayNewFile = Ctrl->ReadBool(QStringLiteral("AutoPlayNewFile"), true);
    ListBox1->UseReverse = Ctrl->ReadBool(QStringLiteral("UseReverse"), true);
    ListBox1->setFocusPolicy(Qt::NoFocus);
    ListBox1->setCursor(SkinCursor(1));
    // Scrolling by the wheel or the keys moves the skin's thumb too.
    QObject::connect(ListBox1->verticalScrollBar(), &QScrollBar::valueChanged, ListBox1, [] {
        if (Ctrl && Ctrl->Display) Ctrl->Display->DrawPlaylistScrollbar();
    });
    BuildScrollTitle();
    DrawTitleBars(nullptr);
    Form1->show();
    const QString argument = FirstArgument();
    const QString saved = Ctrl->InstallFolder + QStringLiteral("velmora.kpl");
    bool readable = true;
    if (!argument.isEmpty()) {
        ListBox1->addParam(argument);
    } else {
        readable = ListBox1->LoadSavedList(saved);
    }
    ListBox1->KeepSavedIn(saved, !readable);
    ListBox1->LastSelected = -1;
}

void TDisplay::BuildPlaylistWindow(bool first) {
    if (!ListBox1 || !Form1) return;
    if (first) {
        LoadSkinBitmap(PleditBmp, QStringLiteral("pledit"));
        // Owned by the main window, as the application owns its forms: they go when it goes.
        if (!PlaylistWindow) {
            auto* made = new TSkinWindow(Form1, Qt::Window | Qt::FramelessWindowHint);
            made->setObjectName(QStringLiteral("dispForm2"));
            made->setWindowTitle(QStringLiteral("Velmora Player"));
            PlaylistWindow = made;
        }
        QWidget* window = PlaylistWindow;
        qint64 top = qint64(Form1->y()) + Form1->height();
        if (EqualizerWindow) top += EqualizerWindow->height();
        PlaceWindow(window, "PL_L", Form1->x(), "PL_T", top,
                    QSize(StoredSide("PL_W", 275, 275, Qt::Horizontal),
                          ShadeRule(StoredSide("PL_H", kFullHeight, 0, Qt::Vertical))));
        window->setFont(QFont(QStringLiteral("宋体"), 9));
        QWidget* panel = PlaylistPanel(window);
        ListBox1->setParent(panel);
        ListBox1->move(0, 2);
        ListBox1->show();
        PlaylistRegions = ResolveRegions(kPlaylistRegions, window->width(), window->height());
        PressedRegion.clear();
        // Bound before showing: the first paint after the show draws the finished picture.
        BindPaint(SkinSurface(window), &TDisplay::PaintPlaylist);
        window->show();
        // Its keys reach SkinKeyDown through the application's key hook (InstallSkinKeyHook).
    }
    QWidget* window = PlaylistWindow;
    if (!window) return;
    const int w = window->width();
    const int h = window->height();
    using namespace playlist_frame;

    PlaylistBuffer = NewBackBuffer(w, h, NormalBG);
    DrawPlaylistTitle(PlaylistBuffer, PleditBmp, w, first ? kInactiveRow : kActiveRow);
    for (int i = 0; i <= (h - 38) / 28; ++i)
        CopyRect(PlaylistBuffer, Rect(0, 28 * i + 20, 12, 28 * i + 48), PleditBmp, kLeftEdge);

    // Shaded, the window is lower than the frame around the panel: the panel then has no room
    // at all rather than a negative one.
    QWidget* panel = PlaylistPanel(window);
    panel->resize(std::max(0, w - 32), std::max(0, h - 58));
    ListBox1->resize(ListBox1->width(), panel->height());
    if (first) {
        ListBox1->initListWidth();
    } else if (ListBox1->width() < panel->width() + 50) {
        // Wider than its panel, the box's own scroll bar stays out of sight; the skin draws one.
        ListBox1->resize(panel->width() + 100, ListBox1->height());
    }

    for (int i = 0; i <= (h - 38) / 28; ++i)
        CopyRect(PlaylistBuffer, Rect(w - 25, 28 * i + 20, w, 28 * i + 48), PleditBmp, kRightEdge);
    CopyRect(PlaylistBuffer, Rect(0, h - 38, 125, h), PleditBmp, kBottomLeft);
    if (w > 275) {
        for (int i = 5; i <= (w - 150) / 24; ++i)
            CopyRect(PlaylistBuffer, Rect(24 * i + 5, h - 38, 24 * i + 29, h), PleditBmp, kBottomFill);
    }
    CopyRect(PlaylistBuffer, Rect(w - 150, h - 38, w, h), PleditBmp, kBottomRight);

    SetWindowColour(window, NormalBG);
    QPalette colours = ListBox1->palette();
    colours.setColor(QPalette::Base, NormalBG);
    colours.setColor(QPalette::Window, NormalBG);
    ListBox1->setPalette(colours);

    if (h == kShadedHeight) {
        // Only the first build records the shaded height: shading stores the full height in
        // PL_H for un-shading, and a later rebuild (a skin change) must not overwrite it.
        if (first) Ctrl->WriteInteger(QStringLiteral("PL_H"), kShadedHeight);
        DrawPlaylistShadeBar(PlaylistBuffer, PleditBmp, w, true);
    }
    DrawPlaylistTimes();
    DrawPlaylistScrollbar();
    PlaylistRegions = ResolveRegions(kPlaylistRegions, w, h);
}

void TDisplay::BuildEqualizerWindow(bool first) {
    if (!Form1) return;
    if (first) {
        LoadSkinBitmap(EqmainBmp, QStringLiteral("eqmain"));
        LoadSkinBitmap(EqExBmp, QStringLiteral("eq_ex"));
        if (!EqualizerWindow) {
            auto* made = new TSkinWindow(Form1, Qt::Window | Qt::FramelessWindowHint);
            made->setObjectName(QStringLiteral("dispForm3"));
            made->setWindowTitle(QStringLiteral("Velmora Player"));
            EqualizerWindow = made;
        }
        QWidget* window = EqualizerWindow;
        PlaceWindow(window, "EQ_L", Form1->x(), "EQ_T", qint64(Form1->y()) + Form1->height(),
                    QSize(275, FixedShadeRule(StoredSide("EQ_H", kFullHeight, 0, Qt::Vertical))));
        EqualizerRegions = ResolveRegions(kEqualizerRegions, 275, kFullHeight);
        PressedRegion.clear();
    }
    QWidget* window = EqualizerWindow;
    if (!window) return;
    using namespace equalizer_frame;
    EqualizerBuffer = NewBackBuffer(window->width(), window->height(), Qt::black);
    Copy(EqualizerBuffer, kBackground, EqmainBmp);
    CopyRect(EqualizerBuffer, kTitleDest, EqmainBmp, kTitleInactive);
    for (const TToggleSprite& toggle : kToggles) CopyToggle(EqualizerBuffer, toggle, EqmainBmp);
    Copy(EqualizerBuffer, kPresets, EqmainBmp);
    Copy(EqualizerBuffer, kGraph, EqmainBmp);
    Ctrl->Run->SetEq(QStringLiteral("InitEQ"), -1);
    if (window->height() == kShadedHeight) Copy(EqualizerBuffer, kShade, EqExBmp);
    if (first) {
        BindPaint(SkinSurface(window), &TDisplay::PaintEqualizer);
        window->show();
        // Its keys reach SkinKeyDown through the application's key hook (InstallSkinKeyHook).
        // The equaliser takes no dropped files: nothing there would handle them.
    }
}
