#include "platform/WinWindow.h"

#include <QHash>
#include <unordered_map>

namespace win {
namespace {

struct Window {
    WNDPROC proc = nullptr;
    void *userData = nullptr;
    QHash<QString, qintptr> props;
    HWND parent = 0;
    quint32 style = 0;
    RECT rect; // only for windows without a surface
    WindowSurface *surface = nullptr;
};

constexpr quint32 kStateBits = WS_VISIBLE | WS_DISABLED;

// Process-wide like the system's window table; handles are never reused.
struct Table {
    std::unordered_map<HWND, Window> windows;
    HWND next = 0x10010;
};

Table &table()
{
    static Table t;
    return t;
}

Window *find(HWND hwnd)
{
    auto it = table().windows.find(hwnd);
    return it == table().windows.end() ? nullptr : &it->second;
}

} // namespace

HWND CreateWindowHandle(WNDPROC defaultProc, void *userData, HWND parent, quint32 style)
{
    HWND h = table().next;
    table().next += 2;
    Window w;
    w.proc = defaultProc;
    w.userData = userData;
    w.parent = parent;
    w.style = style;
    table().windows[h] = w;
    return h;
}

void DestroyWindowHandle(HWND hwnd) { table().windows.erase(hwnd); }

bool IsWindow(HWND hwnd) { return find(hwnd) != nullptr; }

void *GetWindowUserData(HWND hwnd)
{
    Window *w = find(hwnd);
    return w ? w->userData : nullptr;
}

WNDPROC SetWindowProc(HWND hwnd, WNDPROC proc)
{
    Window *w = find(hwnd);
    if (!w)
        return nullptr;
    WNDPROC previous = w->proc;
    w->proc = proc;
    return previous;
}

WNDPROC GetWindowProc(HWND hwnd)
{
    Window *w = find(hwnd);
    return w ? w->proc : nullptr;
}

LRESULT CallWindowProc(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return proc ? proc(hwnd, msg, wParam, lParam) : 0;
}

LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return CallWindowProc(GetWindowProc(hwnd), hwnd, msg, wParam, lParam);
}

void SetWindowSurface(HWND hwnd, WindowSurface *surface)
{
    if (Window *w = find(hwnd))
        w->surface = surface;
}

quint32 GetWindowStyle(HWND hwnd)
{
    const Window *w = find(hwnd);
    if (!w)
        return 0;
    // The widget may have been shown or hidden behind the model's back.
    return w->surface ? (w->style & ~kStateBits) | (w->surface->stateBits() & kStateBits) : w->style;
}

quint32 SetWindowStyle(HWND hwnd, quint32 style)
{
    Window *w = find(hwnd);
    if (!w)
        return 0;
    const quint32 previous = GetWindowStyle(hwnd);
    w->style = style;
    if (w->surface)
        w->surface->setStateBits(style & kStateBits);
    return previous;
}

bool GetWindowRect(HWND hwnd, RECT *rect)
{
    const Window *w = find(hwnd);
    if (!w || !rect)
        return false;
    *rect = w->surface ? w->surface->windowRect() : w->rect;
    return true;
}

bool ClientToScreen(HWND hwnd, qint32 &x, qint32 &y)
{
    const Window *w = find(hwnd);
    if (!w)
        return false;
    qint32 ox = w->rect.left, oy = w->rect.top;
    if (w->surface)
        w->surface->clientOrigin(ox, oy);
    x += ox;
    y += oy;
    return true;
}

bool MoveWindow(HWND hwnd, qint32 x, qint32 y, qint32 width, qint32 height, bool repaint)
{
    Window *w = find(hwnd);
    if (!w)
        return false;
    if (w->surface) {
        w->surface->move(x, y, width, height, repaint);
        return true;
    }
    qint32 ox = 0, oy = 0;
    if (w->parent)
        ClientToScreen(w->parent, ox, oy);
    w->rect = RECT{ox + x, oy + y, ox + x + width, oy + y + height};
    return true;
}

HWND GetParent(HWND hwnd)
{
    const Window *w = find(hwnd);
    return w && IsWindow(w->parent) ? w->parent : 0;
}

bool SetFocus(HWND hwnd)
{
    Window *w = find(hwnd);
    if (!w || !w->surface)
        return false;
    w->surface->setFocus();
    return true;
}

bool SetProp(HWND hwnd, const QString &name, qintptr value)
{
    Window *w = find(hwnd);
    if (!w)
        return false;
    w->props.insert(name, value);
    return true;
}

qintptr GetProp(HWND hwnd, const QString &name)
{
    Window *w = find(hwnd);
    return w ? w->props.value(name, 0) : 0;
}

qintptr RemoveProp(HWND hwnd, const QString &name)
{
    Window *w = find(hwnd);
    return w ? w->props.take(name) : 0;
}

} // namespace win
