// Acts as a running copy for the single-instance tests (the runtime folder comes from
// XDG_RUNTIME_DIR):
//   instance_helper serve MARKER SHUTDOWN_MS  - take the lock; prints "primary", or exits 3
//       when another copy runs, 4 (the reason on stderr) when no safe folder exists;
//       "hotkey NAME" appends NAME to MARKER; "quit" keeps the event loop running for
//       SHUTDOWN_MS as a shutdown would, writes "done" to MARKER, answers and ends.
//   instance_helper send COMMAND ARG          - the client side; prints the message on stderr.
#include "platform/SingleInstance.h"

#include <QCoreApplication>
#include <QFile>
#include <QTimer>

#include <cstdio>

static void append(const QString &path, const QByteArray &text)
{
    QFile f(path);
    if (f.open(QIODevice::Append))
        f.write(text + '\n');
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == QLatin1String("send"))
        return sendCommand(args[2], args[3]);
    if (args.size() != 4 || args[1] != QLatin1String("serve"))
        return 2;

    const QString marker = args[2];
    const int shutdownMs = args[3].toInt();
    SingleInstance instance;
    if (!instance.acquire()) {
        if (instance.error().isEmpty())
            return 3;
        std::fprintf(stderr, "%s\n", qUtf8Printable(instance.error()));
        return 4;
    }
    bool quitting = false;
    QObject::connect(&instance, &SingleInstance::commandReceived, &app,
                     [&](const QString &command, const QString &arg, const CommandReply &reply) {
        if (command == QLatin1String("hotkey")) {
            append(marker, arg.toUtf8());
            reply.send(0);
        } else if (command == QLatin1String("quit")) {
            if (quitting) { // a second request joins the running shutdown
                reply.send(0);
                return;
            }
            quitting = true;
            instance.stopListening();
            QTimer::singleShot(shutdownMs, &app, [&, reply] {
                append(marker, "done");
                reply.send(0);
                instance.release();
                app.quit();
            });
        } else {
            reply.send(1, QStringLiteral("unknown command"));
        }
    });
    std::printf("primary\n");
    std::fflush(stdout);
    return app.exec();
}
