#include "platform/PasteKeys.h"

namespace {

QStringList splitTrimmed(const QString &text, QChar separator)
{
    QStringList parts;
    for (const QString &part : text.split(separator)) {
        const QString trimmed = part.trimmed();
        if (!trimmed.isEmpty())
            parts << trimmed;
    }
    return parts;
}

} // namespace

QString DefaultTerminalClasses()
{
    return QStringLiteral("XTerm,UXTerm,URxvt,Gnome-terminal,gnome-terminal-server,konsole,Xfce4-terminal,"
                          "kitty,Alacritty,Terminator,Tilix,lxterminal,qterminal,st-256color,foot,wezterm");
}

QString DefaultTerminalPasteKeys()
{
    return QStringLiteral("shift+Insert");
}

bool IsTerminalWindow(const QStringList &windowClass, const QString &terminalClasses)
{
    const QStringList listed = splitTrimmed(terminalClasses, QLatin1Char(','));
    for (const QString &name : windowClass) {
        if (!name.isEmpty() && listed.contains(name, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

PasteChoice ChoosePasteKeys(const QStringList &windowClass, const PasteRule &rule)
{
    PasteChoice choice;
    choice.terminal = IsTerminalWindow(windowClass, rule.terminalClasses);
    if (!choice.terminal) {
        choice.keys = {QStringLiteral("ctrl"), QStringLiteral("v")};
        return choice;
    }
    choice.keys = splitTrimmed(rule.terminalKeys, QLatin1Char('+'));
    // A value left empty must not leave the terminal without any paste at all.
    if (choice.keys.isEmpty())
        choice.keys = splitTrimmed(DefaultTerminalPasteKeys(), QLatin1Char('+'));
    return choice;
}
