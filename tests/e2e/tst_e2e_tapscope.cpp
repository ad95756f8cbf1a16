// Tapscope run as a user would: type a combination into its field, click "KeyCode 取得",
// read the numbers off the box, and carry them into Quillbox's settings as its hot key.
#include "QuillboxSandbox.h"

#include <QRegularExpression>
#include <QTest>

using namespace e2e;

namespace {

// The field's mask (1 Shift, 2 Ctrl, 4 Alt, 8 extended key) in Quillbox's encoding
// (1 Alt, 2 Ctrl, 4 Shift); the extended-key flag has no place there.
int quillboxMask(int tapscopeMask)
{
    return (tapscopeMask & 1 ? 4 : 0) | (tapscopeMask & 2) | (tapscopeMask & 4 ? 1 : 0);
}

} // namespace

class TestE2ETapscope : public QObject
{
    Q_OBJECT

    QString window_;

    // Clicks the label button and returns the box's text as Ctrl+C copies it; closes the box.
    QString keyCodeBoxText()
    {
        xdo({QStringLiteral("mousemove"), QStringLiteral("--window"), window_, QStringLiteral("156"), QStringLiteral("56"),
             QStringLiteral("click"), QStringLiteral("1")});
        QStringList box;
        for (int i = 0; i < 50 && (box = visibleWindows(QStringLiteral("^Tap Scope$"))).isEmpty(); ++i)
            QTest::qWait(100);
        if (box.isEmpty())
            return QStringLiteral("no box");
        for (int i = 0; i < 50 && xdo({QStringLiteral("getwindowfocus")}) != box.first(); ++i)
            QTest::qWait(100);
        // Wide enough that the window manager shows the title "Tap Scope" whole, not "…".
        const QString info = run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), box.first()});
        const int width = QRegularExpression(QStringLiteral("Width:\\s+(\\d+)")).match(info).captured(1).toInt();
        if (width < 160)
            return QStringLiteral("box only %1 px wide").arg(width);
        key(QStringLiteral("ctrl+c"));
        QString text;
        for (int i = 0; i < 50 && !(text = clipboardText()).startsWith(QStringLiteral("KeyCode")); ++i)
            QTest::qWait(100);
        key(QStringLiteral("Return"));
        for (int i = 0; i < 50 && !visibleWindows(QStringLiteral("^Tap Scope$")).isEmpty(); ++i)
            QTest::qWait(100);
        return text;
    }

private Q_SLOTS:
    void keyCodeCarriedIntoQuillbox()
    {
        QCOMPARE(run(QStringLiteral("setxkbmap"), {QStringLiteral("-option"), QStringLiteral("srvrkeys:none")}), QString());
        QuillboxSandbox box;
        QVERIFY(box.isValid());
        QProcess versionRun;
        startTool(versionRun, QStringLiteral(TAPSCOPE_EXE), {QStringLiteral("--version")});
        QVERIFY(versionRun.waitForFinished(5000));
        QCOMPARE(versionRun.exitCode(), 0);
        QCOMPARE(versionRun.readAllStandardOutput().trimmed(), QByteArray("Tap Scope Ver.1.0.0"));

        QProcess *tapscope = box.startProcess(QStringLiteral(TAPSCOPE_EXE), {});
        QStringList windows;
        for (int i = 0; i < 100 && (windows = visibleWindows(QStringLiteral("^Tap Scope Ver\\.1\\.0\\.0$"))).isEmpty(); ++i)
            QTest::qWait(100);
        QCOMPARE(windows.size(), 1);
        window_ = windows.first();
        activate(window_);

        // The field has the focus from the start.
        key(QStringLiteral("ctrl+alt+F1"));
        QCOMPARE(keyCodeBoxText(), QStringLiteral("KeyCode : 112\n\nKeyMask : 6"));
        // Typed straight after the box closed: the field has the focus back.
        key(QStringLiteral("ctrl+shift+Home"));
        const QString shown = keyCodeBoxText();
        QCOMPARE(shown, QStringLiteral("KeyCode : 36\n\nKeyMask : 11"));

        const QRegularExpressionMatch numbers =
            QRegularExpression(QStringLiteral("KeyCode : (\\d+)\\n\\nKeyMask : (\\d+)")).match(shown);
        QVERIFY(numbers.hasMatch());
        QVERIFY(box.writeSettings({QStringLiteral("PopUpKeyCode = ") + numbers.captured(1),
                                   QStringLiteral("PopUpKeyMask = %1").arg(quillboxMask(numbers.captured(2).toInt()))}));
        QProcess *quillbox = box.start();
        const QString mainWindow = box.waitForWindow();
        QVERIFY(!mainWindow.isEmpty());
        activate(mainWindow);
        key(QStringLiteral("ctrl+w"));
        QTRY_VERIFY_WITH_TIMEOUT(!box.windowVisible(mainWindow), 5000);
        key(QStringLiteral("ctrl+shift+Home"));
        QTRY_VERIFY_WITH_TIMEOUT(box.windowVisible(mainWindow), 5000);
        box.quitAndWait(quillbox);
        QCOMPARE(box.setting(QStringLiteral("PopUpKeyMask")), QStringLiteral("6"));

        // Closing the window ends the program.
        activate(window_);
        key(QStringLiteral("alt+F4"));
        QVERIFY(tapscope->waitForFinished(5000));
        QCOMPARE(tapscope->exitStatus(), QProcess::NormalExit);
        QCOMPARE(tapscope->exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(TestE2ETapscope)
#include "tst_e2e_tapscope.moc"
