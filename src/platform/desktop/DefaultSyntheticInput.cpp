#include "platform/desktop/SyntheticInputChooser.h"
#include "platform/x11/X11SyntheticInput.h"

SyntheticInputChooser &defaultSyntheticInput()
{
    X11SyntheticInput &x11 = x11SyntheticInput();
    static SyntheticInputChooser input(x11, [&x11] { return x11.focusHolder(); },
                                       !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"));
    static const bool ruleShared = [&x11] {
        x11.setPasteRule([] { return input.pasteRule(); });
        return true;
    }();
    Q_UNUSED(ruleShared)
    return input;
}
