#include "player/display/display.h"

#include <QCoreApplication>


QPointer<QWidget> PlaylistWindow;
QPointer<QWidget> EqualizerWindow;
QPointer<TForm4> Form4;
QPointer<TForm5> Form5;

QString FirstArgument() {
    const QStringList args = QCoreApplication::arguments();
    return args.size() > 1 ? args.at(1) : QString();
}

// LATER(actions): docking and the tray animation; until then bringing up is showing, raising
// and focusing.
void TDisplay::ShowSkinWindow(QWidget* window) {
    if (!window) return;
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}
