#pragma once
// Starting a program at login through the XDG autostart folder: one desktop entry,
// $XDG_CONFIG_HOME/autostart/<id>.desktop, whose Exec names the executable by its absolute path.
#include <QString>

class Autostart
{
public:
    Autostart(const QString &configHome, const QString &appId);

    QString entryPath() const { return m_entryPath; }
    bool isEnabled() const;
    // Writes the entry (false and *error on failure).
    bool enable(const QString &executable, const QString &name, const QString &icon, QString *error) const;
    // Removes the entry; an entry that is not there is no failure.
    bool disable(QString *error) const;

    // One argument of an Exec line, quoted as desktop entries require.
    static QString quoteExecArgument(const QString &argument);

private:
    QString m_entryPath;
};
