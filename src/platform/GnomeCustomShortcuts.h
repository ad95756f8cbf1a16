#pragma once
// GNOME's custom keyboard shortcuts, through GSettings (so whatever backend is configured:
// the desktop's dconf, or a key file). Our entries live at paths named after their ids.
#include "platform/DesktopShortcutStore.h"

#include <memory>

class GnomeCustomShortcuts : public DesktopShortcutStore
{
public:
    // None, with *error, when the settings daemon's schemas are not installed.
    static std::unique_ptr<GnomeCustomShortcuts> open(QString *error);
    ~GnomeCustomShortcuts() override;

    QVector<DesktopShortcut> registered() const override;
    bool replace(const QVector<DesktopShortcut> &shortcuts, QString *error) override;

    // The relocatable entry's path for an id; ours are told apart by it.
    static QString pathFor(const QString &id);

private:
    struct Schemas;
    explicit GnomeCustomShortcuts(std::unique_ptr<Schemas> schemas);
    std::unique_ptr<Schemas> schemas_;
};
