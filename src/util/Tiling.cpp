#include "util/Tiling.h"

#include <QPainter>
#include <QPixmap>

void TilePicture(QPainter &target, int targetWidth, int targetHeight, const QPixmap &picture, int tileWidth,
                 int tileHeight)
{
    if (tileWidth <= 0 || tileHeight <= 0)
        return;
    int x = 0;
    int y = 0;
    while (x <= targetWidth) {
        target.drawPixmap(QRect(x, y, tileWidth, tileHeight), picture);
        y += tileHeight;
        if (y > targetHeight) {
            y = 0;
            x += tileWidth;
        }
    }
}
