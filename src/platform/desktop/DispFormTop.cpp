#include "platform/desktop/DispFormTop.h"

#include <QWidget>
#include <QWindow>

int SetFormTop(QWidget *window, int mode)
{
    if (!window || (mode != 0 && mode != 1))
        return 0;
    const bool wantTop = mode == 1;
    if (window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == wantTop)
        return 1;
    // Changing the flags re-creates the native window, which hides it. Position and size stay:
    // a window that was never placed (not yet shown, no stored placement) is left for the
    // window manager to place, instead of being pinned at the corner.
    const bool visible = window->isVisible();
    const bool placed = window->testAttribute(Qt::WA_Moved) || window->windowHandle();
    const QPoint position = window->pos();
    const QSize size = window->size();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, wantTop);
    if (placed)
        window->move(position);
    window->resize(size);
    if (visible)
        window->show();
    return 1;
}
