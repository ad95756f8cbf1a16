#include "app/CommandLine.h"
#include "app/ListRules.h"

#include <QTest>

class TestListRules : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void label_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("label");
        QTest::newRow("first") << 0 << "A :挨拶";
        QTest::newRow("third") << 2 << "C :挨拶";
        QTest::newRow("26th") << 25 << "Z :挨拶";
        QTest::newRow("27th has no letter") << 26 << "挨拶";
    }
    void label()
    {
        QFETCH(int, index);
        QFETCH(QString, label);
        QCOMPARE(ListLabel(index, QStringLiteral("挨拶")), label);
    }

    void letters_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("index");
        QTest::newRow("a") << "a" << 0;
        QTest::newRow("C") << "C" << 2;
        QTest::newRow("z") << "z" << 25;
        QTest::newRow("digit") << "1" << -1;
        QTest::newRow("full-width A") << "Ａ" << -1;
        QTest::newRow("at sign") << "@" << -1;
    }
    void letters()
    {
        QFETCH(QString, key);
        QFETCH(int, index);
        QCOMPARE(LetterIndex(key[0]), index);
    }

    void leadingNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("value");
        QTest::newRow("plain") << "3000" << qint64(3000);
        QTest::newRow("spaces") << "  250 " << qint64(250);
        QTest::newRow("trailing text") << "50ms" << qint64(50);
        QTest::newRow("no number") << "abc" << qint64(0);
        QTest::newRow("empty") << "" << qint64(0);
        QTest::newRow("negative") << "-5" << qint64(-5);
        QTest::newRow("huge does not overflow") << "99999999999999999999999" << qint64(999999999999999999);
    }
    void leadingNumber()
    {
        QFETCH(QString, text);
        QFETCH(qint64, value);
        QCOMPARE(LeadingNumber(text), value);
    }

    void replace_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("result");
        QTest::newRow("every placeholder") << "Dear %1, thank you. %1" << "Tanaka" << "Dear Tanaka, thank you. Tanaka";
        QTest::newRow("digit after") << "Price: %10" << "5" << "Price: 50";
        QTest::newRow("input not searched again") << "a%1b%1" << "%1" << "a%1b%1";
        QTest::newRow("empty input removes") << "x%1y" << "" << "xy";
        QTest::newRow("full-width percent is no placeholder") << "％1" << "z" << "％1";
        QTest::newRow("line breaks kept") << "%1\r\nend" << "top" << "top\r\nend";
    }
    void replace()
    {
        QFETCH(QString, text);
        QFETCH(QString, input);
        QFETCH(QString, result);
        QCOMPARE(ReplacePlaceholder(text, input), result);
    }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("file");
        QTest::newRow("none") << QStringList() << int(CommandLine::Resident) << "";
        QTest::newRow("card file") << QStringList{"/a/memo.vlw"} << int(CommandLine::Resident) << "/a/memo.vlw";
        QTest::newRow("path with spaces")
            << QStringList{"/a/my", "memo.vlw"} << int(CommandLine::Resident) << "/a/my memo.vlw";
        QTest::newRow("version") << QStringList{"--version"} << int(CommandLine::Version) << "";
        QTest::newRow("print memo") << QStringList{"--print-memo", "x.vlw"} << int(CommandLine::PrintMemo) << "x.vlw";
        QTest::newRow("print memo needs file") << QStringList{"--print-memo"} << int(CommandLine::Usage) << "";
        QTest::newRow("history") << QStringList{"--print-history"} << int(CommandLine::PrintHistory) << "";
        QTest::newRow("quit") << QStringList{"--quit"} << int(CommandLine::Quit) << "";
        QTest::newRow("hot key") << QStringList{"--hotkey", "PopUpHistory"} << int(CommandLine::HotKey)
                                 << "PopUpHistory";
        QTest::newRow("unknown hot key") << QStringList{"--hotkey", "Nope"} << int(CommandLine::Usage) << "";
        QTest::newRow("unknown option") << QStringList{"--frobnicate"} << int(CommandLine::Usage) << "";
        QTest::newRow("calc with degrees") << QStringList{"--calc", "--degrees", "1"} << int(CommandLine::Calc) << "1";
        QTest::newRow("calc degrees needs an expression") << QStringList{"--calc", "--degrees"} << int(CommandLine::Usage) << "";
    }
    void commandLine()
    {
        QFETCH(QStringList, args);
        QFETCH(int, mode);
        QFETCH(QString, file);
        QList<QByteArray> bytes{"Quillbox"};
        for (const QString &a : args)
            bytes.append(a.toLocal8Bit());
        QVector<const char *> argv;
        for (const QByteArray &b : bytes)
            argv.append(b.constData());
        const CommandLine cmd = ParseCommandLine(argv.size(), argv.data());
        QCOMPARE(int(cmd.mode), mode);
        if (mode != CommandLine::Usage)
            QCOMPARE(cmd.file, file);
        else
            QVERIFY(!cmd.error.isEmpty());
    }

    void caption()
    {
        QVERIFY(MainFormCaption().startsWith(QStringLiteral("Quillbox with VLM Ver.")));
        QCOMPARE(MainFormCaption().mid(22), VersionText());
        QVERIFY(QRegularExpression(QStringLiteral("^\\d+\\.\\d+\\.\\d+$")).match(VersionText()).hasMatch());
    }
};

QTEST_MAIN(TestListRules)
#include "tst_listrules.moc"
