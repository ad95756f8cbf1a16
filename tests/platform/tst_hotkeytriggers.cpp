#include "platform/HotKeyTriggers.h"

#include <QtTest>

class TestHotKeyTriggers : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void notations_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("mask");
        QTest::addColumn<QString>("portal");
        QTest::addColumn<QString>("gnome");
        QTest::addColumn<QString>("sway");
        QTest::addColumn<QString>("hyprland");
        // The nine defaults.
        QTest::newRow("PopUp") << 46 << 1 << "ALT+Delete" << "<Alt>Delete" << "Mod1+Delete" << "ALT, Delete";
        QTest::newRow("PopUpExtApp") << 145 << 1 << "ALT+Scroll_Lock" << "<Alt>Scroll_Lock" << "Mod1+Scroll_Lock" << "ALT, Scroll_Lock";
        QTest::newRow("PopUpClock") << 34 << 1 << "ALT+Page_Down" << "<Alt>Page_Down" << "Mod1+Page_Down" << "ALT, Page_Down";
        QTest::newRow("PopUpMenu") << 35 << 1 << "ALT+End" << "<Alt>End" << "Mod1+End" << "ALT, End";
        QTest::newRow("PopUpHistory") << 45 << 1 << "ALT+Insert" << "<Alt>Insert" << "Mod1+Insert" << "ALT, Insert";
        QTest::newRow("PopUpWebSearch") << 33 << 1 << "ALT+Page_Up" << "<Alt>Page_Up" << "Mod1+Page_Up" << "ALT, Page_Up";
        QTest::newRow("PopUpDic") << 33 << 8 << "LOGO+Page_Up" << "<Super>Page_Up" << "Mod4+Page_Up" << "SUPER, Page_Up";
        QTest::newRow("PopUpTV") << 34 << 8 << "LOGO+Page_Down" << "<Super>Page_Down" << "Mod4+Page_Down" << "SUPER, Page_Down";
        QTest::newRow("PopUpCalc") << 36 << 1 << "ALT+Home" << "<Alt>Home" << "Mod1+Home" << "ALT, Home";
        // Each modifier alone, and all of them in the desktops' order.
        QTest::newRow("ctrl") << 46 << 2 << "CTRL+Delete" << "<Control>Delete" << "Ctrl+Delete" << "CTRL, Delete";
        QTest::newRow("shift") << 46 << 4 << "SHIFT+Delete" << "<Shift>Delete" << "Shift+Delete" << "SHIFT, Delete";
        QTest::newRow("all four") << 36 << 15 << "CTRL+ALT+SHIFT+LOGO+Home" << "<Control><Alt><Shift><Super>Home"
                                  << "Ctrl+Mod1+Shift+Mod4+Home" << "CTRL ALT SHIFT SUPER, Home";
        // Letters are named in lower case, function keys by number; no modifier leaves the key alone.
        QTest::newRow("letter") << int('A') << 6 << "CTRL+SHIFT+a" << "<Control><Shift>a" << "Ctrl+Shift+a" << "CTRL SHIFT, a";
        QTest::newRow("F12 alone") << 0x7B << 0 << "F12" << "F12" << "F12" << ", F12";
        QTest::newRow("no keysym") << 0xFF << 1 << "" << "" << "" << "";
    }
    void notations()
    {
        QFETCH(int, code);
        QFETCH(int, mask);
        QFETCH(QString, portal);
        QFETCH(QString, gnome);
        QFETCH(QString, sway);
        QFETCH(QString, hyprland);
        QCOMPARE(hotkeytriggers::PortalTrigger(code, mask), portal);
        QCOMPARE(hotkeytriggers::GnomeAccelerator(code, mask), gnome);
        QCOMPARE(hotkeytriggers::SwayKeys(code, mask), sway);
        QCOMPARE(hotkeytriggers::HyprlandKeys(code, mask), hyprland);
    }
};

QTEST_APPLESS_MAIN(TestHotKeyTriggers)
#include "tst_hotkeytriggers.moc"
