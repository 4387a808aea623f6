// A main window over a private install folder with a MenuPlus.ini the test writes, and command
// targets that record what the dispatcher asked of them.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <functional>

#include "platform/message_box.h"
#include "platform/text_file.h"
#include "player/app/form1.h"
#include "player/commands/menu.h"
#include "player/display/display.h"
#include "player/core/ctrl.h"
#include "tests/test_support.h"

class RecordingTargets : public TCommandTargets {
public:
    explicit RecordingTargets(QStringList* calls) : calls_(calls) {}
    void ShowSettingsPage(int page) override { *calls_ << QStringLiteral("settings %1").arg(page); }
    void ShowAbout() override {
        *calls_ << QStringLiteral("about");
        if (DuringAbout) DuringAbout();
    }
    void OpenAddress() override { *calls_ << QStringLiteral("address"); }
    void AddToFavourites(const QString& title) override { *calls_ << QStringLiteral("favourite ") + title; }
    void SetVideoBounds(const QRect& r) override {
        *calls_ << QStringLiteral("bounds %1 %2 %3 %4").arg(r.left()).arg(r.top()).arg(r.width()).arg(r.height());
    }
    void AnimateToTray(QWidget*, bool hide) override { *calls_ << (hide ? u"to tray"_qs : u"from tray"_qs); }
    bool LyricsLoaded() const override { return Lyrics; }
    bool FrameEngineExists() const override { return FrameEngine; }
    int FrameEngineVideoWidth() const override { return FrameWidth; }
    QString FrameEngineExtension() const override { return Extension; }
    // The other operations, kept apart so the lists above stay as the older tests expect them.
    void SetWindowsOnTop(bool onTop) override { Also << QStringLiteral("on top %1").arg(onTop); }
    void ClickRegion(const QString& name) override { Also << QStringLiteral("click ") + name; }
    void HideTaskbar(bool hide) override { Also << QStringLiteral("taskbar hidden %1").arg(hide); }
    void LoadLyrics() override { Also << QStringLiteral("load lyrics"); }
    void SetLyricsLiteral(bool on) override { Also << QStringLiteral("literal %1").arg(on); }
    void SetRatePriority(bool grabber) override { Also << QStringLiteral("grabber %1").arg(grabber); }
    void SetAudioMode(int mode) override { Also << QStringLiteral("audio mode %1").arg(mode); }
    void ReloadFrameFilters() override { Also << QStringLiteral("filters"); }
    bool PickFolder(const QString& startFolder, const QString& caption) override {
        Also << QStringLiteral("folder %1 %2").arg(startFolder, caption);
        return false;
    }
    void ShowFileInformation() override { Also << QStringLiteral("file information"); }
    QStringList Also;
    std::function<void()> DuringAbout;
    bool Lyrics = false;
    bool FrameEngine = false;
    int FrameWidth = 0;
    QString Extension;

private:
    QStringList* calls_;
};

class MenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_.write("Plugins/FilePlus.ini", "[decode_setup]\r\nDECODE0=*.mp3;*.wav\r\n");
        form_ = new TForm1(dir_.path() + "/");
        auto targets = std::make_unique<RecordingTargets>(&calls_);
        targets_ = targets.get();
        Ctrl->Menu->SetTargets(std::move(targets));
        platform::SetMessageRecorder([this](const QString& text, const QString&, platform::MessageIcon) {
            messages_ << text;
        });
    }
    void TearDown() override {
        form_->QuietClose = true;
        form_->close();
        delete form_;
        platform::SetMessageRecorder({});
    }
    void WriteMenus(const QStringList& lines) const { WriteLines("Plugins/MenuPlus.ini", lines); }
    // The browser window is built after the main window's first paint.
    static void WaitForBrowser() {
        for (int i = 0; i < 500 && !Form5; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        ASSERT_TRUE(Form5);
    }
    void WriteLines(const QString& name, const QStringList& lines) const {
        dir_.write(name, "");
        ASSERT_TRUE(platform::WriteTextLines(dir_.file(name), lines));
    }
    // The object names of a menu's items, in order.
    static QStringList Names(const QMenu* menu) {
        QStringList names;
        if (menu)
            for (const QAction* action : menu->actions()) names << action->objectName();
        return names;
    }
    static QAction* Find(const QMenu* menu, const QString& name) {
        for (QAction* action : menu->findChildren<QAction*>(name)) return action;
        for (QMenu* sub : menu->findChildren<QMenu*>())
            for (QAction* action : sub->actions())
                if (action->objectName() == name) return action;
        return nullptr;
    }

    testing_support::TempFolder dir_;
    TForm1* form_ = nullptr;
    RecordingTargets* targets_ = nullptr;
    QStringList calls_;
    QStringList messages_;
};
