#include "platform/SingleInstance.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalServer>
#include <QMetaMethod>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kMaxLine = 4096; // one command, its newline included
constexpr int kIdleClientMs = 5000;
// Clients at once; a newcomer beyond that pushes out the oldest one that has sent nothing.
constexpr int kMaxClients = 32;
constexpr int kServerCheckMs = 2000;

struct flock wholeFileLock(short type)
{
    struct flock fl;
    std::memset(&fl, 0, sizeof fl);
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    return fl; // l_start = l_len = 0: the whole file; l_pid must be 0 for OFD locks
}

QByteArray encodeLine(const QString &a, const QString &b)
{
    return QUrl::toPercentEncoding(a) + '\t' + QUrl::toPercentEncoding(b) + '\n';
}

bool decodeLine(QByteArray line, QString *a, QString *b)
{
    if (line.endsWith('\n'))
        line.chop(1);
    const int tab = line.indexOf('\t');
    if (tab < 0)
        return false;
    *a = QUrl::fromPercentEncoding(line.left(tab));
    *b = QUrl::fromPercentEncoding(line.mid(tab + 1));
    return true;
}

// Reads one line before the deadline; false when the peer closed or time ran out.
bool readLine(QLocalSocket &socket, const QElapsedTimer &clock, qint64 deadlineMs, QByteArray *line)
{
    while (!socket.canReadLine()) {
        if (socket.bytesAvailable() > kMaxLine)
            return false;
        const qint64 left = deadlineMs - clock.elapsed();
        if (left <= 0 || socket.state() != QLocalSocket::ConnectedState)
            return false;
        socket.waitForReadyRead(int(qMin<qint64>(left, 100)));
    }
    *line = socket.readLine(kMaxLine + 1);
    return true;
}

const char kLockName[] = "quillbox.lock";
const char kSocketName[] = "quillbox.sock";

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// Why a folder cannot hold our lock and socket: anyone else may write to it, it is a link,
// or something we keep there is a link or belongs to someone else. Empty when it is safe.
// A private folder is made when missing, and its access narrowed to us.
QString untrustedReason(const QString &folder, uint uid, bool isPrivate)
{
    const QByteArray path = QFile::encodeName(folder);
    if (isPrivate && ::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return QStringLiteral("cannot create %1: %2").arg(folder, systemError());
    struct stat st;
    if (::lstat(path.constData(), &st) != 0)
        return QStringLiteral("%1: %2").arg(folder, systemError());
    if (!S_ISDIR(st.st_mode))
        return QStringLiteral("%1 is not a folder").arg(folder);
    if (st.st_uid != uid)
        return QStringLiteral("%1 is owned by another user").arg(folder);
    if (isPrivate && (st.st_mode & 0077) != 0 && ::chmod(path.constData(), 0700) != 0)
        return QStringLiteral("cannot restrict access to %1: %2").arg(folder, systemError());
    if (!isPrivate && (st.st_mode & 0022) != 0)
        return QStringLiteral("%1 is open to other users").arg(folder);
    for (const char *name : {kLockName, kSocketName}) {
        const QByteArray entry = path + '/' + name;
        if (::lstat(entry.constData(), &st) != 0)
            continue;
        const bool rightKind = name == kLockName ? S_ISREG(st.st_mode) : S_ISSOCK(st.st_mode);
        if (!rightKind || st.st_uid != uid)
            return QStringLiteral("%1 is not ours").arg(QFile::decodeName(entry));
    }
    return QString();
}

} // namespace

// ---- CommandReply

void CommandReply::send(int exitCode, const QString &message) const
{
    if (!isPending())
        return;
    QLocalSocket *socket = m_socket;
    socket->setProperty("qb_answered", true);
    QString oneLine = message;
    oneLine.replace(QLatin1Char('\n'), QLatin1Char(' '));
    socket->write(encodeLine(QString::number(exitCode), oneLine));
    socket->flush();
    socket->disconnectFromServer();
}

bool CommandReply::isPending() const
{
    return m_socket && m_socket->state() == QLocalSocket::ConnectedState
            && !m_socket->property("qb_answered").toBool();
}

// ---- SingleInstance

SingleInstance::SingleInstance(QObject *parent)
    : SingleInstance(defaultRuntimeFolder(), parent)
{
    if (m_folder.isEmpty())
        defaultRuntimeFolder(&m_error);
}

SingleInstance::SingleInstance(const QString &runtimeFolder, QObject *parent)
    : QObject(parent), m_folder(runtimeFolder)
{
}

SingleInstance::~SingleInstance()
{
    release();
}

