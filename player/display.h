// TDisplay: the skin display. It builds the five skinned windows and draws them from the skin.
// The main-window build places and shows the window and hands the start-up argument over; the
// skin pictures, the other four windows and the indicators arrive with the skin work.
#pragma once

#include <QPointer>
#include <QWidget>

class TDisplay {
public:
    void LoadMainSkin();
    void BuildMainWindow(int volume, int balance, bool first);
    void BuildPlaylistWindow(bool first);
    void BuildEqualizerWindow(bool first);
    void BuildBrowserWindow(bool first);
    void ShowSkinWindow(QWidget* window);
    void DrawPlaylistScrollbar();
    void DrawPlaylistTimes();
};

// The skinned windows other than the main one; each is null until it is built.
extern QPointer<QWidget> PlaylistWindow;
extern QPointer<QWidget> EqualizerWindow;
extern QPointer<QWidget> Form4;
extern QPointer<QWidget> Form5;
extern QPointer<QWidget> Form8;

// The first command-line argument, or the empty text.
QString FirstArgument();
