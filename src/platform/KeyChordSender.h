#pragma once
// Sends key chords to whatever window has the focus on a Wayland desktop, where XTest reaches only
// XWayland's own windows. Back ends: the compositor's virtual keyboard, the RemoteDesktop portal.
#include <QList>
#include <QtGlobal>

class KeyChordSender
{
public:
    enum class Result {
        Sent,
        Refused,     // the user or the compositor said no: copy only, and say so once
        Unavailable, // this back end does not exist in this session
    };
    virtual ~KeyChordSender() = default;
    // Presses the keysyms in order and releases them in reverse. May run the event loop while it
    // waits for the compositor or the portal, never longer than a paste into an X11 window may take.
    virtual Result sendChord(const QList<quint32> &keysyms) = 0;
};
