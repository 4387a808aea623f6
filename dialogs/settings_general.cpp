// The general page and the connection time-out of the network page.
#include <QWidget>

#include "dialogs/settings_dialog.h"
#include "player/app/form1.h"
#include "player/core/ctrl.h"
#include "player/display/display.h"
#include "player/playback/run.h"
#include "player/playlist/playlist_box.h"
#include "player/skin/skin_files.h"
#include "ui_settings_dialog.h"

namespace {

// Reads a Boolean setting, stores its negation and gives the new value.
bool FlipSetting(const QString& name, bool def) {
    const bool now = !Ctrl->ReadBool(name, def);
    Ctrl->WriteBool(name, now);
    return now;
}

void SetSkinCursorsOn(bool on) {
    if (on) {
        if (Ctrl->Display) Ctrl->Display->LoadSkinCursors();
        Ctrl->SkinCursors = 1;
        return;
    }
    // Slot 6 (the close cursor) stays as it is.
    for (int slot = 1; slot <= 5; ++slot) ClearSkinCursor(slot);
    Ctrl->SkinCursors = 0;
    const QList<QWidget*> windows = {Form1, PlaylistWindow, EqualizerWindow, Form4, Form5, ListBox1};
    for (QWidget* window : windows)
        if (window) window->unsetCursor();
}

}  // namespace

void TForm8::ConnectGeneralPage() {
    connect(ui_->CheckBox34, &QCheckBox::clicked, this, [this] { CheckBox34Click(); });
    connect(ui_->CheckBox35, &QCheckBox::clicked, this, [this] { CheckBox35Click(); });
    connect(ui_->CheckBox36, &QCheckBox::clicked, this, [this] { CheckBox36Click(); });
    connect(ui_->CheckBox26, &QCheckBox::clicked, this, [this] { CheckBox26Click(); });
    connect(ui_->TrackBar11, &QSlider::valueChanged, this, [this](int position) { TrackBar11Change(position); });
}

void TForm8::FillGeneralPage() {
    ui_->CheckBox34->setChecked(Ctrl->ReadBool(QStringLiteral("AutoStartPlay"), false));
    ui_->CheckBox35->setChecked(Ctrl->ReadBool(QStringLiteral("AutoPlayNewFile"), true));
    ui_->CheckBox36->setChecked(Ctrl->ReadBool(QStringLiteral("UseCursor"), true));
    ui_->CheckBox26->setChecked(Ctrl->ReadBool(QStringLiteral("UseReverse"), true));
}

void TForm8::FillTimeOut() {
    const int seconds = Ctrl->ReadInteger(QStringLiteral("ConnectTimeOut"), 30);
    ui_->TrackBar11->setValue(seconds);
    // The bar clamps a stored value outside its range; the label shows where the bar stands.
    ui_->Label49->setText(QString::number(ui_->TrackBar11->value()) + QStringLiteral("秒"));
}

void TForm8::CheckBox34Click() {
    if (Loading) return;
    FlipSetting(QStringLiteral("AutoStartPlay"), false);
}

void TForm8::CheckBox35Click() {
    if (Loading) return;
    FlipSetting(QStringLiteral("AutoPlayNewFile"), true);
    if (ListBox1) ListBox1->AutoPlayNewFile = Ctrl->ReadBool(QStringLiteral("AutoPlayNewFile"), true);
}

void TForm8::CheckBox36Click() {
    if (Loading) return;
    SetSkinCursorsOn(FlipSetting(QStringLiteral("UseCursor"), true));
}

void TForm8::CheckBox26Click() {
    if (Loading) return;
    const bool reverse = ui_->CheckBox26->isChecked();
    Ctrl->WriteBool(QStringLiteral("UseReverse"), reverse);
    if (ListBox1) ListBox1->UseReverse = reverse;
}

void TForm8::TrackBar11Change(int position) {
    if (Loading) return;
    ui_->Label49->setText(QString::number(position) + QStringLiteral("秒"));
    Ctrl->WriteString(QStringLiteral("ConnectTimeOut"), QString::number(position));
    if (Ctrl->Run) Ctrl->Run->Timeout = position * 1000;
}
