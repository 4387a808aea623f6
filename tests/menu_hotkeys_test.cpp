// The hotkey table: key texts, which lines define hotkeys, window scopes, the key handler of the
// skinned windows, and a failed read.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>

#include "player/display/display.h"
#include "player/video/form4.h"
#include "tests/menu_test_support.h"

TEST(HotkeyText, ModifiersInAnyCaseAndOrderThenTheKeyName) {
    EXPECT_EQ(HotkeyKeyText(u"Ctrl+F5"_qs), u"001F5"_qs);
    EXPECT_EQ(HotkeyKeyText(u"Shift+PageUp"_qs), u"100PAGEUP"_qs);
    EXPECT_EQ(HotkeyKeyText(u"shift+ctrl+a"_qs), u"101A"_qs);
    EXPECT_EQ(HotkeyKeyText(u"Alt+Shift+Ctrl+Delete"_qs), u"111DELETE"_qs);
    EXPECT_EQ(HotkeyKeyText(u"Ctrl++"_qs), u"001+"_qs);
    EXPECT_EQ(HotkeyKeyText(u"+"_qs), u"000+"_qs);
    EXPECT_EQ(HotkeyKeyText(u"Ctrl+"_qs), u"001CTRL+"_qs) << "a lone modifier stays as a name no key has";
    EXPECT_EQ(HotkeyKeyText(QString()), u"000"_qs);
}

TEST_F(MenuTest, OnlyLinesWithAHotkeyEnterTheTable) {
    WriteMenus({u"  0.21=音量加#↑%1  "_qs, u"1.20=-#F3-"_qs, u"1.31=打开"_qs, u"=x#F4"_qs, u"1.121=停止#Ctrl+S"_qs,
                u"1.111=暂停#%10011"_qs, u"1.91=上一首#Z%"_qs});
    LoadHotkeys();
    ASSERT_NE(Ctrl->Hotkeys, nullptr);
    EXPECT_EQ(*Ctrl->Hotkeys, (QStringList{u"0.2"_qs, u"1%0000"_qs, u"000↑"_qs,
                                           u"1.12"_qs, u"0000"_qs, u"001S"_qs,
                                           u"1.11"_qs, u"10011%0000"_qs, u"000"_qs,
                                           u"1.9"_qs, u"%0000"_qs, u"000Z"_qs}));
}

TEST_F(MenuTest, OneKeyRunsEachWindowsOwnCommandOnce) {
    WriteMenus({u"1.11=关于#Ctrl+K%1"_qs, u"1.61=网址#Ctrl+K%01"_qs, u"1.241=设置#Ctrl+K%11"_qs});
    form_->show();
    ASSERT_TRUE(PlaylistWindow);
    SkinKeyDown(form_, 'K', false, false, true);
    EXPECT_EQ(calls_, QStringList{u"about"_qs});
    calls_.clear();
    SkinKeyDown(PlaylistWindow, 'K', false, false, true);
    EXPECT_EQ(calls_, QStringList{u"address"_qs});
    calls_.clear();
    SkinKeyDown(EqualizerWindow, 'K', false, false, true);
    SkinKeyDown(form_, 'K', true, false, true);
    SkinKeyDown(form_, 'K', false, false, false);
    EXPECT_TRUE(calls_.isEmpty());
}

TEST_F(MenuTest, KeypadAndMainDigitsShareTheirNamesThroughTheKeyHook) {
    WriteMenus({u"1.11=关于#Ctrl+5%1"_qs, u"1.61=网址#%1"_qs});
    QKeyEvent keypad(QEvent::KeyPress, Qt::Key_5, Qt::ControlModifier | Qt::KeypadModifier);
    QApplication::sendEvent(form_, &keypad);
    QKeyEvent main(QEvent::KeyPress, Qt::Key_5, Qt::ControlModifier);
    QApplication::sendEvent(form_, &main);
    EXPECT_EQ(calls_, (QStringList{u"about"_qs, u"about"_qs}));
    calls_.clear();
    // A key without a name matches nothing, not even a line whose hotkey names no key.
    QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier);
    QApplication::sendEvent(form_, &space);
    QKeyEvent shift(QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier);
    QApplication::sendEvent(form_, &shift);
    QKeyEvent media(QEvent::KeyPress, Qt::Key_VolumeUp, Qt::NoModifier);
    QApplication::sendEvent(form_, &media);
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QApplication::sendEvent(form_, &tab);
    EXPECT_EQ(SkinKeyDown(form_, 9, false, false, true), false);
    EXPECT_TRUE(calls_.isEmpty()) << calls_.join(u' ').toStdString();
}

