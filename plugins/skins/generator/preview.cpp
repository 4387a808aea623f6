// Review pictures. The window mock-ups repeat the player's copies for a few sample states, so
// the art can be judged in place (tiling, stretching, pressed pictures) without the player.
#include "preview.h"

#include "paint.h"
#include "pixel_fonts.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace preview {

using skin_layout::Rect;
using skin_layout::Sheet;

namespace {

constexpr QRgb kNormalBg = 0xffa1b3e3;  // the player's default playlist colours
constexpr QRgb kNormal = 0xff2f2b66;
constexpr QRgb kSelectedBg = 0xff627eb5;

const QImage& of(const Sheets& s, Sheet sheet) { return s[static_cast<std::size_t>(sheet)]; }

// The player's rectangle copy: nearest-neighbour stretch, clipped.
void blit(QImage& dst, Rect d, const QImage& src, Rect s) {
    if (d.width() <= 0 || d.height() <= 0 || s.width() <= 0 || s.height() <= 0) return;
    for (int y = 0; y < d.height(); ++y)
        for (int x = 0; x < d.width(); ++x) {
            const int sx = s.left + x * s.width() / d.width(), sy = s.top + y * s.height() / d.height();
            if (sx < src.width() && sy < src.height()) paint::set(dst, d.left + x, d.top + y, src.pixel(sx, sy));
        }
}

QImage scaled(const QImage& img, int factor) {
    return img.scaled(img.width() * factor, img.height() * factor, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

Rect textCell(char c) {
    if (c >= 'A' && c <= 'Z') return {5 * (c - 'A'), 0, 5 * (c - 'A') + 5, 6};
    if (c >= '0' && c <= '9') return {5 * (c - '0'), 6, 5 * (c - '0') + 5, 12};
    const char* punct = ":()-`!_+\\/[]^&%";
    if (const char* p = std::strchr(punct, c); p != nullptr && c != '\0') {
        const int x = 60 + 5 * static_cast<int>(p - punct);
        return {x, 6, x + 5, 12};
    }
    switch (c) {
    case ' ': return {25, 12, 30, 18};
    case '.': case ',': return {136, 6, 141, 12};
    case '*': return {20, 12, 25, 18};
    default: return {15, 12, 20, 18};
    }
}

void text(QImage& dst, const Sheets& s, int x, int y, const char* str, int maxWidth = 1 << 20) {
    for (int i = 0; str[i] != '\0' && 5 * i + 5 <= maxWidth; ++i)
        blit(dst, {x + 5 * i, y, x + 5 * i + 5, y + 6}, of(s, Sheet::Text), textCell(str[i]));
}

QImage mainWindow(const Sheets& s, bool pressed) {
    QImage w(275, 116, QImage::Format_RGB32);
    blit(w, {0, 0, 275, 116}, of(s, Sheet::Main), {0, 0, 275, 116});
    blit(w, {0, 0, 302, 14}, of(s, Sheet::TitleBar), {27, 0, 329, 14});
    blit(w, {10, 22, 18, 65}, of(s, Sheet::TitleBar), {304, 0, 312, 43});
    blit(w, {16, 88, 130, 106}, of(s, Sheet::CButtons), {0, 0, 114, 18});
    blit(w, {136, 89, 158, 105}, of(s, Sheet::CButtons), {114, 0, 136, 16});
    blit(w, {219, 58, 242, 70}, of(s, Sheet::ShufRep), {0, 73, 23, 85});
    blit(w, {243, 58, 266, 70}, of(s, Sheet::ShufRep), {23, 61, 46, 73});
    blit(w, {164, 89, 211, 104}, of(s, Sheet::ShufRep), {28, 0, 75, 15});
    blit(w, {210, 89, 238, 104}, of(s, Sheet::ShufRep), {0, 30, 28, 45});
    const int v = 70, k = static_cast<int>((v - 1) * 0.28), t = static_cast<int>((v - 1) * 0.51);
    blit(w, {107, 58, 174, 70}, of(s, Sheet::Volume), {0, 15 * k + 1, 67, 15 * k + 13});
    blit(w, {108 + t, 58, 122 + t, 69}, of(s, Sheet::Volume), pressed ? Rect{0, 422, 14, 433} : Rect{15, 422, 29, 433});
    const int bk = 9, r = 14;
    blit(w, {177, 58, 214, 70}, of(s, Sheet::Balance), {9, 15 * bk + 1, 47, 15 * bk + 13});
    blit(w, {177 + r, 58, 191 + r, 69}, of(s, Sheet::Balance), {15, 422, 29, 433});
    blit(w, {24, 28, 35, 37}, of(s, Sheet::PlayPaus), {27, 0, 36, 9});
    blit(w, {26, 28, 35, 37}, of(s, Sheet::PlayPaus), {0, 0, 9, 9});
    blit(w, {24, 28, 27, 37}, of(s, Sheet::PlayPaus), {36, 0, 39, 9});
    blit(w, {39, 32, 44, 33}, of(s, Sheet::Numbers), {74, 6, 79, 7});
    const int digits[4] = {0, 3, 4, 7};
    const int xs[4] = {48, 59, 78, 89};
    for (int i = 0; i < 4; ++i) blit(w, {xs[i], 26, xs[i] + 9, 39}, of(s, Sheet::Numbers), {9 * digits[i], 0, 9 * digits[i] + 9, 13});
    text(w, s, 111, 43, "128");
    text(w, s, 156, 43, "44");
    text(w, s, 112, 27, "3.NIGHT TRAIN - SLOW RIVER (04:12) ***", 152);
    blit(w, {239, 41, 268, 53}, of(s, Sheet::MonoSter), {0, 0, 29, 12});
    blit(w, {212, 41, 241, 53}, of(s, Sheet::MonoSter), {29, 12, 58, 24});
    blit(w, {16, 72, 264, 82}, of(s, Sheet::PosBar), {0, 0, 248, 10});
    blit(w, {16 + 80, 72, 45 + 80, 82}, of(s, Sheet::PosBar), pressed ? Rect{278, 0, 307, 10} : Rect{248, 0, 277, 10});
    if (pressed) {
        blit(w, {39, 88, 61, 106}, of(s, Sheet::CButtons), {23, 18, 45, 36});
        blit(w, {136, 89, 158, 105}, of(s, Sheet::CButtons), {114, 16, 136, 32});
        blit(w, {164, 89, 211, 104}, of(s, Sheet::ShufRep), {28, 15, 75, 30});
        blit(w, {243, 58, 266, 70}, of(s, Sheet::ShufRep), {69, 73, 92, 85});
        blit(w, {264, 3, 273, 12}, of(s, Sheet::TitleBar), {18, 9, 27, 18});
        blit(w, {6, 3, 15, 12}, of(s, Sheet::TitleBar), {0, 9, 9, 18});
    }
    return w;
}

QImage shadedMain(const Sheets& s, bool active) {
    QImage w(275, 14, QImage::Format_RGB32);
    blit(w, {0, 0, 302, 14}, of(s, Sheet::TitleBar), active ? Rect{27, 29, 329, 43} : Rect{27, 42, 329, 56});
    blit(w, {129, 4, 132, 10}, of(s, Sheet::Text), {76, 6, 79, 12});
    const int digits[4] = {0, 3, 4, 7};
    const int xs[4] = {133, 138, 148, 153};
    for (int i = 0; i < 4; ++i) blit(w, {xs[i], 4, xs[i] + 5, 10}, of(s, Sheet::Text), {5 * digits[i], 6, 5 * digits[i] + 5, 12});
    return w;
}

QImage playlistWindow(const Sheets& s, int W, int H, bool active) {
    QImage w(W, H, QImage::Format_RGB32);
    w.fill(kNormalBg);
    const QImage& p = of(s, Sheet::PlEdit);
    const int d = W / 2, ty = active ? 0 : 21;
    blit(w, {0, 0, 25, 20}, p, {0, ty, 25, ty + 20});
    for (int i = 0; i < (d - 50) / 25; ++i) {
        blit(w, {25 + 25 * i, 0, 50 + 25 * i, 20}, p, {127, ty, 152, ty + 20});
        blit(w, {d + 50 + 25 * i, 0, d + 75 + 25 * i, 20}, p, {127, ty, 152, ty + 20});
    }
    blit(w, {d - 50, 0, d + 50, 20}, p, {26, ty, 126, ty + 20});
    blit(w, {W - 25, 0, W, 20}, p, {153, ty, 178, ty + 20});
    for (int i = 0; i <= (H - 38) / 28; ++i) {
        blit(w, {0, 28 * i + 20, 12, 28 * i + 48}, p, {0, 42, 12, 70});
        blit(w, {W - 25, 28 * i + 20, W, 28 * i + 48}, p, {26, 42, 51, 70});
    }
    blit(w, {0, H - 38, 125, H}, p, {0, 72, 125, 110});
    for (int i = 5; W > 275 && i <= (W - 150) / 24; ++i) blit(w, {24 * i + 5, H - 38, 24 * i + 29, H}, p, {179, 0, 203, 38});
    blit(w, {W - 150, H - 38, W, H}, p, {126, 72, 276, 110});
    paint::fill(w, {12, 20, W - 20, H - 38}, kNormalBg);
    const char* rows[6] = {"1. NIGHT TRAIN - SLOW RIVER", "2. AMBER HOURS - PAPER BOATS", "3. QUIET HARBOUR",
                           "4. LOW TIDE - NORTHERN LIGHTS", "5. GLASS GARDEN", "6. STATIC - LATE DRIVE"};
    for (int i = 0; i < 6 && 36 + 14 * i <= H - 38; ++i) {
        if (i == 2) paint::fill(w, {12, 22 + 14 * i, W - 20, 36 + 14 * i}, kSelectedBg);
        fonts::drawLabel(w, 15, 26 + 14 * i, rows[i], i == 1 ? 0xff003500 : kNormal);
    }
    for (int i = 0; i <= (H - 38) / 28; ++i) {
        const int c = std::min(48 + 28 * i, H - 38);
        blit(w, {W - 25, c - 28, W, c}, p, {26, 42, 51, 70});
    }
    blit(w, {W - 15, 29 - 9, W - 7, 29 + 9}, p, {52, 53, 60, 71});
    blit(w, {W - 144, H - 28, W - 53, H - 22}, of(s, Sheet::Text), {25, 12, 30, 18});
    text(w, s, W - 138, H - 28, "4:12/24:05");
    text(w, s, W - 78, H - 15, "03:47");
    return w;
}

QImage shadedPlaylist(const Sheets& s, int W, bool active) {
    QImage w(W, 14, QImage::Format_RGB32);
    const QImage& p = of(s, Sheet::PlEdit);
    blit(w, {0, 0, 25, 14}, p, {72, 42, 97, 56});
    for (int i = 0; i < (W - 50) / 25; ++i) blit(w, {25 + 25 * i, 0, 50 + 25 * i, 14}, p, {72, 57, 97, 71});
    blit(w, {W - 50, 0, W, 14}, p, active ? Rect{99, 42, 149, 56} : Rect{99, 57, 149, 71});
    return w;
}

QImage strip(const Sheets& s, int cellLit) {
    QImage w(25, 72, QImage::Format_RGB32);
    const QImage& p = of(s, Sheet::PlEdit);
    blit(w, {0, 0, 3, 72}, p, {100, 111, 103, 183});
    for (int k = 0; k < 4; ++k) {
        const int x = k == cellLit ? 77 : 54;
        const Rect src = k == 0 ? Rect{x, 168, x + 22, 186} : Rect{x, 92 + 19 * k, x + 22, 110 + 19 * k};
        blit(w, {3, 18 * k, 25, 18 * k + 18}, p, src);
    }
    return w;
}

QImage equaliserWindow(const Sheets& s) {
    QImage w(275, 116, QImage::Format_RGB32);
    const QImage& e = of(s, Sheet::EqMain);
    blit(w, {0, 0, 275, 116}, e, {0, 0, 275, 116});
    blit(w, {0, 0, 275, 13}, e, {0, 134, 275, 147});
    blit(w, {14, 18, 39, 30}, e, {69, 119, 94, 131});
    blit(w, {39, 18, 72, 30}, e, {35, 119, 68, 131});
    blit(w, {217, 18, 261, 30}, e, {224, 164, 268, 176});
    blit(w, {86, 17, 199, 36}, e, {0, 294, 113, 313});
    const int xs[11] = {21, 78, 96, 114, 132, 150, 168, 186, 204, 222, 240};
    const int values[11] = {31, 44, 50, 56, 47, 36, 31, 22, 12, 3, 63};
    for (int i = 0; i < 11; ++i) {
        const int v = values[i] == 31 ? 32 : values[i];
        const int y = v > 31 ? 229 : 164, k = v > 31 ? (v - 32) * 4 / 9 : v * 4 / 9;
        blit(w, {xs[i], 38, xs[i] + 14, 101}, e, {13 + 15 * k, y, 27 + 15 * k, y + 63});
        const int top = static_cast<int>((63 - v) / 63.0 * 50);
        blit(w, {xs[i] + 1, top + 39, xs[i] + 12, top + 50}, e, i == 3 ? Rect{0, 176, 11, 187} : Rect{0, 164, 11, 175});
    }
    return w;
}

QImage videoWindow(const Sheets& s, int W, int H) {
    QImage w(W, H, QImage::Format_RGB32);
    w.fill(0xff000000);
    const QImage& a = of(s, Sheet::Avs);
    blit(w, {0, 0, 50, 15}, a, {15, 0, 65, 15});
    blit(w, {W - 16, 0, W, 15}, a, {81, 0, 97, 15});
    blit(w, {50, 0, W - 15, 15}, a, {66, 0, 80, 15});
    blit(w, {0, 15, 7, H}, a, {0, 16, 7, 188});
    if (W % 2) blit(w, {W - 5, 15, W, H}, a, {9, 17, 14, 188});
    else blit(w, {W - 6, 15, W, H}, a, {8, 17, 14, 188});
    blit(w, {0, H - 5, 50, H}, a, {15, 16, 65, 21});
    blit(w, {50, H - 5, W - 15, H}, a, {66, 16, 80, 21});
    blit(w, {W - 16, H - 5, W, H}, a, {81, 16, 97, 21});
    return w;
}

QImage browserWindow(const Sheets& s, int W, int H) {
    QImage w(W, H, QImage::Format_RGB32);
    w.fill(kNormalBg);
    const QImage& m = of(s, Sheet::Mb);
    const int ty = 0, d = W / 2;
    blit(w, {0, 0, 25, 20}, m, {0, ty, 25, ty + 20});
    for (int i = 1; i <= (W - 25) / 25; ++i) blit(w, {25 * i, 0, 25 * i + 25, 20}, m, {127, ty, 152, ty + 20});
    blit(w, {W - 25, 0, W, 20}, m, {153, ty, 178, ty + 20});
    blit(w, {d - 50, 0, d + 50, 20}, m, {26, ty, 126, ty + 20});
    for (int i = 1; i <= (H - 38) / 20; ++i) {
        blit(w, {0, 20 * i, 11, 20 * i + 20}, m, {127, 42, 138, 71});
        if (W % 2) blit(w, {W - 9, 20 * i, W, 20 * i + 20}, m, {138, 42, 147, 71});
        else blit(w, {W - 8, 20 * i, W, 20 * i + 20}, m, {139, 42, 147, 71});
    }
    blit(w, {0, H - 38, 125, H}, m, {0, 42, 125, 80});
    for (int i = 1; i <= (W - 225) / 25; ++i) blit(w, {25 * i + 100, H - 38, 25 * i + 125, H}, m, {127, 81, 152, 119});
    blit(w, {W - 125, H - 38, W, H}, m, {0, 81, 125, 119});
    paint::fill(w, {11, 20, W - 8, H - 38}, kNormalBg);
    const char* rows[5] = {"JAZZ", "  SMOOTH NIGHTS", "  HARBOUR FM", "NEWS", "CLASSICAL"};
    for (int i = 0; i < 5 && 30 + 14 * i <= H - 38; ++i) fonts::drawLabel(w, 16, 25 + 14 * i, rows[i], kNormal);
    paint::fill(w, {95, H - 26, W - 26, H - 11}, kNormalBg);
    return w;
}

void place(QImage& canvas, const QImage& img, int x, int y, const char* label) {
    QByteArray upper = QByteArray(label).toUpper();
    upper.replace('_', '-');
    fonts::drawLabel(canvas, x, y, upper.constData(), 0xffe8ecf0);
    blit(canvas, {x, y + 8, x + img.width(), y + 8 + img.height()}, img, {0, 0, img.width(), img.height()});
}

}  // namespace

QImage contactSheet(const Sheets& sheets, const std::array<QImage, 6>& cursors) {
    // Shelf layout, tallest sheets first, cursors on a last shelf.
    constexpr int kWidth = 1100;
    std::array<std::size_t, skin_layout::kSheets.size()> order;
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return sheets[a].height() > sheets[b].height(); });
    struct Spot { std::size_t index; int x, y; };
    std::vector<Spot> spots;
    int x = 8, y = 8, shelf = 0;
    for (const std::size_t i : order) {
        if (x + sheets[i].width() > kWidth - 8) {
            x = 8;
            y += shelf + 12;
            shelf = 0;
        }
        spots.push_back({i, x, y});
        x += sheets[i].width() + 10;
        shelf = std::max(shelf, sheets[i].height() + 8);
    }
    const int cursorRow = y + shelf + 12;
    QImage canvas(kWidth, cursorRow + 52, QImage::Format_RGB32);
    canvas.fill(0xff5a5f66);
    for (const Spot& spot : spots) place(canvas, sheets[spot.index], spot.x, spot.y, skin_layout::kSheets[spot.index].name);
    for (std::size_t i = 0; i < cursors.size(); ++i) {
        QImage backdrop(32, 32, QImage::Format_RGB32);
        backdrop.fill(i % 2 ? 0xffd8dde2 : 0xff2a3039);
        for (int cy = 0; cy < 32; ++cy)
            for (int cx = 0; cx < 32; ++cx)
                if (qAlpha(cursors[i].pixel(cx, cy)) != 0) backdrop.setPixel(cx, cy, cursors[i].pixel(cx, cy));
        place(canvas, backdrop, 8 + 60 * static_cast<int>(i), cursorRow, skin_layout::kCursors[i].name);
    }
    return scaled(canvas, 2);
}

