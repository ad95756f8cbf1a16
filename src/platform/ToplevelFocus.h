#pragma once
// The compositor's own list of windows, where it shares it: which one is active, and its app id.
// On a Wayland desktop this is how a paste recognises a native terminal emulator.
#include <QString>
#include <QtGlobal>

class ToplevelFocus
{
public:
    virtual ~ToplevelFocus() = default;
    // An id of the activated window; 0 when none is, or the compositor has not said yet.
    virtual quint64 activeToplevel() const = 0;
    // Its app id ("foot", "org.gnome.TextEditor"); empty when unknown.
    virtual QString appId(quint64 toplevel) const = 0;
    // Asks the compositor to activate the window (it may refuse, or the window may be gone).
    virtual void activate(quint64 toplevel) = 0;
};
