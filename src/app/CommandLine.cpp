#include "app/CommandLine.h"

#include "util/Tool.h"

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
    cmd.error = error + u'\n' + UsageText();
    return cmd;
}
} // namespace

QString UsageText()
{
    return QStringLiteral(
               "usage: Quillbox [FILE.vlw | FILE.ini | OPTION]\n"
               "  (no argument)       start Quillbox, or show the lists of the running Quillbox\n"
               "  FILE.vlw            make FILE.vlw the card file (the running Quillbox switches to it)\n"
               "  FILE.ini            start with FILE.ini as the settings file (not while Quillbox runs\n"
               "                      with another one)\n"
               "  --hotkey NAME       make the running Quillbox act on the hot key NAME (starting it first)\n"
               "                      NAME: ")
           + HotKeyNames.join(QStringLiteral(", "))
           + QStringLiteral(
               "\n"
               "  --quit              end the running Quillbox, saving its settings\n"
               "  --print-memo FILE   print the groups and items of a card file as JSON\n"
               "  --print-history     print the stored clipboard history as JSON\n"
               "  --calc [--degrees] EXPRESSION\n"
               "                      calculate EXPRESSION (angles in degrees with --degrees) and print it\n"
               "  --autostart on|off  start Quillbox when you log in, or stop doing so\n"
               "  --autostart         print \"on\" or \"off\"\n"
               "  --desktop-shortcuts on|off\n"
               "                      on GNOME, add the enabled hot keys to the desktop's own keyboard\n"
               "                      shortcuts (each runs --hotkey NAME), or remove them again; elsewhere\n"
               "                      (sway, i3, Hyprland) print the lines for the compositor's configuration\n"
               "  --desktop-shortcuts print what is registered (GNOME) or the lines to add\n"
               "                      (not needed where the desktop offers the GlobalShortcuts portal,\n"
               "                      KDE Plasma 5.27+, GNOME 48+: Quillbox binds its hot keys there itself)\n"
               "  --version           print the version\n"
               "  -h, --help          print this help");
}

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
    } else if ((first == QStringLiteral("--help") || first == QStringLiteral("-h")) && expectArgs(0)) {
        cmd.mode = CommandLine::Help;
    } else if (first == QStringLiteral("--autostart") && (expectArgs(0) || expectArgs(1))) {
        if (expectArgs(1) && args[1] != QStringLiteral("on") && args[1] != QStringLiteral("off"))
            return usage(QStringLiteral("--autostart takes on or off: ") + args[1]);
        cmd.mode = CommandLine::Autostart;
        cmd.file = args.value(1);
    } else if (first == QStringLiteral("--desktop-shortcuts") && (expectArgs(0) || expectArgs(1))) {
        if (expectArgs(1) && args[1] != QStringLiteral("on") && args[1] != QStringLiteral("off"))
            return usage(QStringLiteral("--desktop-shortcuts takes on or off: ") + args[1]);
        cmd.mode = CommandLine::DesktopShortcuts;
        cmd.file = args.value(1);
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
    } else if (first == QStringLiteral("--calc") && expectArgs(1) && args[1] == QStringLiteral("--degrees")) {
        return usage(QStringLiteral("--calc --degrees needs an expression"));
    } else if (first == QStringLiteral("--calc") && (expectArgs(1) || (expectArgs(2) && args[1] == QStringLiteral("--degrees")))) {
        // The expression is taken as given, even when it starts with "-" or is empty.
        cmd.mode = CommandLine::Calc;
        cmd.degrees = args.size() == 3;
        cmd.file = args.last();
    } else if (first.startsWith(QStringLiteral("--"))) {
        return usage(QStringLiteral("unknown or incomplete option: ") + first);
    } else {
        // The whole command line is one path, spaces included, as the program always took it.
        cmd.file = args.join(u' ');
    }
    return cmd;
}

QString CommandLineFile(const QString &commandLine, const QString &extension)
{
    if (Tool::GetExtension(commandLine).toLower() != extension)
        return QString();
    return Tool::RemoveQuotes(commandLine.trimmed());
}
