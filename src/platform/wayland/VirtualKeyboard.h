#pragma once
// Paste keys on wlroots desktops (sway, Hyprland, river, wayfire, labwc): a virtual keyboard of
// the compositor's, made at the first chord and kept, with one full keymap uploaded once.
#include "platform/KeyChordSender.h"
#include "platform/wayland/KeymapChord.h"

#include <QPointer>

class WaylandConnection;
struct wl_seat;
struct zwp_virtual_keyboard_manager_v1;
struct zwp_virtual_keyboard_v1;

class VirtualKeyboard : public KeyChordSender
{
public:
    // names: the XKB rules in effect, which the keymap is compiled from. connection may be null.
    VirtualKeyboard(WaylandConnection *connection, const XkbRuleNames &names);
    ~VirtualKeyboard() override;
    Result sendChord(const QList<quint32> &keysyms) override;

private:
    bool ensureKeyboard();
    bool uploadKeymap();

    QPointer<WaylandConnection> m_connection; // may end before we do, at the application's end
    XkbRuleNames m_names;
    bool m_tried = false;
    KeymapPtr m_keymap;
    wl_seat *m_seat = nullptr;
    zwp_virtual_keyboard_manager_v1 *m_manager = nullptr;
    zwp_virtual_keyboard_v1 *m_keyboard = nullptr;
};
