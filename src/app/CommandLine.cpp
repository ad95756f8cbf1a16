#include "app/CommandLine.h"

#include <QStringList>

namespace {
const QStringList HotKeyNames = {
    QStringLiteral("PopUp"),        QStringLiteral("PopUpExtApp"),    QStringLiteral("PopUpClock"),
    QStringLiteral("PopUpMenu"),    QStringLiteral("PopUpHistory"),   QStringLiteral("PopUpWebSearch"),
    QStringLiteral("PopUpDic"),     QStringLiteral("PopUpTV"),        QStringLiteral("PopUpCalc"),
};

CommandLine usage(const QString &error)
{
    CommandLine cmd;
    cmd.mode = CommandLine::Usage;
    cmd.error = error + QStringLiteral(
                    "\nusage: Quillbox [FILE.vlw | FILE.ini] | --version | --print-memo FILE | --print-history"
                    " | --quit | --hotkey NAME");
    return cmd;
}
} // namespace

QString VersionText()
{
    return QStringLiteral("%1.%2.%3").arg(QB_VERSION_MAJOR).arg(QB_VERSION_MINOR).arg(QB_VERSION_REVISION);
}

QString ProductName()
{
    return QStringLiteral("Quillbox with VLM");
}

QString MainFormCaption()
{
    return ProductName() + QStringLiteral(" Ver.") + VersionText();
}

CommandLine ParseCommandLine(int argc, const char *const *argv)
{
    CommandLine cmd;
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    if (args.isEmpty())
        return cmd;

    const QString first = args.first();
    const auto expectArgs = [&](int n) { return args.size() == n + 1; };
    if (first == QStringLiteral("--version") && expectArgs(0)) {
        cmd.mode = CommandLine::Version;
    } else if (first == QStringLiteral("--print-memo") && expectArgs(1)) {
        cmd.mode = CommandLine::PrintMemo;
        cmd.file = args[1];
    } else if (first == QStringLiteral("--print-history") && expectArgs(0)) {
        cmd.mode = CommandLine::PrintHistory;
    } else if (first == QStringLiteral("--quit") && expectArgs(0)) {
        cmd.mode = CommandLine::Quit;
    } else if (first == QStringLiteral("--hotkey") && expectArgs(1)) {
        if (!HotKeyNames.contains(args[1]))
            return usage(QStringLiteral("unknown hot key: ") + args[1]);
        cmd.mode = CommandLine::HotKey;
        cmd.file = args[1];
    } else if (first.startsWith(QStringLiteral("--"))) {
        return usage(QStringLiteral("unknown or incomplete option: ") + first);
    } else {
        // The whole command line is one path, spaces included, as the program always took it.
        cmd.file = args.join(u' ');
    }
    return cmd;
}
