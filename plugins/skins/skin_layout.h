// Where the player copies from each skin sheet: every source rectangle it reads, once, so the
// art generator draws into exactly these places and the tests can check the sheets against
// them. Rectangles are (left, top, right, bottom), right and bottom exclusive. Plain data, no Qt.
#pragma once

#include <array>
#include <cstddef>

namespace skin_layout {

enum class Sheet {
    Avs, Balance, CButtons, EqMain, EqEx, Main, Mb, MonoSter, Numbers, PlayPaus, PlEdit, PosBar,
    ShufRep, Text, TitleBar, Volume,
};

struct SheetInfo {
    Sheet sheet;
    const char* name;  // resource and file name, lower case as the player asks for it
    int width, height;
};

// Each sheet holds every rectangle read from it; "avs" and "mb" are exactly that extent.
inline constexpr std::array<SheetInfo, 16> kSheets{{
    {Sheet::Avs, "avs", 97, 188},          {Sheet::Balance, "balance", 68, 433},
    {Sheet::CButtons, "cbuttons", 136, 36}, {Sheet::EqMain, "eqmain", 275, 315},
    {Sheet::EqEx, "eq_ex", 275, 82},        {Sheet::Main, "main", 275, 116},
    {Sheet::Mb, "mb", 233, 119},           {Sheet::MonoSter, "monoster", 58, 24},
    {Sheet::Numbers, "numbers", 99, 13},    {Sheet::PlayPaus, "playpaus", 42, 9},
    {Sheet::PlEdit, "pledit", 280, 186},    {Sheet::PosBar, "posbar", 307, 10},
    {Sheet::ShufRep, "shufrep", 92, 85},    {Sheet::Text, "text", 155, 18},
    {Sheet::TitleBar, "titlebar", 344, 87}, {Sheet::Volume, "volume", 68, 433},
}};

constexpr const SheetInfo& sheetInfo(Sheet sheet) { return kSheets[static_cast<std::size_t>(sheet)]; }

struct Rect {
    int left, top, right, bottom;
    constexpr int width() const { return right - left; }
    constexpr int height() const { return bottom - top; }
    constexpr Rect moved(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
};

// A run of `count` rectangles, the k-th moved by (k * dx, k * dy): a row of digits, the 28
// slider backgrounds, the cells of a button strip.
struct Piece {
    Sheet sheet;
    const char* what;
    Rect rect;
    int count = 1, dx = 0, dy = 0;
    constexpr Rect at(int k) const { return rect.moved(k * dx, k * dy); }
};

// The rectangles the player copies and the places it copies them to, by name: the player's
// drawing tables and the generator's art are both built from these, so the two cannot drift.
// "Dest" rectangles are in window coordinates; the rest are in their sheet.

// A window bar is drawn at (0, 0)-(302, 14); the window keeps its left 275 pixels.
namespace titlebar {
inline constexpr Rect kActive{27, 0, 329, 14};
inline constexpr Rect kInactive{27, 15, 329, 29};
inline constexpr Rect kShadeActive{27, 29, 329, 43};    // shares its last row with the next
inline constexpr Rect kShadeInactive{27, 42, 329, 56};
inline constexpr Rect kShadeBuilt{27, 29, 302, 43};     // the shade bar a build lays down
inline constexpr Rect kOptionStrip{304, 0, 312, 43};    // lies in the bars' columns past 302,
                                                        // which no window ever shows
inline constexpr Rect kBarDest{0, 0, 302, 14};
inline constexpr Rect kShadeBuiltDest{0, 0, 275, 14};
inline constexpr Rect kOptionStripDest{10, 22, 18, 65};
}  // namespace titlebar

namespace main_window {
inline constexpr Rect kBackground{0, 0, 275, 116};  // "main", and its place
inline constexpr Rect kTransport{0, 0, 114, 18};     // "cbuttons": the five transport buttons
inline constexpr Rect kTransportDest{16, 88, 130, 106};
inline constexpr Rect kOpen{114, 0, 136, 16};
inline constexpr Rect kOpenDest{136, 89, 158, 105};
// "shufrep": each toggle's two pictures and its place.
struct Toggle {
    Rect on, off, dest;
};
inline constexpr Toggle kEqualiser{{0, 73, 23, 85}, {0, 61, 23, 73}, {219, 58, 242, 70}};
inline constexpr Toggle kPlaylist{{23, 73, 46, 85}, {23, 61, 46, 73}, {243, 58, 266, 70}};
inline constexpr Toggle kShuffle{{28, 30, 75, 45}, {28, 0, 75, 15}, {164, 89, 211, 104}};
inline constexpr Toggle kRepeat{{0, 30, 28, 45}, {0, 0, 28, 15}, {210, 89, 238, 104}};
// "posbar": the track, and the thumb at its leftmost place (it moves right by 0..219).
inline constexpr Rect kSeekTrack{0, 0, 248, 10};
inline constexpr Rect kSeekTrackDest{16, 72, 264, 82};
inline constexpr Rect kSeekThumb{248, 0, 277, 10};
inline constexpr Rect kSeekThumbHeld{278, 0, 307, 10};
inline constexpr Rect kSeekThumbDest{16, 72, 45, 82};
}  // namespace main_window

// "volume" and "balance": 28 background rows 15 apart, and the thumbs at the same place of both.
namespace sliders {
inline constexpr int kRows = 28, kRowStep = 15;
inline constexpr Rect kVolumeBack{0, 1, 67, 13};  // row 0
inline constexpr Rect kVolumeBackDest{107, 58, 174, 70};
inline constexpr Rect kVolumeThumbDest{108, 58, 122, 69};  // offset 0
inline constexpr Rect kBalanceBack{9, 1, 47, 13};
inline constexpr Rect kBalanceBackDest{177, 58, 214, 70};
inline constexpr Rect kBalanceThumbDest{177, 58, 191, 69};
inline constexpr Rect kThumb{15, 422, 29, 433};
inline constexpr Rect kThumbHeld{0, 422, 14, 433};
}  // namespace sliders

namespace indicators {
// "playpaus": the cells, and where the indicator sits.
inline constexpr Rect kPlaying{0, 0, 9, 9}, kPaused{9, 0, 18, 9}, kStopped{18, 0, 27, 9}, kBlank{27, 0, 36, 9};
inline constexpr Rect kPlayingMark{36, 0, 39, 9}, kWaitingMark{39, 0, 42, 9};
inline constexpr Rect kStateDest{26, 28, 35, 37}, kMarkDest{24, 28, 27, 37};
inline constexpr Rect kBlankDest{24, 28, 35, 37};  // 9 pixels stretched to 11
// Time digits, in the order tens of minutes, units of minutes, tens of seconds, units of
// seconds. Full size: 9 x 13 digit cells; the colon is part of the main background.
inline constexpr std::array<int, 4> kTimeX{48, 59, 78, 89};
inline constexpr int kTimeTop = 26;
inline constexpr Rect kTimeMinus{74, 6, 79, 7};  // the middle bar of the 8
inline constexpr Rect kTimeMinusDest{39, 32, 44, 33};
// Shaded main window and the playlist's small clock: 5 x 6 text cells, the colon from the bar
// beneath them, in the cell between the minutes and the seconds.
inline constexpr std::array<int, 4> kShadeTimeX{133, 138, 148, 153};
inline constexpr int kShadeTimeTop = 4;
inline constexpr Rect kShadeTimeMinusDest{129, 4, 132, 10};
inline constexpr std::array<int, 4> kClockX{-78, -73, -63, -58};  // from the playlist's right edge
inline constexpr int kClockMinusX = -82;
inline constexpr int kClockTop = -15;  // from its bottom edge
constexpr int ColonX(const std::array<int, 4>& digitX) { return digitX[1] + 5; }
static_assert(ColonX(kShadeTimeX) + 5 == kShadeTimeX[2] && ColonX(kClockX) + 5 == kClockX[2]);
// Bit rate and sample rate: characters 1 of 3 and 1 of 2.
inline constexpr int kKbpsX = 111, kKhzX = 156, kRateTop = 43;
inline constexpr Rect kTitlePanel{112, 27, 264, 33};  // the scrolling title on the main window
}  // namespace indicators

// The digits sheet: 9 x 13 cells along the top, 0 first.
namespace digits {
inline constexpr Rect kZero{0, 0, 9, 13};
inline constexpr int kStep = 9;
}  // namespace digits

// "text": the 5 x 6 font. Letters along row 0, digits along row 1, then the punctuation below.
namespace text_font {
inline constexpr int kStep = 5;
inline constexpr Rect kLetterA{0, 0, 5, 6};
inline constexpr Rect kDigitZero{0, 6, 5, 12};
inline constexpr Rect kBlank{25, 12, 30, 18};
inline constexpr Rect kUnknown{15, 12, 20, 18};  // "?"
inline constexpr Rect kNarrowMinus{76, 6, 79, 12};
struct Punctuation {
    char32_t c;
    int x, y;  // the cell's left-top corner
};
inline constexpr std::array<Punctuation, 25> kPunctuation{{
    {U'!', 85, 6},  {U'"', 130, 0}, {U'#', 150, 6}, {U'$', 145, 6}, {U'%', 130, 6}, {U'&', 125, 6},
    {U'(', 65, 6},  {U')', 70, 6},  {U'*', 20, 12}, {U'+', 95, 6},  {U',', 136, 6}, {U'-', 75, 6},
    // "." shares the comma's cell, one pixel right of the grid.
    {U'.', 136, 6}, {U'/', 105, 6}, {U':', 60, 6},  {U'=', 140, 6}, {U'?', 15, 12}, {U'@', 135, 0},
    {U'[', 110, 6}, {U'\\', 100, 6}, {U']', 115, 6}, {U'^', 120, 6}, {U'_', 90, 6}, {U'`', 80, 6},
    {U' ', 25, 12},
}};
constexpr Rect Cell(const Punctuation& p) { return {p.x, p.y, p.x + 5, p.y + 6}; }
constexpr Rect CellOf(char32_t c) {
    for (const Punctuation& p : kPunctuation)
        if (p.c == c) return Cell(p);
    return kUnknown;
}
static_assert(CellOf(U' ').left == kBlank.left && CellOf(U' ').top == kBlank.top);
}  // namespace text_font

// "pledit": title pieces by columns, active in rows 0..20, inactive in rows 21..41.
namespace playlist {
struct Columns {
    int left, right;
};
inline constexpr Columns kCorner{0, 25}, kTitle{26, 126}, kFill{127, 152}, kRightCorner{153, 178};
inline constexpr int kActiveRow = 0, kInactiveRow = 21, kTitleHeight = 20;
inline constexpr Rect kLeftEdge{0, 42, 12, 70};
inline constexpr Rect kRightEdge{26, 42, 51, 70};  // also the scroll track
inline constexpr Rect kBottomLeft{0, 72, 125, 110};
inline constexpr Rect kBottomFill{179, 0, 203, 38};
inline constexpr Rect kBottomRight{126, 72, 276, 110};  // lies at the window's right 150 pixels
inline constexpr Rect kScrollThumb{52, 53, 60, 71};
inline constexpr Rect kShadeLeft{72, 42, 97, 56}, kShadeFill{72, 57, 97, 71};
inline constexpr Rect kShadeRightActive{99, 42, 149, 56}, kShadeRightInactive{99, 57, 149, 71};
}  // namespace playlist

// "eqmain" and "eq_ex".
namespace equaliser {
inline constexpr Rect kBackground{0, 0, 275, 116};
inline constexpr Rect kTitleActive{0, 134, 275, 147}, kTitleInactive{0, 149, 275, 162};
inline constexpr Rect kTitleDest{0, 0, 275, 13};
inline constexpr main_window::Toggle kOn{{69, 119, 94, 131}, {10, 119, 35, 131}, {14, 18, 39, 30}};
inline constexpr main_window::Toggle kAuto{{94, 119, 127, 131}, {35, 119, 68, 131}, {39, 18, 72, 30}};
inline constexpr Rect kPresets{224, 164, 268, 176}, kPresetsDest{217, 18, 261, 30};
inline constexpr Rect kGraph{0, 294, 113, 313}, kGraphDest{86, 17, 199, 36};
inline constexpr Rect kShadeBar{0, 0, 275, 14};  // "eq_ex", at the same place of the window
}  // namespace equaliser

// "avs": the video frame's pieces.
namespace video {
inline constexpr Rect kTopLeft{15, 0, 65, 15}, kTopMiddle{66, 0, 80, 15}, kTopRight{81, 0, 97, 15};
inline constexpr Rect kLeft{0, 16, 7, 188}, kRightOdd{9, 17, 14, 188}, kRightEven{8, 17, 14, 188};
inline constexpr Rect kBottomLeft{15, 16, 65, 21}, kBottomMiddle{66, 16, 80, 21}, kBottomRight{81, 16, 97, 21};
}  // namespace video

// "mb": title pieces as the playlist's, then the browser's own frame.
namespace browser {
inline constexpr Rect kLeftSide{127, 42, 138, 71};       // 29 rows squeezed into 20
inline constexpr Rect kRightSideEven{139, 42, 147, 71};  // 8 wide
inline constexpr Rect kRightSideOdd{138, 42, 147, 71};   // 9 wide
inline constexpr int kSideStep = 20;
inline constexpr Rect kBottomLeft{0, 42, 125, 80};
inline constexpr Rect kBottomFill{127, 81, 152, 119};
inline constexpr Rect kBottomRight{0, 81, 125, 119};
}  // namespace browser

inline constexpr auto kPieces = std::to_array<Piece>({
    // main window background
    {Sheet::Main, "background", main_window::kBackground},
    // titlebar: window bars and their buttons
    {Sheet::TitleBar, "title bar active", titlebar::kActive},
    {Sheet::TitleBar, "title bar inactive", titlebar::kInactive},
    {Sheet::TitleBar, "shade bar active", titlebar::kShadeActive},
    {Sheet::TitleBar, "shade bar active, built", titlebar::kShadeBuilt},
    {Sheet::TitleBar, "shade bar inactive", titlebar::kShadeInactive},
    {Sheet::TitleBar, "option strip", titlebar::kOptionStrip},
    {Sheet::TitleBar, "menu button", {0, 0, 9, 9}},
    {Sheet::TitleBar, "menu button pressed", {0, 9, 9, 18}},
    {Sheet::TitleBar, "minimise pressed", {9, 9, 18, 18}},
    {Sheet::TitleBar, "shade pressed", {9, 18, 18, 27}},
    {Sheet::TitleBar, "shade pressed, shaded", {9, 27, 18, 36}},
    {Sheet::TitleBar, "close pressed", {18, 9, 27, 18}},
    // cbuttons: transport buttons
    {Sheet::CButtons, "five transport buttons", main_window::kTransport},
    {Sheet::CButtons, "transport button pressed", {0, 18, 22, 36}, 5, 23, 0},
    {Sheet::CButtons, "open button", main_window::kOpen},
    {Sheet::CButtons, "open button pressed", {114, 16, 136, 32}},
    // shufrep: toggles
    {Sheet::ShufRep, "equaliser off", main_window::kEqualiser.off},
    {Sheet::ShufRep, "equaliser on", main_window::kEqualiser.on},
    {Sheet::ShufRep, "equaliser pressed", {46, 61, 69, 73}},
    {Sheet::ShufRep, "playlist off", main_window::kPlaylist.off},
    {Sheet::ShufRep, "playlist on", main_window::kPlaylist.on},
    {Sheet::ShufRep, "playlist pressed", {69, 73, 92, 85}},
    {Sheet::ShufRep, "shuffle off", main_window::kShuffle.off},
    {Sheet::ShufRep, "shuffle pressed", {28, 15, 75, 30}},
    {Sheet::ShufRep, "shuffle on", main_window::kShuffle.on},
    {Sheet::ShufRep, "repeat off", main_window::kRepeat.off},
    {Sheet::ShufRep, "repeat pressed", {0, 15, 28, 30}},
    {Sheet::ShufRep, "repeat on", main_window::kRepeat.on},
    // volume and balance: 28 background rows, then the thumbs
    {Sheet::Volume, "volume background", sliders::kVolumeBack, sliders::kRows, 0, sliders::kRowStep},
    {Sheet::Volume, "volume thumb", sliders::kThumb},
    {Sheet::Volume, "volume thumb held", sliders::kThumbHeld},
    {Sheet::Balance, "balance background", sliders::kBalanceBack, sliders::kRows, 0, sliders::kRowStep},
    {Sheet::Balance, "balance thumb", sliders::kThumb},
    {Sheet::Balance, "balance thumb held", sliders::kThumbHeld},
    // posbar: seek track and thumbs
    {Sheet::PosBar, "seek track", main_window::kSeekTrack},
    {Sheet::PosBar, "seek thumb", main_window::kSeekThumb},
    {Sheet::PosBar, "seek thumb held", main_window::kSeekThumbHeld},
    // monoster
    {Sheet::MonoSter, "stereo on", {0, 0, 29, 12}},
    {Sheet::MonoSter, "mono on", {29, 0, 58, 12}},
    {Sheet::MonoSter, "stereo off", {0, 12, 29, 24}},
    {Sheet::MonoSter, "mono off", {29, 12, 58, 24}},
    // playpaus: play-state indicator
    {Sheet::PlayPaus, "playing", indicators::kPlaying},
    {Sheet::PlayPaus, "paused", indicators::kPaused},
    {Sheet::PlayPaus, "stopped", indicators::kStopped},
    {Sheet::PlayPaus, "blank", indicators::kBlank},
    {Sheet::PlayPaus, "playing mark", indicators::kPlayingMark},
    {Sheet::PlayPaus, "waiting mark", indicators::kWaitingMark},
    // numbers: digits 0..9, the cell a tens-of-minutes value of 10 reaches, the minus bar
    {Sheet::Numbers, "digit", digits::kZero, 11, digits::kStep, 0},
    {Sheet::Numbers, "minus bar (middle of the 8)", indicators::kTimeMinus},
    // text: 5 x 6 font
    {Sheet::Text, "letter A..Z", text_font::kLetterA, 26, text_font::kStep, 0},
    {Sheet::Text, "double quote, at sign", {130, 0, 135, 6}, 2, 5, 0},
    {Sheet::Text, "digit 0..9", text_font::kDigitZero, 10, text_font::kStep, 0},
    {Sheet::Text, ": ( ) - ` ! _ + \\ / [ ] ^ & %", {60, 6, 65, 12}, 15, 5, 0},
    {Sheet::Text, "comma and full stop", {136, 6, 141, 12}},
    {Sheet::Text, "= $ #", {140, 6, 145, 12}, 3, 5, 0},
    {Sheet::Text, "narrow minus", text_font::kNarrowMinus},
    {Sheet::Text, "? * blank", text_font::kUnknown, 3, 5, 0},
    // pledit: playlist frame
    {Sheet::PlEdit, "title left corner active/inactive", {0, 0, 25, 20}, 2, 0, 21},
    {Sheet::PlEdit, "title piece active/inactive", {26, 0, 126, 20}, 2, 0, 21},
    {Sheet::PlEdit, "title filler active/inactive", {127, 0, 152, 20}, 2, 0, 21},
    {Sheet::PlEdit, "title right corner active/inactive", {153, 0, 178, 20}, 2, 0, 21},
    {Sheet::PlEdit, "left edge", playlist::kLeftEdge},
    {Sheet::PlEdit, "right edge with scroll track", playlist::kRightEdge},
    {Sheet::PlEdit, "bottom left", playlist::kBottomLeft},
    {Sheet::PlEdit, "bottom filler", playlist::kBottomFill},
    {Sheet::PlEdit, "bottom right", playlist::kBottomRight},
    {Sheet::PlEdit, "shade bar left end", playlist::kShadeLeft},
    {Sheet::PlEdit, "shade bar filler", playlist::kShadeFill},
    {Sheet::PlEdit, "shade bar right end active", playlist::kShadeRightActive},
    {Sheet::PlEdit, "shade bar right end inactive", playlist::kShadeRightInactive},
    {Sheet::PlEdit, "shade pressed", {62, 42, 71, 51}},
    {Sheet::PlEdit, "shade pressed, shaded", {150, 42, 159, 51}},
    {Sheet::PlEdit, "close pressed", {52, 42, 61, 51}},
    {Sheet::PlEdit, "scroll thumb", playlist::kScrollThumb},
    {Sheet::PlEdit, "scroll thumb held", {61, 53, 69, 71}},
    // pledit: button strips (cells 22 x 18 on a 19-row pitch, left bars 3 wide)
    {Sheet::PlEdit, "ADD cells", {0, 111, 22, 129}, 3, 0, 19},
    {Sheet::PlEdit, "ADD cells highlighted", {23, 111, 45, 129}, 3, 0, 19},
    {Sheet::PlEdit, "ADD bar", {48, 111, 51, 165}},
    {Sheet::PlEdit, "REM cell 0", {54, 168, 76, 186}},
    {Sheet::PlEdit, "REM cell 0 highlighted", {77, 168, 99, 186}},
    {Sheet::PlEdit, "REM cells 1..3", {54, 111, 76, 129}, 3, 0, 19},
    {Sheet::PlEdit, "REM cells 1..3 highlighted", {77, 111, 99, 129}, 3, 0, 19},
    {Sheet::PlEdit, "REM bar", {100, 111, 103, 183}},
    {Sheet::PlEdit, "SEL cells", {104, 111, 126, 129}, 3, 0, 19},
    {Sheet::PlEdit, "SEL cells highlighted", {127, 111, 149, 129}, 3, 0, 19},
    {Sheet::PlEdit, "SEL bar", {150, 111, 153, 165}},
    {Sheet::PlEdit, "MISC cells", {154, 111, 176, 129}, 3, 0, 19},
    {Sheet::PlEdit, "MISC cells highlighted", {177, 111, 199, 129}, 3, 0, 19},
    {Sheet::PlEdit, "MISC bar", {200, 111, 203, 165}},
    {Sheet::PlEdit, "LIST cells", {204, 111, 226, 129}, 3, 0, 19},
    {Sheet::PlEdit, "LIST cells highlighted", {227, 111, 249, 129}, 3, 0, 19},
    {Sheet::PlEdit, "LIST bar", {250, 111, 253, 165}},
    // eqmain: equaliser window
    {Sheet::EqMain, "background", equaliser::kBackground},
    {Sheet::EqMain, "title bar active", equaliser::kTitleActive},
    {Sheet::EqMain, "title bar inactive", equaliser::kTitleInactive},
    {Sheet::EqMain, "on button off, on", equaliser::kOn.off, 2, 59, 0},
    {Sheet::EqMain, "auto button off, on", equaliser::kAuto.off, 2, 59, 0},
    {Sheet::EqMain, "on button pressed", {128, 119, 153, 131}},
    {Sheet::EqMain, "auto button pressed", {153, 119, 186, 131}},
    {Sheet::EqMain, "presets button", equaliser::kPresets},
    {Sheet::EqMain, "presets button pressed", {224, 176, 268, 188}},
    {Sheet::EqMain, "response graph background", equaliser::kGraph},
    {Sheet::EqMain, "slider backgrounds, lower half", {13, 164, 27, 227}, 14, 15, 0},
    {Sheet::EqMain, "slider backgrounds, upper half", {13, 229, 27, 292}, 14, 15, 0},
    {Sheet::EqMain, "slider knob", {0, 164, 11, 175}},
    {Sheet::EqMain, "slider knob pressed", {0, 176, 11, 187}},
    // eq_ex: shaded equaliser
    {Sheet::EqEx, "shade bar", equaliser::kShadeBar},
    {Sheet::EqEx, "shade pressed", {1, 38, 10, 47}},
    {Sheet::EqEx, "shade pressed, shaded", {1, 47, 10, 56}},
    {Sheet::EqEx, "close pressed", {11, 47, 20, 56}},
    // avs: video window frame
    {Sheet::Avs, "top left", video::kTopLeft},
    {Sheet::Avs, "top middle (stretched)", video::kTopMiddle},
    {Sheet::Avs, "top right", video::kTopRight},
    {Sheet::Avs, "left side (stretched)", video::kLeft},
    {Sheet::Avs, "right side, odd width", video::kRightOdd},
    {Sheet::Avs, "right side, even width", video::kRightEven},
    {Sheet::Avs, "bottom left", video::kBottomLeft},
    {Sheet::Avs, "bottom middle (stretched)", video::kBottomMiddle},
    {Sheet::Avs, "bottom right", video::kBottomRight},
    // mb: station browser frame
    {Sheet::Mb, "title left corner active/inactive", {0, 0, 25, 20}, 2, 0, 21},
    {Sheet::Mb, "title piece active/inactive", {26, 0, 126, 20}, 2, 0, 21},
    {Sheet::Mb, "title filler active/inactive", {127, 0, 152, 20}, 2, 0, 21},
    {Sheet::Mb, "title right corner active/inactive", {153, 0, 178, 20}, 2, 0, 21},
    {Sheet::Mb, "left side (squeezed)", browser::kLeftSide},
    {Sheet::Mb, "right side, even width", browser::kRightSideEven},
    {Sheet::Mb, "right side, odd width", browser::kRightSideOdd},
    {Sheet::Mb, "bottom left with buttons", browser::kBottomLeft},
    {Sheet::Mb, "bottom filler", browser::kBottomFill},
    {Sheet::Mb, "bottom right with grip", browser::kBottomRight},
    {Sheet::Mb, "buttons pressed", {158, 42, 173, 59}, 5, 15, 0},
});
static_assert(kPieces.size() == 131);
static_assert(equaliser::kOn.on.left == equaliser::kOn.off.left + 59 && equaliser::kAuto.on.left == equaliser::kAuto.off.left + 59);
static_assert(text_font::kBlank.left == text_font::kUnknown.left + 10 && text_font::kBlank.top == text_font::kUnknown.top);

// A button's picture at rest and while held (or, for the strips, highlighted). The rest picture
// of a title-bar button is the part of its bar under the button's region.
struct PressedPair {
    const char* what;
    Sheet normalSheet;
    Rect normal;
    Sheet pressedSheet;
    Rect pressed;
};

inline constexpr auto kPressedPairs = std::to_array<PressedPair>({
    {"menu", Sheet::TitleBar, {0, 0, 9, 9}, Sheet::TitleBar, {0, 9, 9, 18}},
    {"menu in bar", Sheet::TitleBar, {33, 3, 42, 12}, Sheet::TitleBar, {0, 9, 9, 18}},
    {"minimise", Sheet::TitleBar, {271, 3, 280, 12}, Sheet::TitleBar, {9, 9, 18, 18}},
    {"shade", Sheet::TitleBar, {281, 3, 290, 12}, Sheet::TitleBar, {9, 18, 18, 27}},
    {"shade, shaded", Sheet::TitleBar, {281, 32, 290, 41}, Sheet::TitleBar, {9, 27, 18, 36}},
    {"close", Sheet::TitleBar, {291, 3, 300, 12}, Sheet::TitleBar, {18, 9, 27, 18}},
    {"previous", Sheet::CButtons, {0, 0, 22, 18}, Sheet::CButtons, {0, 18, 22, 36}},
    {"play", Sheet::CButtons, {23, 0, 45, 18}, Sheet::CButtons, {23, 18, 45, 36}},
    {"pause", Sheet::CButtons, {46, 0, 68, 18}, Sheet::CButtons, {46, 18, 68, 36}},
    {"stop", Sheet::CButtons, {69, 0, 91, 18}, Sheet::CButtons, {69, 18, 91, 36}},
    {"next", Sheet::CButtons, {92, 0, 114, 18}, Sheet::CButtons, {92, 18, 114, 36}},
    {"open", Sheet::CButtons, {114, 0, 136, 16}, Sheet::CButtons, {114, 16, 136, 32}},
    {"equaliser on", Sheet::ShufRep, {0, 73, 23, 85}, Sheet::ShufRep, {46, 61, 69, 73}},
    {"equaliser off", Sheet::ShufRep, {0, 61, 23, 73}, Sheet::ShufRep, {46, 61, 69, 73}},
    {"playlist on", Sheet::ShufRep, {23, 73, 46, 85}, Sheet::ShufRep, {69, 73, 92, 85}},
    {"playlist off", Sheet::ShufRep, {23, 61, 46, 73}, Sheet::ShufRep, {69, 73, 92, 85}},
    {"shuffle off", Sheet::ShufRep, {28, 0, 75, 15}, Sheet::ShufRep, {28, 15, 75, 30}},
    {"shuffle on", Sheet::ShufRep, {28, 30, 75, 45}, Sheet::ShufRep, {28, 15, 75, 30}},
    {"repeat off", Sheet::ShufRep, {0, 0, 28, 15}, Sheet::ShufRep, {0, 15, 28, 30}},
    {"repeat on", Sheet::ShufRep, {0, 30, 28, 45}, Sheet::ShufRep, {0, 15, 28, 30}},
    {"volume thumb", Sheet::Volume, {15, 422, 29, 433}, Sheet::Volume, {0, 422, 14, 433}},
    {"balance thumb", Sheet::Balance, {15, 422, 29, 433}, Sheet::Balance, {0, 422, 14, 433}},
    {"seek thumb", Sheet::PosBar, {248, 0, 277, 10}, Sheet::PosBar, {278, 0, 307, 10}},
    {"playlist shade", Sheet::PlEdit, {158, 3, 167, 12}, Sheet::PlEdit, {62, 42, 71, 51}},
    {"playlist close", Sheet::PlEdit, {167, 3, 176, 12}, Sheet::PlEdit, {52, 42, 61, 51}},
    {"playlist shade, shaded", Sheet::PlEdit, {129, 45, 138, 54}, Sheet::PlEdit, {150, 42, 159, 51}},
    {"scroll thumb", Sheet::PlEdit, {52, 53, 60, 71}, Sheet::PlEdit, {61, 53, 69, 71}},
    {"ADD cell", Sheet::PlEdit, {0, 111, 22, 129}, Sheet::PlEdit, {23, 111, 45, 129}},
    {"REM cell 0", Sheet::PlEdit, {54, 168, 76, 186}, Sheet::PlEdit, {77, 168, 99, 186}},
    {"REM cell 1", Sheet::PlEdit, {54, 111, 76, 129}, Sheet::PlEdit, {77, 111, 99, 129}},
    {"SEL cell", Sheet::PlEdit, {104, 111, 126, 129}, Sheet::PlEdit, {127, 111, 149, 129}},
    {"MISC cell", Sheet::PlEdit, {154, 111, 176, 129}, Sheet::PlEdit, {177, 111, 199, 129}},
    {"LIST cell", Sheet::PlEdit, {204, 111, 226, 129}, Sheet::PlEdit, {227, 111, 249, 129}},
    {"equaliser shade", Sheet::EqMain, {254, 137, 263, 146}, Sheet::EqEx, {1, 38, 10, 47}},
    {"equaliser close", Sheet::EqMain, {264, 137, 273, 146}, Sheet::EqEx, {11, 47, 20, 56}},
    {"equaliser shade, shaded", Sheet::EqEx, {254, 3, 263, 12}, Sheet::EqEx, {1, 47, 10, 56}},
    {"equaliser off", Sheet::EqMain, {10, 119, 35, 131}, Sheet::EqMain, {128, 119, 153, 131}},
    {"equaliser on", Sheet::EqMain, {69, 119, 94, 131}, Sheet::EqMain, {128, 119, 153, 131}},
    {"equaliser auto off", Sheet::EqMain, {35, 119, 68, 131}, Sheet::EqMain, {153, 119, 186, 131}},
    {"equaliser presets", Sheet::EqMain, {224, 164, 268, 176}, Sheet::EqMain, {224, 176, 268, 188}},
    {"equaliser knob", Sheet::EqMain, {0, 164, 11, 175}, Sheet::EqMain, {0, 176, 11, 187}},
    {"browser back", Sheet::Mb, {9, 51, 24, 68}, Sheet::Mb, {158, 42, 173, 59}},
    {"browser forward", Sheet::Mb, {24, 51, 39, 68}, Sheet::Mb, {173, 42, 188, 59}},
    {"browser up", Sheet::Mb, {39, 51, 54, 68}, Sheet::Mb, {188, 42, 203, 59}},
    {"browser refresh", Sheet::Mb, {54, 51, 69, 68}, Sheet::Mb, {203, 42, 218, 59}},
    {"browser menu", Sheet::Mb, {69, 51, 84, 68}, Sheet::Mb, {218, 42, 233, 59}},
});
static_assert(kPressedPairs.size() == 46);

// Built-in cursors, by resource name, with their hot spots in the 32 x 32 picture.
struct CursorInfo {
    const char* name;
    int hotX, hotY;
};
inline constexpr std::array<CursorInfo, 6> kCursors{{
    {"NORMAL", 1, 1},   {"VOLBAL", 16, 16},   {"TITLEBAR", 16, 16},
    {"PSIZE", 16, 16},  {"PVSCROLL", 16, 16}, {"WSCLOSE", 1, 1},
}};

}  // namespace skin_layout
