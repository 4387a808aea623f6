// The skin's own pixel fonts, defined as patterns: the 4 x 5 face of the 5 x 6 text cells,
// a 3 x 5 face for labels on buttons and panels, and the 9 x 13 time digits.
#pragma once

#include <QImage>

namespace fonts {

// Glyph rows for a character of the text face (4 wide, 5 high), or nullptr when it has none.
const char* const* textGlyph(char c);
// Glyph rows for a character of the label face (3 wide, 5 high), or nullptr.
const char* const* labelGlyph(char c);

void drawTextGlyph(QImage& img, int x, int y, char c, QRgb colour);
// Draws a string in the text face (5-pixel advance) or the label face (4-pixel advance);
// returns the x after the last character.
int drawText(QImage& img, int x, int y, const char* text, QRgb colour);
int drawLabel(QImage& img, int x, int y, const char* text, QRgb colour);
int textWidth(const char* text);   // in the text face, without the trailing gap
int labelWidth(const char* text);  // in the label face, without the trailing gap
// Centres a label in the span [left, right).
void drawLabelCentred(QImage& img, int left, int right, int y, const char* text, QRgb colour);
void drawTextCentred(QImage& img, int left, int right, int y, const char* text, QRgb colour);

// The seven segments of a time digit, bit 0 = top, then upper right, lower right, bottom,
// lower left, upper left, middle; 0x7F is the 8.
int digitSegments(int digit);
// A 9 x 13 time digit at (x, y): lit segments in the display colour, the others as faint ghosts.
void drawTimeDigit(QImage& img, int x, int y, int segments);

}  // namespace fonts
