#pragma once
// Covers a target with copies of a picture, column by column from the top left. The last row
// and column may reach past the target's edge (the painter clips them).
class QPainter;
class QPixmap;

// tileWidth and tileHeight must be positive; the picture is drawn at that size.
void TilePicture(QPainter &target, int targetWidth, int targetHeight, const QPixmap &picture, int tileWidth,
                 int tileHeight);
