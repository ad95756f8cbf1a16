// The history rules on an in-memory store.
#include "clipboard/ClipHistory.h"
#include "clipboard/ClipSettings.h"
#include "clipboard/PrintHistory.h"
#include "platform/UserStore.h"
#include "settings/iniMente.h"

#include <QtTest>

namespace {

QString text(int n) { return QStringLiteral("text %1").arg(n); }

struct Fixture {
    iniMente ini;
    MemoryUserStore store;
    MemoGroups table;
    ClipHistory history{ini, store, table};

    Fixture() { table.resize(2); }
    QStringList stored() { return ClipHistory::StoredTexts(store); }
    void preload(const QStringList &texts)
    {
        StoreValues values;
        for (int i = 0; i < texts.size(); ++i)
            values.append({ClipHistory::HistoryKey(i), texts.at(i)});
        store.SaveSettings(ClipHistory::AppName, ClipHistory::StoreSection, values);
    }
};

} // namespace

class TestClipHistory : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void historyKey_data();
    void historyKey();
    void addressTest_data();
    void addressTest();
    void itemName_data();
    void itemName();
    void recordSequence_data();
    void recordSequence();
    void emptyHistoryGroups();
    void defaultCapacityIs101();
    void oldestEntryMovesToTop_data();
    void oldestEntryMovesToTop();
    void loweredLimitKeepsCount();
    void longTextIsCut();
    void cutNeverSplitsSurrogatePair();
    void hugeLimitStaysWithin16Bits();
    void limitSetting_data();
    void limitSetting();
    void groupsFollowStore();
    void disabledHistoryEmptiesTable();
    void oneCommitPerChange();
    void failedCommitKeepsOldHistory();
    void printHistoryJson();
    void longTextNamesFollowChanges();
    void historySurvivesRestartOnDisk();
};

void TestClipHistory::historyKey_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("key");
    QTest::newRow("0") << 0 << "Clip0000";
    QTest::newRow("1") << 1 << "Clip0001";
    QTest::newRow("100") << 100 << "Clip0100";
    QTest::newRow("9999") << 9999 << "Clip9999";
    QTest::newRow("12345") << 12345 << "Clip12345";
}

void TestClipHistory::historyKey()
{
    QFETCH(int, index);
    QFETCH(QString, key);
    QCOMPARE(ClipHistory::HistoryKey(index), key);
}

void TestClipHistory::addressTest_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("address");
    const QString mail50 = QStringLiteral("a@b.") + QString(46, QLatin1Char('x'));
    QTest::newRow("http") << "http://example.org/" << true;
    QTest::newRow("ftp") << "ftp://example.org" << true;
    QTest::newRow("www") << "www.example.org" << true;
    QTest::newRow("HTTP capitals") << "HTTP://EXAMPLE" << false;
    QTest::newRow("https is not listed") << "https://example" << false;
    QTest::newRow("mail 50") << mail50 << true;
    QTest::newRow("mail 51") << mail50 + "x" << false;
    QTest::newRow("long www") << "www." + QString(100, QLatin1Char('x')) << true;
    QTest::newRow("at without dot") << "user@host" << false;
    QTest::newRow("dot without at") << "a.b" << false;
    QTest::newRow("prefix inside") << " http://x" << false;
    QTest::newRow("empty") << "" << false;
}

void TestClipHistory::addressTest()
{
    QFETCH(QString, text);
    QFETCH(bool, address);
    QCOMPARE(ClipHistory::IsAddress(text), address);
}

