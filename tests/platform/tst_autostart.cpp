#include "platform/Autostart.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestAutostart : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void execQuoting_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("exec");
        QTest::newRow("plain") << "/usr/bin/Quillbox" << "/usr/bin/Quillbox";
        QTest::newRow("space") << "/opt/my apps/Quillbox" << "\"/opt/my apps/Quillbox\"";
        QTest::newRow("dollar and quote") << "/a$b\"c" << "\"/a\\\\$b\\\\\"c\"";
        QTest::newRow("backslash") << "/a\\b" << "\"/a\\\\\\\\b\"";
        QTest::newRow("percent") << "/a%b" << "/a%%b";
        QTest::newRow("japanese") << "/home/u/ツール/Quillbox" << "/home/u/ツール/Quillbox";
    }
    void execQuoting()
    {
        QFETCH(QString, argument);
        QFETCH(QString, exec);
        QCOMPARE(Autostart::quoteExecArgument(argument), exec);
    }

    void onAndOff()
    {
        QTemporaryDir tmp;
        QVERIFY(tmp.isValid());
        const Autostart entry(tmp.path(), QStringLiteral("org.example.App"));
        QString error;
        QVERIFY(!entry.isEnabled());
        QVERIFY(entry.disable(&error)); // nothing to remove is no failure
        QVERIFY2(entry.enable(QStringLiteral("/opt/my apps/App"), QStringLiteral("App"), QStringLiteral("app"), &error),
                 qPrintable(error));
        QCOMPARE(entry.entryPath(), tmp.filePath(QStringLiteral("autostart/org.example.App.desktop")));
        QVERIFY(entry.isEnabled());
        QFile f(entry.entryPath());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.readAll().contains("\nExec=\"/opt/my apps/App\"\n"));
        QVERIFY(entry.disable(&error));
        QVERIFY(!entry.isEnabled());
    }
};

QTEST_GUILESS_MAIN(TestAutostart)
#include "tst_autostart.moc"
