#pragma once
// Windows virtual-key codes and X keysyms, for the hot keys and the key-code tool.
// Punctuation keys follow the US layout, as their virtual-key codes do there.
#include <QtGlobal>

namespace vkeys {

// The keysym to grab for a virtual-key code; 0 for a code without one.
quint32 VirtualKeyToKeysym(int virtualKey);
// The virtual-key code a keysym reports (letters of either case, keypad keys with
// Num Lock off as the navigation keys they act as); 0 when there is none.
int KeysymToVirtualKey(quint32 keysym);

} // namespace vkeys
