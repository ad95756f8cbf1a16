#include "app/ScreenFit.h"

#include <algorithm>

namespace {

qint64 areaOf(const QRect &r)
{
    return r.isValid() ? qint64(r.width()) * r.height() : 0;
}

} // namespace

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
