// Keys for the Wayland tests, as a keyboard on the compositor's seat would type them: reads key
// combinations ("ctrl+w", "c") from standard input, one a line, types each on one virtual keyboard
// kept for its life, and answers "ok" or "failed" per line. Prints "ready" first.
#include "platform/PasteKeys.h"
#include "platform/wayland/VirtualKeyboard.h"
#include "platform/wayland/WaylandConnection.h"

#include <cstdio>
#include <iostream>
#include <string>

int main()
{
    // The layout named below, whatever the user's XKB_DEFAULT_ variables say.
    for (const char *variable :
         {"XKB_DEFAULT_RULES", "XKB_DEFAULT_MODEL", "XKB_DEFAULT_LAYOUT", "XKB_DEFAULT_VARIANT", "XKB_DEFAULT_OPTIONS"})
        qunsetenv(variable);
    WaylandConnection connection(qgetenv("WAYLAND_DISPLAY"));
    VirtualKeyboard keyboard(&connection, XkbRuleNames{"evdev", "pc105", "us", {}, {}});
    // The seat has a keyboard from now on: the compositor moves keyboard focus as usual.
    const bool ready = keyboard.sendChord({KeysymForKeyName(QStringLiteral("shift"))}) == KeyChordSender::Result::Sent;
    std::printf("%s\n", ready ? "ready" : "failed");
    std::fflush(stdout);
    for (std::string line; ready && std::getline(std::cin, line);) {
        QList<quint32> keysyms;
        for (const QString &name : QString::fromStdString(line).split(u'+'))
            keysyms << KeysymForKeyName(name.trimmed());
        const bool sent = !keysyms.contains(0u) && keyboard.sendChord(keysyms) == KeyChordSender::Result::Sent;
        std::printf("%s\n", sent ? "ok" : "failed");
        std::fflush(stdout);
    }
    return ready ? 0 : 1;
}
