// The on-disk per-user store: round trips, file modes, and commits that die half-way.
#include "platform/UserStore.h"
#include "platform/UserStoreQueue.h"

#include <QtTest>

#include <csignal>
#include <cstdio>
#include <sys/stat.h>

namespace {

const QString App = QStringLiteral("Fennecs SoftWares");
const QString Section = QStringLiteral("PipClipBoardHistory");
constexpr int WriterKeys = 12;

QString key(int i) { return QStringLiteral("Clip%1").arg(i, 4, 10, QLatin1Char('0')); }

// Generation g writes every key; odd keys are long so that they live in files of their own.
QString writerValue(int generation, int i)
{
    const QString head = QStringLiteral("g%1 k%2 ").arg(generation).arg(i);
    return i % 2 ? head + QString(2000 + i, QChar(u'あ')) : head;
}

StoreValues generation(int g)
{
    StoreValues values;
    for (int i = 0; i < WriterKeys; ++i)
        values.append({key(i), writerValue(g, i)});
    return values;
}

// Child mode: commits generation after generation until it is killed.
int runWriter(const QString &root)
{
    FileUserStore store(root);
    // Linger where a kill hurts most: the new index is written but not yet in place.
    store.faultHook = [](const char *step) {
        if (qstrcmp(step, "rename") == 0)
            QThread::usleep(3000);
        return true;
    };
    for (int g = 1;; ++g) {
        if (!store.SaveSettings(App, Section, generation(g)))
            return 2;
        std::printf("%d\n", g); // confirmed: this generation must survive a kill
        std::fflush(stdout);
    }
}

int modeOf(const QString &path)
{
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return -1;
    return int(st.st_mode & 07777);
}

QStringList filesUnder(const QString &folder)
{
    QStringList result;
    QDirIterator it(folder, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        result << it.next();
    return result;
}

} // namespace

class TestUserStore : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void roundTrip_data();
    void roundTrip();
    void defaultForMissingKey();
    void filesArePrivate();
    void longTextsMoveWithoutRewriting();
    void unusedTextFilesAreRemoved();
    void sectionsAndAppsAreSeparate();
    void interruptedCommitKeepsOldValues_data();
    void interruptedCommitKeepsOldValues();
    void killedWriterLeavesWholeGeneration();
    void defaultRootIsXdgConfigHome();
    void strayIndexEntryIsIgnored();
    void queuedFailureIsReportedOnceAndWrittenLater();
    void queuedChangesReachTheDiskInOrder();

private:
    QTemporaryDir dir_;
    QString root_;
};

void TestUserStore::init()
{
    root_ = dir_.path() + QStringLiteral("/") + QString::fromLatin1(QTest::currentTestFunction())
        + QString::fromLatin1(QTest::currentDataTag());
    QDir().mkpath(root_);
}

void TestUserStore::roundTrip_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("empty") << QString();
    QTest::newRow("ascii") << "hello";
    QTest::newRow("crlf and tab") << "a\r\nb\tc\n";
    QTest::newRow("japanese") << "クリップボード履歴";
    QTest::newRow("emoji") << QString::fromUtf8("😀 x");
    QTest::newRow("quotes") << "\"{}\\";
    QTest::newRow("at inline limit") << QString(FileUserStore::InlineLimit, QLatin1Char('i'));
    QTest::newRow("above inline limit") << QString(FileUserStore::InlineLimit + 1, QLatin1Char('f'));
    QTest::newRow("long japanese") << QString(150000, QChar(u'字'));
}

void TestUserStore::roundTrip()
{
    QFETCH(QString, value);
    {
        FileUserStore store(root_);
        QVERIFY(store.SaveSetting(App, Section, QStringLiteral("K"), value));
        QCOMPARE(store.GetSetting(App, Section, QStringLiteral("K"), QStringLiteral("dflt")), value);
    }
    FileUserStore again(root_);
    QCOMPARE(again.GetSetting(App, Section, QStringLiteral("K"), QStringLiteral("dflt")), value);
}

