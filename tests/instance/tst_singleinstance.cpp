#include "platform/SingleInstance.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

struct ClientResult {
    int code = -100;
    QString message;
    qint64 ms = 0;
};

// Runs the blocking client on a thread while this thread's event loop serves.
ClientResult runClient(const QString &folder, const QString &command, const QString &arg,
                       int quitMs = 10000, int answerMs = 5000)
{
    ClientResult r;
    QThread *thread = QThread::create([&] {
        SingleInstance client(folder);
        client.setTimeouts(quitMs, answerMs);
        QElapsedTimer clock;
        clock.start();
        r.code = client.sendCommand(command, arg, &r.message);
        r.ms = clock.elapsed();
    });
    thread->start();
    QElapsedTimer guard;
    guard.start();
    while (!thread->isFinished() && guard.elapsed() < 30000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    thread->wait();
    delete thread;
    return r;
}

QString readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void secondAcquireFailsUntilRelease();
    void startAfterSigkillWorks();
    void quitWithNoneRunningSucceeds();
    void hotkeyWithNoneRunningFails();
    void unknownCommandIsRefused();
    void hotkeyReachesRunningCopy_data();
    void hotkeyReachesRunningCopy();
    void hotkeyAcrossProcesses();
    void quitReturnsAfterShutdownFinished();
    void startDuringShutdownDoesNotHang();
    void unansweredHotkeyIsBounded();
    void quitIsBoundedWhenCopyNeverEnds();
    void commandWithoutReceiverIsAnswered();
    void oversizedGarbageIsDropped();
    void runtimeFolder_data();
    void runtimeFolder();

private:
    QProcess *startServer(const QString &marker, int shutdownMs);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_folder;
};

void TestSingleInstance::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_folder = m_dir->path();
}

QProcess *TestSingleInstance::startServer(const QString &marker, int shutdownMs)
{
    auto *p = new QProcess(this);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_folder);
    p->setProcessEnvironment(env);
    p->start(QStringLiteral(INSTANCE_HELPER), {QStringLiteral("serve"), marker, QString::number(shutdownMs)});
    if (!p->waitForStarted(5000) || !p->waitForReadyRead(5000))
        return p;
    if (p->readLine().trimmed() != "primary")
        qWarning("helper did not become the running copy");
    return p;
}

void TestSingleInstance::secondAcquireFailsUntilRelease()
{
    SingleInstance first(m_folder);
    QVERIFY(!first.isRunning());
    QVERIFY(first.acquire());
    QVERIFY(first.isPrimary());

    SingleInstance second(m_folder);
    QVERIFY(second.isRunning());
    QVERIFY(!second.acquire());
    QVERIFY(!second.isPrimary());

    first.release();
    QVERIFY(!second.isRunning());
    QVERIFY(second.acquire());
    QVERIFY(second.isPrimary());
}

void TestSingleInstance::startAfterSigkillWorks()
{
    const QString marker = m_dir->filePath(QStringLiteral("marker"));
    QProcess *server = startServer(marker, 0);
    QCOMPARE(server->state(), QProcess::Running);
    SingleInstance probe(m_folder);
    QVERIFY(probe.isRunning());
    QVERIFY(!probe.acquire());

    server->kill(); // SIGKILL: no clean-up runs
    QVERIFY(server->state() == QProcess::NotRunning || server->waitForFinished(5000));
    QVERIFY(QFileInfo::exists(probe.socketPath())); // left behind

    QVERIFY(probe.acquire());
    QVERIFY(probe.isPrimary());
    // The stale socket was replaced by a live one.
    QSignalSpy spy(&probe, &SingleInstance::commandReceived);
    connect(&probe, &SingleInstance::commandReceived, this,
            [](const QString &, const QString &, const CommandReply &reply) { reply.send(0); });
    const ClientResult r = runClient(m_folder, QStringLiteral("hotkey"), QStringLiteral("PopUp"));
    QCOMPARE(r.code, 0);
    QCOMPARE(spy.count(), 1);
}

void TestSingleInstance::quitWithNoneRunningSucceeds()
{
    SingleInstance client(m_folder);
    QString message = QStringLiteral("x");
    QCOMPARE(client.sendCommand(QStringLiteral("quit"), QString(), &message), 0);
    QVERIFY(message.isEmpty());
    // Asking must not leave anything that blocks the next start.
    SingleInstance next(m_folder);
    QVERIFY(next.acquire());
    QVERIFY(next.isPrimary());
}

void TestSingleInstance::hotkeyWithNoneRunningFails()
{
    SingleInstance client(m_folder);
    QString message;
    QCOMPARE(client.sendCommand(QStringLiteral("hotkey"), QStringLiteral("PopUp"), &message), 1);
    QCOMPARE(message, QStringLiteral("Quillbox is not running."));
}

