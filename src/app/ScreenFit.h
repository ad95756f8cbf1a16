#pragma once
// Keeping the main window on the screens that exist now: a placement stored on a larger or
// since-removed screen, or a window grown by its preview, must not end up out of reach.
#include <QRect>
#include <QVector>

// frame is the outer rectangle; its top titleHeight pixels are the title bar. It stays where it
// is while its whole title bar and at least half of it lie on one screen's available area;
// otherwise it is brought onto the screen holding most of it (primary when none does).
QRect FitOnScreens(const QRect &frame, int titleHeight, const QVector<QRect> &available, int primary);

// frame moved inside area (up and left first), then shrunk where it is still larger.
QRect KeepInside(const QRect &frame, const QRect &area);
