// The command targets with the dialogs: what the program installs for every menu object, so the
// player's commands open dialogs without the player knowing them.
#pragma once

#include "player/commands/player_targets.h"

class TDialogTargets : public TPlayerTargets {
public:
    void ShowSettingsPage(int page) override;
    // LATER(dialogs): the settings dialog, the about box, the folder picker, the address dialog,
    // file information and the favourites dialog override their rows here.
};

// Makes every new menu object use TDialogTargets.
void InstallDialogTargets();
