#pragma once
// A top-level window's frame as the window manager reports it now. QWidget::frameGeometry()
// caches the frame and, after the window was hidden and shown again, may keep reporting none.
#include <QMargins>
#include <QRect>

class QWidget;

// Empty until the window manager has framed the window.
QMargins OuterFrameMargins(const QWidget *window);
// The widget's geometry with the frame around it.
QRect OuterGeometry(const QWidget *window);
// frame, an outer rectangle for window, brought within reach on the screens of now.
QRect PlaceOnScreens(const QWidget *window, const QRect &frame);
