// Orderly shut-down on request from outside: SIGTERM, SIGINT, SIGHUP and the end of the desktop
// session run one handler on the GUI thread (the player closes its main window through it).
#pragma once

#include <functional>

namespace platform {

// Installs the handler; call once, after the application object exists.
void OnTerminationRequest(std::function<void()> handler);

}  // namespace platform
