// A clipboard change: the click sound, then the history, with fake clipboard and player.
#include "clipboard/ClipChange.h"
#include "clipboard/ClipHistory.h"
#include "platform/UserStore.h"
#include "settings/iniMente.h"

#include <QtTest>

class TestClipChange : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void change_data();
    void change();
    void soundComesBeforeHistory();
};

void TestClipChange::change_data()
{
    QTest::addColumn<QString>("clipEnable");
    QTest::addColumn<QString>("beep");
    QTest::addColumn<QString>("soundFile");
    QTest::addColumn<bool>("selfCopy");
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("hasText");
    QTest::addColumn<bool>("secret");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("sounded");
    QTest::addColumn<bool>("recorded");
    QTest::addColumn<bool>("refreshed");

    QTest::newRow("defaults, no sound file") << "" << "" << "" << false << -1 << true << false << "t"
                                             << false << true << true;
    QTest::newRow("all on") << "True" << "True" << "click.wav" << false << 0 << true << false << "t"
                            << true << true << true;
    QTest::newRow("beep off") << "True" << "False" << "click.wav" << false << 2 << true << false << "t"
                              << false << true << true;
    QTest::newRow("row 3 not refreshed") << "True" << "True" << "click.wav" << false << 3 << true << false
                                         << "t" << true << true << false;
    QTest::newRow("own copy sounds, not recorded") << "True" << "True" << "click.wav" << true << 0 << true
                                                   << false << "t" << true << false << false;
    QTest::newRow("history off still sounds") << "False" << "True" << "click.wav" << false << 0 << true
                                              << false << "t" << true << false << false;
    // A change that records nothing leaves the lists as they are.
    QTest::newRow("image: no sound, no refresh") << "True" << "True" << "click.wav" << false << 1 << false
                                                 << false << "" << false << false << false;
    QTest::newRow("emptied by its owner") << "True" << "True" << "click.wav" << false << 1 << true << false << ""
                                          << false << false << false;
    QTest::newRow("secret neither sounded nor recorded") << "True" << "True" << "click.wav" << false << 0
                                                         << true << true << "pw" << false << false << false;
    QTest::newRow("history on as a number") << "1 " << "0" << "click.wav" << false << 0 << true << false << "t"
                                            << false << true << true;
}

void TestClipChange::change()
{
    QFETCH(QString, clipEnable);
    QFETCH(QString, beep);
    QFETCH(QString, soundFile);
    QFETCH(bool, selfCopy);
    QFETCH(int, row);
    QFETCH(bool, hasText);
    QFETCH(bool, secret);
    QFETCH(QString, text);
    QFETCH(bool, sounded);
    QFETCH(bool, recorded);
    QFETCH(bool, refreshed);

    iniMente ini;
    if (!clipEnable.isEmpty())
        ini.SetiniValue(QStringLiteral("ClipEnable"), clipEnable);
    if (!beep.isEmpty())
        ini.SetiniValue(QStringLiteral("ClipBoardBeep"), beep);
    if (!soundFile.isEmpty())
        ini.SetiniValue(QStringLiteral("ClipBoardBeepWaveFileName"), soundFile);
    MemoryUserStore store;
    MemoGroups table(2);
    ClipHistory history(ini, store, table);

    int reads = 0;
    QStringList played;
    int refreshes = 0;
    ClipChangeServices services;
    services.readClipboard = [&] {
        ++reads;
        ClipboardSnapshot s;
        s.hasText = hasText;
        s.secret = secret;
        s.text = text;
        return s;
    };
    services.playSound = [&](const QString &file) { played.append(file); };
    services.refreshLists = [&] { ++refreshes; };

    ClipBoardChanged(ini, history, selfCopy, row, services);

    QVERIFY(reads <= 1);
    QCOMPARE(played, sounded ? QStringList{soundFile} : QStringList());
    QCOMPARE(ClipHistory::StoredTexts(store), recorded ? QStringList{text} : QStringList());
    QCOMPARE(refreshes, refreshed ? 1 : 0);
}

void TestClipChange::soundComesBeforeHistory()
{
    iniMente ini;
    ini.SetiniValue(QStringLiteral("ClipBoardBeepWaveFileName"), QStringLiteral("c.wav"));
    MemoryUserStore store;
    MemoGroups table(2);
    ClipHistory history(ini, store, table);
    QStringList events;
    ClipChangeServices services;
    services.readClipboard = [] { return ClipboardSnapshot{true, false, QStringLiteral("x")}; };
    services.playSound = [&](const QString &) {
        events << (ClipHistory::StoredTexts(store).isEmpty() ? QStringLiteral("sound") : QStringLiteral("late sound"));
    };
    services.refreshLists = [&] { events << QStringLiteral("refresh:") + table.at(0).ItemTexts.join(QLatin1Char(',')); };
    ClipBoardChanged(ini, history, false, -1, services);
    QCOMPARE(events, (QStringList{"sound", "refresh:x"}));
}

QTEST_MAIN(TestClipChange)
#include "tst_clipchange.moc"
