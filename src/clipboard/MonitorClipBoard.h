#pragma once
// Joins the clipboard viewer chain with the main window and calls ChangeClipBoard on every
// change. One monitor per process, like the window procedure it installs.
#include "platform/ClipboardChain.h"
#include "platform/WinWindow.h"

#include <functional>

namespace MonitorClipBoard {

// Joins the chain, then hooks owner's window procedure. Install it after the message router
// so that StopClipMonitor, called before the router goes, undoes the hooks in reverse order.
void StartClipMonitor(win::HWND owner, std::function<void()> changeClipBoard,
                      ClipboardChain &chain = SystemClipboardChain());
// Unhooks the window, then leaves the chain. Does nothing when not monitoring.
void StopClipMonitor();

bool IsMonitoring();
win::HWND NextViewer();

win::LRESULT ClipMonitorWindowProc(win::HWND hwnd, win::UINT msg, win::WPARAM wParam, win::LPARAM lParam);

} // namespace MonitorClipBoard
