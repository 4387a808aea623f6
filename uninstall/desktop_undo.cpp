#include "uninstall/desktop_undo.h"

namespace uninstall {

// LATER(shell): the desktop entry, default choices and shortcut files, once the platform's
// desktop associations and shell links are in.
void RemoveDesktopAssociations(Failures*) {}
void RemoveShortcutFiles(Failures*) {}

}  // namespace uninstall
