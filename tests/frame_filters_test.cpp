#include <gtest/gtest.h>

#include <QImage>
#include <QRandomGenerator>
#include <functional>

#include "player/video/frame_filters.h"

namespace ff = framefilters;

namespace {

QImage Filled(int w, int h, QRgb colour) {
    QImage image(w, h, QImage::Format_BGR888);
    image.fill(QColor::fromRgb(colour));
    return image;
}

QImage Grey(std::initializer_list<std::initializer_list<int>> rows) {
    const int h = int(rows.size()), w = int(rows.begin()->size());
    QImage image(w, h, QImage::Format_BGR888);
    int y = 0;
    for (const auto& row : rows) {
        int x = 0;
        for (int v : row) image.setPixel(x++, y, qRgb(v, v, v));
        ++y;
    }
    return image;
}

int RedAt(const QImage& image, int x, int y) { return qRed(image.pixel(x, y)); }

QImage RandomFrame(int w, int h, quint32 seed) {
    QImage image(w, h, QImage::Format_BGR888);
    QRandomGenerator random(seed);
    for (int y = 0; y < h; ++y) {
        uchar* line = image.scanLine(y);
        for (int i = 0; i < 3 * w; ++i) line[i] = uchar(random.bounded(256));
    }
    return image;
}

}  // namespace

TEST(FrameFilters, ContrastMovesAwayFromOrTowardsTheMiddle) {
    QImage image = Filled(2, 1, qRgb(200, 100, 128));
    ff::AdjustContrast(&image, 64);
    EXPECT_EQ(image.pixel(0, 0), qRgb(236, 86, 128));
    image = Filled(1, 1, qRgb(200, 100, 0));
    ff::AdjustContrast(&image, -64);
    EXPECT_EQ(image.pixel(0, 0), qRgb(164, 114, 64));
    image = Filled(1, 1, qRgb(200, 10, 0));
    ff::AdjustContrast(&image, 128);
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));
    // Strong negative contrast stops at the middle instead of crossing it.
    image = Filled(1, 1, qRgb(250, 5, 129));
    ff::AdjustContrast(&image, -255);
    EXPECT_EQ(image.pixel(0, 0), qRgb(128, 128, 128));
}

TEST(FrameFilters, SaturationRemovesOrKeepsColour) {
    QImage image = Filled(1, 1, qRgb(200, 100, 0));
    ff::AdjustSaturation(&image, -255);
    EXPECT_EQ(image.pixel(0, 0), qRgb(100, 100, 100));
    image = Filled(1, 1, qRgb(200, 100, 0));
    ff::AdjustSaturation(&image, 0);
    // scale is 255/256 of a channel: 100 - 99 = 1 added back to each truncated channel.
    EXPECT_EQ(image.pixel(0, 0), qRgb(200, 100, 1));
    image = Filled(1, 1, qRgb(200, 100, 0));
    ff::AdjustSaturation(&image, 255);
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 100, 0));
}

TEST(FrameFilters, OffsetsClampAtTheSideTheyMoveTowards) {
    QImage image = Filled(3, 1, qRgb(250, 10, 100));
    ff::AdjustRGB(&image, 10, -20, 0);
    EXPECT_EQ(image.pixel(2, 0), qRgb(255, 0, 100));
    image = Filled(1, 1, qRgb(0, 0, 0));
    ff::AdjustBrightness(&image, 200);
    EXPECT_EQ(image.pixel(0, 0), qRgb(200, 200, 200));
    ff::AdjustBrightness(&image, -255);
    EXPECT_EQ(image.pixel(0, 0), qRgb(0, 0, 0));
}

