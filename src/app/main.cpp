// Quillbox: command-line modes that need no display, and the resident program.
#include "app/CommandLine.h"
#include "app/MainForm.h"
#include "app/PrintMemo.h"
#include "clipboard/PrintHistory.h"
#include "app/DesktopServices.h"
#include "platform/HeapTuning.h"
#include "platform/ProgramFolder.h"
#include "platform/SignalBridge.h"
#include "platform/SingleInstance.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QMessageBox>
#include <QSessionManager>
#include <QTextStream>
#include <QTimer>
#include <cstdio>

namespace {

int runResident(int argc, char **argv, const CommandLine &cmd)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillbox"));
    QApplication::setQuitOnLastWindowClosed(false);

    SingleInstance instance;
    if (!instance.acquire()) {
        if (instance.error().isEmpty())
            return 0; // another copy runs: end silently
        // Without a lock two copies would share every file unguarded.
        const QString text = QStringLiteral("Quillbox cannot start: %1").arg(instance.error());
        std::fprintf(stderr, "%s\n", qUtf8Printable(text));
        QMessageBox::critical(nullptr, QCoreApplication::applicationName(), text);
        return 1;
    }

    const ProgramFolder folder = ProgramFolder::forThisProgram();
    folder.ensureUserFolder();
    AppPaths paths;
    paths.programFolder = folder.userFolder();
    paths.sharedFolder = folder.sharedFolder();
    paths.exeBaseName = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();

    DesktopServices desktop;
    MainForm form(paths, desktop.services());
    QObject::connect(&form, &MainForm::shutdownFinished, &app, [&] {
        instance.stopListening();
        QCoreApplication::quit();
    });

    SignalBridge signals_;
    QObject::connect(&signals_, &SignalBridge::exitRequested, &form, &MainForm::requestExit);
    // Logging out: the session may end us right after this returns, so finish the shutdown here.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &form, [&form](QSessionManager &) {
        form.requestExit();
        QDeadlineTimer deadline(3000);
        while (!form.isShutDown() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    });

    QVector<CommandReply> quitReplies;
    QObject::connect(&instance, &SingleInstance::commandReceived, &form,
                     [&](const QString &command, const QString &arg, const CommandReply &reply) {
                         if (command == QStringLiteral("quit")) {
                             quitReplies.append(reply); // answered once the shutdown has finished
                             form.requestExit();
                         } else if (command == QStringLiteral("hotkey")) {
                             const bool known = MainForm::IsHotKeyActionName(arg);
                             reply.send(known ? 0 : 1, known ? QString() : QStringLiteral("unknown hot key: ") + arg);
                             // The action may open a box with its own event loop: answer first.
                             if (known)
                                 QTimer::singleShot(0, &form, [&form, arg] { form.RunHotKeyAction(arg); });
                         } else {
                             reply.send(1, QStringLiteral("unknown command: ") + command);
                         }
                     });

    form.Form_Load(cmd.file);
    form.show();
    const int rc = app.exec();
    for (const CommandReply &reply : quitReplies)
        reply.send(0);
    instance.release();
    return rc;
}

} // namespace

int main(int argc, char **argv)
{
    TuneHeapForLargeTables();
    const CommandLine cmd = ParseCommandLine(argc, argv);
    switch (cmd.mode) {
    case CommandLine::Version:
        std::printf("%s\n", qUtf8Printable(MainFormCaption()));
        return 0;
    case CommandLine::PrintMemo: {
        QCoreApplication app(argc, argv);
        return PrintMemo(cmd.file, stdout, stderr);
    }
    case CommandLine::PrintHistory: {
        QCoreApplication app(argc, argv);
        return printHistory();
    }
    case CommandLine::Quit:
    case CommandLine::HotKey: {
        QCoreApplication app(argc, argv);
        return sendCommand(cmd.mode == CommandLine::Quit ? QStringLiteral("quit") : QStringLiteral("hotkey"),
                           cmd.file);
    }
    case CommandLine::Usage:
        std::fprintf(stderr, "%s\n", qUtf8Printable(cmd.error));
        return 2;
    case CommandLine::Resident:
        break;
    }
    return runResident(argc, argv, cmd);
}
