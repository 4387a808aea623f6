// Mouse action figures on the five skinned windows with the built-in skin: a button press and a
// release as the mouse hook handles them (hit test, pressed picture, repaint), one volume slider
// step, and one drag step of the main window with three glued neighbours (snap arithmetic and
// the four moves).
//   QT_QPA_PLATFORM=offscreen build/bench/bench_actions
#include <QApplication>
#include <QDir>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QWindow>
#include <cstdio>
#include <functional>

#include "bench/bench_home.h"
#include "bench/bench_stats.h"
#include "player/app/form1.h"
#include "player/core/ctrl.h"
#include "player/display/display.h"

namespace {

// Microseconds per call: the benchmark's figures are that small.
double MedianUs(int rounds, int batch, const std::function<void()>& work) {
    return bench::MedianNs(rounds, batch, work) / 1000.0;
}

void Send(QWidget* w, QEvent::Type type, QPoint global) {
    const QPoint local = w->mapFromGlobal(global);
    const Qt::MouseButton changed = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(local), QPointF(local), QPointF(global), changed, held, Qt::NoModifier);
    QCoreApplication::sendEvent(w->windowHandle(), &event);
}

void Report(const char* what, double us) { std::printf("%-60s %9.1f us\n", what, us); }

}  // namespace

int main(int argc, char** argv) {
    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/velmora-bench-XXXXXX"));
    bench::UsePrivateHome(home.path());
    QApplication app(argc, argv);
    const QString install = bench::InstallWithBuiltInSkin(home.path());

    auto* form = new TForm1(install);
    QCoreApplication::processEvents();
    const QPoint stop = form->mapToGlobal(QPoint(95, 95));
    Report("press of the stop button (hit, pressed picture, repaint)",
           MedianUs(21, 200, [&] {
               Send(form, QEvent::MouseButtonPress, stop);
               Send(form, QEvent::MouseButtonRelease, form->mapToGlobal(QPoint(95, 50)));
           }));
    const QPoint shuffle = form->mapToGlobal(QPoint(180, 95));
    Report("press and release of shuffle (toggle, back buffer, repaint)",
           MedianUs(21, 200, [&] {
               Send(form, QEvent::MouseButtonPress, shuffle);
               Send(form, QEvent::MouseButtonRelease, shuffle);
           }));

    Send(form, QEvent::MouseButtonPress, form->mapToGlobal(QPoint(140, 63)));
    int step = 0;
    Report("one volume slider step (value, device volume, two pictures)", MedianUs(21, 200, [&] {
               Send(form, QEvent::MouseMove, form->mapToGlobal(QPoint(110 + step++ % 60, 63)));
           }));
    Send(form, QEvent::MouseButtonRelease, form->mapToGlobal(QPoint(140, 63)));

    // The browser beside the main window, the equaliser and the playlist under it.
    form->move(100, 100);
    EqualizerWindow->move(100, 216);
    PlaylistWindow->move(100, 332);
    if (Form5) Form5->move(375, 100);
    const QPoint grab = form->mapToGlobal(QPoint(100, 5));
    Send(form, QEvent::MouseButtonPress, grab);
    int k = 0;
    Report("one drag step of the main window with three glued windows", MedianUs(21, 100, [&] {
               const int d = k++ % 40;
               Send(form, QEvent::MouseMove, grab + QPoint(d, d / 2));
           }));
    Send(form, QEvent::MouseButtonRelease, grab);
    std::printf("glued: playlist %d, equaliser %d, browser %d\n", int(Ctrl->Display->PlaylistGlued),
                int(Ctrl->Display->EqualizerGlued), int(Ctrl->Display->BrowserGlued));
    form->QuietClose = true;
    form->close();
    delete form;
    return 0;
}
