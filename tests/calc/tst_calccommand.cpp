// `Quillbox --calc`: the built program run without a display, a runtime folder or a lock.
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

class TestCalcCommand : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void run_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("errPattern");
        const QString quiet = QStringLiteral("^$");
        QTest::newRow("result") << QStringList{"--calc", "sqr(16)+2^10*3-(1+2)/7"} << 0 << "3075.57142857143\n" << quiet;
        QTest::newRow("pi defined") << QStringList{"--calc", "pi"} << 0 << "3.14159265358979\n" << quiet;
        QTest::newRow("radians") << QStringList{"--calc", "sin(30)"} << 0 << "-0.988031624092862\n" << quiet;
        QTest::newRow("degrees") << QStringList{"--calc", "--degrees", "sin(30)"} << 0 << "0.5\n" << quiet;
        QTest::newRow("leading minus") << QStringList{"--calc", "-2^2"} << 0 << "4\n" << quiet;
        QTest::newRow("exponent form") << QStringList{"--calc", "1/30000"} << 0 << "3.33333333333333E-05\n" << quiet;
        QTest::newRow("--degrees without an expression")
            << QStringList{"--calc", "--degrees"} << 2 << "" << "^--calc --degrees needs an expression\nusage: ";
        // As a Japanese input method types them.
        QTest::newRow("full-width digits") << QStringList{"--calc", "１２３＋４５"} << 0 << "168\n" << quiet;
        QTest::newRow("ideographic space, minus sign, times, divide")
            << QStringList{"--calc", "（１０　−　４）×３÷２"} << 0 << "9\n" << quiet;
        QTest::newRow("full-width letters") << QStringList{"--calc", "ｓｑｒ（１６）＾２"} << 0 << "16\n" << quiet;
        QTest::newRow("empty expression") << QStringList{"--calc", ""} << 1 << "" << "^0x80040006: .+\n$";
        QTest::newRow("commas kept") << QStringList{"--calc", "1,000"} << 1 << "" << "^0x80040006: .+\n$";
        QTest::newRow("division by zero") << QStringList{"--calc", "1/0"} << 1 << "" << "^0x80040011: division by zero\n$";
        QTest::newRow("unbalanced") << QStringList{"--calc", "--degrees", "(1"} << 1 << "" << "^0x80040001: .+\n$";
        QTest::newRow("no expression") << QStringList{"--calc"} << 2 << "" << "usage: ";
        QTest::newRow("two expressions") << QStringList{"--calc", "1", "2"} << 2 << "" << "(?s)usage: .*--calc";
        QTest::newRow("unknown option") << QStringList{"--calc", "--radians", "1"} << 2 << "" << "usage: ";
        QTest::newRow("degrees then two") << QStringList{"--calc", "--degrees", "1", "2"} << 2 << "" << "usage: ";
    }

    void run()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, errPattern);

        QTemporaryDir dir;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        // No display to connect to and no runtime folder for an instance lock.
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(name));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.filePath(QStringLiteral("missing")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(QUILLBOX_EXE), args);
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), exitCode);
        QCOMPARE(QString::fromUtf8(p.readAllStandardOutput()), out);
        const QString err = QString::fromUtf8(p.readAllStandardError());
        QVERIFY2(QRegularExpression(errPattern).match(err).hasMatch(), qPrintable(err));
        QVERIFY(!QDir(dir.path()).exists(QStringLiteral("config")));
    }
};

QTEST_MAIN(TestCalcCommand)
#include "tst_calccommand.moc"
