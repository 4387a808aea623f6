// The timed shutdown: the countdown by an injected clock, a stop that never powers off, a
// refused power-off told to the user, and the page of the settings dialog that shows the
// countdown, which goes on while the dialog is hidden or freed. The power-off is a recording fake
// throughout (and the real one is refused in test runs anyway).
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QEventLoop>
#include <QSlider>
#include <QTimer>
#include <optional>

#include "dialogs/shutdown_countdown.h"
#include "platform/message_box.h"
#include "platform/power_off.h"
#include "tests/settings_dialog_support.h"

namespace {

// A fake power-off, a manual clock and a message recorder around each test.
class PowerOffScope {
public:
    PowerOffScope() {
        auto fake = std::make_unique<platform::RecordingPowerOff>();
        fake_ = fake.get();
        previous_ = platform::SetPowerOffService(std::move(fake));
        platform::SetMessageRecorder([this](const QString& text, const QString& caption, platform::MessageIcon icon) {
            messages_ << caption + u'|' + text;
            icons_ << icon;
        });
    }
    ~PowerOffScope() {
        platform::SetMessageRecorder({});
        platform::SetPowerOffService(std::move(previous_));
    }
    TShutdownCountdown::Clock Clock() {
        return [this] { return now_; };
    }
    // Seconds pass, and the timer ticks once.
    void Pass(TShutdownCountdown& countdown, int seconds = 1) {
        now_ += qint64(seconds) * 1000;
        countdown.Tick();
    }
    platform::RecordingPowerOff* fake_ = nullptr;
    QStringList messages_;
    QList<platform::MessageIcon> icons_;
    qint64 now_ = 1'000'000;

private:
    std::unique_ptr<platform::PowerOffService> previous_;
};

void Drain() { QCoreApplication::processEvents(); }

class CountdownTest : public ::testing::Test {
protected:
    void SetUp() override { countdown_.SetClock(scope_.Clock()); }
    PowerOffScope scope_;
    TShutdownCountdown countdown_;
};

}  // namespace

TEST_F(CountdownTest, OneMinutePowersOffAtTheSixtiethTickAndOnlyOnce) {
    countdown_.Start(1);
    EXPECT_EQ(countdown_.Maximum(), 60);
    EXPECT_EQ(ShutdownLeftText(countdown_.Left(), true), "系统将在1分钟0秒钟后自动关闭计算机");
    for (int i = 0; i < 59; ++i) scope_.Pass(countdown_);
    EXPECT_EQ(countdown_.Left(), 1);
    EXPECT_EQ(ShutdownLeftText(countdown_.Left()), "系统将在1秒钟后自动关闭计算机");
    EXPECT_EQ(scope_.fake_->Requests, 0);
    scope_.Pass(countdown_);
    EXPECT_EQ(countdown_.CurrentState(), TShutdownCountdown::State::Requested);
    EXPECT_EQ(scope_.fake_->Requests, 1);
    scope_.Pass(countdown_, 30);
    Drain();
    EXPECT_EQ(scope_.fake_->Requests, 1) << "a stray tick after the total asks nothing more";
    EXPECT_TRUE(scope_.messages_.isEmpty()) << "an accepted power-off says nothing";
    EXPECT_TRUE(countdown_.Active()) << "the box stays checked";
}

TEST_F(CountdownTest, SecondsFollowTheClockNotTheNumberOfTicks) {
    countdown_.Start(2);
    scope_.now_ += 999;  // a tick a little early still counts its second
    countdown_.Tick();
    EXPECT_EQ(countdown_.Progress(), 1);
    scope_.Pass(countdown_, 45);  // the GUI thread was held up
    EXPECT_EQ(countdown_.Progress(), 46);
    EXPECT_EQ(ShutdownLeftText(countdown_.Left()), "系统将在1分钟14秒钟后自动关闭计算机");
    scope_.Pass(countdown_, 500);
    EXPECT_EQ(countdown_.Progress(), 120) << "never past the total";
    EXPECT_EQ(scope_.fake_->Requests, 1);
}

