// Time from another program (xclip) taking the clipboard to the text being in the history, and
// the rate of changes recorded, for Quillbox and, when installed, CopyQ. Needs an X display.
//
//   bench_clipboard_e2e [--runs N] [--rate-changes N] [--burst-changes N] [--no-copyq]
//   single parts: --in-process LENGTH RUNS | --external LENGTH RUNS | --rate N | --burst N
//                 | --large-copy MB | --copyq-rate N
//   BENCH_DEBUG=1 prints what a failed run found.
//
// Measured:
//  in-process  a MainForm with the desktop services, as the program builds it. t0 = just
//              before xclip is started; tSignal = the change read and handed to the viewer
//              chain (a viewer placed before the form notes it and passes it on);
//              tDone = right after ChangeClipBoard returned, when MemoGroups[0] and the item
//              list show the text; tCommitted = when the store's writing thread has committed
//              it (each run is also checked against a fresh read of the store files).
//  external    the built Quillbox program, watched from outside: t0 = just before xclip is
//              started, t1 = the store's index naming the text (inotify on the section folder).
//  copyq       a CopyQ server in its own config folders: a `copyq eval` script starts xclip and
//              polls read(0) every millisecond until row 0 is the text (Date.now(), 1 ms steps).
//  rate        `xclip -quiet -loops 1` one after another, each waiting until its text was read
//              once; afterwards the whole history is compared with the texts sent.
//  burst       plain `xclip` sets back to back: each starts when the one before owns the
//              clipboard (its foreground process ended), nobody waits for Quillbox. Counts how
//              many of the last 100 texts the history keeps, in order; times each set to the
//              store's index naming the text (inotify); then kills Quillbox with SIGKILL in the
//              middle of bursts and looks for texts set more than 50 ms before the kill that
//              the store lacks. Commits keep the order of changes, so a text missing before
//              the newest stored one was never read (its owner was replaced first); only texts
//              after the newest stored one can have been lost by the kill.
//  large copy  resident memory of the program before and after one copy of many megabytes.
#include "app/DesktopServices.h"
#include "app/MainForm.h"
#include "clipboard/ClipHistory.h"
#include "platform/ClipboardChain.h"
#include "platform/Cp932.h"
#include "platform/UserStore.h"
#include "platform/UserStoreQueue.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QListWidget>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <mutex>
#include <thread>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

constexpr int StoredEntries = 101;
constexpr int DefaultMaxLength = 148576;

QString benchText(const QString &tag, int index, int length)
{
    QString text = QStringLiteral("%1 %2 ").arg(tag).arg(index);
    static const QString filler = QStringLiteral("The quick brown fox jumps over the lazy dog 0123456789. ");
    while (text.size() < length)
        text += filler;
    text.truncate(length);
    return text;
}

struct Stats {
    double median = 0, min = 0, max = 0;
    int n = 0;
};

Stats stats(QVector<double> v)
{
    Stats s;
    s.n = v.size();
    if (v.isEmpty())
        return s;
    std::sort(v.begin(), v.end());
    s.min = v.front();
    s.max = v.back();
    s.median = v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
    return s;
}

void printStats(const char *label, const Stats &s)
{
    std::printf("  %-44s median %8.2f ms  min %8.2f  max %8.2f  (n=%d)\n", label, s.median, s.min, s.max, s.n);
    std::fflush(stdout);
}

void prefillStore(const QString &configRoot, int length)
{
    FileUserStore store(configRoot);
    StoreValues values;
    for (int i = 0; i < StoredEntries; ++i)
        values.append({ClipHistory::HistoryKey(i), benchText(QStringLiteral("stored"), i, length)});
    store.SaveSettings(ClipHistory::AppName, ClipHistory::StoreSection, values);
}

