// The real player on a real X server, driven by synthetic input: minimising with and without a
// notification area and with and without a window manager, the video window's screen modes
// under openbox, and a drag of the main window with its glued windows.
#include <gtest/gtest.h>

#include <QDir>

#include "tests/desktop/desktop_support.h"
#include "tests/media_fixtures.h"

namespace {

using desktop::Desktop;
using desktop::Options;
using desktop::Window;
using desktop::Text;

constexpr QPoint kMinimise{248, 7};

bool Iconic(const Desktop& d, unsigned long id) {
    const std::optional<Window> w = d.Describe(id);
    return w && w->iconic && !w->viewable;
}

bool Shown(const Desktop& d, unsigned long id) {
    const std::optional<Window> w = d.Describe(id);
    return w && w->viewable && !w->iconic;
}

bool Managed(const Desktop& d, unsigned long id) {
    const std::vector<unsigned long> list = d.ManagedStacking();
    return std::find(list.begin(), list.end(), id) != list.end();
}

// The windows that touch `main` edge to edge, directly or through one another.
std::vector<Window> GluedTo(const Window& main, const std::vector<Window>& others) {
    const auto touch = [](const QRect& a, const QRect& b) {
        const QRect c(a.left(), a.top(), a.width(), a.height());
        const bool stacked = (c.top() == b.bottom() + 1 || b.top() == c.bottom() + 1) && c.left() <= b.right() &&
                             b.left() <= c.right();
        const bool side = (c.left() == b.right() + 1 || b.left() == c.right() + 1) && c.top() <= b.bottom() &&
                          b.top() <= c.bottom();
        return stacked || side;
    };
    std::vector<Window> glued;
    std::vector<QRect> reached{main.place};
    for (bool grew = true; grew;) {
        grew = false;
        for (const Window& w : others) {
            if (!w.viewable || std::any_of(glued.begin(), glued.end(), [&](const Window& g) { return g.id == w.id; }))
                continue;
            if (std::any_of(reached.begin(), reached.end(), [&](const QRect& r) { return touch(r, w.place); })) {
                glued.push_back(w);
                reached.push_back(w.place);
                grew = true;
            }
        }
    }
    return glued;
}

class DesktopMinimise : public desktop::DesktopTest {};

TEST_F(DesktopMinimise, WithoutATrayOpenboxMinimisesTheWindowsAndBringsThemBack) {
    Up({.windowManager = true, .tray = false});
    ASSERT_TRUE(desk->StartPlayer({})) << desk->Error().toStdString();
    const Window main = *desk->MainWindow();
    const std::vector<Window> glued = desk->GluedWindows();
    ASSERT_FALSE(glued.empty());
    ASSERT_TRUE(desk->Click(main.place.topLeft() + kMinimise));
    ASSERT_TRUE(Desktop::WaitFor([&] { return Iconic(*desk, main.id); }))
        << "the main window is minimised, not hidden where nothing brings it back";
    EXPECT_TRUE(Managed(*desk, main.id)) << "the window manager still lists it";
    EXPECT_FALSE(desk->HasSkipTaskbar(main.id)) << "a taskbar offers it";
    for (const Window& w : glued)
        EXPECT_TRUE(Desktop::WaitFor([&] { return !desk->Describe(w.id)->viewable; })) << "the glued windows go with it";
    // Openbox's window list (a middle click on the desktop) offers it back.
    desk->Click({600, 400}, 2);
    Shot("main-minimised-no-tray-openbox-window-list");
    desk->Key("Escape");

    ASSERT_TRUE(desk->Xdotool({"windowactivate", QString::number(main.id)}));
    EXPECT_TRUE(Desktop::WaitFor([&] { return Shown(*desk, main.id); }));
    for (const Window& w : glued) EXPECT_TRUE(Desktop::WaitFor([&] { return Shown(*desk, w.id); }));
}

TEST_F(DesktopMinimise, WithoutATrayOrAWindowManagerTheWindowsStayOnTheScreen) {
    Up({});
    ASSERT_TRUE(desk->StartPlayer({})) << desk->Error().toStdString();
    const Window main = *desk->MainWindow();
    ASSERT_TRUE(desk->Click(main.place.topLeft() + kMinimise));
    // Nothing on this desktop can minimise a window; hidden, it would be lost.
    EXPECT_FALSE(Desktop::WaitFor([&] { return !desk->Describe(main.id)->viewable; }, 1500));
    for (const Window& w : desk->GluedWindows()) EXPECT_TRUE(w.viewable);
}

class DesktopTray : public desktop::DesktopTest, public ::testing::WithParamInterface<bool> {};

TEST_P(DesktopTray, MinimiseHidesToTheTrayAndTheIconBringsTheWindowsBack) {
    Up({.windowManager = GetParam(), .tray = true});
    ASSERT_TRUE(desk->StartPlayer({})) << desk->Error().toStdString();
    const Window main = *desk->MainWindow();
    const std::vector<Window> glued = desk->GluedWindows();
    ASSERT_TRUE(Desktop::WaitFor([&] { return desk->TrayIconOfPlayer() != 0; })) << "the icon sits in the tray";
    ASSERT_TRUE(desk->Click(main.place.topLeft() + kMinimise));
    ASSERT_TRUE(Desktop::WaitFor([&] { return !desk->Describe(main.id)->viewable; }));
    EXPECT_FALSE(desk->Describe(main.id)->iconic) << "hidden to the tray, not minimised";
    for (const Window& w : glued) EXPECT_TRUE(Desktop::WaitFor([&] { return !desk->Describe(w.id)->viewable; }));

    const std::optional<Window> icon = desk->Describe(desk->TrayIconOfPlayer());
    ASSERT_TRUE(icon);
    ASSERT_TRUE(desk->Click(icon->place.center()));
    EXPECT_TRUE(Desktop::WaitFor([&] { return Shown(*desk, main.id); })) << "the tray icon brings it back";
    for (const Window& w : glued) EXPECT_TRUE(Desktop::WaitFor([&] { return Shown(*desk, w.id); }));
}

INSTANTIATE_TEST_SUITE_P(WindowManager, DesktopTray, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Openbox" : "NoWindowManager"; });

class DesktopVideo : public desktop::DesktopTest {
protected:
    // Plays a test video; the video window shows in normal size.
    Window PlayVideo() {
        const QString clip = MakeMedia(desk->Folder(), "clip", MediaKind::Mp4Video, 30.0);
        EXPECT_FALSE(clip.isEmpty());
        // The window opens at its kept place, where normal size brings it back.
        EXPECT_TRUE(desk->StartPlayer({clip}, "AV_L=200\r\nAV_T=150\r\n")) << desk->Error().toStdString();
        std::optional<Window> video;
        EXPECT_TRUE(Desktop::WaitFor([&] {
            video = desk->VideoWindow();
            return video && video->viewable && video->place.size() == QSize(320 + 14, 240 + 20);
        })) << Text(video ? video->place : QRect());
        return video.value_or(Window{});
    }

    bool Above(unsigned long window, unsigned long other) const {
        const std::vector<unsigned long> list = desk->ManagedStacking();
        const auto a = std::find(list.begin(), list.end(), window), b = std::find(list.begin(), list.end(), other);
        return a != list.end() && b != list.end() && a > b;
    }
};

TEST_F(DesktopVideo, FullScreenAndDesktopSizeUnderOpenboxTakeTheirPlacesAndComeBack) {
    Up({.windowManager = true, .tray = true});
    const Window video = PlayVideo();
    ASSERT_NE(video.id, 0u);
    const QRect before = video.place;
    ASSERT_EQ(before.topLeft(), QPoint(200, 150));
    const QSize screen = desk->ScreenSize();
    const unsigned long panel = desk->TrayWindow();

    // A double click on the title strip: the frame goes off the screen, the picture fills it.
    ASSERT_TRUE(desk->DoubleClick(before.topLeft() + QPoint(40, 6)));
    const QRect full(-7, -15, screen.width() + 14, screen.height() + 20);
    EXPECT_TRUE(Desktop::WaitFor([&] { return Place(video.id) == full; })) << Text(Place(video.id));
    EXPECT_TRUE(Desktop::WaitFor([&] { return Above(video.id, panel); })) << "the panel does not cover it";
    Shot("video-full-screen-openbox");

    // Normal size (Escape in the video window) returns to the place it had.
    ASSERT_TRUE(desk->Key("Escape"));
    EXPECT_TRUE(Desktop::WaitFor([&] { return Place(video.id) == before; })) << Text(Place(video.id));

    // Desktop size through menu 2 (a right click on the picture): the fifth item.
    ASSERT_TRUE(desk->Click(before.center(), 3));
    // The menu opens after a short delay: keys typed before it would go to the video window.
    ASSERT_TRUE(Desktop::WaitFor([&] {
        return desk->PopupWindow().has_value();
    })) << "menu 2 opens";
    ASSERT_TRUE(desk->Key("Down Down Down Down Down Return"));
    EXPECT_TRUE(Desktop::WaitFor([&] { return Place(video.id) == QRect(QPoint(0, 0), screen); })) << Text(Place(video.id));
    EXPECT_TRUE(Desktop::WaitFor([&] { return Above(video.id, panel); }));
    ASSERT_TRUE(desk->Key("Escape"));
    EXPECT_TRUE(Desktop::WaitFor([&] { return Place(video.id) == before; })) << Text(Place(video.id));
}

class DesktopDrag : public desktop::DesktopTest {};

TEST_F(DesktopDrag, TheMainWindowTakesItsGluedWindowsAlongUnderOpenbox) {
    Up({.windowManager = true});
    ASSERT_TRUE(desk->StartPlayer({})) << desk->Error().toStdString();
    const Window main = *desk->MainWindow();
    const std::vector<Window> glued = GluedTo(main, desk->GluedWindows());
    ASSERT_FALSE(glued.empty());
    const QPoint by(150, 90);
    ASSERT_TRUE(desk->Drag(main.place.topLeft() + QPoint(100, 7), main.place.topLeft() + QPoint(100, 7) + by));
    EXPECT_TRUE(Desktop::WaitFor([&] { return Place(main.id) == main.place.translated(by); })) << Text(Place(main.id));
    for (const Window& w : glued)
        EXPECT_TRUE(Desktop::WaitFor([&] { return Place(w.id) == w.place.translated(by); }))
            << Text(w.place) << " became " << Text(Place(w.id));
}

}  // namespace
