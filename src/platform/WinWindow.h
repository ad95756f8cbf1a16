#pragma once
// A small model of Win32 windows: handles, window procedures that can be replaced and
// called through, named properties, synchronous messages, and for windows that stand for a
// widget on screen a style word, a rectangle and a parent. Parts of the program that are
// stated in window messages (router, hot keys, clipboard chain, key-code field) hook into it.
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
constexpr UINT WM_SETFOCUS = 0x0007;
constexpr UINT WM_KILLFOCUS = 0x0008;
constexpr UINT WM_NOTIFY = 0x004E;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_DRAWCLIPBOARD = 0x0308;
constexpr UINT WM_CHANGECBCHAIN = 0x030D;
constexpr UINT WM_HOTKEY = 0x0312;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_RBUTTONDBLCLK = 0x0206;
constexpr UINT WM_MBUTTONDOWN = 0x0207;
constexpr UINT WM_MBUTTONUP = 0x0208;
constexpr UINT WM_MBUTTONDBLCLK = 0x0209;
constexpr UINT WM_USER = 0x0400;

// Key-state flags of mouse messages (wParam).
constexpr quint32 MK_LBUTTON = 0x0001;
constexpr quint32 MK_RBUTTON = 0x0002;
constexpr quint32 MK_SHIFT = 0x0004;
constexpr quint32 MK_CONTROL = 0x0008;
constexpr quint32 MK_MBUTTON = 0x0010;

constexpr quint32 WS_CHILD = 0x40000000;
constexpr quint32 WS_VISIBLE = 0x10000000;
constexpr quint32 WS_DISABLED = 0x08000000;
constexpr quint32 WS_CLIPSIBLINGS = 0x04000000;
constexpr quint32 WS_CLIPCHILDREN = 0x02000000;

struct RECT {
    qint32 left = 0;
    qint32 top = 0;
    qint32 right = 0;
    qint32 bottom = 0;
};

// What a handle stands for on screen. Without one, the model keeps style and rectangle itself.
class WindowSurface
{
public:
    virtual ~WindowSurface() = default;
    // The visible and disabled bits as the screen has them, and a change of them.
    virtual quint32 stateBits() const = 0;
    virtual void setStateBits(quint32 bits) = 0;
    virtual RECT windowRect() const = 0; // screen pixels, frame included
    virtual void clientOrigin(qint32 &x, qint32 &y) const = 0; // screen pixels
    // In the parent's client pixels (screen pixels for a window without parent).
    virtual void move(qint32 x, qint32 y, qint32 width, qint32 height, bool repaint) = 0;
    virtual void setFocus() = 0;
};

// What lParam of WM_NOTIFY points to: sender, its identifier, notification code.
struct NMHDR {
    quint32 hwndFrom;
    quint32 idFrom;
    quint32 code;
};

// Registers a new window whose procedure is defaultProc; userData is what the owner
// wants back in its procedure (usually the object behind the window).
HWND CreateWindowHandle(WNDPROC defaultProc, void *userData = nullptr, HWND parent = 0, quint32 style = 0);
void DestroyWindowHandle(HWND hwnd);
bool IsWindow(HWND hwnd);
void *GetWindowUserData(HWND hwnd);

// SetWindowLong(GWL_WNDPROC): installs proc and returns the previous one (nullptr for no window).
WNDPROC SetWindowProc(HWND hwnd, WNDPROC proc);
WNDPROC GetWindowProc(HWND hwnd);
LRESULT CallWindowProc(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Runs the window's current procedure synchronously; 0 when there is no such window.
LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Binds the handle to its widget; nullptr unbinds.
void SetWindowSurface(HWND hwnd, WindowSurface *surface);

// GetWindowLong / SetWindowLong with GWL_STYLE; setting returns the previous style, 0 for no window.
quint32 GetWindowStyle(HWND hwnd);
quint32 SetWindowStyle(HWND hwnd, quint32 style);
bool GetWindowRect(HWND hwnd, RECT *rect);
bool MoveWindow(HWND hwnd, qint32 x, qint32 y, qint32 width, qint32 height, bool repaint);
// Screen position of the window's client area origin.
bool ClientToScreen(HWND hwnd, qint32 &x, qint32 &y);
HWND GetParent(HWND hwnd);
bool SetFocus(HWND hwnd);

bool SetProp(HWND hwnd, const QString &name, qintptr value);
qintptr GetProp(HWND hwnd, const QString &name);
qintptr RemoveProp(HWND hwnd, const QString &name);

constexpr quint16 LOWORD(quint64 v) { return quint16(v & 0xFFFF); }
constexpr quint16 HIWORD(quint64 v) { return quint16((v >> 16) & 0xFFFF); }
constexpr LPARAM MAKELPARAM(quint16 low, quint16 high) { return LPARAM(quint32(low) | (quint32(high) << 16)); }

} // namespace win
