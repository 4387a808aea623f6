// The filters over whole rows: byte maps as tables or saturating vector adds, and the two
// neighbour filters with their row-wide work hoisted out of the in-place chain. Every output byte
// equals the plain version's.
#include "player/video/frame_filters.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace framefilters {

namespace {

using Table = std::array<uchar, 256>;

// Adds a per-channel offset to a row with one-sided clamps: raise[c] saturates at 255, lower[c]
// at 0, and one of them is always 0.
void OffsetRow(uchar* row, int bytes, const uchar raise[3], const uchar lower[3]) {
    int i = 0;
#if defined(__SSE2__)
    alignas(16) uchar up[48], down[48];
    for (int k = 0; k < 48; ++k) up[k] = raise[k % 3], down[k] = lower[k % 3];
    __m128i u[3], d[3];
    for (int k = 0; k < 3; ++k) {
        u[k] = _mm_load_si128(reinterpret_cast<const __m128i*>(up + 16 * k));
        d[k] = _mm_load_si128(reinterpret_cast<const __m128i*>(down + 16 * k));
    }
    for (; i + 48 <= bytes; i += 48) {
        for (int k = 0; k < 3; ++k) {
            auto* p = reinterpret_cast<__m128i*>(row + i + 16 * k);
            _mm_storeu_si128(p, _mm_subs_epu8(_mm_adds_epu8(_mm_loadu_si128(p), u[k]), d[k]));
        }
    }
#endif
    for (; i < bytes; ++i) row[i] = uchar(std::max(0, std::min(255, row[i] + raise[i % 3]) - lower[i % 3]));
}

void OffsetFrame(QImage* frame, int blue, int green, int red) {
    MakeFilterable(frame);
    const int offsets[3] = {blue, green, red};
    uchar raise[3], lower[3];
    for (int c = 0; c < 3; ++c) {
        const int o = std::clamp(offsets[c], -255, 255);
        raise[c] = uchar(std::max(o, 0));
        lower[c] = uchar(std::max(-o, 0));
    }
    const int bytes = frame->width() * 3;
    for (int y = 0; y < frame->height(); ++y) OffsetRow(frame->scanLine(y), bytes, raise, lower);
}

void MapFrame(QImage* frame, const Table& table) {
    MakeFilterable(frame);
    const int bytes = frame->width() * 3;
    for (int y = 0; y < frame->height(); ++y) {
        uchar* row = frame->scanLine(y);
        for (int i = 0; i < bytes; ++i) row[i] = table[row[i]];
    }
}

// One row softened in place; up and down are other rows than line, left as they are. Of the nine
// values only the left neighbour has changed when a pixel is reached, so the other eight are
// summed over the whole row first and the in-place chain adds just that one value.
void SoftenInnerRow(uchar* line, const uchar* up, const uchar* down, int w, int* col, int* rest) {
    const int bytes = 3 * w;
    for (int i = 0; i < bytes; ++i) col[i] = up[i] + down[i] + line[i];
    if (w == 1) {
        for (int c = 0; c < 3; ++c) line[c] = uchar(3 * col[c] / 9);
        return;
    }
    // A missing column is the pixel's own: the first pixel counts its column twice, the last too.
    for (int c = 0; c < 3; ++c) rest[c] = 2 * col[c] + col[3 + c] - line[c];
    for (int i = 3; i < bytes - 3; ++i) rest[i] = col[i - 3] - line[i - 3] + col[i] + col[i + 3];
    for (int i = bytes - 3; i < bytes; ++i) rest[i] = col[i - 3] - line[i - 3] + 2 * col[i];
    // The chain is kept in registers: reading back the byte just stored would wait on the store.
    unsigned b = unsigned(rest[0] + line[0]) / 9u, g = unsigned(rest[1] + line[1]) / 9u,
             r = unsigned(rest[2] + line[2]) / 9u;
    line[0] = uchar(b), line[1] = uchar(g), line[2] = uchar(r);
    for (int i = 3; i < bytes; i += 3) {
        b = (unsigned(rest[i]) + b) / 9u;
        g = (unsigned(rest[i + 1]) + g) / 9u;
        r = (unsigned(rest[i + 2]) + r) / 9u;
        line[i] = uchar(b), line[i + 1] = uchar(g), line[i + 2] = uchar(r);
    }
}

// A row whose missing neighbour row is itself: the rows read change as the row is written.
void SoftenEdgeRow(uchar* line, const uchar* up, const uchar* down, int w) {
    for (int x = 0; x < w; ++x) {
        const int cols[3] = {x > 0 ? x - 1 : x, x, x < w - 1 ? x + 1 : x};
        for (int c = 0; c < 3; ++c) {
            int sum = 0;
            for (const uchar* row : {up, static_cast<const uchar*>(line), down})
                for (int col : cols) sum += row[3 * col + c];
            line[3 * x + c] = uchar(sum / 9);
        }
    }
}

uchar Sharpened(int v, int n) { return uchar(std::clamp(v + (v - n) / 2, 0, 255)); }

// Each byte of a row against the byte at the same place in `above`, whose values are final.
void SharpenSpan(uchar* line, const uchar* above, int bytes) {
    int i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (; i + 16 <= bytes; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line + i));
        const __m128i n = _mm_loadu_si128(reinterpret_cast<const __m128i*>(above + i));
        __m128i halves[2];
        for (int k = 0; k < 2; ++k) {
            const __m128i vw = k ? _mm_unpackhi_epi8(v, zero) : _mm_unpacklo_epi8(v, zero);
            const __m128i nw = k ? _mm_unpackhi_epi8(n, zero) : _mm_unpacklo_epi8(n, zero);
            const __m128i diff = _mm_sub_epi16(vw, nw);
            // Halving that truncates towards zero: add 1 to negative values before the shift.
            const __m128i half = _mm_srai_epi16(_mm_add_epi16(diff, _mm_srli_epi16(diff, 15)), 1);
            halves[k] = _mm_add_epi16(vw, half);
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(line + i), _mm_packus_epi16(halves[0], halves[1]));
    }
