// The lyrics timer: which lines show at a time, where the wipe stands, seeks, and the timer's end.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QTimer>
#include <QWidget>
#include <cmath>

#include "player/lyrics/lrc_ctrl.h"
#include "player/playback/run.h"
#include "tests/test_support.h"

using lyrics::TLrcMark;

namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

class LyricsTiming : public ::testing::Test {
protected:
    void SetUp() override {
        window.resize(640, 200);
        ctrl = std::make_unique<TLrcCtrl>(&window);
        ctrl->ApplySettings(TLrcSettings{}, false);
    }
    void Load(const QStringList& lines, int lengthMs = 245000) {
        QStringList all = lines;
        all.append(lyrics::EndLine(lengthMs));
        ctrl->SetLyrics(lyrics::ParseLrcLines(all));
        ctrl->ResetLines();
    }
    int Width(const QString& text) const { return QFontMetrics(ctrl->UpperFont).horizontalAdvance(text); }

    QWidget window;
    std::unique_ptr<TLrcCtrl> ctrl;
};

TEST_F(LyricsTiming, BeforeTheFirstLyricTheLowerLineWaitsWithIt) {
    Load({U("[00:10]First"), U("[00:20]Second")});
    ctrl->Tick(5000);
    EXPECT_EQ(ctrl->UpperText, QString());
    EXPECT_EQ(ctrl->LowerText, U("First"));
    EXPECT_EQ(ctrl->State, 0);
    EXPECT_EQ(ctrl->NextChange, 10000);
    EXPECT_EQ(ctrl->LineStart, 0);
}

TEST_F(LyricsTiming, TheSungLineAlternatesAndTheOtherShowsTheNextLyric) {
    Load({U("[00:20]Second"), U("[00:10]First"), U("[00:30]Third")});
    ctrl->Tick(0);
    ctrl->Tick(10500);
    EXPECT_EQ(ctrl->State, 1);
    EXPECT_EQ(ctrl->LowerText, U("First"));
    EXPECT_EQ(ctrl->UpperText, U("Second"));
    EXPECT_EQ(ctrl->LineStart, 10000);
    EXPECT_EQ(ctrl->NextChange, 20000);
    ctrl->Tick(20100);
    EXPECT_EQ(ctrl->State, 0);
    EXPECT_EQ(ctrl->UpperText, U("Second"));
    EXPECT_EQ(ctrl->LowerText, U("Third"));
    ctrl->Tick(30100);
    EXPECT_EQ(ctrl->LowerText, U("Third"));
    EXPECT_EQ(ctrl->UpperText, QString());  // the end line
    EXPECT_EQ(ctrl->NextChange, 245000);
    ctrl->Tick(250000);
    EXPECT_EQ(ctrl->NextChange, lyrics::kMaxLyricsMs);
}

TEST_F(LyricsTiming, ALineWithTwoTimesIsSungAtBoth) {
    Load({U("[00:10.00][00:50.00]La"), U("[00:30]Other")});
    ctrl->Tick(10100);
    EXPECT_EQ(ctrl->UpperText, U("La"));
    EXPECT_EQ(ctrl->LowerText, U("Other"));
    ctrl->ResetLines();
    ctrl->Tick(50100);
    EXPECT_EQ(ctrl->UpperText, U("La"));
    EXPECT_EQ(ctrl->LineStart, 50000);
}

TEST_F(LyricsTiming, AmongLinesOfOneTimeTheFirstInTheFileWins) {
    Load({U("[00:10]First ten"), U("[00:10]Second ten"), U("[00:20]First twenty"), U("[00:20]Second twenty")});
    ctrl->Tick(5000);
    EXPECT_EQ(ctrl->LowerText, U("First ten")) << "the next lyric";
    ctrl->ResetLines();
    ctrl->Tick(15000);
    EXPECT_EQ(ctrl->UpperText, U("First ten")) << "the lyric being sung";
    EXPECT_EQ(ctrl->LowerText, U("First twenty"));
    ctrl->Tick(20001);
    EXPECT_EQ(ctrl->LowerText, U("First twenty")) << "sung now, on the lower line";
}

TEST_F(LyricsTiming, SeeksBackAndForthFindTheLinesAgain) {
    Load({U("[00:10]First"), U("[00:20]Second"), U("[00:30]Third")});
    ctrl->Tick(25000);
    ctrl->ResetLines();
    ctrl->Tick(12000);
    EXPECT_EQ(ctrl->UpperText, U("First"));
    EXPECT_EQ(ctrl->LowerText, U("Second"));
    EXPECT_EQ(ctrl->LineStart, 10000);
    ctrl->ResetLines();
    ctrl->Tick(31000);
    EXPECT_EQ(ctrl->UpperText, U("Third"));
    EXPECT_EQ(ctrl->LineStart, 30000);
    EXPECT_EQ(ctrl->WipeColumn, 0);
}

