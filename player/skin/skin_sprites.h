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
#include "plugins/skins/skin_layout.h"

// The numbers live in the layout table the built-in art is drawn from; these are its Qt faces.
constexpr QRect Q(const skin_layout::Rect& r) { return Rect(r.left, r.top, r.right, r.bottom); }
constexpr QRect Q(const skin_layout::Rect& r, int dx, int dy) { return Q(r.moved(dx, dy)); }

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
namespace L = skin_layout;
constexpr TToggleSprite Toggle(std::string_view setting, bool fallback, const L::main_window::Toggle& t) {
    return {setting, fallback, Q(t.on), Q(t.off), Q(t.dest)};
}
inline constexpr TSprite kBackground{Q(L::main_window::kBackground), Q(L::main_window::kBackground)};
inline constexpr TSprite kTitleBar{Q(L::titlebar::kActive), Q(L::titlebar::kBarDest)};
inline constexpr TSprite kOptionStrip{Q(L::titlebar::kOptionStrip), Q(L::titlebar::kOptionStripDest)};
inline constexpr std::array<TSprite, 2> kButtons{{
    {Q(L::main_window::kTransport), Q(L::main_window::kTransportDest)},
    {Q(L::main_window::kOpen), Q(L::main_window::kOpenDest)},
}};
inline constexpr std::array<TToggleSprite, 4> kToggles{{
    Toggle("EQ_Open", true, L::main_window::kEqualiser),
    Toggle("PL_Open", true, L::main_window::kPlaylist),
    Toggle("Shuffle", false, L::main_window::kShuffle),
    Toggle("Repeat", true, L::main_window::kRepeat),
}};
inline constexpr TSprite kShadeBar{Q(L::titlebar::kShadeBuilt), Q(L::titlebar::kShadeBuiltDest)};

// The title bar by state, [shaded][active], drawn at (0, 0)-(302, 14); the back buffer keeps
// its left 275 pixels.
inline constexpr QRect kTitleDest = Q(L::titlebar::kBarDest);
inline constexpr QRect kTitle[2][2] = {
    {Q(L::titlebar::kInactive), Q(L::titlebar::kActive)},
    {Q(L::titlebar::kShadeInactive), Q(L::titlebar::kShadeActive)},
};

// The seek bar: its track, and the thumb moved right by the bar pixel (0..219).
inline constexpr TSprite kSeekTrack{Q(L::main_window::kSeekTrack), Q(L::main_window::kSeekTrackDest)};
inline constexpr TSprite kSeekThumb{Q(L::main_window::kSeekThumb), Q(L::main_window::kSeekThumbDest)};
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

namespace L = skin_layout::sliders;
constexpr QRect VolumeBackSource(int row) { return Q(L::kVolumeBack, 0, L::kRowStep * row); }
inline constexpr QRect kVolumeBackDest = Q(L::kVolumeBackDest);
constexpr QRect VolumeThumbDest(int offset) { return Q(L::kVolumeThumbDest, offset, 0); }
// The balance background is one pixel narrower on the window than in the sheet.
constexpr QRect BalanceBackSource(int row) { return Q(L::kBalanceBack, 0, L::kRowStep * row); }
inline constexpr QRect kBalanceBackDest = Q(L::kBalanceBackDest);
constexpr QRect BalanceThumbDest(int offset) { return Q(L::kBalanceThumbDest, offset, 0); }
// Both sliders share the thumb pictures at the same place of their sheets.
inline constexpr QRect kThumbNormal = Q(L::kThumb);
inline constexpr QRect kThumbHeld = Q(L::kThumbHeld);
}  // namespace sliders

