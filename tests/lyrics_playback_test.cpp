// The playback controller's lyrics: loading into the video window, a seek, and the stop.
#include <gtest/gtest.h>

#include <QTimer>

#include "platform/text_file.h"
#include "player/actions/seek.h"
#include "player/actions/slider_math.h"
#include "player/app/form1.h"
#include "player/core/ctrl.h"
#include "player/display/display.h"
#include "player/lyrics/lrc_ctrl.h"
#include "player/lyrics/run_lyrics.h"
#include "player/playback/run.h"
#include "player/playlist/playlist_box.h"
#include "player/video/form4.h"
#include "tests/song_player_fixture.h"
#include "tests/test_support.h"

namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

class LyricsPlayback : public SongPlayerFixture {};

TEST_F(LyricsPlayback, ASongWithLyricsShowsThemInTheVideoWindow) {
    dir_.write("song.lrc", platform::EncodeGb18030(U("[00:01]第一行\r\n[00:03]Second line\r\n")));
    run_->LoadLyrics();
    ASSERT_TRUE(run_->LrcCtrl);
    ASSERT_TRUE(Form4);
    EXPECT_TRUE(Form4->isVisible());
    EXPECT_TRUE(run_->VideoOpen);
    EXPECT_EQ(run_->LrcCtrl->Lyrics().Lines.back(), U("[4:5]"));
    EXPECT_TRUE(run_->LyricsTimer && run_->LyricsTimer->isActive());
    EXPECT_EQ(run_->ProgressTimerObj->interval(), 100);
    EXPECT_EQ(QSize(run_->VideoWidth, run_->VideoHeight), run_->LrcCtrl->VideoSize());
    run_->Position = 1500;
    run_->LyricsTimerTick();
    EXPECT_EQ(run_->LrcCtrl->UpperText, U("第一行"));
    EXPECT_EQ(run_->LrcCtrl->LowerText, U("Second line"));
}

TEST_F(LyricsPlayback, SettingsReachTheLyrics) {
    dir_.write("song.lrc", "[00:01]a\r\n");
    Ctrl->WriteBool("LrcUseLiteral", false);
    Ctrl->WriteInteger("LrcCorrectTime", 300);
    Ctrl->WriteInteger("LrcBackgroundColor", 0x00FF00);
    run_->LoadLyrics();
    ASSERT_TRUE(run_->LrcCtrl);
    EXPECT_FALSE(run_->LrcCtrl->WordWipe);
    EXPECT_EQ(run_->LrcCtrl->Correction, 300);
    EXPECT_EQ(run_->LrcCtrl->BackgroundColor & 0xFFFFFF, 0x00FF00u);
    Ctrl->WriteBool("LrcUseCorrectTime", false);
    run_->LoadLyrics();
    EXPECT_EQ(run_->LrcCtrl->Correction, 0);
}

TEST_F(LyricsPlayback, LoadingAgainKeepsTheLinesAlreadyLoaded) {
    dir_.write("song.lrc", "[00:01]first load\r\n");
    run_->LoadLyrics();
    ASSERT_TRUE(run_->LrcCtrl);
    run_->Position = 1500;
    run_->LyricsTimerTick();
    ASSERT_EQ(run_->LrcCtrl->State, 0);
    dir_.write("song.lrc", "[00:01]edited since\r\n[00:02]more\r\n");
    TLrcCtrl* const before = run_->LrcCtrl;
    run_->LoadLyrics();
    ASSERT_EQ(run_->LrcCtrl, before);
    EXPECT_EQ(run_->LrcCtrl->Lyrics().Lines, QStringList({U("[00:01]first load"), U("[4:5]")}))
        << "the lines stay as they are; no second end line";
    run_->LyricsTimerTick();
    EXPECT_EQ(run_->LrcCtrl->UpperText, U("first load"));
}

TEST_F(LyricsPlayback, NoFileWhereTheFlagsLookLoadsNothing) {
    dir_.write("song.lrc", "[00:01]beside\r\n");
    run_->LrcFileControl = "10000";
    run_->LoadLyrics();
    EXPECT_FALSE(run_->LrcCtrl);
    EXPECT_FALSE(Form4);
    EXPECT_EQ(run_->ProgressTimerObj->interval(), 500);
}

