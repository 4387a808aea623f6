#include "player/actions/app_message.h"

#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>
#include <QWindow>

#include "platform/tray_icon.h"

#include "player/actions/hit_test.h"
#include "player/actions/placement.h"
#include "player/actions/screen_saver.h"
#include "player/actions/skin_cursor.h"
#include "player/actions/region_actions.h"
#include "player/actions/seek.h"
#include "player/actions/skin_forms.h"
#include "player/actions/strips.h"
#include "player/app/form1.h"
#include "player/commands/menu.h"
#include "player/core/ctrl.h"
#include "player/display/display.h"
#include "player/playlist/playlist_box.h"

namespace {

QWidget* WidgetOfWindow(const QObject* window) {
    for (int n = 1; n <= 5; ++n) {
        QWidget* form = FormByNumber(n);
        if (form && form->windowHandle() == window) return form;
    }
    return nullptr;
}

int NumberOf(const QString& caption) { return caption.size() == 9 ? caption.at(8).digitValue() : 0; }

void SkinCursorFor(const QObject* window, const QPoint& global) {
    if (!Ctrl->SkinCursors) return;
    QWidget* form = WidgetOfWindow(window);
    const QString caption = CaptionOf(form);
    if (!form) return;
    const QPoint at = global - form->geometry().topLeft();
    SkinMouseMove(form, NumberOf(caption), at.x(), at.y());
}

bool Current(QWidget* form, const QString& caption) {
    return QApplication::activeWindow() == form || Ctrl->MouseCaption == caption;
}

void Repaint(int number) {
    TDisplay& d = *Ctrl->Display;
    switch (number) {
    case 1: d.PaintMain(); break;
    case 2: d.PaintPlaylist(); break;
    case 3: d.PaintEqualizer(); break;
    case 5: d.PaintBrowser(); break;
    default: break;
    }
}

void ResetPress() {
    PressedRegion.clear();
    Ctrl->DragX = -1;
    Ctrl->DragY = -1;
    Ctrl->Display->SliderDragging = false;
}

// The video window's picture takes a right press for its own menu; its frame does not.
bool VideoPictureMenu(const QPoint& global) {
    TForm4* video = Form4;
    if (!video) return false;
    const QRect g = video->geometry();
    const bool inside = g.left() + 6 < global.x() && global.x() < g.left() + g.width() - 6 &&
                        g.top() + 14 < global.y() && global.y() < g.top() + g.height() - 4;
    if (!inside) return false;
    Ctrl->Menu->PopupAt(QStringLiteral("2"), global);
    return true;
}

void Press(QWidget* form, const QString& caption, int number, bool right, const QPoint& at) {
    Ctrl->MouseCaption = caption;
    Ctrl->Display->DrawTitleBars(form);
    if (number == 2 && ListBox1) ListBox1->RenamePost(false);
    // The title bar drawing or the rename may have taken the window away.
    if (!FormByNumber(number)) return;
    DispatchMouseDown(*RegionsByNumber(number), at.x(), at.y(), right);
}

void Release(int number, bool right, const QPoint& at) {
    DispatchMouseUp(*RegionsByNumber(number), at.x(), at.y(), right);
    if (number == 4) {
        Ctrl->Display->LastDrawn = QStringLiteral("dispForm4");
        if (Form4 && Form4->isVisible()) Form4->Edit1->setFocus();
    } else if (!PressedRegion.isEmpty() && FormByNumber(number)) {
        Repaint(number);
    }
}

// A skinned window minimised by the window manager goes to the tray instead: the main window
// with its glued windows, and the video window hidden beside it.
void MinimiseToTray() {
    TForm4* video = Form4;
    const bool videoShows = video && video->isVisible();
    if (videoShows && Form1 && Form1->isVisible() && platform::TrayAvailable()) {
        AnimateToTray(true, Form1);
        // The video window hidden beside the main window keeps its tray icon.
        video->RemoveIconOnHide = false;
        video->hide();
        return;
    }
    if (Form1 && Form1->isVisible()) AnimateToTray(true, Form1);
    if (videoShows) AnimateToTray(true, video);
}

// A restore by the window manager brings the video window and the main window back, the main
// window with the windows glued to it.
void RestoreFromMinimised() {
    if (Form4 && Form4->isVisible() && Form4->isMinimized()) AnimateToTray(false, Form4);
    if (Form1 && Form1->isVisible()) AnimateToTray(false, Form1);
}

// With no tray the skinned windows minimise and come back together.
void FollowMinimise(QWidget* widget, const QWindowStateChangeEvent& change) {
    const bool was = change.oldState().testFlag(Qt::WindowMinimized);
    if (OwnStateChange() || was == widget->isMinimized()) return;
    QTimer::singleShot(0, widget, was ? RestoreFromMinimised : MinimiseToTray);
}

bool WindowEvent(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ApplicationDeactivate) {
        if (Form1 && Form1->AppOnTop) SetWindowsOnTop(true);
        return false;
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    if (event->type() == QEvent::WindowActivate && widget && widget == PlaylistWindow.data()) {
        PlaylistActivate();
        return false;
    }
    if (event->type() != QEvent::WindowStateChange || !widget || CaptionOf(widget).isEmpty()) return false;
    if (!platform::TrayAvailable()) {
        FollowMinimise(widget, *static_cast<QWindowStateChangeEvent*>(event));
        return false;
    }
    if (!widget->isMinimized()) return false;
    // The window system is still in its own state change: the tray path runs right after it.
    QTimer::singleShot(0, widget, [widget] {
        widget->setWindowState(widget->windowState() & ~Qt::WindowMinimized);
        MinimiseToTray();
    });
    return false;
}

}  // namespace

