// The association page and the association scheme.
#include "dialogs/settings_dialog.h"

// LATER(dialogs): the default set of associations and protocols.
void TForm8::Button6Click() {}
