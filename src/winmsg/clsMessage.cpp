#include "winmsg/clsMessage.h"

#include <cstring>

clsMessage::~clsMessage()
{
    // A router owned by shared_ptr cannot die hooked; one made on the stack could, and
    // must not leave the window calling into freed memory.
    if (m_hwnd != 0)
        Unhook();
}

quint8 clsMessage::HIBYTE(qint32 lngDWORD)
{
    if (lngDWORD < -65536 || lngDWORD > 65535)
        throw OverflowError();
    if (lngDWORD < 0)
        lngDWORD += 65536;
    return quint8((lngDWORD >> 8) & 0xFF);
}

quint8 clsMessage::LOBYTE(qint32 lngDWORD) { return quint8(lngDWORD & 0xFF); }

qint16 clsMessage::MAKEWORD(quint8 bytLow, quint8 bytHi)
{
    if (bytHi >= 128)
        throw OverflowError();
    return qint16(bytHi * 256 + bytLow);
}

qint32 clsMessage::MAKELONG(qint32 lngLow, qint32 lngHi)
{
    if (lngHi < -32768 || lngHi > 32767)
        throw OverflowError();
    return qint32(qint64(lngHi) * 65536 + (lngLow & 0xFFFF));
}

qint16 clsMessage::HIWORD(qint32 lngLONG) { return qint16(lngLONG >> 16); }

qint16 clsMessage::LOWORD(qint32 lngLONG) { return qint16(quint16(quint32(lngLONG) & 0xFFFF)); }

qint32 clsMessage::mMakeParam(qint32 lngHi, qint32 lngLow)
{
    qint64 sum = qint64(lngHi) * 65536 + lngLow;
    if (sum >= 2147483648LL)
        sum -= 4294967296LL;
    if (sum < -2147483648LL || sum > 2147483647LL)
        throw OverflowError();
    return qint32(sum);
}

std::shared_ptr<clsMessage> clsMessage::MessageClass(win::HWND lngDesthWnd)
{
    const qintptr value = win::GetProp(lngDesthWnd, PropertyName(lngDesthWnd));
    if (value <= 0)
        return nullptr;
    clsMessage *router = nullptr;
    CopyObject(router, value);
    return router->m_selfWhileHooked;
}

bool clsMessage::AddMessage(MessageListener *objDest, win::HWND lngDesthWnd, bool booMessage)
{
    for (const MessageEntry &e : m_listeners) {
        if (e.hwnd != lngDesthWnd)
            return false;
    }
    m_listeners.append(MessageEntry{objDest, lngDesthWnd, booMessage});
    if (m_listeners.size() == 1)
        Hook(lngDesthWnd);
    return true;
}

bool clsMessage::AddChildMessage(MessageListener *objDest, win::HWND lngDestChildhWnd, bool booMessage)
{
    for (const MessageEntry &e : m_children) {
        if (e.hwnd == lngDestChildhWnd)
            return false;
    }
    m_children.append(MessageEntry{objDest, lngDestChildhWnd, booMessage});
    return true;
}

bool clsMessage::DeleteMessage(MessageListener *objDest, win::HWND)
{
    // Unhooking drops the router's hold on itself; stay alive until we return.
    auto keepAlive = weak_from_this().lock();
    QVector<MessageEntry> kept;
    for (const MessageEntry &e : m_listeners) {
        if (e.listener != objDest)
            kept.append(e);
    }
    if (kept.size() == m_listeners.size())
        return false;
    m_listeners = kept;
    if (m_listeners.isEmpty())
        Unhook();
    return true;
}

bool clsMessage::DeleteChildMessage(MessageListener *, win::HWND lngDesthWnd)
{
    QVector<MessageEntry> kept;
    for (const MessageEntry &e : m_children) {
        if (e.hwnd != lngDesthWnd)
            kept.append(e);
    }
    if (kept.size() == m_children.size())
        return false;
    m_children = kept;
    return true;
}

bool clsMessage::Hook(win::HWND hwnd)
{
    m_hwnd = hwnd;
    if (!win::SetProp(hwnd, PropertyName(hwnd), reinterpret_cast<qintptr>(this)))
        return false;
    m_selfWhileHooked = weak_from_this().lock();
    m_prevProc = win::SetWindowProc(hwnd, &clsMessage::RouterProc);
    return m_prevProc != nullptr;
}

bool clsMessage::Unhook()
{
    if (m_hwnd == 0)
        return false;
    const bool windowAlive = win::IsWindow(m_hwnd);
    if (windowAlive) {
        win::SetWindowProc(m_hwnd, m_prevProc);
        win::RemoveProp(m_hwnd, PropertyName(m_hwnd));
    }
    m_hwnd = 0;
    m_prevProc = nullptr;
    m_selfWhileHooked.reset(); // may be the last reference; callers hold their own
    return windowAlive;
}

win::LRESULT clsMessage::RouterProc(win::HWND hwnd, win::UINT uMsg, win::WPARAM wParam, win::LPARAM lParam)
{
    const qintptr value = win::GetProp(hwnd, PropertyName(hwnd));
    if (value <= 0)
        return 0;
    clsMessage *router = nullptr;
    CopyObject(router, value);
    auto keepAlive = router->weak_from_this().lock(); // a listener may remove the last entry
    return router->CallBackWindow(hwnd, uMsg, wParam, lParam);
}

namespace {

MessageListener *findChild(const QVector<MessageEntry> &children, win::HWND child)
{
    for (const MessageEntry &e : children) {
        if (e.hwnd == child && e.enabled)
            return e.listener;
    }
    return nullptr;
}

bool stillListening(const QVector<MessageEntry> &table, MessageListener *listener)
{
    for (const MessageEntry &e : table) {
        if (e.listener == listener)
            return true;
    }
    return false;
}

} // namespace

win::LRESULT clsMessage::CallBackWindow(win::HWND hwnd, win::UINT uMsg, win::WPARAM wParam, win::LPARAM lParam)
{
    // Captured now: a listener may unhook the router while we dispatch.
    const win::WNDPROC previous = m_prevProc;
    if (m_dispatching)
        return win::CallWindowProc(previous, hwnd, uMsg, wParam, lParam);

    m_dispatching = true;
    bool booReturn = false;
    win::LRESULT result = 0;
    auto call = [&](MessageListener *listener) {
        try {
            result = listener->CallBackWindow(hwnd, uMsg, wParam, lParam, booReturn);
        } catch (...) {
            // A failing listener must not keep the others or the window from the message.
        }
    };

    MessageListener *child = nullptr;
    if (uMsg == win::WM_COMMAND) {
        child = findChild(m_children, win::HWND(quint64(lParam)));
    } else if (uMsg == win::WM_NOTIFY && lParam != 0) {
        win::NMHDR header;
        std::memcpy(&header, reinterpret_cast<const void *>(lParam), sizeof header);
        child = findChild(m_children, header.hwndFrom);
    }
    if (child)
        call(child);

    // Listeners may add or remove entries while being called: walk a copy and skip the
    // ones that left meanwhile, so no removed (possibly destroyed) listener is called.
    const QVector<MessageEntry> snapshot = m_listeners;
    for (const MessageEntry &e : snapshot) {
        if (e.enabled && stillListening(m_listeners, e.listener))
            call(e.listener);
    }
    m_dispatching = false;

    if (booReturn)
        return result;
    return win::CallWindowProc(previous, hwnd, uMsg, wParam, lParam);
}