void RepaintIfCurrent(int number) {
    QWidget* form = FormByNumber(number);
    const QString caption = CaptionOf(form);
    if (form && Current(form, caption) && Ctrl->Display->LastDrawn != caption) Repaint(number);
}

void DispatchMouseDown(const std::vector<TSkinRegion>& table, int x, int y, bool right) {
    ClosePlaylistMenu();
    const TSkinRegion* hit = HitRegion(table, x, y, HitKind::Press, MainShaded());
    if (!hit) {
        for (int n : {1, 3, 5}) RepaintIfCurrent(n);
        return;
    }
    // Held off a button onto a drag area: the button shows unpressed, nothing else changes.
    if (hit->Name.size() > 1 && hit->Name.at(1) == QLatin1Char('_') && !PressedRegion.isEmpty()) {
        for (int n : {1, 2, 3}) RepaintIfCurrent(n);
        return;
    }
    // The table may be rebuilt by the press (a resize): keep a copy of the entry.
    const TSkinRegion region = *hit;
    PressedRegion = region.Name;
    PressedRight = right;
    if (Ctrl->Display->LastDrawn == region.Name) return;
    for (int n : {1, 2, 3, 5}) RepaintIfCurrent(n);
    RegionMouseDown(region, right, x, y);
    Ctrl->Display->LastDrawn = region.Name;
}

void DispatchMouseUp(const std::vector<TSkinRegion>& table, int x, int y, bool right) {
    const TSkinRegion* hit = HitRegion(table, x, y, HitKind::Release, MainShaded());
    if (hit && hit->Name == PressedRegion) {
        const TSkinRegion region = *hit;
        RegionClick(region, right, x, y);
    }
    if (Ctrl->SeekDragging == 1) {
        Ctrl->SeekDragging = 0;
        SeekToThumb(Ctrl->DragY);
    }
}

bool RouteMouse(const QString& caption, MouseMessage message, bool right, const QPoint& global) {
    if (!Ctrl || !Ctrl->Display || !caption.startsWith(QLatin1String("dispForm"))) return false;
    const int number = NumberOf(caption);
    QWidget* form = FormByNumber(number);
    if (!form) {
        // The window went away while a button was held: the press is over and does nothing.
        if (message == MouseMessage::Up) {
            Ctrl->MouseCaption.clear();
            ResetPress();
        }
        return false;
    }
    if (message == MouseMessage::Down && right && number == 4 && VideoPictureMenu(global)) return true;
    const QPoint at = global - form->geometry().topLeft();
    // The open strip handles the mouse over itself.
    if (number == 2 && InsideOpenStrip(at.x(), at.y())) return false;
    switch (message) {
    case MouseMessage::Down: Press(form, caption, number, right, at); break;
    case MouseMessage::Up:
        Ctrl->MouseCaption.clear();
        Release(number, right, at);
        ResetPress();
        break;
    case MouseMessage::Move:
        if (PressedRegion.isEmpty()) break;
        {
            const QString name = PressedRegion;
            RegionMouseDrag(name, form, at.x(), at.y());
            if (name.size() > 1 && name.at(1) != QLatin1Char('_') && !Ctrl->Display->SliderDragging &&
                FormByNumber(number))
                DispatchMouseDown(*RegionsByNumber(number), at.x(), at.y(), PressedRight);
        }
        break;
    }
    return false;
}

bool TAppMessage::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease && type != QEvent::MouseMove)
        return Ctrl && WindowEvent(watched, event);
    if (!watched->isWindowType() || !Ctrl) return false;
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (type == QEvent::MouseMove) SkinCursorFor(watched, mouse->globalPosition().toPoint());
    if (type != QEvent::MouseMove && mouse->button() != Qt::LeftButton && mouse->button() != Qt::RightButton)
        return false;
    // While a button is held every mouse event belongs to the window it went down in.
    const QString caption = Ctrl->MouseCaption.isEmpty() ? CaptionOf(WidgetOfWindow(watched)) : Ctrl->MouseCaption;
    const MouseMessage message = type == QEvent::MouseButtonPress     ? MouseMessage::Down
                                 : type == QEvent::MouseButtonRelease ? MouseMessage::Up
                                                                      : MouseMessage::Move;
    return RouteMouse(caption, message, mouse->button() == Qt::RightButton, mouse->globalPosition().toPoint());
}

void InstallAppMessage() {
    static QPointer<TAppMessage> hook;
    if (hook || !qApp) return;
    hook = new TAppMessage(qApp);
    qApp->installEventFilter(hook);
    new TScreenSaverGuard(hook);
}
