#include "platform/SingleInstance.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <vector>

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
    void commandLengthLimit_data();
    void commandLengthLimit();
    void connectionFloodLeavesCommandsWorking();
    void serverReopensWhenItsSocketIsRemoved();
    void runtimeFolder_data();
    void runtimeFolder();
    void untrustedRuntimeFolderStillGuards_data();
    void untrustedRuntimeFolderStillGuards();

private:
    QProcess *startServer(const QString &marker, int shutdownMs, const QProcessEnvironment &env = {});
    QProcessEnvironment helperEnv() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_folder;
};

void TestSingleInstance::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_folder = m_dir->path();
}

QProcessEnvironment TestSingleInstance::helperEnv() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_folder);
    env.insert(QStringLiteral("XDG_CACHE_HOME"), m_dir->filePath(QStringLiteral("cache")));
    return env;
}

QProcess *TestSingleInstance::startServer(const QString &marker, int shutdownMs, const QProcessEnvironment &env)
{
    auto *p = new QProcess(this);
    p->setProcessEnvironment(env.isEmpty() ? helperEnv() : env);
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
    quitter.setProcessEnvironment(helperEnv());
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

void TestSingleInstance::commandLengthLimit_data()
{
    QTest::addColumn<int>("lineBytes");
    QTest::addColumn<bool>("withNewline");
    QTest::addColumn<bool>("delivered");
    QTest::newRow("longest allowed") << 4096 << true << true;
    QTest::newRow("one byte over") << 4097 << true << false;
    QTest::newRow("far over") << 20000 << true << false;
    QTest::newRow("far over, no newline") << 20000 << false << false;
}

void TestSingleInstance::commandLengthLimit()
{
    QFETCH(int, lineBytes);
    QFETCH(bool, withNewline);
    QFETCH(bool, delivered);
    SingleInstance running(m_folder);
    QVERIFY(running.acquire());
    QStringList args;
    connect(&running, &SingleInstance::commandReceived, this,
            [&](const QString &, const QString &arg, const CommandReply &reply) {
                args << arg;
                reply.send(0);
            });
    // "hotkey", a tab, the argument and the newline make lineBytes in all.
    const QByteArray prefix = "hotkey\t";
    QByteArray line = prefix + QByteArray(lineBytes - prefix.size() - 1, 'x');
    if (withNewline)
        line += '\n';
    QLocalSocket raw;
    raw.connectToServer(running.socketPath());
    QVERIFY(raw.waitForConnected(2000));
    raw.write(line);
    raw.flush();
    QTRY_VERIFY_WITH_TIMEOUT(raw.canReadLine(), 3000);
    const QByteArray answer = raw.readLine();
    QCOMPARE(answer.startsWith("0\t"), delivered);
    QCOMPARE(args.size(), delivered ? 1 : 0);
    if (delivered)
        QCOMPARE(args.first().size(), lineBytes - prefix.size() - 1);
    else
        QVERIFY2(answer.startsWith("2\t") && answer.contains("too%20long"), answer.constData());

    // The channel still serves the next client.
    const ClientResult r = runClient(m_folder, QStringLiteral("hotkey"), QStringLiteral("PopUp"));
    QCOMPARE(r.code, 0);
}

void TestSingleInstance::connectionFloodLeavesCommandsWorking()
{
    // The running copy gets a desktop's usual descriptor limit; the flood needs more than that.
    constexpr int serverLimit = 256, floodSize = 400;
    struct rlimit ours;
    QCOMPARE(::getrlimit(RLIMIT_NOFILE, &ours), 0);
    if (ours.rlim_max < rlim_t(floodSize + 100))
        QSKIP("the descriptor limit is too low for the flood");
    struct rlimit lim = ours;
    lim.rlim_cur = serverLimit;
    QCOMPARE(::setrlimit(RLIMIT_NOFILE, &lim), 0);
    const QString marker = m_dir->filePath(QStringLiteral("marker"));
    QProcess *server = startServer(marker, 0);
    lim.rlim_cur = std::max<rlim_t>(ours.rlim_cur, floodSize + 100);
    QCOMPARE(::setrlimit(RLIMIT_NOFILE, &lim), 0);
    QCOMPARE(server->state(), QProcess::Running);

    const QByteArray path = QFile::encodeName(SingleInstance(m_folder).socketPath());
    struct stat before, after;
    QCOMPARE(::stat(path.constData(), &before), 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, path.constData(), size_t(path.size()) + 1);
    std::vector<int> flood;
    QElapsedTimer clock;
    clock.start();
    while (int(flood.size()) < floodSize && clock.elapsed() < 20000) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        QVERIFY(fd >= 0);
        if (::connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) == 0) {
            flood.push_back(fd);
            continue;
        }
        ::close(fd); // the backlog is full: give the server a moment to take connections
        QThread::msleep(2);
    }
    QCOMPARE(int(flood.size()), floodSize);

    SingleInstance client(m_folder);
    QString message;
    QCOMPARE(client.sendCommand(QStringLiteral("hotkey"), QStringLiteral("during"), &message), 0);
    // The server never had to give up and open again.
    QCOMPARE(::stat(path.constData(), &after), 0);
    QCOMPARE(after.st_ino, before.st_ino);
    for (int fd : flood)
        ::close(fd);
    QCOMPARE(client.sendCommand(QStringLiteral("hotkey"), QStringLiteral("after"), &message), 0);
    QCOMPARE(readAll(marker), QStringLiteral("during\nafter\n"));
    QCOMPARE(client.sendCommand(QStringLiteral("quit"), QString()), 0);
    QVERIFY(server->state() == QProcess::NotRunning || server->waitForFinished(5000));
    QCOMPARE(::setrlimit(RLIMIT_NOFILE, &ours), 0);
}

