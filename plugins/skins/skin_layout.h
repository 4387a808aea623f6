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

// Pieces the generator also places by name.
namespace titlebar {
inline constexpr Rect kActive{27, 0, 329, 14};
inline constexpr Rect kInactive{27, 15, 329, 29};
inline constexpr Rect kShadeActive{27, 29, 329, 43};    // shares its last row with the next
inline constexpr Rect kShadeInactive{27, 42, 329, 56};
inline constexpr Rect kOptionStrip{304, 0, 312, 43};    // lies in the bars' columns past 302,
                                                        // which no window ever shows
}

inline constexpr auto kPieces = std::to_array<Piece>({
    // main window background
    {Sheet::Main, "background", {0, 0, 275, 116}},
    // titlebar: window bars and their buttons
    {Sheet::TitleBar, "title bar active", titlebar::kActive},
    {Sheet::TitleBar, "title bar inactive", titlebar::kInactive},
    {Sheet::TitleBar, "shade bar active", titlebar::kShadeActive},
    {Sheet::TitleBar, "shade bar active, built", {27, 29, 302, 43}},
    {Sheet::TitleBar, "shade bar inactive", titlebar::kShadeInactive},
    {Sheet::TitleBar, "option strip", titlebar::kOptionStrip},
    {Sheet::TitleBar, "menu button", {0, 0, 9, 9}},
    {Sheet::TitleBar, "menu button pressed", {0, 9, 9, 18}},
    {Sheet::TitleBar, "minimise pressed", {9, 9, 18, 18}},
    {Sheet::TitleBar, "shade pressed", {9, 18, 18, 27}},
    {Sheet::TitleBar, "shade pressed, shaded", {9, 27, 18, 36}},
    {Sheet::TitleBar, "close pressed", {18, 9, 27, 18}},
    // cbuttons: transport buttons
    {Sheet::CButtons, "five transport buttons", {0, 0, 114, 18}},
    {Sheet::CButtons, "transport button pressed", {0, 18, 22, 36}, 5, 23, 0},
    {Sheet::CButtons, "open button", {114, 0, 136, 16}},
    {Sheet::CButtons, "open button pressed", {114, 16, 136, 32}},
    // shufrep: toggles
    {Sheet::ShufRep, "equaliser off", {0, 61, 23, 73}},
    {Sheet::ShufRep, "equaliser on", {0, 73, 23, 85}},
    {Sheet::ShufRep, "equaliser pressed", {46, 61, 69, 73}},
    {Sheet::ShufRep, "playlist off", {23, 61, 46, 73}},
    {Sheet::ShufRep, "playlist on", {23, 73, 46, 85}},
    {Sheet::ShufRep, "playlist pressed", {69, 73, 92, 85}},
    {Sheet::ShufRep, "shuffle off", {28, 0, 75, 15}},
    {Sheet::ShufRep, "shuffle pressed", {28, 15, 75, 30}},
    {Sheet::ShufRep, "shuffle on", {28, 30, 75, 45}},
    {Sheet::ShufRep, "repeat off", {0, 0, 28, 15}},
    {Sheet::ShufRep, "repeat pressed", {0, 15, 28, 30}},
    {Sheet::ShufRep, "repeat on", {0, 30, 28, 45}},
    // volume and balance: 28 background rows, then the thumbs
    {Sheet::Volume, "volume background", {0, 1, 67, 13}, 28, 0, 15},
    {Sheet::Volume, "volume thumb", {15, 422, 29, 433}},
    {Sheet::Volume, "volume thumb held", {0, 422, 14, 433}},
    {Sheet::Balance, "balance background", {9, 1, 47, 13}, 28, 0, 15},
    {Sheet::Balance, "balance thumb", {15, 422, 29, 433}},
    {Sheet::Balance, "balance thumb held", {0, 422, 14, 433}},
    // posbar: seek track and thumbs
    {Sheet::PosBar, "seek track", {0, 0, 248, 10}},
    {Sheet::PosBar, "seek thumb", {248, 0, 277, 10}},
    {Sheet::PosBar, "seek thumb held", {278, 0, 307, 10}},
    // monoster
    {Sheet::MonoSter, "stereo on", {0, 0, 29, 12}},
    {Sheet::MonoSter, "mono on", {29, 0, 58, 12}},
    {Sheet::MonoSter, "stereo off", {0, 12, 29, 24}},
    {Sheet::MonoSter, "mono off", {29, 12, 58, 24}},
    // playpaus: play-state indicator
    {Sheet::PlayPaus, "playing", {0, 0, 9, 9}},
    {Sheet::PlayPaus, "paused", {9, 0, 18, 9}},
    {Sheet::PlayPaus, "stopped", {18, 0, 27, 9}},
    {Sheet::PlayPaus, "blank", {27, 0, 36, 9}},
    {Sheet::PlayPaus, "playing mark", {36, 0, 39, 9}},
    {Sheet::PlayPaus, "waiting mark", {39, 0, 42, 9}},
    // numbers: digits 0..9, the cell a tens-of-minutes value of 10 reaches, the minus bar
    {Sheet::Numbers, "digit", {0, 0, 9, 13}, 11, 9, 0},
    {Sheet::Numbers, "minus bar (middle of the 8)", {74, 6, 79, 7}},
    // text: 5 x 6 font
    {Sheet::Text, "letter A..Z", {0, 0, 5, 6}, 26, 5, 0},
    {Sheet::Text, "double quote, at sign", {130, 0, 135, 6}, 2, 5, 0},
    {Sheet::Text, "digit 0..9", {0, 6, 5, 12}, 10, 5, 0},
    {Sheet::Text, ": ( ) - ` ! _ + \\ / [ ] ^ & %", {60, 6, 65, 12}, 15, 5, 0},
    {Sheet::Text, "comma and full stop", {136, 6, 141, 12}},
    {Sheet::Text, "= $ #", {140, 6, 145, 12}, 3, 5, 0},
    {Sheet::Text, "narrow minus", {76, 6, 79, 12}},
    {Sheet::Text, "? * blank", {15, 12, 20, 18}, 3, 5, 0},
    // pledit: playlist frame
    {Sheet::PlEdit, "title left corner active/inactive", {0, 0, 25, 20}, 2, 0, 21},
    {Sheet::PlEdit, "title piece active/inactive", {26, 0, 126, 20}, 2, 0, 21},
    {Sheet::PlEdit, "title filler active/inactive", {127, 0, 152, 20}, 2, 0, 21},
    {Sheet::PlEdit, "title right corner active/inactive", {153, 0, 178, 20}, 2, 0, 21},
    {Sheet::PlEdit, "left edge", {0, 42, 12, 70}},
    {Sheet::PlEdit, "right edge with scroll track", {26, 42, 51, 70}},
    {Sheet::PlEdit, "bottom left", {0, 72, 125, 110}},
    {Sheet::PlEdit, "bottom filler", {179, 0, 203, 38}},
    {Sheet::PlEdit, "bottom right", {126, 72, 276, 110}},
    {Sheet::PlEdit, "shade bar left end", {72, 42, 97, 56}},
    {Sheet::PlEdit, "shade bar filler", {72, 57, 97, 71}},
    {Sheet::PlEdit, "shade bar right end active", {99, 42, 149, 56}},
    {Sheet::PlEdit, "shade bar right end inactive", {99, 57, 149, 71}},
    {Sheet::PlEdit, "shade pressed", {62, 42, 71, 51}},
    {Sheet::PlEdit, "shade pressed, shaded", {150, 42, 159, 51}},
    {Sheet::PlEdit, "close pressed", {52, 42, 61, 51}},
    {Sheet::PlEdit, "scroll thumb", {52, 53, 60, 71}},
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
    {Sheet::EqMain, "background", {0, 0, 275, 116}},
    {Sheet::EqMain, "title bar active", {0, 134, 275, 147}},
    {Sheet::EqMain, "title bar inactive", {0, 149, 275, 162}},
    {Sheet::EqMain, "on button off, on", {10, 119, 35, 131}, 2, 59, 0},
    {Sheet::EqMain, "auto button off, on", {35, 119, 68, 131}, 2, 59, 0},
    {Sheet::EqMain, "on button pressed", {128, 119, 153, 131}},
    {Sheet::EqMain, "auto button pressed", {153, 119, 186, 131}},
    {Sheet::EqMain, "presets button", {224, 164, 268, 176}},
    {Sheet::EqMain, "presets button pressed", {224, 176, 268, 188}},
    {Sheet::EqMain, "response graph background", {0, 294, 113, 313}},
    {Sheet::EqMain, "slider backgrounds, lower half", {13, 164, 27, 227}, 14, 15, 0},
    {Sheet::EqMain, "slider backgrounds, upper half", {13, 229, 27, 292}, 14, 15, 0},
    {Sheet::EqMain, "slider knob", {0, 164, 11, 175}},
    {Sheet::EqMain, "slider knob pressed", {0, 176, 11, 187}},
    // eq_ex: shaded equaliser
    {Sheet::EqEx, "shade bar", {0, 0, 275, 14}},
    {Sheet::EqEx, "shade pressed", {1, 38, 10, 47}},
    {Sheet::EqEx, "shade pressed, shaded", {1, 47, 10, 56}},
    {Sheet::EqEx, "close pressed", {11, 47, 20, 56}},
    // avs: video window frame
    {Sheet::Avs, "top left", {15, 0, 65, 15}},
    {Sheet::Avs, "top middle (stretched)", {66, 0, 80, 15}},
    {Sheet::Avs, "top right", {81, 0, 97, 15}},
    {Sheet::Avs, "left side (stretched)", {0, 16, 7, 188}},
    {Sheet::Avs, "right side, odd width", {9, 17, 14, 188}},
    {Sheet::Avs, "right side, even width", {8, 17, 14, 188}},
    {Sheet::Avs, "bottom left", {15, 16, 65, 21}},
    {Sheet::Avs, "bottom middle (stretched)", {66, 16, 80, 21}},
    {Sheet::Avs, "bottom right", {81, 16, 97, 21}},
    // mb: station browser frame
    {Sheet::Mb, "title left corner active/inactive", {0, 0, 25, 20}, 2, 0, 21},
    {Sheet::Mb, "title piece active/inactive", {26, 0, 126, 20}, 2, 0, 21},
    {Sheet::Mb, "title filler active/inactive", {127, 0, 152, 20}, 2, 0, 21},
    {Sheet::Mb, "title right corner active/inactive", {153, 0, 178, 20}, 2, 0, 21},
    {Sheet::Mb, "left side (squeezed)", {127, 42, 138, 71}},
    {Sheet::Mb, "right side, even width", {139, 42, 147, 71}},
    {Sheet::Mb, "right side, odd width", {138, 42, 147, 71}},
    {Sheet::Mb, "bottom left with buttons", {0, 42, 125, 80}},
    {Sheet::Mb, "bottom filler", {127, 81, 152, 119}},
    {Sheet::Mb, "bottom right with grip", {0, 81, 125, 119}},
    {Sheet::Mb, "buttons pressed", {158, 42, 173, 59}, 5, 15, 0},
});
static_assert(kPieces.size() == 131);

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
