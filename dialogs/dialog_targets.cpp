#include "dialogs/dialog_targets.h"

void InstallDialogTargets() {
    SetCommandTargetsMaker([] { return std::make_unique<TDialogTargets>(); });
}
