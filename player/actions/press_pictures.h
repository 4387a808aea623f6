// The pressed pictures of the button regions: drawn straight onto the window at the region's
// rectangle when the button goes down, and gone at the window's next repaint.
#pragma once

#include <QImage>
#include <array>
#include <string_view>

#include "player/display/display.h"
#include "player/skin/canvas.h"

struct TPressPicture {
    std::string_view Name;
    QImage TDisplay::*Sheet;
    QRect Source;
};

inline constexpr std::array<TPressPicture, 23> kPressPictures{{
    {"mMenu", &TDisplay::TitlebarBmp, Rect(0, 9, 9, 18)},
    {"mMinimize", &TDisplay::TitlebarBmp, Rect(9, 9, 18, 18)},
    {"mClose", &TDisplay::TitlebarBmp, Rect(18, 9, 27, 18)},
    {"mBut1", &TDisplay::CbuttonsBmp, Rect(0, 18, 22, 36)},
    {"mBut2", &TDisplay::CbuttonsBmp, Rect(23, 18, 45, 36)},
    {"mBut3", &TDisplay::CbuttonsBmp, Rect(46, 18, 68, 36)},
    {"mBut4", &TDisplay::CbuttonsBmp, Rect(69, 18, 91, 36)},
    {"mBut5", &TDisplay::CbuttonsBmp, Rect(92, 18, 114, 36)},
    {"mBut6", &TDisplay::CbuttonsBmp, Rect(114, 16, 136, 32)},
    {"mButEQ", &TDisplay::ShufrepBmp, Rect(46, 61, 69, 73)},
    {"mButPL", &TDisplay::ShufrepBmp, Rect(69, 73, 92, 85)},
    {"mButShuffle", &TDisplay::ShufrepBmp, Rect(28, 15, 75, 30)},
    {"mButRepeat", &TDisplay::ShufrepBmp, Rect(0, 15, 28, 30)},
    {"lClose", &TDisplay::PleditBmp, Rect(52, 42, 61, 51)},
    {"eClose", &TDisplay::EqExBmp, Rect(11, 47, 20, 56)},
    {"eEQON", &TDisplay::EqmainBmp, Rect(128, 119, 153, 131)},
    {"eEQAuto", &TDisplay::EqmainBmp, Rect(153, 119, 186, 131)},
    {"eEQLoad", &TDisplay::EqmainBmp, Rect(224, 176, 268, 188)},
    {"bBack", &TDisplay::MbBmp, Rect(158, 42, 173, 59)},
    {"bForward", &TDisplay::MbBmp, Rect(173, 42, 188, 59)},
    {"bStop", &TDisplay::MbBmp, Rect(188, 42, 203, 59)},
    {"bRefresh", &TDisplay::MbBmp, Rect(203, 42, 218, 59)},
    {"bEnter", &TDisplay::MbBmp, Rect(218, 42, 233, 59)},
}};

// The shade toggles show one picture at full height and another while shaded.
struct TShadePressPicture {
    std::string_view Name;
    QImage TDisplay::*Sheet;
    QRect Full, Shaded;
};
inline constexpr std::array<TShadePressPicture, 3> kShadePressPictures{{
    {"mSmall", &TDisplay::TitlebarBmp, Rect(9, 18, 18, 27), Rect(9, 27, 18, 36)},
    {"lSmall", &TDisplay::PleditBmp, Rect(62, 42, 71, 51), Rect(150, 42, 159, 51)},
    {"eSmall", &TDisplay::EqExBmp, Rect(1, 38, 10, 47), Rect(1, 47, 10, 56)},
}};
