#include "platform/HotKeyTriggers.h"

#include "platform/VirtualKeys.h"

#include <QStringList>

#include <X11/Xlib.h>

namespace hotkeytriggers {
namespace {

// In the order Ctrl, Alt, Shift, Windows key, the order desktops print them in.
struct Modifier {
    int bit;
    const char *portal;
    const char *gnome;
    const char *sway;
    const char *hyprland;
};
constexpr Modifier kModifiers[] = {
    {2, "CTRL", "<Control>", "Ctrl", "CTRL"},
    {1, "ALT", "<Alt>", "Mod1", "ALT"},
    {4, "SHIFT", "<Shift>", "Shift", "SHIFT"},
    {8, "LOGO", "<Super>", "Mod4", "SUPER"},
};

template <typename Pick>
QString join(int keyCode, int keyMask, Pick pick, const QString &separator, const QString &beforeKey,
             bool keepBeforeKey = false)
{
    const QString key = KeyName(keyCode);
    if (key.isEmpty())
        return {};
    QStringList parts;
    for (const Modifier &m : kModifiers) {
        if (keyMask & m.bit)
            parts.append(QString::fromLatin1(pick(m)));
    }
    return parts.join(separator) + (parts.isEmpty() && !keepBeforeKey ? QString() : beforeKey) + key;
}

} // namespace

QString KeyName(int keyCode)
{
    const quint32 sym = vkeys::VirtualKeyToKeysym(keyCode);
    if (sym == 0)
        return {};
    // X lists these under their older names first; the page names read better in a config file.
    if (sym == 0xff55)
        return QStringLiteral("Page_Up");
    if (sym == 0xff56)
        return QStringLiteral("Page_Down");
    const char *name = XKeysymToString(sym);
    return name ? QString::fromLatin1(name) : QString();
}

QString PortalTrigger(int keyCode, int keyMask)
{
    return join(keyCode, keyMask, [](const Modifier &m) { return m.portal; }, QStringLiteral("+"),
                QStringLiteral("+"));
}

QString GnomeAccelerator(int keyCode, int keyMask)
{
    return join(keyCode, keyMask, [](const Modifier &m) { return m.gnome; }, QString(), QString());
}

QString SwayKeys(int keyCode, int keyMask)
{
    return join(keyCode, keyMask, [](const Modifier &m) { return m.sway; }, QStringLiteral("+"),
                QStringLiteral("+"));
}

QString HyprlandKeys(int keyCode, int keyMask)
{
    // Without modifiers the field stays, empty: ", F12".
    return join(keyCode, keyMask, [](const Modifier &m) { return m.hyprland; }, QStringLiteral(" "),
                QStringLiteral(", "), true);
}

} // namespace hotkeytriggers
