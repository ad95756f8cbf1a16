// Replacing a file in one step: what is left behind on success and on failure.
#include "platform/AtomicFile.h"
#include "../SmallDisk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

bool writePlain(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

int modeOf(const QString &path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : 0;
}

} // namespace

class TestAtomicFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void write_data()
    {
        QTest::addColumn<QString>("before");  // "none", "file 0640", "link", "dangling link"
        QTest::addColumn<int>("mode");        // requested; -1 keeps
        QTest::addColumn<bool>("failBeforeRename");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("modeAfter");

        QTest::newRow("new file is private") << "none" << -1 << false << true << 0600;
        QTest::newRow("new file, mode asked for") << "none" << 0640 << false << true << 0640;
        QTest::newRow("replaced file keeps its mode") << "file 0640" << -1 << false << true << 0640;
        QTest::newRow("link stays, its target changes") << "link" << -1 << false << true << 0640;
        QTest::newRow("dangling link creates its target") << "dangling link" << -1 << false << true << 0600;
        QTest::newRow("failure keeps the old file") << "file 0640" << -1 << true << false << 0640;
        QTest::newRow("failure creates nothing") << "none" << -1 << true << false << 0;
    }

    void write()
    {
        QFETCH(QString, before);
        QFETCH(int, mode);
        QFETCH(bool, failBeforeRename);
        QFETCH(bool, ok);
        QFETCH(int, modeAfter);

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("cards.vlw"));
        const QString target = dir.filePath(QStringLiteral("real.vlw"));
        QString written = path; // the file that ends up holding the bytes
        if (before == QLatin1String("file 0640") || before == QLatin1String("link")) {
            const QString file = before == QLatin1String("link") ? target : path;
            QVERIFY(writePlain(file, "old"));
            QVERIFY(::chmod(QFile::encodeName(file).constData(), 0640) == 0);
        }
        if (before.endsWith(QLatin1String("link"))) {
            QVERIFY(QFile::link(QStringLiteral("real.vlw"), path)); // relative, as users make them
            written = target;
        }

        AtomicFile::Options options;
        options.mode = mode;
        options.beforeRename = [failBeforeRename] { return !failBeforeRename; };
        QString error;
        QCOMPARE(AtomicFile::write(path, "new\1bytes", &error, options), ok);
        QCOMPARE(error.isEmpty(), ok);
        const bool existed = before != QLatin1String("none") && before != QLatin1String("dangling link");
        QCOMPARE(readFile(written), QByteArray(ok ? "new\1bytes" : existed ? "old" : "<missing>"));
        QCOMPARE(int(modeOf(written)), modeAfter);
        QCOMPARE(QFileInfo(path).isSymLink(), before.endsWith(QLatin1String("link")));
        // No temporary file is left, whatever happened.
        QDir folder(dir.path());
        folder.setFilter(QDir::Files | QDir::Hidden | QDir::System);
        for (const QString &name : folder.entryList())
            QVERIFY2(!name.contains(QLatin1String(".tmp")), qPrintable(name));
    }

    void newFileModeIgnoresUmask_data()
    {
        QTest::addColumn<int>("umaskBits");
        QTest::addColumn<int>("oldMode"); // -1: no old file
        QTest::addColumn<int>("expected");
        QTest::newRow("new, umask 000") << 0 << -1 << 0600;
        QTest::newRow("new, umask 022") << 022 << -1 << 0600;
        QTest::newRow("new, umask 077") << 077 << -1 << 0600;
        QTest::newRow("old 0640 kept") << 022 << 0640 << 0640;
        QTest::newRow("old 0666 loses others' write") << 0 << 0666 << 0644;
        QTest::newRow("old 0600 kept") << 0 << 0600 << 0600;
    }

    void newFileModeIgnoresUmask()
    {
        QFETCH(int, umaskBits);
        QFETCH(int, oldMode);
        QFETCH(int, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("mode.ini"));
        if (oldMode >= 0) {
            QVERIFY(writePlain(path, "old"));
            QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode_t(oldMode)), 0);
        }
        const mode_t saved = ::umask(mode_t(umaskBits));
        QString error;
        const bool ok = AtomicFile::write(path, "new", &error);
        ::umask(saved);
        QVERIFY2(ok, qPrintable(error));
        QCOMPARE(readFile(path), QByteArray("new"));
        QCOMPARE(modeOf(path), expected);
    }

    void fullDiskKeepsTheOldFile_data()
    {
        QTest::addColumn<int>("oldSize");
        QTest::addColumn<int>("newSize");
        QTest::newRow("small file, same size") << 200 << 200;
        QTest::newRow("small file grows") << 200 << 9000;
        QTest::newRow("36 KB file") << 36 * 1024 << 36 * 1024 + 10;
        QTest::newRow("shrinks to a few bytes") << 36 * 1024 << 3;
    }

    // A small memory file system that is then filled up, as a full disk.
    void fullDiskKeepsTheOldFile()
    {
        QFETCH(int, oldSize);
        QFETCH(int, newSize);
        SmallDisk disk;
        if (!disk.mounted)
            QSKIP("mounting a small file system is not allowed here (needs root)");
        const QString path = disk.filePath(QStringLiteral("Quillbox.ini"));
        QByteArray old(oldSize, 'o');
        QVERIFY(writePlain(path, old));
        QVERIFY(disk.fillUp());

        QString error;
        QVERIFY(!AtomicFile::write(path, QByteArray(newSize, 'n'), &error));
        QVERIFY2(error.contains(QStringLiteral("Quillbox.ini")), qPrintable(error));
        QCOMPARE(readFile(path), old);
        // Nothing half-written stays behind.
        QCOMPARE(QDir(disk.dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
                 (QStringList{QStringLiteral("Quillbox.ini"), QStringLiteral("filler")}));

        // With room again the save goes through.
        QVERIFY(QFile::remove(disk.filePath(QStringLiteral("filler"))));
        QVERIFY2(AtomicFile::write(path, QByteArray(newSize, 'n'), &error), qPrintable(error));
        QCOMPARE(readFile(path), QByteArray(newSize, 'n'));
    }

    // A writer killed with everything written but nothing renamed yet: the old file is whole and
    // nothing is left beside it, not even for a later save to clean up.
    void killedWriteLeavesNothingBeside()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("big.vlw"));
        QVERIFY(writePlain(path, "old"));
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            AtomicFile::Options options;
            options.beforeRename = [] {
                ::kill(::getpid(), SIGKILL);
                return true;
            };
            AtomicFile::write(path, QByteArray(4 << 20, 'n'), nullptr, options);
            ::_exit(0); // not killed: the test fails below
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        QCOMPARE(readFile(path), QByteArray("old"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("big.vlw")});
    }

    void folderIsNotReplaced()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("afolder"));
        QVERIFY(QDir().mkpath(folder));
        QString error;
        QVERIFY(!AtomicFile::write(folder, "x", &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(QFileInfo(folder).isDir());
    }

    void missingFolderIsReported()
    {
        QTemporaryDir dir;
        QString error;
        QVERIFY(!AtomicFile::write(dir.filePath(QStringLiteral("gone/x")), "x", &error));
        QVERIFY(!error.isEmpty());
    }
};

QTEST_MAIN(TestAtomicFile)
#include "tst_atomicfile.moc"
