#include "player/display.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QFont>
#include <QPalette>
#include <algorithm>

#include "player/ctrl.h"
#include "player/form1.h"
#include "player/playlist_box.h"
#include "player/run.h"

QPointer<QWidget> PlaylistWindow;
QPointer<QWidget> EqualizerWindow;
QPointer<QWidget> Form4;
QPointer<QWidget> Form5;
QPointer<QWidget> Form8;

QString FirstArgument() {
    const QStringList args = QCoreApplication::arguments();
    return args.size() > 1 ? args.at(1) : QString();
}

// The skin bitmaps and cursors load with the skin work.
void TDisplay::LoadMainSkin() {}

void TDisplay::BuildMainWindow(int /*volume*/, int /*balance*/, bool first) {
    if (!first || !Form1) return;  // later builds only redraw the skin
    Form1->move(Ctrl->ReadInteger(QStringLiteral("MA_L"), 150), Ctrl->ReadInteger(QStringLiteral("MA_T"), 110));
    Form1->resize(Ctrl->ReadInteger(QStringLiteral("MA_W"), 275), Ctrl->ReadInteger(QStringLiteral("MA_H"), 116));
    Ctrl->Run->Title = QStringLiteral("VELMORA PLAYER V3.0");
    ListBox1 = new TListBox1(Form1);
    ListBox1->ShowFileExt = Ctrl->ReadBool(QStringLiteral("ShowFileExt"), false);
    ListBox1->ShowFilePath = Ctrl->ReadBool(QStringLiteral("ShowFilePath"), false);
    ListBox1->AutoPlayNewFile = Ctrl->ReadBool(QStringLiteral("AutoPlayNewFile"), true);
    ListBox1->UseReverse = Ctrl->ReadBool(QStringLiteral("UseReverse"), true);
    ListBox1->setFocusPolicy(Qt::NoFocus);
    Form1->show();
    const QString argument = FirstArgument();
    const QString saved = Ctrl->InstallFolder + QStringLiteral("velmora.kpl");
    if (!argument.isEmpty()) {
        ListBox1->addParam(argument);
    } else if (QFileInfo::exists(saved)) {
        ListBox1->loadList(saved, true);
    }
    ListBox1->LastSelected = -1;
}

// The playlist window's frame: its place, the list panel and the box in it. The skin pictures
// around the panel, the shade mode and the hit regions arrive with the skin work.
void TDisplay::BuildPlaylistWindow(bool first) {
    if (!ListBox1 || !Form1) return;
    if (first && !PlaylistWindow) {
        auto* window = new QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint);
        window->setObjectName(QStringLiteral("dispForm2"));
        window->setWindowTitle(QStringLiteral("Velmora Player"));
        window->setFont(QFont(QStringLiteral("宋体"), 9));
        int top = Form1->y() + Form1->height();
        if (EqualizerWindow) top += EqualizerWindow->height();
        window->move(Ctrl->ReadInteger(QStringLiteral("PL_L"), Form1->x()), Ctrl->ReadInteger(QStringLiteral("PL_T"), top));
        window->resize(Ctrl->ReadInteger(QStringLiteral("PL_W"), 275), Ctrl->ReadInteger(QStringLiteral("PL_H"), 116));
        auto* panel = new QWidget(window);
        panel->setObjectName(QStringLiteral("PlaylistPanel"));
        panel->move(12, 20);
        ListBox1->setParent(panel);
        ListBox1->move(0, 2);
        PlaylistWindow = window;
    }
    QWidget* window = PlaylistWindow;
    QWidget* panel = ListBox1->parentWidget();
    // A shaded window is 14 high: the panel then has no room at all rather than a negative one.
    panel->resize(std::max(0, window->width() - 32), std::max(0, window->height() - 58));
    ListBox1->resize(panel->width(), panel->height());
    ListBox1->initListWidth();
    QPalette colours = window->palette();
    colours.setColor(QPalette::Window, NormalBG);
    window->setPalette(colours);
    window->setAutoFillBackground(true);
    ListBox1->show();
    window->show();
}

// The equaliser and station-browser windows are built by the skin work; until then neither
// exists.
void TDisplay::BuildEqualizerWindow(bool) {}
void TDisplay::BuildBrowserWindow(bool) {}

// Docking and the tray animation come later; bringing up is showing, raising and focusing.
void TDisplay::ShowSkinWindow(QWidget* window) {
    if (!window) return;
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

// The skin scroll bar and the playlist times are drawn by the skin work.
void TDisplay::DrawPlaylistScrollbar() {}
void TDisplay::DrawPlaylistTimes() {}
