// Karaoke on a real X server: a clip with its .lrc beside it shows the moving picture with both
// lyric lines over it: an MPEG-1 clip drawn frame by frame, with and without a window manager, and
// a clip that a video sink draws into a window of its own.
#include <gtest/gtest.h>

#include <QFile>

#include "tests/desktop/desktop_support.h"
#include "tests/gst_encode.h"

namespace {

using desktop::Desktop;
using desktop::Options;
using desktop::Text;
using desktop::Window;

// Text colours no video frame holds exactly: RGB (255, 0, 127) unsung, (1, 200, 255) sung.
constexpr QRgb kUnsung = 0xFF007F, kSung = 0x01C8FF;
const QByteArray kSetup = "AV_L=100\r\nAV_T=300\r\nLrcFontLeftColor=8323327\r\nLrcFontRightColor=16762881\r\n";

// What the inner area of the video window shows.
struct Seen {
    int upperText = 0, lowerText = 0;  // lyric pixels above and below the middle
    int picture = 0;                   // pixels of neither the lyrics nor the black background
    int total = 0;
    QImage inner;
};

Seen Look(const QImage& screen, const QRect& window) {
    Seen seen;
    seen.inner = screen.copy(window.adjusted(7, 15, -7, -5));
    const int middle = seen.inner.height() / 2;
    for (int y = 0; y < seen.inner.height(); ++y) {
        for (int x = 0; x < seen.inner.width(); ++x) {
            const QRgb c = seen.inner.pixel(x, y) & 0xFFFFFF;
            ++seen.total;
            if (c == kUnsung || c == kSung) ++(y < middle ? seen.upperText : seen.lowerText);
            else if (qRed(c) + qGreen(c) + qBlue(c) > 60) ++seen.picture;
        }
    }
    return seen;
}

int Differing(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return -1;
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) n += (a.pixel(x, y) & 0xFFFFFF) != (b.pixel(x, y) & 0xFFFFFF);
    return n;
}

class DesktopKaraoke : public desktop::DesktopTest, public ::testing::WithParamInterface<bool> {
protected:
    // A moving test picture and its lyrics: the first line from 0.3 s, the next at 6 s.
    // `encoding` ends in the file sink's location; `more` follows the file's path.
    QString MakeKaraoke(const QString& name, const QString& encoding, const QString& more = {}) {
        const QString clip = desk->Folder() + "/" + name;
        if (!EncodeWith("videotestsrc pattern=smpte horizontal-speed=4 num-buffers=300 ! "
                        "video/x-raw,width=352,height=288,framerate=25/1 ! " + encoding + clip + more))
            return {};
        QFile lyrics(desk->Folder() + "/" + name.section(u'.', 0, 0) + ".lrc");
        if (!lyrics.open(QIODevice::WriteOnly)) return {};
        lyrics.write(QString::fromUtf8("[ti:Test]\r\n[00:00.30]第一行 Karaoke one\r\n[00:06.00]Second line here\r\n"
                                       "[00:10.00]Third\r\n").toUtf8());
        return clip;
    }

    void PlayAndLook(const QString& clip, const QString& shot) {
        ASSERT_FALSE(clip.isEmpty());
        ASSERT_TRUE(desk->StartPlayer({clip}, kSetup)) << desk->Error().toStdString();
        // Lyrics size the window to two lines; a drag on its right edge then makes room for the picture.
        std::optional<Window> video;
        ASSERT_TRUE(Desktop::WaitFor([&] {
            video = desk->VideoWindow();
            return video && video->viewable && video->place.height() < 150;
        })) << Text(video ? video->place : QRect());
        const QRect small = video->place;
        EXPECT_TRUE(Desktop::WaitFor([&] {
            video = desk->VideoWindow();
            if (video && video->place.height() > small.height() + 200) return true;
            desk->Drag(small.bottomRight() - QPoint(2, 2), small.bottomRight() + QPoint(200, 300));
            return false;
        }, 15000)) << Text(video ? video->place : QRect());

        Seen first;
        EXPECT_TRUE(Desktop::WaitFor([&] {
            first = Look(desk->Grab(), desk->VideoWindow().value_or(Window{}).place);
            return first.upperText > 20 && first.lowerText > 20 && first.picture > first.total / 3;
        })) << "upper text " << first.upperText << ", lower text " << first.lowerText << ", picture "
            << first.picture << " of " << first.total;
        Shot(shot);

        // The picture moves on under the lines.
        EXPECT_TRUE(Desktop::WaitFor([&] {
            const Seen later = Look(desk->Grab(), desk->VideoWindow().value_or(Window{}).place);
            return later.upperText + later.lowerText > 40 && Differing(first.inner, later.inner) > first.total / 20;
        }));
    }
};

TEST_P(DesktopKaraoke, AnMpegClipWithLyricsShowsItsMovingPictureUnderBothLines) {
    if (!HaveElements({"mpeg2enc", "mpegpsmux", "avenc_mp2"})) GTEST_SKIP() << "no MPEG-1 encoder here";
    Up({.windowManager = GetParam()});
    PlayAndLook(MakeKaraoke("karaoke.mpg", "mpeg2enc format=0 ! mpegpsmux name=m ! filesink location=",
                            " audiotestsrc num-buffers=520 ! audioconvert ! avenc_mp2 ! m."),
                GetParam() ? "karaoke" : "karaoke-no-window-manager");
}

INSTANTIATE_TEST_SUITE_P(WindowManager, DesktopKaraoke, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Openbox" : "NoWindowManager"; });

// The engine's video sink draws into a native window inside the frame; the lines stay above it.
TEST_F(DesktopKaraoke, LyricsStayOverAPictureDrawnIntoItsOwnWindow) {
    if (!HaveElements({"x264enc", "mp4mux"})) GTEST_SKIP() << "no H.264 encoder here";
    Up({.windowManager = true});
    PlayAndLook(MakeKaraoke("karaoke-sink.mp4", "videoconvert ! x264enc speed-preset=ultrafast ! h264parse ! "
                                                "mp4mux ! filesink location="),
                "karaoke-video-sink");
}

}  // namespace
