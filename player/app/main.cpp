// velmora: the player program. It composes the player with the dialogs above it.
#include "dialogs/dialog_targets.h"
#include "player/app/project1.h"

int main(int argc, char** argv) {
    InstallDialogTargets();
    return Project1(argc, argv);
}