QImage closeUp(const Sheets& sheets, int part) {
    QImage canvas(570, 290, QImage::Format_RGB32);
    canvas.fill(0xff5a5f66);
    if (part == 2) {
        QImage small(190, 80, QImage::Format_RGB32);
        small.fill(0xff5a5f66);
        place(small, of(sheets, Sheet::Text), 4, 4, "TEXT");
        place(small, of(sheets, Sheet::Numbers), 4, 36, "NUMBERS");
        place(small, of(sheets, Sheet::PlayPaus), 110, 36, "PLAYPAUS");
        place(small, of(sheets, Sheet::MonoSter), 110, 50, "");
        return scaled(small, 8);
    }
    if (part == 0) {
        place(canvas, mainWindow(sheets, false), 8, 8, "MAIN");
        place(canvas, mainWindow(sheets, true), 290, 8, "MAIN PRESSED");
        place(canvas, shadedMain(sheets, true), 8, 140, "SHADE ACTIVE");
        place(canvas, shadedMain(sheets, false), 290, 140, "SHADE INACTIVE");
        place(canvas, equaliserWindow(sheets), 8, 170, "EQUALISER");
        place(canvas, of(sheets, Sheet::EqEx).copy(0, 0, 275, 14), 290, 170, "EQ SHADE");
    } else {
        place(canvas, playlistWindow(sheets, 275, 150, true), 8, 8, "PLAYLIST");
        place(canvas, strip(sheets, 2), 290, 8, "REM");
        place(canvas, shadedPlaylist(sheets, 275, true), 8, 180, "PLAYLIST SHADE");
        place(canvas, videoWindow(sheets, 200, 60), 320, 8, "VIDEO");
        place(canvas, browserWindow(sheets, 275, 90), 290, 180, "BROWSER");
    }
    return scaled(canvas, 3);
}

