// Keys as the hotkeys and the key handlers speak of them: Windows virtual-key codes with the
// Shift, Alt and Ctrl state, mapped from Qt's key events without native scan codes.
#pragma once

#include <QString>
#include <QtGlobal>

class QKeyEvent;

struct TVirtualKey {
    quint16 Key = 0;  // 0: a key with no virtual-key code
    bool Shift = false;
    bool Alt = false;
    bool Ctrl = false;
};

// One Qt key code with its modifiers to the virtual key. Keypad digits and operators keep their
// keypad codes; a symbol typed with Shift (the "!" of Shift+1) maps back to the key that bears it.
TVirtualKey MapQtKey(int qtKey, Qt::KeyboardModifiers modifiers);
TVirtualKey MapKeyEvent(const QKeyEvent& event);

// The key name of a virtual-key code as hotkey texts write it; "" for keys without one (Shift,
// Ctrl and Alt alone, the space bar).
QString KeyName(quint16 key);
