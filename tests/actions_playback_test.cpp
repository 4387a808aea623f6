// The transport buttons and the seek bar acting on a real track through the mouse hook.
#include <QtCore/qtestsupport_core.h>
#include <functional>

#include "player/playback/run.h"
#include "player/playlist/playlist_box.h"
#include "tests/actions_test_support.h"
#include "tests/media_fixtures.h"
#include "tests/skin_test_support.h"

namespace {

using namespace skin_test;
using namespace actions_test;

class TransportTest : public SkinFixture {
protected:
    static void SetUpTestSuite() {
        media_ = new testing_support::TempFolder();
        mp3_ = MakeMedia(media_->path(), "tone", MediaKind::Mp3, 2);
    }
    static void TearDownTestSuite() { delete media_; }
    void SetUp() override {
        SkinFixture::SetUp();
        ASSERT_FALSE(mp3_.isEmpty());
        // The plain filter graph plays mp3 here, so the seek goes in 100-ns units.
        dir_.write("Plugins/FilePlus.ini", "[DECODE_SETUP]\r\nDECODE5=*.mp3\r\n");
    }
    static bool WaitFor(const std::function<bool()>& condition) { return QTest::qWaitFor(condition, 10000); }
    bool Started() const { return Ctrl->Run->ProgressTimerObj->isActive(); }

    static inline testing_support::TempFolder* media_ = nullptr;
    static inline QString mp3_;
};

TEST_F(TransportTest, StopAndPlayButtonsStopAndStartTheClockAndTheSeekBarSeeks) {
    Open();
    ListBox1->SetItems({"<?" + mp3_ + "?>"});
    Click(form_, {50, 95});
    ASSERT_TRUE(WaitFor([this] { return Started(); })) << "play starts the entry";
    EXPECT_EQ(Ctrl->Run->EngineCode, Engine::DirectShow);

    Click(form_, {95, 95});
    EXPECT_FALSE(Started()) << "stop stops the clock";
    EXPECT_EQ(Ctrl->Run->EngineCode, Engine::None);

    Click(form_, {50, 95});
    ASSERT_TRUE(WaitFor([this] { return Started(); })) << "play starts it again";
    ASSERT_GE(Ctrl->Run->Length, 1000);

    // Thumb let go at x 185 of 16..235: 169/219 of the track.
    Press(form_, {200, 77});
    EXPECT_EQ(Ctrl->SeekDragging, 1);
    EXPECT_FALSE(Started()) << "the clock waits while the thumb is held";
    Release(form_, {200, 77});
    EXPECT_EQ(Ctrl->SeekDragging, 0);
    EXPECT_TRUE(Started());
    Ctrl->Run->ProgressTimer();
    const int expected = int(169.0 / 219.0 * Ctrl->Run->Length);
    EXPECT_GE(Ctrl->Run->Position, expected - 150);
    EXPECT_LE(Ctrl->Run->Position, expected + 400);
    Click(form_, {95, 95});
}

}  // namespace
