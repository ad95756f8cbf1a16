// Whole-program runs of the global hot keys and the tray icon: a copy of the built Quillbox
// in a fresh folder, driven with xdotool (XTest key presses reach the root-window grabs as a
// user's keys do), on an X server with a window manager and a tray host.
#include "QuillboxSandbox.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

using namespace e2e;

namespace {

QSet<QString> visibleWindowsNamed(const QString &pattern)
{
    const QStringList ids = visibleWindows(pattern);
    return QSet<QString>(ids.begin(), ids.end());
}

bool lockOn(const QString &name)
{
    // "xset q" prints e.g. "00: Caps Lock:   off    01: Num Lock:    on".
    const QRegularExpression re(name + QStringLiteral(":\\s+(on|off)"));
    return re.match(run(QStringLiteral("xset"), {QStringLiteral("q")})).captured(1) == QStringLiteral("on");
}

// Holds a key grab in another X client until released.
class GrabHolder
{
public:
    bool start(const QString &keysym, unsigned xmods)
    {
        p_.start(QStringLiteral(GRAB_HOLDER), {keysym, QString::number(xmods)});
        if (!p_.waitForStarted() || !p_.waitForReadyRead(5000))
            return false;
        return p_.readLine().trimmed() == "ok";
    }
    void release()
    {
        if (p_.state() == QProcess::NotRunning)
            return;
        p_.closeWriteChannel();
        if (!p_.waitForFinished(3000)) {
            p_.kill();
            p_.waitForFinished(3000);
        }
    }
    ~GrabHolder() { release(); }

private:
    QProcess p_;
};

// Whether another client could take the grab now (it is held by nobody).
bool grabFree(const QString &keysym, unsigned xmods)
{
    GrabHolder h;
    const bool ok = h.start(keysym, xmods);
    h.release();
    return ok;
}

// X modifier bits as the server numbers them.
constexpr unsigned XLock = 2, XMod1 = 8, XMod2 = 16;

// Waits for a window to come or go allow 15 s: on a loaded two-core machine 5 s was seen to run
// out; a passing run never waits that long.

} // namespace

class TestE2EHotKeys : public QObject
{
    Q_OBJECT

    std::unique_ptr<QuillboxSandbox> box_;
    QString window_;

    // Starts Quillbox and waits for its main window; window_ holds its id.
    QProcess *startQuillbox()
    {
        QProcess *p = box_->start();
        window_ = box_->waitForWindow();
        // Settled once the tray host has taken the icon in: docking closes an open pop-up menu.
        for (int i = 0; i < 150 && !window_.isEmpty() && trayIconWindow().isEmpty(); ++i)
            QTest::qWait(100);
        return p;
    }

