// Switching the computer off. The request goes to systemd-logind on the system bus as an
// interactive call, so the desktop's policy decides whether it is allowed and may ask the user to
// authenticate first. The answer comes back later on the GUI thread.
// Tests install a recording fake; with VELMORA_NO_POWER_OFF set in the environment the real
// request is refused without being sent, so no test run can switch a machine off.
#pragma once

#include <QString>
#include <functional>
#include <memory>

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

// The service in use: logind unless a test installed another.
PowerOffService& PowerOff();
// Installs `service` (null: logind again) and hands back the one it replaces.
std::unique_ptr<PowerOffService> SetPowerOffService(std::unique_ptr<PowerOffService> service);

// Records each request and answers it with `Answer` from the event loop.
class RecordingPowerOff : public PowerOffService {
public:
    void Request(QObject* context, PowerOffDone done) override;
    int Requests = 0;
    PowerOffAnswer Answer{true, QString()};
};

}  // namespace platform