QString SingleInstance::defaultRuntimeFolder(QString *error)
{
    QString cache = qEnvironmentVariable("XDG_CACHE_HOME");
    if (!QDir::isAbsolutePath(cache))
        cache = QDir::homePath() + QStringLiteral("/.cache");
    return resolveRuntimeFolder(qEnvironmentVariable("XDG_RUNTIME_DIR"), cache + QStringLiteral("/quillbox"),
                                uint(::getuid()), error);
}

QString SingleInstance::resolveRuntimeFolder(const QString &xdgRuntimeDir, const QString &privateFolder,
                                             uint uid, QString *error)
{
    QStringList reasons;
    if (QDir::isAbsolutePath(xdgRuntimeDir)) {
        const QString folder = QDir::cleanPath(xdgRuntimeDir);
        const QString why = untrustedReason(folder, uid, false);
        if (why.isEmpty())
            return folder;
        reasons << why;
    }
    const QString folder = QDir::cleanPath(privateFolder);
    QDir().mkpath(QFileInfo(folder).path());
    const QString why = untrustedReason(folder, uid, true);
    if (why.isEmpty())
        return folder;
    reasons << why;
    if (error)
        *error = reasons.join(QStringLiteral("; "));
    return QString();
}

QString SingleInstance::lockPath() const
{
    return m_folder + QLatin1Char('/') + QLatin1String(kLockName);
}

QString SingleInstance::socketPath() const
{
    return m_folder + QLatin1Char('/') + QLatin1String(kSocketName);
}

bool SingleInstance::acquire()
{
    if (m_lockFd >= 0)
        return true;
    if (m_folder.isEmpty()) {
        if (m_error.isEmpty())
            m_error = QStringLiteral("No runtime folder.");
        return false;
    }
    const QByteArray path = QFile::encodeName(lockPath());
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    struct stat st;
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::getuid()) {
        m_error = QStringLiteral("Cannot use %1: %2").arg(lockPath(), fd < 0 ? systemError() : QStringLiteral("not ours"));
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    // An open-file-description lock: held per open file (so a second open in this same
    // process conflicts too) and released by the kernel when the process dies.
    struct flock fl = wholeFileLock(F_WRLCK);
    if (::fcntl(fd, F_OFD_SETLK, &fl) != 0) {
        const int err = errno;
        ::close(fd);
        if (err != EAGAIN && err != EACCES)
            m_error = QStringLiteral("Cannot lock %1: %2").arg(lockPath(), QString::fromLocal8Bit(std::strerror(err)));
        return false;
    }
    m_lockFd = fd;
    listen();
    // The server closes for good on some errors (no descriptors left, the socket file
    // removed by a clean-up): open it again, or commands could never reach us.
    m_serverCheck = new QTimer(this);
    connect(m_serverCheck, &QTimer::timeout, this, &SingleInstance::keepListening);
    m_serverCheck->start(kServerCheckMs);
    return true;
}

bool SingleInstance::listen()
{
    delete m_server; // connected clients are our children and stay
    // A socket left by a killed copy is stale: we hold the lock now.
    QLocalServer::removeServer(socketPath());
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(socketPath())) {
        m_error = m_server->errorString();
        delete m_server;
        m_server = nullptr;
        return false;
    }
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
    return true;
}

void SingleInstance::keepListening()
{
    struct stat st;
    const bool socketThere = ::lstat(QFile::encodeName(socketPath()).constData(), &st) == 0 && S_ISSOCK(st.st_mode);
    if (!m_server || !m_server->isListening() || !socketThere)
        listen();
}

void SingleInstance::stopListening()
{
    delete m_serverCheck;
    m_serverCheck = nullptr;
    if (!m_server)
        return;
    m_server->close(); // also removes the socket file
    delete m_server;
    m_server = nullptr;
}

void SingleInstance::release()
{
    stopListening();
    if (m_lockFd >= 0) {
        ::close(m_lockFd); // the only descriptor of this open file: the lock goes with it
        m_lockFd = -1;
    }
    // Clients still waiting learn at once that we are gone.
    const auto sockets = findChildren<QLocalSocket *>(QString(), Qt::FindDirectChildrenOnly);
    for (QLocalSocket *socket : sockets) {
        socket->abort();
        socket->deleteLater();
    }
}

