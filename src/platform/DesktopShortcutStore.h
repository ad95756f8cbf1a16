#pragma once
// A desktop's own list of keyboard shortcuts, of which this program owns some entries.
#include <QString>
#include <QVector>

struct DesktopShortcut {
    QString id;      // stable per hot key: "PopUp"
    QString name;    // what the desktop's settings show
    QString command; // a shell command line
    QString binding; // in the desktop's own notation
    bool operator==(const DesktopShortcut &o) const
    {
        return id == o.id && name == o.name && command == o.command && binding == o.binding;
    }
};

class DesktopShortcutStore
{
public:
    virtual ~DesktopShortcutStore() = default;
    // Our entries, in the desktop's order.
    virtual QVector<DesktopShortcut> registered() const = 0;
    // Makes our entries exactly these: present ones updated in place, new ones appended, the rest
    // removed. Entries that are not ours stay as and where they are. False and *error on failure.
    virtual bool replace(const QVector<DesktopShortcut> &shortcuts, QString *error) = 0;
};
