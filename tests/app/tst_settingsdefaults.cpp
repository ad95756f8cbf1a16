#include "app/SettingsDefaults.h"
#include "settings/iniMente.h"

#include <QTest>

class TestSettingsDefaults : public QObject
{
    Q_OBJECT

    static QStringList keysOf(const iniMente &ini)
    {
        QStringList keys;
        for (const QString &line : ini.iniSavertoVariable().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
            keys.append(line.section(QStringLiteral(" = "), 0, 0));
        return keys;
    }

private Q_SLOTS:
    void newDocumentGetsEveryDefaultInOrder()
    {
        iniMente ini;
        WriteDefaults(ini, QStringLiteral("3.1.0"), QStringLiteral("/opt/q/QuillboxData.vlw"));
        const QStringList keys = keysOf(ini);

        QStringList expected = {QStringLiteral("iniVer"), QStringLiteral("TXTFile"), QStringLiteral("PreviewCloseTime"),
                                QStringLiteral("AlwayonTop")};
        for (const HotKeyDefault &key : HotKeyDefaults())
            expected << key.name << key.name + QStringLiteral("KeyCode") << key.name + QStringLiteral("KeyMask");
        for (int i = 1; i <= 3; ++i)
            expected << QStringLiteral("WebSearchURL%1").arg(i);
        for (int i = 1; i <= 19; ++i)
            expected << QStringLiteral("DicName%1").arg(i);
        for (int i = 1; i <= 19; ++i)
            expected << QStringLiteral("DicURL%1").arg(i);
        expected << QStringLiteral("TVProgramTableURL") << QStringLiteral("TerminalWindowClasses")
                 << QStringLiteral("TerminalPasteKeys");
        QCOMPARE(keys, expected);
        QCOMPARE(keys.count(QStringLiteral("PopUp")), 1);
        QCOMPARE(expected.size(), 4 + 27 + 3 + 38 + 1 + 2);

        QCOMPARE(ini.GetiniValue(QStringLiteral("txtfile")), QStringLiteral("/opt/q/QuillboxData.vlw"));
        QCOMPARE(ini.GetiniValue(QStringLiteral("PreviewCloseTime")), QStringLiteral("3000"));
        QCOMPARE(ini.GetiniValue(QStringLiteral("PopUpDicKeyMask")), QStringLiteral("8"));
        QCOMPARE(ini.GetiniValue(QStringLiteral("PopUpExtAppKeyCode")), QStringLiteral("145"));
        QCOMPARE(ini.GetiniValue(QStringLiteral("DicName10")), QStringLiteral("A ニュース検索(読売新聞)"));
        QVERIFY(ini.GetiniValue(QStringLiteral("DicURL1")).startsWith(QStringLiteral("http://")));
        QVERIFY(ini.GetiniValue(QStringLiteral("DicURL1")).endsWith(QStringLiteral("/cgi-bin/dict_search.cgi?sw=0&MT=")));
        QVERIFY(ini.GetiniValue(QStringLiteral("TVProgramTableURL"))
                    .endsWith(QStringLiteral("/tvguide/vhf/tokyo/table/realtime.html")));
    }

    void userValuesSurvive_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("stored"); // empty: the key is written empty
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty mask gets default") << "PopUpDicKeyMask" << "" << "8";
        QTest::newRow("user mask kept") << "PopUpDicKeyMask" << "2" << "2";
        QTest::newRow("disabled hot key kept") << "PopUpClock" << "0" << "0";
        QTest::newRow("preview time kept") << "previewclosetime" << "50" << "50";
        QTest::newRow("version always overwritten") << "iniVer" << "1.0.0" << "3.1.0";
        QTest::newRow("terminal keys get default") << "TerminalPasteKeys" << "" << "shift+Insert";
        QTest::newRow("user's terminal keys kept") << "terminalpastekeys" << "ctrl+shift+v" << "ctrl+shift+v";
    }
    void userValuesSurvive()
    {
        QFETCH(QString, key);
        QFETCH(QString, stored);
        QFETCH(QString, expected);
        iniMente ini;
        ini.SetiniValue(key, stored);
        WriteDefaults(ini, QStringLiteral("3.1.0"), QStringLiteral("/x/QuillboxData.vlw"));
        QCOMPARE(ini.GetiniValue(key), expected);
    }

    void existingListsAreTheUsers()
    {
        iniMente ini;
        ini.SetiniValue(QStringLiteral("WebSearchURL"), QStringLiteral("http://old/"));
        ini.SetiniValue(QStringLiteral("WebSearchURL1"), QStringLiteral("http://mine/?q="));
        ini.SetiniValue(QStringLiteral("DicName1"), QStringLiteral("1 mine"));
        WriteDefaults(ini, QStringLiteral("3.1.0"), QStringLiteral("/x/QuillboxData.vlw"));

        const QStringList keys = keysOf(ini);
        QVERIFY(!keys.contains(QStringLiteral("WebSearchURL")));
        QVERIFY(!keys.contains(QStringLiteral("WebSearchURL3")));
        QVERIFY(!keys.contains(QStringLiteral("DicName2")));
        QVERIFY(!keys.contains(QStringLiteral("DicURL1")));
        QVERIFY(keys.contains(QStringLiteral("TVProgramTableURL")));
        QCOMPARE(ini.GetiniValue(QStringLiteral("WebSearchURL1")), QStringLiteral("http://mine/?q="));
    }
};

QTEST_MAIN(TestSettingsDefaults)
#include "tst_settingsdefaults.moc"
