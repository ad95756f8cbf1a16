// A recording stand-in for the desktop portal's GlobalShortcuts and RemoteDesktop interfaces on
// the session bus it is given. It answers through Request objects as the real portal does and
// prints each call it gets on standard output, one line each, after "ready".
// Options: --shortcuts-version N, --remote-version N (0 leaves the interface out), --refuse-start
// (the user says no), --bind-none (binds nothing, as an unsandboxed caller may get).
// Commands on standard input: "activate ID" sends Activated for every GlobalShortcuts session,
// "close" ends every session as a compositor would.
#include "platform/portal/PortalShortcut.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

namespace {

void record(const QString &line)
{
    std::printf("%s\n", qUtf8Printable(line));
    std::fflush(stdout);
}

const QString Root = QStringLiteral("/org/freedesktop/portal/desktop");
const QString ShortcutsInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString RemoteInterface = QStringLiteral("org.freedesktop.portal.RemoteDesktop");

} // namespace


class FakePortal : public QDBusVirtualObject
{
public:
    FakePortal(const QDBusConnection &bus, const QStringList &args) : bus_(bus)
    {
        const auto number = [&](const QString &option) {
            const int at = args.indexOf(option);
            return at >= 0 && at + 1 < args.size() ? args.at(at + 1).toUInt() : 1u;
        };
        versions_[ShortcutsInterface] = number(QStringLiteral("--shortcuts-version"));
        versions_[RemoteInterface] = number(QStringLiteral("--remote-version"));
        refuseStart_ = args.contains(QStringLiteral("--refuse-start"));
        bindNone_ = args.contains(QStringLiteral("--bind-none"));
    }

    QString introspect(const QString &) const override { return {}; }

    bool handleMessage(const QDBusMessage &m, const QDBusConnection &) override
    {
        const QString method = m.member();
        const QVariantList a = m.arguments();
        if (m.interface() == QStringLiteral("org.freedesktop.DBus.Properties") && method == QStringLiteral("Get")) {
            const uint version = versions_.value(a.value(0).toString());
            bus_.send(version ? m.createReply(QVariant::fromValue(QDBusVariant(version)))
                              : m.createErrorReply(QDBusError::UnknownInterface, QStringLiteral("no such interface")));
            return true;
        }
        if (m.interface() == QStringLiteral("org.freedesktop.portal.Session") && method == QStringLiteral("Close")) {
            record(QStringLiteral("Close"));
            sessions_.remove(m.path());
            bus_.send(m.createReply());
            return true;
        }
        if (!versions_.value(m.interface())) {
            bus_.send(m.createErrorReply(QDBusError::UnknownInterface, QStringLiteral("no such interface")));
            return true;
        }
        const QString kind = m.interface() == ShortcutsInterface ? QStringLiteral("GlobalShortcuts")
                                                                 : QStringLiteral("RemoteDesktop");
        const QVariantMap options = qdbus_cast<QVariantMap>(a.value(a.size() - 1));
        const QString session = a.value(0).value<QDBusObjectPath>().path();
        if (method == QStringLiteral("CreateSession")) {
            const QString handle = path(m, QStringLiteral("session"), options.value(QStringLiteral("session_handle_token")).toString());
            sessions_.insert(handle, kind);
            record(QStringLiteral("CreateSession ") + kind);
            respond(m, options, 0, {{QStringLiteral("session_handle"), handle}});
        } else if (!sessions_.contains(session)) {
            record(method + QStringLiteral(" on a closed session"));
            bus_.send(m.createErrorReply(QDBusError::AccessDenied, QStringLiteral("no such session")));
        } else if (method == QStringLiteral("BindShortcuts")) {
            PortalShortcuts shortcuts;
            a.value(1).value<QDBusArgument>() >> shortcuts;
            for (const PortalShortcut &s : qAsConst(shortcuts)) {
                record(QStringLiteral("BindShortcuts %1 %2 %3")
                           .arg(s.id, s.properties.value(QStringLiteral("preferred_trigger")).toString(),
                                s.properties.value(QStringLiteral("description")).toString()));
            }
            respond(m, options, 0, {{QStringLiteral("shortcuts"), QVariant::fromValue(bindNone_ ? PortalShortcuts() : shortcuts)}});
        } else if (method == QStringLiteral("SelectDevices")) {
            persist_ = options.value(QStringLiteral("persist_mode")).toUInt() == 2;
            record(QStringLiteral("SelectDevices types=%1 persist_mode=%2 restore_token=%3")
                       .arg(options.value(QStringLiteral("types")).toUInt())
                       .arg(options.value(QStringLiteral("persist_mode")).toUInt())
                       .arg(options.value(QStringLiteral("restore_token")).toString()));
            respond(m, options, 0, {});
        } else if (method == QStringLiteral("Start")) {
            record(QStringLiteral("Start"));
            QVariantMap results{{QStringLiteral("devices"), 1u}};
            if (persist_)
                results.insert(QStringLiteral("restore_token"), QStringLiteral("token-%1").arg(++tokens_));
            respond(m, options, refuseStart_ ? 1 : 0, refuseStart_ ? QVariantMap() : results);
        } else if (method == QStringLiteral("NotifyKeyboardKeysym")) {
            record(QStringLiteral("Key %1 %2").arg(a.value(2).toInt()).arg(a.value(3).toUInt()));
            bus_.send(m.createReply());
        } else {
            bus_.send(m.createErrorReply(QDBusError::UnknownMethod, method));
        }
        return true;
    }

