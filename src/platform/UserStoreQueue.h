#pragma once
// Keeps the disk off the caller's thread: a change is visible to GetSetting at once and is
// written by a thread of its own, in order; changes that come while the disk is busy are
// written together in one commit. A failed write keeps the changes and tries again.
#include "platform/UserStore.h"

#include <QObject>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

class QueuedUserStore : public QObject, public UserStore
{
public:
    // disk is used by the writing thread from now on; it must outlive this store.
    explicit QueuedUserStore(UserStore &disk, std::chrono::milliseconds retryDelay = std::chrono::seconds(2));
    // Tries once more to write what is left, then ends the thread; what could not be written
    // is reported on standard error.
    ~QueuedUserStore() override;

    QString GetSetting(const QString &appName, const QString &section, const QString &key,
                       const QString &defaultValue = QString()) override;
    // Always accepted: the values are visible at once and written soon after.
    bool SaveSettings(const QString &appName, const QString &section, const StoreValues &values) override;
    StoreValues GetAllSettings(const QString &appName, const QString &section) override;
    QString lastError() const override;
    void setSaveFailedReport(std::function<void(const QString &problem)> report) override;
    void setReadProblemReport(std::function<void(const QString &problem)> report) override;

    // Waits until everything accepted so far is written, or a write of it failed; true when written.
    bool flush(std::chrono::milliseconds timeout = std::chrono::seconds(30));
    // Changes accepted and not yet written.
    int pendingChanges() const;
    // Commits made on the disk so far.
    int commitCount() const;

private:
    struct Pending {
        QString appName, section;
        QHash<QString, QString> values; // the latest value of each key
    };
    using Section = QHash<QString, QString>;
    Section &view(const QString &appName, const QString &section);
    void run();
    bool commit(const QList<Pending> &batch);

    UserStore &disk_;
    const std::chrono::milliseconds retryDelay_;
    // Owner thread only: what the program sees, each section read from the disk once.
    QHash<QString, Section> view_;
    std::function<void(const QString &)> report_;

    std::mutex diskMutex_; // the disk store is not thread-safe
    mutable std::mutex mutex_;
    std::condition_variable wake_, done_;
    QList<Pending> pending_; // in order of first change, one entry per section
    int accepted_ = 0, written_ = 0, failures_ = 0, commits_ = 0;
    bool failing_ = false, stop_ = false, flushing_ = false;
    QString lastError_;
    std::thread thread_;
};
