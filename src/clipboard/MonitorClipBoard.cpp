#include "clipboard/MonitorClipBoard.h"

namespace MonitorClipBoard {
namespace {

struct State {
    win::HWND owner = 0;
    win::HWND nextViewer = 0;
    win::WNDPROC previousProc = nullptr;
    bool busy = false;
    bool joined = false;
    ClipboardChain *chain = nullptr;
    std::function<void()> changeClipBoard;
};

State &state()
{
    static State s;
    return s;
}

} // namespace

void StartClipMonitor(win::HWND owner, std::function<void()> changeClipBoard, ClipboardChain &chain)
{
    State &s = state();
    if (s.joined)
        StopClipMonitor();
    s.owner = owner;
    s.chain = &chain;
    s.changeClipBoard = std::move(changeClipBoard);
    // Join before hooking: the notification sent while joining goes to the old procedure only.
    s.nextViewer = chain.SetClipboardViewer(owner);
    s.joined = true;
    s.previousProc = win::SetWindowProc(owner, &ClipMonitorWindowProc);
}

void StopClipMonitor()
{
    State &s = state();
    if (s.previousProc) {
        win::SetWindowProc(s.owner, s.previousProc);
        s.previousProc = nullptr;
    }
    if (s.joined && s.chain)
        s.chain->ChangeClipboardChain(s.owner, s.nextViewer);
    s.joined = false;
    s.nextViewer = 0;
    s.changeClipBoard = nullptr;
}

bool IsMonitoring()
{
    return state().joined;
}

win::HWND NextViewer()
{
    return state().nextViewer;
}

win::LRESULT ClipMonitorWindowProc(win::HWND hwnd, win::UINT msg, win::WPARAM wParam, win::LPARAM lParam)
{
    State &s = state();
    // Kept before handling: the callback may stop the monitor.
    const win::WNDPROC previous = s.previousProc;
    if (!s.busy) {
        s.busy = true;
        if (msg == win::WM_DRAWCLIPBOARD) {
            if (s.changeClipBoard)
                s.changeClipBoard();
            if (s.nextViewer != 0)
                win::SendMessage(s.nextViewer, msg, wParam, lParam);
        } else if (msg == win::WM_CHANGECBCHAIN) {
            if (win::HWND(wParam) == s.nextViewer)
                s.nextViewer = win::HWND(lParam);
            else if (s.nextViewer != 0)
                win::SendMessage(s.nextViewer, msg, wParam, lParam);
        }
        s.busy = false;
    }
    return win::CallWindowProc(s.previousProc ? s.previousProc : previous, hwnd, msg, wParam, lParam);
}

} // namespace MonitorClipBoard
