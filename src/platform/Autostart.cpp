#include "platform/Autostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

Autostart::Autostart(const QString &configHome, const QString &appId)
    : m_entryPath(configHome + QStringLiteral("/autostart/") + appId + QStringLiteral(".desktop"))
{
}

bool Autostart::isEnabled() const
{
    return QFileInfo::exists(m_entryPath);
}

QString Autostart::quoteExecArgument(const QString &argument)
{
    // Reserved characters make the argument a quoted one; inside quotes ", `, $ and \ are
    // escaped. Then % is doubled (field codes) and, as for every string value, \ is escaped.
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool quote = argument.isEmpty();
    for (QChar c : argument)
        quote = quote || reserved.contains(c);
    QString arg;
    for (QChar c : argument) {
        if (quote && (c == u'"' || c == u'`' || c == u'$' || c == u'\\'))
            arg += u'\\';
        arg += c;
    }
    if (quote)
        arg = u'"' + arg + u'"';
    arg.replace(u'%', QStringLiteral("%%"));
    arg.replace(u'\\', QStringLiteral("\\\\"));
    arg.replace(u'\n', QStringLiteral("\\n"));
    arg.replace(u'\t', QStringLiteral("\\t"));
    return arg;
}

bool Autostart::enable(const QString &executable, const QString &name, const QString &icon, QString *error) const
{
    if (!QDir().mkpath(QFileInfo(m_entryPath).path())) {
        *error = QStringLiteral("cannot create ") + QFileInfo(m_entryPath).path();
        return false;
    }
    QSaveFile f(m_entryPath);
    if (!f.open(QIODevice::WriteOnly)) {
        *error = f.errorString();
        return false;
    }
    const QString entry = QStringLiteral("[Desktop Entry]\nType=Application\nName=") + name
                          + QStringLiteral("\nIcon=") + icon + QStringLiteral("\nExec=")
                          + quoteExecArgument(executable)
                          + QStringLiteral("\nTerminal=false\nX-GNOME-Autostart-enabled=true\n");
    f.write(entry.toUtf8());
    if (!f.commit()) {
        *error = f.errorString();
        return false;
    }
    return true;
}

bool Autostart::disable(QString *error) const
{
    if (!QFileInfo::exists(m_entryPath) && !QFileInfo(m_entryPath).isSymLink())
        return true;
    if (QFile::remove(m_entryPath))
        return true;
    *error = QStringLiteral("cannot remove ") + m_entryPath;
    return false;
}
