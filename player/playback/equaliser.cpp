// The equaliser's values: stored per slider, drawn on the equaliser window, handed to the input
// plug-in.
#include <array>
#include <cmath>

#include "player/skin/canvas.h"
#include "player/core/ctrl.h"
#include "player/display/display.h"
#include "player/playback/run.h"
#include "player/skin/skin_window.h"
#include "player/playback/winamp_host.h"

namespace {

// A stored value is used as its low byte; beyond the slider's 0..63 it counts as the middle.
int Level(int stored) { return quint8(stored) > 63 ? 31 : int(quint8(stored)); }

QString Key(int slider) { return QStringLiteral("EQ%1").arg(slider, 2, 10, QLatin1Char('0')); }

}  // namespace

void TRun::SetEq(const QString& name, int value) {
    if (value >= 0) Ctrl->WriteInteger(name.mid(2, 4), value);
    const int preamp = Level(Ctrl->ReadInteger(Key(0), 31));
    std::array<int, 10> bands{};
    for (int band = 1; band <= 10; ++band) bands[std::size_t(band - 1)] = Level(Ctrl->ReadInteger(Key(band), 31));
    TDisplay& display = *Ctrl->Display;
    if (name == QLatin1String("InitEQ")) {
        for (int band = 1; band <= 10; ++band) display.DrawEqSlider(QStringLiteral("e_") + Key(band), bands[std::size_t(band - 1)]);
        display.DrawEqSlider(QStringLiteral("e_EQ00"), preamp);
        display.DrawEqGraph(bands);
    } else if (name != QLatin1String("RunEQ")) {
        display.DrawEqSlider(name, value);
        display.DrawEqGraph(bands);
    }
    if (Winamp && Winamp->InModule && Winamp->InModule->EQSet) {
        // The plug-in counts from the top: 0 for a knob at the top, 63 at the bottom.
        char data[10];
        for (std::size_t band = 0; band < 10; ++band) data[band] = char(63 - bands[band]);
        Winamp->InModule->EQSet(Ctrl->ReadInteger(QStringLiteral("EQON"), 0), data, 63 - preamp);
    }
}

void TDisplay::DrawEqSlider(const QString& name, int value) {
    static const QStringList kNames = {"e_EQ00", "e_EQ01", "e_EQ02", "e_EQ03", "e_EQ04", "e_EQ05",
                                       "e_EQ06", "e_EQ07", "e_EQ08", "e_EQ09", "e_EQ10"};
    const int index = int(kNames.indexOf(name));
    const int x = index < 0 ? 0 : index == 0 ? 21 : 78 + 18 * (index - 1);
    if (value == 31) value = 32;
    value = std::clamp(value, 0, 63);
    const int y = value > 31 ? 229 : 164;
    const int k = value > 31 ? (value - 32) * 4 / 9 : value * 4 / 9;
    const QRect track = Rect(x, 38, x + 14, 101);
    const QRect background = Rect(13 + 15 * k, y, 27 + 15 * k, y + 63);
    const int e = int(std::trunc((63 - value) / 63.0L * 50));
    const QRect knob = Rect(x + 1, e + 39, x + 12, e + 50);
    auto* window = dynamic_cast<TSkinWindow*>(EqualizerWindow.data());
    CopyRect(EqualizerBuffer, track, EqmainBmp, background);
    CopyRect(EqualizerBuffer, knob, EqmainBmp, Rect(0, 164, 11, 175));
    if (window) {
        window->DrawOnWindow(track, EqmainBmp, background);
        // The screen shows the held knob; the next repaint brings back the normal one.
        window->DrawOnWindow(knob, EqmainBmp, Rect(0, 176, 11, 187));
    }
}
