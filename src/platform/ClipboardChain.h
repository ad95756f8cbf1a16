#pragma once
// The clipboard viewer chain: a process-wide list of viewer windows, each of which knows only
// the next one. A change of the clipboard becomes WM_DRAWCLIPBOARD sent to the first viewer.
#include "platform/WinWindow.h"

#include <QString>

// What one clipboard change offers, read from the clipboard at most once per change.
struct ClipboardSnapshot {
    bool hasText = false; // plain text was offered (and readable)
    bool secret = false;  // the owner asked not to record it (password managers)
    QString text;         // with CR LF line breaks; empty when there is no text or it is secret
};

class ClipboardChain
{
public:
    virtual ~ClipboardChain() = default;
    // Makes hwnd the first viewer; returns the window that was first before (0 for none).
    virtual win::HWND SetClipboardViewer(win::HWND hwnd) = 0;
    // Takes remove out of the chain; next is the viewer that followed it.
    virtual bool ChangeClipboardChain(win::HWND remove, win::HWND next) = 0;
};

// The real chain of this process, fed by the desktop's clipboard watcher.
class ProcessClipboardChain : public ClipboardChain
{
public:
    win::HWND SetClipboardViewer(win::HWND hwnd) override;
    bool ChangeClipboardChain(win::HWND remove, win::HWND next) override;
    // Sends WM_DRAWCLIPBOARD to the first viewer.
    void NotifyChanged();
    win::HWND GetClipboardViewer() const { return first_; }

private:
    win::HWND first_ = 0;
};

ProcessClipboardChain &SystemClipboardChain();