void TestSingleInstance::serverReopensWhenItsSocketIsRemoved()
{
    SingleInstance running(m_folder);
    QVERIFY(running.acquire());
    connect(&running, &SingleInstance::commandReceived, this,
            [](const QString &, const QString &, const CommandReply &reply) { reply.send(0); });
    QVERIFY(QFile::remove(running.socketPath())); // as a clean-up of the runtime folder does
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(running.socketPath()), 5000);
    const ClientResult r = runClient(m_folder, QStringLiteral("hotkey"), QStringLiteral("PopUp"));
    QCOMPARE(r.code, 0);
}

void TestSingleInstance::runtimeFolder_data()
{
    // xdg: what XDG_RUNTIME_DIR names; priv: the private folder; expect: which is used.
    QTest::addColumn<QString>("xdg");
    QTest::addColumn<QString>("priv");
    QTest::addColumn<bool>("otherUid");
    QTest::addColumn<QString>("expect");
    QTest::newRow("xdg folder") << "ok" << "" << false << "xdg";
    QTest::newRow("xdg unset, private made") << "unset" << "" << false << "private";
    QTest::newRow("xdg missing, private made") << "missing" << "" << false << "private";
    QTest::newRow("xdg open to others") << "open" << "" << false << "private";
    QTest::newRow("xdg is a link") << "link" << "" << false << "private";
    QTest::newRow("xdg lock is a link") << "lock link" << "" << false << "private";
    QTest::newRow("xdg socket is a plain file") << "socket file" << "" << false << "private";
    QTest::newRow("private too open is tightened") << "unset" << "open" << false << "private";
    QTest::newRow("both of another user") << "ok" << "open" << true << "";
    QTest::newRow("private is a link") << "unset" << "link" << false << "";
    QTest::newRow("private is a file") << "link" << "file" << false << "";
}

