#pragma once
// The portals' request pattern over QtDBus: a method that takes a handle_token answers at once
// with a Request object path, and later with a Response signal on that object (0 success, 1 the
// user cancelled, 2 failed otherwise). The path is known before the call, so the Response is
// subscribed first and cannot be missed.
#include <QDBusConnection>
#include <QObject>
#include <QVariantMap>

#include <functional>

namespace portal {

constexpr const char *Service = "org.freedesktop.portal.Desktop";
constexpr const char *ObjectPath = "/org/freedesktop/portal/desktop";

enum Response : uint { Success = 0, Cancelled = 1, Failed = 2 };

// A fresh token for handle_token or session_handle_token: unique in this process.
QString NewToken();
// Where the portal puts an object (kind "request" or "session") with the token for this connection.
QString HandlePath(const QDBusConnection &bus, const QString &kind, const QString &token);
// The interface's "version" property; 0 when the portal or the interface is missing. Waits at most
// timeoutMs, so a session without a portal does not hold up the start.
uint InterfaceVersion(const QDBusConnection &bus, const QString &interface, int timeoutMs);

using ResponseHandler = std::function<void(uint response, const QVariantMap &results)>;

// One request in flight. It deletes itself after the Response, after a failed call (answered
// as Failed) and with its context.
class Request : public QObject
{
    Q_OBJECT
public:
    // Calls interface.method(args..., options + handle_token) on the portal and hands the
    // Response to done, on this thread.
    static void call(const QDBusConnection &bus, const QString &interface, const QString &method,
                     const QVariantList &args, QVariantMap options, QObject *context, ResponseHandler done);

private Q_SLOTS:
    void onResponse(uint response, const QVariantMap &results);

private:
    Request(const QDBusConnection &bus, QObject *context, ResponseHandler done);
    bool listen(const QString &path);
    void finish(uint response, const QVariantMap &results);

    QDBusConnection bus_;
    QString path_;
    ResponseHandler done_;
};

// A portal session: closed on the portal's side when this object goes, and reported through
// closed() when the portal or the compositor ends it first.
class Session : public QObject
{
    Q_OBJECT
public:
    // Asks interface.CreateSession; done gets the session (null on failure) and the response code.
    static void create(const QDBusConnection &bus, const QString &interface, const QVariantMap &options,
                       QObject *context, std::function<void(Session *session, uint response)> done);
    ~Session() override;
    QString handle() const { return handle_; }

Q_SIGNALS:
    void closed();

private Q_SLOTS:
    void onClosed();

private:
    Session(const QDBusConnection &bus, const QString &handle, QObject *parent);

    QDBusConnection bus_;
    QString handle_;
    bool open_ = true;
};

} // namespace portal