TEST_F(LyricsPlayback, ASeekMakesTheLinesBeFoundAgain) {
    dir_.write("song.lrc", "[00:01]a\r\n[00:02]b\r\n");
    run_->LoadLyrics();
    ASSERT_TRUE(run_->LrcCtrl);
    run_->Position = 1500;
    run_->LyricsTimerTick();
    ASSERT_EQ(run_->LrcCtrl->State, 0);
    run_->SeekBy(-1000);
    EXPECT_EQ(run_->LrcCtrl->State, 2);
    EXPECT_EQ(run_->LrcCtrl->NextChange, -1);
}

TEST_F(LyricsPlayback, AStopFreesTheLyricsWithTheVideoWindow) {
    dir_.write("song.lrc", "[00:01]a\r\n");
    run_->LoadLyrics();
    ASSERT_TRUE(run_->LrcCtrl);
    run_->Stop();
    EXPECT_FALSE(run_->LrcCtrl);
    EXPECT_FALSE(run_->LyricsTimer->isActive());
    EXPECT_EQ(run_->ProgressTimerObj->interval(), 500);
    run_->LyricsTimerTick();  // a tick already queued finds nothing to drive
    EXPECT_FALSE(run_->LyricsTimer->isActive());
}

TEST_F(LyricsPlayback, ANewFontSetsTheSizeLyricsAskFor) {
    dir_.write("song.lrc", "[00:01]a\r\n");
    run_->LoadLyrics();
    ASSERT_TRUE(run_->LrcCtrl);
    const QSize before(run_->VideoWidth, run_->VideoHeight);
    Ctrl->WriteInteger("LrcFontSize", 36);
    run_->LrcCtrl->ApplySettings(ReadLrcSettings(*Ctrl), true);
    const QSize after = run_->LrcCtrl->VideoSize();
    EXPECT_GT(after.width(), before.width());
    EXPECT_EQ(QSize(run_->VideoWidth, run_->VideoHeight), after) << "normal size follows the new font";
}

TEST_F(LyricsPlayback, ASeekBarSeekShowsTheLinesOfTheNewPlaceAtOnce) {
    dir_.write("song.lrc", "[00:01]one\r\n[00:02]two\r\n[01:00]sixty\r\n[01:30]ninety\r\n");
    run_->LoadLyrics();
    ASSERT_TRUE(run_->LrcCtrl);
    run_->Position = 1500;
    run_->LyricsTimerTick();
    ASSERT_EQ(run_->LrcCtrl->UpperText, "one");
    run_->EngineCode = Engine::Winamp;  // no plug-in bound: the seek reaches no engine
    int thumb = 16;
    while (slider_math::SeekTarget(thumb, run_->Length) < 65000) ++thumb;
    SeekToThumb(thumb);
    EXPECT_EQ(run_->LrcCtrl->UpperText, "sixty");
    EXPECT_EQ(run_->LrcCtrl->LowerText, "ninety");
    EXPECT_NE(run_->LrcCtrl->State, 2) << "the lines were found again";
}

TEST_F(LyricsPlayback, AVideoWindowBuiltAgainReleasesTheLyricsInIt) {
    dir_.write("song.lrc", "[00:01]a\r\n");
    Ctrl->WriteInteger("AV_L", 40);
    Ctrl->WriteInteger("AV_T", 50);
    run_->LoadLyrics();
    ASSERT_TRUE(run_->LrcCtrl);
    ASSERT_TRUE(Form4);
    Form4->move(300, 200);
    ASSERT_EQ(run_->ProgressTimerObj->interval(), 100);
    Ctrl->Display->BuildVideoWindow(true);
    EXPECT_FALSE(run_->LrcCtrl);
    EXPECT_FALSE(run_->LyricsTimer->isActive());
    EXPECT_EQ(run_->ProgressTimerObj->interval(), 500);
    ASSERT_TRUE(Form4);
    EXPECT_EQ(Form4->pos(), QPoint(40, 50)) << "the stored place";
}

}  // namespace
