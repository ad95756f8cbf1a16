#pragma once
// System-wide hot keys for one window, identified by name. Each name is an atom, and the
// atom is the hot key's identifier with the registration service; WM_HOTKEY messages of the
// window reach this object through the window's message router.
#include "platform/AtomTable.h"
#include "platform/HotKeyService.h"
#include "winmsg/clsMessage.h"

#include <QObject>
#include <QStringList>

class clsHotKey : public QObject, public MessageListener
{
    Q_OBJECT
public:
    // Longest name that comes back whole in a HotKey event.
    static constexpr int NameBufferLength = 56;

    clsHotKey(AtomTable &atoms, HotKeyService &service, QObject *parent = nullptr);
    ~clsHotKey() override; // unregisters everything and leaves the router

    bool mAddHotKey(const QString &strNewKey, qint32 lngVirtualKey, qint32 enumMask);
    bool mDeleteHotKey(const QString &strDestKey);

    win::LRESULT CallBackWindow(win::HWND &hwnd, win::UINT &uMsg, win::WPARAM &wParam,
                                win::LPARAM &lParam, bool &booReturn) override;

    win::HWND pTarget() const { return m_target; }
    // Only the first window counts.
    void setPTarget(win::HWND lngDestWindow);

    QStringList registeredNames() const { return m_names; }

Q_SIGNALS:
    void HotKey(const QString &key, qint32 Mask, qint32 VertualKey);

private:
    bool UnregisterByName(const QString &strDestKey);
    void Release();

    AtomTable &m_atoms;
    HotKeyService &m_service;
    win::HWND m_target = 0;
    QStringList m_names;
};
