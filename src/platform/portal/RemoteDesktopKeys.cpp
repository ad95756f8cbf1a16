#include "platform/portal/RemoteDesktopKeys.h"

#include "platform/UserStore.h"
#include "platform/portal/PortalRequest.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QEventLoop>
#include <QTimer>

const QString RemoteDesktopKeys::StoreApp = QStringLiteral("Fennecs SoftWares");
const QString RemoteDesktopKeys::StoreSection = QStringLiteral("RemoteDesktop");
const QString RemoteDesktopKeys::StoreKey = QStringLiteral("RemoteDesktopRestoreToken");

namespace {
constexpr uint KeyboardDevice = 1;
constexpr uint PersistUntilRevoked = 2;
// The portal version from which SelectDevices takes persist_mode and restore_token.
constexpr uint PersistVersion = 2;
} // namespace

RemoteDesktopKeys::RemoteDesktopKeys(const QDBusConnection &bus, UserStore &store, QObject *parent)
    : QObject(parent), bus_(bus), store_(store)
{
}

RemoteDesktopKeys::~RemoteDesktopKeys() { delete session_; }

void RemoteDesktopKeys::failed()
{
    if (session_)
        session_->deleteLater();
    session_ = nullptr;
    state_ = State::Closed;
    Q_EMIT settled();
}

void RemoteDesktopKeys::open()
{
    state_ = State::Opening;
    portal::Session::create(bus_, QString::fromLatin1(Interface), {}, this, [this](portal::Session *session, uint) {
        if (!session) {
            failed();
            return;
        }
        session_ = session;
        // Ended by the desktop: the next chord opens a new one.
        connect(session, &portal::Session::closed, this, [this] { failed(); });
        selectDevices();
    });
}

void RemoteDesktopKeys::selectDevices()
{
    QVariantMap options{{QStringLiteral("types"), KeyboardDevice}};
    if (version_ >= PersistVersion) {
        options.insert(QStringLiteral("persist_mode"), PersistUntilRevoked);
        const QString token = store_.GetSetting(StoreApp, StoreSection, StoreKey);
        if (!token.isEmpty())
            options.insert(QStringLiteral("restore_token"), token);
    }
    portal::Request::call(bus_, QString::fromLatin1(Interface), QStringLiteral("SelectDevices"),
                          {QVariant::fromValue(QDBusObjectPath(session_->handle()))}, options, this,
                          [this](uint response, const QVariantMap &) {
                              if (response != portal::Success || !session_)
                                  failed();
                              else
                                  start();
                          });
}

void RemoteDesktopKeys::start()
{
    portal::Request::call(bus_, QString::fromLatin1(Interface), QStringLiteral("Start"),
                          {QVariant::fromValue(QDBusObjectPath(session_->handle())), QString()}, {}, this,
                          [this](uint response, const QVariantMap &results) {
                              const uint devices = results.value(QStringLiteral("devices")).toUInt();
                              if (response != portal::Success || !session_ || !(devices & KeyboardDevice)) {
                                  failed();
                                  return;
                              }
                              // A token is good for one session; each start hands out the next.
                              const QString token = results.value(QStringLiteral("restore_token")).toString();
                              if (!token.isEmpty())
                                  store_.SaveSetting(StoreApp, StoreSection, StoreKey, token);
                              state_ = State::Started;
                              Q_EMIT settled();
                          });
}

bool RemoteDesktopKeys::notifyKey(quint32 keysym, bool pressed)
{
    QDBusMessage message = QDBusMessage::createMethodCall(QString::fromLatin1(portal::Service),
                                                          QString::fromLatin1(portal::ObjectPath),
                                                          QString::fromLatin1(Interface),
                                                          QStringLiteral("NotifyKeyboardKeysym"));
    message << QVariant::fromValue(QDBusObjectPath(session_->handle())) << QVariantMap() << int(keysym)
            << uint(pressed ? 1 : 0);
    return bus_.call(message, QDBus::Block, startTimeoutMs_).type() == QDBusMessage::ReplyMessage;
}

KeyChordSender::Result RemoteDesktopKeys::sendChord(const QList<quint32> &keysyms)
{
    if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return Result::Unavailable;
    if (!versionAsked_) {
        versionAsked_ = true;
        version_ = portal::InterfaceVersion(bus_, QString::fromLatin1(Interface), startTimeoutMs_);
    }
    if (version_ == 0)
        return Result::Unavailable;
    if (state_ == State::Closed)
        open();
    // Bounded: the desktop may be showing its question, and the paste must not hang on it.
    if (state_ == State::Opening) {
        QEventLoop loop;
        connect(this, &RemoteDesktopKeys::settled, &loop, &QEventLoop::quit);
        QTimer::singleShot(startTimeoutMs_, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    if (state_ != State::Started)
        return Result::Refused;
    bool sent = true;
    for (quint32 keysym : keysyms)
        sent = notifyKey(keysym, true) && sent;
    // Every key is released, even after a failed press, so none is left held down.
    for (auto it = keysyms.crbegin(); it != keysyms.crend(); ++it)
        sent = notifyKey(*it, false) && sent;
    if (!sent) {
        failed();
        return Result::Refused;
    }
    return Result::Sent;
}
