#include "platform/SignalBridge.h"

#include <QEventLoop>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include <csignal>

namespace {
volatile sig_atomic_t g_oldHandlerHits = 0;
void oldHandler(int) { g_oldHandlerHits = g_oldHandlerHits + 1; }
} // namespace

class TestSignalBridge : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void signalBecomesExitRequest_data();
    void signalBecomesExitRequest();
    void burstIsOneRequest();
    void reachesNestedLoop();
    void onlyOneBridge();
    void previousHandlerRestored();
};

void TestSignalBridge::signalBecomesExitRequest_data()
{
    QTest::addColumn<int>("signo");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGHUP") << int(SIGHUP);
}

void TestSignalBridge::signalBecomesExitRequest()
{
    QFETCH(int, signo);
    SignalBridge bridge;
    QVERIFY(bridge.isInstalled());
    QSignalSpy spy(&bridge, &SignalBridge::exitRequested);
    QCOMPARE(::raise(signo), 0);
    QCOMPARE(spy.count(), 0); // delivered through the event loop, not inside the handler
    QTRY_COMPARE(spy.count(), 1);
    QCOMPARE(bridge.lastSignal(), signo);
}

void TestSignalBridge::burstIsOneRequest()
{
    SignalBridge bridge;
    QSignalSpy spy(&bridge, &SignalBridge::exitRequested);
    ::raise(SIGTERM);
    ::raise(SIGHUP);
    ::raise(SIGINT);
    QTRY_VERIFY(spy.count() >= 1);
    QTest::qWait(50);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(bridge.lastSignal(), int(SIGINT));
    // A later signal is a new request.
    ::raise(SIGTERM);
    QTRY_COMPARE(spy.count(), 2);
}

void TestSignalBridge::reachesNestedLoop()
{
    SignalBridge bridge;
    QEventLoop nested;
    bool ended = false;
    connect(&bridge, &SignalBridge::exitRequested, &nested, [&] {
        ended = true;
        nested.quit();
    });
    QTimer::singleShot(10, [] { ::raise(SIGTERM); });
    QTimer::singleShot(5000, &nested, &QEventLoop::quit);
    nested.exec();
    QVERIFY(ended);
}

void TestSignalBridge::onlyOneBridge()
{
    SignalBridge first;
    SignalBridge second;
    QVERIFY(first.isInstalled());
    QVERIFY(!second.isInstalled());
    QSignalSpy spy(&first, &SignalBridge::exitRequested);
    ::raise(SIGTERM);
    QTRY_COMPARE(spy.count(), 1);
}

void TestSignalBridge::previousHandlerRestored()
{
    struct sigaction sa = {};
    sa.sa_handler = oldHandler;
    sigemptyset(&sa.sa_mask);
    struct sigaction before;
    QCOMPARE(::sigaction(SIGHUP, &sa, &before), 0);
    {
        SignalBridge bridge;
        QSignalSpy spy(&bridge, &SignalBridge::exitRequested);
        ::raise(SIGHUP);
        QTRY_COMPARE(spy.count(), 1);
        QCOMPARE(int(g_oldHandlerHits), 0);
    }
    ::raise(SIGHUP);
    QCOMPARE(int(g_oldHandlerHits), 1);
    // A new bridge can take over again after the first one went.
    SignalBridge again;
    QVERIFY(again.isInstalled());
    ::sigaction(SIGHUP, &before, nullptr);
}

QTEST_GUILESS_MAIN(TestSignalBridge)
#include "tst_signalbridge.moc"