    void command(const QString &line)
    {
        const QStringList words = line.split(u' ', Qt::SkipEmptyParts);
        if (words.value(0) == QStringLiteral("activate")) {
            for (auto it = sessions_.cbegin(); it != sessions_.cend(); ++it) {
                if (it.value() != QStringLiteral("GlobalShortcuts"))
                    continue;
                QDBusMessage signal = QDBusMessage::createSignal(Root, ShortcutsInterface, QStringLiteral("Activated"));
                signal << QVariant::fromValue(QDBusObjectPath(it.key())) << words.value(1) << qulonglong(0)
                       << QVariantMap();
                bus_.send(signal);
            }
        } else if (words.value(0) == QStringLiteral("close")) {
            for (const QString &handle : sessions_.keys()) {
                bus_.send(QDBusMessage::createSignal(handle, QStringLiteral("org.freedesktop.portal.Session"),
                                                     QStringLiteral("Closed"))
                          << QVariantMap());
            }
            sessions_.clear();
        }
        record(QStringLiteral("done ") + line); // the command's signals are on the bus
    }

private:
    static QString path(const QDBusMessage &m, const QString &kind, const QString &token)
    {
        QString sender = m.service().mid(1);
        sender.replace(u'.', u'_');
        return Root + QStringLiteral("/%1/%2/%3").arg(kind, sender, token);
    }

    // Replies with the Request's path, then answers on it.
    void respond(const QDBusMessage &m, const QVariantMap &options, uint response, const QVariantMap &results)
    {
        const QString request = path(m, QStringLiteral("request"), options.value(QStringLiteral("handle_token")).toString());
        bus_.send(m.createReply(QVariant::fromValue(QDBusObjectPath(request))));
        QDBusMessage signal = QDBusMessage::createSignal(request, QStringLiteral("org.freedesktop.portal.Request"),
                                                         QStringLiteral("Response"));
        signal << response << results;
        bus_.send(signal);
    }

    QDBusConnection bus_;
    QHash<QString, uint> versions_;
    QHash<QString, QString> sessions_; // handle, interface
    bool refuseStart_ = false, bindNone_ = false, persist_ = false;
    int tokens_ = 0;
};

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    RegisterPortalShortcutTypes();
    QDBusConnection bus = QDBusConnection::sessionBus();
    FakePortal portal(bus, app.arguments());
    if (!bus.registerVirtualObject(Root, &portal, QDBusConnection::SubPath)
        || !bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop"))) {
        std::fprintf(stderr, "fake_portal: cannot take the portal's name: %s\n", qPrintable(bus.lastError().message()));
        return 1;
    }
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QByteArray pending;
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char buffer[256];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            app.quit(); // the test closed our input: its end
            return;
        }
        pending.append(buffer, int(n));
        for (int end = pending.indexOf('\n'); end >= 0; end = pending.indexOf('\n')) {
            portal.command(QString::fromUtf8(pending.left(end)).trimmed());
            pending.remove(0, end + 1);
        }
    });
    record(QStringLiteral("ready"));
    return app.exec();
}
