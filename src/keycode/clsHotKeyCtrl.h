#pragma once
// The hot-key field as an object a window creates at run time, reads and sets, and gets
// focus and mouse events from. The field's own messages reach it through the router.
#include "winmsg/clsMessage.h"

#include <QObject>
#include <QPointer>

namespace keycode {
class HotKeyField;
}

class clsHotKeyCtrl : public QObject, public PrefixedMessageListener
{
    Q_OBJECT
public:
    clsHotKeyCtrl();
    ~clsHotKeyCtrl() override; // detaches from the router, then destroys the field

    win::LRESULT mCallBackWindow(win::HWND &hWnd, win::UINT &uMsg, win::WPARAM &wParam, win::LPARAM &lParam,
                                 bool &booReturn) override;

    qint32 pVirtualKey() const;
    void pVirtualKey(qint32 lngNewVirtKey);
    void pKeyFlag(qint32 enumNewKeyFlag);
    qint32 pKeyFlag() const;
    void mSetFocus();
    bool pEnabled() const;
    void pEnabled(bool booEnabled);
    bool pVisible() const;
    void pVisible(bool booVisible);
    // Screen pixels; writing one keeps the other three where they are.
    qint32 pLeft() const;
    qint32 pTop() const;
    qint32 pHeight() const;
    qint32 pWidth() const;
    void pTop(qint32 lngNewTop);
    void pHeight(qint32 lngNewHeight);
    void pWidth(qint32 lngNewWidth);
    void pLeft(qint32 lngNewLeft);
    win::HWND phWnd() const { return m_hWnd; }
    win::HWND pParent() const;
    // Pixels in the parent's client area; height before width. False when the field exists
    // already or the parent is no window that can hold it.
    bool mCreate(win::HWND lngParent, qint32 lngLeft, qint32 lngTop, qint32 lngHeight, qint32 lngWidth);

Q_SIGNALS:
    void GotFocus();
    void LostFocus();
    void DblClick();
    void Click();
    void MouseMove(qint16 &keyState, float &X, float &Y);
    void MouseDown(qint16 &Button, qint16 &Shift, float &X, float &Y);
    void MouseUp(qint16 &Button, qint16 &Shift, float &X, float &Y);

private:
    quint16 value() const;
    void setStyleBit(quint32 bit, bool on);
    void moveTo(qint32 left, qint32 top, qint32 width, qint32 height);

    win::HWND m_hWnd = 0;
    QPointer<keycode::HotKeyField> m_field;
};
