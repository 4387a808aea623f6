#include "player/display/equaliser_graph.h"

#include <algorithm>
#include <cmath>

#include "player/display/display.h"
#include "player/skin/canvas.h"
#include "player/skin/skin_window.h"

namespace {

constexpr int kWidth = 113, kHeight = 19;
constexpr int kFlatRow = 9, kFirstX = 12, kStep = 11;
// No skin sheet holds a colour for the curve, so one that reads on any dark panel.
constexpr QRgb kCurve = 0xffe8c040;
constexpr QRect kPanel = Rect(0, 294, 113, 313), kPanelDest = Rect(86, 17, 199, 36);

}  // namespace

std::array<int, 10> EqGraphRows(const std::array<int, 10>& bands) {
    std::array<int, 10> rows{};
    for (std::size_t k = 0; k < bands.size(); ++k) {
        const int value = bands[k] < 0 || bands[k] > 63 ? 31 : bands[k];
        rows[k] = std::clamp(kFlatRow - int(std::nearbyint((value - 31) * 8.0 / 32.0)), 1, kHeight - 2);
    }
    return rows;
}

QImage EqGraphImage(const QImage& background, const std::array<int, 10>& bands) {
    QImage image = background.convertToFormat(QImage::Format_ARGB32).copy(0, 0, kWidth, kHeight);
    const std::array<int, 10> rows = EqGraphRows(bands);
    // Straight segments between the bands' points, each column joined to the last so the curve
    // has no gaps where it climbs steeply.
    int previous = rows[0];
    for (int x = kFirstX; x <= kFirstX + kStep * 9 && x < kWidth; ++x) {
        const int k = std::min((x - kFirstX) / kStep, 8);
        const int t = x - kFirstX - k * kStep;
        const int y = rows[std::size_t(k)] + int(std::nearbyint(double(rows[std::size_t(k) + 1] - rows[std::size_t(k)]) * t / kStep));
        for (int row = std::min(previous, y); row <= std::max(previous, y); ++row) image.setPixel(x, row, kCurve);
        previous = y;
    }
    return image;
}

void TDisplay::DrawEqGraph(const std::array<int, 10>& bands) {
    QImage panel(kWidth, kHeight, QImage::Format_ARGB32);
    panel.fill(Qt::black);
    CopyRect(panel, Rect(0, 0, kWidth, kHeight), EqmainBmp, kPanel);
    const QImage graph = EqGraphImage(panel, bands);
    const QRect all = Rect(0, 0, kWidth, kHeight);
    CopyRect(EqualizerBuffer, kPanelDest, graph, all);
    if (auto* window = dynamic_cast<TSkinWindow*>(EqualizerWindow.data())) window->DrawOnWindow(kPanelDest, graph, all);
}
