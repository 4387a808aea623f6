// The sample grabber and the filter component: frames of a generated clip reach OnBuffer as
// 24-bit rows in either order, become pictures, and a filter chosen by moniker joins the graph.
#include <gtest/gtest.h>

#include <QtCore/qtestsupport_core.h>

#include <QThread>
#include <atomic>
#include <cstring>
#include <thread>
#include <utility>

#include "directshow/filter.h"
#include "directshow/frame_bitmap.h"
#include "directshow/sample_grabber.h"
#include "directshow/sys_dev_enum.h"
#include "tests/gst_encode.h"
#include "tests/media_fixtures.h"
#include "tests/test_support.h"

using namespace directshow;

namespace {

constexpr int kPatience = 20000;  // ms; only an upper bound for waits

// 320 x 240: the top half red, the bottom half blue.
QString MakeTwoColourClip(const testing_support::TempFolder& folder) {
    const QString path = folder.file("halves.mp4");
    const QString description =
        "compositor name=comp sink_1::ypos=120 ! videoconvert ! x264enc speed-preset=ultrafast ! mp4mux ! "
        "filesink location=" + path +
        " videotestsrc pattern=solid-color foreground-color=0xffff0000 num-buffers=10 ! "
        "video/x-raw,width=320,height=240,framerate=25/1 ! comp.sink_0 "
        "videotestsrc pattern=solid-color foreground-color=0xff0000ff num-buffers=10 ! "
        "video/x-raw,width=320,height=120,framerate=25/1 ! comp.sink_1";
    return EncodeWith(description) ? path : QString();
}

struct Frame {
    QByteArray bytes;
    double time = -1;
    QImage picture;
    bool converted = false;
    bool lockHeld = false;
    std::atomic<bool> ready{false};  // set last: the fields above are complete
};

// The first frame OnBuffer hands over, with its picture made inside the handler.
std::shared_ptr<Frame> CatchFirstFrame(TSampleGrabber& grabber) {
    auto frame = std::make_shared<Frame>();
    grabber.SetOnBuffer([frame, &grabber](QObject*, double time, const std::uint8_t* buffer, int length) {
        if (frame->ready.load()) return;
        frame->bytes = QByteArray(reinterpret_cast<const char*>(buffer), length);
        frame->time = time;
        frame->converted = grabber.FrameToBitmap(&frame->picture, buffer, length);
        bool free = false;
        std::thread probe([&] {
            free = grabber.CriticalSection().try_lock();
            if (free) grabber.CriticalSection().unlock();
        });
        probe.join();
        frame->lockHeld = !free;
        frame->ready.store(true);
    });
    return frame;
}

bool Near(int value, int expected) { return std::abs(value - expected) <= 16; }

class GrabberPlayback : public ::testing::Test {
protected:
    void SetUp() override {
        clip = MakeTwoColourClip(folder);
        ASSERT_FALSE(clip.isEmpty());
        grabber.SetFilterGraph(&graph);
    }
    std::shared_ptr<Frame> PlayAndCatch() {
        auto frame = CatchFirstFrame(grabber);
        graph.SetActive(true);
        EXPECT_EQ(graph.RenderFile(clip), S_OK);
        graph.Run();
        EXPECT_TRUE(QTest::qWaitFor([&] { return frame->ready.load(); }, kPatience));
        grabber.SetOnBuffer(nullptr);
        return frame;
    }
    testing_support::TempFolder folder;
    QString clip;
    TFilterGraph graph;
    TSampleGrabber grabber;
};

TEST_F(GrabberPlayback, FramesArriveBottomUpAsTheDefaultTypeSays) {
    const auto frame = PlayAndCatch();
    ASSERT_EQ(frame->bytes.size(), 960 * 240);
    EXPECT_TRUE(frame->lockHeld) << "OnBuffer ran outside the grabber's lock";
    const auto* row0 = reinterpret_cast<const quint8*>(frame->bytes.constData());  // the bottom row
    EXPECT_TRUE(Near(row0[0], 255) && Near(row0[1], 0) && Near(row0[2], 0)) << int(row0[0]) << " " << int(row0[2]);
    const auto* last = row0 + 239 * 960;
    EXPECT_TRUE(Near(last[0], 0) && Near(last[2], 255)) << int(last[0]) << " " << int(last[2]);

    ASSERT_TRUE(frame->converted);
    ASSERT_EQ(frame->picture.size(), QSize(320, 240));
    EXPECT_TRUE(Near(qRed(frame->picture.pixel(10, 10)), 255));
    EXPECT_TRUE(Near(qBlue(frame->picture.pixel(10, 10)), 0));
    EXPECT_TRUE(Near(qBlue(frame->picture.pixel(300, 230)), 255));
    EXPECT_TRUE(Near(qRed(frame->picture.pixel(300, 230)), 0));

    AM_MEDIA_TYPE type;
    ASSERT_EQ(grabber.GetConnectedMediaType(&type), S_OK);
    BitmapInfoHeader header;
    ASSERT_TRUE(BitmapHeaderOf(type, &header));
    EXPECT_EQ(header.biWidth, 320);
    EXPECT_EQ(header.biHeight, 240);
    EXPECT_EQ(header.biBitCount, 24);
    FreeMediaType(&type);
}

TEST_F(GrabberPlayback, ANegativeHeightAsksForTopDownRows) {
    std::uint8_t block[kVideoInfoHeaderSize] = {};
    BitmapInfoHeader wanted;
    wanted.biHeight = -1;
    wanted.biBitCount = 24;
    WriteBitmapInfoHeader(wanted, block + 48);
    grabber.MediaType().SetFormat(block, sizeof block);
    const auto frame = PlayAndCatch();
    ASSERT_EQ(frame->bytes.size(), 960 * 240);
    const auto* row0 = reinterpret_cast<const quint8*>(frame->bytes.constData());  // the top row
    EXPECT_TRUE(Near(row0[0], 0) && Near(row0[2], 255)) << int(row0[0]) << " " << int(row0[2]);
    ASSERT_TRUE(frame->converted);
    EXPECT_TRUE(Near(qRed(frame->picture.pixel(10, 10)), 255));
    EXPECT_TRUE(Near(qBlue(frame->picture.pixel(10, 230)), 255));
}

TEST_F(GrabberPlayback, StopClearAndRenderAgainDeliversFramesAgain) {
    auto first = PlayAndCatch();
    ASSERT_TRUE(first->ready.load());
    graph.Stop();
    graph.ClearGraph();
    EXPECT_EQ(graph.FilterFactories(), QStringList{"bin"}) << "only the grabber stays";
    auto again = CatchFirstFrame(grabber);
    ASSERT_EQ(graph.RenderFile(clip), S_OK);
    graph.Run();
    EXPECT_TRUE(QTest::qWaitFor([&] { return again->ready.load(); }, kPatience));
    grabber.SetOnBuffer(nullptr);
}

TEST_F(GrabberPlayback, AnAudioFileRunsToItsEndWithTheGrabberIdle) {
    const QString tone = MakeMedia(folder.path(), "tone", MediaKind::Wav, 0.3);
    std::atomic<int> frames{0};
    grabber.SetOnBuffer([&](QObject*, double, const std::uint8_t*, int) { ++frames; });
    bool complete = false;
    QObject::connect(&graph, &TFilterGraph::OnGraphComplete, [&](HRESULT, qintptr) { complete = true; });
    graph.SetActive(true);
    ASSERT_EQ(graph.RenderFile(tone), S_OK);
    graph.Run();
    EXPECT_TRUE(QTest::qWaitFor([&] { return complete; }, kPatience));
    EXPECT_EQ(frames.load(), 0);
    AM_MEDIA_TYPE type;
    EXPECT_EQ(grabber.GetConnectedMediaType(&type), VFW_E_NOT_CONNECTED);
}

TEST_F(GrabberPlayback, HandlerSwitchedOffAndOnWhileFramesArrive) {
    std::atomic<int> frames{0};
    bool complete = false;
    QObject::connect(&graph, &TFilterGraph::OnGraphComplete, [&](HRESULT, qintptr) { complete = true; });
    graph.SetActive(true);
    ASSERT_EQ(graph.RenderFile(clip), S_OK);
    graph.Run();
    for (int i = 0; i < 200 && frames.load() < 3; ++i) {
        // The clip is short: on a busy machine its frames may all pass while the handler is off,
        // so it plays again from the start until enough were caught.
        if (std::exchange(complete, false)) {
            graph.Stop();
            graph.Run();
        }
        grabber.SetOnBuffer([&frames](QObject*, double, const std::uint8_t*, int) { ++frames; });
        QTest::qWait(2);
        grabber.SetOnBuffer(nullptr);
        QTest::qWait(1);
    }
    EXPECT_GE(frames.load(), 3);
}

TEST(SampleGrabber, AHandlerThatClearsItselfRunsToItsEnd) {
    TSampleGrabber grabber;
    auto seen = std::make_shared<QByteArray>(64, 'k');
    QByteArray copied;
    grabber.SetOnBuffer([seen, &grabber, &copied](QObject*, double, const std::uint8_t*, int) {
        grabber.SetOnBuffer(nullptr);  // the output switch, from inside a frame
        copied = *seen;
    });
    seen.reset();
    const std::uint8_t byte = 0;
    EXPECT_EQ(grabber.BufferCB(0.0, &byte, 1), S_OK);
    EXPECT_EQ(copied, QByteArray(64, 'k'));
    EXPECT_FALSE(grabber.HasOnBuffer());
    EXPECT_EQ(grabber.BufferCB(0.0, &byte, 1), S_OK);
}

TEST(SampleGrabber, AThrowingHandlerLeavesTheLockAndTheStreamAlone) {
    TSampleGrabber grabber;
    grabber.SetOnBuffer([](QObject*, double, const std::uint8_t*, int) { throw std::runtime_error("handler"); });
    const std::uint8_t byte = 0;
    EXPECT_EQ(grabber.BufferCB(1.0, &byte, 1), S_OK);
    ASSERT_TRUE(grabber.CriticalSection().try_lock());
    grabber.CriticalSection().unlock();
}

TEST(SampleGrabber, NotificationsWithoutAFilterDoNothing) {
    TSampleGrabber grabber;
    grabber.NotifyFilter(foAdded);
    grabber.NotifyFilter(foRemoving);
    grabber.NotifyFilter(foRefresh);
    grabber.NotifyFilter(foRemoved);
    EXPECT_EQ(grabber.GetFilter(), nullptr);
    grabber.NotifyFilter(foAdding);
    EXPECT_NE(grabber.GetFilter(), nullptr);
}

TEST(FrameToBitmap, RefusesWhatItCannotReadAndKeepsThePreviousPicture) {
    TSampleGrabber grabber;
    QImage picture(4, 4, QImage::Format_BGR888);
    picture.fill(Qt::green);
    const std::uint8_t bytes[48] = {};
    EXPECT_FALSE(grabber.FrameToBitmap(nullptr, bytes, 48));
    EXPECT_FALSE(grabber.FrameToBitmap(&picture, nullptr, 48));
    EXPECT_FALSE(grabber.FrameToBitmap(&picture, bytes, 0));
    EXPECT_FALSE(grabber.FrameToBitmap(&picture, bytes, 48)) << "nothing is connected";

    BitmapInfoHeader header;
    header.biWidth = 4;
    header.biHeight = 4;
    header.biBitCount = 16;
    EXPECT_FALSE(DibToImage(header, bytes, sizeof bytes, &picture));
    header.biBitCount = 24;
    header.biWidth = 1 << 20;
    EXPECT_FALSE(DibToImage(header, bytes, sizeof bytes, &picture));
    EXPECT_EQ(picture.size(), QSize(4, 4));
    EXPECT_EQ(picture.pixelColor(2, 2), QColor(Qt::green));
}

TEST(FrameToBitmap, HeaderIsFoundByFormatTypeAndAShortBlockIsRefused) {
    std::uint8_t block[kVideoInfoHeader2Size] = {};
    BitmapInfoHeader header;
    header.biWidth = 7;
    header.biHeight = 3;
    header.biBitCount = 24;
    WriteBitmapInfoHeader(header, block + 72);
    TMediaType type(MEDIATYPE_Video);
    type.SetFormatType(FORMAT_VideoInfo2);
    type.SetFormat(block, sizeof block);
    BitmapInfoHeader found;
    ASSERT_TRUE(BitmapHeaderOf(type.AMMediaType(), &found));
    EXPECT_EQ(found.biWidth, 7);

    type.SetFormatType(FORMAT_VideoInfo);
    std::memset(block, 0, sizeof block);
    WriteBitmapInfoHeader(header, block + 48);
    type.SetFormat(block, kVideoInfoHeaderSize);
    ASSERT_TRUE(BitmapHeaderOf(type.AMMediaType(), &found));
    EXPECT_EQ(found.biHeight, 3);
    type.SetFormat(block, kVideoInfoHeaderSize - 1);
    EXPECT_FALSE(BitmapHeaderOf(type.AMMediaType(), &found));
    type.SetFormatType(QUuid::fromString(u"{05589F81-C356-11CE-BF01-00AA0055595A}"));
    type.SetFormat(block, kVideoInfoHeaderSize);
    EXPECT_FALSE(BitmapHeaderOf(type.AMMediaType(), &found));
}

TEST(FrameToBitmap, CopiesAtMostTheBitmapsSizeAndBlackensWhatIsMissing) {
    BitmapInfoHeader header;
    header.biWidth = 2;  // 6 bytes of pixels, 8 a row
    header.biHeight = 2;
    header.biBitCount = 24;
    QByteArray bytes(16, '\0');
    for (int row = 0; row < 2; ++row) {
        for (int x = 0; x < 2; ++x) bytes[row * 8 + x * 3 + 2] = char(100 + row);  // red
    }
    bytes += QByteArray(4096, char(0xEE));  // beyond the bitmap: never copied
    QImage picture;
    ASSERT_TRUE(DibToImage(header, reinterpret_cast<const std::uint8_t*>(bytes.constData()), size_t(bytes.size()),
                           &picture));
    EXPECT_EQ(picture.pixelColor(0, 1), QColor(100, 0, 0)) << "the first row is the bottom one";
    EXPECT_EQ(picture.pixelColor(1, 0), QColor(101, 0, 0));

    ASSERT_TRUE(DibToImage(header, reinterpret_cast<const std::uint8_t*>(bytes.constData()), 11, &picture));
    EXPECT_EQ(picture.pixelColor(1, 1), QColor(100, 0, 0));
    EXPECT_EQ(picture.pixelColor(0, 0), QColor(101, 0, 0));
    EXPECT_EQ(picture.pixelColor(1, 0), QColor(0, 0, 0)) << "bytes the frame does not have";
}

TEST(FilterComponent, EmptyBaseFilterAddsNothingAndAMonikerAddsItsFilter) {
    TFilterGraph graph;
    TFilter filter;
    filter.SetFilterGraph(&graph);
    filter.SetFilterGraph(&graph);
    EXPECT_EQ(graph.Members().size(), 1);
    graph.SetActive(true);
    EXPECT_EQ(filter.GetFilter(), nullptr);
    EXPECT_TRUE(graph.FilterFactories().isEmpty());
    graph.SetActive(false);

    TSysDevEnum legacy(CLSID_LegacyAmFilterCategory);
    ASSERT_GT(legacy.FilterCount(), 0);
    auto chosen = std::make_unique<TBaseFilter>();
    chosen->SetMoniker(legacy.GetMoniker(0));
    filter.SetBaseFilter(std::move(chosen));
    graph.SetActive(true);
    ASSERT_NE(filter.GetFilter(), nullptr);
    EXPECT_EQ(graph.FilterFactories(), QStringList{FilterFactoryName(filter.GetFilter().get())});

    TFilterGraph other;
    filter.SetFilterGraph(&other);
    EXPECT_TRUE(graph.Members().isEmpty());
    EXPECT_TRUE(graph.FilterFactories().isEmpty());
    EXPECT_EQ(other.Members().size(), 1);
}

}  // namespace
