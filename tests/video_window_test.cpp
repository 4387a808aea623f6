// The video window: its shortcut items, the title-band double click, the right press on the
// renderer's window, the panels kept below it while it fills the screen, and a stop from inside.
#include <gtest/gtest.h>

#include <QtCore/qtestsupport_core.h>

#include <QApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include "platform/text_file.h"
#include "platform/tray_icon.h"
#include "player/app/form1.h"
#include "player/actions/placement.h"
#include "player/commands/menu.h"
#include <QMenu>
#include "player/core/ctrl.h"
#include "player/display/display.h"
#include "player/lyrics/lrc_ctrl.h"
#include "player/playlist/playlist_box.h"
#include "player/playback/run.h"
#include "player/video/form4.h"
#include "player/video/video_taskbar.h"
#include "tests/test_support.h"

namespace {

class VideoWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_.write("Plugins/MenuPlus.ini", "");
        ASSERT_TRUE(platform::WriteTextLines(dir_.file("Plugins/MenuPlus.ini"),
                                             {u"1.124=停止#V%11110"_qs, u"0.21=音量增大#↑%10010"_qs,
                                              u"1.161=播放列表#Alt+E%11101"_qs, u"0.131=下翻一页#PageDown%01000"_qs,
                                              u"1.14=总在最前"_qs, u"2.22=全屏#Ctrl+F%00010"_qs}));
        form_ = new TForm1(dir_.path() + "/");
        Ctrl->Display->BuildVideoWindow(true);
        ASSERT_TRUE(Form4);
    }
    void TearDown() override {
        form_->QuietClose = true;
        form_->close();
        delete form_;
    }
    static QStringList Items() {
        QStringList items;
        for (const QAction* item : Form4->PopupMenu1->actions())
            items << item->text() + u' ' + item->shortcut().toString(QKeySequence::PortableText);
        return items;
    }
    static void DoubleClick(const QPoint& global) {
        QMouseEvent click(QEvent::MouseButtonDblClick, global - Form4->pos(), global, Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(Form4, &click);
    }

    testing_support::TempFolder dir_;
    TForm1* form_ = nullptr;
};

TEST_F(VideoWindowTest, ShortcutItemsComeFromTheLinesValidInTheVideoWindow) {
    const QStringList expected{u"1.12 V"_qs, u"0.2 "_qs, u"2.2 Ctrl+F"_qs};
    EXPECT_EQ(Items(), expected) << "an arrow has no shortcut and is left to the key handler";
    Form4->BuildPopupMenu();
    EXPECT_EQ(Items(), expected) << "a rebuild replaces the items";
    EXPECT_EQ(Form4->actions().size(), 3) << "the window carries the shortcuts";
    Form4->close();
    EXPECT_TRUE(Form4->PopupMenu1->actions().isEmpty()) << "closing empties the shortcut menu";
}

TEST_F(VideoWindowTest, DoubleClickInTheTitleBandFillsTheScreen) {
    Form4->setGeometry(100, 100, 300, 200);
    Ctrl->WriteInteger(u"ScreenMode"_qs, 1);
    DoubleClick({150, 120});
    EXPECT_EQ(Ctrl->ReadInteger(u"ScreenMode"_qs, 0), 1) << "20 pixels below the top is not the band";
    DoubleClick({395, 105});
    EXPECT_EQ(Ctrl->ReadInteger(u"ScreenMode"_qs, 0), 1) << "the rightmost 11 pixels are not the band";
    DoubleClick({150, 105});
    EXPECT_EQ(Ctrl->ReadInteger(u"ScreenMode"_qs, 0), 3);
    EXPECT_EQ(video_taskbar::Holder(), Form4.data()) << "full screen keeps the panels below the window";
    Ctrl->Menu->Execute(u"2.3"_qs);
    EXPECT_EQ(video_taskbar::Holder(), nullptr);
    EXPECT_FALSE(Form4->windowState() & Qt::WindowFullScreen);
}

TEST_F(VideoWindowTest, ARightPressOnTheRendererWindowStartsTheMenuDelay) {
    auto* renderer = new QWidget(Form4);
    renderer->setAttribute(Qt::WA_NativeWindow);
    Form4->show();
    renderer->show();
    EXPECT_EQ(renderer->objectName(), u"VideoRenderer"_qs);
    const auto press = [renderer](Qt::MouseButton button) {
        QMouseEvent event(QEvent::MouseButtonPress, QPointF(5, 5), renderer->mapToGlobal(QPointF(5, 5)), button,
                          button, Qt::NoModifier);
        QApplication::sendEvent(renderer, &event);
    };
    press(Qt::LeftButton);
    EXPECT_FALSE(Form4->Timer1->isActive());
    press(Qt::RightButton);
    EXPECT_TRUE(Form4->Timer1->isActive());
    Form4->Timer1->stop();
}

