// Tiling covers the whole target, cut tiles included, with the picture at its tile size.
#include "util/Tiling.h"

#include <QPainter>
#include <QPixmap>
#include <QtTest>

class TestTiling : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void coversTarget_data()
    {
        QTest::addColumn<QSize>("target");
        QTest::addColumn<QSize>("tile");
        QTest::newRow("exact multiple") << QSize(100, 150) << QSize(50, 50);
        QTest::newRow("cut row and column") << QSize(123, 77) << QSize(50, 50);
        QTest::newRow("tile larger than target") << QSize(30, 20) << QSize(50, 50);
        QTest::newRow("narrow tiles") << QSize(64, 40) << QSize(7, 13);
        QTest::newRow("one pixel") << QSize(1, 1) << QSize(3, 3);
    }

    void coversTarget()
    {
        QFETCH(QSize, target);
        QFETCH(QSize, tile);
        // Every pixel of the picture differs, so a misplaced tile shows.
        QImage picture(tile, QImage::Format_RGB32);
        for (int y = 0; y < tile.height(); ++y)
            for (int x = 0; x < tile.width(); ++x)
                picture.setPixel(x, y, qRgb(x * 5 % 256, y * 5 % 256, 128));
        QImage canvas(target, QImage::Format_RGB32);
        canvas.fill(Qt::magenta);
        {
            QPainter painter(&canvas);
            TilePicture(painter, target.width(), target.height(), QPixmap::fromImage(picture), tile.width(),
                        tile.height());
        }
        for (int y = 0; y < target.height(); ++y)
            for (int x = 0; x < target.width(); ++x)
                QCOMPARE(canvas.pixel(x, y), picture.pixel(x % tile.width(), y % tile.height()));
    }

    void pictureDrawnAtTileSize()
    {
        QImage small(2, 2, QImage::Format_RGB32);
        small.fill(Qt::blue);
        QImage canvas(20, 20, QImage::Format_RGB32);
        canvas.fill(Qt::magenta);
        {
            QPainter painter(&canvas);
            TilePicture(painter, 20, 20, QPixmap::fromImage(small), 10, 10);
        }
        QCOMPARE(canvas.pixelColor(19, 19), QColor(Qt::blue));
        QCOMPARE(canvas.pixelColor(5, 15), QColor(Qt::blue));
    }
};

QTEST_MAIN(TestTiling)
#include "tst_tiling.moc"
