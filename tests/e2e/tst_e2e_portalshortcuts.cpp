// Whole-program run of the hot keys through the GlobalShortcuts portal: Quillbox in a Wayland
// session (as far as its environment says) with a recording stand-in for the portal on a private
// session bus. The nine hot keys are bound there, not grabbed on X11, and an activation shows the lists.
#include "QuillboxSandbox.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTest>

using namespace e2e;

class TestE2EPortalShortcuts : public QObject
{
    Q_OBJECT

    QProcess bus_, portal_;
    QStringList calls_;

    // Reads the stand-in's record until a line starting with prefix; false after the timeout.
    bool waitForCall(const QString &prefix, int timeoutMs = 20000)
    {
        QElapsedTimer t;
        t.start();
        for (;;) {
            while (portal_.canReadLine()) {
                calls_.append(QString::fromUtf8(portal_.readLine()).trimmed());
                if (calls_.last().startsWith(prefix))
                    return true;
            }
            if (t.hasExpired(timeoutMs) || (!portal_.waitForReadyRead(500) && portal_.state() == QProcess::NotRunning))
                return false;
        }
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(!qEnvironmentVariableIsEmpty("DISPLAY"), "needs an X server");
        bus_.start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address")});
        QVERIFY2(bus_.waitForReadyRead(10000), "dbus-daemon (package dbus-daemon) did not start");
        const QByteArray address = bus_.readLine().trimmed();
        // Everything started from here on sees a Wayland session whose portal is the stand-in;
        // the X server stays the test run's, and Qt stays on it.
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
        qputenv("WAYLAND_DISPLAY", "quillbox-test-none");
        qunsetenv("XDG_SESSION_TYPE");
        portal_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        portal_.start(QStringLiteral(FAKE_PORTAL), {});
        QVERIFY(waitForCall(QStringLiteral("ready")));
    }

    void cleanupTestCase()
    {
        portal_.closeWriteChannel();
        portal_.waitForFinished(5000);
        bus_.terminate();
        bus_.waitForFinished(5000);
    }

    void portalActivationShowsTheListsAndNoKeyIsGrabbed()
    {
        QuillboxSandbox box;
        QVERIFY(box.isValid());
        QVERIFY(box.writeCardFile(greetingCards()));
        QProcess *p = box.start();
        const QString window = box.waitForWindow();
        QVERIFY(!window.isEmpty());

        QVERIFY2(waitForCall(QStringLiteral("BindShortcuts PopUpCalc")), qPrintable(calls_.join(u'\n')));
        QCOMPARE(calls_.filter(QStringLiteral("BindShortcuts ")).size(), 9);
        QVERIFY(calls_.contains(QStringLiteral("BindShortcuts PopUp ALT+Delete 一覧を表示")));

        activate(window);
        key(QStringLiteral("ctrl+w"));
        QTRY_VERIFY_WITH_TIMEOUT(!box.windowVisible(window), 5000);

        // The X11 key does nothing now: the portal owns the hot keys.
        key(QStringLiteral("alt+Delete"));
        QTest::qWait(1500);
        QVERIFY(!box.windowVisible(window));

        portal_.write("activate PopUp\n");
        QVERIFY(waitForCall(QStringLiteral("done activate")));
        QTRY_VERIFY_WITH_TIMEOUT(box.windowVisible(window), 10000);

        box.quitAndWait(p);
    }
};

QTEST_GUILESS_MAIN(TestE2EPortalShortcuts)
#include "tst_e2e_portalshortcuts.moc"
