#include "app/AppIcon.h"

#include <QPainter>
#include <QPixmap>

QIcon AppIcon()
{
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.setBrush(QColor(64, 64, 64));
        p.setPen(Qt::NoPen);
        p.drawRoundedRect(QRectF(0, 0, size, size), size / 6.0, size / 6.0);
        p.setPen(QColor(255, 255, 255));
        QFont f = p.font();
        f.setBold(true);
        f.setPixelSize(size * 3 / 4);
        p.setFont(f);
        p.drawText(QRect(0, 0, size, size), Qt::AlignCenter, QStringLiteral("Q"));
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}
