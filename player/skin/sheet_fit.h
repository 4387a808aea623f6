// A skin sheet measured against the rectangles the player reads from it. Skins in the wild carry
// sheets cut too small (down to 1 x 1); copies from beyond their edge would draw nothing and
// leave the windows blank, so those rectangles come from the built-in sheet instead.
#pragma once

#include <QImage>
#include <QString>
#include <vector>

#include "plugins/skins/skin_layout.h"

// The layout sheet a skin file name stands for ("nums_ex" shares the digits' layout); false for
// a name the player never reads.
bool SheetForName(const QString& name, skin_layout::Sheet* sheet);
// Every rectangle the player reads from `sheet`.
std::vector<skin_layout::Rect> RectanglesOf(skin_layout::Sheet sheet);
// True when `image` wholly holds every rectangle read from `sheet`.
bool CoversLayout(const QImage& image, skin_layout::Sheet sheet);
// `image` with every rectangle it does not wholly hold taken from `builtIn`, so each rectangle
// comes whole from one picture; `image` itself when there is no built-in picture.
QImage FillFromBuiltIn(const QImage& image, skin_layout::Sheet sheet, const QImage& builtIn);
// `image` kept as indices into a table of its colours when it has no more than 256 (every 8-bit
// skin, and 24-bit ones drawn with few colours): a quarter of the memory, and copies from it draw
// the very same pixels. Any other picture comes back as it is.
QImage CompactSheet(QImage image);
