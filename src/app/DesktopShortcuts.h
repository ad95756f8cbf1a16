#pragma once
// The hot keys as the desktop's own shortcuts, for sessions where X11 key grabs do not reach
// (Wayland): each runs this program with --hotkey NAME.
#include "app/SettingsDefaults.h"
#include "platform/DesktopShortcutStore.h"

#include <QStringList>

#include <cstdio>

class iniMente;

// The hot keys the settings enable with a key code and a mask, in registration order.
QVector<HotKeyDefault> EnabledHotKeys(const iniMente &ini);
// What a hot key does, in the words of the menu.
QString HotKeyDescription(const QString &name);
// One word for a POSIX shell, quoted only where it has to be.
QString ShellQuoted(const QString &word);
bool IsGnomeDesktop(const QString &xdgCurrentDesktop);

// GNOME's custom shortcuts for the hot keys.
QVector<DesktopShortcut> GnomeShortcuts(const QVector<HotKeyDefault> &keys, const QString &executable);
// Lines for the compositor's configuration: Hyprland's "bind" when the desktop is Hyprland,
// sway's and i3's "bindsym" otherwise.
QStringList CompositorLines(const QVector<HotKeyDefault> &keys, const QString &executable,
                            const QString &xdgCurrentDesktop);
// Where CompositorLines go.
QString CompositorLinesPlace(const QString &xdgCurrentDesktop);

// `--desktop-shortcuts [on|off]` for this program's settings file and this desktop; the exit code.
int DesktopShortcutsCommand(const QString &change, FILE *out, FILE *err);