void TestClipHistory::itemName_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("name");
    const QString x60 = QString(60, QLatin1Char('x'));
    const QString longLine = QString(200, QLatin1Char('y'));
    QTest::newRow("short") << "abc" << "abc";
    QTest::newRow("60") << x60 << x60;
    QTest::newRow("61 cut") << x60 + "z" << x60;
    QTest::newRow("first line") << "one\r\ntwo" << "one";
    QTest::newRow("long first line kept") << longLine + "\r\nrest" << longLine;
    QTest::newRow("starts with CR LF") << "\r\nsecond" << "";
    QTest::newRow("lone LF is no break") << "a\nb" << "a\nb";
    // U+1F600 is a surrogate pair; at 59..60 the cut would split it.
    QTest::newRow("pair across 60") << QString(59, QLatin1Char('x')) + QString::fromUtf8("😀") + "tail"
                                    << QString(59, QLatin1Char('x'));
    QTest::newRow("pair before 60") << QString(58, QLatin1Char('x')) + QString::fromUtf8("😀") + "tail"
                                    << QString(58, QLatin1Char('x')) + QString::fromUtf8("😀");
}

void TestClipHistory::itemName()
{
    QFETCH(QString, text);
    QFETCH(QString, name);
    QCOMPARE(ClipHistory::HistoryItemName(text), name);
}

void TestClipHistory::recordSequence_data()
{
    QTest::addColumn<QString>("limit");
    QTest::addColumn<QStringList>("inputs");
    QTest::addColumn<QString>("results");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("A B A") << "100" << QStringList{"A", "B", "A"} << "TTF" << QStringList{"A", "B"};
    QTest::newRow("same twice") << "100" << QStringList{"A", "A"} << "TF" << QStringList{"A"};
    QTest::newRow("empty ignored") << "100" << QStringList{"A", "", "B"} << "TFT" << QStringList{"B", "A"};
    QTest::newRow("case matters") << "100" << QStringList{"a", "A"} << "TT" << QStringList{"A", "a"};
    QTest::newRow("middle moves up") << "100" << QStringList{"A", "B", "C", "B"} << "TTTF"
                                     << QStringList{"B", "C", "A"};
    QTest::newRow("limit 2 keeps 3") << "2" << QStringList{"A", "B", "C", "D"} << "TTTT"
                                     << QStringList{"D", "C", "B"};
    QTest::newRow("limit 0 keeps 1") << "0" << QStringList{"A", "B"} << "TT" << QStringList{"B"};
    QTest::newRow("negative limit keeps 1") << "-5" << QStringList{"A", "B"} << "TT" << QStringList{"B"};
    QTest::newRow("not a number uses 100") << "abc" << QStringList{"A", "B", "C"} << "TTT"
                                           << QStringList{"C", "B", "A"};
    QTest::newRow("line breaks kept") << "100" << QStringList{"a\r\nb", "a\nb"} << "TT"
                                      << QStringList{"a\nb", "a\r\nb"};
}

void TestClipHistory::recordSequence()
{
    QFETCH(QString, limit);
    QFETCH(QStringList, inputs);
    QFETCH(QString, results);
    QFETCH(QStringList, expected);
    Fixture f;
    f.ini.SetiniValue(QStringLiteral("MAXofClipBoardHistory"), limit);
    QString got;
    for (const QString &input : inputs)
        got += f.history.ShiftWriteClipHistory(input) ? QLatin1Char('T') : QLatin1Char('F');
    QCOMPARE(got, results);
    QCOMPARE(f.stored(), expected);
    QCOMPARE(int(f.history.MAXofClipHistory()), expected.size() - 1);
    QCOMPARE(f.table.at(0).ItemTexts, expected);
}

void TestClipHistory::emptyHistoryGroups()
{
    Fixture f;
    QCOMPARE(int(f.history.MAXofClipHistory()), -1);
    QVERIFY(f.history.ClipRegInToArray());
    QCOMPARE(f.table.size(), 2);
    for (int g = 0; g < 2; ++g) {
        QCOMPARE(f.table.at(g).ItemNames, QStringList{QStringLiteral("履歴なし")});
        QCOMPARE(f.table.at(g).ItemTexts, QStringList{QString()});
    }
    QCOMPARE(f.table.at(0).Name, QStringLiteral("クリップボード履歴"));
    QCOMPARE(f.table.at(1).Name, QStringLiteral("クリップアドレス履歴"));
}