TEST_F(CountdownTest, AStoppedCountdownNeverPowersOffAndARestartCountsInFull) {
    countdown_.Start(1);
    for (int i = 0; i < 30; ++i) scope_.Pass(countdown_);
    countdown_.Stop();
    EXPECT_EQ(countdown_.Progress(), 0);
    scope_.Pass(countdown_, 120);
    Drain();
    EXPECT_EQ(scope_.fake_->Requests, 0);
    countdown_.Start(1);
    EXPECT_EQ(countdown_.Left(), 60) << "counted from the restart, not the first start";
    scope_.Pass(countdown_, 59);
    EXPECT_EQ(scope_.fake_->Requests, 0);
    scope_.Pass(countdown_);
    EXPECT_EQ(scope_.fake_->Requests, 1);
}

TEST_F(CountdownTest, ARefusedPowerOffIsToldAndTheCountdownGoesBackToOff) {
    scope_.fake_->Answer = {false, QStringLiteral("Interactive authentication required.")};
    countdown_.Start(1);
    scope_.Pass(countdown_, 60);
    ASSERT_EQ(scope_.fake_->Requests, 1);
    EXPECT_TRUE(scope_.messages_.isEmpty()) << "the answer comes from the event loop";
    Drain();
    ASSERT_EQ(scope_.messages_.size(), 1);
    EXPECT_EQ(scope_.messages_[0], "定时关机|无法关闭计算机：Interactive authentication required.  ");
    EXPECT_EQ(scope_.icons_[0], platform::MessageIcon::Warning);
    EXPECT_FALSE(countdown_.Active());
    EXPECT_EQ(countdown_.Progress(), 0);
}

TEST_F(CountdownTest, ALateRefusalOfAnEarlierRequestLeavesANewCountdownRunning) {
    scope_.fake_->Answer = {false, QStringLiteral("denied")};
    countdown_.Start(1);
    scope_.Pass(countdown_, 60);
    countdown_.Stop();  // the user unchecked the box before the answer came
    countdown_.Start(2);
    Drain();
    EXPECT_EQ(scope_.messages_.size(), 1) << "the refusal is still told";
    EXPECT_EQ(countdown_.CurrentState(), TShutdownCountdown::State::Counting);
}

TEST(PowerOffService, TheRealRequestIsRefusedInTestRunsAndAnsweredLater) {
    // The shared test main sets the guard; without it this test would ask logind for real.
    ASSERT_TRUE(qEnvironmentVariableIsSet("VELMORA_NO_POWER_OFF"));
    auto previous = platform::SetPowerOffService(nullptr);
    QObject context;
    int answers = 0;
    platform::PowerOffAnswer got;
    platform::PowerOff().Request(&context, [&](const platform::PowerOffAnswer& a) {
        ++answers;
        got = a;
    });
    EXPECT_EQ(answers, 0) << "never inside the call";
    for (int i = 0; i < 5; ++i) Drain();  // each way tried answers from the event loop
    EXPECT_EQ(answers, 1);
    EXPECT_FALSE(got.accepted);
    EXPECT_FALSE(got.error.isEmpty());
    platform::SetPowerOffService(std::move(previous));
}

TEST(PowerOffService, AnAnswerForAContextThatIsGoneIsDropped) {
    platform::RecordingPowerOff fake;
    int answers = 0;
    {
        QObject context;
        fake.Request(&context, [&](const platform::PowerOffAnswer&) { ++answers; });
    }
    Drain();
    EXPECT_EQ(fake.Requests, 1);
    EXPECT_EQ(answers, 0);
}

