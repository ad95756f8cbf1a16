#pragma once
// Hot keys as passive key grabs on the root window, through Qt's own X connection.
// Each combination is grabbed with and without Caps Lock and Num Lock, and grabbed
// again after a keyboard mapping change. A grab firing posts WM_HOTKEY to the window.
#include "platform/HotKeyService.h"

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QVector>

typedef struct _XDisplay Display;

class X11HotKeyService : public QObject, public HotKeyService, public QAbstractNativeEventFilter
{
    Q_OBJECT
public:
    // Uses the X connection of the running QGuiApplication; without one (another
    // platform plugin) every registration fails.
    explicit X11HotKeyService(QObject *parent = nullptr);
    ~X11HotKeyService() override;

    bool isAvailable() const { return m_display != nullptr; }

    bool RegisterHotKey(win::HWND hwnd, int id, quint32 modifiers, quint32 virtualKey) override;
    bool UnregisterHotKey(win::HWND hwnd, int id) override;

    // X time of the last hot-key press, for activating a window (_NET_ACTIVE_WINDOW).
    quint32 lastEventTime() const { return m_lastEventTime; }

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

    // Releases and repeats every grab for the current keyboard mapping.
    void renewGrabs();

private:
    struct Grab {
        quint32 keycode;
        quint32 xmods;
    };
    struct Registration {
        win::HWND hwnd;
        int id;
        quint32 mask;
        quint32 virtualKey;
        quint32 keycode = 0; // 0 while no key of the keyboard carries the keysym
        quint32 xmods = 0;
        QVector<Grab> grabs;
    };

    bool grab(Registration &r);
    void ungrab(Registration &r);
    void resolve(Registration &r);
    quint32 keysymToKeycode(quint32 keysym) const;
    quint32 readNumLockMask() const;
    void scheduleRenew();
    void deliver(win::HWND hwnd, int id, quint32 mask, quint32 virtualKey);

    Display *m_display = nullptr;
    unsigned long m_root = 0;
    quint32 m_numLockMask = 0;
    int m_xkbEventBase = -1;
    bool m_renewPending = false;
    quint32 m_lastEventTime = 0;
    QVector<Registration> m_registrations;
};
