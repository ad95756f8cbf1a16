#include "platform/x11/X11Errors.h"

#include <X11/Xlib.h>

namespace x11 {
namespace {
X11ErrorTrap *g_trap = nullptr;
bool g_installed = false;
} // namespace

namespace {
int handleError(Display *display, XErrorEvent *event)
{
    X11ErrorTrap::noteError(display, event->error_code);
    return 0;
}
} // namespace

void X11ErrorTrap::noteError(Display *display, int errorCode)
{
    for (X11ErrorTrap *t = g_trap; t; t = t->m_outer) {
        if (t->m_display == display) {
            ++t->m_errors;
            t->m_lastError = errorCode;
            return;
        }
    }
}

void InstallErrorHandler()
{
    if (g_installed)
        return;
    g_installed = true;
    XSetErrorHandler(&handleError);
}

X11ErrorTrap::X11ErrorTrap(Display *display) : m_display(display), m_outer(g_trap)
{
    InstallErrorHandler();
    if (m_display)
        XSync(m_display, False); // errors of earlier requests are not ours
    m_errors = 0;
    m_lastError = 0;
    g_trap = this;
}

X11ErrorTrap::~X11ErrorTrap()
{
    if (m_display)
        XSync(m_display, False);
    g_trap = m_outer;
}

bool X11ErrorTrap::syncFailed()
{
    if (m_display)
        XSync(m_display, False);
    const bool failed = m_errors > 0;
    m_errors = 0;
    return failed;
}

} // namespace x11
