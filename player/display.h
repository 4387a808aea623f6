// TDisplay: the skin display. It builds the five skinned windows and draws them from the skin.
// The main-window build places and shows the window and hands the start-up argument over; the
// skin pictures, the other four windows and the indicators arrive with the skin work.
#pragma once

#include <QColor>
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

    // The six playlist colours; the skin's Pledit.txt replaces these defaults once skins load.
    QColor Normal{0x2F, 0x2B, 0x66};
    QColor NormalBG{0xA1, 0xB3, 0xE3};
    QColor Current{0x00, 0x35, 0x00};
    QColor SelectedBG{0x62, 0x7E, 0xB5};
    QColor MBBG{0xA1, 0xB3, 0xE3};
    QColor MBFG{0x2F, 0x2B, 0x66};
};

// The skinned windows other than the main one; each is null until it is built.
extern QPointer<QWidget> PlaylistWindow;
extern QPointer<QWidget> EqualizerWindow;
extern QPointer<QWidget> Form4;
extern QPointer<QWidget> Form5;
extern QPointer<QWidget> Form8;

// The first command-line argument, or the empty text.
QString FirstArgument();
