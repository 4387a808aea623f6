// The timed-shutdown page: minutes on a track bar, a box that starts and stops the countdown, and
// a gauge with a label that show it. The countdown itself is the program's own object, so a
// dialog made while it runs picks it up where it is.
#include <QApplication>
#include <QPalette>

#include "dialogs/settings_dialog.h"
#include "dialogs/shutdown_countdown.h"
#include "ui_settings_dialog.h"

namespace {

void SetLabelColour(QWidget* label, const QColor& colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

}  // namespace

void TForm8::ConnectShutdownPage() {
    connect(ui_->CheckBox16, &QCheckBox::toggled, this, [this](bool checked) { CheckBox16Click(checked); });
    connect(ui_->TrackBar12, &QSlider::valueChanged, this, [this](int position) { TrackBar12Change(position); });
    TShutdownCountdown& countdown = ShutdownCountdown();
    connect(&countdown, &TShutdownCountdown::Ticked, this, [this] { Timer1Timer(); });
    connect(&countdown, &TShutdownCountdown::StateChanged, this, [this] { ShowShutdownState(); });
    if (countdown.Active()) ShowShutdownState();  // off: the form's own first state stands
}

void TForm8::TrackBar12Change(int position) {
    ui_->Label35->setText(QStringLiteral("指定系统在%1分钟后自动关机计算机").arg(position));
}

void TForm8::CheckBox16Click(bool checked) {
    if (Loading) return;
    TShutdownCountdown& countdown = ShutdownCountdown();
    // The box also follows the countdown (a refused power-off unchecks it): only a change that
    // differs from the countdown is the user's.
    if (checked == countdown.Active()) return;
    if (checked)
        countdown.Start(ui_->TrackBar12->value());
    else
        countdown.Stop();
}

// The whole page from the countdown's state.
void TForm8::ShowShutdownState() {
    const TShutdownCountdown& countdown = ShutdownCountdown();
    const bool active = countdown.Active();
    {
        const QSignalBlocker blocker(ui_->CheckBox16);
        ui_->CheckBox16->setChecked(active);
    }
    ui_->TrackBar12->setVisible(!active);
    ui_->Gauge1->setVisible(active);
    if (!active) {
        const int position = ui_->TrackBar12->value();
        ui_->Gauge1->setValue(0);
        ui_->Gauge1->setMaximum(position * 60);
        ui_->Label35->setText(QStringLiteral("指定系统在%1分钟后自动关闭计算机").arg(position));
        SetLabelColour(ui_->Label35, QApplication::palette().color(QPalette::WindowText));
        return;
    }
    {
        // Minutes were chosen before; a dialog made while counting shows them too.
        const QSignalBlocker blocker(ui_->TrackBar12);
        ui_->TrackBar12->setValue(countdown.Maximum() / 60);
    }
    ui_->Gauge1->setMaximum(countdown.Maximum());
    ui_->Gauge1->setValue(countdown.Progress());
    SetLabelColour(ui_->Label35, QColor(255, 0, 0));
    const bool justStarted = countdown.CurrentState() == TShutdownCountdown::State::Counting && countdown.Progress() == 0;
    ui_->Label35->setText(ShutdownLeftText(countdown.Left(), justStarted));
}

void TForm8::Timer1Timer() {
    const TShutdownCountdown& countdown = ShutdownCountdown();
    ui_->Gauge1->setValue(countdown.Progress());
    // Out of sight the label waits: the first tick after the dialog shows again brings it up to date.
    if (isVisible()) ui_->Label35->setText(ShutdownLeftText(countdown.Left()));
}
