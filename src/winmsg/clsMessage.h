#pragma once
// Message router: replaces the window procedure of one window and hands each message to
// a list of listeners before (or instead of) the previous procedure. Components find the
// router of a window from its handle alone, through a property named by the handle.
#include "platform/WinWindow.h"

#include <QVector>
#include <memory>
#include <stdexcept>

// Raised by the word and byte helpers when a value does not fit.
class OverflowError : public std::overflow_error
{
public:
    OverflowError() : std::overflow_error("Overflow") {}
};

class MessageListener
{
public:
    virtual ~MessageListener() = default;
    // Set booReturn to answer the message with this result instead of the previous procedure.
    virtual win::LRESULT CallBackWindow(win::HWND &hwnd, win::UINT &uMsg, win::WPARAM &wParam,
                                        win::LPARAM &lParam, bool &booReturn) = 0;
};

// For listeners written with the m-prefixed names (the key-code tool's field).
class PrefixedMessageListener : public MessageListener
{
public:
    virtual win::LRESULT mCallBackWindow(win::HWND &hwnd, win::UINT &uMsg, win::WPARAM &wParam,
                                         win::LPARAM &lParam, bool &booReturn) = 0;
    win::LRESULT CallBackWindow(win::HWND &hwnd, win::UINT &uMsg, win::WPARAM &wParam,
                                win::LPARAM &lParam, bool &booReturn) final
    {
        return mCallBackWindow(hwnd, uMsg, wParam, lParam, booReturn);
    }
};

struct MessageEntry {
    MessageListener *listener = nullptr; // not owned
    win::HWND hwnd = 0;
    bool enabled = false;
};

// Create routers with std::make_shared. A hooked router keeps itself alive (the window
// refers to it), so a caller may drop its reference at any time; it goes away once
// the last listener has left and the window is unhooked.
class clsMessage : public std::enable_shared_from_this<clsMessage>
{
public:
    clsMessage() = default;
    ~clsMessage();
    clsMessage(const clsMessage &) = delete;
    clsMessage &operator=(const clsMessage &) = delete;

    template <typename T>
    static void CopyObject(T *&objDst, qintptr lngObjPtr)
    {
        objDst = lngObjPtr ? reinterpret_cast<T *>(lngObjPtr) : nullptr;
    }

    static quint8 HIBYTE(qint32 lngDWORD);
    static quint8 LOBYTE(qint32 lngDWORD);
    static qint16 MAKEWORD(quint8 bytLow, quint8 bytHi);
    static qint32 MAKELONG(qint32 lngLow, qint32 lngHi);
    static qint16 HIWORD(qint32 lngLONG);
    static qint16 LOWORD(qint32 lngLONG);

    int MessageCount() const { return m_listeners.size(); }
    int ChildMessageCount() const { return m_children.size(); }
    static std::shared_ptr<clsMessage> MessageClass(win::HWND lngDesthWnd);

    bool AddMessage(MessageListener *objDest, win::HWND lngDesthWnd, bool booMessage);
    bool DeleteMessage(MessageListener *objDest, win::HWND lngDesthWnd);
    bool DeleteChildMessage(MessageListener *objDest, win::HWND lngDesthWnd);
    bool AddChildMessage(MessageListener *objDest, win::HWND lngDestChildhWnd, bool booMessage);

    // Dispatch of one message; only the router's window procedure calls this.
    win::LRESULT CallBackWindow(win::HWND hwnd, win::UINT uMsg, win::WPARAM wParam, win::LPARAM lParam);

    // The same operations under the names the key-code tool uses.
    static quint16 mGetLowWord(qint32 lngParam) { return quint16(quint32(lngParam) & 0xFFFF); }
    static quint16 mGetHiWord(qint32 lngParam) { return quint16(quint32(lngParam) >> 16); }
    static qint32 mMakeParam(qint32 lngHi, qint32 lngLow);
    template <typename T>
    static void mCopyObject(T *&objDst, qintptr lngObjPtr) { CopyObject(objDst, lngObjPtr); }
    static std::shared_ptr<clsMessage> pMessageClass(win::HWND h) { return MessageClass(h); }
    int pMessageCount() const { return MessageCount(); }
    int pChildMessageCount() const { return ChildMessageCount(); }
    bool mAddMessage(MessageListener *o, win::HWND h, bool b) { return AddMessage(o, h, b); }
    bool mDeleteMessage(MessageListener *o, win::HWND h) { return DeleteMessage(o, h); }
    bool mAddChildMessage(MessageListener *o, win::HWND h, bool b) { return AddChildMessage(o, h, b); }
    bool mDeleteChildMessage(MessageListener *o, win::HWND h) { return DeleteChildMessage(o, h); }

    win::HWND hookedWindow() const { return m_hwnd; }
    bool isHooked() const { return m_hwnd != 0; }

    static QString PropertyName(win::HWND hwnd) { return QString::number(hwnd); }

private:
    bool Hook(win::HWND hwnd);
    bool Unhook();
    static win::LRESULT RouterProc(win::HWND hwnd, win::UINT uMsg, win::WPARAM wParam, win::LPARAM lParam);

    win::HWND m_hwnd = 0;
    win::WNDPROC m_prevProc = nullptr;
    QVector<MessageEntry> m_listeners;
    QVector<MessageEntry> m_children;
    bool m_dispatching = false;
    std::shared_ptr<clsMessage> m_selfWhileHooked;
};