void TestSingleInstance::unknownCommandIsRefused()
{
    SingleInstance running(m_folder);
    QVERIFY(running.acquire());
    QSignalSpy spy(&running, &SingleInstance::commandReceived);
    const ClientResult r = runClient(m_folder, QStringLiteral("format-disk"), QString());
    QCOMPARE(r.code, 2);
    QVERIFY(r.message.contains(QStringLiteral("format-disk")));
    QCOMPARE(spy.count(), 0);
}

void TestSingleInstance::hotkeyReachesRunningCopy_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("plain") << "PopUp";
    QTest::newRow("empty") << "";
    QTest::newRow("tab, newline and percent") << "a\tb\nc%41";
    QTest::newRow("japanese") << "ポップアップ";
}

void TestSingleInstance::hotkeyReachesRunningCopy()
{
    QFETCH(QString, name);
    SingleInstance running(m_folder);
    QVERIFY(running.acquire());
    QStringList got;
    connect(&running, &SingleInstance::commandReceived, this,
            [&](const QString &command, const QString &arg, const CommandReply &reply) {
        got << command << arg;
        reply.send(0, QStringLiteral("ok"));
    });
    const ClientResult r = runClient(m_folder, QStringLiteral("hotkey"), name);
    QCOMPARE(r.code, 0);
    QCOMPARE(r.message, QStringLiteral("ok"));
    QCOMPARE(got, (QStringList{QStringLiteral("hotkey"), name}));
}

void TestSingleInstance::hotkeyAcrossProcesses()
{
    const QString marker = m_dir->filePath(QStringLiteral("marker"));
    QProcess *server = startServer(marker, 0);
    QCOMPARE(server->state(), QProcess::Running);
    SingleInstance client(m_folder);
    QCOMPARE(client.sendCommand(QStringLiteral("hotkey"), QStringLiteral("PopUpCalc")), 0);
    QCOMPARE(readAll(marker), QStringLiteral("PopUpCalc\n"));
    QCOMPARE(client.sendCommand(QStringLiteral("quit"), QString()), 0);
    QVERIFY(server->state() == QProcess::NotRunning || server->waitForFinished(5000));
}

void TestSingleInstance::quitReturnsAfterShutdownFinished()
{
    const QString marker = m_dir->filePath(QStringLiteral("marker"));
    QProcess *server = startServer(marker, 600);
    QCOMPARE(server->state(), QProcess::Running);

    SingleInstance client(m_folder);
    QString message;
    QCOMPARE(client.sendCommand(QStringLiteral("quit"), QString(), &message), 0);
    QVERIFY(message.isEmpty());
    // The shutdown's last step had run before the client returned.
    QCOMPARE(readAll(marker), QStringLiteral("done\n"));
    QVERIFY(!client.isRunning());
    QVERIFY(server->state() == QProcess::NotRunning || server->waitForFinished(5000));
    QCOMPARE(server->exitCode(), 0);
}

