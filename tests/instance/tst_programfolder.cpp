#include "platform/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestProgramFolder : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void folders_data();
    void folders();
    void linkedBinDirCountsAsInstalled();
    void configHome_data();
    void configHome();
    void ensureUserFolderCreatesIt();
    void anyPrefixSeedsSampleOnce_data();
    void anyPrefixSeedsSampleOnce();
};

void TestProgramFolder::folders_data()
{
    QTest::addColumn<QString>("exeDir");
    QTest::addColumn<QString>("binDir");
    QTest::addColumn<QString>("dataDir");
    QTest::addColumn<bool>("installed");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("shared");

    const QString cfg = QStringLiteral("/home/u/.config/Quillbox");
    QTest::newRow("installed") << "/usr/local/bin" << "/usr/local/bin" << "/usr/local/share" << true
                               << cfg << "/usr/local/share/quillbox";
    QTest::newRow("installed, no datadir") << "/opt/qb/bin" << "/opt/qb/bin" << "" << true
                                           << cfg << "/opt/qb/share/quillbox";
    QTest::newRow("trailing slash and dots") << "/usr/local/bin/" << "/usr/local/lib/../bin" << "" << true
                                             << cfg << "/usr/local/share/quillbox";
    QTest::newRow("build tree") << "/work/build/src/app" << "/usr/local/bin" << "/usr/local/share" << false
                                << "/work/build/src/app" << "/work/build/src/app";
    QTest::newRow("below bindir is not bindir") << "/usr/local/bin/sub" << "/usr/local/bin" << "" << false
                                                << "/usr/local/bin/sub" << "/usr/local/bin/sub";
    QTest::newRow("prefix of bindir is not bindir") << "/usr/local" << "/usr/local/bin" << "" << false
                                                    << "/usr/local" << "/usr/local";
    QTest::newRow("no install dir known") << "/usr/local/bin" << "" << "" << false
                                          << "/usr/local/bin" << "/usr/local/bin";
    QTest::newRow("relative bindir never matches") << "bin" << "bin" << "" << false << "bin" << "bin";
    QTest::newRow("case counts") << "/usr/Local/bin" << "/usr/local/bin" << "" << false
                                 << "/usr/Local/bin" << "/usr/Local/bin";
}

void TestProgramFolder::folders()
{
    QFETCH(QString, exeDir);
    QFETCH(QString, binDir);
    QFETCH(QString, dataDir);
    QFETCH(bool, installed);
    QFETCH(QString, user);
    QFETCH(QString, shared);

    const ProgramFolder folder(exeDir, binDir, dataDir, QStringLiteral("/home/u/.config"));
    QCOMPARE(folder.isInstalled(), installed);
    QCOMPARE(folder.userFolder(), user);
    QCOMPARE(folder.sharedFolder(), shared);
}

void TestProgramFolder::linkedBinDirCountsAsInstalled()
{
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    QVERIFY(QDir(tmp.path()).mkpath(QStringLiteral("real/bin")));
    QVERIFY(QFile::link(tmp.filePath(QStringLiteral("real/bin")), tmp.filePath(QStringLiteral("bin"))));

    // The executable's folder comes resolved from /proc/self/exe; the install dir may be a link.
    const ProgramFolder folder(tmp.filePath(QStringLiteral("real/bin")), tmp.filePath(QStringLiteral("bin")),
                               QString(), QStringLiteral("/cfg"));
    QVERIFY(folder.isInstalled());
    QCOMPARE(folder.userFolder(), QStringLiteral("/cfg/Quillbox"));
}

void TestProgramFolder::configHome_data()
{
    QTest::addColumn<QString>("xdg");
    QTest::addColumn<QString>("home");
    QTest::addColumn<QString>("expected");
    QTest::newRow("set") << "/data/cfg" << "/home/u" << "/data/cfg";
    QTest::newRow("set with slash") << "/data/cfg/" << "/home/u" << "/data/cfg";
    QTest::newRow("unset") << "" << "/home/u" << "/home/u/.config";
    QTest::newRow("relative is ignored") << "cfg" << "/home/u" << "/home/u/.config";
}

void TestProgramFolder::configHome()
{
    QFETCH(QString, xdg);
    QFETCH(QString, home);
    QFETCH(QString, expected);
    QCOMPARE(ProgramFolder::configHomeFrom(xdg, home), expected);
}

void TestProgramFolder::ensureUserFolderCreatesIt()
{
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const ProgramFolder folder(QStringLiteral("/usr/bin"), QStringLiteral("/usr/bin"), QString(),
                               tmp.filePath(QStringLiteral("deep/config")));
    QVERIFY(!QFileInfo::exists(folder.userFolder()));
    QVERIFY(folder.ensureUserFolder());
    QVERIFY(QFileInfo(folder.userFolder()).isDir());
}

void TestProgramFolder::anyPrefixSeedsSampleOnce_data()
{
    QTest::addColumn<QString>("exeDir"); // below the temporary prefix
    QTest::addColumn<bool>("settingsExist");
    QTest::addColumn<bool>("cardFileExists");
    QTest::addColumn<bool>("seeded");
    QTest::newRow("first start") << "bin" << false << false << true;
    QTest::newRow("settings exist") << "bin" << true << false << false;
    QTest::newRow("card file exists") << "bin" << false << true << false;
    QTest::newRow("portable copy") << "portable/app" << false << false << false;
}

void TestProgramFolder::anyPrefixSeedsSampleOnce()
{
    QFETCH(QString, exeDir);
    QFETCH(bool, settingsExist);
    QFETCH(bool, cardFileExists);
    QFETCH(bool, seeded);
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const QDir prefix(tmp.path());
    QVERIFY(prefix.mkpath(QStringLiteral("share/quillbox")) && prefix.mkpath(exeDir) && prefix.mkpath(QStringLiteral("cfg/Quillbox")));
    QFile sample(prefix.filePath(QStringLiteral("share/quillbox/sample.vlw")));
    QVERIFY(sample.open(QIODevice::WriteOnly) && sample.write("sample") == 6);
    sample.close();
    const QString user = prefix.filePath(QStringLiteral("cfg/Quillbox/"));
    if (settingsExist)
        QVERIFY(QFile(prefix.filePath(QStringLiteral("share/quillbox/sample.vlw"))).copy(user + QStringLiteral("Quillbox.ini")));
    QFile own(user + QStringLiteral("QuillboxData.vlw"));
    if (cardFileExists) {
        QVERIFY(own.open(QIODevice::WriteOnly) && own.write("own") == 3);
        own.close();
    }

    // Compiled for another prefix: only share/quillbox beside bin/ tells it is installed.
    const ProgramFolder folder(prefix.filePath(exeDir), QStringLiteral("/usr/local/bin"), QString(),
                               prefix.filePath(QStringLiteral("cfg")));
    QCOMPARE(folder.isInstalled(), exeDir == QStringLiteral("bin"));
    QCOMPARE(folder.seedSampleCardFile(QStringLiteral("Quillbox")), seeded);
    QCOMPARE(own.exists(), seeded || cardFileExists);
    if (own.exists()) {
        QVERIFY(own.open(QIODevice::ReadOnly));
        QCOMPARE(own.readAll(), QByteArray(seeded ? "sample" : "own"));
        own.close();
    }
    // Once seeded, a second start leaves the card file alone.
    QVERIFY(!folder.seedSampleCardFile(QStringLiteral("Quillbox")));
}

QTEST_GUILESS_MAIN(TestProgramFolder)
#include "tst_programfolder.moc"
