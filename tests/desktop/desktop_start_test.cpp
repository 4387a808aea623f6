// The player's start where a desktop session has a session bus: the accessibility's question to
// the bus, which the start prepares on a thread of its own, must neither stop the start nor its end.
#include <gtest/gtest.h>

#include "tests/desktop/desktop_support.h"
#include "tests/media_fixtures.h"

using desktop::DesktopTest;

class DesktopStart : public DesktopTest {};

TEST_F(DesktopStart, WithASessionBusAFileStartsAndThePlayerEndsByItselfAtTheSessionsEnd) {
    Up({.windowManager = true, .sessionBus = true});
    const QString song = MakeMedia(desk->Folder(), "song", MediaKind::Mp3, 5.0);
    ASSERT_FALSE(song.isEmpty());
    ASSERT_TRUE(desk->StartPlayer({song})) << desk->Error().toStdString();
    EXPECT_TRUE(desk->StopPlayer()) << "no clean end within 10 s";
}
