// Menu 2, the video window's menu: screen modes, the frame engine's options, lyrics options.
#include <QGuiApplication>
#include <QScreen>

#include "player/app/form1.h"
#include "player/commands/menu.h"
#include "player/commands/video_sizes.h"
#include "player/core/ctrl.h"
#include "player/display/display.h"
#include "player/playback/run.h"

namespace video_sizes {

bool IsFullSize(const QSize& window, const QSize& screen) {
    return window == screen || window == screen + QSize(kFrameWidth, kFrameHeight);
}

bool KeepsPlaceBeforeFullScreen(const QSize& window, const QSize& screen) {
    const bool fullWidth = window.width() == screen.width() || window.width() == screen.width() + kFrameWidth;
    const bool fullHeight = window.height() == screen.height() || window.height() == screen.height() + kFrameHeight;
    return !fullWidth && !fullHeight;
}

// Normal and double size return to the place kept before full screen, or stay where they are;
// a coordinate off the desktop goes to the desktop's edge.
static QPoint NormalPlace(const TVideoSizing& s) {
    QPoint place = IsFullSize(s.Window.size(), s.Screen) ? s.Stored : s.Window.topLeft();
    const QRect& d = s.Desktop;
    if (place.x() < d.left() || place.x() > d.left() + d.width()) place.setX(d.left());
    if (place.y() < d.top() || place.y() > d.top() + d.height()) place.setY(d.top());
    return place;
}

QRect VideoBounds(int item, const TVideoSizing& s) {
    const QRect& d = s.Desktop;
    switch (item) {
    case 2: return QRect(d.left() - 7, d.top() - 15, d.width() + kFrameWidth, d.height() + kFrameHeight);
    case 5: return d;
    case 3: return QRect(NormalPlace(s), s.Video + QSize(kFrameWidth, kFrameHeight));
    case 4: {
        const int width = s.Lyrics ? s.Video.width() : 2 * s.Video.width();
        return QRect(NormalPlace(s), QSize(width + kFrameWidth, 2 * s.Video.height() + kFrameHeight));
    }
    default: return s.Window;
    }
}

}  // namespace video_sizes

void TmMenu::SizeVideoWindow(int item) {
    using namespace video_sizes;
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen || !Form4) return;
    TVideoSizing sizing;
    sizing.Screen = screen->size();
    sizing.Desktop = screen->virtualGeometry();
    sizing.Window = Form4->geometry();
    sizing.Stored = QPoint(Ctrl->ReadInteger(QStringLiteral("AV_L"), 0), Ctrl->ReadInteger(QStringLiteral("AV_T"), 0));
    sizing.Video = QSize(Ctrl->Run->VideoWidth, Ctrl->Run->VideoHeight);
    sizing.Lyrics = targets_->LyricsLoaded();
    const bool full = item == 2 || item == 5;
    targets_->HideTaskbar(full);
    if (full && KeepsPlaceBeforeFullScreen(sizing.Window.size(), sizing.Screen)) {
        Ctrl->WriteInteger(QStringLiteral("AV_L"), sizing.Window.left());
        Ctrl->WriteInteger(QStringLiteral("AV_T"), sizing.Window.top());
    }
    static constexpr int kModes[] = {0, 0, 3, 1, 2, 4};
    Ctrl->WriteInteger(QStringLiteral("ScreenMode"), full ? kModes[item] : 1);
    targets_->SetVideoBounds(VideoBounds(item, sizing));
    Ctrl->WriteInteger(QStringLiteral("ScreenMode"), kModes[item]);
}

static void ToggleControlFlag(int position) {
    QString& control = Ctrl->Run->VideoControl;
    if (control.size() <= position) control = control.leftJustified(position + 1, u'0');
    control[position] = control[position] == u'1' ? u'0' : u'1';
    Ctrl->WriteString(QStringLiteral("VideoControl"), control);
}

static void ToggleVideoOnTop() {
    const bool onTop = Ctrl->ReadInteger(QStringLiteral("VideoOnTop"), 0) == 0;
    const bool shown = Form4->isVisible();
    Form4->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (shown) Form4->show();
    Ctrl->WriteInteger(QStringLiteral("VideoOnTop"), onTop ? 1 : 0);
}

void TmMenu::RunVideoMenu(int item) {
    if (item >= 2 && item <= 4 && Form4->isHidden()) targets_->AnimateToTray(Form4, false);
    const auto writeInt = [](const char* name, int value) { Ctrl->WriteInteger(QLatin1String(name), value); };
    switch (item) {
    case 1:
        if (Form1 && Form1->isHidden()) targets_->AnimateToTray(Form1, false);
        if (Form1) Form1->show();
        break;
    case 2: case 3: case 4: case 5: SizeVideoWindow(item); break;
    case 17: ToggleVideoOnTop(); break;
    case 18: ShowSettingsPage(6, true); break;
    case 19: {
        const bool on = Ctrl->ReadInteger(QStringLiteral("VideoProportion"), 0) == 0;
        writeInt("VideoProportion", on ? 1 : 0);
        Ctrl->Display->VideoProportion = on;
        const int mode = Ctrl->ReadInteger(QStringLiteral("ScreenMode"), 1);
        if (on && (mode == 1 || mode == 2)) targets_->SetVideoBounds(Form4->geometry());
        break;
    }
    case 21: case 22:
        targets_->HideTaskbar(false);
        targets_->AnimateToTray(Form4, Form4->isVisible());
        break;
    case 23:
        // Hidden now; a stop frees the window later, never inside its own key handler.
        Form4->hide();
        if (Ctrl->Run->Position > 0 && Ctrl->Run->VideoOpen && !targets_->LyricsLoaded()) Ctrl->Run->Stop();
        break;
    case 24: ShowSettingsPage(3, true); break;
    case 31: {
        const bool on = Ctrl->ReadInteger(QStringLiteral("LrcUseLiteral"), 1) == 0;
        writeInt("LrcUseLiteral", on ? 1 : 0);
        if (targets_->LyricsLoaded()) targets_->SetLyricsLiteral(on);
        break;
    }
    case 32: ShowSettingsPage(8, true); break;
    case 33: ShowSettingsPage(9, true); break;
    default: RunVideoOptions(item); break;
    }
}

// The frame engine's options: output path, frame filters, audio channels.
void TmMenu::RunVideoOptions(int item) {
    const auto writeInt = [](const char* name, int value) { Ctrl->WriteInteger(QLatin1String(name), value); };
    switch (item) {
    case 7: case 8:
        writeInt("RatePriority", item == 7 ? 1 : 0);
        if (targets_->FrameEngineExists()) targets_->SetRatePriority(item == 8);
        break;
    case 9: ShowSettingsPage(4, true); break;
    case 11: case 12:
        ToggleControlFlag(item - 7);
        if (targets_->FrameEngineExists()) targets_->ReloadFrameFilters();
        break;
    case 14: case 15: case 16:
        if (targets_->FrameEngineExists()) targets_->SetAudioMode(item - 14);
        writeInt("AudioMode", item - 14);
        break;
    default: break;
    }
}
