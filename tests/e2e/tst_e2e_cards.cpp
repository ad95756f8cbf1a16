// The card editor as a new user meets it: Quillbox offers it, it adds a card, Quillbox
// shows the card.
#include "QuillboxSandbox.h"

#include "platform/UserStore.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

#include <csignal>

using namespace e2e;

namespace {

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Quillbox starts the editor on its own, so the sandbox does not end it for us.
struct EndsProcess {
    QString pid;
    ~EndsProcess()
    {
        if (pid.toInt() > 0 && QFile::exists(QStringLiteral("/proc/") + pid))
            ::kill(pid.toInt(), SIGKILL);
    }
};

} // namespace

class TestE2ECards : public QObject
{
    Q_OBJECT

    QString waitForVisible(const QString &pattern, int timeoutMs = 10000)
    {
        for (int waited = 0; waited < timeoutMs; waited += 100) {
            const QStringList ids = visibleWindows(pattern);
            if (!ids.isEmpty())
                return ids.first();
            QTest::qWait(100);
        }
        return QString();
    }

    // What an item copies, chosen as a user does: the pop-up key, then the group's and the
    // item's letters.
    QString itemText(QuillboxSandbox &box, const QString &groupKey, const QString &itemKey)
    {
        setClipboardText(QStringLiteral("-"));
        box.quillbox({QStringLiteral("--hotkey"), QStringLiteral("PopUp")});
        QTest::qWait(150);
        keys({groupKey, itemKey}, 80);
        QString text;
        for (int i = 0; i < 10 && (text.isEmpty() || text == QStringLiteral("-")); ++i) {
            QTest::qWait(100);
            text = clipboardText();
        }
        return text;
    }

private Q_SLOTS:
    void offeredEditorAddsCardQuillboxShowsIt()
    {
        QuillboxSandbox box;
        QVERIFY(box.isValid());
        // Installed beside Quillbox, as the install rule puts it.
        const QString editor = box.path(QStringLiteral("QuillboxCards"));
        QVERIFY(QFile::copy(QStringLiteral(QUILLBOXCARDS_EXE), editor));
        const QString cards = box.path(QStringLiteral("カード.vlw"));
        const QByteArray existing = card(QStringLiteral("朝"), QStringLiteral("挨拶"), QStringLiteral("おはようございます"));
        QVERIFY(writeFile(cards, existing));
        QVERIFY(box.writeSettings({QStringLiteral("ClipEnable = False"), QStringLiteral("TXTFile = ") + cards}));

        QProcess *quillbox = box.start();
        QVERIFY(!box.waitForWindow().isEmpty());
        QCOMPARE(itemText(box, QStringLiteral("a"), QStringLiteral("a")), QStringLiteral("おはようございます"));
        QTest::qWait(2200); // the watch has seen the file once

        // "Memoファイルの編集(&3)" with no editor set: the offer, accepted with Return.
        box.quillbox({QStringLiteral("--hotkey"), QStringLiteral("PopUp")});
        QTest::qWait(200);
        key(QStringLiteral("space"));
        QTest::qWait(400);
        key(QStringLiteral("3"));
        const QString offer = waitForVisible(QStringLiteral("^Quillbox$"));
        QVERIFY2(!offer.isEmpty(), "no offer of the card editor");
        activate(offer);
        key(QStringLiteral("Return"));

        const QString window = waitForVisible(QStringLiteral("QuillboxCards$"));
        QVERIFY2(!window.isEmpty(), "the card editor did not open");
        const EndsProcess editorProcess{xdo({QStringLiteral("getwindowpid"), window})};
        activate(window);
        QTest::qWait(300);
        key(QStringLiteral("ctrl+n"));
        QTest::qWait(200);
        xdo({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("30"), QStringLiteral("Lunch")});
        key(QStringLiteral("Tab"));
        xdo({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("30"), QStringLiteral("Meals")});
        key(QStringLiteral("Tab"));
        xdo({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("30"), QStringLiteral("line one")});
        key(QStringLiteral("Return"));
        xdo({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("30"), QStringLiteral("line two")});
        key(QStringLiteral("ctrl+s"));

        // The existing card keeps its bytes; the new one follows it.
        const QByteArray added = card(QStringLiteral("Lunch"), QStringLiteral("Meals"), QStringLiteral("line one\r\nline two"));
        QTRY_COMPARE_WITH_TIMEOUT(readBytes(cards), existing + added, 5000);

        QString out;
        QCOMPARE(box.quillbox({QStringLiteral("--print-memo"), cards}, &out), 0);
        const QJsonArray groups = QJsonDocument::fromJson(out.toUtf8()).array();
        QCOMPARE(groups.size(), 2);
        const QJsonObject meals = groups[1].toObject();
        QCOMPARE(meals.value(QStringLiteral("name")).toString(), QStringLiteral("Meals"));
        const QJsonObject item = meals.value(QStringLiteral("items")).toArray().first().toObject();
        QCOMPARE(item.value(QStringLiteral("name")).toString(), QStringLiteral("Lunch"));
        QCOMPARE(item.value(QStringLiteral("text")).toString(), QStringLiteral("line one\r\nline two"));

        // The running Quillbox reloads the file by itself.
        QString shown;
        for (int i = 0; i < 12 && shown != QStringLiteral("line one\nline two"); ++i) {
            shown = itemText(box, QStringLiteral("b"), QStringLiteral("a"));
            QTest::qWait(200);
        }
        QCOMPARE(shown, QStringLiteral("line one\nline two"));

        // Saved: closing asks nothing. The editor recorded where it lives.
        activate(window);
        key(QStringLiteral("ctrl+q"));
        QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(QStringLiteral("/proc/") + editorProcess.pid), 5000);
        FileUserStore store(box.path(QStringLiteral("config")));
        QCOMPARE(store.GetSetting(QStringLiteral("Fennecs SoftWares"), QStringLiteral("Vellum"), QStringLiteral("Path")), editor);
        box.quitAndWait(quillbox);
        QCOMPARE(box.setting(QStringLiteral("Editor")), editor);
    }
};

QTEST_MAIN(TestE2ECards)
#include "tst_e2e_cards.moc"
