// Where each picture of the skin comes from and where it goes: the rectangles of the skin sheets
// that the window frames and the indicators copy, as data. Rectangles are (left, top, right,
// bottom), right and bottom exclusive; a copy between rectangles of different sizes stretches.
#pragma once

#include <QRect>
#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>

#include "player/skin/canvas.h"
#include "player/skin/skin_regions.h"

// A copy from a fixed place of a sheet to a fixed place of a window.
struct TSprite {
    QRect Source;
    QRect Dest;
};

// A two-state picture (a toggle button): both states share one place.
struct TToggleSprite {
    std::string_view Setting;  // the boolean setting that chooses the state
    bool Default;
    QRect On;
    QRect Off;
    QRect Dest;
};

// A copy to a place that follows the window's size.
struct TFrameSprite {
    QRect Source;
    TBox Dest;
};

constexpr QRect At(const TBox& box, int w, int h) {
    return Rect(box.Left.At(w, h), box.Top.At(w, h), box.Right.At(w, h), box.Bottom.At(w, h));
}

// ---- Main window ("main", "titlebar", "cbuttons", "shufrep", "volume", "balance") ----
namespace main_frame {
inline constexpr TSprite kBackground{Rect(0, 0, 275, 116), Rect(0, 0, 275, 116)};
inline constexpr TSprite kTitleBar{Rect(27, 0, 329, 14), Rect(0, 0, 302, 14)};
inline constexpr TSprite kOptionStrip{Rect(304, 0, 312, 43), Rect(10, 22, 18, 65)};
inline constexpr std::array<TSprite, 2> kButtons{{
    {Rect(0, 0, 114, 18), Rect(16, 88, 130, 106)},     // the five transport buttons
    {Rect(114, 0, 136, 16), Rect(136, 89, 158, 105)},  // open
}};
inline constexpr std::array<TToggleSprite, 4> kToggles{{
    {"EQ_Open", true, Rect(0, 73, 23, 85), Rect(0, 61, 23, 73), Rect(219, 58, 242, 70)},
    {"PL_Open", true, Rect(23, 73, 46, 85), Rect(23, 61, 46, 73), Rect(243, 58, 266, 70)},
    {"Shuffle", false, Rect(28, 30, 75, 45), Rect(28, 0, 75, 15), Rect(164, 89, 211, 104)},
    {"Repeat", true, Rect(0, 30, 28, 45), Rect(0, 0, 28, 15), Rect(210, 89, 238, 104)},
}};
inline constexpr TSprite kShadeBar{Rect(27, 29, 302, 43), Rect(0, 0, 275, 14)};

// The title bar by state, [shaded][active], drawn at (0, 0)-(302, 14); the back buffer keeps
// its left 275 pixels.
inline constexpr QRect kTitleDest = Rect(0, 0, 302, 14);
inline constexpr QRect kTitle[2][2] = {
    {Rect(27, 15, 329, 29), Rect(27, 0, 329, 14)},
    {Rect(27, 42, 329, 56), Rect(27, 29, 329, 43)},
};

// The seek bar: its track, and the thumb moved right by the bar pixel (0..219).
inline constexpr TSprite kSeekTrack{Rect(0, 0, 248, 10), Rect(16, 72, 264, 82)};
inline constexpr TSprite kSeekThumb{Rect(248, 0, 277, 10), Rect(16, 72, 45, 82)};
}  // namespace main_frame

