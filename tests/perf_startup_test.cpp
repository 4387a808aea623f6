// The station browser is built after the main window's first paint, and not at all for a player
// that closes before it.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>

#include "player/app/form1.h"
#include "player/core/ctrl.h"
#include "player/display/display.h"
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

}  // namespace
