#include "platform/portal/PortalRequest.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>

#include <atomic>

namespace portal {
namespace {

const QString RequestInterface = QStringLiteral("org.freedesktop.portal.Request");
const QString SessionInterface = QStringLiteral("org.freedesktop.portal.Session");

// Portals hand object paths out as "o" or, in older interfaces, as "s".
QString pathOf(const QVariant &value)
{
    if (value.userType() == qMetaTypeId<QDBusObjectPath>())
        return value.value<QDBusObjectPath>().path();
    return value.toString();
}

} // namespace

QString NewToken()
{
    static std::atomic<int> next{0};
    return QStringLiteral("quillbox%1").arg(++next);
}

QString HandlePath(const QDBusConnection &bus, const QString &kind, const QString &token)
{
    // ":1.42" becomes "1_42".
    QString sender = bus.baseService().mid(1);
    sender.replace(u'.', u'_');
    return QStringLiteral("/org/freedesktop/portal/desktop/%1/%2/%3").arg(kind, sender, token);
}

uint InterfaceVersion(const QDBusConnection &bus, const QString &interface, int timeoutMs)
{
    if (!bus.isConnected())
        return 0;
    QDBusMessage get = QDBusMessage::createMethodCall(QString::fromLatin1(Service), QString::fromLatin1(ObjectPath),
                                                      QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get << interface << QStringLiteral("version");
    const QDBusMessage reply = bus.call(get, QDBus::Block, timeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return 0;
    return reply.arguments().first().value<QDBusVariant>().variant().toUInt();
}

Request::Request(const QDBusConnection &bus, QObject *context, ResponseHandler done)
    : QObject(context), bus_(bus), done_(std::move(done))
{
}

bool Request::listen(const QString &path)
{
    if (!path_.isEmpty())
        bus_.disconnect(QString::fromLatin1(Service), path_, RequestInterface, QStringLiteral("Response"), this,
                        SLOT(onResponse(uint, QVariantMap)));
    path_ = path;
    return bus_.connect(QString::fromLatin1(Service), path_, RequestInterface, QStringLiteral("Response"), this,
                        SLOT(onResponse(uint, QVariantMap)));
}

void Request::call(const QDBusConnection &bus, const QString &interface, const QString &method,
                   const QVariantList &args, QVariantMap options, QObject *context, ResponseHandler done)
{
    auto *request = new Request(bus, context, std::move(done));
    const QString token = NewToken();
    options.insert(QStringLiteral("handle_token"), token);
    if (!request->listen(HandlePath(bus, QStringLiteral("request"), token))) {
        request->finish(Failed, {});
        return;
    }
    QDBusMessage message = QDBusMessage::createMethodCall(QString::fromLatin1(Service), QString::fromLatin1(ObjectPath),
                                                          interface, method);
    message.setArguments(args + QVariantList{options});
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(message), request);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, request, [request, watcher] {
        watcher->deleteLater();
        const QDBusPendingReply<QDBusObjectPath> reply = *watcher;
        if (reply.isError()) {
            request->finish(Failed, {});
            return;
        }
        // A portal older than the handle_token convention names its own path.
        if (reply.value().path() != request->path_)
            request->listen(reply.value().path());
    });
}

void Request::onResponse(uint response, const QVariantMap &results) { finish(response, results); }

void Request::finish(uint response, const QVariantMap &results)
{
    if (!done_)
        return;
    const ResponseHandler done = std::move(done_);
    done_ = nullptr;
    deleteLater();
    done(response, results);
}

Session::Session(const QDBusConnection &bus, const QString &handle, QObject *parent)
    : QObject(parent), bus_(bus), handle_(handle)
{
    bus_.connect(QString::fromLatin1(Service), handle_, SessionInterface, QStringLiteral("Closed"), this,
                 SLOT(onClosed()));
}

Session::~Session()
{
    if (!open_)
        return;
    bus_.disconnect(QString::fromLatin1(Service), handle_, SessionInterface, QStringLiteral("Closed"), this,
                    SLOT(onClosed()));
    bus_.asyncCall(QDBusMessage::createMethodCall(QString::fromLatin1(Service), handle_, SessionInterface,
                                                  QStringLiteral("Close")));
}

void Session::onClosed()
{
    open_ = false;
    Q_EMIT closed();
}

void Session::create(const QDBusConnection &bus, const QString &interface, const QVariantMap &options,
                     QObject *context, std::function<void(Session *, uint)> done)
{
    QVariantMap withToken = options;
    withToken.insert(QStringLiteral("session_handle_token"), NewToken());
    Request::call(bus, interface, QStringLiteral("CreateSession"), {}, withToken, context,
                  [bus, context, done](uint response, const QVariantMap &results) {
                      const QString handle = pathOf(results.value(QStringLiteral("session_handle")));
                      if (response != Success || handle.isEmpty()) {
                          done(nullptr, response == Success ? uint(Failed) : response);
                          return;
                      }
                      done(new Session(bus, handle, context), Success);
                  });
}

} // namespace portal
