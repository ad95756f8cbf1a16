#include "util/OuterFrame.h"

#include "util/ScreenFit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace {

constexpr int AssumedTitleHeight = 24; // until the window manager has framed the window

} // namespace

QMargins OuterFrameMargins(const QWidget *window)
{
    const QWindow *handle = window->windowHandle();
    return handle ? handle->frameMargins() : QMargins();
}

QRect OuterGeometry(const QWidget *window)
{
    return window->geometry().marginsAdded(OuterFrameMargins(window));
}

QRect PlaceOnScreens(const QWidget *window, const QRect &frame)
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    QVector<QRect> available;
    for (const QScreen *s : screens)
        available.append(s->availableGeometry());
    const int top = OuterFrameMargins(window).top();
    return FitOnScreens(frame, top > 0 ? top : AssumedTitleHeight, available,
                        int(screens.indexOf(QGuiApplication::primaryScreen())));
}
