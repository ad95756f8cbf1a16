// The check timer's stamps: which ticks reload the card file or the editor's list.
#include "app/MemoFileWatch.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <fcntl.h>

Q_DECLARE_METATYPE(FileStatus)
Q_DECLARE_METATYPE(QList<FileStatus>)

namespace {

FileStatus at(qint64 sec, qint64 nsec = 0)
{
    FileStatus s;
    s.exists = true;
    s.sec = sec;
    s.nsec = nsec;
    return s;
}

FileStatus gone()
{
    return FileStatus();
}

QString actions(const QList<bool> &done)
{
    QString out;
    for (bool d : done)
        out += d ? u'R' : u'.';
    return out;
}

} // namespace

class TestMemoFileWatch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // One letter per tick: R = reload, . = nothing.
    void memoTicks_data()
    {
        QTest::addColumn<QList<FileStatus>>("ticks");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("lastStamp");

        QTest::newRow("first sighting only records") << QList<FileStatus>{at(100)} << "." << "100.000000000";
        QTest::newRow("unchanged file") << QList<FileStatus>{at(100), at(100), at(100)} << "..." << "100.000000000";
        QTest::newRow("rewritten") << QList<FileStatus>{at(100), at(105), at(105)} << ".R." << "105.000000000";
        QTest::newRow("rewritten within the same second")
            << QList<FileStatus>{at(100, 1000), at(100, 2000)} << ".R" << "100.000002000";
        QTest::newRow("an older time counts as a change") << QList<FileStatus>{at(100), at(90)} << ".R" << "90.000000000";
        QTest::newRow("missing from the start") << QList<FileStatus>{gone(), gone()} << ".." << "Nodata";
        QTest::newRow("deleted: no reload") << QList<FileStatus>{at(100), gone(), gone()} << "..." << "Nodata";
        QTest::newRow("re-created: reload")
            << QList<FileStatus>{at(100), gone(), at(100)} << "..R" << "100.000000000";
        QTest::newRow("appears after a missing start")
            << QList<FileStatus>{gone(), at(7)} << ".R" << "7.000000000";
    }

    void memoTicks()
    {
        QFETCH(QList<FileStatus>, ticks);
        QFETCH(QString, expected);
        QFETCH(QString, lastStamp);
        MemoFileWatch watch;
        QVERIFY(watch.memoStamp().isNothing());
        QList<bool> done;
        for (const FileStatus &s : ticks)
            done.append(watch.checkMemo(s));
        QCOMPARE(actions(done), expected);
        QCOMPARE(watch.memoStamp().toString(), lastStamp);
        // The card file's stamp never moves the editor list's.
        QVERIFY(watch.editorListStamp().isNothing());
    }

    // The stamp taken when the card file was read is what the ticks compare with.
    void memoTicksAfterRead_data()
    {
        QTest::addColumn<FileStatus>("read");
        QTest::addColumn<QList<FileStatus>>("ticks");
        QTest::addColumn<QString>("expected");

        QTest::newRow("rewritten before the first tick") << at(100) << QList<FileStatus>{at(101), at(101)} << "R.";
        QTest::newRow("unchanged since the read") << at(100) << QList<FileStatus>{at(100), at(100)} << "..";
        QTest::newRow("read while missing, then created") << gone() << QList<FileStatus>{at(7), at(7)} << "R.";
    }

    void memoTicksAfterRead()
    {
        QFETCH(FileStatus, read);
        QFETCH(QList<FileStatus>, ticks);
        QFETCH(QString, expected);
        MemoFileWatch watch;
        watch.memoRead(read);
        QList<bool> done;
        for (const FileStatus &s : ticks)
            done.append(watch.checkMemo(s));
        QCOMPARE(actions(done), expected);
    }

    void editorListTicks_data()
    {
        QTest::addColumn<QList<FileStatus>>("ticks");
        QTest::addColumn<QString>("expected");

        QTest::newRow("first sighting loads") << QList<FileStatus>{at(100), at(100)} << "R.";
        QTest::newRow("changed") << QList<FileStatus>{at(100), at(100, 1)} << "RR";
        QTest::newRow("missing") << QList<FileStatus>{gone(), gone()} << "..";
        QTest::newRow("deleted and back") << QList<FileStatus>{at(100), gone(), at(100)} << "R.R";
    }

    void editorListTicks()
    {
        QFETCH(QList<FileStatus>, ticks);
        QFETCH(QString, expected);
        MemoFileWatch watch;
        QList<bool> done;
        for (const FileStatus &s : ticks)
            done.append(watch.checkEditorList(s));
        QCOMPARE(actions(done), expected);
        QVERIFY(watch.memoStamp().isNothing());
    }

    void editorListPath_data()
    {
        QTest::addColumn<QString>("editor");
        QTest::addColumn<QString>("expected");
        QTest::newRow("posix") << "/opt/vellum/vellum" << "/opt/vellum/Recent.ini";
        QTest::newRow("folder with spaces") << "/home/a b/ed it" << "/home/a b/Recent.ini";
        QTest::newRow("windows-style") << "C:\\Program Files\\Vellum\\VELLUM.exe" << "C:\\Program Files\\Vellum\\Recent.ini";
        QTest::newRow("no editor: nothing to look for") << "" << "";
    }

    void editorListPath()
    {
        QFETCH(QString, editor);
        QFETCH(QString, expected);
        QCOMPARE(MemoFileWatch::EditorListPath(editor), expected);
    }

    void queryReadsNanoseconds()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("card file.vlw"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("x");
        f.close();
        const struct timespec times[2] = {{1000, 111}, {1700000000, 123456789}};
        QVERIFY(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0);
        const FileStatus s = QueryFileStatus(path);
        QVERIFY(s.exists);
        QCOMPARE(s.sec, qint64(1700000000));
        QCOMPARE(s.nsec, qint64(123456789));

        // A rewrite within the same second is seen.
        const struct timespec later[2] = {{1000, 111}, {1700000000, 123456790}};
        QVERIFY(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), later, 0) == 0);
        MemoFileWatch watch;
        QVERIFY(!watch.checkMemo(s));
        QVERIFY(watch.checkMemo(QueryFileStatus(path)));
    }

    void queryTreatsNonFilesAsMissing()
    {
        QTemporaryDir dir;
        QVERIFY(!QueryFileStatus(dir.path()).exists);
        QVERIFY(!QueryFileStatus(dir.filePath(QStringLiteral("none.vlw"))).exists);
        QVERIFY(!QueryFileStatus(QString()).exists);
        // A link to a file is the file.
        const QString target = dir.filePath(QStringLiteral("t.vlw"));
        QFile f(target);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QVERIFY(QFile::link(target, dir.filePath(QStringLiteral("l.vlw"))));
        QVERIFY(QueryFileStatus(dir.filePath(QStringLiteral("l.vlw"))).exists);
    }
};

QTEST_MAIN(TestMemoFileWatch)
#include "tst_memofilewatch.moc"
