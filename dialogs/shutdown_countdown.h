// The timed-shutdown countdown: seconds counted up to a total, then the computer is switched off
// without a warning. It lives apart from the settings dialog, which only shows it and starts and
// stops it, so the countdown goes on while the dialog is hidden, freed or made anew; it ends with
// the program.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

class TShutdownCountdown : public QObject {
    Q_OBJECT
public:
    enum class State { Off, Counting, Requested };
    // Milliseconds of a steady clock; tests give their own.
    using Clock = std::function<qint64()>;

    explicit TShutdownCountdown(QObject* parent = nullptr);

    // Counts `minutes` minutes from the seconds already counted (none after a stop).
    void Start(int minutes);
    // Back to off with nothing counted; a power-off already asked for is not called back.
    void Stop();
    // One tick of the one-second timer: the seconds counted follow the clock, and at the total
    // the timer stops and the power-off is asked for.
    void Tick();

    State CurrentState() const { return state_; }
    bool Active() const { return state_ != State::Off; }
    int Progress() const { return progress_; }
    int Maximum() const { return maximum_; }
    int Left() const { return maximum_ - progress_; }

    void SetClock(Clock clock);  // an empty one gives the steady clock back

signals:
    // The seconds counted changed (every tick).
    void Ticked();
    // Started, stopped, or the total reached.
    void StateChanged();

private:
    void ShutdownComputer();
    qint64 Now() const;

    State state_ = State::Off;
    int progress_ = 0;
    int maximum_ = 0;
    qint64 startedAt_ = 0;  // clock time at which progress 0 was
    int requests_ = 0;      // power-offs asked for, so a late answer finds its own
    Clock clock_;
    QTimer timer_;
};

// The program's one countdown, made at first use; it goes with the application object.
TShutdownCountdown& ShutdownCountdown();

// The label of the timed-shutdown page while counting, `left` seconds to go: minutes and seconds,
// or seconds alone below a minute unless `minutesForm`.
QString ShutdownLeftText(int left, bool minutesForm = false);
