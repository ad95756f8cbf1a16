#pragma once
// Keeping windows on the screens that exist now: a placement stored on a larger or
// since-removed screen, a window grown by its preview, or a stored value someone made up must
// not end up out of reach.
#include <QRect>
#include <QString>
#include <QVector>

#include <optional>

// A stored placement value in twips (15 to the pixel) as whole pixels; nothing for a text that
// is not a number, or a number beyond any screen ("nan", "1e12").
std::optional<int> StoredPixels(const QString &twips);

// frame is the outer rectangle; its top titleHeight pixels are the title bar. It stays where it
// is while its whole title bar and at least half of it lie on one screen's available area;
// otherwise it is brought onto the screen holding most of it (primary when none does).
QRect FitOnScreens(const QRect &frame, int titleHeight, const QVector<QRect> &available, int primary);

// frame moved inside area (up and left first), then shrunk where it is still larger.
QRect KeepInside(const QRect &frame, const QRect &area);
