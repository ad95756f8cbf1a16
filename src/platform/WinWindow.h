#pragma once
// A small model of Win32 windows: handles, window procedures that can be replaced and
// called through, named properties and synchronous messages. Parts of the program that
// are stated in window messages (router, hot keys, clipboard chain) hook into it.
#include <QString>
#include <QtGlobal>

namespace win {

using HWND = quint32;
using UINT = quint32;
using WPARAM = quintptr;
using LPARAM = qintptr;
using LRESULT = qintptr;
using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_NOTIFY = 0x004E;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_DRAWCLIPBOARD = 0x0308;
constexpr UINT WM_CHANGECBCHAIN = 0x030D;
constexpr UINT WM_HOTKEY = 0x0312;
constexpr UINT WM_USER = 0x0400;

// What lParam of WM_NOTIFY points to: sender, its identifier, notification code.
struct NMHDR {
    quint32 hwndFrom;
    quint32 idFrom;
    quint32 code;
};

// Registers a new window whose procedure is defaultProc; userData is what the owner
// wants back in its procedure (usually the object behind the window).
HWND CreateWindowHandle(WNDPROC defaultProc, void *userData = nullptr);
void DestroyWindowHandle(HWND hwnd);
bool IsWindow(HWND hwnd);
void *GetWindowUserData(HWND hwnd);

// SetWindowLong(GWL_WNDPROC): installs proc and returns the previous one (nullptr for no window).
WNDPROC SetWindowProc(HWND hwnd, WNDPROC proc);
WNDPROC GetWindowProc(HWND hwnd);
LRESULT CallWindowProc(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Runs the window's current procedure synchronously; 0 when there is no such window.
LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

bool SetProp(HWND hwnd, const QString &name, qintptr value);
qintptr GetProp(HWND hwnd, const QString &name);
qintptr RemoveProp(HWND hwnd, const QString &name);

constexpr quint16 LOWORD(quint64 v) { return quint16(v & 0xFFFF); }
constexpr quint16 HIWORD(quint64 v) { return quint16((v >> 16) & 0xFFFF); }
constexpr LPARAM MAKELPARAM(quint16 low, quint16 high) { return LPARAM(quint32(low) | (quint32(high) << 16)); }

} // namespace win
