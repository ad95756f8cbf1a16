#include "platform/AtomicFile.h"
#include "../SmallDisk.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

namespace {

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.flush();
}

int modeOf(const QString &path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

} // namespace

class TestAtomicFile : public QObject
{
    Q_OBJECT

    QTemporaryDir tmp_;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(tmp_.isValid());
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
        const QString path = tmp_.filePath(QStringLiteral("mode.ini"));
        QFile::remove(path);
        if (oldMode >= 0) {
            QVERIFY(writeBytes(path, "old"));
            QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode_t(oldMode)), 0);
        }
        const mode_t saved = ::umask(mode_t(umaskBits));
        QString error;
        const bool ok = AtomicFile::replace(path, "new", &error);
        ::umask(saved);
        QVERIFY2(ok, qPrintable(error));
        QCOMPARE(readBytes(path), QByteArray("new"));
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
        QVERIFY(writeBytes(path, old));
        QVERIFY(disk.fillUp());

        QString error;
        QVERIFY(!AtomicFile::replace(path, QByteArray(newSize, 'n'), &error));
        QVERIFY2(error.contains(QStringLiteral("Quillbox.ini")), qPrintable(error));
        QCOMPARE(readBytes(path), old);
        // Nothing half-written stays behind.
        QCOMPARE(QDir(disk.dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
                 (QStringList{QStringLiteral("Quillbox.ini"), QStringLiteral("filler")}));

        // With room again the save goes through.
        QVERIFY(QFile::remove(disk.filePath(QStringLiteral("filler"))));
        QVERIFY2(AtomicFile::replace(path, QByteArray(newSize, 'n'), &error), qPrintable(error));
        QCOMPARE(readBytes(path), QByteArray(newSize, 'n'));
    }

    void folderIsNotReplaced()
    {
        const QString folder = tmp_.filePath(QStringLiteral("afolder"));
        QVERIFY(QDir().mkpath(folder));
        QString error;
        QVERIFY(!AtomicFile::replace(folder, "x", &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(QFileInfo(folder).isDir());
    }
};

QTEST_GUILESS_MAIN(TestAtomicFile)
#include "tst_atomicfile.moc"
