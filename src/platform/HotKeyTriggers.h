#pragma once
// A hot key (Windows virtual-key code; mask 1 Alt, 2 Ctrl, 4 Shift, 8 Windows key) written the ways
// desktops bind shortcuts. Each gives an empty text for a key code without a keysym.
#include <QString>

namespace hotkeytriggers {

// The keysym's name: "Delete", "Page_Up", "a", "F5".
QString KeyName(int keyCode);
// The GlobalShortcuts portal's preferred trigger: "CTRL+ALT+Delete".
QString PortalTrigger(int keyCode, int keyMask);
// A GNOME accelerator: "<Control><Alt>Delete".
QString GnomeAccelerator(int keyCode, int keyMask);
// A sway or i3 key combination for bindsym: "Ctrl+Mod1+Delete".
QString SwayKeys(int keyCode, int keyMask);
// Hyprland's modifiers and key, as a bind line takes them: "CTRL ALT, Delete".
QString HyprlandKeys(int keyCode, int keyMask);

} // namespace hotkeytriggers
