// A plain text editor that receives pastes in the tests: it prints "ready <window id>" once
// its editor has the focus, writes its text to the --out file on every change, and prints
// the text on stdout when it ends (closed, SIGTERM, SIGINT, SIGHUP).
//   paste_target [--out FILE] [--title TITLE]
#include "platform/SignalBridge.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QPlainTextEdit>
#include <QSaveFile>
#include <QTimer>

#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption out(QStringLiteral("out"), QStringLiteral("File that always holds the text."),
                                 QStringLiteral("file"));
    const QCommandLineOption title(QStringLiteral("title"), QStringLiteral("Window title."),
                                   QStringLiteral("title"), QStringLiteral("paste_target"));
    parser.addOption(out);
    parser.addOption(title);
    parser.process(app);
    const QString outPath = parser.value(out);

    QPlainTextEdit edit;
    edit.setWindowTitle(parser.value(title));
    edit.resize(400, 300);
    QObject::connect(&edit, &QPlainTextEdit::textChanged, &edit, [&] {
        if (outPath.isEmpty())
            return;
        QSaveFile file(outPath);
        if (file.open(QIODevice::WriteOnly)) {
            file.write(edit.toPlainText().toUtf8());
            file.commit();
        }
    });

    SignalBridge bridge;
    QObject::connect(&bridge, &SignalBridge::exitRequested, &app, &QApplication::quit);
    QObject::connect(&app, &QApplication::aboutToQuit, &app, [&] {
        std::fputs(edit.toPlainText().toUtf8().constData(), stdout);
        std::fflush(stdout);
    });

    edit.show();
    edit.activateWindow();
    edit.setFocus();
    // Announce once the editor really has the keyboard focus.
    auto *poll = new QTimer(&app);
    QObject::connect(poll, &QTimer::timeout, &app, [&, poll] {
        if (edit.hasFocus() && edit.isActiveWindow()) {
            poll->stop();
            std::printf("ready %llu\n", static_cast<unsigned long long>(edit.winId()));
            std::fflush(stdout);
        }
    });
    poll->start(20);
    return app.exec();
}
