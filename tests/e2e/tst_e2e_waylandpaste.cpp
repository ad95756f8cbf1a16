// "Hide and paste" on a Wayland desktop (a headless sway with XWayland): the item reaches the
// window the user came from, a Wayland-native one through the compositor's virtual keyboard, an
// X11 one through XTest, and a native window whose app id is listed as a terminal gets the
// terminal keys.
#include "QuillboxSandbox.h"
#include "SwayRig.h"

#include <QScopeGuard>
#include <QTest>

using namespace e2e;

class TestWaylandPaste : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        rig_ = std::make_unique<SwayRig>();
        QVERIFY2(rig_->isValid(), qPrintable(rig_->problem()));
        // A seat without a keyboard leaves XWayland without keyboard focus: keys from XTest are lost.
        keyboard_ = rig_->start(QStringLiteral(WAYLAND_KEYS), {});
        QVERIFY(keyboard_->waitForReadyRead(10000));
        QCOMPARE(keyboard_->readLine().trimmed(), QByteArray("ready"));
    }

    void hideAndPaste_data()
    {
        QTest::addColumn<QString>("platform"); // the target's Qt platform
        QTest::addColumn<QString>("terminals");
        QTest::addColumn<QString>("terminalKeys");
        QTest::addColumn<QString>("expected");
        QTest::newRow("Wayland-native editor") << "wayland" << "foot" << "shift+Insert" << "good night";
        QTest::newRow("X11 editor on the same desktop") << "xcb" << "foot" << "shift+Insert" << "good night";
        // The terminal keys here type a letter, which shows they were chosen by the app id.
        QTest::newRow("Wayland-native terminal by its app id") << "wayland" << "foot,paste_target" << "x" << "x";
    }
    void hideAndPaste()
    {
        QFETCH(QString, platform);
        QFETCH(QString, terminals);
        QFETCH(QString, terminalKeys);
        QFETCH(QString, expected);

        QuillboxSandbox box;
        QVERIFY(box.isValid());
        QVERIFY(box.writeCardFile(greetingCards()));
        // The rig has no tray host: the hint about it, told before, would take the focus.
        QVERIFY(box.writeSettings({QStringLiteral("MinimizeAfterCopy = 2"), QStringLiteral("NoTrayHintShown = True"),
                                   QStringLiteral("TerminalWindowClasses = ") + terminals,
                                   QStringLiteral("TerminalPasteKeys = ") + terminalKeys}));
        QProcess *quillbox = box.start();
        const QString window = box.waitForWindow();
        QVERIFY(!window.isEmpty());
        const QString ours = SwayRig::windowName(rig_->focusedWindow());
        QVERIFY2(rig_->waitForFocus(ours), qPrintable(ours));
        QVERIFY(type(QStringLiteral("ctrl+w")));
        QTRY_VERIFY_WITH_TIMEOUT(!box.windowVisible(), 5000);

        const QString pasted = box.path(QStringLiteral("pasted.txt"));
        QProcessEnvironment env;
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
        QProcess *target = rig_->start(QStringLiteral(PASTE_TARGET), {QStringLiteral("--out"), pasted}, env);
        // Gone after a failure too, so that the next row starts with its own window only.
        const auto stopTarget = qScopeGuard([target] {
            target->terminate();
            target->waitForFinished(5000);
        });
        QVERIFY(rig_->waitForFocus(QStringLiteral("paste_target")));

        // As a desktop's key binding runs it: no X11 grab reaches a Wayland-native window.
        QCOMPARE(box.quillbox({QStringLiteral("--hotkey"), QStringLiteral("PopUp")}), 0);
        QTRY_VERIFY_WITH_TIMEOUT(box.windowVisible(window) && SwayRig::windowName(rig_->focusedWindow()) == ours, 5000);
        QVERIFY(rig_->waitForFocus(ours));
        QVERIFY(type(QStringLiteral("c")));
        QVERIFY(type(QStringLiteral("b")));
        QTRY_COMPARE_WITH_TIMEOUT(readText(pasted), expected, 10000);
        QVERIFY(rig_->waitForFocus(QStringLiteral("paste_target")));

        box.quitAndWait(quillbox);
    }

private:
    // Types a key combination on the seat's keyboard.
    bool type(const QString &combination)
    {
        keyboard_->write(combination.toUtf8() + '\n');
        if (!keyboard_->waitForReadyRead(5000))
            return false;
        const bool sent = keyboard_->readLine().trimmed() == "ok";
        QTest::qWait(150); // time for the program to react, as a user leaves it
        return sent;
    }

    std::unique_ptr<SwayRig> rig_;
    QProcess *keyboard_ = nullptr;
};

QTEST_MAIN(TestWaylandPaste)
#include "tst_e2e_waylandpaste.moc"