bool SingleInstance::isRunning() const
{
    if (m_folder.isEmpty())
        return false;
    const QByteArray path = QFile::encodeName(lockPath());
    const int fd = ::open(path.constData(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    struct flock fl = wholeFileLock(F_WRLCK);
    const int r = ::fcntl(fd, F_OFD_GETLK, &fl);
    ::close(fd);
    return r == 0 && fl.l_type != F_UNLCK;
}

void SingleInstance::onNewConnection()
{
    while (QLocalSocket *socket = m_server ? m_server->nextPendingConnection() : nullptr) {
        const auto clients = findChildren<QLocalSocket *>(QString(), Qt::FindDirectChildrenOnly);
        if (clients.size() >= kMaxClients) {
            // Idle connections must not lock real commands out (nor use up our descriptors).
            auto idle = std::find_if(clients.begin(), clients.end(),
                                     [](QLocalSocket *c) { return !c->property("qb_command").toBool(); });
            if (idle == clients.end()) {
                delete socket;
                continue;
            }
            delete *idle; // not inside any signal of that socket
        }
        socket->setParent(this);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // A client that never says anything must not hold a socket for ever.
        QTimer::singleShot(kIdleClientMs, socket, [socket] {
            if (!socket->property("qb_command").toBool()) {
                socket->abort();
                socket->deleteLater();
            }
        });
    }
}

void SingleInstance::onReadyRead(QLocalSocket *socket)
{
    if (socket->property("qb_command").toBool()) {
        socket->readAll(); // one command per connection
        return;
    }
    if (!socket->canReadLine() && socket->bytesAvailable() < kMaxLine)
        return;
    const QByteArray line = socket->readLine(kMaxLine + 1);
    socket->setProperty("qb_command", true);
    CommandReply reply(socket);
    QString command, arg;
    if (!line.endsWith('\n')) { // readLine stops one byte short of its limit
        reply.send(2, QStringLiteral("Command too long."));
        return;
    }
    if (!decodeLine(line, &command, &arg)) {
        reply.send(2, QStringLiteral("Malformed command."));
        return;
    }
    // The receiver may run a nested event loop (a message box) in which this socket
    // disconnects and is deleted: never call it from inside the socket's own signal.
    QMetaObject::invokeMethod(
        this, [this, command, arg, reply] { deliver(command, arg, reply); }, Qt::QueuedConnection);
}

void SingleInstance::deliver(const QString &command, const QString &arg, const CommandReply &reply)
{
    if (!isSignalConnected(QMetaMethod::fromSignal(&SingleInstance::commandReceived))) {
        reply.send(1, QStringLiteral("Quillbox cannot take commands yet."));
        return;
    }
    Q_EMIT commandReceived(command, arg, reply);
}

QLocalSocket *SingleInstance::connectToRunning(qint64 deadlineMs, const QElapsedTimer &clock) const
{
    // The running copy may hold the lock a moment before it listens: retry until the deadline.
    while (isRunning()) {
        auto *socket = new QLocalSocket;
        socket->connectToServer(socketPath());
        if (socket->waitForConnected(int(qBound<qint64>(qint64(1), deadlineMs - clock.elapsed(), qint64(1000)))))
            return socket;
        delete socket;
        if (clock.elapsed() >= deadlineMs)
            break;
        QThread::msleep(50);
    }
    return nullptr;
}

int SingleInstance::sendCommand(const QString &command, const QString &arg, QString *message)
{
    auto say = [message](const QString &text) {
        if (message)
            *message = text;
    };
    say(QString());
    if (command != QLatin1String("quit") && command != QLatin1String("hotkey") && command != QLatin1String("open")) {
        say(QStringLiteral("Unknown command: %1").arg(command));
        return 2;
    }
    if (m_folder.isEmpty()) {
        say(m_error.isEmpty() ? QStringLiteral("No runtime folder.") : m_error);
        return 1;
    }
    QElapsedTimer clock;
    clock.start();
    const bool quit = command == QLatin1String("quit");
    const qint64 deadline = quit ? m_quitTimeoutMs : m_answerTimeoutMs;

    if (!isRunning()) {
        if (quit)
            return 0;
        say(QStringLiteral("Quillbox is not running."));
        return 1;
    }
    int code = 0;
    QString answer;
    bool answered = false;
    if (QLocalSocket *socket = connectToRunning(deadline, clock)) {
        socket->write(encodeLine(command, arg));
        socket->waitForBytesWritten(1000);
        QByteArray line;
        QString codeText;
        if (readLine(*socket, clock, deadline, &line) && decodeLine(line, &codeText, &answer)) {
            code = codeText.toInt(&answered);
        }
        delete socket;
    }
    if (!quit) {
        if (!answered) {
            say(isRunning() ? QStringLiteral("Quillbox does not answer.")
                            : QStringLiteral("Quillbox is not running."));
            return 1;
        }
        say(answer);
        return code;
    }
    if (answered && code != 0) {
        say(answer);
        return code;
    }
    // Done once the running copy has let go of the lock: its shutdown has finished.
    while (isRunning()) {
        if (clock.elapsed() >= deadline) {
            say(QStringLiteral("Quillbox did not end within %1 s.").arg(deadline / 1000.0));
            return 1;
        }
        QThread::msleep(20);
    }
    return 0;
}

int sendCommand(const QString &command, const QString &arg)
{
    SingleInstance instance;
    QString message;
    const int code = instance.sendCommand(command, arg, &message);
    if (!message.isEmpty())
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    return code;
}
