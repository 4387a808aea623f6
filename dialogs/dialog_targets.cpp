#include "dialogs/dialog_targets.h"

#include "dialogs/settings_dialog.h"

void InstallDialogTargets() {
    SetCommandTargetsMaker([] { return std::make_unique<TDialogTargets>(); });
}

void TDialogTargets::ShowSettingsPage(int page) { ShowSettingsDialog(page); }

void TDialogTargets::ApplyHandedSkin(const QString& fileName) {
    const TForm8Use form;
    form->ApplyHandedSkin(fileName);
}