void writeProgramFolder(const QString &folder, const QStringList &extraSettings = {})
{
    QFile memo(folder + QStringLiteral("/QuillboxData.vlw"));
    memo.open(QIODevice::WriteOnly);
    memo.write(Cp932::encode(QStringLiteral("朝") + QChar(1) + QStringLiteral("挨拶") + QChar(1) + QStringLiteral("おはよう") + QChar(1)));
    QFile ini(folder + QStringLiteral("/Quillbox.ini"));
    ini.open(QIODevice::WriteOnly);
    QStringList lines{QStringLiteral("[General]"), QStringLiteral("MinimizeAfterCopy = 0"),
                      QStringLiteral("TXTFile = ") + folder + QStringLiteral("/QuillboxData.vlw")};
    ini.write(Cp932::encode((lines + extraSettings).join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")));
}

QProcess *startXclip(const QString &text, const QStringList &extra = {})
{
    auto *p = new QProcess;
    p->start(QStringLiteral("xclip"),
             QStringList{QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-quiet")} + extra);
    p->waitForStarted();
    p->write(text.toUtf8());
    // Callers may not run an event loop: hand the whole text over now.
    while (p->bytesToWrite() > 0 && p->waitForBytesWritten(5000)) {
    }
    p->closeWriteChannel();
    return p;
}

void endProcesses(QList<QProcess *> &list)
{
    for (QProcess *p : list) {
        if (p->state() != QProcess::NotRunning) {
            p->kill();
            p->waitForFinished(2000);
        }
        delete p;
    }
    list.clear();
}

// ---- in-process: a MainForm in this process

int inProcess(int length, int runs)
{
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("config"));
    qputenv("XDG_CONFIG_HOME", config.toUtf8());
    prefillStore(config, length);
    writeProgramFolder(dir.path());

    QElapsedTimer clock;
    clock.start();
    static qint64 tSignal = -1;
    static QElapsedTimer *chainClock = &clock;
    DesktopServices desktop;
    auto *queue = dynamic_cast<QueuedUserStore *>(desktop.services().userStore);
    // A viewer that joins the chain before the form: the form, first in the chain, passes each
    // change on to it once ChangeClipBoard has returned.
    static std::function<void()> afterForm;
    SystemClipboardChain().SetClipboardViewer(win::CreateWindowHandle(
        [](win::HWND, win::UINT msg, win::WPARAM, win::LPARAM) -> win::LRESULT {
            if (msg == win::WM_DRAWCLIPBOARD && afterForm)
                afterForm();
            return 0;
        }));
    MainForm form(AppPaths{dir.path(), QStringLiteral("Quillbox"), dir.path()}, desktop.services());
    form.Form_Load(QString());
    // Joins after the form, so it hears of each change first, then passes it on to the form.
    static win::HWND formViewer = 0;
    formViewer = SystemClipboardChain().SetClipboardViewer(win::CreateWindowHandle(
        [](win::HWND, win::UINT msg, win::WPARAM wParam, win::LPARAM lParam) -> win::LRESULT {
            if (msg == win::WM_DRAWCLIPBOARD && tSignal < 0)
                tSignal = chainClock->nsecsElapsed();
            return formViewer ? win::SendMessage(formViewer, msg, wParam, lParam) : 0;
        }));
    form.show();
    // The user looks at the history group.
    form.LstGroupName->setCurrentRow(0);
    QString expected;
    qint64 tDone = -1;
    afterForm = [&] {
        if (expected.isEmpty() || tDone >= 0 || form.MemoGroups.isEmpty())
            return;
        const MemoGroup &group = form.MemoGroups[0];
        const QString name = ClipHistory::HistoryItemName(expected);
        if (!group.ItemTexts.isEmpty() && group.ItemTexts[0] == expected && form.LstItemName->count() > 0
            && form.LstItemName->item(0)->text().endsWith(name))
            tDone = clock.nsecsElapsed();
    };
    const QDeadlineTimer settle(500);
    while (!settle.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);

    QList<QProcess *> xclips;
    QVector<double> fromSignal, fromStart, committed;
    int failures = 0;
    for (int run = 0; run <= runs; ++run) { // run 0 warms up
        const QString text = benchText(QStringLiteral("inproc"), run, length);
        expected = ClipHistory::CutText(text, DefaultMaxLength);
        tSignal = tDone = -1;
        const qint64 tStart = clock.nsecsElapsed();
        xclips.append(startXclip(text));
        QDeadlineTimer deadline(5000);
        while (tDone < 0 && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        const bool flushed = queue && queue->flush();
        const qint64 tCommitted = clock.nsecsElapsed();
        FileUserStore fresh(config);
        const bool stored = fresh.GetSetting(ClipHistory::AppName, ClipHistory::StoreSection,
                                             ClipHistory::HistoryKey(0)) == expected;
        if (tDone < 0 || !stored || !flushed) {
            if (qEnvironmentVariableIsSet("BENCH_DEBUG"))
                std::printf("run %d: done %lld signal %lld stored %d top %s\n", run, tDone, tSignal, stored,
                            qPrintable(form.MemoGroups.value(0).ItemTexts.value(0).left(40)));
            ++failures;
            continue;
        }
        if (run > 0) {
            fromSignal.append((tDone - tSignal) / 1e6);
            fromStart.append((tDone - tStart) / 1e6);
            committed.append((tCommitted - tSignal) / 1e6);
        }
        // Let xclip settle so that runs do not overlap.
        QDeadlineTimer pause(50);
        while (!pause.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    std::printf("Quillbox in-process, %d stored entries of %d chars, new texts of %d chars:\n", StoredEntries, length, length);
    printStats("change read -> groups+list show it", stats(fromSignal));
    printStats("xclip started -> groups+list show it", stats(fromStart));
    printStats("change read -> committed", stats(committed));
    if (failures)
        std::printf("  FAILED runs (not shown or not stored): %d\n", failures);
    form.requestExit();
    QDeadlineTimer deadline(5000);
    while (!form.isShutDown() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    afterForm = nullptr;
    endProcesses(xclips);
    return failures ? 1 : 0;
}

// ---- the built Quillbox, watched from outside

struct QuillboxRun {
    QTemporaryDir dir;
    QProcess process;
    QString exe;
    QProcessEnvironment env;

    QString config() const { return dir.filePath(QStringLiteral("config")); }
    QString section() const { return FileUserStore(config()).sectionFolder(ClipHistory::AppName, ClipHistory::StoreSection); }

    bool start(const QStringList &settings)
    {
        exe = dir.filePath(QStringLiteral("Quillbox"));
        QFile::copy(QStringLiteral(QUILLBOX_EXE), exe);
        QDir(dir.path()).mkpath(QStringLiteral("run"));
        QFile::setPermissions(dir.filePath(QStringLiteral("run")), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        writeProgramFolder(dir.path(), settings);
        env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.filePath(QStringLiteral("run")));
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(exe, {});
        if (!process.waitForStarted())
            return false;
        QThread::msleep(1500); // window up, chain joined
        return process.state() == QProcess::Running;
    }

    QString command(const QStringList &args)
    {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(exe, args);
        p.waitForFinished(30000);
        return QString::fromUtf8(p.readAllStandardOutput());
    }

    void quit()
    {
        command({QStringLiteral("--quit")});
        process.waitForFinished(10000);
    }
};

// Whether the store's index names text as entry 0.
bool indexHasText(const QString &section, const QString &text)
{
    QFile f(section + QStringLiteral("/index.json"));
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QJsonObject entry = QJsonDocument::fromJson(f.readAll())
                                  .object()
                                  .value(QStringLiteral("values"))
                                  .toObject()
                                  .value(ClipHistory::HistoryKey(0))
                                  .toObject();
    if (entry.contains(QStringLiteral("text")))
        return entry.value(QStringLiteral("text")).toString() == text;
    return entry.value(QStringLiteral("file")).toString()
        == QString::fromLatin1(QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha256).toHex())
            + QStringLiteral(".txt");
}

void externalQuillbox(int length, int runs)
{
    QuillboxRun q;
    prefillStore(q.config(), length);
    if (!q.start({})) {
        std::printf("Quillbox did not start\n");
        return;
    }
    const int fd = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    inotify_add_watch(fd, QFile::encodeName(q.section()).constData(), IN_MOVED_TO | IN_CLOSE_WRITE);
    QList<QProcess *> xclips;
    QVector<double> times;
    int failures = 0;
    QElapsedTimer clock;
    for (int run = 0; run <= runs; ++run) {
        const QString text = benchText(QStringLiteral("external"), run, length);
        const QString expected = ClipHistory::CutText(text, DefaultMaxLength);
        char drain[4096];
        while (::read(fd, drain, sizeof drain) > 0) {
        }
        clock.start();
        xclips.append(startXclip(text));
        bool seen = false;
        while (!seen && clock.elapsed() < 5000) {
            pollfd p{fd, POLLIN, 0};
            ::poll(&p, 1, 20);
            if (p.revents & POLLIN) {
                while (::read(fd, drain, sizeof drain) > 0) {
                }
                seen = indexHasText(q.section(), expected);
            }
        }
        const double ms = clock.nsecsElapsed() / 1e6;
        if (!seen) {
            if (qEnvironmentVariableIsSet("BENCH_DEBUG"))
                std::printf("run %d: state %d top %s\n", run, int(q.process.state()),
                            qPrintable(q.command({QStringLiteral("--print-history")}).left(60)));
            ++failures;
        }
        else if (run > 0)
            times.append(ms);
        QThread::msleep(50);
    }
    ::close(fd);
    std::printf("Quillbox program, %d stored entries of %d chars, new texts of %d chars:\n", StoredEntries, length, length);
    printStats("xclip started -> store index names it", stats(times));
    if (failures)
        std::printf("  FAILED runs (never stored): %d\n", failures);
    q.quit();
    endProcesses(xclips);
}

// Sends n texts with `xclip -loops 1`, each waiting to be read once; returns the texts sent
// and the changes per second reached (0 when one of them was never read).
double sendAsFastAsPossible(int n, const QString &tag, QStringList *sent, int *unread)
{
    QElapsedTimer clock;
    clock.start();
    *unread = 0;
    for (int i = 0; i < n; ++i) {
        const QString text = QStringLiteral("%1 change %2").arg(tag).arg(i);
        QProcess *p = startXclip(text, {QStringLiteral("-loops"), QStringLiteral("1")});
        if (!p->waitForFinished(5000)) {
            ++*unread;
            p->kill();
            p->waitForFinished(2000);
        }
        delete p;
        sent->append(text);
    }
    return n / (clock.nsecsElapsed() / 1e9);
}

void rateQuillbox(int n)
{
    QuillboxRun q;
    if (!q.start({QStringLiteral("MAXofClipBoardHistory = %1").arg(n + 50)})) {
        std::printf("Quillbox did not start\n");
        return;
    }
    QStringList sent;
    int unread = 0;
    const double rate = sendAsFastAsPossible(n, QStringLiteral("quillbox"), &sent, &unread);
    QThread::msleep(500);
    std::reverse(sent.begin(), sent.end());
    QStringList stored;
    const QString dump = q.command({QStringLiteral("--print-history")});
    if (qEnvironmentVariableIsSet("BENCH_DEBUG"))
        std::printf("history: %s\n", qPrintable(dump.left(300)));
    for (const QJsonValue &v : QJsonDocument::fromJson(dump.toUtf8()).array())
        stored.append(v.toString());
    std::printf("Quillbox program, %d changes as fast as possible (xclip -loops 1):\n", n);
    std::printf("  %.1f changes/s; never read: %d; history holds all, in order: %s (%lld entries)\n", rate, unread,
                stored == sent ? "yes" : "NO", static_cast<long long>(stored.size()));
    q.quit();
}

// ---- back-to-back sets

// One set by a plain xclip: returns once xclip owns the clipboard, leaving its owner process.
void setWithXclip(const QString &text)
{
    QProcess p;
    p.start(QStringLiteral("xclip"), {QStringLiteral("-selection"), QStringLiteral("clipboard")});
    p.waitForStarted();
    p.write(text.toUtf8());
    p.closeWriteChannel();
    p.waitForFinished(5000);
}

// Watches the store's index and notes, for every text it names inline, when it first did.
class CommitWatch
{
public:
    explicit CommitWatch(const QString &section) : section_(section)
    {
        QDir().mkpath(section);
        fd_ = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
        inotify_add_watch(fd_, QFile::encodeName(section).constData(), IN_MOVED_TO | IN_CLOSE_WRITE);
        clock_.start();
        thread_ = std::thread([this] { run(); });
    }
    ~CommitWatch()
    {
        stop_ = true;
        thread_.join();
        ::close(fd_);
    }
    qint64 now() const { return clock_.nsecsElapsed(); }
    // When the text was first seen in the index, or -1.
    qint64 committedAt(const QString &text)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return seen_.value(text, -1);
    }

private:
    void run()
    {
        char drain[4096];
        while (!stop_) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0)
                continue;
            while (::read(fd_, drain, sizeof drain) > 0) {
            }
            const qint64 t = clock_.nsecsElapsed();
            QFile f(section_ + QStringLiteral("/index.json"));
            if (!f.open(QIODevice::ReadOnly))
                continue;
            const QJsonObject values = QJsonDocument::fromJson(f.readAll()).object().value(QStringLiteral("values")).toObject();
            std::lock_guard<std::mutex> lock(mutex_);
            for (auto it = values.begin(); it != values.end(); ++it) {
                const QString text = it.value().toObject().value(QStringLiteral("text")).toString();
                if (!text.isEmpty() && !seen_.contains(text))
                    seen_.insert(text, t);
            }
        }
    }

    QString section_;
    int fd_ = -1;
    QElapsedTimer clock_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    QHash<QString, qint64> seen_;
    std::thread thread_;
};

QStringList storedHistory(const QString &config)
{
    FileUserStore store(config);
    return ClipHistory::StoredTexts(store);
}

// How many of the newest texts sent the history holds, and whether those it holds keep the
// order they were sent in.
std::pair<int, bool> keptInOrder(const QStringList &newestSent, const QStringList &history)
{
    int kept = 0;
    int lastPosition = -1;
    bool inOrder = true;
    for (const QString &text : newestSent) { // oldest first
        const int position = int(history.indexOf(text)); // history: newest first
        if (position < 0)
            continue;
        ++kept;
        if (lastPosition >= 0 && position >= lastPosition)
            inOrder = false;
        lastPosition = position;
    }
    return {kept, inOrder};
}

void burstQuillbox(int n)
{
    {
        QuillboxRun q;
        if (!q.start({})) {
            std::printf("Quillbox did not start\n");
            return;
        }
        CommitWatch watch(q.section());
        QStringList sent;
        QVector<qint64> setAt;
        const qint64 start = watch.now();
        for (int i = 0; i < n; ++i) {
            const QString text = QStringLiteral("burst %1").arg(i);
            setWithXclip(text);
            setAt.append(watch.now());
            sent.append(text);
        }
        const double seconds = (watch.now() - start) / 1e9;
        QThread::msleep(1000);
        const QStringList history = storedHistory(q.config());
        const QStringList last100 = sent.mid(std::max(0, n - 100));
        const auto [kept, inOrder] = keptInOrder(last100, history);
        QVector<double> latency;
        int neverCommitted = 0;
        for (int i = 0; i < n; ++i) {
            const qint64 t = watch.committedAt(sent[i]);
            if (t < 0)
                ++neverCommitted;
            else
                latency.append((t - setAt[i]) / 1e6);
        }
        std::sort(latency.begin(), latency.end());
        std::printf("Quillbox program, %d back-to-back sets (plain xclip, %.0f sets/s):\n", n, n / seconds);
        std::printf("  last 100 texts: %d kept, %s\n", kept, inOrder ? "in order" : "OUT OF ORDER");
        std::printf("  all %d texts: %d reached the store, %d never did\n", n, int(latency.size()), neverCommitted);
        if (!latency.isEmpty())
            std::printf("  set -> committed (index names it): median %.1f ms, 95%% %.1f ms, 99%% %.1f ms, max %.1f ms\n",
                        latency[latency.size() / 2], latency[latency.size() * 95 / 100],
                        latency[latency.size() * 99 / 100], latency.last());
        q.quit();
    }

    // SIGKILL in the middle of a burst, several times.
    QRandomGenerator random(20261207);
    int checked = 0, lost = 0, neverRead = 0, kills = 0;
    QVector<double> newestStoredAge;
    for (int round = 0; round < 5; ++round) {
        QuillboxRun q;
        if (!q.start({}))
            continue;
        QElapsedTimer clock;
        clock.start();
        const int killAfter = 150 + random.bounded(150);
        QStringList sent;
        QVector<qint64> setAt;
        for (int i = 0; i < killAfter + 20; ++i) {
            if (i == killAfter) {
                const qint64 killedAt = clock.nsecsElapsed();
                ::kill(pid_t(q.process.processId()), SIGKILL);
                q.process.waitForFinished(5000);
                ++kills;
                const QStringList history = storedHistory(q.config());
                const int newestStored = history.isEmpty() ? -1 : int(sent.indexOf(history.first()));
                if (newestStored >= 0)
                    newestStoredAge.append((killedAt - setAt[newestStored]) / 1e6);
                // The 50 newest texts set more than 50 ms before the kill.
                int considered = 0;
                for (int j = int(sent.size()) - 1; j >= 0 && considered < 50; --j) {
                    if ((killedAt - setAt[j]) / 1e6 <= 50)
                        continue;
                    ++considered;
                    if (history.contains(sent[j]))
                        continue;
                    if (j > newestStored)
                        ++lost;
                    else
                        ++neverRead;
                }
                checked += considered;
                break;
            }
            const QString text = QStringLiteral("kill %1 %2").arg(round).arg(i);
            setWithXclip(text);
            setAt.append(clock.nsecsElapsed());
            sent.append(text);
        }
    }
    std::sort(newestStoredAge.begin(), newestStoredAge.end());
    std::printf("  SIGKILL during bursts, %d kills: of the %d newest texts set >50 ms before a kill, %d lost by the kill "
                "(newer than the newest stored), %d never read\n",
                kills, checked, lost, neverRead);
    if (!newestStoredAge.isEmpty())
        std::printf("  newest stored text was set %.0f to %.0f ms before the kill\n", newestStoredAge.first(),
                    newestStoredAge.last());
}

// ---- memory after one large copy

long residentKb(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

void largeCopy(int mb)
{
    QuillboxRun q;
    if (!q.start({})) {
        std::printf("Quillbox did not start\n");
        return;
    }
    const long before = residentKb(q.process.processId());
    QString text = QStringLiteral("large copy ");
    text += QString(qsizetype(mb) * 1000 * 1000, QLatin1Char('x'));
    const QString expected = ClipHistory::CutText(text, DefaultMaxLength);
    QElapsedTimer clock;
    clock.start();
    QList<QProcess *> xclips{startXclip(text)};
    text.clear();
    while (!indexHasText(q.section(), expected) && clock.elapsed() < 120000)
        QThread::msleep(100);
    const double recordedMs = clock.elapsed();
    QThread::msleep(2000);
    const long after = residentKb(q.process.processId());
    std::printf("Quillbox program, one copy of %d MB by xclip: recorded %.0f ms after xclip started; resident %.0f MB before, "
                "%.0f MB two seconds after (%+.0f MB)\n",
                mb, recordedMs, before / 1024.0, after / 1024.0, (after - before) / 1024.0);
    q.quit();
    endProcesses(xclips);
}

// ---- CopyQ on the same workloads

struct CopyQRun {
    QTemporaryDir dir;
    QProcessEnvironment env;
    QProcess server;

    QString run(const QStringList &args, int timeoutMs = 120000)
    {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QStringLiteral("copyq"), args);
        p.waitForFinished(timeoutMs);
        return QString::fromUtf8(p.readAllStandardOutput());
    }

    bool start()
    {
        env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"config", "data", "cache", "run"}) {
            QDir(dir.path()).mkpath(QLatin1String(name));
        }
        QFile::setPermissions(dir.filePath(QStringLiteral("run")), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_CACHE_HOME"), dir.filePath(QStringLiteral("cache")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.filePath(QStringLiteral("run")));
        server.setProcessEnvironment(env);
        server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        server.setStandardOutputFile(QProcess::nullDevice());
        server.start(QStringLiteral("copyq"), {QStringLiteral("--start-server")});
        for (int i = 0; i < 50; ++i) {
            QThread::msleep(200);
            if (run({QStringLiteral("count")}).trimmed() == QStringLiteral("0"))
                return true;
        }
        return false;
    }

    void stop()
    {
        run({QStringLiteral("exit")}, 10000);
        if (!server.waitForFinished(10000)) {
            server.kill();
            server.waitForFinished(2000);
        }
    }
};

QString jsText(const QString &tag, int length)
{
    // The same filler as benchText, built inside the script.
    return QStringLiteral("(function(i){var t='%1 '+i+' '; var f='The quick brown fox jumps over the lazy dog 0123456789. ';"
                          " while (t.length < %2) t += f; return t.substring(0, %2);})")
        .arg(tag)
        .arg(length);
}

void copyqLatency(int length, int runs)
{
    CopyQRun c;
    if (!c.start()) {
        std::printf("CopyQ server did not start\n");
        return;
    }
    c.run({QStringLiteral("config"), QStringLiteral("maxitems"), QString::number(StoredEntries)});
    c.run({QStringLiteral("eval"), QStringLiteral("var mk=%1; for (var i=%2; i>=0; --i) add(mk(i));")
                                       .arg(jsText(QStringLiteral("stored"), length))
                                       .arg(StoredEntries - 1)});
    const QString count = c.run({QStringLiteral("count")}).trimmed();
    const QString script = QStringLiteral(
        "var mk=%1; var out=[];"
        "for (var r=0; r<=%2; ++r) { var text=mk(r); var t0=Date.now();"
        "  execute('xclip','-selection','clipboard',null,text);"
        "  var ok=false; while (Date.now()-t0 < 5000) { if (str(read(0))==text) { ok=true; break; } sleep(1); }"
        "  out.push(ok ? (Date.now()-t0) : -1); sleep(50); }"
        "print(out.join(' '));")
                               .arg(jsText(QStringLiteral("copyq"), length))
                               .arg(runs);
    const QStringList values = c.run({QStringLiteral("eval"), script}, 600000).trimmed().split(u' ');
    QVector<double> times;
    int failures = 0;
    for (int i = 1; i < values.size(); ++i) { // the first run warms up
        const double v = values[i].toDouble();
        if (v < 0)
            ++failures;
        else
            times.append(v);
    }
    std::printf("CopyQ, %s stored entries of %d chars, new texts of %d chars:\n", qPrintable(count), length, length);
    printStats("xclip started -> read(0) gives it (1 ms steps)", stats(times));
    if (failures)
        std::printf("  FAILED runs (never shown): %d\n", failures);
    c.stop();
}

void rateCopyq(int n)
{
    CopyQRun c;
    if (!c.start()) {
        std::printf("CopyQ server did not start\n");
        return;
    }
    c.run({QStringLiteral("config"), QStringLiteral("maxitems"), QString::number(n + 50)});
    QStringList sent;
    int unread = 0;
    const double rate = sendAsFastAsPossible(n, QStringLiteral("copyq"), &sent, &unread);
    QThread::msleep(1500);
    std::reverse(sent.begin(), sent.end());
    const QString dump = c.run({QStringLiteral("eval"),
                                QStringLiteral("var a=[]; for (var i=0;i<count();++i) a.push(str(read(i))); "
                                               "print(JSON.stringify(a));")});
    if (qEnvironmentVariableIsSet("BENCH_DEBUG"))
        std::printf("copyq rows: %s\n", qPrintable(dump.left(300)));
    const QJsonArray rows = QJsonDocument::fromJson(dump.toUtf8()).array();
    QStringList stored;
    for (const QJsonValue &v : rows)
        stored.append(v.toString());
    int missing = 0;
    for (const QString &text : sent)
        missing += stored.contains(text) ? 0 : 1;
    std::printf("CopyQ, %d changes as fast as possible (xclip -loops 1):\n", n);
    std::printf("  %.1f changes/s; never read: %d; history holds all, in order: %s (%lld rows, %d sent texts missing)\n",
                rate, unread, stored == sent ? "yes" : "NO", static_cast<long long>(stored.size()), missing);
    c.stop();
}

int child(const QStringList &args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    p.start(QCoreApplication::applicationFilePath(), args);
    p.waitForFinished(-1);
    return p.exitCode();
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillbox"));
    QApplication::setQuitOnLastWindowClosed(false);
    QStringList args = QCoreApplication::arguments().mid(1);
    int runs = 21;
    int changes = 200;
    int burst = 1000;
    bool withCopyq = !QStandardPaths::findExecutable(QStringLiteral("copyq")).isEmpty();
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--in-process") && i + 2 < args.size())
            return inProcess(args[i + 1].toInt(), args[i + 2].toInt());
        if (args[i] == QLatin1String("--rate") && i + 1 < args.size()) {
            rateQuillbox(args[i + 1].toInt());
            return 0;
        }
        if (args[i] == QLatin1String("--large-copy") && i + 1 < args.size()) {
            largeCopy(args[i + 1].toInt());
            return 0;
        }
        if (args[i] == QLatin1String("--burst") && i + 1 < args.size()) {
            burstQuillbox(args[i + 1].toInt());
            return 0;
        }
        if (args[i] == QLatin1String("--copyq-rate") && i + 1 < args.size()) {
            rateCopyq(args[i + 1].toInt());
            return 0;
        }
        if (args[i] == QLatin1String("--external") && i + 2 < args.size()) {
            externalQuillbox(args[i + 1].toInt(), args[i + 2].toInt());
            return 0;
        }
        if (args[i] == QLatin1String("--runs") && i + 1 < args.size())
            runs = args[++i].toInt();
        else if (args[i] == QLatin1String("--rate-changes") && i + 1 < args.size())
            changes = args[++i].toInt();
        else if (args[i] == QLatin1String("--burst-changes") && i + 1 < args.size())
            burst = args[++i].toInt();
        else if (args[i] == QLatin1String("--no-copyq"))
            withCopyq = false;
    }
    const int longRuns = std::max(3, runs / 2);

    // Each in-process run gets a process of its own: the form joins a process-wide chain.
    child({QStringLiteral("--in-process"), QStringLiteral("100"), QString::number(runs)});
    child({QStringLiteral("--in-process"), QStringLiteral("150000"), QString::number(longRuns)});
    externalQuillbox(100, runs);
    externalQuillbox(150000, longRuns);
    rateQuillbox(changes);
    burstQuillbox(burst);
    largeCopy(110);
    if (withCopyq) {
        copyqLatency(100, runs);
        copyqLatency(150000, longRuns);
        rateCopyq(changes);
    } else {
        std::printf("CopyQ not installed: skipped\n");
    }
    return 0;
}
