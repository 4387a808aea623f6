// The equaliser's response graph: the ten band values as a curve over the graph panel.
#pragma once

#include <array>

#include <QImage>

// The panel's row for each band (0 at the top): 63 at row 1, the middle on the panel's flat line
// (row 9), 0 at row 17. A value outside 0..63 counts as the middle, as it does for the sound.
std::array<int, 10> EqGraphRows(const std::array<int, 10>& bands);

// The panel (113 x 19) with the curve drawn over `background`, a copy of the skin's empty panel.
QImage EqGraphImage(const QImage& background, const std::array<int, 10>& bands);
