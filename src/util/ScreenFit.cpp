#include "util/ScreenFit.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double TwipsPerPixel = 15;
// A million pixels: beyond any screen, yet far from the ends of an int.
constexpr double MaxStoredTwips = TwipsPerPixel * 1e6;

qint64 areaOf(const QRect &r)
{
    return r.isValid() ? qint64(r.width()) * r.height() : 0;
}

} // namespace

std::optional<int> StoredPixels(const QString &twips)
{
    bool ok = false;
    const double value = twips.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value) || std::abs(value) > MaxStoredTwips)
        return std::nullopt;
    return qRound(value / TwipsPerPixel);
}

QRect KeepInside(const QRect &frame, const QRect &area)
{
    const int w = std::min(frame.width(), area.width());
    const int h = std::min(frame.height(), area.height());
    const int x = std::clamp(frame.x(), area.left(), area.left() + area.width() - w);
    const int y = std::clamp(frame.y(), area.top(), area.top() + area.height() - h);
    return QRect(x, y, w, h);
}

QRect FitOnScreens(const QRect &frame, int titleHeight, const QVector<QRect> &available, int primary)
{
    if (available.isEmpty())
        return frame;
    const QRect titleBar(frame.x(), frame.y(), frame.width(), std::max(1, titleHeight));
    int best = -1;
    qint64 bestArea = 0;
    for (int i = 0; i < available.size(); ++i) {
        const qint64 shared = areaOf(frame & available[i]);
        if (available[i].contains(titleBar) && 2 * shared >= areaOf(frame))
            return frame;
        if (shared > bestArea) {
            bestArea = shared;
            best = i;
        }
    }
    if (best < 0)
        best = std::clamp(primary, 0, int(available.size()) - 1);
    return KeepInside(frame, available[best]);
}
