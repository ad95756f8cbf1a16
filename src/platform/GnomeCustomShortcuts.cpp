#include "platform/GnomeCustomShortcuts.h"

#include <QStringList>

#include <gio/gio.h>

namespace {

constexpr char kListSchema[] = "org.gnome.settings-daemon.plugins.media-keys";
constexpr char kEntrySchema[] = "org.gnome.settings-daemon.plugins.media-keys.custom-keybinding";
constexpr char kListKey[] = "custom-keybindings";
constexpr char kFolder[] = "/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/";
constexpr char kOurPrefix[] = "quillbox-";

QString takeString(gchar *text)
{
    const QString result = QString::fromUtf8(text);
    g_free(text);
    return result;
}

QStringList readList(GSettings *settings)
{
    gchar **paths = g_settings_get_strv(settings, kListKey);
    QStringList list;
    for (gchar **p = paths; *p; ++p)
        list.append(QString::fromUtf8(*p));
    g_strfreev(paths);
    return list;
}

QString idOfPath(const QString &path)
{
    const QString start = QString::fromLatin1(kFolder) + QString::fromLatin1(kOurPrefix);
    if (!path.startsWith(start) || !path.endsWith(u'/'))
        return {};
    return path.mid(start.size(), path.size() - start.size() - 1);
}

} // namespace

struct GnomeCustomShortcuts::Schemas {
    GSettings *list = nullptr;
    GSettingsSchema *entry = nullptr;
    ~Schemas()
    {
        if (list)
            g_object_unref(list);
        if (entry)
            g_settings_schema_unref(entry);
    }
    GSettings *entryAt(const QString &path) const
    {
        return g_settings_new_full(entry, nullptr, path.toUtf8().constData());
    }
};

std::unique_ptr<GnomeCustomShortcuts> GnomeCustomShortcuts::open(QString *error)
{
    // Opening a schema that is not installed aborts the process: look both up first.
    GSettingsSchemaSource *source = g_settings_schema_source_get_default();
    GSettingsSchema *list = source ? g_settings_schema_source_lookup(source, kListSchema, TRUE) : nullptr;
    GSettingsSchema *entry = source ? g_settings_schema_source_lookup(source, kEntrySchema, TRUE) : nullptr;
    if (!list || !entry) {
        if (list)
            g_settings_schema_unref(list);
        if (entry)
            g_settings_schema_unref(entry);
        *error = QStringLiteral("GNOME's keyboard shortcut settings (schema %1) are not installed")
                     .arg(QString::fromLatin1(kListSchema));
        return nullptr;
    }
    auto schemas = std::make_unique<Schemas>();
    schemas->list = g_settings_new_full(list, nullptr, nullptr);
    g_settings_schema_unref(list);
    schemas->entry = entry;
    return std::unique_ptr<GnomeCustomShortcuts>(new GnomeCustomShortcuts(std::move(schemas)));
}

GnomeCustomShortcuts::GnomeCustomShortcuts(std::unique_ptr<Schemas> schemas)
    : schemas_(std::move(schemas))
{
}

GnomeCustomShortcuts::~GnomeCustomShortcuts() = default;

QString GnomeCustomShortcuts::pathFor(const QString &id)
{
    return QString::fromLatin1(kFolder) + QString::fromLatin1(kOurPrefix) + id + u'/';
}

QVector<DesktopShortcut> GnomeCustomShortcuts::registered() const
{
    QVector<DesktopShortcut> ours;
    for (const QString &path : readList(schemas_->list)) {
        const QString id = idOfPath(path);
        if (id.isEmpty())
            continue;
        GSettings *entry = schemas_->entryAt(path);
        ours.append({id, takeString(g_settings_get_string(entry, "name")),
                     takeString(g_settings_get_string(entry, "command")),
                     takeString(g_settings_get_string(entry, "binding"))});
        g_object_unref(entry);
    }
    return ours;
}

bool GnomeCustomShortcuts::replace(const QVector<DesktopShortcut> &shortcuts, QString *error)
{
    if (!g_settings_is_writable(schemas_->list, kListKey)) {
        *error = QStringLiteral("GNOME's list of custom shortcuts cannot be changed");
        return false;
    }
    QStringList wanted;
    for (const DesktopShortcut &s : shortcuts)
        wanted.append(pathFor(s.id));

    QStringList list;
    for (const QString &path : readList(schemas_->list)) {
        if (idOfPath(path).isEmpty() || wanted.contains(path)) {
            list.append(path);
            continue;
        }
        // One of ours no longer wanted: leave no values behind either.
        GSettings *entry = schemas_->entryAt(path);
        for (const char *key : {"name", "command", "binding"})
            g_settings_reset(entry, key);
        g_object_unref(entry);
    }
    bool ok = true;
    for (int i = 0; i < shortcuts.size(); ++i) {
        if (!list.contains(wanted[i]))
            list.append(wanted[i]);
        GSettings *entry = schemas_->entryAt(wanted[i]);
        ok = g_settings_set_string(entry, "name", shortcuts[i].name.toUtf8().constData()) && ok;
        ok = g_settings_set_string(entry, "command", shortcuts[i].command.toUtf8().constData()) && ok;
        ok = g_settings_set_string(entry, "binding", shortcuts[i].binding.toUtf8().constData()) && ok;
        g_object_unref(entry);
    }
    QVector<QByteArray> utf8;
    for (const QString &path : list)
        utf8.append(path.toUtf8());
    QVector<const gchar *> strv;
    for (const QByteArray &path : utf8)
        strv.append(path.constData());
    strv.append(nullptr);
    ok = g_settings_set_strv(schemas_->list, kListKey, strv.data()) && ok;
    g_settings_sync(); // the process may end right after
    if (!ok)
        *error = QStringLiteral("GNOME's custom shortcuts could not be written");
    return ok;
}