TEST_F(VideoWindowTest, ARightPressOpensMenuTwoOnlyInsideTheFrame) {
    Form4->show();  // which sizes it in its screen mode
    Form4->setGeometry(100, 80, 300, 200);
    const int w = Form4->width(), h = Form4->height();
    QMenu* menu = Ctrl->Menu->PopupMenu(2);
    ASSERT_TRUE(menu);
    // The picture lies strictly inside 6 pixels left and right, 14 at the top, 4 at the bottom.
    struct Case {
        QPoint at;  // in the window
        bool menu;
    };
    const Case cases[] = {{{7, 100}, true},      {{6, 100}, false},      {{w - 7, 100}, true}, {{w - 6, 100}, false},
                          {{150, 15}, true},     {{150, 14}, false},     {{150, h - 5}, true}, {{150, h - 4}, false}};
    for (const Case& c : cases) {
        menu->hide();
        const QPoint global = Form4->mapToGlobal(c.at);
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(c.at), QPointF(c.at), QPointF(global), Qt::RightButton,
                          Qt::RightButton, Qt::NoModifier);
        QApplication::sendEvent(Form4->windowHandle(), &press);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(c.at), QPointF(c.at), QPointF(global),
                            Qt::RightButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(Form4->windowHandle(), &release);
        EXPECT_EQ(menu->isVisible(), c.menu) << c.at.x() << "," << c.at.y();
    }
    menu->hide();
}

TEST_F(VideoWindowTest, TrayClicksBringTheWindowBackOrOpenTheMenuAfterTheDelay) {
    Form4->show();
    // Sent to the tray: the window hides and keeps its icon.
    AnimateToTray(true, Form4);
    ASSERT_FALSE(Form4->isVisible());
    ASSERT_TRUE(Form4->TrayIcon().IsAdded());
    Form4->TrayIcon().Press(512);
    EXPECT_FALSE(Form4->isVisible()) << "a move over the icon does nothing";
    EXPECT_FALSE(Form4->Timer1->isActive());
    QMenu* menu = Ctrl->Menu->PopupMenu(2);
    ASSERT_TRUE(menu);
    Form4->TrayIcon().Press(platform::kTrayRightButtonDown);
    EXPECT_TRUE(Form4->Timer1->isActive()) << "the right button starts the delay";
    EXPECT_FALSE(menu->isVisible()) << "not at once";
    QTest::qWaitFor([&] { return menu->isVisible(); }, 2000);
    EXPECT_TRUE(menu->isVisible()) << "menu 2 after the delay";
    EXPECT_FALSE(Form4->Timer1->isActive());
    EXPECT_FALSE(Form4->isVisible());
    menu->hide();
    Form4->TrayIcon().Press(platform::kTrayLeftButtonDown);
    EXPECT_TRUE(Form4->isVisible()) << "the left button brings it back";
}

TEST_F(VideoWindowTest, ShowingAfterFullScreenComesBackInNormalSize) {
    Ctrl->Run->VideoWidth = 200;
    Ctrl->Run->VideoHeight = 100;
    Ctrl->WriteInteger(u"ScreenMode"_qs, 3);
    Form4->show();
    EXPECT_EQ(Ctrl->ReadInteger(u"ScreenMode"_qs, 0), 1);
    EXPECT_EQ(Form4->size(), QSize(214, 120));
}

TEST_F(VideoWindowTest, TheWindowLeavesTheTaskbarOnlyWhereATrayCanBringItBack) {
    platform::SetTrayAvailable(false);
    {
        TForm4 window;
        EXPECT_NE(window.windowType(), Qt::Tool) << "with no tray the window keeps its taskbar entry";
    }
    platform::SetTrayAvailable(true);
    TForm4 window;
    EXPECT_EQ(window.windowType(), Qt::Tool);
}

TEST_F(VideoWindowTest, ActivationAtScreenSizeKeepsThePanelsBelowUntilDeactivated) {
    const QSize screen = QGuiApplication::primaryScreen()->size();
    Form4->show();
    Form4->setGeometry(QRect(QPoint(0, 0), screen));
    QApplication::setActiveWindow(Form4);
    EXPECT_EQ(video_taskbar::Holder(), Form4.data());
    EXPECT_EQ(Form4->geometry(), QRect(QPoint(0, 0), screen)) << "the place stays as the screen mode set it";
    QApplication::setActiveWindow(form_);
    EXPECT_EQ(video_taskbar::Holder(), nullptr);
    Form4->setGeometry(10, 10, 300, 200);
    QApplication::setActiveWindow(Form4);
    EXPECT_EQ(video_taskbar::Holder(), nullptr) << "a window that does not fill the screen leaves the panels";
}

