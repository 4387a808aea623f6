// Switching the computer off. The request goes to systemd-logind on the system bus as an
// interactive call, so the desktop's policy decides whether it is allowed and may ask the user to
// authenticate first. When that is refused, a forced power-off follows (`systemctl poweroff -i`,
// which ignores inhibitors and, for the superuser, needs no logind); a refusal of both is handed
// back with both reasons. The answer comes back later on the GUI thread.
// Tests install a recording fake; with VELMORA_NO_POWER_OFF set in the environment every real
// way is refused without being tried, so no test run can switch a machine off.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class QObject;

namespace platform {

struct PowerOffAnswer {
    bool accepted = false;
    QString error;  // why not, when not accepted
};
using PowerOffDone = std::function<void(const PowerOffAnswer&)>;

class PowerOffService {
public:
    virtual ~PowerOffService() = default;
    // Asks for the power-off. `done` runs once, on the GUI thread and never inside this call,
    // with the system's answer; it does not run when `context` is gone by then.
    virtual void Request(QObject* context, PowerOffDone done) = 0;
};

// The service in use: logind, then the forced power-off, unless a test installed another.
PowerOffService& PowerOff();
// Installs `service` (null: the system's again) and hands back the one it replaces.
std::unique_ptr<PowerOffService> SetPowerOffService(std::unique_ptr<PowerOffService> service);

// Tries each way in order until one accepts. When all refuse, the answer is refused with their
// reasons, one a line, in the order they were tried.
class FallbackPowerOff : public PowerOffService {
public:
    explicit FallbackPowerOff(std::vector<std::shared_ptr<PowerOffService>> ways);
    void Request(QObject* context, PowerOffDone done) override;

private:
    // Shared with the requests under way, so replacing the service does not cut one short.
    std::shared_ptr<const std::vector<std::shared_ptr<PowerOffService>>> ways_;
};

// Runs a command; accepted when it exits with 0, else refused with what it wrote on its error
// output (or its exit code, or why it did not start).
class CommandPowerOff : public PowerOffService {
public:
    CommandPowerOff(QString program, QStringList arguments);
    void Request(QObject* context, PowerOffDone done) override;

private:
    QString program_;
    QStringList arguments_;
};

// Records each request and answers it with `Answer` from the event loop.
class RecordingPowerOff : public PowerOffService {
public:
    void Request(QObject* context, PowerOffDone done) override;
    int Requests = 0;
    PowerOffAnswer Answer{true, QString()};
};

}  // namespace platform
