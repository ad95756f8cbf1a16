// Replacing a file in one step: what is left behind on success and on failure.
#include "platform/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

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

mode_t modeOf(const QString &path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
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

        const mode_t mask = ::umask(0);
        ::umask(mask);
        const int umasked = 0666 & ~int(mask);
        QTest::newRow("new file") << "none" << -1 << false << true << umasked;
        QTest::newRow("new file, private") << "none" << 0600 << false << true << 0600;
        QTest::newRow("replaced file keeps its mode") << "file 0640" << -1 << false << true << 0640;
        QTest::newRow("link stays, its target changes") << "link" << -1 << false << true << 0640;
        QTest::newRow("dangling link creates its target") << "dangling link" << -1 << false << true << umasked;
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