// Window managers give a window in the full-screen state the monitor's rectangle: full screen
// keeps its own place, the frame off the screen, and stays above the panels another way.
TEST_F(VideoWindowTest, FullScreenTakesItsOwnPlaceAboveThePanelsAndNormalSizeGoesBack) {
    Ctrl->Run->VideoWidth = 200;
    Ctrl->Run->VideoHeight = 100;
    Form4->show();
    Ctrl->Menu->Execute(u"2.3"_qs);
    Form4->move(120, 80);
    const QRect desktop = QGuiApplication::primaryScreen()->virtualGeometry();
    Ctrl->Menu->Execute(u"2.2"_qs);
    EXPECT_EQ(Form4->geometry(), QRect(desktop.left() - 7, desktop.top() - 15, desktop.width() + 14, desktop.height() + 20));
    EXPECT_FALSE(Form4->windowState() & Qt::WindowFullScreen) << "the full-screen state would move the frame on";
    ASSERT_TRUE(Form4->windowHandle());
    EXPECT_TRUE(Form4->windowHandle()->flags() & Qt::WindowStaysOnTopHint) << "above the panels";
    EXPECT_TRUE(Form4->isVisible());
    Ctrl->Menu->Execute(u"2.3"_qs);
    EXPECT_EQ(Form4->geometry(), QRect(120, 80, 214, 120));
    EXPECT_FALSE(Form4->windowHandle()->flags() & Qt::WindowStaysOnTopHint);
}

// A stop hotkey inside the video window frees the window whose key handler is running.
TEST_F(VideoWindowTest, AStopFromItsOwnKeyHidesAtOnceAndFreesAfterTheHandler) {
    Form4->show();
    ASSERT_TRUE(Form4->TrayIcon().IsAdded()) << "shown, it holds a tray icon";
    Form4->HideTaskbar(true);
    QPointer<TForm4> window = Form4.data();
    Ctrl->Run->VideoOpen = true;
    QKeyEvent key(QEvent::KeyPress, Qt::Key_V, Qt::NoModifier, u"v"_qs);
    Form4->Edit1->setFocus();
    QApplication::sendEvent(window->Edit1, &key);
    EXPECT_FALSE(Form4) << "the references are cleared by the stop";
    ASSERT_TRUE(window) << "the window outlives the handler that freed it";
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->TrayIcon().IsAdded()) << "the hide removed its tray icon";
    EXPECT_EQ(video_taskbar::Holder(), nullptr) << "the panels come back when the window hides";
    EXPECT_FALSE(window->windowState() & Qt::WindowFullScreen);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(window);
}

TEST_F(VideoWindowTest, LyricsSizeTheWindowInTheStoredScreenMode) {
    dir_.write("song.lrc", "[00:01]first line\r\n[00:03]second line\r\n");
    ListBox1->SetItems({"<?" + dir_.file("song.mp3") + "?>"});
    Ctrl->Run->Index = 0;
    Ctrl->Run->Length = 10000;
    Ctrl->Run->LrcFileControl = u"11000"_qs;
    Ctrl->WriteInteger(u"ScreenMode"_qs, 2);
    Ctrl->Run->LoadLyrics();
    ASSERT_TRUE(Ctrl->Run->LrcCtrl && Form4);
    const QSize lyrics = Ctrl->Run->LrcCtrl->VideoSize();
    EXPECT_EQ(Form4->size(), QSize(lyrics.width() + 14, 2 * lyrics.height() + 20)) << "double size doubles the height";
}

}  // namespace

// Ending the program while the panels are kept below a window gives them back.
TEST(VideoTaskbar, QuitGivesThePanelsBack) {
    QWidget window;
    window.show();
    video_taskbar::HideTaskbar(&window, true);
    ASSERT_EQ(video_taskbar::Holder(), &window);
    // Kept above the panels, the window stays where the screen mode put it.
    EXPECT_TRUE(window.windowHandle()->flags() & Qt::WindowStaysOnTopHint);
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    QApplication::exec();
    EXPECT_EQ(video_taskbar::Holder(), nullptr);
    EXPECT_FALSE(window.windowHandle()->flags() & Qt::WindowStaysOnTopHint);
}