namespace {

// A way of switching off that notes its name in a shared log when asked.
class LoggedWay : public platform::RecordingPowerOff {
public:
    LoggedWay(QString name, QStringList* log, platform::PowerOffAnswer answer) : name_(std::move(name)), log_(log) {
        Answer = std::move(answer);
    }
    void Request(QObject* context, platform::PowerOffDone done) override {
        *log_ << name_;
        RecordingPowerOff::Request(context, std::move(done));
    }

private:
    QString name_;
    QStringList* log_;
};

struct FallbackRun {
    QStringList asked;
    int answers = 0;
    platform::PowerOffAnswer got;
};

// Runs a fall-back of the interactive way and the forced way with the given answers.
FallbackRun RunFallback(const platform::PowerOffAnswer& interactive, const platform::PowerOffAnswer& forced) {
    FallbackRun run;
    platform::FallbackPowerOff service({std::make_shared<LoggedWay>("interactive", &run.asked, interactive),
                                        std::make_shared<LoggedWay>("forced", &run.asked, forced)});
    QObject context;
    service.Request(&context, [&run](const platform::PowerOffAnswer& a) {
        ++run.answers;
        run.got = a;
    });
    EXPECT_EQ(run.answers, 0) << "never inside the call";
    for (int i = 0; i < 5; ++i) Drain();
    return run;
}

// Waits for a command's answer.
platform::PowerOffAnswer RunCommand(const QString& program, const QStringList& arguments) {
    platform::CommandPowerOff command(program, arguments);
    QObject context;
    std::optional<platform::PowerOffAnswer> got;
    QEventLoop loop;
    command.Request(&context, [&got, &loop](const platform::PowerOffAnswer& a) {
        got = a;
        loop.quit();
    });
    EXPECT_FALSE(got) << "never inside the call";
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);  // only a hung command gets this far
    if (!got) loop.exec();
    return got.value_or(platform::PowerOffAnswer{false, QStringLiteral("no answer")});
}

}  // namespace

TEST(PowerOffFallback, ARefusedPowerOffFallsBackToTheForcedOne) {
    const FallbackRun run = RunFallback({false, "Interactive authentication required."}, {true, {}});
    EXPECT_EQ(run.asked, QStringList({"interactive", "forced"}));
    EXPECT_EQ(run.answers, 1);
    EXPECT_TRUE(run.got.accepted);
}

TEST(PowerOffFallback, AnAcceptedPowerOffIsNotForced) {
    const FallbackRun run = RunFallback({true, {}}, {true, {}});
    EXPECT_EQ(run.asked, QStringList({"interactive"}));
    EXPECT_TRUE(run.got.accepted);
}

TEST(PowerOffFallback, WhenTheForcedOneFailsTooBothReasonsAreHandedBack) {
    const FallbackRun run = RunFallback({false, "Access denied"}, {false, "Call to PowerOff failed"});
    EXPECT_EQ(run.asked, QStringList({"interactive", "forced"}));
    EXPECT_EQ(run.answers, 1);
    EXPECT_FALSE(run.got.accepted);
    EXPECT_EQ(run.got.error, "Access denied\nCall to PowerOff failed");
}

TEST(PowerOffFallback, TheSystemTriesLogindFirstThenTheForcedPowerOffAndTestRunsReachNeither) {
    ASSERT_TRUE(qEnvironmentVariableIsSet("VELMORA_NO_POWER_OFF"));
    auto previous = platform::SetPowerOffService(nullptr);
    QObject context;
    platform::PowerOffAnswer got{true, {}};
    platform::PowerOff().Request(&context, [&](const platform::PowerOffAnswer& a) { got = a; });
    for (int i = 0; i < 5; ++i) Drain();
    EXPECT_FALSE(got.accepted);
    EXPECT_EQ(got.error, "logind PowerOff: VELMORA_NO_POWER_OFF is set\n"
                         "systemctl poweroff -i: VELMORA_NO_POWER_OFF is set");
    platform::SetPowerOffService(std::move(previous));
}

TEST(PowerOffFallback, TheForcedCommandIsJudgedByItsExitCodeAndToldWhyItFailed) {
    EXPECT_TRUE(RunCommand("sh", {"-c", "exit 0"}).accepted);
    const platform::PowerOffAnswer refused = RunCommand("sh", {"-c", "echo 'Access denied' >&2; exit 1"});
    EXPECT_FALSE(refused.accepted);
    EXPECT_EQ(refused.error, "Access denied");
    const platform::PowerOffAnswer silent = RunCommand("sh", {"-c", "exit 3"});
    EXPECT_FALSE(silent.accepted);
    EXPECT_EQ(silent.error, "sh 退出码 3");
    const platform::PowerOffAnswer missing = RunCommand("/nonexistent/velmora-poweroff", {});
    EXPECT_FALSE(missing.accepted);
    EXPECT_FALSE(missing.error.isEmpty());
}

