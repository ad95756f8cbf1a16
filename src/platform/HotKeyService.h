#pragma once
// System-wide hot-key registration. A registered combination that is pressed arrives as
// WM_HOTKEY sent to the window: wParam = id, lParam = mask (low word) and key code (high word).
#include "platform/WinWindow.h"

namespace hotkey {
// Modifier mask bits, summed.
constexpr quint32 MOD_ALT = 1;
constexpr quint32 MOD_CONTROL = 2;
constexpr quint32 MOD_SHIFT = 4;
constexpr quint32 MOD_WIN = 8;
constexpr quint32 MOD_ALL = MOD_ALT | MOD_CONTROL | MOD_SHIFT | MOD_WIN;
} // namespace hotkey

class HotKeyService
{
public:
    virtual ~HotKeyService() = default;
    // False when the combination is taken (by another program or another registration)
    // or the mask or key code is invalid.
    virtual bool RegisterHotKey(win::HWND hwnd, int id, quint32 modifiers, quint32 virtualKey) = 0;
    // False when nothing was registered under (hwnd, id).
    virtual bool UnregisterHotKey(win::HWND hwnd, int id) = 0;
};
