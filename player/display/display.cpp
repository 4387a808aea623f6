#include "player/display/display.h"

#include <QCoreApplication>

#include "player/app/form1.h"
#include "player/commands/menu.h"
#include "player/core/ctrl.h"
#include "player/video/form4.h"

QPointer<QWidget> PlaylistWindow;
QPointer<QWidget> EqualizerWindow;
QPointer<TForm4> Form4;
QPointer<TForm5> Form5;

QString FirstArgument() {
    const QStringList args = QCoreApplication::arguments();
    return args.size() > 1 ? args.at(1) : QString();
}

// Brings a window to the front, back from the tray when it was hidden there. A window that is
// kept on top stays as it is.
void TDisplay::ShowSkinWindow(QWidget* window) {
    if (!window) return;
    if (!window->isVisible() && Ctrl && Ctrl->Menu) {
        Ctrl->Menu->Targets().AnimateToTray(window, false);
    } else {
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
        window->show();
    }
    if (window == Form4.data() && window->isVisible() && Ctrl && Ctrl->ReadBool(QStringLiteral("VideoOnTop"), false))
        return;
    if (window == Form1.data() && Form1->AppOnTop) return;
    window->raise();
    window->activateWindow();
}
