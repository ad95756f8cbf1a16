// The calculator bar in the whole program: opened by its hot key from another program's text
// field, it calculates and pastes the result back into that field.
#include "QuillboxSandbox.h"

#include <QProcess>
#include <QTest>

using namespace e2e;

class TestE2ECalc : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(!qEnvironmentVariableIsEmpty("DISPLAY"), "needs an X server");
    }

    void hotKeyFromTextFieldPastesTheResult()
    {
        QuillboxSandbox box;
        QVERIFY(box.isValid());
        QVERIFY(box.writeCardFile(greetingCards()));
        // The bar's options come from the settings: no grouping commas this time.
        QVERIFY(box.writeSettings({QStringLiteral("CalcSplit3 = False")}));
        QProcess *p = box.start();
        const QString mainWindow = box.waitForWindow();
        QVERIFY(!mainWindow.isEmpty());

        PasteTarget target;
        QVERIFY(target.start(QStringLiteral(PASTE_TARGET), box.path(QStringLiteral("pasted.txt"))));
        activate(target.window());
        QTRY_COMPARE(xdo({QStringLiteral("getwindowfocus")}), target.window());
        QVERIFY(setClipboardText(QStringLiteral("  1+2 \nsecond line")));

        key(QStringLiteral("alt+Home"));
        QStringList bars;
        QTRY_VERIFY_WITH_TIMEOUT(!(bars = visibleWindows(QStringLiteral("^電卓$"))).isEmpty(), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(xdo({QStringLiteral("getwindowfocus")}), bars.first(), 5000);
        // The main window makes way for the bar.
        QTRY_VERIFY(!box.windowVisible(mainWindow));

        // The box holds the clipboard's first line; typing goes on from there.
        xdo({QStringLiteral("type"), QStringLiteral("*3000")});
        key(QStringLiteral("shift+Return"));
        QTRY_COMPARE_WITH_TIMEOUT(target.pasted(), QStringLiteral("6001"), 5000);
        QTRY_VERIFY(visibleWindows(QStringLiteral("^電卓$")).isEmpty());
        QCOMPARE(xdo({QStringLiteral("getwindowfocus")}), target.window());
        QCOMPARE(clipboardText(), QStringLiteral("6001"));

        // A 40,000-character sum from the clipboard is calculated whole, not cut at the box's
        // default 32,767 characters (which would give 16384).
        // Another program's copy that takes its owner a while to hand over: the hot key pressed
        // meanwhile starts from that copy, not from "6001".
        QProcess *owner = box.startProcess(QStringLiteral(SECRET_OWNER),
                                           {QStringLiteral("7*6"), QStringLiteral("--no-hint"), QStringLiteral("--slow"), QStringLiteral("700")});
        QTRY_VERIFY_WITH_TIMEOUT(owner->canReadLine(), 10000);
        key(QStringLiteral("alt+Home"));
        QTRY_VERIFY_WITH_TIMEOUT(!(bars = visibleWindows(QStringLiteral("^電卓$"))).isEmpty(), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(xdo({QStringLiteral("getwindowfocus")}), bars.first(), 5000);
        key(QStringLiteral("shift+Return"));
        QTRY_COMPARE_WITH_TIMEOUT(target.pasted(), QStringLiteral("600142"), 5000);
        owner->write("quit\n");
        QTRY_VERIFY(visibleWindows(QStringLiteral("^電卓$")).isEmpty());

        QVERIFY(setClipboardText(QStringList(20000, QStringLiteral("1")).join(u'+')));
        key(QStringLiteral("alt+Home"));
        QTRY_VERIFY_WITH_TIMEOUT(!(bars = visibleWindows(QStringLiteral("^電卓$"))).isEmpty(), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(xdo({QStringLiteral("getwindowfocus")}), bars.first(), 5000);
        key(QStringLiteral("shift+Return"));
        QTRY_COMPARE_WITH_TIMEOUT(target.pasted(), QStringLiteral("60014220000"), 5000);
        // "clear" is no failure: Shift+Enter copies 0 and pastes it.
        QTRY_VERIFY(visibleWindows(QStringLiteral("^電卓$")).isEmpty());
        key(QStringLiteral("alt+Home"));
        QTRY_VERIFY_WITH_TIMEOUT(!(bars = visibleWindows(QStringLiteral("^電卓$"))).isEmpty(), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(xdo({QStringLiteral("getwindowfocus")}), bars.first(), 5000);
        key(QStringLiteral("ctrl+a"));
        xdo({QStringLiteral("type"), QStringLiteral("clear")});
        key(QStringLiteral("shift+Return"));
        QTRY_COMPARE_WITH_TIMEOUT(target.pasted(), QStringLiteral("600142200000"), 5000);
        QTRY_VERIFY(visibleWindows(QStringLiteral("^電卓$")).isEmpty());
        QCOMPARE(clipboardText(), QStringLiteral("0"));

        // The command-line calculator works beside the running program: no instance lock.
        QString out;
        QCOMPARE(box.quillbox({QStringLiteral("--calc"), QStringLiteral("n")}, &out), 1);
        QCOMPARE(box.quillbox({QStringLiteral("--calc"), QStringLiteral("6001*2")}, &out), 0);
        QCOMPARE(out, QStringLiteral("12002\n"));

        target.stop();
        box.quitAndWait(p);
        QCOMPARE(box.setting(QStringLiteral("CalcSplit3")), QStringLiteral("False"));
        QCOMPARE(box.setting(QStringLiteral("CalcPasteAfterCopy")), QStringLiteral("True"));
    }
};

QTEST_MAIN(TestE2ECalc)
#include "tst_e2e_calc.moc"