void TestClipHistory::defaultCapacityIs101()
{
    Fixture f;
    for (int i = 0; i < 102; ++i)
        QVERIFY(f.history.ShiftWriteClipHistory(text(i)));
    const QStringList s = f.stored();
    QCOMPARE(s.size(), 101);
    QCOMPARE(s.first(), text(101));
    QCOMPARE(s.last(), text(1)); // text 0 dropped
    QCOMPARE(f.ini.GetiniValue(QStringLiteral("MAXofClipBoardHistory")), QStringLiteral("100"));
}

void TestClipHistory::oldestEntryMovesToTop_data()
{
    QTest::addColumn<int>("count");
    QTest::newRow("below limit") << 5;
    QTest::newRow("at limit") << 101;
}

void TestClipHistory::oldestEntryMovesToTop()
{
    QFETCH(int, count);
    Fixture f;
    for (int i = 0; i < count; ++i)
        f.history.ShiftWriteClipHistory(text(i));
    QVERIFY(!f.history.ShiftWriteClipHistory(text(0)));
    const QStringList s = f.stored();
    QCOMPARE(s.size(), count);
    QCOMPARE(s.first(), text(0));
    QCOMPARE(s.at(1), text(count - 1));
    QCOMPARE(s.last(), text(1));
    QCOMPARE(s.count(text(0)), 1);
}

void TestClipHistory::loweredLimitKeepsCount()
{
    Fixture f;
    for (int i = 0; i < 10; ++i)
        f.history.ShiftWriteClipHistory(text(i));
    f.ini.SetiniValue(QStringLiteral("MAXofClipBoardHistory"), QStringLiteral("3"));
    QVERIFY(f.history.ShiftWriteClipHistory(QStringLiteral("new")));
    const QStringList s = f.stored();
    QCOMPARE(s.size(), 10);
    QCOMPARE(s.first(), QStringLiteral("new"));
    QCOMPARE(s.last(), text(1));
}

void TestClipHistory::longTextIsCut()
{
    Fixture f;
    QString big;
    for (int i = 0; i < 200000; ++i)
        big += QChar(u'a' + i % 26);
    QVERIFY(f.history.ShiftWriteClipHistory(big));
    QCOMPARE(f.stored().first(), big.left(148576));
    // The stored text is shorter than the copied one, so it is no duplicate.
    QVERIFY(f.history.ShiftWriteClipHistory(big));
    QCOMPARE(f.stored().size(), 2);
    QCOMPARE(f.stored().at(1), big.left(148576));
}

void TestClipHistory::cutNeverSplitsSurrogatePair()
{
    Fixture f;
    f.ini.SetiniValue(QStringLiteral("MAXofLength1History"), QStringLiteral("5"));
    const QString pair = QString::fromUtf8("😀");
    QVERIFY(f.history.ShiftWriteClipHistory(QStringLiteral("abcd") + pair + QStringLiteral("e")));
    QCOMPARE(f.stored().first(), QStringLiteral("abcd"));
    QVERIFY(f.history.ShiftWriteClipHistory(QStringLiteral("abc") + pair + QStringLiteral("e")));
    QCOMPARE(f.stored().first(), QStringLiteral("abc") + pair);
    QCOMPARE(ClipHistory::CutText(pair + pair, 3), pair);
}

void TestClipHistory::hugeLimitStaysWithin16Bits()
{
    Fixture f;
    f.ini.SetiniValue(QStringLiteral("MAXofClipBoardHistory"), QStringLiteral("40000"));
    QStringList full;
    for (int i = 0; i <= 32767; ++i)
        full.append(text(i));
    f.preload(full);
    QCOMPARE(int(f.history.MAXofClipHistory()), 32767);
    QVERIFY(f.history.ShiftWriteClipHistory(QStringLiteral("new")));
    QCOMPARE(int(f.history.MAXofClipHistory()), 32767);
    QCOMPARE(f.store.GetSetting(ClipHistory::AppName, ClipHistory::StoreSection, QStringLiteral("Clip32768")), QString());
    QCOMPARE(f.store.GetSetting(ClipHistory::AppName, ClipHistory::StoreSection, QStringLiteral("Clip32767")), text(32766));
    QCOMPARE(f.table.at(0).ItemTexts.size(), 32768);
}

