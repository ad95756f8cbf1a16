// Quillbox: command-line modes that need no display, and the resident program.
#include "app/CommandLine.h"
#include "calc/CalcCommand.h"
#include "app/MainForm.h"
#include "memo/PrintMemo.h"
#include "clipboard/PrintHistory.h"
#include "app/DesktopServices.h"
#include "app/DesktopShortcuts.h"
#include "platform/AppIds.h"
#include "platform/Autostart.h"
#include "platform/ProgramFolder.h"
#include "platform/SignalBridge.h"
#include "platform/SingleInstance.h"
#include "platform/desktop/ProgramIcon.h"
#include "platform/QtPlatformChoice.h"
#include "platform/x11/X11Display.h"
#include "platform/desktop/SyntheticInputChooser.h"
#include "platform/desktop/QtJapanese.h"
#include "util/CompositionGuard.h"
#include "util/Tool.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <QMessageBox>
#include <QSessionManager>
#include <QTextStream>
#include <QTimer>
#include <cstdio>

namespace {

int autostart(const QString &change)
{
    const Autostart entry(ProgramFolder::configHomeFrom(qEnvironmentVariable("XDG_CONFIG_HOME"), QDir::homePath()),
                          AppIds::quillbox());
    QString error;
    bool ok = true;
    if (change.isEmpty())
        std::printf("%s\n", entry.isEnabled() ? "on" : "off");
    else if (change == QStringLiteral("on"))
        ok = entry.enable(QCoreApplication::applicationFilePath(), QStringLiteral("Quillbox"), AppIds::quillbox(), &error);
    else
        ok = entry.disable(&error);
    if (!ok)
        std::fprintf(stderr, "Quillbox: %s\n", qUtf8Printable(error));
    return ok ? 0 : 1;
}

// A desktop action may be the first thing run after logging in: start Quillbox then.
int hotKey(const QString &name)
{
    if (!SingleInstance().isRunning()) {
        if (!QProcess::startDetached(QCoreApplication::applicationFilePath(), {})) {
            std::fprintf(stderr, "Quillbox could not be started.\n");
            return 1;
        }
        const SingleInstance probe;
        QDeadlineTimer deadline(10000);
        while (!probe.isRunning() && !deadline.hasExpired())
            QThread::msleep(50);
    }
    return sendCommand(QStringLiteral("hotkey"), name);
}

// A second start: the running copy takes over its settings or card file and shows its lists.
// The path is made absolute here, where it was typed.
int handOver(const QString &commandLine)
{
    QString file = CommandLineFile(commandLine, QStringLiteral("ini"));
    if (file.isEmpty())
        file = CommandLineFile(commandLine, QStringLiteral("vlw"));
    return sendCommand(QStringLiteral("open"), file.isEmpty() ? QString() : Tool::GetLongPath(file));
}

int runResident(int argc, char **argv, const CommandLine &cmd)
{
    PreferXcbPlatform();
    if (!RequireX11Display(QStringLiteral("Quillbox")))
        return 1;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillbox"));
    LoadQtJapanese(app);
    QGuiApplication::setDesktopFileName(AppIds::quillbox());
    // Every window's icon, the dictionary and web-search windows' included.
    QApplication::setWindowIcon(ProgramIcon(AppIds::quillbox()));
    QApplication::setQuitOnLastWindowClosed(false);

    SingleInstance instance;
    if (!instance.acquire()) {
        if (instance.error().isEmpty())
            return handOver(cmd.file); // another copy has just started
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
    paths.configHome = ProgramFolder::configHomeFrom(qEnvironmentVariable("XDG_CONFIG_HOME"), QDir::homePath());
    paths.exeBaseName = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    folder.seedSampleCardFile(paths.exeBaseName);

    // No input-method composition is left behind, hidden, in a field of any window.
    CompositionGuard composition;
    DesktopServices desktop;
    MainForm form(paths, desktop.services());
    // Read at each paste, as every setting is; the rule goes before the form does.
    defaultSyntheticInput().setPasteRule([&form] {
        return PasteRule{form.iniData.GetiniValue(QStringLiteral("TerminalWindowClasses")),
                         form.iniData.GetiniValue(QStringLiteral("TerminalPasteKeys"))};
    });
    QObject::connect(&form, &MainForm::shutdownFinished, &app, [&] {
        instance.stopListening();
        // Not quit(): that asks every window to close again and gives up when one refuses;
        // the shutdown has already done all there is to do.
        QCoreApplication::exit(0);
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
                         } else if (command == QStringLiteral("open")) {
                             QString problem;
                             const bool accepted = form.CanTakeOverStart(arg, &problem);
                             reply.send(accepted ? 0 : 1, problem);
                             if (accepted)
                                 QTimer::singleShot(0, &form, [&form, arg] { form.TakeOverStart(arg); });
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
    defaultSyntheticInput().setPasteRule({});
    for (const CommandReply &reply : quitReplies)
        reply.send(0);
    instance.release();
    return rc;
}

} // namespace

int main(int argc, char **argv)
{
    const CommandLine cmd = ParseCommandLine(argc, argv);
    switch (cmd.mode) {
    case CommandLine::Version:
        std::printf("%s\n", qUtf8Printable(MainFormCaption()));
        return 0;
    case CommandLine::Help:
        std::printf("%s\n", qUtf8Printable(UsageText()));
        return 0;
    case CommandLine::Autostart: {
        QCoreApplication app(argc, argv);
        return autostart(cmd.file);
    }
    case CommandLine::DesktopShortcuts: {
        QCoreApplication app(argc, argv);
        return DesktopShortcutsCommand(cmd.file, stdout, stderr);
    }
    case CommandLine::PrintMemo: {
        QCoreApplication app(argc, argv);
        return PrintMemo(cmd.file, stdout, stderr);
    }
    case CommandLine::PrintHistory: {
        QCoreApplication app(argc, argv);
        return printHistory();
    }
    case CommandLine::Quit: {
        QCoreApplication app(argc, argv);
        return sendCommand(QStringLiteral("quit"), QString());
    }
    case CommandLine::HotKey: {
        QCoreApplication app(argc, argv);
        return hotKey(cmd.file);
    }
    case CommandLine::Calc:
        return RunCalcCommand(cmd.file, cmd.degrees, stdout, stderr);
    case CommandLine::Usage:
        std::fprintf(stderr, "%s\n", qUtf8Printable(cmd.error));
        return 2;
    case CommandLine::Resident:
        // Before any display connection: a second start costs no more than --hotkey.
        if (SingleInstance().isRunning()) {
            QCoreApplication app(argc, argv);
            return handOver(cmd.file);
        }
        break;
    }
    return runResident(argc, argv, cmd);
}
