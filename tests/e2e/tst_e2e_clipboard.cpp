// Whole-program runs of the clipboard history: other programs (xclip, a small owner of a
// secret) take the clipboard while a copy of the built Quillbox watches it.
#include "QuillboxSandbox.h"

#include <QElapsedTimer>
#include <QTest>

#include <csignal>

using namespace e2e;

class TestE2EClipboard : public QObject
{
    Q_OBJECT

    std::unique_ptr<QuillboxSandbox> box_;

    QStringList history() { return box_->history(); }

    // Another program takes the clipboard with text and keeps it until someone else takes it.
    void copyByOther(const QString &text)
    {
        QProcess *p = box_->startProcess(
            QStringLiteral("xclip"), {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-quiet")});
        QVERIFY(p->waitForStarted());
        p->write(text.toUtf8());
        p->closeWriteChannel();
        // LF is what other programs put on the clipboard; reading it back proves xclip owns it.
        QTRY_COMPARE(clipboardText(), text);
    }

    // Calls the lists up with the group list focused, then types a group and an item letter:
    // the item's text is copied, and what the clipboard then holds is returned.
    QString copyItem(const QString &group, const QString &item, const QString &before)
    {
        if (box_->quillbox({QStringLiteral("--hotkey"), QStringLiteral("PopUp")}) != 0)
            return QStringLiteral("<no window>");
        QTest::qWait(300);
        keys({group, item});
        QString now;
        for (int i = 0; i < 50; ++i) {
            now = clipboardText();
            if (now != before)
                break;
            QTest::qWait(100);
        }
        return now;
    }

    // Switches the history with the pop-up menu: オプション(&6), クリップボード履歴(&H), ON/OFF(&C).
    void toggleHistoryWithMenu()
    {
        // The command is answered at once; the menu opens right after it.
        QCOMPARE(box_->quillbox({QStringLiteral("--hotkey"), QStringLiteral("PopUpMenu")}), 0);
        QTest::qWait(800);
        keys({QStringLiteral("6"), QStringLiteral("h"), QStringLiteral("c")});
        QTest::qWait(500); // the menu closes and the choice takes effect
    }

    QProcess *startAndWait()
    {
        QProcess *p = box_->start();
        if (box_->waitForWindow().isEmpty())
            return nullptr;
        // Let the program settle on the clipboard it found at start.
        QTest::qWait(300);
        return p;
    }

private Q_SLOTS:
    void init()
    {
        box_ = std::make_unique<QuillboxSandbox>();
        QVERIFY(box_->isValid());
        QVERIFY(box_->writeCardFile(greetingCards()));
        QVERIFY(box_->writeSettings({QStringLiteral("MinimizeAfterCopy = 0")}));
    }

    void cleanup() { box_.reset(); }

    void otherProgramsCopiesAreRecordedInOrder_data()
    {
        QTest::addColumn<QStringList>("copies");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("three texts, newest first")
            << QStringList{"one", "two", "three"} << QStringList{"three", "two", "one"};
        QTest::newRow("a repeated text moves to the top")
            << QStringList{"A", "B", "A"} << QStringList{"A", "B"};
        QTest::newRow("the oldest repeated")
            << QStringList{"x", "y", "z", "x"} << QStringList{"x", "z", "y"};
        QTest::newRow("letter case counts")
            << QStringList{"Case", "case"} << QStringList{"case", "Case"};
        QTest::newRow("LF lines are kept with CR LF")
            << QStringList{"line 1\nline 2"} << QStringList{"line 1\r\nline 2"};
        QTest::newRow("Japanese and an address")
            << QStringList{QStringLiteral("日本語のテキスト"), "http://example.com/"}
            << QStringList{"http://example.com/", QStringLiteral("日本語のテキスト")};
    }

    void otherProgramsCopiesAreRecordedInOrder()
    {
        QFETCH(QStringList, copies);
        QFETCH(QStringList, expected);
        QProcess *p = startAndWait();
        QVERIFY(p);
        QStringList seen;
        for (const QString &text : copies) {
            copyByOther(text);
            // Each change is recorded before the next one comes.
            QString stored = text;
            stored.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
            QTRY_COMPARE(history().value(0), stored);
        }
        QCOMPARE(history(), expected);
        box_->quitAndWait(p);
        QCOMPARE(history(), expected);
    }

    void historyGroupsShowTextsAndOwnCopiesAreNotRecorded()
    {
        QProcess *p = startAndWait();
        QVERIFY(p);
        const QStringList copies{"first", "http://example.com/a", "user@example.com", "last"};
        for (const QString &text : copies) {
            copyByOther(text);
            QTRY_COMPARE(history().value(0), text);
        }
        const QStringList expected{"last", "user@example.com", "http://example.com/a", "first"};
        QCOMPARE(history(), expected);

        // A: the whole history, newest first.
        QCOMPARE(copyItem(QStringLiteral("a"), QStringLiteral("d"), QStringLiteral("last")), QStringLiteral("first"));
        QCOMPARE(copyItem(QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("first")),
                 QStringLiteral("user@example.com"));
        // B: only the addresses, in the same order.
        QCOMPARE(copyItem(QStringLiteral("b"), QStringLiteral("b"), QStringLiteral("user@example.com")),
                 QStringLiteral("http://example.com/a"));
        QCOMPARE(copyItem(QStringLiteral("b"), QStringLiteral("a"), QStringLiteral("http://example.com/a")),
                 QStringLiteral("user@example.com"));
        // C: the card file's first group.
        QCOMPARE(copyItem(QStringLiteral("c"), QStringLiteral("b"), QStringLiteral("user@example.com")),
                 QStringLiteral("good night"));
        // Our own copies neither add nor reorder anything.
        QCOMPARE(history(), expected);
        box_->quitAndWait(p);
    }

    void secretsAreNotRecorded_data()
    {
        QTest::addColumn<QStringList>("ownerArgs");
        QTest::addColumn<bool>("recorded");
        QTest::newRow("hint secret") << QStringList{"--hint", "secret"} << false;
        QTest::newRow("no hint") << QStringList{"--no-hint"} << true;
        QTest::newRow("hint of another value") << QStringList{"--hint", "public"} << true;
    }

    void secretsAreNotRecorded()
    {
        QFETCH(QStringList, ownerArgs);
        QFETCH(bool, recorded);
        QProcess *p = startAndWait();
        QVERIFY(p);
        copyByOther(QStringLiteral("before"));
        QTRY_COMPARE(history(), QStringList{"before"});

        const QString secret = QStringLiteral("pa55 word");
        QProcess *owner = box_->startProcess(QStringLiteral(SECRET_OWNER), QStringList{secret} + ownerArgs);
        QTRY_VERIFY_WITH_TIMEOUT(owner->canReadLine(), 10000);
        QCOMPARE(owner->readLine().trimmed(), QByteArray("owner"));
        QCOMPARE(clipboardText(), secret);
        // A later change shows that the secret's change has been handled.
        copyByOther(QStringLiteral("after"));
        QTRY_COMPARE(history().value(0), QStringLiteral("after"));
        QCOMPARE(history(), (recorded ? QStringList{"after", secret, "before"} : QStringList{"after", "before"}));
        owner->write("quit\n");
        QVERIFY(owner->waitForFinished(5000));
        box_->quitAndWait(p);
    }

    void switchingHistoryOffRemovesGroupsAndKeepsStore()
    {
        QProcess *p = startAndWait();
        QVERIFY(p);
        copyByOther(QStringLiteral("kept"));
        QTRY_COMPARE(history(), QStringList{"kept"});

        toggleHistoryWithMenu();
        // The card file's group is now A.
        QCOMPARE(copyItem(QStringLiteral("a"), QStringLiteral("a"), QStringLiteral("kept")),
                 QStringLiteral("おはようございます"));
        copyByOther(QStringLiteral("not recorded"));
        QTest::qWait(500);
        QCOMPARE(history(), QStringList{"kept"});

        toggleHistoryWithMenu();
        QCOMPARE(copyItem(QStringLiteral("a"), QStringLiteral("a"), QStringLiteral("not recorded")),
                 QStringLiteral("kept"));
        copyByOther(QStringLiteral("recorded again"));
        QTRY_COMPARE(history(), (QStringList{"recorded again", "kept"}));
        box_->quitAndWait(p);
        QCOMPARE(box_->setting(QStringLiteral("ClipEnable")), QStringLiteral("True"));
    }

    void historyOffAtExitIsKeptInSettings()
    {
        QProcess *p = startAndWait();
        QVERIFY(p);
        toggleHistoryWithMenu();
        box_->quitAndWait(p);
        QCOMPARE(box_->setting(QStringLiteral("ClipEnable")), QStringLiteral("False"));
    }

    void listsAnswerWhileOwnerHangs()
    {
        QProcess *p = startAndWait();
        QVERIFY(p);
        QProcess *owner = box_->startProcess(QStringLiteral(SECRET_OWNER), {QStringLiteral("stuck"), QStringLiteral("--no-hint"),
                                                                           QStringLiteral("--hang")});
        QTRY_VERIFY_WITH_TIMEOUT(owner->canReadLine(), 10000);
        QCOMPARE(owner->readLine().trimmed(), QByteArray("owner"));
        QTest::qWait(200); // the change has reached Quillbox, which now waits for the owner

        // The hot key shows the lists, and letters copy an item, each within a second.
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(box_->quillbox({QStringLiteral("--hotkey"), QStringLiteral("PopUp")}), 0);
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(box_->windowVisible());
        QTest::qWait(200);
        clock.restart();
        keys({QStringLiteral("c"), QStringLiteral("a")}, 50);
        QString copied;
        while (clock.elapsed() < 3000 && (copied = clipboardText()) != QStringLiteral("おはようございます"))
            QTest::qWait(20);
        QCOMPARE(copied, QStringLiteral("おはようございます"));
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));

        // The hung owner's change was given up; later changes are recorded again.
        owner->write("quit\n");
        QVERIFY(owner->waitForFinished(5000));
        copyByOther(QStringLiteral("after the hang"));
        QTRY_COMPARE(history(), QStringList{"after the hang"});
        box_->quitAndWait(p);
    }

    void changeSurvivesSigkill()
    {
        QProcess *p = startAndWait();
        QVERIFY(p);
        copyByOther(QStringLiteral("older"));
        QTRY_COMPARE(history().value(0), QStringLiteral("older"));
        const QString longText = QString(300, QLatin1Char('L')) + QStringLiteral("\nend");
        copyByOther(longText);
        QTest::qWait(1000);
        ::kill(pid_t(p->processId()), SIGKILL);
        QVERIFY(p->waitForFinished(5000));

        const QString stored = QString(longText).replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
        QCOMPARE(history(), (QStringList{stored, "older"}));
        // After a restart the group is built from the store.
        QProcess *second = startAndWait();
        QVERIFY(second);
        QCOMPARE(copyItem(QStringLiteral("a"), QStringLiteral("b"), longText), QStringLiteral("older"));
        QCOMPARE(copyItem(QStringLiteral("a"), QStringLiteral("a"), QStringLiteral("older")), longText);
        QCOMPARE(history(), (QStringList{stored, "older"}));
        box_->quitAndWait(second);
    }
};

QTEST_MAIN(TestE2EClipboard)
#include "tst_e2e_clipboard.moc"
