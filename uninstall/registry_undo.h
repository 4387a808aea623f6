// Undo of the player's file-type associations, URL protocols and browser entries in the registry
// stand-in. Each undo acts only while the player's own entry is the one in place, and removes
// only what the player wrote: another program's values stay where they are.
#pragma once

#include <QString>

#include "uninstall/failures.h"

namespace uninstall {

// True when HKEY_CLASSES_ROOT\.e names the player's ProgID ("*.e" given).
bool IsFileTypeAssociated(const QString& mask);
// Gives .e back to its previous owner (the saved backup value) or, when there was none, removes
// the player's default; the .e key goes only when nothing else is left in it. The ProgID key
// goes, and the player's own entry in the per-user open-with list.
void UnassociateFileType(const QString& extension, Failures* failures);

// True when HKEY_CLASSES_ROOT\p\shell has the player's verb as its default.
bool IsProtocolAssociated(const QString& protocol);
// Restores the previous default verb and removes the player's verb; keys left empty go.
void UnassociateProtocol(const QString& protocol, Failures* failures);
// The own protocol's "URL Protocol" marker and its keys, once the protocol is no longer the
// player's (it is nobody else's: nothing else registers that scheme).
void RemoveOwnProtocolKey(Failures* failures);

// Every extension of the ";"-separated "*.e" list, in order; other items are skipped. An
// extension listed twice is simply found undone the second time.
void UnassociateList(const QString& masks, Failures* failures);
// Every ".e" key of HKEY_CLASSES_ROOT that still names the player's ProgID, whatever list it
// came from (the default set associates by substring, the page by its own type lists).
void UnassociateRemainingTypes(Failures* failures);
// The ";"-separated "p://" list, each item without its "://".
void UnassociateProtocolList(const QString& protocols, Failures* failures);

// The two context-menu entries and the toolbar button of the browser.
void RemoveBrowserEntries(Failures* failures);
// The player's own settings key with all its values and sub-keys.
void RemoveSettingsKey(Failures* failures);
// The registry stand-in's files of every root left empty, then its folder and the player's
// config folder when nothing else is in them.
void RemoveEmptyRegistryFiles(Failures* failures);

}  // namespace uninstall
