// The drawing and sizing aids for windows, on a real X server.
#include "util/ChangeComboLines.h"
#include "util/EtchedLine.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QImage>
#include <QTest>

class TestToolWidgets : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void dropDownLines_data()
    {
        QTest::addColumn<int>("items");
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("visible");
        QTest::newRow("thirty of forty") << 40 << 30 << 30;
        QTest::newRow("fewer items than lines") << 12 << 30 << 12;
        QTest::newRow("five") << 40 << 5 << 5;
    }
    void dropDownLines()
    {
        QFETCH(int, items);
        QFETCH(int, lines);
        QFETCH(int, visible);
        QWidget window;
        window.resize(300, 100);
        auto *combo = new QComboBox(&window);
        for (int i = 0; i < items; ++i)
            combo->addItem(QStringLiteral("%1 service").arg(i));
        SetDropDownLines(combo, qint16(lines));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        combo->showPopup();
        QAbstractItemView *view = combo->view();
        QTRY_VERIFY(view->isVisible());
        const int rowHeight = view->sizeHintForRow(0);
        QVERIFY(rowHeight > 0);
        // The list shows that many whole rows, give or take the frame.
        const int shown = view->viewport()->height() / rowHeight;
        QCOMPARE(shown, visible);
        combo->hidePopup();
    }

    void etchedLine_data()
    {
        QTest::addColumn<QRect>("rule"); // x, y, width; height unused
        QTest::newRow("near the top") << QRect(4, 10, 100, 0);
        QTest::newRow("lower, longer") << QRect(0, 60, 190, 0);
    }
    void etchedLine()
    {
        QFETCH(QRect, rule);
        QWidget window;
        window.resize(200, 100);
        QPalette palette = window.palette();
        palette.setColor(QPalette::Window, Qt::white);
        palette.setColor(QPalette::Dark, QColor(10, 20, 30));
        palette.setColor(QPalette::Light, QColor(200, 210, 220));
        window.setPalette(palette);
        window.setAutoFillBackground(true);
        DrawEtchedLine(&window, rule.x(), rule.y(), rule.width());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QImage image = window.grab().toImage();
        for (int x : {rule.x(), rule.x() + rule.width() / 2, rule.x() + rule.width()}) {
            QCOMPARE(image.pixelColor(x, rule.y()), QColor(10, 20, 30));
            QCOMPARE(image.pixelColor(x, rule.y() + 1), QColor(200, 210, 220));
            QCOMPARE(image.pixelColor(x, rule.y() + 2), QColor(Qt::white));
        }
        QCOMPARE(image.pixelColor(rule.x() + rule.width() + 1, rule.y()), QColor(Qt::white));
        if (rule.x() > 0)
            QCOMPARE(image.pixelColor(rule.x() - 1, rule.y()), QColor(Qt::white));
    }
};

QTEST_MAIN(TestToolWidgets)
#include "tst_ToolWidgets.moc"
