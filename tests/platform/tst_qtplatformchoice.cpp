// Which Qt platform the programs choose in which session, and what the programs they start inherit.
#include "platform/QtPlatformChoice.h"

#include <QTest>

class TestQtPlatformChoice : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void platformChoice_data()
    {
        QTest::addColumn<QByteArray>("display");
        QTest::addColumn<QByteArray>("wayland");
        QTest::addColumn<QByteArray>("platform"); // as the user set it; null: not set
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("XWayland and Wayland: xcb") << QByteArray(":1") << QByteArray("wayland-0") << QByteArray() << QByteArray("xcb");
        QTest::newRow("the user's choice stays") << QByteArray(":1") << QByteArray("wayland-0") << QByteArray("wayland")
                                                 << QByteArray("wayland");
        QTest::newRow("plain X11: Qt's default") << QByteArray(":1") << QByteArray() << QByteArray() << QByteArray();
        QTest::newRow("Wayland without X: Qt's default") << QByteArray() << QByteArray("wayland-0") << QByteArray()
                                                         << QByteArray();
    }
    void platformChoice()
    {
        QFETCH(QByteArray, display);
        QFETCH(QByteArray, wayland);
        QFETCH(QByteArray, platform);
        QFETCH(QByteArray, expected);
        qputenv("DISPLAY", display);
        qputenv("WAYLAND_DISPLAY", wayland);
        if (platform.isNull())
            qunsetenv("QT_QPA_PLATFORM");
        else
            qputenv("QT_QPA_PLATFORM", platform);
        PreferXcbPlatform();
        QCOMPARE(qgetenv("QT_QPA_PLATFORM"), expected);
        // Programs we start make their own choice.
        const bool ours = platform.isNull() && !expected.isNull();
        QCOMPARE(StartedProgramEnvironment().contains(QStringLiteral("QT_QPA_PLATFORM")), !ours && !expected.isNull());
    }
};

QTEST_GUILESS_MAIN(TestQtPlatformChoice)
#include "tst_qtplatformchoice.moc"
