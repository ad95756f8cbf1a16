#include "platform/desktop/DispFormTop.h"

#include <QWidget>

int SetFormTop(QWidget *window, int mode)
{
    if (!window || (mode != 0 && mode != 1))
        return 0;
    const bool wantTop = mode == 1;
    if (window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == wantTop)
        return 1;
    // Changing the flags re-creates the native window, which hides it.
    const bool visible = window->isVisible();
    const QRect geometry = window->geometry();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, wantTop);
    window->setGeometry(geometry);
    if (visible)
        window->show();
    return 1;
}