TEST_F(MenuTest, AFailedReadKeepsNoTableSoTheNextKeyTriesAgain) {
    SkinKeyDown(form_, 'K', false, false, true);
    EXPECT_EQ(Ctrl->Hotkeys, nullptr);
    EXPECT_EQ(messages_.size(), 1);
    WriteMenus({u"1.11=关于#Ctrl+K%1"_qs});
    SkinKeyDown(form_, 'K', false, false, true);
    EXPECT_EQ(calls_, QStringList{u"about"_qs});
}

// A missing file is said once, not at every key; keys wait for the file without a box and work
// again once it is back.
TEST_F(MenuTest, AMissingFileIsSaidOnceAndKeysWaitForItsReturn) {
    form_->show();
    ASSERT_TRUE(PlaylistWindow);
    for (QWidget* window : {static_cast<QWidget*>(form_), PlaylistWindow.data(), static_cast<QWidget*>(form_)})
        EXPECT_FALSE(SkinKeyDown(window, 'K', false, false, true));
    EXPECT_EQ(messages_.size(), 1) << "one box for the missing file, not one per key";
    WriteMenus({u"1.11=关于#Ctrl+K%11"_qs});
    EXPECT_TRUE(SkinKeyDown(PlaylistWindow, 'K', false, false, true)) << "the file came back";
    EXPECT_EQ(calls_, QStringList{u"about"_qs});
    EXPECT_EQ(messages_.size(), 1);

    // Gone again after the hotkey editor dropped the table: a new spell, one box again.
    ASSERT_TRUE(QFile::remove(dir_.file(u"Plugins/MenuPlus.ini"_qs)));
    Ctrl->Hotkeys.reset();
    SkinKeyDown(form_, 'K', false, false, true);
    SkinKeyDown(form_, 'K', false, false, true);
    EXPECT_EQ(messages_.size(), 2);
    // A file that is there but cannot be read is said once too.
    ASSERT_TRUE(QDir().mkpath(dir_.file(u"Plugins/MenuPlus.ini"_qs)));
    SkinKeyDown(form_, 'K', false, false, true);
    SkinKeyDown(PlaylistWindow, 'K', false, false, true);
    EXPECT_EQ(messages_.size(), 3);
}

TEST_F(MenuTest, TheVideoWindowsCreationSaysTheFileIsMissing) {
    Ctrl->Display->BuildVideoWindow(true);
    ASSERT_TRUE(Form4);
    EXPECT_EQ(messages_.size(), 1) << "the file-open error, at creation";
    EXPECT_TRUE(Form4->PopupMenu1->actions().isEmpty());
    SkinKeyDown(Form4, 'K', false, false, true);
    EXPECT_EQ(messages_.size(), 1) << "the keys do not say it again";
}

TEST_F(MenuTest, KeysOfOtherWindowsAndTextBoxesAreNoHotkeys) {
    WriteMenus({u"1.11=关于#K%11111"_qs});
    QWidget stranger;
    QKeyEvent key(QEvent::KeyPress, Qt::Key_K, Qt::NoModifier);
    QApplication::sendEvent(&stranger, &key);
    form_->show();
    WaitForBrowser();
    Form5->activateWindow();
    Form5->Edit1->setFocus();
    QApplication::processEvents();
    if (QApplication::focusWidget() != Form5->Edit1) GTEST_SKIP() << "this platform gives no focus";
    QApplication::sendEvent(Form5->Edit1, &key);
    EXPECT_TRUE(calls_.isEmpty());
    Form5->Edit1->clearFocus();
    QApplication::sendEvent(Form5, &key);
    EXPECT_EQ(calls_, QStringList{u"about"_qs});
}

TEST_F(MenuTest, ClosingTheBrowserFromItsOwnKeyHidesItNowAndFreesItLater) {
    WriteMenus({u"1.221=电台浏览器#Alt+B%00001"_qs});
    form_->show();
    WaitForBrowser();
    QPointer<QWidget> browser = Form5.data();
    // The key reaches the browser itself, not a text box of it.
    if (QApplication::focusWidget()) QApplication::focusWidget()->clearFocus();
    QKeyEvent key(QEvent::KeyPress, Qt::Key_B, Qt::AltModifier);
    QApplication::sendEvent(browser, &key);
    ASSERT_TRUE(browser) << "never deleted inside its own key handler";
    EXPECT_FALSE(browser->isVisible());
    EXPECT_FALSE(Form5);
    EXPECT_FALSE(Ctrl->ReadBool(u"MB_Open"_qs, true));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(browser);
}
