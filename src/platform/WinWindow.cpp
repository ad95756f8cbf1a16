#include "platform/WinWindow.h"

#include <QHash>
#include <unordered_map>

namespace win {
namespace {

struct Window {
    WNDPROC proc = nullptr;
    void *userData = nullptr;
    QHash<QString, qintptr> props;
};

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

HWND CreateWindowHandle(WNDPROC defaultProc, void *userData)
{
    HWND h = table().next;
    table().next += 2;
    table().windows[h] = Window{defaultProc, userData, {}};
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
