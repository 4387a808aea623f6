#include "player/commands/menu.h"

// The menus are not built yet: nothing pops up.
void TmMenu::PopupAt(const QString&, const QPoint&) {}
