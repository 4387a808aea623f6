#include "dialogs/dialog_targets.h"

#include "dialogs/settings_dialog.h"

void InstallDialogTargets() {
    SetCommandTargetsMaker([] { return std::make_unique<TDialogTargets>(); });
}

void TDialogTargets::ShowSettingsPage(int page) { ShowSettingsDialog(page); }

// The settings dialog does it; one made for this alone goes again afterwards.
void TDialogTargets::RemoveRealAssociations() {
    TForm8Use form;
    form->RemoveRealAssociations();
}

bool TDialogTargets::FirstRunSetup() {
    TForm8Use form;
    return form->FirstRunSetup();
}