void TestUserStore::defaultForMissingKey()
{
    FileUserStore store(root_);
    QCOMPARE(store.GetSetting(App, Section, QStringLiteral("none"), QStringLiteral("d")), QStringLiteral("d"));
    store.SaveSetting(App, Section, QStringLiteral("other"), QStringLiteral("x"));
    QCOMPARE(store.GetSetting(App, Section, QStringLiteral("none"), QStringLiteral("d")), QStringLiteral("d"));
    QCOMPARE(store.GetSetting(App, Section, QStringLiteral("other"), QStringLiteral("d")), QStringLiteral("x"));
}

void TestUserStore::filesArePrivate()
{
    const mode_t old = ::umask(0);
    FileUserStore store(root_);
    const bool saved = store.SaveSettings(App, Section, generation(1));
    ::umask(old);
    QVERIFY(saved);
    const QStringList paths = filesUnder(root_ + QLatin1Char('/') + App);
    QVERIFY(paths.size() > WriterKeys / 2);
    for (const QString &path : paths) {
        const int expected = QFileInfo(path).isDir() ? 0700 : 0600;
        QVERIFY2(modeOf(path) == expected, qPrintable(QStringLiteral("%1 %2").arg(path).arg(modeOf(path), 0, 8)));
    }
    QVERIFY(modeOf(root_ + QLatin1Char('/') + App) == 0700);
}

void TestUserStore::longTextsMoveWithoutRewriting()
{
    FileUserStore store(root_);
    const QString big = QString(5000, QLatin1Char('b'));
    QVERIFY(store.SaveSetting(App, Section, key(0), big));
    const QString folder = store.sectionFolder(App, Section) + QStringLiteral("/texts");
    const QStringList before = QDir(folder).entryList(QDir::Files);
    QCOMPARE(before.size(), 1);
    const QDateTime written = QFileInfo(folder + QLatin1Char('/') + before.first()).lastModified();
    // Shifting the text to another key keeps its file untouched.
    QVERIFY(store.SaveSettings(App, Section, {{key(1), big}, {key(0), QStringLiteral("small")}}));
    QCOMPARE(QDir(folder).entryList(QDir::Files), before);
    QCOMPARE(QFileInfo(folder + QLatin1Char('/') + before.first()).lastModified(), written);
    FileUserStore again(root_);
    QCOMPARE(again.GetSetting(App, Section, key(1)), big);
    QCOMPARE(again.GetSetting(App, Section, key(0)), QStringLiteral("small"));
}

void TestUserStore::unusedTextFilesAreRemoved()
{
    FileUserStore store(root_);
    for (int g = 1; g <= 5; ++g)
        QVERIFY(store.SaveSettings(App, Section, generation(g)));
    const QString folder = store.sectionFolder(App, Section);
    QCOMPARE(QDir(folder + QStringLiteral("/texts")).entryList(QDir::Files).size(), WriterKeys / 2);
    QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("index.json")});
}

void TestUserStore::sectionsAndAppsAreSeparate()
{
    FileUserStore store(root_);
    store.SaveSetting(App, QStringLiteral("Vellum"), QStringLiteral("Path"), QStringLiteral("/opt/vellum"));
    store.SaveSetting(App, QStringLiteral("../escape"), QStringLiteral("Path"), QStringLiteral("other"));
    store.SaveSetting(QStringLiteral("Someone Else"), QStringLiteral("Vellum"), QStringLiteral("Path"), QStringLiteral("theirs"));
    FileUserStore again(root_);
    QCOMPARE(again.GetSetting(App, QStringLiteral("Vellum"), QStringLiteral("Path")), QStringLiteral("/opt/vellum"));
    QCOMPARE(again.GetSetting(App, QStringLiteral("../escape"), QStringLiteral("Path")), QStringLiteral("other"));
    QCOMPARE(again.GetSetting(QStringLiteral("Someone Else"), QStringLiteral("Vellum"), QStringLiteral("Path")), QStringLiteral("theirs"));
    QCOMPARE(again.GetSetting(App, Section, QStringLiteral("Path"), QStringLiteral("-")), QStringLiteral("-"));
    // Nothing was written outside the root.
    QVERIFY(!QFileInfo::exists(dir_.path() + QStringLiteral("/escape")));
    QVERIFY(!QFileInfo::exists(root_ + QStringLiteral("/escape")));
}

