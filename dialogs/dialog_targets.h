// The command targets with the dialogs: what the program installs for every menu object, so the
// player's commands open dialogs without the player knowing them.
#pragma once

#include "player/commands/player_targets.h"

class TDialogTargets : public TPlayerTargets {
public:
    // The settings dialog.
    void ShowSettingsPage(int page) override;
    // Runs on a settings dialog of its own, freed again with the steps.
    std::unique_ptr<TSetupSteps> FirstRunSetup() override;
    // The about box, modal; freed when it closes.
    void ShowAbout() override;
    // A handed-over skin archive applied through the skin page.
    void ApplyHandedSkin(const QString& fileName) override;
    // Takes the RealAudio types away through a settings dialog.
    void RemoveRealAssociations() override;
    // The small dialogs (small_dialog_targets.cpp).
    void ShowFileInformation() override;
    void AddToFavourites(const QString& title) override;
    bool PickFolder(const QString& startFolder, const QString& caption) override;
    void OpenAddress() override;
    void ShowLinkList(const QString& argument) override;
};

// Makes every new menu object use TDialogTargets.
void InstallDialogTargets();
