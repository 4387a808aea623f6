#include "dialogs/dialog_targets.h"

#include "dialogs/about_box.h"
#include "dialogs/settings_dialog.h"

void InstallDialogTargets() {
    SetCommandTargetsMaker([] { return std::make_unique<TDialogTargets>(); });
}

void TDialogTargets::ShowSettingsPage(int page) { ShowSettingsDialog(page); }

namespace {

// The set-up's steps with the dialog they run on: the one open, or one made for them.
class TDialogSetupSteps final : public TSetupSteps {
public:
    TDialogSetupSteps() : steps_(form_->FirstRunSetupSteps()) {}
    bool Done() const override { return steps_->Done(); }
    void Next() override { steps_->Next(); }
    bool Succeeded() const override { return steps_->Succeeded(); }

private:
    TForm8Use form_;  // goes after the steps
    std::unique_ptr<TSetupSteps> steps_;
};

}  // namespace

std::unique_ptr<TSetupSteps> TDialogTargets::FirstRunSetup() { return std::make_unique<TDialogSetupSteps>(); }

void TDialogTargets::ShowAbout() { ShowAboutBox(); }

void TDialogTargets::ApplyHandedSkin(const QString& fileName) {
    const TForm8Use form;
    form->ApplyHandedSkin(fileName);
}

// The settings dialog does it; one made for this alone goes again afterwards.
void TDialogTargets::RemoveRealAssociations() {
    TForm8Use form;
    form->RemoveRealAssociations();
}
