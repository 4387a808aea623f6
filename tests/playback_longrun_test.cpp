// Short videos played one after the other through the controller, each in the video window: what
// a track opens (the graph and its pipeline, the video window's form, the engine's child window)
// must all go with it, as the audio run through the media engine shows.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <functional>

#include "platform/media_engine.h"
#include "platform/message_box.h"
#include "player/app/form1.h"
#include "player/core/ctrl.h"
#include "player/playback/run.h"
#include "player/playlist/playlist_box.h"
#include "tests/media_fixtures.h"
#include "tests/test_support.h"
#include "tests/winamp_test_support.h"

namespace {

bool WaitFor(const std::function<bool()>& condition, int ms = 15000) {
    QElapsedTimer clock;
    clock.start();
    while (!condition() && clock.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    return condition();
}

// What a track may leave behind, counted.
struct Leftovers {
    int descriptors = winamp_test::OpenDescriptors();
    int widgets = int(QApplication::allWidgets().size());
    int windows = int(QApplication::topLevelWidgets().size());
    int runChildren = int(Ctrl->Run->findChildren<QObject*>().size());
};

class PlaybackLongRun : public ::testing::Test {
protected:
    void SetUp() override {
        // The video window reads its menu file when it is made.
        dir_.write("Plugins/MenuPlus.ini", "");
        platform::MediaEngine::SetAudioOut(platform::AudioOut::Fake);
        clip_ = MakeMedia(dir_.path(), "clip", MediaKind::Mp4Video, 0.2);
        ASSERT_FALSE(clip_.isEmpty());
        dir_.write("Plugins/FilePlus.ini", "[DECODE_SETUP]\r\nDECODE5=*.mp4\r\n");
        platform::SetMessageRecorder([this](const QString& text, const QString&, platform::MessageIcon) { messages_ << text; });
        form_ = new TForm1(dir_.path() + "/");
        run_ = Ctrl->Run.get();
        ListBox1->SetItems({"<?" + clip_ + "?>"});
        Ctrl->WriteBool("Repeat", false);
    }
    void TearDown() override {
        form_->QuietClose = true;
        form_->close();
        delete form_;
        platform::SetMessageRecorder({});
    }
    // One clip to its end in the video window; what the stop let go of is deleted.
    void PlayOne() {
        run_->PlayIndex(0);
        ASSERT_TRUE(WaitFor([this] { return run_->ProgressTimerObj->isActive(); })) << messages_.join('|').toStdString();
        ASSERT_TRUE(run_->VideoOpen);
        ASSERT_TRUE(WaitFor([this] {
            run_->ProgressTimer();
            return run_->EngineCode == Engine::None;
        }));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    void PlayMany(int tracks) {
        for (int i = 0; i < tracks && !HasFatalFailure(); ++i) PlayOne();
    }

    testing_support::TempFolder dir_;
    QString clip_;
    TForm1* form_ = nullptr;
    TRun* run_ = nullptr;
    QStringList messages_;
};

TEST_F(PlaybackLongRun, VideoAfterVideoLeavesNothingBehind) {
    // Plug-in loading and GStreamer's thread pools settle on the first tracks.
    PlayMany(5);
    const Leftovers before;
    PlayMany(40);
    const Leftovers after;
    // A descriptor may come and go with a thread pool; one per track may not.
    EXPECT_LE(after.descriptors, before.descriptors + 3) << "before: " << before.descriptors;
    EXPECT_EQ(after.widgets, before.widgets) << "every video window and its engine's child window go";
    EXPECT_EQ(after.windows, before.windows);
    EXPECT_EQ(after.runChildren, before.runChildren) << "no engine object piles up under the controller";
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join('|').toStdString();
}

}  // namespace
