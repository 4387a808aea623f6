#include "platform/termination.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {
int g_pipe[2] = {-1, -1};

// A signal handler may only do async-signal-safe work: it wakes the GUI thread through a pipe.
void OnSignal(int) {
    const char byte = 1;
    [[maybe_unused]] auto n = ::write(g_pipe[1], &byte, 1);
}
}  // namespace

void OnTerminationRequest(std::function<void()> handler) {
    if (g_pipe[0] >= 0 || ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    auto* notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, qApp);
    auto shared = std::make_shared<std::function<void()>>(std::move(handler));
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, [shared] {
        char buffer[64];
        while (::read(g_pipe[0], buffer, sizeof buffer) > 0) {
        }
        (*shared)();
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &action, nullptr);
    if (auto* gui = qobject_cast<QGuiApplication*>(qApp)) {
        QObject::connect(gui, &QGuiApplication::commitDataRequest, gui, [shared](QSessionManager&) { (*shared)(); });
    }
}

}  // namespace platform
