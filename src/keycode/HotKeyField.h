#pragma once
// The hot-key field: takes the focus, shows the combination being typed and keeps the last
// complete one as its value word. It has a handle in the window model: it answers
// HKM_GETHOTKEY and HKM_SETHOTKEY, and its focus and mouse events arrive there as messages,
// so that a router hooked on the handle sees them before the field's own procedure.
#include "platform/desktop/WidgetWindow.h"

#include <QWidget>

namespace keycode {

constexpr win::UINT HKM_SETHOTKEY = win::WM_USER + 1;
constexpr win::UINT HKM_GETHOTKEY = win::WM_USER + 2;

class HotKeyField : public QWidget
{
    Q_OBJECT
public:
    HotKeyField(QWidget *parent, win::HWND parentHandle);

    win::HWND hwnd() const { return window_.hwnd(); }
    quint16 value() const { return value_; }
    QString text() const;

protected:
    bool event(QEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void keyReleaseEvent(QKeyEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void paintEvent(QPaintEvent *e) override;
    QSize sizeHint() const override;

private:
    // The field's own window procedure: what is left once a router has seen the message.
    static win::LRESULT FieldProc(win::HWND hwnd, win::UINT msg, win::WPARAM wParam, win::LPARAM lParam);
    void sendMouse(win::UINT msg, QMouseEvent *e);
    void setValue(quint16 value);

    WidgetWindow window_;
    quint16 value_ = 0;
    int held_ = 0; // modifiers held while no key completes a combination
};

} // namespace keycode
