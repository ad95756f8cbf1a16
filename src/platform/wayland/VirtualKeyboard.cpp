#include "platform/wayland/VirtualKeyboard.h"
#include "platform/wayland/WaylandConnection.h"

#include "virtual-keyboard-unstable-v1-client.h"

#include <QElapsedTimer>

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

VirtualKeyboard::VirtualKeyboard(WaylandConnection *connection, const XkbRuleNames &names)
    : m_connection(connection), m_names(names)
{
}

VirtualKeyboard::~VirtualKeyboard()
{
    if (!m_connection)
        return; // its proxies went with the display
    if (m_keyboard)
        zwp_virtual_keyboard_v1_destroy(m_keyboard);
    if (m_manager)
        zwp_virtual_keyboard_manager_v1_destroy(m_manager);
    if (m_seat)
        wl_seat_destroy(m_seat);
}

bool VirtualKeyboard::ensureKeyboard()
{
    if (m_tried)
        return m_keyboard != nullptr;
    m_tried = true;
    if (!m_connection || !m_connection->isConnected())
        return false;
    m_manager = static_cast<zwp_virtual_keyboard_manager_v1 *>(
        m_connection->bind(&zwp_virtual_keyboard_manager_v1_interface, 1));
    m_seat = static_cast<wl_seat *>(m_connection->bind(&wl_seat_interface, 1));
    m_keymap = CompileKeymap(m_names);
    if (!m_manager || !m_seat || !m_keymap)
        return false;
    m_keyboard = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(m_manager, m_seat);
    if (!uploadKeymap() || !m_connection->roundtrip()) {
        // Refused (a compositor may limit virtual keyboards to trusted clients) or gone.
        m_keymap.reset();
        return false;
    }
    return true;
}

bool VirtualKeyboard::uploadKeymap()
{
    const QByteArray text = KeymapText(m_keymap.get());
    const int fd = memfd_create("quillbox-keymap", MFD_CLOEXEC);
    if (fd < 0)
        return false;
    // The compositor maps it with the terminating NUL.
    const qsizetype size = text.size() + 1;
    bool written = true;
    for (qsizetype done = 0; written && done < size;) {
        const ssize_t n = ::write(fd, text.constData() + done, size_t(size - done));
        written = n > 0;
        done += n;
    }
    if (written)
        zwp_virtual_keyboard_v1_keymap(m_keyboard, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd, uint32_t(size));
    ::close(fd);
    return written;
}

KeyChordSender::Result VirtualKeyboard::sendChord(const QList<quint32> &keysyms)
{
    if (!ensureKeyboard() || !m_connection->isConnected())
        return Result::Unavailable;
    const QList<ChordEvent> events = PlanChord(m_keymap.get(), keysyms);
    if (events.isEmpty())
        return Result::Unavailable; // a key this keyboard layout lacks
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    for (const ChordEvent &event : events) {
        if (event.kind == ChordEvent::Key) {
            zwp_virtual_keyboard_v1_key(m_keyboard, uint32_t(clock.elapsed()), event.key,
                                        event.pressed ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED);
        } else {
            zwp_virtual_keyboard_v1_modifiers(m_keyboard, event.depressed, 0, 0, 0);
        }
    }
    // Sent once the compositor has read them; an error on the way breaks the connection.
    return m_connection->roundtrip() ? Result::Sent : Result::Unavailable;
}
