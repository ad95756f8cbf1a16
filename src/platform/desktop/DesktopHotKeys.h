#pragma once
// The hot-key back end of this session: the desktop's GlobalShortcuts portal in a Wayland session
// that offers it, X11 key grabs otherwise and for whatever the portal does not bind.
#include "platform/HotKeyService.h"
#include "platform/x11/X11HotKeyService.h"

#include <functional>
#include <memory>

class GlobalShortcutsService;

class DesktopHotKeys
{
public:
    // describe: a hot key's description for the desktop's list of shortcuts, from its name.
    explicit DesktopHotKeys(std::function<QString(const QString &name)> describe);
    ~DesktopHotKeys();

    // Null when neither back end works in this session.
    HotKeyService *service();
    // X time of the last press, for activating a window; 0 (the current time) with the portal,
    // whose times are not the X server's.
    unsigned long lastEventTime() const;

private:
    X11HotKeyService x11_;
    std::unique_ptr<GlobalShortcutsService> portal_;
};
