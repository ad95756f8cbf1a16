#include "util/OuterFrame.h"

#include <QWidget>
#include <QWindow>

QMargins OuterFrameMargins(const QWidget *window)
{
    const QWindow *handle = window->windowHandle();
    return handle ? handle->frameMargins() : QMargins();
}

QRect OuterGeometry(const QWidget *window)
{
    return window->geometry().marginsAdded(OuterFrameMargins(window));
}
