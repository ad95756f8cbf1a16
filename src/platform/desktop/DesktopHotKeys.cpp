#include "platform/desktop/DesktopHotKeys.h"

#include "platform/AtomTable.h"
#include "platform/portal/GlobalShortcutsService.h"
#include "platform/portal/PortalRequest.h"

namespace {
// Long enough for the portal to be started on demand, short enough not to hold up a start without it.
constexpr int PortalQueryTimeoutMs = 3000;
} // namespace

DesktopHotKeys::DesktopHotKeys(std::function<QString(const QString &)> describe)
{
    // The session bus is left alone on a plain X11 desktop.
    if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return;
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (portal::InterfaceVersion(bus, QString::fromLatin1(GlobalShortcutsService::Interface), PortalQueryTimeoutMs) == 0)
        return;
    portal_ = std::make_unique<GlobalShortcutsService>(bus, AtomTable::global(), std::move(describe),
                                                       x11_.isAvailable() ? &x11_ : nullptr);
}

DesktopHotKeys::~DesktopHotKeys() = default;

HotKeyService *DesktopHotKeys::service()
{
    if (portal_)
        return portal_.get();
    return x11_.isAvailable() ? &x11_ : nullptr;
}

unsigned long DesktopHotKeys::lastEventTime() const { return portal_ ? 0 : x11_.lastEventTime(); }
