#include "platform/portal/GlobalShortcutsService.h"

#include "platform/HotKeyTriggers.h"
#include "platform/portal/PortalRequest.h"
#include "platform/portal/PortalShortcut.h"

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QMetaObject>

GlobalShortcutsService::GlobalShortcutsService(const QDBusConnection &bus, AtomTable &atoms,
                                               std::function<QString(const QString &)> describe,
                                               HotKeyService *fallback, QObject *parent)
    : QObject(parent), bus_(bus), atoms_(atoms), describe_(std::move(describe)), fallback_(fallback)
{
    // Known by name before the first connection to a slot that takes it, or QtDBus cannot match the slot.
    qRegisterMetaType<QDBusObjectPath>();
    RegisterPortalShortcutTypes();
    bus_.connect(QString::fromLatin1(portal::Service), QString::fromLatin1(portal::ObjectPath),
                 QString::fromLatin1(Interface), QStringLiteral("Activated"), this,
                 SLOT(onActivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
}

GlobalShortcutsService::~GlobalShortcutsService()
{
    bus_.disconnect(QString::fromLatin1(portal::Service), QString::fromLatin1(portal::ObjectPath),
                    QString::fromLatin1(Interface), QStringLiteral("Activated"), this,
                    SLOT(onActivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
    delete session_; // closes it on the portal's side
}

bool GlobalShortcutsService::RegisterHotKey(win::HWND hwnd, int id, quint32 modifiers, quint32 virtualKey)
{
    const QString name = atoms_.GetAtomName(AtomTable::ATOM(id));
    if (name.isEmpty() || (modifiers & ~hotkey::MOD_ALL) != 0
        || hotkeytriggers::PortalTrigger(int(virtualKey), int(modifiers)).isEmpty())
        return false;
    for (const Registration &other : qAsConst(registrations_)) {
        if ((other.virtualKey == virtualKey && other.mask == modifiers) || other.name == name)
            return false; // a second registration could never fire
    }
    registrations_.append({hwnd, id, name, modifiers, virtualKey});
    if (state_ != State::Idle) {
        // The session's shortcuts are bound once; a late one stays with the fallback.
        fallBack(registrations_.last());
        if (!registrations_.last().fallback) {
            registrations_.removeLast();
            return false;
        }
        return true;
    }
    if (!bindQueued_) {
        // The caller registers its keys one after another: bound together after this turn.
        bindQueued_ = true;
        QMetaObject::invokeMethod(this, &GlobalShortcutsService::bind, Qt::QueuedConnection);
    }
    return true;
}

bool GlobalShortcutsService::UnregisterHotKey(win::HWND hwnd, int id)
{
    for (int i = 0; i < registrations_.size(); ++i) {
        const Registration &r = registrations_[i];
        if (r.hwnd != hwnd || r.id != id)
            continue;
        // A portal shortcut cannot be unbound alone; without its registration it does nothing.
        if (r.fallback && fallback_)
            fallback_->UnregisterHotKey(hwnd, id);
        registrations_.removeAt(i);
        return true;
    }
    return false;
}

QStringList GlobalShortcutsService::boundNames() const
{
    QStringList names;
    for (const Registration &r : registrations_) {
        if (r.bound)
            names.append(r.name);
    }
    return names;
}

void GlobalShortcutsService::fallBack(Registration &r)
{
    r.bound = false;
    if (!r.fallback && fallback_)
        r.fallback = fallback_->RegisterHotKey(r.hwnd, r.id, r.mask, r.virtualKey);
}

void GlobalShortcutsService::bind()
{
    bindQueued_ = false;
    if (registrations_.isEmpty())
        return;
    state_ = State::Binding;
    portal::Session::create(bus_, QString::fromLatin1(Interface), {}, this, [this](portal::Session *session, uint) {
        if (!session) {
            bound(portal::Failed, {});
            return;
        }
        session_ = session;
        connect(session, &portal::Session::closed, this, [this] {
            // The desktop ended the session: the keys go on working through the fallback.
            session_->deleteLater();
            bound(portal::Failed, {});
        });
        PortalShortcuts shortcuts;
        for (const Registration &r : qAsConst(registrations_)) {
            shortcuts.append({r.name,
                              {{QStringLiteral("description"), describe_ ? describe_(r.name) : r.name},
                               {QStringLiteral("preferred_trigger"),
                                hotkeytriggers::PortalTrigger(int(r.virtualKey), int(r.mask))}}});
        }
        portal::Request::call(bus_, QString::fromLatin1(Interface), QStringLiteral("BindShortcuts"),
                              {QVariant::fromValue(QDBusObjectPath(session->handle())),
                               QVariant::fromValue(shortcuts), QString()},
                              {}, this, [this](uint response, const QVariantMap &results) { bound(response, results); });
    });
}

void GlobalShortcutsService::bound(uint response, const QVariantMap &results)
{
    QStringList ids;
    if (response == portal::Success) {
        PortalShortcuts shortcuts;
        results.value(QStringLiteral("shortcuts")).value<QDBusArgument>() >> shortcuts;
        for (const PortalShortcut &s : qAsConst(shortcuts))
            ids.append(s.id);
    }
    for (Registration &r : registrations_) {
        r.bound = ids.contains(r.name);
        if (!r.bound)
            fallBack(r);
    }
    state_ = ids.isEmpty() ? State::FellBack : State::Bound;
}

void GlobalShortcutsService::onActivated(const QDBusObjectPath &session, const QString &id, qulonglong,
                                         const QVariantMap &)
{
    if (!session_ || session.path() != session_->handle())
        return;
    for (const Registration &r : qAsConst(registrations_)) {
        if (r.bound && r.name == id) {
            // Posted, as the X11 service posts its presses: the action may open menus and dialogs.
            const win::HWND hwnd = r.hwnd;
            const int rid = r.id;
            const win::LPARAM lParam = win::MAKELPARAM(quint16(r.mask), quint16(r.virtualKey));
            QMetaObject::invokeMethod(
                this, [hwnd, rid, lParam] { win::SendMessage(hwnd, win::WM_HOTKEY, win::WPARAM(rid), lParam); },
                Qt::QueuedConnection);
            return;
        }
    }
}
