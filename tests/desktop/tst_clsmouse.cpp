#include "platform/x11/X11SyntheticInput.h"
#include "platform/desktop/clsMouse.h"

#include <QtTest>

class TestClsMouse : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void buttonsReachInput();
    void move_data();
    void move();
    void settingsAreLeftAlone();
    void withoutDisplayNothingBreaks();
    void physicalButton_data();
    void physicalButton();
};

void TestClsMouse::buttonsReachInput()
{
    RecordingSyntheticInput input;
    clsMouse mouse(input);
    mouse.LeftDown();
    mouse.LeftUp();
    mouse.RightDown();
    mouse.RightUp();
    mouse.MiddleDown();
    mouse.MiddleUp();
    QCOMPARE(input.calls, (QStringList{"button 1 down", "button 1 up", "button 3 down", "button 3 up",
                                       "button 2 down", "button 2 up"}));
}

void TestClsMouse::move_data()
{
    QTest::addColumn<int>("scaleMode");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<QString>("expected");
    QTest::newRow("pixels") << 3 << 10 << -4 << "move 10 -4";
    QTest::newRow("twips") << 1 << 150 << 45 << "move 10 3";
    QTest::newRow("twips truncate toward zero") << 1 << 29 << -29 << "move 1 -1";
    QTest::newRow("less than a pixel") << 1 << 14 << 0 << "move 0 0";
}

void TestClsMouse::move()
{
    QFETCH(int, scaleMode);
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(QString, expected);
    RecordingSyntheticInput input;
    clsMouse mouse(input);
    QCOMPARE(mouse.ScaleMode(), 3);
    mouse.setScaleMode(scaleMode);
    mouse.Move(x, y);
    QCOMPARE(input.calls, QStringList{expected});
}

void TestClsMouse::settingsAreLeftAlone()
{
    RecordingSyntheticInput input;
    clsMouse mouse(input);
    mouse.setSwapButton(true);
    mouse.setDoubleClickTime(900);
    mouse.setMouseSpeed(5);
    QCOMPARE(mouse.SwapButton(), false);
    QCOMPARE(mouse.DoubleClickTime(), 0);
    QCOMPARE(mouse.MouseSpeed(), 0);
    QVERIFY(input.calls.isEmpty()); // no input was injected for a setting
}

void TestClsMouse::withoutDisplayNothingBreaks()
{
    // Offscreen: no X display behind the default input.
    X11SyntheticInput input;
    QVERIFY(!input.isAvailable());
    clsMouse mouse;
    mouse.LeftDown();
    mouse.LeftUp();
    input.rememberFocus();
    QCOMPARE(input.rememberedWindow(), 0ul);
    QVERIFY(!input.paste());
}

void TestClsMouse::physicalButton_data()
{
    QTest::addColumn<QByteArray>("map");
    QTest::addColumn<int>("logical");
    QTest::addColumn<int>("physical");
    QTest::newRow("right-handed left") << QByteArray("\x01\x02\x03", 3) << 1 << 1;
    QTest::newRow("left-handed left") << QByteArray("\x03\x02\x01", 3) << 1 << 3;
    QTest::newRow("left-handed right") << QByteArray("\x03\x02\x01", 3) << 3 << 1;
    QTest::newRow("button disabled") << QByteArray("\x00\x02\x03", 3) << 1 << 1;
    QTest::newRow("no map") << QByteArray() << 2 << 2;
}

void TestClsMouse::physicalButton()
{
    QFETCH(QByteArray, map);
    QFETCH(int, logical);
    QFETCH(int, physical);
    QCOMPARE(x11input::physicalButton(logical, reinterpret_cast<const unsigned char *>(map.constData()),
                                      int(map.size())),
             physical);
}

QTEST_MAIN(TestClsMouse)
#include "tst_clsmouse.moc"
