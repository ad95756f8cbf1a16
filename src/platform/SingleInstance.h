#pragma once
// One running copy per user, and a small command channel to it.
//
// The running copy holds an open-file-description lock on "quillbox.lock" in the runtime
// folder; the kernel drops it when the process dies, so a start after SIGKILL works. It also
// listens on the local socket "quillbox.sock" there for one-line commands ("quit", "hotkey",
// and "open" from a second start).
// Commands reach the receiver from the event loop, never from inside a socket's own signal,
// so a receiver may open a modal box while clients come and go.
#include <QObject>
#include <QPointer>
#include <QString>

class QLocalServer;
#include <QLocalSocket>

// Lets the receiver of a command answer the client once the command is done.
class CommandReply
{
public:
    CommandReply() = default;
    explicit CommandReply(QLocalSocket *socket) : m_socket(socket) {}
    // Sends the client's exit code (and a one-line message) and closes; later calls do nothing.
    void send(int exitCode, const QString &message = QString()) const;
    bool isPending() const;

private:
    QPointer<QLocalSocket> m_socket;
};

class SingleInstance : public QObject
{
    Q_OBJECT
public:
    // Uses defaultRuntimeFolder().
    explicit SingleInstance(QObject *parent = nullptr);
    explicit SingleInstance(const QString &runtimeFolder, QObject *parent = nullptr);
    ~SingleInstance() override;

    // $XDG_RUNTIME_DIR when only this user can write to it and what we keep there is ours,
    // else a private folder in the user's cache folder ($XDG_CACHE_HOME or ~/.cache, then
    // "quillbox", made with mode 0700). Empty, with the reasons in *error, when neither is safe.
    static QString defaultRuntimeFolder(QString *error = nullptr);
    static QString resolveRuntimeFolder(const QString &xdgRuntimeDir, const QString &privateFolder,
                                        uint uid, QString *error = nullptr);

    // True when this process is now the running copy. False when another copy runs (error()
    // is empty) or when no safe runtime folder or lock exists (error() says why).
    bool acquire();
    bool isPrimary() const { return m_lockFd >= 0; }
    QString error() const { return m_error; }
    QString runtimeFolder() const { return m_folder; }
    QString lockPath() const;
    QString socketPath() const;

    // Stops taking new commands (call when the shutdown starts); the lock stays.
    void stopListening();
    // Gives up the lock and the socket (call when the shutdown has finished).
    void release();

    // True when some process holds the lock (does not take it).
    bool isRunning() const;

    // Client side: asks the running copy to run a command and returns the exit code for
    // the command line. "quit" returns once the running copy has ended (0 also when none
    // runs); "hotkey" and "open" return 1 when none runs. *message gets a line for the user.
    int sendCommand(const QString &command, const QString &arg, QString *message = nullptr);
    void setTimeouts(int quitMs, int answerMs) { m_quitTimeoutMs = quitMs; m_answerTimeoutMs = answerMs; }

Q_SIGNALS:
    // The receiver must answer through reply, now or later.
    void commandReceived(const QString &command, const QString &arg, const CommandReply &reply);

private:
    bool listen();
    void keepListening();
    void onNewConnection();
    void onReadyRead(QLocalSocket *socket);
    void deliver(const QString &command, const QString &arg, const CommandReply &reply);
    QLocalSocket *connectToRunning(qint64 deadlineMs, const class QElapsedTimer &clock) const;

    QString m_folder;
    QString m_error;
    int m_lockFd = -1;
    QLocalServer *m_server = nullptr;
    class QTimer *m_serverCheck = nullptr;
    int m_quitTimeoutMs = 10000;
    int m_answerTimeoutMs = 5000;
};

// Convenience for main(): the default runtime folder, the message printed on stderr.
int sendCommand(const QString &command, const QString &arg);