// ---- Indicators ("playpaus", the digits, "text") ----
namespace indicators {
namespace L = skin_layout::indicators;
// Blanks the indicator area first: 9 pixels stretched to 11.
inline constexpr TSprite kPlayStateBlank{Q(L::kBlank), Q(L::kBlankDest)};
// The cells of each state 0 playing, 1 stopped, 2 paused, 3 waiting; an empty rectangle is none.
inline constexpr std::array<std::array<TSprite, 2>, 4> kPlayState{{
    {{{Q(L::kPlaying), Q(L::kStateDest)}, {Q(L::kPlayingMark), Q(L::kMarkDest)}}},
    {{{Q(L::kStopped), Q(L::kStateDest)}, {}}},
    {{{Q(L::kPaused), Q(L::kStateDest)}, {}}},
    {{{Q(L::kPlaying), Q(L::kStateDest)}, {Q(L::kWaitingMark), Q(L::kMarkDest)}}},
}};

// Time digits in the order tens of minutes, units of minutes, tens of seconds, units of seconds.
// Full-size window: digit font; the colon is part of the background.
using L::kTimeX;
using L::kTimeTop;
// The minus sign is the middle bar of the digit 8, so digit sheets without a minus cell work.
inline constexpr TSprite kTimeMinus{Q(L::kTimeMinus), Q(L::kTimeMinusDest)};
// Shaded window: text font.
using L::kShadeTimeX;
using L::kShadeTimeTop;
// The text font's "-" less its first two columns, 3 pixels wide.
inline constexpr QRect kTextMinus = Q(skin_layout::text_font::kNarrowMinus);
inline constexpr TSprite kShadeTimeMinus{kTextMinus, Q(L::kShadeTimeMinusDest)};
// The playlist window's small clock, from its right and bottom edges.
using L::kClockMinusX;
using L::kClockTop;
using L::kClockX;

// Bit rate and sample rate, text font, one 5 x 6 cell per character.
using L::kKbpsX;
using L::kKhzX;
using L::kRateTop;

// The scrolling title's panel on the main window.
inline constexpr QRect kTitlePanel = Q(L::kTitlePanel);
}  // namespace indicators

// ---- Fonts ----
namespace fonts {
namespace L = skin_layout;
constexpr int ClampCell(int value) { return std::clamp(value, -100000, 100000); }
// A digit of the digit font: cells 9 x 13 along the top. A value of 10 or more is taken from
// further right without a bound, as a track of 100 minutes or more asks for.
constexpr QRect DigitCell(int d) { return Q(L::digits::kZero, L::digits::kStep * ClampCell(d), 0); }
// A digit of the 5 x 6 text font, likewise unbounded.
constexpr QRect TextDigitCell(int d) { return Q(L::text_font::kDigitZero, L::text_font::kStep * ClampCell(d), 0); }
inline constexpr QRect kBlankCell = Q(L::text_font::kBlank);
inline constexpr QRect kUnknownCell = Q(L::text_font::kUnknown);

// The text-font cell of one character; anything the font lacks (lower case, ";", "<", ">", any
// character beyond ASCII) shows the "?" cell.
constexpr QRect TextCell(char32_t c) {
    if (c >= U'A' && c <= U'Z') return Q(L::text_font::kLetterA, L::text_font::kStep * int(c - U'A'), 0);
    if (c >= U'0' && c <= U'9') return TextDigitCell(int(c - U'0'));
    return Q(L::text_font::CellOf(c));
}
static_assert(TextCell(U'.') == TextCell(U','));
static_assert(TextCell(U'a') == kUnknownCell && TextCell(U';') == kUnknownCell);
static_assert(TextCell(U' ') == kBlankCell);
}  // namespace fonts

// ---- Playlist window ("pledit") ----
namespace playlist_frame {
namespace L = skin_layout::playlist;
// A title-bar piece: its columns; the active picture is in rows 0..20, the inactive one in
// rows 21..41.
using TTitlePiece = L::Columns;
inline constexpr TTitlePiece kCorner = L::kCorner;
inline constexpr TTitlePiece kFill = L::kFill;
inline constexpr TTitlePiece kTitle = L::kTitle;
inline constexpr TTitlePiece kRightCorner = L::kRightCorner;
using L::kActiveRow;
using L::kInactiveRow;
using L::kTitleHeight;
constexpr QRect PieceSource(TTitlePiece piece, int row) { return Rect(piece.left, row, piece.right, row + kTitleHeight); }

inline constexpr QRect kLeftEdge = Q(L::kLeftEdge);
inline constexpr QRect kRightEdge = Q(L::kRightEdge);  // also the scroll track
inline constexpr QRect kBottomLeft = Q(L::kBottomLeft);
inline constexpr QRect kBottomFill = Q(L::kBottomFill);
inline constexpr QRect kBottomRight = Q(L::kBottomRight);
inline constexpr QRect kScrollThumb = Q(L::kScrollThumb);

// Shade mode: both ends and the tile between them, 14 high.
inline constexpr QRect kShadeLeft = Q(L::kShadeLeft);
inline constexpr QRect kShadeFill = Q(L::kShadeFill);
inline constexpr QRect kShadeRightActive = Q(L::kShadeRightActive);
inline constexpr QRect kShadeRightInactive = Q(L::kShadeRightInactive);
}  // namespace playlist_frame