TEST_F(CountdownTest, WhenTheForcedPowerOffFailsTooTheUserIsToldBothReasons) {
    QStringList asked;
    auto fallback = std::make_unique<platform::FallbackPowerOff>(std::vector<std::shared_ptr<platform::PowerOffService>>{
        std::make_shared<LoggedWay>("interactive", &asked, platform::PowerOffAnswer{false, "Access denied"}),
        std::make_shared<LoggedWay>("forced", &asked, platform::PowerOffAnswer{false, "Call to PowerOff failed"})});
    auto recording = platform::SetPowerOffService(std::move(fallback));
    countdown_.Start(1);
    scope_.Pass(countdown_, 60);
    for (int i = 0; i < 5; ++i) Drain();
    EXPECT_EQ(asked, QStringList({"interactive", "forced"}));
    ASSERT_EQ(scope_.messages_.size(), 1);
    EXPECT_EQ(scope_.messages_[0], "定时关机|无法关闭计算机：Access denied\nCall to PowerOff failed  ");
    EXPECT_FALSE(countdown_.Active());
    platform::SetPowerOffService(std::move(recording));
}

namespace {

class ShutdownPageTest : public SettingsDialogFixture {
protected:
    void SetUp() override {
        SettingsDialogFixture::SetUp();
        ShutdownCountdown().Stop();
        ShutdownCountdown().SetClock(scope_.Clock());
    }
    void TearDown() override {
        ShutdownCountdown().Stop();
        ShutdownCountdown().SetClock({});
        SettingsDialogFixture::TearDown();
    }
    TForm8& Open() {
        ShowSettingsDialog(13);
        EXPECT_EQ(Form8->CurrentPage(), "定时关机");
        return *Form8;
    }
    static QCheckBox* Box() { return Widget<QCheckBox>(*Form8, "CheckBox16"); }
    static QSlider* Bar() { return Widget<QSlider>(*Form8, "TrackBar12"); }
    static QProgressBar* Gauge() { return Widget<QProgressBar>(*Form8, "Gauge1"); }
    static QLabel* Label() { return Widget<QLabel>(*Form8, "Label35"); }
    static QColor LabelColour() { return Label()->palette().color(QPalette::WindowText); }
    void Pass(int seconds = 1) { scope_.Pass(ShutdownCountdown(), seconds); }

    PowerOffScope scope_;
};

}  // namespace

TEST_F(ShutdownPageTest, OffStateAndTheTrackBarOnlyChangeTheLabel) {
    Open();
    EXPECT_EQ(Box()->text(), "启用定时关机功能");
    EXPECT_FALSE(Box()->isChecked());
    EXPECT_EQ(Bar()->minimum(), 1);
    EXPECT_EQ(Bar()->maximum(), 120);
    EXPECT_EQ(Bar()->value(), 60);
    EXPECT_TRUE(Bar()->isVisible());
    EXPECT_FALSE(Gauge()->isVisible());
    EXPECT_EQ(Label()->text(), "指定系统在60分钟后自动关机计算机");
    Bar()->setValue(5);
    EXPECT_EQ(Label()->text(), "指定系统在5分钟后自动关机计算机") << "the track bar's wording";
    EXPECT_FALSE(ShutdownCountdown().Active());
}