TEST_F(LyricsTiming, ASeekBeforeTheFirstLyricStartsTheLineAtZero) {
    Load({U("[00:10]First"), U("[00:20]Second")});
    ctrl->Tick(25000);
    ctrl->ResetLines();
    ctrl->Tick(3000);
    EXPECT_EQ(ctrl->UpperText, U("Second"));  // the upper line keeps what it had
    EXPECT_EQ(ctrl->LowerText, U("First"));
    EXPECT_EQ(ctrl->LineStart, 0);
    ctrl->Tick(3100);
    const int sung = int(std::nearbyint(3100.0 / 10000.0 * Width(U("Second"))));
    EXPECT_EQ(ctrl->WipeColumn, ctrl->LeftMargin + 1 + sung);
}

TEST_F(LyricsTiming, WordTagsMoveTheWipeWordByWord) {
    Load({U("[00:10]Hello [00:12]world"), U("[00:20]Next")});
    ctrl->Tick(10000 + 1);
    ASSERT_EQ(ctrl->State, 0);
    const std::vector<TLrcMark> marks{{0, 0}, {12000, Width(U("Hello "))}, {20000, Width(U("Hello world"))}};
    EXPECT_EQ(ctrl->UpperMarks, marks);
    ctrl->Tick(12000);
    EXPECT_EQ(ctrl->WipeColumn, ctrl->LeftMargin + 1 + Width(U("Hello ")));
    ctrl->Tick(16000);
    const int half = int(std::nearbyint(0.5 * (Width(U("Hello world")) - Width(U("Hello ")))));
    EXPECT_EQ(ctrl->WipeColumn, ctrl->LeftMargin + 1 + Width(U("Hello ")) + half);
}

TEST_F(LyricsTiming, WithoutWordWipeNothingIsWiped) {
    Load({U("[00:10]Hello"), U("[00:20]Next")});
    ctrl->WordWipe = false;
    ctrl->Tick(10001);
    ctrl->Tick(15000);
    EXPECT_EQ(ctrl->WipeColumn, 0);
}

TEST_F(LyricsTiming, TheLowerLineIsWipedFromWhereItsTextBegins) {
    Load({U("[00:10]One"), U("[00:20]Two"), U("[00:30]Three")});
    ctrl->Tick(10001);
    ctrl->Tick(20001);
    ASSERT_EQ(ctrl->State, 1);
    const int origin = window.width() - ctrl->LowerWidth - 15 - ctrl->LeftMargin;
    EXPECT_EQ(ctrl->WipeColumn, origin - 1);
    ctrl->Tick(25000);
    EXPECT_EQ(ctrl->WipeColumn, origin + int(std::nearbyint(0.5 * Width(U("Two")))));
}

TEST(LyricsWipePixel, FollowsTheMarksBetweenWords) {
    const std::vector<TLrcMark> marks{{0, 0}, {12000, 60}, {20000, 110}};
    EXPECT_EQ(lyrics::WipePixel(marks, 10000, 11000), 30);
    EXPECT_EQ(lyrics::WipePixel(marks, 10000, 12000), 60);
    EXPECT_EQ(lyrics::WipePixel(marks, 10000, 16000), 85);
    EXPECT_EQ(lyrics::WipePixel(marks, 10000, 9000), 0);
}

TEST(LyricsWipePixel, ASegmentWithoutDurationIsNotWiped) {
    EXPECT_EQ(lyrics::WipePixel({{0, 0}, {10000, 50}}, 10000, 9000), std::nullopt);
    EXPECT_EQ(lyrics::WipePixel({{0, 0}, {10000, 50}}, 20000, 9000), std::nullopt);
    EXPECT_EQ(lyrics::WipePixel({}, 0, 100), std::nullopt);
}

TEST(LyricsWipePixel, NoMarkAheadMeansTheLineIsSungToItsEnd) {
    // A word tag later than the line's end is passed over; after the last mark nothing is ahead.
    EXPECT_EQ(lyrics::WipePixel({{0, 0}, {12000, 60}, {5000, 110}}, 0, 6000), 110);
    EXPECT_EQ(lyrics::WipePixel({{0, 0}, {5000, 110}}, 0, 7000), 110);
}

class LyricsTimerOfRun : public LyricsTiming {};

TEST_F(LyricsTimerOfRun, TheCorrectionChangesLinesEarlier) {
    TRun run;
    run.LrcCtrl = new TLrcCtrl(&window, &run);
    run.LrcCtrl->ApplySettings(TLrcSettings{}, false);
    run.LrcCtrl->SetLyrics(lyrics::ParseLrcLines({U("[00:10]First"), U("[00:20]Second")}));
    run.LrcCtrl->ResetLines();
    run.LrcCtrl->Correction = 500;
    run.Position = 9000;
    run.LyricsTimerTick();
    run.Position = 9600;
    run.LyricsTimerTick();
    EXPECT_EQ(run.LrcCtrl->State, 1);
    EXPECT_EQ(run.LrcCtrl->LowerText, U("First"));
}

TEST_F(LyricsTimerOfRun, ATickWithoutLyricsStopsTheTimer) {
    TRun run;
    run.LyricsTimer = new QTimer(&run);
    run.LyricsTimer->start(100);
    run.LrcCtrl = new TLrcCtrl(&window, &run);
    delete run.LrcCtrl.data();
    run.LyricsTimerTick();
    EXPECT_FALSE(run.LyricsTimer->isActive());
}

}  // namespace
