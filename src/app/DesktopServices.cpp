#include "app/DesktopServices.h"

#include "app/DesktopShortcuts.h"
#include "platform/GnomeCustomShortcuts.h"
#include "platform/ProcessStart.h"
#include "platform/UserStore.h"
#include "platform/UserStoreQueue.h"
#include "platform/desktop/ClickSound.h"
#include "platform/desktop/ClipboardWatcher.h"
#include "platform/desktop/DesktopHotKeys.h"
#include "platform/desktop/DesktopShell.h"
#include "platform/desktop/SyntheticInputChooser.h"
#include "platform/x11/X11SyntheticInput.h"
#include "platform/desktop/clsMouse.h"
#include "winmsg/QtTrayIconService.h"

struct DesktopServices::Parts {
    DesktopShell shell;
    FileUserStore disk;
    QueuedUserStore store{disk}; // commits off the user-interface thread
    ClipboardWatcher clipboard;
    ClickSound sound;
    DesktopHotKeys hotKeys{&HotKeyDescription};
    QtTrayIconService tray;
};

DesktopServices::DesktopServices() : parts_(std::make_unique<Parts>()) {}

DesktopServices::~DesktopServices() = default;

AppServices DesktopServices::services() const
{
    Parts *p = parts_.get();
    AppServices s;
    s.setClipboardText = &ClipboardWatcher::WriteText;
    s.rememberFocus = [] { defaultSyntheticInput().rememberFocus(); };
    s.pasteIntoPrevious = [] { defaultSyntheticInput().paste(); };
    s.copyFromFocused = [] { return defaultSyntheticInput().copyFromFocused(); };
    s.setCopyOnlyReport = [](std::function<void()> report) {
        defaultSyntheticInput().setCopyOnlyReport(std::move(report));
    };
    s.clickLeftAtPointer = [] {
        clsMouse mouse;
        mouse.LeftDown();
        mouse.LeftUp();
    };
    s.activateWindow = &activateWindow;
    s.startProgram = &StartProgram;
    s.shell = &p->shell;
    s.userStore = &p->store;
    s.hotKeys = p->hotKeys.service();
    if (s.hotKeys)
        s.hotKeyEventTime = [p] { return p->hotKeys.lastEventTime(); };
    s.tray = &p->tray;
    if (IsGnomeDesktop(qEnvironmentVariable("XDG_CURRENT_DESKTOP"))) {
        s.openDesktopShortcuts = [](QString *error) -> std::unique_ptr<DesktopShortcutStore> {
            return GnomeCustomShortcuts::open(error);
        };
    }
    s.readClipboard = [p] { return p->clipboard.snapshot(); };
    s.readClipboardNow = [p] { return p->clipboard.currentSnapshot(); };
    s.playSound = [p](const QString &file) { p->sound.play(file); };
    return s;
}
