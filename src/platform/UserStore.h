#pragma once
// The per-user settings store: text values addressed by application, section and key.
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <atomic>
#include <functional>
#include <utility>

using StoreValues = QList<std::pair<QString, QString>>; // key, value
StoreValues StoreValuesOf(const QHash<QString, QString> &values);

class UserStore
{
public:
    virtual ~UserStore() = default;
    // The value of key, or defaultValue when the key is missing.
    virtual QString GetSetting(const QString &appName, const QString &section, const QString &key,
                               const QString &defaultValue = QString()) = 0;
    // Writes all values as one change: afterwards either all of them are stored or none.
    virtual bool SaveSettings(const QString &appName, const QString &section, const StoreValues &values) = 0;
    // Every key of a section with its value, in no particular order.
    virtual StoreValues GetAllSettings(const QString &appName, const QString &section) = 0;

    bool SaveSetting(const QString &appName, const QString &section, const QString &key, const QString &value)
    {
        return SaveSettings(appName, section, {{key, value}});
    }

    // What went wrong last, for a message; empty when nothing did.
    virtual QString lastError() const { return QString(); }
    // A store that writes later reports a write that failed through this, on the thread that
    // set it, once per run of failures. Others report by SaveSettings' result.
    virtual void setSaveFailedReport(std::function<void(const QString &problem)> report) { Q_UNUSED(report); }
    // A file or folder found unusable while reading (a link, not a regular file, too large),
    // reported once each. It may come on any thread that reads the store.
    virtual void setReadProblemReport(std::function<void(const QString &problem)> report) { Q_UNUSED(report); }
};

// Keeps everything in memory; for tests and for running without a writable home.
class MemoryUserStore : public UserStore
{
public:
    QString GetSetting(const QString &appName, const QString &section, const QString &key,
                       const QString &defaultValue = QString()) override;
    bool SaveSettings(const QString &appName, const QString &section, const StoreValues &values) override;
    StoreValues GetAllSettings(const QString &appName, const QString &section) override;

    int commitCount() const { return commits_; }
    std::atomic<bool> failCommits{false}; // lets tests see what a failed write leaves behind

private:
    QHash<QString, QHash<QString, QString>> sections_;
    int commits_ = 0;
};

// Files under <root>/<application>/<section>/: an index holding short values and the names of
// files that hold long ones. A change writes the new long texts, then replaces the index with
// one rename, so a process killed at any moment leaves the old or the new section. Sections are
// read once and kept in memory. Below the root nothing is reached through a symbolic link, only
// regular files of bounded size are read, and only files of the store's own naming are removed;
// what is refused is reported once on standard error.
class FileUserStore : public UserStore
{
public:
    // root: the folder that holds the applications; empty means $XDG_CONFIG_HOME (~/.config).
    explicit FileUserStore(const QString &root = QString());

    QString GetSetting(const QString &appName, const QString &section, const QString &key,
                       const QString &defaultValue = QString()) override;
    bool SaveSettings(const QString &appName, const QString &section, const StoreValues &values) override;
    StoreValues GetAllSettings(const QString &appName, const QString &section) override;

    QString sectionFolder(const QString &appName, const QString &section) const;
    // Values up to this many characters live in the index itself.
    static constexpr int InlineLimit = 256;

    QString lastError() const override { return lastError_; }
    void setReadProblemReport(std::function<void(const QString &problem)> report) override
    {
        readProblemReport_ = std::move(report);
    }

    // Called between the steps of a commit; returning false makes the commit fail there.
    // Tests use it to stop a commit half-way.
    std::function<bool(const char *step)> faultHook;

private:
    using Section = QHash<QString, QString>;
    struct Folders; // the section folder and its texts folder, open
    Section &load(const QString &appName, const QString &section);
    bool openFolders(const QString &appName, const QString &section, bool create, Folders *f);
    bool step(const char *name) const { return !faultHook || faultHook(name); }
    // On standard error, once each; a problem met while reading also goes to the read report.
    void report(const QString &problem, bool reading = false);
    bool fail(const QString &path, int error);
    static void removeUnnamed(int dir, const std::function<bool(const QString &name)> &removable);

    QString root_;
    QString lastError_;
    QSet<QString> reported_;
    std::function<void(const QString &)> readProblemReport_;
    QHash<QString, Section> cache_;
    // File names of the long texts of each section, by the texts' shared data, so that a text
    // that only moved to another key is not hashed again.
    QHash<QString, QHash<const QChar *, std::pair<QString, QString>>> files_;
};
