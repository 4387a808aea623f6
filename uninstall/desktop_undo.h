// The desktop side of the player's shell integration: its desktop entry and default-application
// choices, and the shortcut files.
#pragma once

#include "uninstall/failures.h"

namespace uninstall {

// The player's desktop entry and its default-application choices (previous choices restored),
// its MIME types and icons; the desktop's caches are told once. Every part is tried.
void RemoveDesktopAssociations(Failures* failures);
// The desktop link, the applications-menu folder with its four links (only when the player's
// link is there), and the Quick Launch link.
void RemoveShortcutFiles(Failures* failures);

}  // namespace uninstall
