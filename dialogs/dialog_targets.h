// The command targets with the dialogs: what the program installs for every menu object, so the
// player's commands open dialogs without the player knowing them.
#pragma once

#include "player/commands/player_targets.h"

class TDialogTargets : public TPlayerTargets {
public:
    // The settings dialog.
    void ShowSettingsPage(int page) override;
    void RemoveRealAssociations() override;
    // Runs on a settings dialog of its own, freed again afterwards.
    bool FirstRunSetup() override;
    // LATER(dialogs): the about box.
    // The small dialogs (small_dialog_targets.cpp).
    void ShowFileInformation() override;
    void AddToFavourites(const QString& title) override;
    bool PickFolder(const QString& startFolder, const QString& caption) override;
    void OpenAddress() override;
    void ShowLinkList(const QString& argument) override;
};

// Makes every new menu object use TDialogTargets.
void InstallDialogTargets();