TEST_F(ShutdownPageTest, CheckingCountsDownAndUncheckingResets) {
    Open();
    Bar()->setValue(1);
    Box()->click();
    EXPECT_TRUE(ShutdownCountdown().Active());
    EXPECT_FALSE(Bar()->isVisible());
    EXPECT_TRUE(Gauge()->isVisible());
    EXPECT_EQ(Gauge()->maximum(), 60);
    EXPECT_EQ(Gauge()->value(), 0);
    EXPECT_EQ(Label()->text(), "系统将在1分钟0秒钟后自动关闭计算机");
    EXPECT_EQ(LabelColour(), QColor(255, 0, 0));
    for (int i = 0; i < 30; ++i) Pass();
    EXPECT_EQ(Gauge()->value(), 30);
    EXPECT_EQ(Label()->text(), "系统将在30秒钟后自动关闭计算机");
    Box()->click();
    EXPECT_FALSE(ShutdownCountdown().Active());
    EXPECT_TRUE(Bar()->isVisible());
    EXPECT_FALSE(Gauge()->isVisible());
    EXPECT_EQ(Gauge()->value(), 0);
    EXPECT_EQ(Gauge()->maximum(), 60);
    EXPECT_EQ(Label()->text(), "指定系统在1分钟后自动关闭计算机") << "the stop's wording";
    EXPECT_EQ(LabelColour(), QApplication::palette().color(QPalette::WindowText));
    Pass(120);
    Drain();
    EXPECT_EQ(scope_.fake_->Requests, 0);
}

TEST_F(ShutdownPageTest, FillingTheBoxByCodeStartsNothing) {
    TForm8& form = Open();
    form.Loading = 1;
    Box()->setChecked(true);
    form.Loading = 0;
    EXPECT_FALSE(ShutdownCountdown().Active());
}

TEST_F(ShutdownPageTest, TheHiddenDialogKeepsCountingAndItsLabelCatchesUpWhenShown) {
    TForm8& form = Open();
    Bar()->setValue(2);
    Box()->click();
    Pass();
    form.close();
    ASSERT_FALSE(form.isVisible());
    for (int i = 0; i < 9; ++i) Pass();
    EXPECT_EQ(Gauge()->value(), 10);
    EXPECT_EQ(Label()->text(), "系统将在1分钟59秒钟后自动关闭计算机") << "not refreshed while hidden";
    ShowSettingsDialog(-1);
    Pass();
    EXPECT_EQ(Label()->text(), "系统将在1分钟49秒钟后自动关闭计算机");
}

TEST_F(ShutdownPageTest, TheCountdownOutlivesTheDialogAndANewDialogShowsIt) {
    Open();
    Bar()->setValue(3);
    Box()->click();
    for (int i = 0; i < 70; ++i) Pass();
    Form8->close();
    delete Form8.data();  // another caller freed the hidden dialog
    ASSERT_FALSE(Form8);
    { TForm8Use use; EXPECT_TRUE(use.Created()); }  // and one that made its own and freed it
    ASSERT_FALSE(Form8);
    for (int i = 0; i < 10; ++i) Pass();
    EXPECT_EQ(ShutdownCountdown().Progress(), 80);

    Open();
    EXPECT_TRUE(Box()->isChecked());
    EXPECT_FALSE(Bar()->isVisible());
    EXPECT_EQ(Bar()->value(), 3);
    EXPECT_TRUE(Gauge()->isVisible());
    EXPECT_EQ(Gauge()->maximum(), 180);
    EXPECT_EQ(Gauge()->value(), 80);
    EXPECT_EQ(Label()->text(), "系统将在1分钟40秒钟后自动关闭计算机");
    EXPECT_EQ(LabelColour(), QColor(255, 0, 0));

    delete Form8.data();
    Pass(100);
    EXPECT_EQ(scope_.fake_->Requests, 1) << "the power-off comes with no dialog at all";
}

TEST_F(ShutdownPageTest, ARefusedPowerOffUnchecksTheBoxAndIsTold) {
    scope_.fake_->Answer = {false, QStringLiteral("Access denied")};
    Open();
    Bar()->setValue(1);
    Box()->click();
    Pass(60);
    EXPECT_EQ(Label()->text(), "系统将在0秒钟后自动关闭计算机");
    EXPECT_TRUE(Box()->isChecked()) << "checked until the answer comes";
    Drain();
    EXPECT_EQ(scope_.messages_, QStringList{"定时关机|无法关闭计算机：Access denied  "});
    EXPECT_FALSE(Box()->isChecked());
    EXPECT_TRUE(Bar()->isVisible());
    EXPECT_EQ(Label()->text(), "指定系统在1分钟后自动关闭计算机");
    Box()->click();
    EXPECT_TRUE(ShutdownCountdown().Active()) << "it can be set again";
}