// ---- Volume and balance sliders ----
// The products are taken in extended precision, as the pictures were laid out with; a value
// outside its range is clamped first.
namespace sliders {
// The background row of the volume slider (0..27); volume 0 and 1 both give 0.
inline int VolumeRow(int volume) {
    const long double p = static_cast<long double>(std::clamp(volume, 0, 100) - 1) * 0.28L;
    return std::clamp(static_cast<int>(std::trunc(p)), 0, 27);
}
// The volume thumb's offset from its leftmost place (0..50).
inline int VolumeThumb(int volume) {
    const long double p = static_cast<long double>(std::clamp(volume, 0, 100) - 1) * 0.51L;
    return std::clamp(static_cast<int>(std::trunc(p)), 0, 50);
}
// The background row of the balance slider (0..27) for either side.
inline int BalanceRow(int balance) {
    const long double p = static_cast<long double>(std::abs(std::clamp(balance, -100, 100)) - 1) * 0.28L;
    return std::clamp(static_cast<int>(std::trunc(p)), 0, 27);
}
// The balance thumb's offset (0..22), to the nearest pixel with halves to even; centre is 11.
inline int BalanceThumb(int balance) {
    const long double p = static_cast<long double>(std::clamp(balance, -100, 100) + 100) * 0.11L;
    return std::clamp(static_cast<int>(std::nearbyint(p)), 0, 22);
}

constexpr QRect VolumeBackSource(int row) { return Rect(0, 15 * row + 1, 67, 15 * row + 13); }
inline constexpr QRect kVolumeBackDest = Rect(107, 58, 174, 70);
constexpr QRect VolumeThumbDest(int offset) { return Rect(108 + offset, 58, 122 + offset, 69); }
// The balance background is one pixel narrower on the window than in the sheet.
constexpr QRect BalanceBackSource(int row) { return Rect(9, 15 * row + 1, 47, 15 * row + 13); }
inline constexpr QRect kBalanceBackDest = Rect(177, 58, 214, 70);
constexpr QRect BalanceThumbDest(int offset) { return Rect(177 + offset, 58, 191 + offset, 69); }
// Both sliders share the thumb pictures at the same place of their sheets.
inline constexpr QRect kThumbNormal = Rect(15, 422, 29, 433);
inline constexpr QRect kThumbHeld = Rect(0, 422, 14, 433);
}  // namespace sliders

// ---- Indicators ("playpaus", the digits, "text") ----
namespace indicators {
// Blanks the indicator area first: 9 pixels stretched to 11.
inline constexpr TSprite kPlayStateBlank{Rect(27, 0, 36, 9), Rect(24, 28, 35, 37)};
// The cells of each state 0 playing, 1 stopped, 2 paused, 3 waiting; an empty rectangle is none.
inline constexpr std::array<std::array<TSprite, 2>, 4> kPlayState{{
    {{{Rect(0, 0, 9, 9), Rect(26, 28, 35, 37)}, {Rect(36, 0, 39, 9), Rect(24, 28, 27, 37)}}},
    {{{Rect(18, 0, 27, 9), Rect(26, 28, 35, 37)}, {}}},
    {{{Rect(9, 0, 18, 9), Rect(26, 28, 35, 37)}, {}}},
    {{{Rect(0, 0, 9, 9), Rect(26, 28, 35, 37)}, {Rect(39, 0, 42, 9), Rect(24, 28, 27, 37)}}},
}};

// Time digits in the order tens of minutes, units of minutes, tens of seconds, units of seconds.
// Full-size window: digit font; the colon is part of the background.
inline constexpr std::array<int, 4> kTimeX{48, 59, 78, 89};
inline constexpr int kTimeTop = 26;
// The minus sign is the middle bar of the digit 8, so digit sheets without a minus cell work.
inline constexpr TSprite kTimeMinus{Rect(74, 6, 79, 7), Rect(39, 32, 44, 33)};
// Shaded window: text font.
inline constexpr std::array<int, 4> kShadeTimeX{133, 138, 148, 153};
inline constexpr int kShadeTimeTop = 4;
// The text font's "-" less its first two columns, 3 pixels wide.
inline constexpr QRect kTextMinus = Rect(76, 6, 79, 12);
inline constexpr TSprite kShadeTimeMinus{kTextMinus, Rect(129, 4, 132, 10)};
// The playlist window's small clock, from its right and bottom edges.
inline constexpr std::array<int, 4> kClockX{-78, -73, -63, -58};
inline constexpr int kClockMinusX = -82;
inline constexpr int kClockTop = -15;

// Bit rate and sample rate, text font, one 5 x 6 cell per character.
inline constexpr int kKbpsX = 111;  // character 1 of 3
inline constexpr int kKhzX = 156;   // character 1 of 2
inline constexpr int kRateTop = 43;

// The scrolling title's panel on the main window.
inline constexpr QRect kTitlePanel = Rect(112, 27, 264, 33);
}  // namespace indicators

