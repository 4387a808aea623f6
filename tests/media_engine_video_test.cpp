// The picture size as the video sink learns it: from streams that tell nothing of it before the
// preroll (ASF) and from streams whose size changes while playing (chained Ogg).
#include <gtest/gtest.h>

#include <QtCore/qtestsupport_core.h>

#include <QFile>
#include <functional>

#include "platform/media_engine.h"
#include "tests/gst_encode.h"
#include "tests/test_support.h"

using platform::MediaEngine;
using State = platform::MediaEngine::State;

namespace {

constexpr int kPatience = 15000;  // ms; only an upper bound for waits

bool WaitFor(const std::function<bool()>& condition) { return QTest::qWaitFor(condition, kPatience); }

QString Picture(int width, int height, int frames) {
    return QStringLiteral("videotestsrc num-buffers=%1 ! video/x-raw,width=%2,height=%3,framerate=25/1 ! "
                          "videoconvert ! ")
        .arg(frames)
        .arg(width)
        .arg(height);
}

struct SizeEvents {
    explicit SizeEvents(MediaEngine& engine) {
        QObject::connect(&engine, &MediaEngine::VideoSizeChanged, &context,
                         [this, &engine] { sizes.push_back(engine.VideoSize()); });
        QObject::connect(&engine, &MediaEngine::EndOfStream, &context, [this] { ++ends; });
    }
    QObject context;
    std::vector<QSize> sizes;
    int ends = 0;
};

TEST(EngineVideoSize, WindowsMediaVideoHasItsSizeWithAndWithoutWaiting) {
    if (!HaveElements({"asfmux", "avenc_wmv2", "asfdemux", "avdec_wmv2"}))
        GTEST_SKIP() << "the ASF muxer or the WMV codecs of gst-libav are not installed";
    testing_support::TempFolder folder;
    const QString wmv = folder.file("clip.wmv");
    ASSERT_TRUE(EncodeWith(Picture(176, 144, 50) + "avenc_wmv2 ! asfmux ! filesink location=" + wmv));
    MediaEngine::SetAudioOut(platform::AudioOut::Fake);
    MediaEngine engine;
    SizeEvents events(engine);
    ASSERT_TRUE(engine.Open(wmv, 5000)) << engine.LastError().toStdString();
    EXPECT_EQ(engine.VideoSize(), QSize(176, 144)) << "known when Open returns";

    // Without the wait, the size arrives as a signal.
    ASSERT_TRUE(engine.Open(wmv, 0));
    EXPECT_EQ(engine.VideoSize(), QSize(0, 0));
    ASSERT_TRUE(WaitFor([&] { return !events.sizes.empty(); }));
    EXPECT_EQ(events.sizes.back(), QSize(176, 144));
    engine.Play();
    ASSERT_TRUE(WaitFor([&] { return events.ends == 1; }));
    EXPECT_EQ(engine.VideoSize(), QSize(176, 144));
}

TEST(EngineVideoSize, ASizeThatChangesWhilePlayingIsReported) {
    if (!HaveElements({"theoraenc", "oggmux"})) GTEST_SKIP() << "no Theora encoder installed";
    testing_support::TempFolder folder;
    // Two Ogg files one after the other are one chained stream; its second part is smaller.
    ASSERT_TRUE(EncodeWith(Picture(320, 240, 10) + "theoraenc ! oggmux ! filesink location=" + folder.file("a.ogv")));
    ASSERT_TRUE(EncodeWith(Picture(160, 120, 10) + "theoraenc ! oggmux ! filesink location=" + folder.file("b.ogv")));
    folder.write("chain.ogv", folder.read("a.ogv") + folder.read("b.ogv"));

    MediaEngine::SetAudioOut(platform::AudioOut::Fake);
    MediaEngine engine;
    SizeEvents events(engine);
    ASSERT_TRUE(engine.Open(folder.file("chain.ogv"), 5000)) << engine.LastError().toStdString();
    EXPECT_EQ(engine.VideoSize(), QSize(320, 240));
    engine.Play();
    ASSERT_TRUE(WaitFor([&] { return events.ends == 1; }));
    ASSERT_FALSE(events.sizes.empty());
    EXPECT_EQ(events.sizes.back(), QSize(160, 120));
    EXPECT_EQ(engine.VideoSize(), QSize(160, 120));
}

}  // namespace