#endif
    for (; i < bytes; ++i) line[i] = Sharpened(line[i], above[i]);
}

}  // namespace

void MakeFilterable(QImage* frame) {
    if (frame->format() != QImage::Format_BGR888) *frame = frame->convertToFormat(QImage::Format_BGR888);
    frame->bits();  // detach now, so row pointers taken later stay valid
}

void AdjustRGB(QImage* frame, int red, int green, int blue) { OffsetFrame(frame, blue, green, red); }

void AdjustBrightness(QImage* frame, int brightness) { OffsetFrame(frame, brightness, brightness, brightness); }

void AdjustContrast(QImage* frame, int contrast) {
    Table table;
    for (int v = 0; v < 256; ++v) {
        const int s = (std::abs(v - 128) * contrast) / 128;
        int out;
        if (contrast >= 0)
            out = v >= 128 ? std::min(255, v + s) : std::max(0, v - s);
        else
            out = v >= 128 ? std::max(128, v + s) : std::min(128, v - s);
        table[size_t(v)] = uchar(std::clamp(out, 0, 255));
    }
    MapFrame(frame, table);
}

void AdjustSaturation(QImage* frame, int saturation) {
    std::array<std::int16_t, 256> scale;
    for (int i = 0; i < 256; ++i) scale[size_t(i)] = std::int16_t(((saturation + 255) * i) / 256);
    // Every result by the pixel's channel sum and the channel's value: one lookup per byte.
    std::vector<uchar> result(size_t(766) * 256);
    for (int t = 0; t < 766; ++t) {
        const int grey = t / 3 - scale[size_t(t / 3)];
        uchar* row = result.data() + size_t(t) * 256;
        for (int v = 0; v < 256; ++v) row[v] = uchar(std::clamp(grey + scale[size_t(v)], 0, 255));
    }
    MakeFilterable(frame);
    const int w = frame->width();
    for (int y = 0; y < frame->height(); ++y) {
        uchar* p = frame->scanLine(y);
        for (int x = 0; x < w; ++x, p += 3) {
            const uchar* row = result.data() + size_t(p[0] + p[1] + p[2]) * 256;
            p[0] = row[p[0]], p[1] = row[p[1]], p[2] = row[p[2]];
        }
    }
}

void Soften(QImage* frame) {
    MakeFilterable(frame);
    const int w = frame->width(), h = frame->height();
    std::vector<int> sums(size_t(6) * size_t(std::max(w, 0)));
    for (int y = 0; y < h; ++y) {
        uchar* line = frame->scanLine(y);
        const uchar* up = frame->constScanLine(y > 0 ? y - 1 : y);
        const uchar* down = frame->constScanLine(y < h - 1 ? y + 1 : y);
        if (up == line || down == line)
            SoftenEdgeRow(line, up, down, w);
        else
            SoftenInnerRow(line, up, down, w, sums.data(), sums.data() + 3 * w);
    }
}

void Sharpen(QImage* frame) {
    MakeFilterable(frame);
    const int w = frame->width(), h = frame->height();
    if (w <= 0 || h <= 0) return;
    // The top row has no row above: each pixel after the first looks at its sharpened left one.
    uchar* top = frame->scanLine(0);
    for (int i = 3; i < 3 * w; ++i) top[i] = Sharpened(top[i], top[i - 3]);
    for (int y = 1; y < h; ++y) {
        uchar* line = frame->scanLine(y);
        const uchar* above = frame->constScanLine(y - 1);
        for (int c = 0; c < 3; ++c) line[c] = Sharpened(line[c], above[c]);
        SharpenSpan(line + 3, above, 3 * (w - 1));
    }
}

}  // namespace framefilters
