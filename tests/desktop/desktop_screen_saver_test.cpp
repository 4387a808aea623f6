// The screen saver held off on a plain X server, which has no desktop service to ask: through
// the server's own screen-saver extension, by the platform's hold and by the playing player.
#include <gtest/gtest.h>

#include <QDeadlineTimer>

#include "platform/screen_inhibit.h"
#include "tests/desktop/desktop_support.h"
#include "tests/media_fixtures.h"

namespace {

using desktop::Desktop;

// True when the saver stays off for `quietMs` on end before `boundMs` pass.
bool StaysOff(const Desktop& d, int quietMs, int boundMs) {
    QDeadlineTimer quiet(quietMs);
    return Desktop::WaitFor([&] {
        if (d.SaverActive()) quiet.setRemainingTime(quietMs);
        return quiet.hasExpired();
    }, boundMs);
}

class DesktopScreenSaver : public desktop::DesktopTest {};

TEST_F(DesktopScreenSaver, TheHoldSuspendsTheServersSaverWhereNoServiceAnswers) {
    Up({});
    desk->SetScreenSaverDelay(1);
    ASSERT_TRUE(Desktop::WaitFor([&] { return desk->SaverActive(); })) << "the server's saver works";
    const QByteArray display = qgetenv("DISPLAY");
    qputenv("DISPLAY", desk->DisplayName().toLatin1());
    platform::ScreenInhibit::UseSessionBus(false);
    {
        platform::ScreenInhibit hold;
        EXPECT_EQ(hold.Hold("test", "test"), platform::ScreenInhibit::Way::XServer);
        EXPECT_TRUE(StaysOff(*desk, 2500, 6000)) << "a held saver goes off and stays off past its delay";
        hold.Release();
        EXPECT_TRUE(Desktop::WaitFor([&] { return desk->SaverActive(); })) << "released, it comes back";
    }
    platform::ScreenInhibit::UseSessionBus(true);
    qputenv("DISPLAY", display);
}

TEST_F(DesktopScreenSaver, APlayingVideoKeepsThePlainServersSaverAway) {
    Up({});
    desk->SetScreenSaverDelay(1);
    const QString clip = MakeMedia(desk->Folder(), "clip", MediaKind::Mp4Video, 30.0);
    ASSERT_FALSE(clip.isEmpty());
    ASSERT_TRUE(desk->StartPlayer({clip})) << desk->Error().toStdString();
    // The player looks at its state every few seconds; from then on the saver stays away.
    EXPECT_TRUE(StaysOff(*desk, 2500, 15000));
}

}  // namespace
