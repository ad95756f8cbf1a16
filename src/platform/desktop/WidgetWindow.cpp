#include "platform/desktop/WidgetWindow.h"

#include "util/OuterFrame.h"

#include <QHash>

namespace {

QHash<win::HWND, WidgetWindow *> &registry()
{
    static QHash<win::HWND, WidgetWindow *> windows;
    return windows;
}

} // namespace

WidgetWindow::WidgetWindow(QWidget *widget, win::WNDPROC proc, win::HWND parent, quint32 style)
    : widget_(widget), hwnd_(win::CreateWindowHandle(proc, widget, parent, style))
{
    win::SetWindowSurface(hwnd_, this);
    registry().insert(hwnd_, this);
}

WidgetWindow::~WidgetWindow()
{
    registry().remove(hwnd_);
    win::DestroyWindowHandle(hwnd_);
}

QWidget *WidgetWindow::widgetOf(win::HWND hwnd)
{
    const WidgetWindow *window = registry().value(hwnd);
    return window ? window->widget_.data() : nullptr;
}

quint32 WidgetWindow::stateBits() const
{
    if (!widget_)
        return 0;
    // A child counts as visible when it is not hidden itself, as on Windows.
    quint32 bits = widget_->isHidden() ? 0 : win::WS_VISIBLE;
    if (!widget_->isEnabled())
        bits |= win::WS_DISABLED;
    return bits;
}

void WidgetWindow::setStateBits(quint32 bits)
{
    if (!widget_)
        return;
    widget_->setVisible(bits & win::WS_VISIBLE);
    widget_->setEnabled(!(bits & win::WS_DISABLED));
}

win::RECT WidgetWindow::windowRect() const
{
    if (!widget_)
        return {};
    QRect r = widget_->isWindow() ? OuterGeometry(widget_) : widget_->geometry();
    if (!widget_->isWindow())
        r.moveTopLeft(widget_->parentWidget()->mapToGlobal(r.topLeft()));
    return win::RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

void WidgetWindow::clientOrigin(qint32 &x, qint32 &y) const
{
    if (!widget_)
        return;
    const QPoint origin = widget_->mapToGlobal(QPoint(0, 0));
    x = origin.x();
    y = origin.y();
}

void WidgetWindow::move(qint32 x, qint32 y, qint32 width, qint32 height, bool repaint)
{
    if (!widget_)
        return;
    if (widget_->isWindow()) {
        // Outer size for a top-level window: take the frame off what the widget gets.
        const QMargins frame = OuterFrameMargins(widget_);
        widget_->move(x, y);
        widget_->resize(width - frame.left() - frame.right(), height - frame.top() - frame.bottom());
    } else {
        widget_->setGeometry(x, y, width, height);
    }
    if (repaint)
        widget_->update();
}

void WidgetWindow::setFocus()
{
    if (widget_)
        widget_->setFocus(Qt::OtherFocusReason);
}