// ---- Fonts ----
namespace fonts {
constexpr int ClampCell(int value) { return std::clamp(value, -100000, 100000); }
// A digit of the digit font: cells 9 x 13 along the top. A value of 10 or more is taken from
// further right without a bound, as a track of 100 minutes or more asks for.
constexpr QRect DigitCell(int d) { return Rect(9 * ClampCell(d), 0, 9 * ClampCell(d) + 9, 13); }
// A digit of the 5 x 6 text font, likewise unbounded.
constexpr QRect TextDigitCell(int d) { return Rect(5 * ClampCell(d), 6, 5 * ClampCell(d) + 5, 12); }
inline constexpr QRect kBlankCell = Rect(25, 12, 30, 18);
inline constexpr QRect kUnknownCell = Rect(15, 12, 20, 18);

struct TPunctuation {
    char32_t Char;
    int X, Y;
};
inline constexpr std::array<TPunctuation, 25> kPunctuation{{
    {U'!', 85, 6},  {U'"', 130, 0}, {U'#', 150, 6}, {U'$', 145, 6}, {U'%', 130, 6}, {U'&', 125, 6},
    {U'(', 65, 6},  {U')', 70, 6},  {U'*', 20, 12}, {U'+', 95, 6},  {U',', 136, 6}, {U'-', 75, 6},
    // "." shares the comma's cell, one pixel right of the grid.
    {U'.', 136, 6}, {U'/', 105, 6}, {U':', 60, 6},  {U'=', 140, 6}, {U'?', 15, 12}, {U'@', 135, 0},
    {U'[', 110, 6}, {U'\\', 100, 6}, {U']', 115, 6}, {U'^', 120, 6}, {U'_', 90, 6}, {U'`', 80, 6},
    {U' ', 25, 12},
}};

// The text-font cell of one character; anything the font lacks (lower case, ";", "<", ">", any
// character beyond ASCII) shows the "?" cell.
constexpr QRect TextCell(char32_t c) {
    if (c >= U'A' && c <= U'Z') return Rect(5 * int(c - U'A'), 0, 5 * int(c - U'A') + 5, 6);
    if (c >= U'0' && c <= U'9') return TextDigitCell(int(c - U'0'));
    for (const TPunctuation& p : kPunctuation)
        if (p.Char == c) return Rect(p.X, p.Y, p.X + 5, p.Y + 6);
    return kUnknownCell;
}
static_assert(TextCell(U'.') == TextCell(U','));
static_assert(TextCell(U'a') == kUnknownCell && TextCell(U';') == kUnknownCell);
static_assert(TextCell(U' ') == kBlankCell);
}  // namespace fonts

// ---- Playlist window ("pledit") ----
namespace playlist_frame {
// A title-bar piece: its columns; the active picture is in rows 0..20, the inactive one in
// rows 21..41.
struct TTitlePiece {
    int Left, Right;
};
inline constexpr TTitlePiece kCorner{0, 25};
inline constexpr TTitlePiece kFill{127, 152};
inline constexpr TTitlePiece kTitle{26, 126};
inline constexpr TTitlePiece kRightCorner{153, 178};
inline constexpr int kActiveRow = 0;
inline constexpr int kInactiveRow = 21;
inline constexpr int kTitleHeight = 20;
constexpr QRect PieceSource(TTitlePiece piece, int row) { return Rect(piece.Left, row, piece.Right, row + kTitleHeight); }

inline constexpr QRect kLeftEdge = Rect(0, 42, 12, 70);
inline constexpr QRect kRightEdge = Rect(26, 42, 51, 70);  // also the scroll track
inline constexpr QRect kBottomLeft = Rect(0, 72, 125, 110);
inline constexpr QRect kBottomFill = Rect(179, 0, 203, 38);
inline constexpr QRect kBottomRight = Rect(126, 72, 276, 110);
inline constexpr QRect kScrollThumb = Rect(52, 53, 60, 71);

// Shade mode: both ends and the tile between them, 14 high.
inline constexpr QRect kShadeLeft = Rect(72, 42, 97, 56);
inline constexpr QRect kShadeFill = Rect(72, 57, 97, 71);
inline constexpr QRect kShadeRightActive = Rect(99, 42, 149, 56);
inline constexpr QRect kShadeRightInactive = Rect(99, 57, 149, 71);
}  // namespace playlist_frame

