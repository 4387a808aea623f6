#include "platform/power_off.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QObject>
#include <QProcess>
#include <QTimer>
#include <utility>

namespace platform {

namespace {

// An answer delivered from the event loop, as a real one would be.
void AnswerLater(QObject* context, PowerOffDone done, const PowerOffAnswer& answer) {
    QTimer::singleShot(0, context, [done = std::move(done), answer] { done(answer); });
}

class LogindPowerOff : public PowerOffService {
public:
    void Request(QObject* context, PowerOffDone done) override {
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

// A real way that test runs never reach: refused, naming the way, while VELMORA_NO_POWER_OFF is set.
class Guarded : public PowerOffService {
public:
    Guarded(QString way, std::unique_ptr<PowerOffService> real) : way_(std::move(way)), real_(std::move(real)) {}
    void Request(QObject* context, PowerOffDone done) override {
        if (qEnvironmentVariableIsSet("VELMORA_NO_POWER_OFF")) {
            AnswerLater(context, std::move(done), {false, way_ + QStringLiteral(": VELMORA_NO_POWER_OFF is set")});
            return;
        }
        real_->Request(context, std::move(done));
    }

private:
    QString way_;
    std::unique_ptr<PowerOffService> real_;
};

std::unique_ptr<PowerOffService> SystemPowerOff() {
    const QStringList forced{QStringLiteral("poweroff"), QStringLiteral("-i")};
    return std::make_unique<FallbackPowerOff>(std::vector<std::shared_ptr<PowerOffService>>{
        std::make_shared<Guarded>(QStringLiteral("logind PowerOff"), std::make_unique<LogindPowerOff>()),
        std::make_shared<Guarded>(QStringLiteral("systemctl poweroff -i"),
                                  std::make_unique<CommandPowerOff>(QStringLiteral("systemctl"), forced)),
    });
}

using Ways = std::vector<std::shared_ptr<PowerOffService>>;

void TryFrom(std::shared_ptr<const Ways> ways, std::size_t at, QObject* context, PowerOffDone done,
             QStringList refusals) {
    PowerOffService& way = *(*ways)[at];
    way.Request(context, [ways, at, context, done = std::move(done),
                          refusals = std::move(refusals)](const PowerOffAnswer& answer) mutable {
        if (answer.accepted) return done(answer);
        refusals << answer.error;
        if (at + 1 == ways->size()) return done({false, refusals.join(QLatin1Char('\n'))});
        TryFrom(std::move(ways), at + 1, context, std::move(done), std::move(refusals));
    });
}

std::unique_ptr<PowerOffService>& Installed() {
    static std::unique_ptr<PowerOffService> service;
    return service;
}

}  // namespace

FallbackPowerOff::FallbackPowerOff(std::vector<std::shared_ptr<PowerOffService>> ways)
    : ways_(std::make_shared<const Ways>(std::move(ways))) {}

void FallbackPowerOff::Request(QObject* context, PowerOffDone done) {
    if (ways_->empty()) {
        AnswerLater(context, std::move(done), {false, QStringLiteral("没有可用的关机方式")});
        return;
    }
    TryFrom(ways_, 0, context, std::move(done), {});
}

CommandPowerOff::CommandPowerOff(QString program, QStringList arguments)
    : program_(std::move(program)), arguments_(std::move(arguments)) {}

void CommandPowerOff::Request(QObject* context, PowerOffDone done) {
    auto* process = new QProcess(context);
    // Queued, so a command that cannot start is not answered inside this call; the shared
    // answer runs once whichever signal comes.
    auto answer = std::make_shared<PowerOffDone>(std::move(done));
    const auto finish = [process, answer](const PowerOffAnswer& result) {
        process->deleteLater();
        if (!*answer) return;
        const PowerOffDone once = std::exchange(*answer, nullptr);
        once(result);
    };
    QObject::connect(process, &QProcess::errorOccurred, context, [process, finish](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) finish({false, process->errorString()});
    }, Qt::QueuedConnection);
    QObject::connect(process, &QProcess::finished, context, [process, finish] {
        if (process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0) return finish({true, QString()});
        QString why = QString::fromLocal8Bit(process->readAllStandardError()).trimmed();
        if (why.isEmpty())
            why = process->exitStatus() == QProcess::NormalExit
                      ? QStringLiteral("%1 退出码 %2").arg(process->program()).arg(process->exitCode())
                      : process->errorString();
        finish({false, why});
    }, Qt::QueuedConnection);
    process->start(program_, arguments_);
}

PowerOffService& PowerOff() {
    if (!Installed()) Installed() = SystemPowerOff();
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