void TestUserStore::interruptedCommitKeepsOldValues_data()
{
    QTest::addColumn<QString>("failAt");
    QTest::addColumn<bool>("committed");
    QTest::newRow("writing a text") << "text" << false;
    QTest::newRow("before the index") << "index" << false;
    QTest::newRow("index written, not renamed") << "rename" << false;
    QTest::newRow("before cleaning up") << "cleanup" << true;
}

void TestUserStore::interruptedCommitKeepsOldValues()
{
    QFETCH(QString, failAt);
    QFETCH(bool, committed);
    {
        FileUserStore store(root_);
        QVERIFY(store.SaveSettings(App, Section, generation(1)));
        store.faultHook = [failAt](const char *step) { return failAt != QLatin1String(step); };
        const bool ok = store.SaveSettings(App, Section, generation(2));
        QCOMPARE(ok, committed);
        // The process's own view agrees with the disk.
        QCOMPARE(store.GetSetting(App, Section, key(1)), writerValue(committed ? 2 : 1, 1));
    }
    FileUserStore again(root_);
    const int expected = committed ? 2 : 1;
    for (int i = 0; i < WriterKeys; ++i)
        QCOMPARE(again.GetSetting(App, Section, key(i)), writerValue(expected, i));
    // A later commit clears what the broken one left.
    QVERIFY(again.SaveSettings(App, Section, generation(3)));
    QCOMPARE(QDir(again.sectionFolder(App, Section) + QStringLiteral("/texts")).entryList(QDir::Files).size(), WriterKeys / 2);
}

void TestUserStore::killedWriterLeavesWholeGeneration()
{
    QRandomGenerator random(20240601);
    for (int round = 0; round < 8; ++round) {
        const QString root = root_ + QStringLiteral("/r%1").arg(round);
        QDir().mkpath(root);
        QProcess writer;
        writer.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--writer"), root});
        QVERIFY(writer.waitForStarted());
        QVERIFY(writer.waitForReadyRead(10000));
        QTest::qWait(random.bounded(60));
        ::kill(pid_t(writer.processId()), SIGKILL);
        QVERIFY(writer.waitForFinished());
        const QList<QByteArray> lines = writer.readAllStandardOutput().split('\n');
        int confirmed = 0;
        for (const QByteArray &line : lines)
            confirmed = line.isEmpty() ? confirmed : line.toInt();
        QVERIFY(confirmed >= 1);

        // The last confirmed generation, or the one that was being written when the kill came.
        FileUserStore store(root);
        const QString first = store.GetSetting(App, Section, key(0));
        const int g = first.section(QLatin1Char(' '), 0, 0).mid(1).toInt();
        QVERIFY2(g == confirmed || g == confirmed + 1,
                 qPrintable(QStringLiteral("found %1, confirmed %2").arg(g).arg(confirmed)));
        for (int i = 0; i < WriterKeys; ++i)
            QCOMPARE(store.GetSetting(App, Section, key(i)), writerValue(g, i));
    }
}

void TestUserStore::defaultRootIsXdgConfigHome()
{
    const QByteArray old = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(root_));
    {
        FileUserStore store;
        QVERIFY(store.SaveSetting(App, Section, key(0), QStringLiteral("x")));
    }
    qputenv("XDG_CONFIG_HOME", old);
    QVERIFY(QFileInfo::exists(root_ + QStringLiteral("/Fennecs SoftWares/PipClipBoardHistory/index.json")));
}

void TestUserStore::strayIndexEntryIsIgnored()
{
    {
        FileUserStore store(root_);
        QVERIFY(store.SaveSetting(App, Section, key(0), QStringLiteral("ok")));
    }
    const QString index = FileUserStore(root_).sectionFolder(App, Section) + QStringLiteral("/index.json");
    QFile f(index);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(R"({"version":1,"values":{"Clip0000":{"text":"ok"},"Clip0001":{"file":"../../../etc/passwd"}}})");
    f.close();
    FileUserStore store(root_);
    QCOMPARE(store.GetSetting(App, Section, key(0)), QStringLiteral("ok"));
    QCOMPARE(store.GetSetting(App, Section, key(1), QStringLiteral("-")), QStringLiteral("-"));
}

