#pragma once
// The per-user settings store: text values addressed by application, section and key.
#include <QHash>
#include <QList>
#include <QString>
#include <functional>
#include <utility>

using StoreValues = QList<std::pair<QString, QString>>; // key, value

class UserStore
{
public:
    virtual ~UserStore() = default;
    // The value of key, or defaultValue when the key is missing.
    virtual QString GetSetting(const QString &appName, const QString &section, const QString &key,
                               const QString &defaultValue = QString()) = 0;
    // Writes all values as one change: afterwards either all of them are stored or none.
    virtual bool SaveSettings(const QString &appName, const QString &section, const StoreValues &values) = 0;

    bool SaveSetting(const QString &appName, const QString &section, const QString &key, const QString &value)
    {
        return SaveSettings(appName, section, {{key, value}});
    }
};

// Keeps everything in memory; for tests and for running without a writable home.
class MemoryUserStore : public UserStore
{
public:
    QString GetSetting(const QString &appName, const QString &section, const QString &key,
                       const QString &defaultValue = QString()) override;
    bool SaveSettings(const QString &appName, const QString &section, const StoreValues &values) override;

    int commitCount() const { return commits_; }
    bool failCommits = false; // lets tests see what a failed write leaves behind

private:
    QHash<QString, QHash<QString, QString>> sections_;
    int commits_ = 0;
};

// Files under <root>/<application>/<section>/: an index holding short values and the names of
// files that hold long ones. A change writes the new long texts, then replaces the index with
// one rename, so a process killed at any moment leaves the old or the new section. Sections are
// read once and kept in memory.
class FileUserStore : public UserStore
{
public:
    // root: the folder that holds the applications; empty means $XDG_CONFIG_HOME (~/.config).
    explicit FileUserStore(const QString &root = QString());

    QString GetSetting(const QString &appName, const QString &section, const QString &key,
                       const QString &defaultValue = QString()) override;
    bool SaveSettings(const QString &appName, const QString &section, const StoreValues &values) override;

    QString sectionFolder(const QString &appName, const QString &section) const;
    // Values up to this many characters live in the index itself.
    static constexpr int InlineLimit = 256;

    // Called between the steps of a commit; returning false makes the commit fail there.
    // Tests use it to stop a commit half-way.
    std::function<bool(const char *step)> faultHook;

private:
    using Section = QHash<QString, QString>;
    Section &load(const QString &appName, const QString &section);
    bool step(const char *name) const { return !faultHook || faultHook(name); }

    QString root_;
    QHash<QString, Section> cache_;
    // File names of the long texts of each section, by the texts' shared data, so that a text
    // that only moved to another key is not hashed again.
    QHash<QString, QHash<const QChar *, std::pair<QString, QString>>> files_;
};
