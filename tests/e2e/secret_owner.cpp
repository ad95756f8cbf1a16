// Another program that owns the clipboard with a text and, unless told otherwise, the hint
// that password managers put beside a secret. It prints "owner" once it holds the clipboard
// and stays its owner until its standard input closes or reads "quit". With --hang it never
// answers a request for the clipboard's contents: a hung owner. With --slow MS it answers only
// after MS milliseconds.
//   secret_owner TEXT [--hint VALUE | --no-hint] [--hang | --slow MS]
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QSocketNotifier>
#include <QThread>

#include <cstdio>
#include <unistd.h>

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty()) {
        std::fprintf(stderr, "usage: secret_owner TEXT [--hint VALUE | --no-hint]\n");
        return 2;
    }
    QByteArray hint = "secret";
    bool withHint = true;
    bool hang = false;
    int slowMs = 0;
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--hang"))
            hang = true;
        else if (args[i] == QLatin1String("--slow") && i + 1 < args.size())
            slowMs = args[++i].toInt();
        else if (args[i] == QLatin1String("--no-hint"))
            withHint = false;
        else if (args[i] == QLatin1String("--hint") && i + 1 < args.size())
            hint = args[++i].toUtf8();
    }

    auto *data = new QMimeData;
    data->setText(args[0]);
    if (withHint)
        data->setData(QStringLiteral("x-kde-passwordManagerHint"), hint);
    QGuiApplication::clipboard()->setMimeData(data, QClipboard::Clipboard);
    if (!QGuiApplication::clipboard()->ownsClipboard()) {
        std::fprintf(stderr, "could not take the clipboard\n");
        return 1;
    }
    std::printf("owner\n");
    std::fflush(stdout);
    if (hang) {
        // No event loop: requests for the contents wait in the queue for ever.
        char buffer[256];
        ssize_t n;
        while ((n = ::read(STDIN_FILENO, buffer, sizeof buffer)) > 0 && !QByteArray(buffer, int(n)).contains("quit")) {
        }
        return 0;
    }

    QThread::msleep(slowMs); // requests for the contents wait in the queue meanwhile
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char buffer[256];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0 || QByteArray(buffer, int(n)).contains("quit"))
            QCoreApplication::quit();
    });
    return app.exec();
}