// ---- Equaliser window ("eqmain", "eq_ex") ----
namespace equalizer_frame {
inline constexpr TSprite kBackground{Rect(0, 0, 275, 116), Rect(0, 0, 275, 116)};
inline constexpr QRect kTitleActive = Rect(0, 134, 275, 147);
inline constexpr QRect kTitleInactive = Rect(0, 149, 275, 162);
inline constexpr QRect kTitleDest = Rect(0, 0, 275, 13);
inline constexpr std::array<TToggleSprite, 2> kToggles{{
    {"EQON", false, Rect(69, 119, 94, 131), Rect(10, 119, 35, 131), Rect(14, 18, 39, 30)},
    {"EQAuto", false, Rect(94, 119, 127, 131), Rect(35, 119, 68, 131), Rect(39, 18, 72, 30)},
}};
inline constexpr TSprite kPresets{Rect(224, 164, 268, 176), Rect(217, 18, 261, 30)};
inline constexpr TSprite kGraph{Rect(0, 294, 113, 313), Rect(86, 17, 199, 36)};
inline constexpr TSprite kShade{Rect(0, 0, 275, 14), Rect(0, 0, 275, 14)};  // from "eq_ex"
}  // namespace equalizer_frame

// ---- Video window frame ("avs") ----
namespace video_frame {
enum class Parity : quint8 { Any, Odd, Even };
struct TPiece {
    TFrameSprite Sprite;
    Parity Width;  // the right side has a narrower piece for odd widths
};
// In drawing order: the middle pieces overdraw the corners' inner columns.
inline constexpr std::array<TPiece, 9> kPieces{{
    {{Rect(15, 0, 65, 15), Fixed(0, 0, 50, 15)}, Parity::Any},
    {{Rect(81, 0, 97, 15), {FromW(-16), Px(0), FromW(0), Px(15)}}, Parity::Any},
    {{Rect(66, 0, 80, 15), {Px(50), Px(0), FromW(-15), Px(15)}}, Parity::Any},
    {{Rect(0, 16, 7, 188), {Px(0), Px(15), Px(7), FromH(0)}}, Parity::Any},
    {{Rect(9, 17, 14, 188), {FromW(-5), Px(15), FromW(0), FromH(0)}}, Parity::Odd},
    {{Rect(8, 17, 14, 188), {FromW(-6), Px(15), FromW(0), FromH(0)}}, Parity::Even},
    {{Rect(15, 16, 65, 21), {Px(0), FromH(-5), Px(50), FromH(0)}}, Parity::Any},
    {{Rect(66, 16, 80, 21), {Px(50), FromH(-5), FromW(-15), FromH(0)}}, Parity::Any},
    {{Rect(81, 16, 97, 21), {FromW(-16), FromH(-5), FromW(0), FromH(0)}}, Parity::Any},
}};
}  // namespace video_frame

// ---- Station browser ("mb"): title pieces as the playlist's, then its own frame ----
namespace browser_frame {
inline constexpr QRect kLeftSide = Rect(127, 42, 138, 71);       // 29 rows squeezed into 20
inline constexpr QRect kRightSideEven = Rect(139, 42, 147, 71);  // 8 wide
inline constexpr QRect kRightSideOdd = Rect(138, 42, 147, 71);   // 9 wide
inline constexpr int kSideStep = 20;
inline constexpr QRect kBottomLeft = Rect(0, 42, 125, 80);
inline constexpr QRect kBottomFill = Rect(127, 81, 152, 119);
inline constexpr QRect kBottomRight = Rect(0, 81, 125, 119);
}  // namespace browser_frame