    // Our windows in the window tree, for failure messages.
    static QString ourWindows()
    {
        const QStringList lines = run(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")})
                                      .split(u'\n')
                                      .filter(QStringLiteral("Quillbox"));
        return lines.join(u'\n');
    }

    bool windowVisible() const { return box_->windowVisible(window_); }
    bool windowFocused() const { return xdo({QStringLiteral("getwindowfocus")}) == window_; }

    // Hides the main window with its own close key, as a user would.
    bool hideWindow()
    {
        activate(window_);
        key(QStringLiteral("ctrl+w"));
        for (int i = 0; i < 150 && windowVisible(); ++i)
            QTest::qWait(100);
        return !windowVisible();
    }

    // The tray icon's own window inside the tray host's panel, from the window tree.
    QString trayIconWindow() const
    {
        const QStringList lines = run(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")})
                                      .split(u'\n');
        const auto indent = [](const QString &line) {
            int n = 0;
            while (n < line.size() && line[n] == u' ')
                ++n;
            return n;
        };
        for (int i = 0; i < lines.size(); ++i) {
            if (!lines[i].contains(QStringLiteral("(\"panel\" \"trayer\")")))
                continue;
            const int panelIndent = indent(lines[i]);
            for (int j = i + 1; j < lines.size() && (lines[j].trimmed().isEmpty() || indent(lines[j]) > panelIndent); ++j) {
                if (lines[j].contains(QStringLiteral("(\"Quillbox\" \"Quillbox\")")))
                    return lines[j].trimmed().section(u' ', 0, 0);
            }
        }
        return QString();
    }

    void clickTrayIcon(const QString &icon, const QString &button)
    {
        xdo({QStringLiteral("mousemove"), QStringLiteral("--window"), icon, QStringLiteral("8"), QStringLiteral("8"),
             QStringLiteral("click"), button});
    }

    void setLock(const QString &name, const QString &keysym, bool on)
    {
        if (lockOn(name) != on)
            key(keysym);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(!qEnvironmentVariableIsEmpty("DISPLAY"), "needs an X server");
    }

    void init()
    {
        box_ = std::make_unique<QuillboxSandbox>();
        QVERIFY(box_->isValid());
        QVERIFY(box_->writeCardFile(greetingCards()
                                    + card(QStringLiteral("住所"), QStringLiteral("自宅"), QStringLiteral("東京都\r\n千代田区"))));
    }

    void cleanup()
    {
        // Lock states belong to the X server: leave them off for whatever runs next.
        setLock(QStringLiteral("Num Lock"), QStringLiteral("Num_Lock"), false);
        setLock(QStringLiteral("Caps Lock"), QStringLiteral("Caps_Lock"), false);
        box_.reset();
    }

    void popUpKeyShowsHiddenWindowWithFocusOnGroups_data()
    {
        QTest::addColumn<bool>("numLock");
        QTest::addColumn<bool>("capsLock");
        QTest::newRow("no locks") << false << false;
        QTest::newRow("Num Lock on") << true << false;
        QTest::newRow("Caps Lock on") << false << true;
        QTest::newRow("both locks on") << true << true;
    }

    void popUpKeyShowsHiddenWindowWithFocusOnGroups()
    {
        QFETCH(bool, numLock);
        QFETCH(bool, capsLock);
        QProcess *p = startQuillbox();
        QVERIFY(!window_.isEmpty());
        // Leave the focus on the item list: C picks the card file's first group, B copies its second item.
        activate(window_);
        QTest::qWait(300);
        keys({QStringLiteral("c"), QStringLiteral("b")});
        QTRY_COMPARE(clipboardText(), QStringLiteral("good night"));
        QVERIFY(hideWindow());

        setLock(QStringLiteral("Num Lock"), QStringLiteral("Num_Lock"), numLock);
        setLock(QStringLiteral("Caps Lock"), QStringLiteral("Caps_Lock"), capsLock);
        QCOMPARE(lockOn(QStringLiteral("Num Lock")), numLock);
        QCOMPARE(lockOn(QStringLiteral("Caps Lock")), capsLock);

        key(QStringLiteral("alt+Delete"));
        QTRY_VERIFY_WITH_TIMEOUT(windowVisible(), 15000);
        QTRY_VERIFY_WITH_TIMEOUT(windowFocused(), 15000);
        // D is a group only when the group list has the focus; the item list has two lines.
        setLock(QStringLiteral("Caps Lock"), QStringLiteral("Caps_Lock"), false);
        keys({QStringLiteral("d"), QStringLiteral("a")});
        QTRY_COMPARE(clipboardText(), QStringLiteral("東京都\n千代田区"));
        box_->quitAndWait(p);
    }

    void popUpKeyInTextEditorPastesTheChosenItem()
    {
        QVERIFY(box_->writeSettings({QStringLiteral("MinimizeAfterCopy = 2")}));
        QProcess *p = startQuillbox();
        QVERIFY(!window_.isEmpty());
        QVERIFY(hideWindow());

        PasteTarget target;
        QVERIFY(target.start(QStringLiteral(PASTE_TARGET), box_->path(QStringLiteral("pasted.txt"))));
        activate(target.window());
        QTRY_COMPARE(xdo({QStringLiteral("getwindowfocus")}), target.window());

        key(QStringLiteral("alt+Delete"));
        QTRY_VERIFY_WITH_TIMEOUT(windowVisible() && windowFocused(), 15000);
        keys({QStringLiteral("c"), QStringLiteral("b")});
        QTRY_VERIFY_WITH_TIMEOUT(!windowVisible(), 15000);
        QTRY_COMPARE_WITH_TIMEOUT(target.pasted(), QStringLiteral("good night"), 15000);
        QTRY_COMPARE(xdo({QStringLiteral("getwindowfocus")}), target.window());
        target.stop();
        box_->quitAndWait(p);
    }

    void popUpMenuKeyShowsHiddenWindowOnlyForTheMenu()
    {
        QProcess *p = startQuillbox();
        QVERIFY(!window_.isEmpty());
        QVERIFY(hideWindow());

        key(QStringLiteral("alt+End"));
        for (int i = 0; i < 150 && !windowVisible(); ++i)
            QTest::qWait(100);
        QVERIFY2(windowVisible(), qPrintable(ourWindows()));
        // The window stays up while the menu is open.
        QTest::qWait(800);
        QVERIFY(windowVisible());
        // 8 is the exit item's key: disabled in this menu, so nothing happens.
        key(QStringLiteral("8"));
        QTest::qWait(800);
        QCOMPARE(p->state(), QProcess::Running);
        QVERIFY(windowVisible());
        key(QStringLiteral("Escape"));
        QTRY_VERIFY_WITH_TIMEOUT(!windowVisible(), 15000);
        QTest::qWait(500);
        QCOMPARE(p->state(), QProcess::Running);

        // Afterwards the exit item works again: from the tray icon's menu it ends the program.
        const QString icon = trayIconWindow();
        QVERIFY2(!icon.isEmpty(), "no tray icon inside a tray host (trayer)");
        clickTrayIcon(icon, QStringLiteral("3"));
        QTest::qWait(800);
        key(QStringLiteral("8"));
        QVERIFY(p->waitForFinished(10000));
        QCOMPARE(p->exitStatus(), QProcess::NormalExit);
        QCOMPARE(p->exitCode(), 0);
    }

    void popUpMenuKeyKeepsAVisibleWindow()
    {
        QProcess *p = startQuillbox();
        QVERIFY(!window_.isEmpty());
        activate(window_);
        key(QStringLiteral("alt+End"));
        QTest::qWait(800);
        key(QStringLiteral("Escape"));
        QTest::qWait(800);
        QVERIFY(windowVisible());
        box_->quitAndWait(p);
    }

    void clockKeyWhileTheClockIsOpenDoesNothing_data()
    {
        QTest::addColumn<int>("afterCopy");
        QTest::addColumn<bool>("windowStays");
        QTest::newRow("after copy: nothing") << 0 << true;
        QTest::newRow("after copy: hide") << 1 << false;
        QTest::newRow("after copy: hide and paste") << 2 << false;
    }

    void clockKeyWhileTheClockIsOpenDoesNothing()
    {
        QFETCH(int, afterCopy);
        QFETCH(bool, windowStays);
        QVERIFY(box_->writeSettings({QStringLiteral("MinimizeAfterCopy = %1").arg(afterCopy)}));
        QProcess *p = startQuillbox();
        QVERIFY(!window_.isEmpty());
        const QString icon = trayIconWindow();
        QVERIFY2(!icon.isEmpty(), "no tray icon inside a tray host (trayer)");
        const QSet<QString> before = visibleWindowsNamed(QStringLiteral("^Quillbox$"));

        key(QStringLiteral("alt+Next"));
        QSet<QString> boxes;
        for (int i = 0; i < 150 && boxes.isEmpty(); ++i) {
            QTest::qWait(100);
            boxes = visibleWindowsNamed(QStringLiteral("^Quillbox$")) - before;
        }
        QCOMPARE(boxes.size(), 1);
        QTRY_COMPARE(windowVisible(), windowStays);

        // While the clock is open every hot key and tray click is dropped.
        if (!windowStays) {
            key(QStringLiteral("alt+Delete"));
            clickTrayIcon(icon, QStringLiteral("1"));
        }
        key(QStringLiteral("alt+Next"));
        QTest::qWait(1000);
        QCOMPARE(visibleWindowsNamed(QStringLiteral("^Quillbox$")) - before, boxes);
        QCOMPARE(windowVisible(), windowStays);

        const QString box = *boxes.begin();
        activate(box);
        key(QStringLiteral("Return"));
        QTRY_VERIFY_WITH_TIMEOUT((visibleWindowsNamed(QStringLiteral("^Quillbox$")) - before).isEmpty(), 15000);
        // Closing the last visible window must not end a resident program.
        QTest::qWait(1000);
        QCOMPARE(p->state(), QProcess::Running);
        QCOMPARE(windowVisible(), windowStays);

        // The hot keys answer again.
        if (windowStays)
            QVERIFY(hideWindow());
        key(QStringLiteral("alt+Delete"));
        QTRY_VERIFY_WITH_TIMEOUT(windowVisible(), 15000);
        box_->quitAndWait(p);
    }

    void clockByCommandAnswersAtOnceAndOutlivesTheBox()
    {
        QProcess *p = startQuillbox();
        QVERIFY(!window_.isEmpty());
        const QSet<QString> before = visibleWindowsNamed(QStringLiteral("^Quillbox$"));
        const QStringList clockCommand{QStringLiteral("--hotkey"), QStringLiteral("PopUpClock")};

        QElapsedTimer clock;
        clock.start();
        QCOMPARE(box_->quillbox(clockCommand), 0);
        QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
        QSet<QString> boxes;
        for (int i = 0; i < 150 && boxes.isEmpty(); ++i) {
            QTest::qWait(100);
            boxes = visibleWindowsNamed(QStringLiteral("^Quillbox$")) - before;
        }
        QCOMPARE(boxes.size(), 1);

        // Clients come and go while the box is open; a second clock is refused quietly.
        clock.restart();
        QCOMPARE(box_->quillbox(clockCommand), 0);
        QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
        QTest::qWait(5500); // longer than a client waits for its answer
        QCOMPARE(visibleWindowsNamed(QStringLiteral("^Quillbox$")) - before, boxes);
        QCOMPARE(p->state(), QProcess::Running);

        activate(*boxes.begin());
        key(QStringLiteral("Return"));
        QTRY_VERIFY_WITH_TIMEOUT((visibleWindowsNamed(QStringLiteral("^Quillbox$")) - before).isEmpty(), 15000);
        QTest::qWait(1000);
        QCOMPARE(p->state(), QProcess::Running);
        box_->quitAndWait(p);
    }

    void combinationGrabbedElsewhereIsSkipped_data()
    {
        QTest::addColumn<unsigned>("heldMods");
        QTest::newRow("Alt") << XMod1;
        QTest::newRow("Alt with Num Lock") << (XMod1 | XMod2);
        QTest::newRow("Alt with Caps Lock") << (XMod1 | XLock);
    }

    void combinationGrabbedElsewhereIsSkipped()
    {
        QFETCH(unsigned, heldMods);
        GrabHolder holder;
        QVERIFY(holder.start(QStringLiteral("Delete"), heldMods));
        QProcess *p = startQuillbox();
        QVERIFY(!window_.isEmpty());
        QVERIFY(hideWindow());

        // The other hot keys are registered: Alt+Insert brings the window up.
        key(QStringLiteral("alt+Insert"));
        QTRY_VERIFY_WITH_TIMEOUT(windowVisible(), 15000);
        QVERIFY(hideWindow());

        holder.release();
        // Alt+Delete stays unregistered once the other client lets go, and none of its
        // lock variants is still grabbed by us.
        key(QStringLiteral("alt+Delete"));
        QTest::qWait(1000);
        QVERIFY(!windowVisible());
        for (unsigned mods : {XMod1, XMod1 | XLock, XMod1 | XMod2, XMod1 | XLock | XMod2})
            QVERIFY2(grabFree(QStringLiteral("Delete"), mods), qPrintable(QString::number(mods)));
        // While the other hot keys' grabs are ours.
        QVERIFY(!grabFree(QStringLiteral("Insert"), XMod1));
        QVERIFY(!grabFree(QStringLiteral("Insert"), XMod1 | XMod2));
        box_->quitAndWait(p);
        // The exit gives every grab back.
        QVERIFY(grabFree(QStringLiteral("Insert"), XMod1));
        QVERIFY(grabFree(QStringLiteral("End"), XMod1 | XLock));
    }

    void leftClickOnTrayIconShowsTheWindow()
    {
        QProcess *p = startQuillbox();
        QVERIFY(!window_.isEmpty());
        QString icon;
        for (int i = 0; i < 150 && icon.isEmpty(); ++i) {
            icon = trayIconWindow();
            if (icon.isEmpty())
                QTest::qWait(100);
        }
        QVERIFY2(!icon.isEmpty(), "no tray icon inside a tray host (trayer)");
        QVERIFY(hideWindow());

        clickTrayIcon(icon, QStringLiteral("1"));
        QTRY_VERIFY_WITH_TIMEOUT(windowVisible(), 15000);
        QTRY_VERIFY_WITH_TIMEOUT(windowFocused(), 15000);
        // The focus is on the group list: C and A copy the card file's first item.
        keys({QStringLiteral("c"), QStringLiteral("a")});
        QTRY_COMPARE(clipboardText(), QStringLiteral("おはようございます"));
        box_->quitAndWait(p);
    }

    void historyKeySelectsTheHistory_data()
    {
        QTest::addColumn<bool>("byCommand");
        QTest::newRow("--hotkey PopUpHistory") << true;
        QTest::newRow("Alt+Insert") << false;
    }

    void historyKeySelectsTheHistory()
    {
        QFETCH(bool, byCommand);
        QProcess *p = startQuillbox();
        QVERIFY(!window_.isEmpty());
        // Another group selected beforehand, so the key has to move the selection.
        activate(window_);
        QTest::qWait(300);
        key(QStringLiteral("c"));
        QTest::qWait(300);
        QVERIFY(hideWindow());

        setClipboardText(QStringLiteral("older entry"));
        QTest::qWait(500);
        setClipboardText(QStringLiteral("newest entry"));
        QTest::qWait(500);

        if (byCommand)
            QCOMPARE(box_->quillbox({QStringLiteral("--hotkey"), QStringLiteral("PopUpHistory")}), 0);
        else
            key(QStringLiteral("alt+Insert"));
        QTRY_VERIFY_WITH_TIMEOUT(windowVisible() && windowFocused(), 15000);
        // The item list of the history has the focus: B is its second line.
        key(QStringLiteral("b"));
        QTRY_COMPARE(clipboardText(), QStringLiteral("older entry"));
        box_->quitAndWait(p);
    }

    void unknownHotKeyNameIsRefused()
    {
        QProcess *p = startQuillbox();
        QVERIFY(!window_.isEmpty());
        QVERIFY(hideWindow());
        QVERIFY(box_->quillbox({QStringLiteral("--hotkey"), QStringLiteral("popup")}) != 0);
        QTest::qWait(500);
        QVERIFY(!windowVisible());
        box_->quitAndWait(p);
    }
};

QTEST_MAIN(TestE2EHotKeys)
#include "tst_e2e_hotkeys.moc"