void TestSingleInstance::runtimeFolder()
{
    QFETCH(QString, xdg);
    QFETCH(QString, priv);
    QFETCH(bool, otherUid);
    QFETCH(QString, expect);

    const uint uid = uint(::getuid()) + (otherUid ? 1 : 0);
    const QString xdgPath = m_dir->filePath(QStringLiteral("xdg"));
    const QString elsewhere = m_dir->filePath(QStringLiteral("elsewhere"));
    const QString privPath = m_dir->filePath(QStringLiteral("cache/quillbox"));
    QVERIFY(QDir().mkpath(elsewhere));
    QVERIFY(QDir().mkpath(m_dir->filePath(QStringLiteral("cache"))));
    const auto makeFolder = [](const QString &path, int mode) {
        const QByteArray p = QFile::encodeName(path);
        return ::mkdir(p.constData(), 0700) == 0 && ::chmod(p.constData(), mode_t(mode)) == 0;
    };
    if (xdg == QLatin1String("ok") || xdg == QLatin1String("lock link") || xdg == QLatin1String("socket file"))
        QVERIFY(makeFolder(xdgPath, 0700));
    if (xdg == QLatin1String("open"))
        QVERIFY(makeFolder(xdgPath, 0777));
    if (xdg == QLatin1String("link"))
        QVERIFY(QFile::link(elsewhere, xdgPath));
    if (xdg == QLatin1String("lock link"))
        QVERIFY(QFile::link(elsewhere + QStringLiteral("/x"), xdgPath + QStringLiteral("/quillbox.lock")));
    if (xdg == QLatin1String("socket file"))
        QVERIFY(QFile(xdgPath + QStringLiteral("/quillbox.sock")).open(QIODevice::WriteOnly));
    if (priv == QLatin1String("open"))
        QVERIFY(makeFolder(privPath, 0755));
    if (priv == QLatin1String("link"))
        QVERIFY(QFile::link(elsewhere, privPath));
    if (priv == QLatin1String("file"))
        QVERIFY(QFile(privPath).open(QIODevice::WriteOnly));

    QString error;
    const QString got = SingleInstance::resolveRuntimeFolder(xdg == QLatin1String("unset") ? QString() : xdgPath,
                                                             privPath, uid, &error);
    if (expect.isEmpty()) {
        QVERIFY(got.isEmpty());
        QVERIFY(!error.isEmpty());
        return;
    }
    QVERIFY2(!got.isEmpty(), qPrintable(error));
    QCOMPARE(got, expect == QLatin1String("xdg") ? xdgPath : privPath);
    struct stat st;
    QCOMPARE(::lstat(QFile::encodeName(got).constData(), &st), 0);
    QVERIFY(S_ISDIR(st.st_mode));
    if (expect == QLatin1String("private"))
        QCOMPARE(int(st.st_mode & 0777), 0700);
}

void TestSingleInstance::untrustedRuntimeFolderStillGuards_data()
{
    QTest::addColumn<bool>("privateUsable");
    QTest::newRow("private folder as fallback") << true;
    QTest::newRow("no safe folder at all") << false;
}

void TestSingleInstance::untrustedRuntimeFolderStillGuards()
{
    QFETCH(bool, privateUsable);
    // The runtime folder is a link to a folder anyone may write to.
    const QString shared = m_dir->filePath(QStringLiteral("shared"));
    QVERIFY(QDir().mkpath(shared));
    QCOMPARE(::chmod(QFile::encodeName(shared).constData(), 01777), 0);
    const QString link = m_dir->filePath(QStringLiteral("run"));
    QVERIFY(QFile::link(shared, link));
    QProcessEnvironment env = helperEnv();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), link);
    if (!privateUsable) { // the cache folder cannot hold a folder
        QVERIFY(QFile(m_dir->filePath(QStringLiteral("cache"))).open(QIODevice::WriteOnly));
    }
    const QString marker = m_dir->filePath(QStringLiteral("marker"));
    QProcess first;
    first.setProcessEnvironment(env);
    first.start(QStringLiteral(INSTANCE_HELPER), {QStringLiteral("serve"), marker, QStringLiteral("0")});
    QVERIFY(first.waitForStarted(5000));
    if (!privateUsable) {
        QVERIFY(first.waitForFinished(5000));
        QCOMPARE(first.exitCode(), 4);
        QVERIFY(!first.readAllStandardError().trimmed().isEmpty());
        return;
    }
    QVERIFY(first.waitForReadyRead(5000));
    QCOMPARE(first.readLine().trimmed(), QByteArray("primary"));
    QVERIFY(QDir(shared).isEmpty()); // nothing of ours in the shared folder

    // A second copy sees the first, and commands reach it.
    QProcess second;
    second.setProcessEnvironment(env);
    second.start(QStringLiteral(INSTANCE_HELPER), {QStringLiteral("serve"), marker, QStringLiteral("0")});
    QVERIFY(second.waitForFinished(5000));
    QCOMPARE(second.exitCode(), 3);
    for (const QString &command : {QStringLiteral("hotkey"), QStringLiteral("quit")}) {
        QProcess sender;
        sender.setProcessEnvironment(env);
        sender.start(QStringLiteral(INSTANCE_HELPER), {QStringLiteral("send"), command, QStringLiteral("PopUp")});
        QVERIFY(sender.waitForFinished(10000));
        QCOMPARE(sender.exitCode(), 0);
    }
    QVERIFY(first.state() == QProcess::NotRunning || first.waitForFinished(5000));
    QCOMPARE(readAll(marker), QStringLiteral("PopUp\ndone\n"));
}

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