QImage windows(const Sheets& sheets) {
    QImage canvas(1040, 740, QImage::Format_RGB32);
    canvas.fill(0xff5a5f66);
    place(canvas, mainWindow(sheets, false), 8, 8, "MAIN");
    place(canvas, mainWindow(sheets, true), 292, 8, "MAIN PRESSED");
    place(canvas, shadedMain(sheets, true), 8, 140, "SHADE ACTIVE");
    place(canvas, shadedMain(sheets, false), 292, 140, "SHADE INACTIVE");
    place(canvas, equaliserWindow(sheets), 576, 8, "EQUALISER");
    place(canvas, of(sheets, Sheet::EqEx).copy(0, 0, 275, 14), 576, 140, "EQ SHADE");
    place(canvas, playlistWindow(sheets, 330, 210, true), 8, 170, "PLAYLIST 330X210");
    place(canvas, playlistWindow(sheets, 275, 116, false), 346, 170, "PLAYLIST 275X116 INACTIVE");
    place(canvas, strip(sheets, 2), 630, 170, "REM");
    place(canvas, shadedPlaylist(sheets, 330, true), 8, 396, "PLAYLIST SHADE");
    place(canvas, shadedPlaylist(sheets, 330, false), 346, 396, "INACTIVE");
    place(canvas, videoWindow(sheets, 301, 200), 8, 426, "VIDEO 301X200");
    place(canvas, browserWindow(sheets, 276, 300), 320, 426, "BROWSER 276X300");
    place(canvas, browserWindow(sheets, 301, 160), 606, 426, "BROWSER 301X160");
    return scaled(canvas, 2);
}

}  // namespace preview
