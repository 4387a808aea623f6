// The sixteen sheets of the built-in skin, each drawn into exactly the rectangles the player
// copies from it (skin_layout.h).
#pragma once

#include "plugins/skins/skin_layout.h"

#include <QImage>

namespace sheets {

// A sheet of its layout size, filled with the colour of areas no window shows.
QImage blank(skin_layout::Sheet sheet);

// main window pieces (main_sheets.cpp)
QImage mainWindow();
QImage titleBar();
QImage controlButtons();
QImage toggles();  // "shufrep"
// indicators and sliders (indicator_sheets.cpp)
QImage digits();  // "numbers"
QImage textFont();
QImage playState();  // "playpaus"
QImage monoStereo();
QImage positionBar();
QImage volume();
QImage balance();
// the other windows
QImage playlist();  // "pledit", playlist_sheet.cpp
QImage equaliser();  // "eqmain", equaliser_sheets.cpp
QImage equaliserShade();  // "eq_ex"
QImage videoFrame();  // "avs", frame_sheets.cpp
QImage browserFrame();  // "mb"

QImage draw(skin_layout::Sheet sheet);

// Shared between sheets, so what the main window shows before the player first draws an
// indicator matches the indicator sheets.
void seekTrack(QImage& img, int x, int y);
void toggleButton(QImage& img, int x, int y, int w, int h, const char* label, bool on, bool pressed);

}  // namespace sheets
