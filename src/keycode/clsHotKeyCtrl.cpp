#include "keycode/clsHotKeyCtrl.h"

#include "keycode/HotKeyField.h"

using keycode::HotKeyField;

clsHotKeyCtrl::clsHotKeyCtrl() = default;

clsHotKeyCtrl::~clsHotKeyCtrl()
{
    if (m_hWnd) {
        if (auto router = clsMessage::pMessageClass(m_hWnd))
            router->mDeleteMessage(this, m_hWnd);
    }
    delete m_field.data();
}

win::LRESULT clsHotKeyCtrl::mCallBackWindow(win::HWND &, win::UINT &uMsg, win::WPARAM &wParam, win::LPARAM &lParam,
                                            bool &booReturn)
{
    // Every message goes on to the field, which keeps working as usual.
    booReturn = false;
    const qint32 param = qint32(quint32(quint64(lParam)));
    float x = clsMessage::mGetLowWord(param);
    float y = clsMessage::mGetHiWord(param);
    qint16 keyState = qint16(quint16(wParam));
    qint16 button = 0;
    switch (uMsg) {
    case win::WM_SETFOCUS:
        Q_EMIT GotFocus();
        break;
    case win::WM_KILLFOCUS:
        Q_EMIT LostFocus();
        break;
    case win::WM_LBUTTONDBLCLK:
    case win::WM_RBUTTONDBLCLK:
    case win::WM_MBUTTONDBLCLK:
        Q_EMIT DblClick();
        break;
    case win::WM_MOUSEMOVE:
        Q_EMIT MouseMove(keyState, x, y);
        break;
    case win::WM_LBUTTONDOWN:
    case win::WM_RBUTTONDOWN:
    case win::WM_MBUTTONDOWN:
        button = uMsg == win::WM_LBUTTONDOWN ? 1 : uMsg == win::WM_RBUTTONDOWN ? 2 : 4;
        Q_EMIT MouseDown(button, keyState, x, y);
        Q_EMIT Click();
        break;
    case win::WM_LBUTTONUP:
    case win::WM_RBUTTONUP:
    case win::WM_MBUTTONUP:
        button = uMsg == win::WM_LBUTTONUP ? 1 : uMsg == win::WM_RBUTTONUP ? 2 : 4;
        Q_EMIT MouseUp(button, keyState, x, y);
        break;
    default:
        break;
    }
    return 0;
}

quint16 clsHotKeyCtrl::value() const
{
    return quint16(win::SendMessage(m_hWnd, keycode::HKM_GETHOTKEY, 0, 0));
}

qint32 clsHotKeyCtrl::pVirtualKey() const
{
    return value() & 0xFF;
}

void clsHotKeyCtrl::pVirtualKey(qint32 lngNewVirtKey)
{
    win::SendMessage(m_hWnd, keycode::HKM_SETHOTKEY, win::WPARAM(qint64(pKeyFlag()) * 256 + lngNewVirtKey), 0);
}

void clsHotKeyCtrl::pKeyFlag(qint32 enumNewKeyFlag)
{
    win::SendMessage(m_hWnd, keycode::HKM_SETHOTKEY, win::WPARAM(qint64(enumNewKeyFlag) * 256 + pVirtualKey()), 0);
}

qint32 clsHotKeyCtrl::pKeyFlag() const
{
    return (value() >> 8) & 0xFF;
}

void clsHotKeyCtrl::mSetFocus()
{
    win::SetFocus(m_hWnd);
}

bool clsHotKeyCtrl::pEnabled() const
{
    return m_hWnd && !(win::GetWindowStyle(m_hWnd) & win::WS_DISABLED);
}

void clsHotKeyCtrl::pEnabled(bool booEnabled)
{
    setStyleBit(win::WS_DISABLED, !booEnabled);
}

bool clsHotKeyCtrl::pVisible() const
{
    return win::GetWindowStyle(m_hWnd) & win::WS_VISIBLE;
}

void clsHotKeyCtrl::pVisible(bool booVisible)
{
    setStyleBit(win::WS_VISIBLE, booVisible);
}

void clsHotKeyCtrl::setStyleBit(quint32 bit, bool on)
{
    const quint32 style = win::GetWindowStyle(m_hWnd);
    win::SetWindowStyle(m_hWnd, on ? style | bit : style & ~bit);
}

namespace {

win::RECT rectOf(win::HWND hwnd)
{
    win::RECT r;
    return win::GetWindowRect(hwnd, &r) ? r : win::RECT{};
}

} // namespace

qint32 clsHotKeyCtrl::pLeft() const { return rectOf(m_hWnd).left; }
qint32 clsHotKeyCtrl::pTop() const { return rectOf(m_hWnd).top; }
qint32 clsHotKeyCtrl::pHeight() const
{
    const win::RECT r = rectOf(m_hWnd);
    return r.bottom - r.top;
}
qint32 clsHotKeyCtrl::pWidth() const
{
    const win::RECT r = rectOf(m_hWnd);
    return r.right - r.left;
}

void clsHotKeyCtrl::pTop(qint32 lngNewTop) { moveTo(pLeft(), lngNewTop, pWidth(), pHeight()); }
void clsHotKeyCtrl::pHeight(qint32 lngNewHeight) { moveTo(pLeft(), pTop(), pWidth(), lngNewHeight); }
void clsHotKeyCtrl::pWidth(qint32 lngNewWidth) { moveTo(pLeft(), pTop(), lngNewWidth, pHeight()); }
void clsHotKeyCtrl::pLeft(qint32 lngNewLeft) { moveTo(lngNewLeft, pTop(), pWidth(), pHeight()); }

void clsHotKeyCtrl::moveTo(qint32 left, qint32 top, qint32 width, qint32 height)
{
    // The edges read in screen pixels; moving takes the parent's client pixels.
    qint32 originX = 0, originY = 0;
    win::ClientToScreen(pParent(), originX, originY);
    win::MoveWindow(m_hWnd, left - originX, top - originY, width, height, true);
}

win::HWND clsHotKeyCtrl::pParent() const
{
    return win::GetParent(m_hWnd);
}

bool clsHotKeyCtrl::mCreate(win::HWND lngParent, qint32 lngLeft, qint32 lngTop, qint32 lngHeight, qint32 lngWidth)
{
    if (m_hWnd)
        return false;
    QWidget *parent = WidgetWindow::widgetOf(lngParent);
    if (!parent)
        return false;
    m_field = new HotKeyField(parent, lngParent);
    m_field->setGeometry(lngLeft, lngTop, lngWidth, lngHeight);
    m_field->show();
    m_hWnd = m_field->hwnd();

    auto router = clsMessage::pMessageClass(m_hWnd);
    if (!router)
        router = std::make_shared<clsMessage>();
    router->mAddMessage(this, m_hWnd, true);
    return true;
}
