#pragma once
// One entry of the GlobalShortcuts portal's a(sa{sv}) shortcut lists, with its D-Bus marshalling.
#include <QDBusArgument>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QVariantMap>

struct PortalShortcut {
    QString id;
    QVariantMap properties;
};
using PortalShortcuts = QList<PortalShortcut>;

QDBusArgument &operator<<(QDBusArgument &arg, const PortalShortcut &s);
const QDBusArgument &operator>>(const QDBusArgument &arg, PortalShortcut &s);

Q_DECLARE_METATYPE(PortalShortcut)

// Makes both types known to QtDBus; call before the first call or connection that carries them.
void RegisterPortalShortcutTypes();
