// The recent-file lists: moving and adding entries, the path rule and the menu captions.
#include "app/RecentFiles.h"
#include "settings/iniMente.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

iniMente listOf(const QStringList &paths)
{
    iniMente list;
    for (int i = 0; i < paths.size(); ++i)
        list.SetiniValue(RecentFiles::EntryKey(i), paths[i]);
    return list;
}

QStringList numbered(const QString &pattern, int count)
{
    QStringList out;
    for (int i = 0; i < count; ++i)
        out << pattern.arg(i);
    return out;
}

} // namespace

class TestRecentFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void addPath_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QString>("added");
        QTest::addColumn<QStringList>("after");

        QTest::newRow("empty list") << QStringList{} << "/a.vlw" << QStringList{"/a.vlw"};
        QTest::newRow("new path on top") << QStringList{"/a", "/b"} << "/c" << QStringList{"/c", "/a", "/b"};
        QTest::newRow("already first") << QStringList{"/a", "/b"} << "/a" << QStringList{"/a", "/b"};
        QTest::newRow("fourth moves up")
            << QStringList{"/1", "/2", "/3", "/4", "/5"} << "/4" << QStringList{"/4", "/1", "/2", "/3", "/5"};
        QTest::newRow("windows path differing in case moves up")
            << QStringList{"C:\\m\\1.vlw", "C:\\m\\2.vlw", "C:\\m\\3.vlw", "C:\\Memo\\Four.vlw", "C:\\m\\5.vlw"}
            << "c:\\MEMO\\four.VLW"
            << QStringList{"c:\\MEMO\\four.VLW", "C:\\m\\1.vlw", "C:\\m\\2.vlw", "C:\\m\\3.vlw", "C:\\m\\5.vlw"};
        QTest::newRow("unc path differing in case")
            << QStringList{"/x", "\\\\Server\\Share\\a.vlw"} << "\\\\SERVER\\share\\A.vlw"
            << QStringList{"\\\\SERVER\\share\\A.vlw", "/x"};
        QTest::newRow("posix paths differing in case are two files")
            << QStringList{"/home/u/Memo.vlw", "/x"} << "/home/u/memo.vlw"
            << QStringList{"/home/u/memo.vlw", "/home/u/Memo.vlw", "/x"};
        QTest::newRow("eleventh drops the oldest")
            << numbered(QStringLiteral("/f%1"), 10) << "/new"
            << (QStringList{"/new"} + numbered(QStringLiteral("/f%1"), 9));
        QTest::newRow("tenth found moves without loss")
            << numbered(QStringLiteral("/f%1"), 10) << "/f9"
            << (QStringList{"/f9"} + numbered(QStringLiteral("/f%1"), 9));
    }

    void addPath()
    {
        QFETCH(QStringList, before);
        QFETCH(QString, added);
        QFETCH(QStringList, after);
        iniMente list = listOf(before);
        RecentFiles::AddPath(list, added);
        QCOMPARE(RecentFiles::Entries(list, 26), after);
        // Never more than ten entries, and no blank keys written for the empty tail.
        QVERIFY(list.GetiniValue(RecentFiles::EntryKey(10)).isEmpty());
        QCOMPARE(list.count(), std::max<int>(before.size(), after.size()));
    }

    void listSurvivesSaveAndLoad()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("RecentVLW.ini"));
        iniMente list;
        list.iniLoader(file);
        for (int i = 0; i < 12; ++i) {
            RecentFiles::AddPath(list, QStringLiteral("/memo/%1 カード.vlw").arg(i));
            QVERIFY(list.iniSaverSameFilename());
            iniMente reread;
            QVERIFY(reread.iniLoader(file));
            list = reread;
        }
        const QStringList entries = RecentFiles::Entries(list, 26);
        QCOMPARE(entries.size(), 10);
        QCOMPARE(entries.first(), QStringLiteral("/memo/11 カード.vlw"));
        QCOMPARE(entries.last(), QStringLiteral("/memo/2 カード.vlw"));
    }

    void entriesStopAtGapAndLimit_data()
    {
        QTest::addColumn<QStringList>("paths");
        QTest::addColumn<int>("limit");
        QTest::addColumn<int>("expected");
        QTest::newRow("editor list of 30 shows 26") << numbered(QStringLiteral("/e%1"), 30) << 26 << 26;
        QTest::newRow("own list menu of 10") << numbered(QStringLiteral("/e%1"), 30) << 10 << 10;
        QTest::newRow("gap ends the list") << QStringList{"/a", "", "/c"} << 26 << 1;
        QTest::newRow("empty") << QStringList{} << 26 << 0;
    }

    void entriesStopAtGapAndLimit()
    {
        QFETCH(QStringList, paths);
        QFETCH(int, limit);
        QFETCH(int, expected);
        const QStringList got = RecentFiles::Entries(listOf(paths), limit);
        QCOMPARE(got.size(), expected);
        QCOMPARE(got, paths.mid(0, expected));
    }

    void caption_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("plain");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain short") << 0 << "/m/a.vlw" << true << "a.vlw\t/m/a.vlw";
        QTest::newRow("access key A") << 0 << "/m/a.vlw" << false << "&A a.vlw\t/m/a.vlw";
        QTest::newRow("access key Z") << 25 << "/m/z.vlw" << false << "&Z z.vlw\t/m/z.vlw";
        QTest::newRow("exactly 30 kept") << 1 << "/123456789/123456789/12345.vlw" << true
                                         << "12345.vlw\t/123456789/123456789/12345.vlw";
        QTest::newRow("31 cut to 30 and ...") << 1 << "/123456789/123456789/123456.vlw" << false
                                              << "&B 123456.vlw\t/123456789/123456789/123456.vl...";
        QTest::newRow("windows path") << 2 << "C:\\Memo\\仕事.vlw" << false << "&C 仕事.vlw\tC:\\Memo\\仕事.vlw";
    }

    void caption()
    {
        QFETCH(int, index);
        QFETCH(QString, path);
        QFETCH(bool, plain);
        QFETCH(QString, expected);
        QCOMPARE(RecentFiles::Caption(index, path, plain), expected);
    }

    void samePath_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("same");
        QTest::newRow("drive letters") << "C:\\A.vlw" << "c:\\a.VLW" << true;
        QTest::newRow("posix case") << "/A.vlw" << "/a.vlw" << false;
        QTest::newRow("posix equal") << "/a b/$x\".vlw" << "/a b/$x\".vlw" << true;
        QTest::newRow("different windows") << "C:\\a.vlw" << "D:\\a.vlw" << false;
    }

    void samePath()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, same);
        QCOMPARE(RecentFiles::SamePath(a, b), same);
        QCOMPARE(RecentFiles::SamePath(b, a), same);
    }
};

QTEST_MAIN(TestRecentFiles)
#include "tst_recentfiles.moc"