void TestClipHistory::limitSetting_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("limit");
    QTest::newRow("default") << QString() << 100;
    QTest::newRow("plain") << "250" << 250;
    QTest::newRow("spaces") << " 7 " << 7;
    QTest::newRow("max") << "32767" << 32767;
    QTest::newRow("above max") << "32768" << 32767;
    QTest::newRow("far above") << "99999999999" << 32767;
    QTest::newRow("garbage") << "lots" << 100;
}

void TestClipHistory::limitSetting()
{
    QFETCH(QString, value);
    QFETCH(int, limit);
    iniMente ini;
    if (!value.isNull())
        ini.SetiniValue(QStringLiteral("MAXofClipBoardHistory"), value);
    QCOMPARE(ClipSettings::MAXofClipBoardHistory(ini), limit);
}

void TestClipHistory::groupsFollowStore()
{
    Fixture f;
    f.table.append(MemoGroup{QStringLiteral("memo"), {QStringLiteral("n")}, {QStringLiteral("t")}});
    const QStringList inputs{QStringLiteral("plain"), QStringLiteral("www.example.org"),
                             QStringLiteral("two\r\nlines"), QStringLiteral("me@example.org")};
    for (const QString &input : inputs)
        f.history.ShiftWriteClipHistory(input);
    const MemoGroup &all = f.table.at(0);
    const MemoGroup &addresses = f.table.at(1);
    QCOMPARE(all.ItemTexts, (QStringList{"me@example.org", "two\r\nlines", "www.example.org", "plain"}));
    QCOMPARE(all.ItemNames, (QStringList{"me@example.org", "two", "www.example.org", "plain"}));
    QCOMPARE(addresses.ItemTexts, (QStringList{"me@example.org", "www.example.org"}));
    QCOMPARE(addresses.ItemNames, addresses.ItemTexts);
    QCOMPARE(f.table.size(), 3);
    QCOMPARE(f.table.at(2).Name, QStringLiteral("memo"));

    // No address among the entries: one placeholder item.
    Fixture g;
    g.history.ShiftWriteClipHistory(QStringLiteral("plain"));
    QCOMPARE(g.table.at(1).ItemNames, QStringList{QStringLiteral("履歴なし")});
    QCOMPARE(g.table.at(1).ItemTexts, QStringList{QString()});
}

void TestClipHistory::disabledHistoryEmptiesTable()
{
    Fixture f;
    f.history.ShiftWriteClipHistory(QStringLiteral("kept"));
    f.table.append(MemoGroup{QStringLiteral("memo"), {}, {}});
    f.ini.SetiniValue(QStringLiteral("ClipEnable"), false);
    QVERIFY(!f.history.ClipRegInToArray());
    QVERIFY(f.table.isEmpty());
    MemoGroups other{MemoGroup{}, MemoGroup{}};
    QVERIFY(!f.history.loadHistoryGroups(other));
    QVERIFY(other.isEmpty());
    // The store keeps its entries for when the history is switched on again.
    f.ini.SetiniValue(QStringLiteral("ClipEnable"), QStringLiteral("true"));
    QVERIFY(f.history.loadHistoryGroups(other));
    QCOMPARE(other.at(0).ItemTexts, QStringList{QStringLiteral("kept")});
}

