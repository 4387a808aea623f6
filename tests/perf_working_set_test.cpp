// Letting go of the start-up's pages loses nothing: data written at run time, what the loader
// relocated and read-only tables all read the same afterwards, and code runs on; the process's
// resident memory goes down.
#include <gtest/gtest.h>

#include <QFile>
#include <QString>
#include <array>
#include <memory>
#include <numeric>

#include "platform/working_set.h"

namespace {

int g_written = 7;  // set at run time below: the file holds 7

int Twice(int n) { return 2 * n; }
int Squared(int n) { return n * n; }
// Pointers the loader fills in at start (a position-independent program): read-only only after that.
int (*const kRelocated[])(int) = {&Twice, &Squared};

constexpr std::array<unsigned char, 1 << 16> Pattern() {
    std::array<unsigned char, 1 << 16> bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>((i * 131) ^ (i >> 7));
    return bytes;
}
const std::array<unsigned char, 1 << 16> kTable = Pattern();

struct Shape {
    virtual ~Shape() = default;
    virtual int Sides() const = 0;
};
struct Triangle : Shape {
    int Sides() const override { return 3; }
};

long ResidentKb() {
    QFile rollup(QStringLiteral("/proc/self/smaps_rollup"));
    if (!rollup.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : rollup.readAll().split('\n'))
        if (line.startsWith("Rss:")) return line.mid(4).trimmed().split(' ').value(0).toLong();
    return -1;
}

TEST(StartUpPages, GoWithoutLosingDataAndComeBackOnUse) {
    g_written = 42;
    const std::unique_ptr<Shape> shape = std::make_unique<Triangle>();
    const unsigned long sum = std::accumulate(kTable.begin(), kTable.end(), 0UL);
    const QString text = QStringLiteral("Velmora %1").arg(3);
    const long before = ResidentKb();
    ASSERT_GT(before, 0);

    EXPECT_GT(platform::ReleaseStartUpPages(), 0u);
    const long after = ResidentKb();

    EXPECT_EQ(g_written, 42) << "a writable page went back to the file's copy";
    EXPECT_EQ(kRelocated[0](5), 10) << "a relocated pointer was lost";
    EXPECT_EQ(kRelocated[1](5), 25);
    EXPECT_EQ(shape->Sides(), 3) << "a virtual call went astray";
    EXPECT_EQ(std::accumulate(kTable.begin(), kTable.end(), 0UL), sum);
    EXPECT_EQ(text + QStringLiteral("!"), QStringLiteral("Velmora 3!"));
    // This program maps Qt and GStreamer: far more than a megabyte of their code was in.
    EXPECT_LT(after, before - 1024) << "before " << before << " kB, after " << after << " kB";
}

// A second time finds little to let go of and still breaks nothing.
TEST(StartUpPages, MayGoTwice) {
    platform::ReleaseStartUpPages();
    g_written = 9;
    platform::ReleaseStartUpPages();
    EXPECT_EQ(g_written, 9);
    EXPECT_EQ(kRelocated[1](4), 16);
}

}  // namespace
