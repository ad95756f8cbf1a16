#include "platform/ClipboardChain.h"

win::HWND ProcessClipboardChain::SetClipboardViewer(win::HWND hwnd)
{
    if (!win::IsWindow(hwnd))
        return 0;
    win::HWND next = first_;
    first_ = hwnd;
    // A new viewer is told about the current contents at once, as the system does.
    win::SendMessage(hwnd, win::WM_DRAWCLIPBOARD, 0, 0);
    return next;
}

bool ProcessClipboardChain::ChangeClipboardChain(win::HWND remove, win::HWND next)
{
    if (remove == 0)
        return false;
    if (first_ == remove) {
        first_ = next;
        return true;
    }
    // Somebody inside the chain leaves: the viewers pass the news along until the one before it.
    if (first_ != 0)
        win::SendMessage(first_, win::WM_CHANGECBCHAIN, win::WPARAM(remove), win::LPARAM(next));
    return true;
}

void ProcessClipboardChain::NotifyChanged()
{
    if (first_ != 0 && !win::IsWindow(first_))
        first_ = 0; // a viewer that vanished without leaving cannot pass anything on
    if (first_ != 0)
        win::SendMessage(first_, win::WM_DRAWCLIPBOARD, 0, 0);
}

ProcessClipboardChain &SystemClipboardChain()
{
    static ProcessClipboardChain chain;
    return chain;
}