// ---- Equaliser window ("eqmain", "eq_ex") ----
namespace equalizer_frame {
namespace L = skin_layout::equaliser;
inline constexpr TSprite kBackground{Q(L::kBackground), Q(L::kBackground)};
inline constexpr QRect kTitleActive = Q(L::kTitleActive);
inline constexpr QRect kTitleInactive = Q(L::kTitleInactive);
inline constexpr QRect kTitleDest = Q(L::kTitleDest);
inline constexpr std::array<TToggleSprite, 2> kToggles{{
    main_frame::Toggle("EQON", false, L::kOn),
    main_frame::Toggle("EQAuto", false, L::kAuto),
}};
inline constexpr TSprite kPresets{Q(L::kPresets), Q(L::kPresetsDest)};
inline constexpr TSprite kGraph{Q(L::kGraph), Q(L::kGraphDest)};
inline constexpr TSprite kShade{Q(L::kShadeBar), Q(L::kShadeBar)};  // from "eq_ex"
}  // namespace equalizer_frame

// ---- Video window frame ("avs") ----
namespace video_frame {
enum class Parity : quint8 { Any, Odd, Even };
struct TPiece {
    TFrameSprite Sprite;
    Parity Width;  // the right side has a narrower piece for odd widths
};
// In drawing order: the middle pieces overdraw the corners' inner columns.
namespace L = skin_layout::video;
inline constexpr std::array<TPiece, 9> kPieces{{
    {{Q(L::kTopLeft), Fixed(0, 0, 50, 15)}, Parity::Any},
    {{Q(L::kTopRight), {FromW(-16), Px(0), FromW(0), Px(15)}}, Parity::Any},
    {{Q(L::kTopMiddle), {Px(50), Px(0), FromW(-15), Px(15)}}, Parity::Any},
    {{Q(L::kLeft), {Px(0), Px(15), Px(7), FromH(0)}}, Parity::Any},
    {{Q(L::kRightOdd), {FromW(-5), Px(15), FromW(0), FromH(0)}}, Parity::Odd},
    {{Q(L::kRightEven), {FromW(-6), Px(15), FromW(0), FromH(0)}}, Parity::Even},
    {{Q(L::kBottomLeft), {Px(0), FromH(-5), Px(50), FromH(0)}}, Parity::Any},
    {{Q(L::kBottomMiddle), {Px(50), FromH(-5), FromW(-15), FromH(0)}}, Parity::Any},
    {{Q(L::kBottomRight), {FromW(-16), FromH(-5), FromW(0), FromH(0)}}, Parity::Any},
}};
}  // namespace video_frame

// ---- Station browser ("mb"): title pieces as the playlist's, then its own frame ----
namespace browser_frame {
namespace L = skin_layout::browser;
inline constexpr QRect kLeftSide = Q(L::kLeftSide);  // 29 rows squeezed into 20
inline constexpr QRect kRightSideEven = Q(L::kRightSideEven);
inline constexpr QRect kRightSideOdd = Q(L::kRightSideOdd);
using L::kSideStep;
inline constexpr QRect kBottomLeft = Q(L::kBottomLeft);
inline constexpr QRect kBottomFill = Q(L::kBottomFill);
inline constexpr QRect kBottomRight = Q(L::kBottomRight);
}  // namespace browser_frame
