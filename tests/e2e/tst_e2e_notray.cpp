// The whole program on a desktop without a notification area: its own X server and window
// manager, and no tray host, so no icon can bring the lists back.
#include "QuillboxSandbox.h"

#include <QTest>

using namespace e2e;

class TestE2ENoTray : public QObject
{
    Q_OBJECT

    std::unique_ptr<PrivateDisplay> display_;

    static bool focused(const QString &window) { return xdo({QStringLiteral("getwindowfocus")}) == window; }

    // The window's close box, as the window manager offers it on Alt+F4.
    static void closeWindow(const QString &window)
    {
        activate(window);
        key(QStringLiteral("alt+F4"));
    }

private Q_SLOTS:
    void initTestCase()
    {
        display_ = std::make_unique<PrivateDisplay>();
        QVERIFY2(display_->isValid(), "cannot start a private X server with a window manager");
    }

    void cleanupTestCase() { display_.reset(); }

    void secondStartBringsTheListsBack()
    {
        QuillboxSandbox box;
        QVERIFY(box.isValid());
        QVERIFY(box.writeCardFile(greetingCards()));
        const QString other = box.path(QStringLiteral("other.vlw"));
        QVERIFY(writeFile(other, card(QStringLiteral("件名"), QStringLiteral("仕事"), QStringLiteral("from the other file"))));

        // Started for a hot key whose window takes the main window's place: the lists stay up,
        // as the user has not yet been told how to bring them back.
        QCOMPARE(box.quillbox({QStringLiteral("--hotkey"), QStringLiteral("PopUpCalc")}), 0);
        const QString window = box.waitForWindow();
        QVERIFY(!window.isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(!visibleWindows(QStringLiteral("^電卓$")).isEmpty(), 5000);
        QTest::qWait(500);
        QVERIFY(box.windowVisible(window));

        // The hint comes once the tray has had its few seconds to appear.
        QStringList hints;
        QTRY_VERIFY_WITH_TIMEOUT(!(hints = visibleWindows(QStringLiteral("^Quillbox$"))).isEmpty(), 20000);
        activate(hints.first());
        key(QStringLiteral("Return"));
        QTRY_VERIFY(visibleWindows(QStringLiteral("^Quillbox$")).isEmpty());

        closeWindow(window);
        QTRY_VERIFY_WITH_TIMEOUT(!box.windowVisible(window), 5000);
        QString out, err;
        QCOMPARE(box.quillbox({}, &out, &err), 0);
        QVERIFY2((out + err).trimmed().isEmpty(), qPrintable(out + err));
        QTRY_VERIFY_WITH_TIMEOUT(box.windowVisible(window) && focused(window), 5000);
        // C is the card file's group only while the group list has the focus (A and B are the histories).
        keys({QStringLiteral("c"), QStringLiteral("a")});
        QTRY_COMPARE(clipboardText(), QStringLiteral("おはようございます"));

        closeWindow(window);
        QTRY_VERIFY_WITH_TIMEOUT(!box.windowVisible(window), 5000);
        QCOMPARE(box.quillbox({other}), 0);
        QTRY_VERIFY_WITH_TIMEOUT(box.windowVisible(window) && focused(window), 5000);
        keys({QStringLiteral("c"), QStringLiteral("a")});
        QTRY_COMPARE(clipboardText(), QStringLiteral("from the other file"));

        QCOMPARE(box.quillbox({QStringLiteral("--quit")}), 0);
        QCOMPARE(box.setting(QStringLiteral("TXTFile")), other);
        QCOMPARE(box.setting(QStringLiteral("NoTrayHintShown")), QStringLiteral("True"));
    }
};

QTEST_GUILESS_MAIN(TestE2ENoTray)
#include "tst_e2e_notray.moc"
