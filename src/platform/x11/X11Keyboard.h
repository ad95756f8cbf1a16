#pragma once
// Key codes of the X server as the key-code field needs them.
#include <QByteArrayList>
#include <QtGlobal>

namespace x11keys {

// The keysym of the key with no modifiers held, in the keyboard group of the state; keypad
// keys as Num Lock in the state has them (KP_1 with Num Lock on, KP_End with it off).
// 0 without an X display.
quint32 UnshiftedKeysym(quint32 keycode, quint32 xState);

// The XKB rule names the X server's keyboard was set up with: rules, model, layout, variant and
// options (XWayland's follow the compositor's keyboard); empty without a display or the names.
QByteArrayList ServerXkbRuleNames();

} // namespace x11keys
