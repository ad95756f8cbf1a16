#include "app/DesktopServices.h"

#include "platform/ProcessStart.h"
#include "platform/UserStore.h"
#include "platform/desktop/ClipboardWatcher.h"
#include "platform/desktop/DesktopShell.h"
#include "platform/desktop/SyntheticInput.h"
#include "platform/desktop/clsMouse.h"

AppServices DesktopServices()
{
    static DesktopShell shell;
    static FileUserStore store;
    AppServices services;
    services.setClipboardText = &ClipboardWatcher::WriteText;
    services.rememberFocus = [] { defaultSyntheticInput().rememberFocus(); };
    services.pasteIntoPrevious = [] { defaultSyntheticInput().paste(); };
    services.clickLeftAtPointer = [] {
        clsMouse mouse;
        mouse.LeftDown();
        mouse.LeftUp();
    };
    services.activateWindow = &activateWindow;
    services.startProgram = &StartProgram;
    services.shell = &shell;
    services.userStore = &store;
    return services;
}
