#pragma once
// Our X error handler: an X error (a grab someone else holds, a window that vanished)
// never ends the program. Errors are recorded while an X11ErrorTrap is open and ignored
// otherwise.
// Kept free of Xlib.h so that Qt code can include it; same typedef as Xlib's.
typedef struct _XDisplay Display;

namespace x11 {

// Installs the handler once; later calls do nothing.
void InstallErrorHandler();

class X11ErrorTrap
{
public:
    explicit X11ErrorTrap(Display *display);
    ~X11ErrorTrap();
    X11ErrorTrap(const X11ErrorTrap &) = delete;
    X11ErrorTrap &operator=(const X11ErrorTrap &) = delete;

    // Waits until the server has handled every request so far (XSync) and tells whether
    // any of them failed since the trap opened (or since the last call).
    bool syncFailed();
    int lastErrorCode() const { return m_lastError; }

    // Called by the handler for an error on display.
    static void noteError(Display *display, int errorCode);

private:
    Display *m_display;
    X11ErrorTrap *m_outer;
    int m_errors = 0;
    int m_lastError = 0;
};

} // namespace x11
