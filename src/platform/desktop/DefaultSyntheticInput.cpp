#include "platform/desktop/SyntheticInputChooser.h"
#include "platform/UserStore.h"
#include "platform/portal/RemoteDesktopKeys.h"
#include "platform/wayland/ForeignToplevels.h"
#include "platform/wayland/VirtualKeyboard.h"
#include "platform/wayland/WaylandConnection.h"
#include "platform/x11/X11Keyboard.h"
#include "platform/x11/X11SyntheticInput.h"

namespace {

XkbRuleNames ruleNamesInEffect()
{
    QByteArrayList names = x11keys::ServerXkbRuleNames();
    names.resize(5);
    return {names[0], names[1], names[2], names[3], names[4]};
}

// What pastes into Wayland-native windows need; made only in a Wayland session.
struct WaylandKeys {
    explicit WaylandKeys(WaylandConnection *connection)
        : keyboard(connection, ruleNamesInEffect()), toplevels(connection), portal(QDBusConnection::sessionBus(), store)
    {
    }
    VirtualKeyboard keyboard;
    ForeignToplevels toplevels;
    // The portal's token has a section of its own, so this store never writes over the program's.
    FileUserStore store;
    RemoteDesktopKeys portal;
};

} // namespace

SyntheticInputChooser &defaultSyntheticInput()
{
    static X11SyntheticInput &x11 = x11SyntheticInput();
    static const bool waylandSession = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    static std::unique_ptr<WaylandKeys> wayland =
        waylandSession ? std::make_unique<WaylandKeys>(WaylandConnection::shared()) : nullptr;
    // Senders in order of preference.
    static SyntheticInputChooser input(
        x11, [] { return x11.focusHolder(); }, waylandSession,
        wayland ? QList<KeyChordSender *>{&wayland->keyboard, &wayland->portal} : QList<KeyChordSender *>{},
        wayland && wayland->toplevels.isAvailable() ? &wayland->toplevels : nullptr);
    static const bool ruleShared = [] {
        x11.setPasteRule([] { return input.pasteRule(); });
        return true;
    }();
    Q_UNUSED(ruleShared)
    return input;
}
