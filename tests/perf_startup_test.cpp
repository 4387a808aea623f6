// The station browser and the tray icon come after the main window's first paint, and not at all
// for a player that closes before it. A start that plays at once opens its file before the
// equaliser and the playlist are built.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QPointer>

#include "player/app/form1.h"
#include "player/core/ctrl.h"
#include "player/display/display.h"
#include "player/playback/engines.h"
#include "player/playback/run.h"
#include "tests/media_fixtures.h"
#include "tests/test_support.h"

namespace {

class BrowserAfterFirstPaint : public ::testing::Test {
protected:
    void TearDown() override {
        if (form_) {
            form_->QuietClose = true;
            form_->close();
        }
        delete form_;
    }
    // Events until the condition holds or the limit has passed.
    static bool ProcessUntil(const std::function<bool()>& condition, int limitMs = 5000) {
        QElapsedTimer clock;
        clock.start();
        while (!condition() && clock.elapsed() < limitMs) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return condition();
    }
    testing_support::TempFolder dir_;
    QPointer<TForm1> form_;
};

TEST_F(BrowserAfterFirstPaint, TheMainWindowShowsFirstAndTheBrowserFollows) {
    form_ = new TForm1(dir_.path() + "/");
    form_->show();
    EXPECT_FALSE(Form5) << "built before the main window could paint";
    ASSERT_TRUE(ProcessUntil([] { return Form5 && Form5->isVisible(); })) << "the browser never came";
    const QPointer<QWidget> browser = Form5.data();
    form_->hide();
    form_->show();
    ProcessUntil([] { return false; }, 300);
    EXPECT_EQ(Form5.data(), browser.data()) << "a second show built a second browser";
}

TEST_F(BrowserAfterFirstPaint, APlayerClosedBeforeItsFirstPaintKeepsTheBrowserOpenAndBuildsNone) {
    form_ = new TForm1(dir_.path() + "/");
    form_->show();
    form_->QuietClose = true;
    form_->close();
    EXPECT_TRUE(Ctrl->ReadBool(QStringLiteral("MB_Open"), false)) << "the browser was open for the user";
    ProcessUntil([] { return false; }, 300);
    EXPECT_FALSE(Form5) << "a browser was built for a closed player";
}

TEST_F(BrowserAfterFirstPaint, TheTrayIconComesAfterTheFirstPaintWithThePictureOfThePlayStateAndNeverForAClosedPlayer) {
    form_ = new TForm1(dir_.path() + "/");
    form_->show();
    EXPECT_FALSE(form_->TrayIcon().IsAdded()) << "the tray was asked for before the window could paint";
    form_->SetStateIcon(3);
    const QImage paused = form_->TrayPicture().pixmap(16, 16).toImage();
    ASSERT_TRUE(ProcessUntil([this] { return form_->TrayIcon().IsAdded(); })) << "the tray icon never came";
    EXPECT_EQ(form_->TrayPicture().pixmap(16, 16).toImage(), paused) << "the state set meanwhile was lost";
    form_->QuietClose = true;
    form_->close();
    delete form_;

    form_ = new TForm1(dir_.path() + "/");
    form_->show();
    form_->QuietClose = true;
    form_->close();
    ProcessUntil([] { return false; }, 300);
    EXPECT_FALSE(form_->TrayIcon().IsAdded()) << "a closed player put an icon in the tray";
}

// The plug-in pair plays the start's WAV; the equaliser and the playlist have stored places.
class SoundFirst : public BrowserAfterFirstPaint {
protected:
    void SetUp() override {
        wav_ = MakeMedia(dir_.path(), "tone", MediaKind::Wav, 1);
        ASSERT_FALSE(wav_.isEmpty());
        dir_.write("setup.ini", "EQ_Open=1\r\nEQ_L=5\r\nEQ_T=300\r\nPL_L=400\r\nPL_T=20\r\n");
        dir_.write("Plugins/MenuPlus.ini", "");
        dir_.write("Plugins/FilePlus.ini", "[DECODE_SETUP]\r\nDECODE0=*.wav\r\n");
        for (const char* name : {"input.dll", "output.dll"}) {
            const QString built = QString(VELMORA_BUILT_INSTALL_DIR "/Plugins/") + name;
            ASSERT_TRUE(QFile::copy(built, dir_.file(QString("Plugins/") + name))) << name;
        }
    }
    QString wav_;
};

TEST_F(SoundFirst, TheFileOpensBeforeTheSideWindowsWhichFollowAtTheirPlaces) {
    form_ = new TForm1(dir_.path() + "/", wav_);
    EXPECT_EQ(Ctrl->Run->EngineCode, Engine::Winamp) << "the start's file is not open";
    EXPECT_FALSE(EqualizerWindow) << "built before the file was opened";
    EXPECT_FALSE(PlaylistWindow) << "built before the file was opened";
    ASSERT_TRUE(ProcessUntil([] { return EqualizerWindow && PlaylistWindow; })) << "the side windows never came";
    EXPECT_TRUE(EqualizerWindow->isVisible());
    EXPECT_TRUE(PlaylistWindow->isVisible());
    EXPECT_EQ(EqualizerWindow->pos(), QPoint(5, 300));
    EXPECT_EQ(PlaylistWindow->pos(), QPoint(400, 20));
    // Shown again, the player builds no second pair.
    const QPointer<QWidget> equaliser = EqualizerWindow.data();
    form_->hide();
    form_->show();
    ProcessUntil([] { return false; }, 200);
    EXPECT_EQ(EqualizerWindow.data(), equaliser.data());
}

TEST_F(SoundFirst, APlayerClosedBeforeTheSideWindowsBuildsNoneAndKeepsTheirPlaces) {
    form_ = new TForm1(dir_.path() + "/", wav_);
    form_->QuietClose = true;
    form_->close();
    ProcessUntil([] { return false; }, 300);
    EXPECT_FALSE(EqualizerWindow) << "built for a closed player";
    EXPECT_FALSE(PlaylistWindow) << "built for a closed player";
    EXPECT_EQ(Ctrl->ReadInteger(QStringLiteral("EQ_T"), 0), 300);
    EXPECT_EQ(Ctrl->ReadInteger(QStringLiteral("PL_L"), 0), 400);
    EXPECT_TRUE(Ctrl->ReadBool(QStringLiteral("EQ_Open"), false)) << "the user's open equaliser was closed";
}

// Without a file to play, nothing waits: the side windows come with the main window.
TEST_F(BrowserAfterFirstPaint, WithoutAFileTheSideWindowsComeWithTheMainWindow) {
    form_ = new TForm1(dir_.path() + "/");
    EXPECT_TRUE(EqualizerWindow && PlaylistWindow);
}

}  // namespace
