#include "platform/UserStoreQueue.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdio>

QueuedUserStore::QueuedUserStore(UserStore &disk, std::chrono::milliseconds retryDelay)
    : disk_(disk), retryDelay_(retryDelay), thread_([this] { run(); })
{
}

QueuedUserStore::~QueuedUserStore()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
    for (const Pending &p : std::as_const(pending_))
        std::fprintf(stderr, "%s: %s/%s could not be saved (%lld changed values lost)\n%s: %s\n",
                     qUtf8Printable(QCoreApplication::applicationName()), qUtf8Printable(p.appName),
                     qUtf8Printable(p.section), static_cast<long long>(p.values.size()),
                     qUtf8Printable(QCoreApplication::applicationName()), qUtf8Printable(lastError_));
}

QueuedUserStore::Section &QueuedUserStore::view(const QString &appName, const QString &section)
{
    const QString id = appName + QChar(0x1F) + section;
    auto it = view_.find(id);
    if (it != view_.end())
        return *it;
    // Read once; from then on the view is newer than the disk, which only this store writes.
    Section values;
    {
        std::lock_guard<std::mutex> lock(diskMutex_);
        for (const auto &kv : disk_.GetAllSettings(appName, section))
            values.insert(kv.first, kv.second);
    }
    return *view_.insert(id, values);
}

QString QueuedUserStore::GetSetting(const QString &appName, const QString &section, const QString &key,
                                    const QString &defaultValue)
{
    return view(appName, section).value(key, defaultValue);
}

StoreValues QueuedUserStore::GetAllSettings(const QString &appName, const QString &section)
{
    return StoreValuesOf(view(appName, section));
}

bool QueuedUserStore::SaveSettings(const QString &appName, const QString &section, const StoreValues &values)
{
    Section &shown = view(appName, section);
    for (const auto &kv : values)
        shown.insert(kv.first, kv.second);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = std::find_if(pending_.begin(), pending_.end(),
                               [&](const Pending &p) { return p.appName == appName && p.section == section; });
        if (it == pending_.end())
            it = pending_.insert(pending_.end(), Pending{appName, section, {}});
        for (const auto &kv : values)
            it->values.insert(kv.first, kv.second);
        ++accepted_;
    }
    wake_.notify_all();
    return true;
}

QString QueuedUserStore::lastError() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return lastError_;
}

void QueuedUserStore::setSaveFailedReport(std::function<void(const QString &)> report)
{
    report_ = std::move(report);
}

void QueuedUserStore::setReadProblemReport(std::function<void(const QString &)> report)
{
    std::lock_guard<std::mutex> lock(diskMutex_);
    disk_.setReadProblemReport(std::move(report));
}

bool QueuedUserStore::flush(std::chrono::milliseconds timeout)
{
    std::unique_lock<std::mutex> lock(mutex_);
    const int target = accepted_;
    const int failuresBefore = failures_;
    flushing_ = true;
    wake_.notify_all();
    done_.wait_for(lock, timeout, [&] { return written_ >= target || failures_ != failuresBefore; });
    flushing_ = false;
    return written_ >= target;
}

int QueuedUserStore::pendingChanges() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return accepted_ - written_;
}

int QueuedUserStore::commitCount() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return commits_;
}

bool QueuedUserStore::commit(const QList<Pending> &batch)
{
    std::lock_guard<std::mutex> lock(diskMutex_);
    for (const Pending &p : batch) {
        if (!disk_.SaveSettings(p.appName, p.section, StoreValuesOf(p.values)))
            return false;
    }
    return true;
}

void QueuedUserStore::run()
{
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        if (pending_.isEmpty()) {
            if (stop_)
                return;
            wake_.wait(lock);
            continue;
        }
        // Everything accepted so far goes in one commit; the next changes wait for the one after.
        QList<Pending> batch;
        batch.swap(pending_);
        const int upTo = accepted_;
        lock.unlock();
        const bool ok = commit(batch);
        const QString problem = ok ? QString() : disk_.lastError();
        lock.lock();
        if (ok) {
            written_ = upTo;
            ++commits_;
            failing_ = false;
            done_.notify_all();
            continue;
        }
        // Keep the batch under what came meanwhile, which is newer.
        for (auto it = batch.rbegin(); it != batch.rend(); ++it) {
            auto newer = std::find_if(pending_.begin(), pending_.end(), [&](const Pending &p) {
                return p.appName == it->appName && p.section == it->section;
            });
            if (newer == pending_.end()) {
                pending_.prepend(*it);
                continue;
            }
            for (auto kv = it->values.cbegin(); kv != it->values.cend(); ++kv) {
                if (!newer->values.contains(kv.key()))
                    newer->values.insert(kv.key(), kv.value());
            }
        }
        ++failures_;
        lastError_ = problem.isEmpty() ? QStringLiteral("write failed") : problem;
        if (!failing_) {
            failing_ = true;
            QMetaObject::invokeMethod(this, [this, problem = lastError_] {
                if (report_)
                    report_(problem);
            }, Qt::QueuedConnection);
        }
        done_.notify_all();
        if (stop_)
            return;
        // The disk is full or gone: try again after a while, not at every change.
        wake_.wait_for(lock, retryDelay_, [&] { return stop_ || flushing_; });
    }
}
