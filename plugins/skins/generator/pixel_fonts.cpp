// Glyph patterns of the built-in skin's fonts.
#include "pixel_fonts.h"

#include "paint.h"

#include <cstring>

namespace fonts {
namespace {

struct Glyph {
    char c;
    const char* rows[5];
};

// Text face: what the player's scrolling title, bit rate and small clocks show.
constexpr Glyph kText[] = {
    {'A', {".##.", "#..#", "####", "#..#", "#..#"}}, {'B', {"###.", "#..#", "###.", "#..#", "###."}},
    {'C', {".###", "#...", "#...", "#...", ".###"}}, {'D', {"###.", "#..#", "#..#", "#..#", "###."}},
    {'E', {"####", "#...", "###.", "#...", "####"}}, {'F', {"####", "#...", "###.", "#...", "#..."}},
    {'G', {".###", "#...", "#.##", "#..#", ".###"}}, {'H', {"#..#", "#..#", "####", "#..#", "#..#"}},
    {'I', {"###.", ".#..", ".#..", ".#..", "###."}}, {'J', {"..##", "...#", "...#", "#..#", ".##."}},
    {'K', {"#..#", "#.#.", "##..", "#.#.", "#..#"}}, {'L', {"#...", "#...", "#...", "#...", "####"}},
    {'M', {"#..#", "####", "####", "#..#", "#..#"}}, {'N', {"#..#", "##.#", "#.##", "#..#", "#..#"}},
    {'O', {".##.", "#..#", "#..#", "#..#", ".##."}}, {'P', {"###.", "#..#", "###.", "#...", "#..."}},
    {'Q', {".##.", "#..#", "#..#", "#.#.", ".#.#"}}, {'R', {"###.", "#..#", "###.", "#.#.", "#..#"}},
    {'S', {".###", "#...", ".##.", "...#", "###."}}, {'T', {"###.", ".#..", ".#..", ".#..", ".#.."}},
    {'U', {"#..#", "#..#", "#..#", "#..#", ".##."}}, {'V', {"#..#", "#..#", "#..#", ".##.", ".##."}},
    {'W', {"#..#", "#..#", "####", "####", "#..#"}}, {'X', {"#..#", "#..#", ".##.", "#..#", "#..#"}},
    {'Y', {"#.#.", "#.#.", ".#..", ".#..", ".#.."}}, {'Z', {"####", "...#", ".##.", "#...", "####"}},
    {'0', {".##.", "#..#", "#.##", "##.#", ".##."}}, {'1', {".#..", "##..", ".#..", ".#..", "###."}},
    {'2', {"###.", "...#", ".##.", "#...", "####"}}, {'3', {"###.", "...#", ".##.", "...#", "###."}},
    {'4', {"#..#", "#..#", "####", "...#", "...#"}}, {'5', {"####", "#...", "###.", "...#", "###."}},
    {'6', {".##.", "#...", "###.", "#..#", ".##."}}, {'7', {"####", "...#", "..#.", ".#..", ".#.."}},
    {'8', {".##.", "#..#", ".##.", "#..#", ".##."}}, {'9', {".##.", "#..#", ".###", "...#", ".##."}},
    {'"', {"#.#.", "#.#.", "....", "....", "...."}}, {'@', {".##.", "#.##", "#.##", "#...", ".##."}},
    {':', {"....", ".#..", "....", ".#..", "...."}}, {'(', {"..#.", ".#..", ".#..", ".#..", "..#."}},
    {')', {".#..", "..#.", "..#.", "..#.", ".#.."}}, {'-', {"....", "....", ".##.", "....", "...."}},
    {'`', {"#...", ".#..", "....", "....", "...."}}, {'!', {".#..", ".#..", ".#..", "....", ".#.."}},
    {'_', {"....", "....", "....", "....", "####"}}, {'+', {"....", ".#..", "###.", ".#..", "...."}},
    {'\\', {"#...", "#...", ".#..", "..#.", "..#."}}, {'/', {"..#.", "..#.", ".#..", "#...", "#..."}},
    {'[', {"##..", "#...", "#...", "#...", "##.."}}, {']', {".##.", "..#.", "..#.", "..#.", ".##."}},
    {'^', {".#..", "#.#.", "....", "....", "...."}}, {'&', {".#..", "#.#.", ".#..", "#.#.", ".#.#"}},
    {'%', {"#..#", "..#.", ".#..", "#...", "#..#"}}, {'$', {".###", "##..", ".##.", "..##", "###."}},
    // The player reads "=" from one column further right than its cell, so its glyph leaves
    // the cell's first column free for the full stop beside it.
    {'=', {"....", ".###", "....", ".###", "...."}}, {'#', {".#.#", "####", ".#.#", "####", ".#.#"}},
    {'?', {"###.", "...#", ".##.", "....", ".#.."}}, {'*', {"....", "#.#.", ".#..", "#.#.", "...."}},
    {'.', {"....", "....", "....", "....", ".#.."}},
};

// Label face: captions printed on buttons and panels.
constexpr Glyph kLabel[] = {
    {'A', {".#.", "#.#", "###", "#.#", "#.#"}}, {'B', {"##.", "#.#", "##.", "#.#", "##."}},
    {'C', {".##", "#..", "#..", "#..", ".##"}}, {'D', {"##.", "#.#", "#.#", "#.#", "##."}},
    {'E', {"###", "#..", "##.", "#..", "###"}}, {'F', {"###", "#..", "##.", "#..", "#.."}},
    {'G', {".##", "#..", "#.#", "#.#", ".##"}}, {'H', {"#.#", "#.#", "###", "#.#", "#.#"}},
    {'I', {"###", ".#.", ".#.", ".#.", "###"}}, {'J', {"..#", "..#", "..#", "#.#", ".#."}},
    {'K', {"#.#", "#.#", "##.", "#.#", "#.#"}}, {'L', {"#..", "#..", "#..", "#..", "###"}},
    {'M', {"#.#", "###", "###", "#.#", "#.#"}}, {'N', {"##.", "#.#", "#.#", "#.#", "#.#"}},
    {'O', {".#.", "#.#", "#.#", "#.#", ".#."}}, {'P', {"##.", "#.#", "##.", "#..", "#.."}},
    {'Q', {".#.", "#.#", "#.#", "##.", ".##"}}, {'R', {"##.", "#.#", "##.", "#.#", "#.#"}},
    {'S', {".##", "#..", ".#.", "..#", "##."}}, {'T', {"###", ".#.", ".#.", ".#.", ".#."}},
    {'U', {"#.#", "#.#", "#.#", "#.#", "###"}}, {'V', {"#.#", "#.#", "#.#", "#.#", ".#."}},
    {'W', {"#.#", "#.#", "###", "###", "#.#"}}, {'X', {"#.#", "#.#", ".#.", "#.#", "#.#"}},
    {'Y', {"#.#", "#.#", ".#.", ".#.", ".#."}}, {'Z', {"###", "..#", ".#.", "#..", "###"}},
    {'0', {"###", "#.#", "#.#", "#.#", "###"}}, {'1', {".#.", "##.", ".#.", ".#.", "###"}},
    {'2', {"##.", "..#", ".#.", "#..", "###"}}, {'3', {"##.", "..#", ".#.", "..#", "##."}},
    {'4', {"#.#", "#.#", "###", "..#", "..#"}}, {'5', {"###", "#..", "##.", "..#", "##."}},
    {'6', {".##", "#..", "###", "#.#", "###"}}, {'7', {"###", "..#", ".#.", ".#.", ".#."}},
    {'8', {"###", "#.#", "###", "#.#", "###"}}, {'9', {"###", "#.#", "###", "..#", "##."}},
    {'+', {"...", ".#.", "###", ".#.", "..."}}, {'-', {"...", "...", "###", "...", "..."}},
    {'.', {"...", "...", "...", "...", ".#."}}, {'/', {"..#", "..#", ".#.", "#..", "#.."}},
    {':', {"...", ".#.", "...", ".#.", "..."}},
};

template <std::size_t N>
const char* const* find(const Glyph (&table)[N], char c) {
    for (const Glyph& g : table)
        if (g.c == c) return g.rows;
    return nullptr;
}

void drawRows(QImage& img, int x, int y, const char* const* rows, QRgb colour) {
    if (rows == nullptr) return;
    for (int r = 0; r < 5; ++r)
        for (int col = 0; rows[r][col] != '\0'; ++col)
            if (rows[r][col] == '#') paint::set(img, x + col, y + r, colour);
}

}  // namespace

const char* const* textGlyph(char c) { return find(kText, c); }
const char* const* labelGlyph(char c) { return find(kLabel, c); }

void drawTextGlyph(QImage& img, int x, int y, char c, QRgb colour) { drawRows(img, x, y, textGlyph(c), colour); }

int drawText(QImage& img, int x, int y, const char* text, QRgb colour) {
    for (; *text != '\0'; ++text, x += 5) drawRows(img, x, y, textGlyph(*text), colour);
    return x;
}

int drawLabel(QImage& img, int x, int y, const char* text, QRgb colour) {
    for (; *text != '\0'; ++text, x += 4) drawRows(img, x, y, labelGlyph(*text), colour);
    return x;
}

int textWidth(const char* text) { return static_cast<int>(std::strlen(text)) * 5 - 1; }
int labelWidth(const char* text) { return static_cast<int>(std::strlen(text)) * 4 - 1; }

void drawLabelCentred(QImage& img, int left, int right, int y, const char* text, QRgb colour) {
    drawLabel(img, left + (right - left - labelWidth(text)) / 2, y, text, colour);
}

void drawTextCentred(QImage& img, int left, int right, int y, const char* text, QRgb colour) {
    drawText(img, left + (right - left - textWidth(text)) / 2, y, text, colour);
}

int digitSegments(int digit) {
    constexpr int kSegments[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};
    return digit >= 0 && digit <= 9 ? kSegments[digit] : 0;
}

void drawTimeDigit(QImage& img, int x, int y, int segments) {
    // Bevelled segments in columns 1..7 of the 9 x 13 cell, with gaps where they meet. The
    // middle bar covers row 6, columns 2..6, where the player takes its minus sign from the 8.
    struct Run { int row, from, to; };  // a horizontal run of pixels, `to` inclusive
    struct Column { int col, from, to; };  // a vertical run, `to` inclusive
    const auto lit = [segments](int s) { return ((segments >> s) & 1) != 0; };
    const auto colour = [](bool on, int row) {
        return on ? paint::mix(paint::pal::kTealBright, paint::pal::kTeal, row / 12.0) : paint::pal::kLcdGhost;
    };
    constexpr Run kBars[3][3] = {
        {{0, 2, 6}, {1, 3, 5}, {1, 3, 5}},   // top
        {{12, 2, 6}, {11, 3, 5}, {11, 3, 5}},  // bottom
        {{6, 2, 6}, {5, 3, 5}, {7, 3, 5}},   // middle
    };
    constexpr int kBarSegment[3] = {0, 3, 6};
    for (int b = 0; b < 3; ++b)
        for (const Run& run : kBars[b])
            for (int c = run.from; c <= run.to; ++c) paint::set(img, x + c, y + run.row, colour(lit(kBarSegment[b]), run.row));
    constexpr Column kUprights[4][2] = {
        {{7, 1, 5}, {6, 2, 4}},   // upper right
        {{7, 7, 11}, {6, 8, 10}},  // lower right
        {{1, 7, 11}, {2, 8, 10}},  // lower left
        {{1, 1, 5}, {2, 2, 4}},   // upper left
    };
    constexpr int kUprightSegment[4] = {1, 2, 4, 5};
    for (int u = 0; u < 4; ++u)
        for (const Column& column : kUprights[u])
            for (int r = column.from; r <= column.to; ++r)
                paint::set(img, x + column.col, y + r, colour(lit(kUprightSegment[u]), r));
}

}  // namespace fonts
