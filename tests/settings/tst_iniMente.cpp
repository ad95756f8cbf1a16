#include "settings/iniMente.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace {

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

const QByteArray bom("\xEF\xBB\xBF");

} // namespace

class TestIniMente : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir tmp;
    QString path(const QString &name) const { return tmp.filePath(name); }

    // Loads bytes from a file and returns what saving to a second file writes.
    QByteArray roundTrip(const QByteArray &input)
    {
        writeBytes(path("in.ini"), input);
        iniMente doc;
        if (!doc.iniLoader(path("in.ini")))
            return "<load failed>";
        if (!doc.iniSaver(path("out.ini")))
            return "<save failed>";
        return readBytes(path("out.ini"));
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(tmp.isValid()); }

    void loadSave_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("saved");
        QTest::addRow("five lines") << QByteArray("[General]\r\nA = 1\r\n\r\n; note\r\nB=2\r\n")
                                    << QByteArray("[General]\r\nA = 1\r\n\r\n; note\r\nB = 2\r\n");
        QTest::addRow("gains group line") << QByteArray("A=1\r\n") << QByteArray("[General]\r\nA = 1\r\n");
        QTest::addRow("group line moves to top")
            << QByteArray("; top\r\n[General]\r\nA=1\r\n[General]\r\n")
            << QByteArray("[General]\r\n; top\r\nA = 1\r\n");
        QTest::addRow("other group lines stay")
            << QByteArray("[General]\r\n[general]\r\nA=1\r\n[Other]\r\nB=2\r\n")
            << QByteArray("[General]\r\n[general]\r\nA = 1\r\n[Other]\r\nB = 2\r\n");
        QTest::addRow("spaces around") << QByteArray("  Name   =   Value\r\n")
                                       << QByteArray("[General]\r\nName = Value\r\n");
        QTest::addRow("second equals") << QByteArray("Name = a = b\r\n")
                                       << QByteArray("[General]\r\nName = a = b\r\n");
        QTest::addRow("comment leaders") << QByteArray(";a=1\r\n#b=2\r\n/c=3\r\n[d=4\r\nno equals\r\n")
                                         << QByteArray("[General]\r\n;a=1\r\n#b=2\r\n/c=3\r\n[d=4\r\nno equals\r\n");
        QTest::addRow("tabs are not trimmed") << QByteArray("\tK\t=\tv\r\n")
                                              << QByteArray("[General]\r\n\tK\t = \tv\r\n");
        QTest::addRow("trailing spaces kept") << QByteArray("K=v  \r\n") << QByteArray("[General]\r\nK = v  \r\n");
        QTest::addRow("only spaces after equals") << QByteArray("K=   \r\n") << QByteArray("[General]\r\nK = \r\n");
        QTest::addRow("empty key") << QByteArray("=v\r\n") << QByteArray("[General]\r\n = v\r\n");
        QTest::addRow("lf only") << QByteArray("A=1\nB=2\n") << QByteArray("[General]\r\nA = 1\r\nB = 2\r\n");
        QTest::addRow("cr only") << QByteArray("A=1\rB=2\r") << QByteArray("[General]\r\nA = 1\r\nB = 2\r\n");
        QTest::addRow("mixed line ends") << QByteArray("A=1\r\n\nB=2\r\r\nC")
                                         << QByteArray("[General]\r\nA = 1\r\n\r\nB = 2\r\n\r\nC\r\n");
        QTest::addRow("blank lines") << QByteArray("\r\n\r\nA=1\r\n\r\n")
                                     << QByteArray("[General]\r\n\r\n\r\nA = 1\r\n\r\n");
        QTest::addRow("duplicates kept") << QByteArray("A=1\r\na=2\r\n") << QByteArray("[General]\r\nA = 1\r\na = 2\r\n");
        QTest::addRow("value [General] dropped") << QByteArray("K=[General]\r\nL=x\r\n")
                                                 << QByteArray("[General]\r\nL = x\r\n");
        QTest::addRow("deleted marker dropped") << QByteArray("K=*DEL*\r\nL=x\r\n")
                                                << QByteArray("[General]\r\nL = x\r\n");
        QTest::addRow("nul bytes") << QByteArray("A=x\0y\r\n\0\r\n", 10)
                                   << QByteArray("[General]\r\nA = x\0y\r\n\0\r\n", 23);
        QTest::addRow("code page 932") << QByteArray("\x96\xbc\x91\x4f=\x92\x6c\x83\x41\r\n")
                                       << QByteArray("[General]\r\n\x96\xbc\x91\x4f = \x92\x6c\x83\x41\r\n");
        QTest::addRow("invalid lead byte") << QByteArray("A=\x82\r\nB=1\r\n")
                                           << QByteArray("[General]\r\nA = ?\r\nB = 1\r\n");
        QTest::addRow("bom, code page 932 text") << bom + "A=\xE5\x90\x8D\n"
                                                 << QByteArray("[General]\r\nA = \x96\xbc\r\n");
        QTest::addRow("bom, accent stays utf-8") << bom + "P=/home/\xC3\xA9\n"
                                                 << bom + "[General]\r\nP = /home/\xC3\xA9\r\n";
        QTest::addRow("bom, invalid utf-8") << bom + "A=\xFF\r\n" << QByteArray("[General]\r\nA = ?\r\n");
    }

    void loadSave()
    {
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, saved);
        QCOMPARE(roundTrip(input), saved);
    }

    void parsedKeysAndValues_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addRow("plain") << QByteArray("Name=Value") << "Name" << "Value";
        QTest::addRow("spaced") << QByteArray("  Name   =   Value") << "Name" << "Value";
        QTest::addRow("two equals") << QByteArray("Name = a = b") << "Name" << "a = b";
        QTest::addRow("trailing spaces") << QByteArray("Name = v  ") << "Name" << "v  ";
        QTest::addRow("inner spaces") << QByteArray("Long Name = a b") << "long name" << "a b";
        QTest::addRow("lf ends") << QByteArray("X=1\nName=v\n") << "name" << "v";
    }

    void parsedKeysAndValues()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, key);
        QFETCH(QString, value);
        writeBytes(path("p.ini"), line);
        iniMente doc;
        QVERIFY(doc.iniLoader(path("p.ini")));
        QCOMPARE(doc.GetiniValue(key), value);
    }

    void longLinesLoad()
    {
        const QByteArray longKey(40000, 'k');
        const QByteArray longValue(100000, 'v');
        writeBytes(path("long.ini"), longKey + "=1\r\nV=" + longValue + "\r\nAfter=yes\r\n");
        iniMente doc;
        QVERIFY(doc.iniLoader(path("long.ini")));
        QCOMPARE(doc.GetiniValue(QString::fromLatin1(longKey)), QStringLiteral("1"));
        QCOMPARE(doc.GetiniValue("V").size(), longValue.size());
        QCOMPARE(doc.GetiniValue("After"), QStringLiteral("yes"));
    }

    void lookupIgnoresCaseAndKeepsStoredKey()
    {
        writeBytes(path("c.ini"), "A=1\r\na=2\r\nB=3\r\n");
        iniMente doc;
        QVERIFY(doc.iniLoader(path("c.ini")));
        QCOMPARE(doc.GetiniValue("a"), QStringLiteral("1")); // first match wins
        QVERIFY(doc.SetiniValue("a", QStringLiteral("9")));
        QCOMPARE(doc.GetiniValue("A"), QStringLiteral("9"));
        QCOMPARE(doc.count(), 3);
        QCOMPARE(doc.iniSavertoVariable(), QStringLiteral("A = 9\r\na = 2\r\nB = 3\r\n"));
    }

    void nonAsciiKeysIgnoreCase()
    {
        iniMente doc;
        doc.SetiniValue(QStringLiteral("Übung"), QStringLiteral("1"));
        QCOMPARE(doc.GetiniValue(QStringLiteral("üBUNG")), QStringLiteral("1"));
    }

    void defaults()
    {
        iniMente doc;
        QCOMPARE(doc.GetiniValue("Missing"), QString());
        QCOMPARE(doc.count(), 0);
        QCOMPARE(doc.GetiniValue("Five", QStringLiteral("5")), QStringLiteral("5"));
        QCOMPARE(doc.GetiniValue("Empty", QString()), QString());
        QCOMPARE(doc.GetiniValue("Number", qint64(-12)), QStringLiteral("-12"));
        QCOMPARE(doc.GetiniValue("Truth", true), QStringLiteral("True"));
        QCOMPARE(doc.GetiniValue("Literal", "text"), QStringLiteral("text"));
        QCOMPARE(doc.GetiniValue("IntLiteral", 7), QStringLiteral("7"));
        // an existing key ignores the default
        QCOMPARE(doc.GetiniValue("five", QStringLiteral("6")), QStringLiteral("5"));
        QCOMPARE(doc.iniSavertoVariable(),
                 QStringLiteral("Five = 5\r\nEmpty = \r\nNumber = -12\r\nTruth = True\r\n"
                                "Literal = text\r\nIntLiteral = 7\r\n"));
    }

    void typedValues()
    {
        iniMente doc;
        doc.SetiniValue("S", "abc"); // must not become a truth value
        doc.SetiniValue("N", 42);
        doc.SetiniValue("L", qint64(1) << 40);
        doc.SetiniValue("T", true);
        doc.SetiniValue("F", false);
        QCOMPARE(doc.GetiniValue("S"), QStringLiteral("abc"));
        QCOMPARE(doc.GetiniValue("N"), QStringLiteral("42"));
        QCOMPARE(doc.GetiniValue("L"), QStringLiteral("1099511627776"));
        QCOMPARE(doc.GetiniValue("T"), QStringLiteral("True"));
        QCOMPARE(doc.GetiniValue("F"), QStringLiteral("False"));
    }

    void readers_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("truth"); // -1: no truth value
        QTest::addColumn<bool>("isNumber");
        QTest::addColumn<qint64>("number");
        QTest::newRow("True") << "True" << 1 << false << qint64(0);
        QTest::newRow("false any case") << "fALSE" << 0 << false << qint64(0);
        QTest::newRow("True with blank") << "True " << 1 << false << qint64(0);
        QTest::newRow("one") << "1" << 1 << true << qint64(1);
        QTest::newRow("one with trailing blank") << "1 " << 1 << true << qint64(1);
        QTest::newRow("leading zero") << "01" << 1 << true << qint64(1);
        QTest::newRow("tab around") << "\t2\t" << 1 << true << qint64(2);
        QTest::newRow("zero") << "0" << 0 << true << qint64(0);
        QTest::newRow("negative") << "-300" << 1 << true << qint64(-300);
        QTest::newRow("decimal fraction") << "0.5" << 1 << false << qint64(0);
        QTest::newRow("word") << "yes" << -1 << false << qint64(0);
        QTest::newRow("number and text") << "1x" << -1 << false << qint64(0);
        QTest::newRow("empty") << "" << -1 << false << qint64(0);
    }

    void readers()
    {
        QFETCH(QString, value);
        QFETCH(int, truth);
        QFETCH(bool, isNumber);
        QFETCH(qint64, number);
        QCOMPARE(iniMente::TruthValue(value), truth < 0 ? std::optional<bool>() : std::optional<bool>(truth == 1));
        QCOMPARE(iniMente::NumberValue(value), isNumber ? std::optional<qint64>(number) : std::optional<qint64>());

        iniMente doc;
        doc.SetiniValue("Key", value);
        // An unusable value reads as the default, whichever default it is.
        QCOMPARE(doc.GetiniBool("Key", true), truth < 0 ? true : truth == 1);
        QCOMPARE(doc.GetiniBool("Key", false), truth < 0 ? false : truth == 1);
        QCOMPARE(doc.GetiniNumber("Key", 77), isNumber ? number : 77);
        // A missing key is added with its default.
        QCOMPARE(doc.GetiniBool("Missing", true), true);
        QCOMPARE(doc.GetiniValue("Missing"), QStringLiteral("True"));
        QCOMPARE(doc.GetiniNumber("MissingNumber", 100), qint64(100));
        QCOMPARE(doc.GetiniValue("MissingNumber"), QStringLiteral("100"));
    }

    void remLinesAreAppended()
    {
        iniMente doc;
        doc.SetiniValue("*REM*", QStringLiteral("; one"));
        doc.SetiniValue("*REM*", QStringLiteral("; two"));
        doc.SetiniValue("K", QStringLiteral("v"));
        QCOMPARE(doc.iniSavertoVariable(), QStringLiteral("; one\r\n; two\r\nK = v\r\n"));
    }

    void deleteKeepsPlace()
    {
        iniMente doc;
        doc.SetiniValue("A", "1");
        doc.SetiniValue("B", "2");
        doc.SetiniValue("C", "3");
        QVERIFY(doc.DeliniValue("b"));
        QCOMPARE(doc.GetiniValue("B", QStringLiteral("dflt")), QStringLiteral("*DEL*"));
        QCOMPARE(doc.iniSavertoVariable(), QStringLiteral("A = 1\r\nC = 3\r\n"));
        doc.SetiniValue("B", "again");
        QCOMPARE(doc.iniSavertoVariable(), QStringLiteral("A = 1\r\nB = again\r\nC = 3\r\n"));
        // a key that never existed is appended already deleted
        QVERIFY(doc.DeliniValue("New"));
        QCOMPARE(doc.count(), 4);
        QCOMPARE(doc.GetiniValue("New"), QStringLiteral("*DEL*"));
        QCOMPARE(doc.iniSavertoVariable(), QStringLiteral("A = 1\r\nB = again\r\nC = 3\r\n"));
    }

    void deleteGroupStopsAtGap()
    {
        iniMente doc;
        for (const char *k : {"Dic0", "Dic1", "Dic3", "Dic10"})
            doc.SetiniValue(k, QString::fromLatin1(k).toLower());
        QVERIFY(doc.DeliniGroup("Dic"));
        QCOMPARE(doc.GetiniValue("Dic0"), QStringLiteral("*DEL*"));
        QCOMPARE(doc.GetiniValue("Dic1"), QStringLiteral("*DEL*"));
        QCOMPARE(doc.GetiniValue("Dic3"), QStringLiteral("dic3"));
        QCOMPARE(doc.GetiniValue("Dic10"), QStringLiteral("dic10"));
        // deleted members do not end a series
        doc.SetiniValue("Dic2", "x");
        QVERIFY(doc.DeliniGroup("Dic"));
        QCOMPARE(doc.GetiniValue("Dic3"), QStringLiteral("*DEL*"));
    }

    void searchInGroup_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<bool>("noCase");
        QTest::addColumn<int>("expected");
        QTest::addRow("exact first") << "/a/one" << false << 0;
        QTest::addRow("case differs, ignored") << "/A/THREE" << true << 2;
        QTest::addRow("case differs, checked") << "/A/THREE" << false << -1;
        QTest::addRow("past the gap") << "/a/five" << false << -1;
        QTest::addRow("deleted member is a value") << "*DEL*" << false << 3;
        QTest::addRow("tenth after gap-free run") << "/a/x" << false << -1;
    }

    void searchInGroup()
    {
        QFETCH(QString, item);
        QFETCH(bool, noCase);
        QFETCH(int, expected);
        iniMente doc;
        doc.SetiniValue("RecentFile0", "/a/one");
        doc.SetiniValue("RecentFile1", "/a/two");
        doc.SetiniValue("recentfile2", "/a/three");
        doc.SetiniValue("RecentFile3", "/a/four");
        doc.DeliniValue("RecentFile3");
        doc.SetiniValue("RecentFile5", "/a/five");
        QCOMPARE(int(doc.SearchinGroup("RecentFile", item, noCase)), expected);
    }

    void groupEnumeration()
    {
        writeBytes(path("g.ini"), "DicURL1=a\r\n; c\r\nX=1\r\ndicName=b\r\nDIC=c\r\nDi=no\r\n");
        iniMente doc;
        QCOMPARE(doc.GetiniGroup2(QString()), (std::pair<QString, QString>()));
        QVERIFY(doc.iniLoader(path("g.ini")));
        QCOMPARE(doc.GetiniGroup2("Dic"), std::make_pair(QStringLiteral("DicURL1"), QStringLiteral("a")));
        QCOMPARE(doc.GetiniGroup2(QString()), std::make_pair(QStringLiteral("dicName"), QStringLiteral("b")));
        QCOMPARE(doc.GetiniGroup2(QString()), std::make_pair(QStringLiteral("DIC"), QStringLiteral("c")));
        QCOMPARE(doc.GetiniGroup2(QString()), (std::pair<QString, QString>()));
        QCOMPARE(doc.GetiniGroup2(QString()), (std::pair<QString, QString>()));
        // a new prefix starts from the top again
        QCOMPARE(doc.GetiniGroup2("x"), std::make_pair(QStringLiteral("X"), QStringLiteral("1")));
        // comments are not skipped
        QCOMPARE(doc.GetiniGroup2("*rem"), std::make_pair(QStringLiteral("*REM*"), QStringLiteral("; c")));
    }

    void makeItem()
    {
        iniMente doc;
        doc.SetiniValue("Empty", "");
        doc.SetiniValue("Set", "user");
        doc.MakeiniItem("Empty", "d1");
        doc.MakeiniItem("Set", "d2");
        doc.MakeiniItem("Missing", "d3");
        QCOMPARE(doc.GetiniValue("Empty"), QStringLiteral("d1"));
        QCOMPARE(doc.GetiniValue("Set"), QStringLiteral("user"));
        QCOMPARE(doc.GetiniValue("Missing"), QStringLiteral("d3"));
        QCOMPARE(doc.count(), 3);
    }

    void textFormKeepsGroupLines()
    {
        writeBytes(path("t.ini"), "[General]\r\nA=1\r\nB=[General]\r\n");
        iniMente doc;
        QVERIFY(doc.iniLoader(path("t.ini")));
        QCOMPARE(doc.iniSavertoVariable(), QStringLiteral("[General]\r\nA = 1\r\nB = [General]\r\n"));
        QCOMPARE(iniMente().iniSavertoVariable(), QString());
    }

    void emptyDocumentLeavesFileAlone()
    {
        const QString f = path("keep.ini");
        writeBytes(f, "untouched");
        iniMente doc;
        QVERIFY(doc.iniSaver(f));
        QCOMPARE(readBytes(f), QByteArray("untouched"));
        QCOMPARE(doc.GetiniFilename(), f);
        QVERIFY(doc.iniSaver(path("never-created.ini")));
        QVERIFY(!QFileInfo::exists(path("never-created.ini")));
    }

    void emptyFileEmptiesDocument()
    {
        writeBytes(path("empty.ini"), "");
        iniMente doc;
        doc.SetiniValue("Old", "1");
        QVERIFY(doc.iniLoader(path("empty.ini")));
        QCOMPARE(doc.count(), 0);
        QCOMPARE(doc.GetiniValue("Old"), QString());
    }

    void notAFileKeepsDocument_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addRow("missing") << "does-not-exist.ini";
        QTest::addRow("folder") << "folder.ini";
        QTest::addRow("link to folder") << "folderlink.ini";
        QTest::addRow("dangling link") << "dangling.ini";
        QTest::addRow("empty name") << "";
    }

    void notAFileKeepsDocument()
    {
        QFETCH(QString, name);
        QDir(tmp.path()).mkpath("folder.ini");
        QFile::link(path("folder.ini"), path("folderlink.ini"));
        QFile::link(path("nowhere"), path("dangling.ini"));
        const QString f = name.isEmpty() ? QString() : path(name);
        iniMente doc;
        doc.SetiniValue("Old", "1");
        QVERIFY(!doc.iniLoader(f));
        QCOMPARE(doc.GetiniValue("Old"), QStringLiteral("1"));
        QCOMPARE(doc.GetiniFilename(), f);
    }

    void dotFileAndLinkLoad()
    {
        writeBytes(path(".quillbox.ini"), "A=1\r\n");
        QFile::link(path(".quillbox.ini"), path("link.ini"));
        iniMente doc;
        QVERIFY(doc.iniLoader(path(".quillbox.ini")));
        QCOMPARE(doc.GetiniValue("A"), QStringLiteral("1"));
        iniMente viaLink;
        QVERIFY(viaLink.iniLoader(path("link.ini")));
        QCOMPARE(viaLink.GetiniValue("A"), QStringLiteral("1"));
    }

    void unencodableValueSavedAsUtf8()
    {
        const QString f = path("utf8.ini");
        const QString value = QStringLiteral("/home/Jos\u00E9/\U0001F600.vlw");
        iniMente doc;
        doc.SetiniValue("MemoFile", value);
        doc.SetiniValue("Name", QStringLiteral("名前"));
        QVERIFY(doc.iniSaver(f));
        const QByteArray bytes = readBytes(f);
        QVERIFY(bytes.startsWith(bom));
        QVERIFY(!bytes.contains('?'));
        iniMente back;
        QVERIFY(back.iniLoader(f));
        QCOMPARE(back.GetiniValue("MemoFile"), value);
        QCOMPARE(back.GetiniValue("Name"), QStringLiteral("名前"));
        // once the value is gone the file goes back to code page 932
        back.SetiniValue("MemoFile", "/plain");
        QVERIFY(back.iniSaverSameFilename());
        QCOMPARE(readBytes(f), QByteArray("[General]\r\nMemoFile = /plain\r\nName = \x96\xbc\x91\x4f\r\n"));
    }

    // Code page 932 would give the path's wave dash back as a full-width tilde.
    void pathWithWaveDashKeepsItsCharacter()
    {
        const QString value = QStringLiteral("/home/taro/10\u301C20.vlw");
        iniMente doc;
        doc.SetiniValue("MemoFile", value);
        QVERIFY(doc.iniSaver(path("wave.ini")));
        iniMente back;
        QVERIFY(back.iniLoader(path("wave.ini")));
        QCOMPARE(back.GetiniValue("MemoFile"), value);
    }

    void replacementCharDoesNotSwitchEncoding()
    {
        iniMente doc;
        doc.SetiniValue("A", QStringLiteral("x\uFFFDy"));
        QVERIFY(doc.iniSaver(path("fffd.ini")));
        QCOMPARE(readBytes(path("fffd.ini")), QByteArray("[General]\r\nA = x?y\r\n"));
    }

    void saveKeepsModeAndLink()
    {
        const QString target = path("real.ini");
        const QString link = path("linked.ini");
        writeBytes(target, "A=old\r\n");
        QVERIFY(QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        QVERIFY(QFile::link(target, link));
        iniMente doc;
        QVERIFY(doc.iniLoader(link));
        doc.SetiniValue("A", "new");
        QVERIFY(doc.iniSaverSameFilename());
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(readBytes(target), QByteArray("[General]\r\nA = new\r\n"));
        QCOMPARE(QFile::permissions(target) & 0x7077,
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    }

    void failedWriteKeepsOldFile()
    {
        QTemporaryDir dir;
        const QString f = dir.filePath("s.ini");
        const QByteArray old("[General]\r\nA = old\r\n");
        writeBytes(f, old);
        iniMente doc;
        doc.SetiniValue("A", QString(200000, u'x'));
        // A file size limit makes the write fail half-way, as a full disk would.
        struct rlimit saved;
        QVERIFY(getrlimit(RLIMIT_FSIZE, &saved) == 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = saved;
        small.rlim_cur = 4096;
        QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
        const bool ok = doc.iniSaver(f);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
        QVERIFY(!ok);
        QCOMPARE(readBytes(f), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"s.ini"});
    }

    void saveToFolderFails()
    {
        QDir(tmp.path()).mkpath("adir");
        iniMente doc;
        doc.SetiniValue("A", "1");
        QVERIFY(!doc.iniSaver(path("adir")));
        QVERIFY(QFileInfo(path("adir")).isDir());
    }

    void randomBytesRoundTrip_data()
    {
        QTest::addColumn<quint32>("seed");
        QTest::addColumn<bool>("withBom");
        for (quint32 s = 1; s <= 12; ++s)
            QTest::addRow("seed %u", s) << s << (s % 3 == 0);
    }

    // Any bytes load; after the first save the format is a fixed point.
    void randomBytesRoundTrip()
    {
        QFETCH(quint32, seed);
        QFETCH(bool, withBom);
        QRandomGenerator rng(seed);
        QByteArray input = withBom ? bom : QByteArray();
        static const char special[] = "\r\n=;[ #/\x81\x82\xE0\xFC\xA0\xFF";
        for (int i = 0; i < 20000; ++i) {
            const quint32 r = rng.bounded(4);
            input += r == 0 ? special[rng.bounded(int(sizeof special - 1))] : char(rng.bounded(256));
        }
        const QByteArray first = roundTrip(input);
        QVERIFY(first.startsWith("[General]\r\n") || first.startsWith(bom + "[General]\r\n"));
        const QByteArray second = roundTrip(first);
        QCOMPARE(second, first);
    }

    void hugeFileLoads()
    {
        // 50 MB of text with long and short lines and stray bytes.
        QByteArray chunk;
        QRandomGenerator rng(7);
        for (int i = 0; i < 1 << 20; ++i)
            chunk += char(rng.bounded(256));
        QByteArray big;
        big.reserve(50 << 20);
        while (big.size() < (50 << 20))
            big += chunk;
        const QString f = path("huge.ini");
        QVERIFY(writeBytes(f, big));
        big.clear();
        iniMente doc;
        QVERIFY(doc.iniLoader(f));
        QVERIFY(doc.count() > 100000);
        QFile::remove(f);
    }

    void ordinaryUser_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("expected");
        QTest::addRow("unreadable file") << "load-unreadable" << "load=0 count=1";
        QTest::addRow("read-only folder") << "save-readonly-folder" << "save=1 bytes=ok";
    }

    // Root reads and writes everything, so these run the probe as nobody.
    void ordinaryUser()
    {
        QFETCH(QString, action);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                      | QFile::ReadOther | QFile::ExeOther));
        const QString f = dir.filePath("s.ini");
        writeBytes(f, "A=old\r\n");
        QStringList args{QStringLiteral(QB_INI_PROBE), action, f};
        QString program = args.takeFirst();
        if (geteuid() == 0) {
            if (QProcess::execute("setpriv", {"--reuid=65534", "--regid=65534", "--clear-groups", "true"}) != 0)
                QSKIP("cannot switch to an ordinary user");
            QVERIFY(::chown(QFile::encodeName(f).constData(), 65534, 65534) == 0);
            args.prepend(program);
            args = QStringList{"--reuid=65534", "--regid=65534", "--clear-groups"} + args;
            program = "setpriv";
        }
        if (action == "load-unreadable")
            QVERIFY(QFile::setPermissions(f, QFile::WriteOwner));
        QProcess p;
        p.start(program, args);
        QVERIFY(p.waitForFinished(20000));
        QCOMPARE(QString::fromLatin1(p.readAllStandardOutput()).trimmed(), expected);
        if (action == "save-readonly-folder") {
            QFile::setPermissions(f, QFile::ReadOwner | QFile::WriteOwner);
            QCOMPARE(readBytes(f), QByteArray("[General]\r\nA = new\r\n"));
        }
    }
};

QTEST_MAIN(TestIniMente)
#include "tst_iniMente.moc"