TEST(FrameFilters, SharpenPushesAwayFromTheUpperLeftNeighbour) {
    QImage uniform = Filled(5, 4, qRgb(77, 77, 77));
    ff::Sharpen(&uniform);
    EXPECT_EQ(uniform, Filled(5, 4, qRgb(77, 77, 77)));

    QImage image = Grey({{100, 100}, {100, 200}});
    ff::Sharpen(&image);
    EXPECT_EQ(RedAt(image, 1, 1), 250);
    // A row's first pixel looks straight up; the top row looks at its sharpened left pixel.
    image = Grey({{100, 120, 120}, {60, 0, 0}});
    ff::Sharpen(&image);
    EXPECT_EQ(RedAt(image, 0, 0), 100);
    EXPECT_EQ(RedAt(image, 1, 0), 130);
    EXPECT_EQ(RedAt(image, 2, 0), 115);  // 120 + (120 - 130) / 2
    EXPECT_EQ(RedAt(image, 0, 1), 40);   // 60 + (60 - 100) / 2
    EXPECT_EQ(RedAt(image, 1, 1), 0);
}

TEST(FrameFilters, SoftenCountsEdgesTwiceAndReadsSoftenedNeighbours) {
    QImage image = Grey({{90, 0}, {0, 0}});
    ff::Soften(&image);
    // Corner: its row and column each count twice, 4 x 90 / 9.
    EXPECT_EQ(RedAt(image, 0, 0), 40);
    // Next pixel reads the softened 40 twice (own row as the missing row above), not 90.
    EXPECT_EQ(RedAt(image, 1, 0), 8);  // (40 + 0 + 0) * 2 + (0 + 0 + 0) = 80 / 9
    EXPECT_EQ(RedAt(image, 0, 1), 9);  // softened row above (40 + 40 + 8) once, its own row twice: 88 / 9
}

TEST(FrameFilters, FastVersionsMatchThePlainOnesByteForByte) {
    using Filter = std::function<void(QImage*)>;
    const std::pair<Filter, Filter> pairs[] = {
        {[](QImage* f) { ff::AdjustRGB(f, 37, -255, 255); }, [](QImage* f) { ff::plain::AdjustRGB(f, 37, -255, 255); }},
        {[](QImage* f) { ff::AdjustRGB(f, -1, 0, 1); }, [](QImage* f) { ff::plain::AdjustRGB(f, -1, 0, 1); }},
        {[](QImage* f) { ff::AdjustBrightness(f, -77); }, [](QImage* f) { ff::plain::AdjustBrightness(f, -77); }},
        {[](QImage* f) { ff::AdjustBrightness(f, 130); }, [](QImage* f) { ff::plain::AdjustBrightness(f, 130); }},
        {[](QImage* f) { ff::AdjustContrast(f, -201); }, [](QImage* f) { ff::plain::AdjustContrast(f, -201); }},
        {[](QImage* f) { ff::AdjustContrast(f, 99); }, [](QImage* f) { ff::plain::AdjustContrast(f, 99); }},
        {[](QImage* f) { ff::AdjustSaturation(f, -40); }, [](QImage* f) { ff::plain::AdjustSaturation(f, -40); }},
        {[](QImage* f) { ff::AdjustSaturation(f, 255); }, [](QImage* f) { ff::plain::AdjustSaturation(f, 255); }},
        {[](QImage* f) { ff::Soften(f); }, [](QImage* f) { ff::plain::Soften(f); }},
        {[](QImage* f) { ff::Sharpen(f); }, [](QImage* f) { ff::plain::Sharpen(f); }},
    };
    const QSize sizes[] = {{1, 1}, {1, 5}, {5, 1}, {2, 2}, {17, 3}, {33, 9}, {64, 7}};
    quint32 seed = 1;
    for (const auto& [fast, plain] : pairs) {
        for (const QSize& size : sizes) {
            const QImage source = RandomFrame(size.width(), size.height(), seed++);
            QImage a = source, b = source;
            fast(&a);
            plain(&b);
            ASSERT_EQ(a, b) << "seed " << seed - 1 << " size " << size.width() << "x" << size.height();
        }
    }
}

TEST(FrameFilters, OtherFormatsAreFilteredAsTwentyFourBits) {
    QImage image(2, 2, QImage::Format_RGB32);
    image.fill(QColor(10, 20, 30));
    ff::AdjustBrightness(&image, 5);
    EXPECT_EQ(image.format(), QImage::Format_BGR888);
    EXPECT_EQ(image.pixel(1, 1), qRgb(15, 25, 35));
}