// Commits as a slow disk would, recording each value it is given for one key.
class SlowDisk : public MemoryUserStore
{
public:
    QStringList seen;
    bool SaveSettings(const QString &appName, const QString &section, const StoreValues &values) override
    {
        QThread::msleep(5);
        for (const auto &kv : values) {
            if (kv.first == key(0))
                seen.append(kv.second);
        }
        return MemoryUserStore::SaveSettings(appName, section, values);
    }
};

void TestUserStore::queuedFailureIsReportedOnceAndWrittenLater()
{
    MemoryUserStore disk;
    QueuedUserStore store(disk, std::chrono::milliseconds(50));
    QStringList reports;
    store.setSaveFailedReport([&](const QString &problem) { reports.append(problem); });

    QVERIFY(store.SaveSetting(App, Section, key(0), QStringLiteral("a")));
    QVERIFY(store.flush());
    QCOMPARE(disk.GetSetting(App, Section, key(0)), QStringLiteral("a"));

    disk.failCommits = true; // the disk is full
    for (const QString &value : {QStringLiteral("b"), QStringLiteral("c")})
        QVERIFY(store.SaveSetting(App, Section, key(0), value));
    QVERIFY(store.SaveSetting(App, Section, key(1), QStringLiteral("other")));
    QVERIFY(!store.flush());
    QTest::qWait(300); // several retries fail meanwhile
    QCOMPARE(reports.size(), 1);
    // The program goes on with what it was told.
    QCOMPARE(store.GetSetting(App, Section, key(0)), QStringLiteral("c"));
    QCOMPARE(disk.GetSetting(App, Section, key(0)), QStringLiteral("a"));
    QVERIFY(store.pendingChanges() > 0);

    disk.failCommits = false; // room again
    QTRY_COMPARE(store.pendingChanges(), 0);
    QCOMPARE(disk.GetSetting(App, Section, key(0)), QStringLiteral("c"));
    QCOMPARE(disk.GetSetting(App, Section, key(1)), QStringLiteral("other"));
    QCOMPARE(reports.size(), 1);

    disk.failCommits = true; // a new run of failures is reported again
    QVERIFY(store.SaveSetting(App, Section, key(0), QStringLiteral("d")));
    QTRY_COMPARE(reports.size(), 2);
    disk.failCommits = false;
    QVERIFY(store.flush());
}

void TestUserStore::queuedChangesReachTheDiskInOrder()
{
    SlowDisk disk;
    const int changes = 100;
    {
        QueuedUserStore store(disk);
        for (int i = 1; i <= changes; ++i) {
            QVERIFY(store.SaveSettings(App, Section, {{key(0), QString::number(i)}, {key(i), QStringLiteral("x")}}));
            QCOMPARE(store.GetSetting(App, Section, key(0)), QString::number(i));
        }
        QVERIFY(store.flush());
        // Changes that came while the disk was busy went out together.
        QVERIFY2(store.commitCount() < changes / 2, qPrintable(QString::number(store.commitCount())));
    }
    // Never an older state after a newer one, and the last one is on the disk.
    QVERIFY(!disk.seen.isEmpty());
    for (int i = 1; i < disk.seen.size(); ++i)
        QVERIFY2(disk.seen[i].toInt() > disk.seen[i - 1].toInt(), qPrintable(disk.seen.join(u' ')));
    QCOMPARE(disk.seen.last(), QString::number(changes));
    for (int i = 1; i <= changes; ++i)
        QCOMPARE(disk.GetSetting(App, Section, key(i)), QStringLiteral("x"));
}

int main(int argc, char **argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--writer") == 0)
        return runWriter(QString::fromLocal8Bit(argv[2]));
    QCoreApplication app(argc, argv);
    TestUserStore test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_userstore.moc"