void TestClipHistory::oneCommitPerChange()
{
    Fixture f;
    for (int i = 0; i < 20; ++i)
        f.history.ShiftWriteClipHistory(text(i));
    const int before = f.store.commitCount();
    f.history.ShiftWriteClipHistory(text(100));
    QCOMPARE(f.store.commitCount(), before + 1);
    f.history.ShiftWriteClipHistory(text(5));
    QCOMPARE(f.store.commitCount(), before + 2);
}

void TestClipHistory::failedCommitKeepsOldHistory()
{
    Fixture f;
    f.history.ShiftWriteClipHistory(QStringLiteral("A"));
    f.history.ShiftWriteClipHistory(QStringLiteral("B"));
    f.store.failCommits = true;
    f.history.ShiftWriteClipHistory(QStringLiteral("C"));
    f.history.ShiftWriteClipHistory(QStringLiteral("A"));
    QCOMPARE(f.stored(), (QStringList{"B", "A"}));
    QCOMPARE(f.table.at(0).ItemTexts, (QStringList{"B", "A"}));
    // Nothing of a failed change lingers into the next one.
    f.store.failCommits = false;
    f.history.ShiftWriteClipHistory(QStringLiteral("D"));
    QCOMPARE(f.stored(), (QStringList{"D", "B", "A"}));
}

void TestClipHistory::printHistoryJson()
{
    Fixture f;
    QString out;
    {
        QTextStream stream(&out);
        QCOMPARE(printHistory(f.store, stream), 0);
    }
    QCOMPARE(out, QStringLiteral("[]\n"));
    f.history.ShiftWriteClipHistory(QStringLiteral("old \"quoted\""));
    f.history.ShiftWriteClipHistory(QStringLiteral("新しい\r\nline"));
    out.clear();
    {
        QTextStream stream(&out);
        QCOMPARE(printHistory(f.store, stream), 0);
    }
    const QJsonArray parsed = QJsonDocument::fromJson(out.toUtf8()).array();
    QCOMPARE(parsed.toVariantList(), (QVariantList{QStringLiteral("新しい\r\nline"), QStringLiteral("old \"quoted\"")}));
}

void TestClipHistory::longTextNamesFollowChanges()
{
    Fixture f;
    const QString tail = QString(100, QLatin1Char('t'));
    f.history.ShiftWriteClipHistory(QStringLiteral("first\r\n") + tail);
    f.history.ShiftWriteClipHistory(QStringLiteral("second\r\n") + tail);
    f.history.ShiftWriteClipHistory(QStringLiteral("first\r\n") + tail);
    QCOMPARE(f.table.at(0).ItemNames, (QStringList{"first", "second"}));
    f.history.ShiftWriteClipHistory(QString(70, QLatin1Char('n')) + QStringLiteral("\r\nx"));
    QCOMPARE(f.table.at(0).ItemNames, (QStringList{QString(70, QLatin1Char('n')), "first", "second"}));
}

void TestClipHistory::historySurvivesRestartOnDisk()
{
    QTemporaryDir dir;
    iniMente ini;
    const QString big = QString(1000, QLatin1Char('b'));
    {
        FileUserStore store(dir.path());
        MemoGroups table(2);
        ClipHistory history(ini, store, table);
        for (const QString &t : {QStringLiteral("a"), big, QStringLiteral("www.x.org"), QStringLiteral("a")})
            history.ShiftWriteClipHistory(t);
    }
    FileUserStore store(dir.path());
    MemoGroups table(2);
    ClipHistory history(ini, store, table);
    QVERIFY(history.loadHistoryGroups(table));
    QCOMPARE(table.at(0).ItemTexts, (QStringList{"a", "www.x.org", big}));
    QCOMPARE(table.at(1).ItemTexts, QStringList{QStringLiteral("www.x.org")});
    QVERIFY(!history.ShiftWriteClipHistory(big));
    FileUserStore third(dir.path());
    QCOMPARE(ClipHistory::StoredTexts(third), (QStringList{big, "a", "www.x.org"}));
}

QTEST_MAIN(TestClipHistory)
#include "tst_cliphistory.moc"
