// Choosing an item while the user came from a terminal emulator: the text reaches the
// program running in it, although terminals do not paste on Ctrl+V.
#include "QuillboxSandbox.h"

#include <QTest>

using namespace e2e;

class TestE2ETerminalPaste : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void itemReachesCatInXterm()
    {
        QuillboxSandbox box;
        QVERIFY(box.isValid());
        QVERIFY(box.writeCardFile(card(QStringLiteral("手順"), QStringLiteral("端末"), QStringLiteral("ls -l\r\necho ok"))));
        QVERIFY(box.writeSettings({QStringLiteral("MinimizeAfterCopy = 2")}));
        const QString out = box.path(QStringLiteral("typed.txt"));

        QProcess *quillbox = box.start();
        QVERIFY(!box.waitForWindow().isEmpty());
        box.startProcess(QStringLiteral("xterm"), {QStringLiteral("-T"), QStringLiteral("qb-terminal"), QStringLiteral("-e"),
                                                   QStringLiteral("sh"), QStringLiteral("-c"), QStringLiteral("cat > \"$0\""), out});
        QStringList terminal;
        QTRY_VERIFY_WITH_TIMEOUT(!(terminal = visibleWindows(QStringLiteral("^qb-terminal$"))).isEmpty(), 10000);
        activate(terminal.first());
        QTRY_COMPARE(xdo({QStringLiteral("getwindowfocus")}), terminal.first());

        QCOMPARE(box.quillbox({QStringLiteral("--hotkey"), QStringLiteral("PopUp")}), 0);
        QTRY_VERIFY_WITH_TIMEOUT(box.windowVisible(), 5000);
        QTest::qWait(300);
        // Groups A and B are the two histories, so the card's group is C.
        keys({QStringLiteral("c"), QStringLiteral("a")});
        QTRY_VERIFY_WITH_TIMEOUT(!box.windowVisible(), 5000);
        // The terminal's line discipline hands cat the first line at once, the last on Enter.
        // On failure, say where the keys could have gone and what the terminal would have pasted.
        const auto state = [&] {
            return QStringLiteral("cat got \"%1\", focus %2 (terminal %3), primary selection \"%4\"")
                .arg(readText(out), xdo({QStringLiteral("getwindowfocus")}), terminal.first(),
                     run(QStringLiteral("xclip"), {QStringLiteral("-selection"), QStringLiteral("primary"), QStringLiteral("-o")}));
        };
        QTRY_VERIFY2_WITH_TIMEOUT(readText(out) == QStringLiteral("ls -l\n"), qPrintable(state()), 5000);
        QTRY_COMPARE(xdo({QStringLiteral("getwindowfocus")}), terminal.first());
        key(QStringLiteral("Return"));
        QTRY_COMPARE_WITH_TIMEOUT(readText(out), QStringLiteral("ls -l\necho ok\n"), 5000);

        box.quitAndWait(quillbox);
        QCOMPARE(box.setting(QStringLiteral("TerminalPasteKeys")), QStringLiteral("shift+Insert"));
        QVERIFY(box.setting(QStringLiteral("TerminalWindowClasses")).startsWith(QStringLiteral("XTerm,")));
    }
};

QTEST_GUILESS_MAIN(TestE2ETerminalPaste)
#include "tst_e2e_terminalpaste.moc"
