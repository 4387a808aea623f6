// The lyrics and the video window as the main window's actions reach them: a seek-bar release,
// the screen saver, the video window's resize (aspect, least height, the wipe kept) and its close
// button.
#include <gtest/gtest.h>

#include <QPointer>
#include <QTimer>

#include "player/actions/placement.h"
#include "player/actions/screen_saver.h"
#include "player/actions/seek.h"
#include "player/app/form1.h"
#include "player/core/ctrl.h"
#include "player/display/display.h"
#include "player/lyrics/lrc_ctrl.h"
#include "player/playback/run.h"
#include "player/playlist/playlist_box.h"
#include "player/video/form4.h"
#include "tests/actions_test_support.h"
#include "tests/song_player_fixture.h"
#include "tests/test_support.h"

namespace {

class VideoWiringTest : public SongPlayerFixture {
protected:
    // Lyrics loaded, the lines chosen at `t` ms and the first line wiped a step later.
    TLrcCtrl& SingTo(int t) {
        dir_.write("song.lrc", "[00:01]one [00:02]two [00:03]three four five\r\n[00:05]next line\r\n");
        run_->LoadLyrics();
        EXPECT_TRUE(run_->LrcCtrl && Form4);
        run_->Position = t;
        run_->LyricsTimerTick();
        run_->Position = t + 100;
        run_->LyricsTimerTick();
        return *run_->LrcCtrl;
    }
    // The columns of an image that hold the colour.
    static std::pair<int, int> ColumnsOf(const QImage& image, QRgb colour) {
        int first = image.width(), last = -1;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if ((image.pixel(x, y) & 0xFFFFFF) != (colour & 0xFFFFFF)) continue;
                first = std::min(first, x);
                last = std::max(last, x);
            }
        }
        return {first, last};
    }

};

TEST_F(VideoWiringTest, ASeekBarReleaseMakesTheLyricsFindTheirLineAgain) {
    TLrcCtrl& lyrics = SingTo(1500);
    ASSERT_LT(lyrics.State, 2) << "the lines are chosen";
    // An engine chosen whose object does not exist: the seek itself does nothing here.
    run_->EngineCode = Engine::FrameGrabbing;
    SeekToThumb(120);
    // Found at once for the new place (about 116 s in): the last lyric, and the song's end next.
    EXPECT_EQ(lyrics.State, 0);
    EXPECT_EQ(lyrics.UpperText, "next line");
    EXPECT_EQ(lyrics.NextChange, 245000);
    EXPECT_TRUE(run_->ProgressTimerObj->isActive());
}

TEST_F(VideoWiringTest, LyricsKeepTheScreenOnByTheirOwnFlagOnly) {
    SingTo(1500);
    run_->VideoOpen = true;
    run_->VideoControl = "00000011";
    run_->Position = 1500;
    TScreenState state = CurrentScreenState();
    EXPECT_TRUE(state.Lyrics);
    EXPECT_FALSE(KeepScreenAwake(state)) << "with lyrics the video flag does not count";
    run_->LrcFileControl = "11001";
    EXPECT_TRUE(KeepScreenAwake(CurrentScreenState()));
    run_->Stop();
    state = CurrentScreenState();
    EXPECT_FALSE(state.Lyrics) << "the stop freed the lyrics";
}

TEST_F(VideoWiringTest, WithLyricsTheResizeIgnoresTheAspectAndKeepsRoomForTwoLines) {
    TLrcCtrl& lyrics = SingTo(1500);
    Ctrl->Display->VideoProportion = true;
    SetVideoBounds(20, 20, 600, 300);
    EXPECT_EQ(Form4->size(), QSize(600, 300)) << "the lyrics' own size is no aspect to keep";
    EXPECT_EQ(lyrics.UpperImage.width(), 600 - 14);
    EXPECT_EQ(lyrics.LowerImage.width(), 600 - 14);
    SetVideoBounds(20, 20, 400, 30);
    EXPECT_EQ(Form4->height(), 2 * lyrics.LineHeight() + 20);
}

TEST_F(VideoWiringTest, TheWipeReachesAsFarAfterAResizeAsBefore) {
    TLrcCtrl& lyrics = SingTo(2500);
    const quint8 state = lyrics.State;
    ASSERT_LT(state, 2) << "the lines are chosen";
    const int reached = lyrics.WipeColumn;
    ASSERT_GT(reached, 0) << "part of the line is sung";
    // A little wider: the lines move right by a few pixels only.
    SetVideoBounds(20, 20, Form4->width() + 20, 260);
    EXPECT_EQ(lyrics.State, state) << "the line state is back after the release";
    EXPECT_EQ(lyrics.WipeColumn, reached);
    const QImage& sung = state == 0 ? lyrics.UpperImage : lyrics.LowerImage;
    const int last = ColumnsOf(sung, lyrics.FontRightColor).second;
    EXPECT_GE(last, 0) << "the sung part is wiped again";
    EXPECT_LT(last, reached) << "only the sung columns are in the right colour";
    EXPECT_GE(ColumnsOf(sung, lyrics.FontLeftColor).second, reached) << "the rest is still to sing";
}

TEST_F(VideoWiringTest, TheCloseButtonHidesTheVideoWindowAndStopsTheVideo) {
    Ctrl->Display->BuildVideoWindow(true);
    ASSERT_TRUE(Form4);
    Form4->show();
    QPointer<TForm4> window = Form4.data();
    run_->VideoOpen = true;
    run_->Position = 1000;
    actions_test::Click(window, {window->width() - 6, 7});
    ASSERT_TRUE(window) << "freed only after the handler";
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(Form4) << "the stop let go of the window";
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(window);
}

TEST_F(VideoWiringTest, TheCloseButtonOnlyHidesTheWindowWhileLyricsShow) {
    SingTo(1500);
    QPointer<TForm4> window = Form4.data();
    run_->VideoOpen = true;
    actions_test::Click(window, {window->width() - 6, 7});
    ASSERT_TRUE(window);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(Form4.data(), window.data()) << "the song goes on without its window";
    EXPECT_TRUE(run_->LrcCtrl);
}

}  // namespace
