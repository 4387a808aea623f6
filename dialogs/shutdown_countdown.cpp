#include "dialogs/shutdown_countdown.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <algorithm>

#include "platform/message_box.h"
#include "platform/power_off.h"

TShutdownCountdown::TShutdownCountdown(QObject* parent) : QObject(parent) {
    timer_.setInterval(1000);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &TShutdownCountdown::Tick);
}

void TShutdownCountdown::SetClock(Clock clock) {
    const int counted = progress_;
    clock_ = std::move(clock);
    startedAt_ = Now() - qint64(counted) * 1000;
}

qint64 TShutdownCountdown::Now() const {
    if (clock_) return clock_();
    static QElapsedTimer steady;
    if (!steady.isValid()) steady.start();
    return steady.elapsed();
}

void TShutdownCountdown::Start(int minutes) {
    maximum_ = std::max(minutes, 1) * 60;
    progress_ = std::min(progress_, maximum_);
    startedAt_ = Now() - qint64(progress_) * 1000;
    state_ = State::Counting;
    timer_.start();
    emit StateChanged();
}

void TShutdownCountdown::Stop() {
    timer_.stop();
    progress_ = 0;
    state_ = State::Off;
    emit StateChanged();
}

void TShutdownCountdown::Tick() {
    if (state_ != State::Counting) return;
    // Seconds by the clock, not by ticks: a GUI thread held up for a while does not stretch the
    // countdown. Rounded, so a tick that comes a little early still counts its second.
    const qint64 elapsed = (Now() - startedAt_ + 500) / 1000;
    progress_ = static_cast<int>(std::clamp<qint64>(elapsed, progress_, maximum_));
    emit Ticked();
    if (progress_ > maximum_ - 1) {
        timer_.stop();
        state_ = State::Requested;
        emit StateChanged();
        ShutdownComputer();
    }
}

void TShutdownCountdown::ShutdownComputer() {
    // No warning first: the time was chosen by the user, and the system may still ask for
    // authentication. A refusal is told, and the countdown goes back to off so it can be set again.
    QPointer<TShutdownCountdown> self(this);
    const int request = ++requests_;
    platform::PowerOff().Request(this, [self, request](const platform::PowerOffAnswer& answer) {
        if (answer.accepted) return;
        if (self && self->state_ == State::Requested && self->requests_ == request) self->Stop();
        platform::ShowMessage(QStringLiteral("无法关闭计算机：%1  ").arg(answer.error), QStringLiteral("定时关机"),
                              platform::MessageIcon::Warning);
    });
}

TShutdownCountdown& ShutdownCountdown() {
    static QPointer<TShutdownCountdown> countdown;
    if (!countdown) countdown = new TShutdownCountdown(QCoreApplication::instance());
    return *countdown;
}

QString ShutdownLeftText(int left, bool minutesForm) {
    const int m = left / 60, s = left % 60;
    if (!minutesForm && left < 60) return QStringLiteral("系统将在%1秒钟后自动关闭计算机").arg(s);
    return QStringLiteral("系统将在%1分钟%2秒钟后自动关闭计算机").arg(m).arg(s);
}
