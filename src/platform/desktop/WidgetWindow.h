#pragma once
// A widget with a handle in the window model: the style's visible and disabled bits, the
// rectangle, moves and the focus act on the widget itself.
#include "platform/WinWindow.h"

#include <QPointer>
#include <QWidget>

class WidgetWindow : public win::WindowSurface
{
public:
    // The handle lives as long as this object; parent 0 for a top-level window.
    WidgetWindow(QWidget *widget, win::WNDPROC proc, win::HWND parent = 0, quint32 style = 0);
    ~WidgetWindow() override;
    WidgetWindow(const WidgetWindow &) = delete;
    WidgetWindow &operator=(const WidgetWindow &) = delete;

    win::HWND hwnd() const { return hwnd_; }
    // The widget behind a handle made here; nullptr for any other handle or a deleted widget.
    static QWidget *widgetOf(win::HWND hwnd);

    quint32 stateBits() const override;
    void setStateBits(quint32 bits) override;
    win::RECT windowRect() const override;
    void clientOrigin(qint32 &x, qint32 &y) const override;
    void move(qint32 x, qint32 y, qint32 width, qint32 height, bool repaint) override;
    void setFocus() override;

private:
    QPointer<QWidget> widget_;
    win::HWND hwnd_ = 0;
};
