#include "platform/power_off.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QObject>
#include <QTimer>

namespace platform {

namespace {

// An answer delivered from the event loop, as a real one would be.
void AnswerLater(QObject* context, PowerOffDone done, const PowerOffAnswer& answer) {
    QTimer::singleShot(0, context, [done = std::move(done), answer] { done(answer); });
}

class LogindPowerOff : public PowerOffService {
public:
    void Request(QObject* context, PowerOffDone done) override {
        if (qEnvironmentVariableIsSet("VELMORA_NO_POWER_OFF")) {
            AnswerLater(context, std::move(done), {false, QStringLiteral("VELMORA_NO_POWER_OFF is set")});
            return;
        }
        QDBusConnection bus = QDBusConnection::systemBus();
        if (!bus.isConnected()) {
            AnswerLater(context, std::move(done), {false, bus.lastError().message()});
            return;
        }
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
            QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PowerOff"));
        call << true;  // interactive: the policy agent may ask the user
        // The user may take a while at the authentication prompt; the bus's default 25 s would
        // report a failure while the prompt is still up.
        constexpr int kAnswerTimeoutMs = 10 * 60 * 1000;
        auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kAnswerTimeoutMs), context);
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context,
                         [done = std::move(done)](QDBusPendingCallWatcher* w) {
                             w->deleteLater();
                             if (w->isError())
                                 done({false, w->error().message()});
                             else
                                 done({true, QString()});
                         });
    }
};

std::unique_ptr<PowerOffService>& Installed() {
    static std::unique_ptr<PowerOffService> service;
    return service;
}

}  // namespace

PowerOffService& PowerOff() {
    if (!Installed()) Installed() = std::make_unique<LogindPowerOff>();
    return *Installed();
}

std::unique_ptr<PowerOffService> SetPowerOffService(std::unique_ptr<PowerOffService> service) {
    std::unique_ptr<PowerOffService> old = std::move(Installed());
    Installed() = std::move(service);
    return old;
}

void RecordingPowerOff::Request(QObject* context, PowerOffDone done) {
    ++Requests;
    AnswerLater(context, std::move(done), Answer);
}

}  // namespace platform