void TestSingleInstance::startDuringShutdownDoesNotHang()
{
    const QString marker = m_dir->filePath(QStringLiteral("marker"));
    QProcess *server = startServer(marker, 1500);
    QCOMPARE(server->state(), QProcess::Running);

    QProcess quitter;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_folder);
    quitter.setProcessEnvironment(env);
    quitter.start(QStringLiteral(INSTANCE_HELPER), {QStringLiteral("send"), QStringLiteral("quit"), QString()});
    QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo::exists(SingleInstance(m_folder).socketPath()), 3000);

    // The shutdown is running: a plain start ends at once, commands wait boundedly.
    SingleInstance second(m_folder);
    QVERIFY(!second.acquire());
    QVERIFY(readAll(marker).isEmpty());
    const ClientResult again = runClient(m_folder, QStringLiteral("quit"), QString());
    QCOMPARE(again.code, 0);
    QCOMPARE(readAll(marker), QStringLiteral("done\n"));

    // Either may have ended while the client above kept the event loop running.
    QTRY_COMPARE_WITH_TIMEOUT(quitter.state(), QProcess::NotRunning, 5000);
    QCOMPARE(quitter.exitCode(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(server->state(), QProcess::NotRunning, 5000);
    QVERIFY(second.acquire());
}

void TestSingleInstance::unansweredHotkeyIsBounded()
{
    SingleInstance running(m_folder);
    QVERIFY(running.acquire());
    QList<CommandReply> kept; // never answered
    connect(&running, &SingleInstance::commandReceived, this,
            [&](const QString &, const QString &, const CommandReply &reply) { kept << reply; });
    const ClientResult r = runClient(m_folder, QStringLiteral("hotkey"), QStringLiteral("PopUp"), 10000, 400);
    QCOMPARE(r.code, 1);
    QCOMPARE(r.message, QStringLiteral("Quillbox does not answer."));
    QCOMPARE(kept.size(), 1);
    QVERIFY(r.ms < 5000);
}

void TestSingleInstance::quitIsBoundedWhenCopyNeverEnds()
{
    SingleInstance running(m_folder);
    QVERIFY(running.acquire());
    connect(&running, &SingleInstance::commandReceived, this,
            [](const QString &, const QString &, const CommandReply &reply) { reply.send(0); });
    const ClientResult r = runClient(m_folder, QStringLiteral("quit"), QString(), 500, 500);
    QCOMPARE(r.code, 1);
    QVERIFY2(r.message.contains(QStringLiteral("did not end")), qPrintable(r.message));
    QVERIFY(running.isPrimary());
}

void TestSingleInstance::commandWithoutReceiverIsAnswered()
{
    SingleInstance running(m_folder);
    QVERIFY(running.acquire());
    const ClientResult r = runClient(m_folder, QStringLiteral("hotkey"), QStringLiteral("PopUp"));
    QCOMPARE(r.code, 1);
    QVERIFY(!r.message.isEmpty());
}

void TestSingleInstance::oversizedGarbageIsDropped()
{
    SingleInstance running(m_folder);
    QVERIFY(running.acquire());
    connect(&running, &SingleInstance::commandReceived, this,
            [](const QString &, const QString &, const CommandReply &reply) { reply.send(0); });
    QLocalSocket raw;
    raw.connectToServer(running.socketPath());
    QVERIFY(raw.waitForConnected(2000));
    raw.write(QByteArray(20000, 'x'));
    raw.flush();
    QTRY_COMPARE_WITH_TIMEOUT(raw.state(), QLocalSocket::UnconnectedState, 3000);

    const ClientResult r = runClient(m_folder, QStringLiteral("hotkey"), QStringLiteral("PopUp"));
    QCOMPARE(r.code, 0);
}

void TestSingleInstance::runtimeFolder_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<bool>("useXdg");
    QTest::addColumn<bool>("otherUid");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("xdg folder") << "xdg" << true << false << true;
    QTest::newRow("xdg missing, fallback made") << "" << true << false << true;
    QTest::newRow("no xdg, fallback made") << "" << false << false << true;
    QTest::newRow("fallback too open is tightened") << "open" << false << false << true;
    QTest::newRow("fallback of another user") << "mine" << false << true << false;
    QTest::newRow("fallback is a link") << "link" << false << false << false;
    QTest::newRow("fallback is a file") << "file" << false << false << false;
}

void TestSingleInstance::runtimeFolder()
{
    QFETCH(QString, setup);
    QFETCH(bool, useXdg);
    QFETCH(bool, otherUid);
    QFETCH(bool, accepted);

    const uint uid = uint(::getuid()) + (otherUid ? 1 : 0);
    const QString base = m_dir->path();
    const QString xdgPath = m_dir->filePath(QStringLiteral("xdg"));
    const QString fallback = base + QStringLiteral("/quillbox-") + QString::number(uid);
    const QByteArray fb = QFile::encodeName(fallback);
    if (setup == QLatin1String("xdg"))
        QVERIFY(QDir().mkdir(xdgPath));
    else if (setup == QLatin1String("open") || setup == QLatin1String("mine"))
        QCOMPARE(::mkdir(fb.constData(), 0755), 0);
    else if (setup == QLatin1String("link")) {
        QVERIFY(QDir().mkdir(m_dir->filePath(QStringLiteral("elsewhere"))));
        QVERIFY(QFile::link(m_dir->filePath(QStringLiteral("elsewhere")), fallback));
    } else if (setup == QLatin1String("file")) {
        QFile f(fallback);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    if (setup == QLatin1String("open"))
        QCOMPARE(::chmod(fb.constData(), 0755), 0); // umask may have trimmed it

    QString error;
    const QString got = SingleInstance::resolveRuntimeFolder(useXdg ? xdgPath : QString(), base, uid, &error);
    if (!accepted) {
        QVERIFY(got.isEmpty());
        QVERIFY(!error.isEmpty());
        return;
    }
    QVERIFY2(!got.isEmpty(), qPrintable(error));
    if (setup == QLatin1String("xdg")) {
        QCOMPARE(got, xdgPath);
        return;
    }
    QCOMPARE(got, fallback);
    struct stat st;
    QCOMPARE(::lstat(fb.constData(), &st), 0);
    QVERIFY(S_ISDIR(st.st_mode));
    QCOMPARE(int(st.st_mode & 0777), 0700);
}

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
