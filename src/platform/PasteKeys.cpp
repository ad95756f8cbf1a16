#include "platform/PasteKeys.h"

#include <X11/Xlib.h>
#include <X11/keysym.h>

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

quint32 KeysymForKeyName(const QString &name)
{
    const QString lower = name.toLower();
    if (lower == QLatin1String("shift"))
        return XK_Shift_L;
    if (lower == QLatin1String("ctrl") || lower == QLatin1String("control"))
        return XK_Control_L;
    if (lower == QLatin1String("alt"))
        return XK_Alt_L;
    if (lower == QLatin1String("super") || lower == QLatin1String("win"))
        return XK_Super_L;
    const QString capitalised = lower.left(1).toUpper() + lower.mid(1);
    for (const QString &candidate : {name, lower, capitalised}) {
        const KeySym sym = XStringToKeysym(candidate.toLatin1().constData());
        if (sym != NoSymbol)
            return quint32(sym);
    }
    return 0;
}
