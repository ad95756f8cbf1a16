// Whole-program runs: a copy of the built Quillbox in a fresh folder, driven with xdotool
// and xclip on the test run's X server, as a user would.
#include "QuillboxSandbox.h"
#include "../SmallDisk.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRect>
#include <QFileInfo>
#include <QTest>

#include <csignal>
#include <sys/stat.h>

using namespace e2e;

class TestE2EMainWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<QuillboxSandbox> box_;

    QString path(const QString &name) const { return box_->path(name); }

    // The client rectangle of a window on the screen, as xwininfo reports it.
    static QRect geometry(const QString &window)
    {
        QRect r;
        for (const QString &line : run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), window}).split(u'\n')) {
            const QString name = line.section(u':', 0, 0).trimmed();
            const int value = line.section(u':', 1).trimmed().toInt();
            if (name == QStringLiteral("Absolute upper-left X"))
                r.moveLeft(value);
            else if (name == QStringLiteral("Absolute upper-left Y"))
                r.moveTop(value);
            else if (name == QStringLiteral("Width"))
                r.setWidth(value);
            else if (name == QStringLiteral("Height"))
                r.setHeight(value);
        }
        return r;
    }

    static QRect screenRect()
    {
        const QStringList size = xdo({QStringLiteral("getdisplaygeometry")}).split(u' ');
        return QRect(0, 0, size.value(0).toInt(), size.value(1).toInt());
    }

    void popUp()
    {
        QCOMPARE(box_->quillbox({QStringLiteral("--hotkey"), QStringLiteral("PopUp")}), 0);
        QTRY_VERIFY(box_->windowVisible());
        QTest::qWait(300);
    }

private Q_SLOTS:
    void init()
    {
        box_ = std::make_unique<QuillboxSandbox>();
        QVERIFY(box_->isValid());
        QVERIFY(box_->writeCardFile(greetingCards()
                                    + card(QStringLiteral("住所"), QStringLiteral("自宅"), QStringLiteral("東京都\r\n千代田区"))));
    }

    void cleanup() { box_.reset(); }

    void firstStartWritesDefaultsAndSecondStartEndsSilently()
    {
        QProcess *first = box_->start();
        QVERIFY(!box_->waitForWindow().isEmpty());
        QVERIFY(QFile::exists(path(QStringLiteral("Quillbox.ini"))));

        QString out, err;
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(box_->quillbox({}, &out, &err), 0);
        QVERIFY2((out + err).trimmed().isEmpty(), qPrintable(out + err));
        QVERIFY(clock.elapsed() < 5000);
        QCOMPARE(first->state(), QProcess::Running);

        box_->quitAndWait(first);
        QVERIFY(box_->settingsText().startsWith(QStringLiteral("[General]\r\n")));
        QCOMPARE(box_->setting(QStringLiteral("TXTFile")), path(QStringLiteral("QuillboxData.vlw")));
        QCOMPARE(box_->setting(QStringLiteral("PopUpKeyCode")), QStringLiteral("46"));
        QVERIFY(!box_->setting(QStringLiteral("BootupTop")).isEmpty());
        // --quit with nothing running still succeeds.
        QCOMPARE(box_->quillbox({QStringLiteral("--quit")}), 0);
    }

    void commandLineModes_data()
    {
        QTest::addColumn<QString>("program"); // empty: the sandbox's Quillbox
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("display"); // "-" leaves DISPLAY as it is, "" unsets it
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("output"); // found in standard output and error together
        QTest::addColumn<bool>("running"); // a copy runs from the sandbox's folder meanwhile
        QTest::newRow("help") << QString() << QStringList{"--help"} << "-" << 0 << "--autostart on|off" << false;
        QTest::newRow("short help") << QString() << QStringList{"-h"} << "-" << 0 << "--print-memo FILE" << false;
        QTest::newRow("unknown option") << QString() << QStringList{"--frobnicate"} << "-" << 2 << "usage: Quillbox" << false;
        QTest::newRow("autostart takes on or off") << QString() << QStringList{"--autostart", "maybe"} << "-" << 2 << "usage:" << false;
        QTest::newRow("no display") << QString() << QStringList() << "" << 1
                                    << "Quillbox: no X display (DISPLAY is not set); Quillbox needs an X11 or XWayland session." << false;
        QTest::newRow("unreachable display") << QString() << QStringList() << ":987" << 1 << "cannot open DISPLAY \":987\"" << false;
        QTest::newRow("version needs no display") << QString() << QStringList{"--version"} << "" << 0 << "Quillbox with VLM Ver." << false;
        QTest::newRow("quit needs no display") << QString() << QStringList{"--quit"} << "" << 0 << "" << false;
        QTest::newRow("print memo of a missing file") << QString() << QStringList{"--print-memo", "/nonexistent/x.vlw"}
                                                       << "" << 1 << "error: /nonexistent/x.vlw cannot be read" << false;
        QTest::newRow("print memo of a device") << QString() << QStringList{"--print-memo", "/dev/zero"} << "" << 1
                                                << "error: /dev/zero cannot be read" << false;
        const QString tapscope = QStringLiteral(TAPSCOPE_EXE);
        QTest::newRow("tapscope without display") << tapscope << QStringList() << "" << 1
                                                  << "Tapscope: no X display (DISPLAY is not set)" << false;
        QTest::newRow("tapscope version") << tapscope << QStringList{"--version"} << "" << 0 << "Tap Scope Ver.1.0.0" << false;
        QTest::newRow("card editor without display") << QStringLiteral(QUILLBOXCARDS_EXE) << QStringList() << "" << 1
                                                     << "QuillboxCards: no X display (DISPLAY is not set)" << false;
        QTest::newRow("its own settings file while running") << QString() << QStringList{"Quillbox.ini"} << "-" << 0 << ""
                                                             << true;
        QTest::newRow("another settings file while running") << QString() << QStringList{"other.ini"} << "-" << 1
                                                             << "uses its own settings file" << true;
        QTest::newRow("missing card file while running") << QString() << QStringList{"missing.vlw"} << "-" << 1
                                                         << "cannot open the card file" << true;
    }
    void commandLineModes()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, args);
        QFETCH(QString, display);
        QFETCH(int, exitCode);
        QFETCH(QString, output);
        QFETCH(bool, running);
        QProcess *resident = running ? box_->start() : nullptr;
        if (resident)
            QVERIFY(!box_->waitForWindow().isEmpty());
        QProcessEnvironment env = box_->env();
        if (display.isEmpty())
            env.remove(QStringLiteral("DISPLAY"));
        else if (display != QStringLiteral("-"))
            env.insert(QStringLiteral("DISPLAY"), display);
        QProcess p;
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(box_->dir());
        p.start(program.isEmpty() ? box_->exe() : program, args);
        QVERIFY(p.waitForFinished(15000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit); // no abort, no core dump
        QCOMPARE(p.exitCode(), exitCode);
        const QString text = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
        QVERIFY2(text.contains(output), qPrintable(text));
        if (resident) {
            QCOMPARE(resident->state(), QProcess::Running);
            box_->quitAndWait(resident);
        }
    }

    void autostartSwitch()
    {
        QString out;
        QCOMPARE(box_->quillbox({QStringLiteral("--autostart")}, &out), 0);
        QCOMPARE(out, QStringLiteral("off\n"));
        QCOMPARE(box_->quillbox({QStringLiteral("--autostart"), QStringLiteral("on")}), 0);
        QCOMPARE(box_->quillbox({QStringLiteral("--autostart")}, &out), 0);
        QCOMPARE(out, QStringLiteral("on\n"));
        const QString entry = readText(path(QStringLiteral("config/autostart/org.fennecs.Quillbox.desktop")));
        QVERIFY2(entry.contains(QStringLiteral("\nExec=") + box_->exe() + u'\n'), qPrintable(entry));
        QCOMPARE(box_->quillbox({QStringLiteral("--autostart"), QStringLiteral("off")}), 0);
        QVERIFY(!QFile::exists(path(QStringLiteral("config/autostart/org.fennecs.Quillbox.desktop"))));
        QCOMPARE(box_->quillbox({QStringLiteral("--autostart")}, &out), 0);
        QCOMPARE(out, QStringLiteral("off\n"));
    }

    // The settings file on a small file system that fills up while the program runs.
    void fullDiskAtExitKeepsTheSettingsFile()
    {
        SmallDisk disk;
        if (!disk.mounted)
            QSKIP("mounting a small file system is not allowed here (needs root)");
        const QString ini = disk.filePath(QStringLiteral("Quillbox.ini"));
        QProcess *p = box_->startProcess(box_->exe(), {ini});
        QVERIFY(!box_->waitForWindow().isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(ini).size() > 0, 5000);
        // Made for the owner alone, whatever the umask (it names programs that get started).
        struct stat st;
        QCOMPARE(::stat(QFile::encodeName(ini).constData(), &st), 0);
        QCOMPARE(int(st.st_mode & 0777), 0600);
        const auto contents = [&ini] {
            QFile f(ini);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
        };
        const QByteArray before = contents();

        QVERIFY(disk.fillUp());
        box_->quitAndWait(p);
        QCOMPARE(contents(), before);
        const QString err = QString::fromLocal8Bit(p->readAllStandardError());
        QVERIFY2(err.contains(QStringLiteral("not saved")) && err.contains(ini), qPrintable(err));
    }

    void startAfterSigkillWorks()
    {
        QProcess *first = box_->start();
        QVERIFY(!box_->waitForWindow().isEmpty());
        ::kill(pid_t(first->processId()), SIGKILL);
        QVERIFY(first->waitForFinished(5000));
        QTRY_VERIFY(!box_->windowVisible());
        QProcess *second = box_->start();
        QVERIFY(!box_->waitForWindow().isEmpty());
        box_->quitAndWait(second);
    }

    void cardFileOnCommandLineIsShownAndStored()
    {
        QVERIFY(writeFile(path(QStringLiteral("other memo.vlw")),
                          card(QStringLiteral("件名"), QStringLiteral("仕事"), QStringLiteral("from the other file"))));
        QVERIFY(box_->writeSettings({QStringLiteral("CopyMode = 7")}));

        // A relative path is stored absolute.
        QProcess *p = box_->start({QStringLiteral("other memo.vlw")}, box_->dir());
        const QString window = box_->waitForWindow();
        QVERIFY(!window.isEmpty());
        activate(window);
        QTest::qWait(300);
        // A and B are the clipboard and address history, so the card file's group is C.
        keys({QStringLiteral("c"), QStringLiteral("a")}, 100);
        QTRY_COMPARE(clipboardText(), QStringLiteral("from the other file"));
        box_->quitAndWait(p);
        QCOMPARE(box_->setting(QStringLiteral("TXTFile")), path(QStringLiteral("other memo.vlw")));
        QCOMPARE(box_->setting(QStringLiteral("CopyMode")), QStringLiteral("0"));
    }

    void lettersPasteIntoThePreviousWindow()
    {
        QVERIFY(box_->writeSettings({QStringLiteral("MinimizeAfterCopy = 2")}));
        PasteTarget target;
        QVERIFY(target.start(QStringLiteral(PASTE_TARGET), path(QStringLiteral("pasted.txt"))));

        QProcess *p = box_->start();
        QVERIFY(!box_->waitForWindow().isEmpty());
        box_->quillbox({QStringLiteral("--hotkey"), QStringLiteral("PopUp")}); // hidden or not, brings it up
        // The user came from the text editor: focus it, then call the lists up.
        activate(target.window());
        QTest::qWait(300);
        QCOMPARE(box_->quillbox({QStringLiteral("--hotkey"), QStringLiteral("PopUp")}), 0);
        QTest::qWait(500);
        keys({QStringLiteral("d"), QStringLiteral("a")});
        QTRY_VERIFY_WITH_TIMEOUT(!box_->windowVisible(), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(target.pasted(), QStringLiteral("東京都\n千代田区"), 5000);
        target.stop();
        box_->quitAndWait(p);
    }

    void hidingAfterCopiesKeepsTheHeight()
    {
        QVERIFY(box_->writeSettings({QStringLiteral("MinimizeAfterCopy = 1"), QStringLiteral("ClipEnable = False")}));
        QProcess *p = box_->start();
        const QString window = box_->waitForWindow();
        QVERIFY(!window.isEmpty());
        QTest::qWait(500);
        const int before = geometry(window).height();
        for (int i = 0; i < 6; ++i) {
            popUp();
            // A different item each time, so the preview opens every time.
            keys({QStringLiteral("a"), i % 2 ? QStringLiteral("a") : QStringLiteral("b")}, 100);
            QTRY_VERIFY_WITH_TIMEOUT(!box_->windowVisible(), 5000);
        }
        popUp();
        QCOMPARE(geometry(window).height(), before);
        box_->quitAndWait(p);
        QVERIFY(qAbs(box_->setting(QStringLiteral("BootupHeight")).toInt() / 15 - before) <= 40);
    }

    void placementOffTheScreenComesBack()
    {
        // Stored on a far larger screen: right of and below this one, and larger than it.
        const QRect screen = screenRect();
        QVERIFY(!screen.isEmpty());
        QVERIFY(box_->writeSettings({QStringLiteral("BootupTop = %1").arg((screen.height() + 300) * 15),
                                     QStringLiteral("BootupLeft = %1").arg((screen.width() + 900) * 15),
                                     QStringLiteral("BootupHeight = %1").arg((screen.height() + 500) * 15),
                                     QStringLiteral("BootupWidth = %1").arg(900 * 15)}));
        QProcess *p = box_->start();
        const QString window = box_->waitForWindow();
        QVERIFY(!window.isEmpty());
        QTest::qWait(500);
        const QRect shown = geometry(window);
        QVERIFY2(screen.contains(shown), qPrintable(QStringLiteral("%1,%2 %3x%4").arg(shown.x()).arg(shown.y()).arg(shown.width()).arg(shown.height())));
        QCOMPARE(shown.width() > 800, true); // only shrunk where it had to be
        box_->quitAndWait(p);
    }

    void escapeInTheReplacementCopiesNothing()
    {
        QVERIFY(box_->writeCardFile(card(QStringLiteral("朝"), QStringLiteral("挨拶"), QStringLiteral("おはようございます"))
                                    + card(QStringLiteral("名前"), QStringLiteral("挨拶"), QStringLiteral("Dear %1"))));
        QVERIFY(box_->writeSettings({QStringLiteral("CopyMode = 1"), QStringLiteral("ClipEnable = False")}));
        QProcess *p = box_->start();
        QVERIFY(!box_->waitForWindow().isEmpty());
        QVERIFY(setClipboardText(QStringLiteral("-")));
        popUp();
        keys({QStringLiteral("a"), QStringLiteral("b")}, 100);
        QTest::qWait(300);
        xdo({QStringLiteral("type"), QStringLiteral("Tanaka")});
        key(QStringLiteral("Escape"));
        QTest::qWait(500);
        QCOMPARE(clipboardText(), QStringLiteral("-"));
        QVERIFY(box_->windowVisible());
        // The keyboard is back on the items: a letter copies again, and Enter ends the input.
        key(QStringLiteral("b"));
        QTest::qWait(300);
        xdo({QStringLiteral("type"), QStringLiteral("Sato")});
        key(QStringLiteral("Return"));
        QTRY_COMPARE(clipboardText(), QStringLiteral("Dear Sato"));
        key(QStringLiteral("a"));
        QTRY_COMPARE(clipboardText(), QStringLiteral("おはようございます"));
        box_->quitAndWait(p);
    }

    void findingByTypingCopiesAndEscapeRestores()
    {
        // Three groups of 40 cards; the 36th of the third is the one sought. An earlier card
        // mentions it in its text only, so it must come second.
        QByteArray cards;
        for (int g = 1; g <= 3; ++g) {
            for (int i = 1; i <= 40; ++i) {
                const bool sought = g == 3 && i == 36;
                const QString title = sought ? QStringLiteral("Quarterly budget テンプレート")
                                             : QStringLiteral("Note %1-%2").arg(g).arg(i);
                const QString body = g == 1 && i == 2 ? QStringLiteral("see the budget テンプレート")
                                                      : QStringLiteral("body %1-%2").arg(g).arg(i);
                cards += card(title, QStringLiteral("group %1").arg(g), body);
            }
        }
        QVERIFY(box_->writeCardFile(cards));
        QVERIFY(box_->writeSettings({QStringLiteral("MinimizeAfterCopy = 0")}));
        QProcess *p = box_->start();
        QVERIFY(!box_->waitForWindow().isEmpty());
        // The clipboard history is searched too.
        QVERIFY(setClipboardText(QStringLiteral("zebra crossing")));
        QVERIFY(setClipboardText(QStringLiteral("-")));
        popUp();

        const auto find = [](const QString &opening, const QString &typed) {
            key(opening);
            QTest::qWait(500);
            xdo({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("150"), typed});
            QTest::qWait(500);
        };
        find(QStringLiteral("ctrl+f"), QStringLiteral("budget"));
        keys({QStringLiteral("Down"), QStringLiteral("Return")});
        QTRY_COMPARE(clipboardText(), QStringLiteral("see the budget テンプレート"));
        // Kana that folds onto the katakana title.
        find(QStringLiteral("ctrl+f"), QStringLiteral("てんぷれ"));
        key(QStringLiteral("Return"));
        QTRY_COMPARE(clipboardText(), QStringLiteral("body 3-36"));
        QVERIFY(box_->windowVisible());
        QVERIFY(setClipboardText(QStringLiteral("-")));
        find(QStringLiteral("ctrl+f"), QStringLiteral("BUDGET"));
        key(QStringLiteral("Return"));
        QTRY_COMPARE(clipboardText(), QStringLiteral("body 3-36"));
        // From the pop-up menu, by its access key.
        key(QStringLiteral("space"));
        QTest::qWait(500);
        find(QStringLiteral("f"), QStringLiteral("zebra"));
        key(QStringLiteral("Return"));
        QTRY_COMPARE(clipboardText(), QStringLiteral("zebra crossing"));

        // Esc puts back the third group with the focus on its items: letters pick there.
        keys({QStringLiteral("Escape"), QStringLiteral("e"), QStringLiteral("c")});
        QTRY_COMPARE(clipboardText(), QStringLiteral("body 3-3"));
        find(QStringLiteral("ctrl+f"), QStringLiteral("note"));
        key(QStringLiteral("Escape"));
        QTest::qWait(300);
        key(QStringLiteral("b"));
        QTRY_COMPARE(clipboardText(), QStringLiteral("body 3-2"));
        keys({QStringLiteral("Escape"), QStringLiteral("c"), QStringLiteral("d")});
        QTRY_COMPARE(clipboardText(), QStringLiteral("body 1-4"));
        box_->quitAndWait(p);
    }

    void alwaysOnTopOpensAtTheDesignPlace()
    {
        QStringList design;
        QRect designShown;
        for (const char *onTop : {"0", "1"}) {
            QVERIFY(box_->writeSettings({QStringLiteral("AlwayonTop = ") + QLatin1String(onTop)}));
            QProcess *p = box_->start();
            const QString window = box_->waitForWindow();
            QVERIFY(!window.isEmpty());
            QTest::qWait(500);
            const QRect shown = geometry(window);
            QVERIFY(screenRect().contains(shown));
            QVERIFY(shown.top() > 0); // the title bar above it is on the screen too
            box_->quitAndWait(p);
            const QStringList stored{box_->setting(QStringLiteral("BootupTop")), box_->setting(QStringLiteral("BootupLeft")),
                                     box_->setting(QStringLiteral("BootupHeight")), box_->setting(QStringLiteral("BootupWidth"))};
            if (design.isEmpty()) {
                design = stored;
                designShown = shown;
            } else {
                QCOMPARE(shown, designShown);
                QCOMPARE(stored, design);
            }
        }
    }

    void sigtermStoresPlacementAndHotkeyBringsWindowBack()
    {
        QProcess *p = box_->start();
        const QString window = box_->waitForWindow();
        QVERIFY(!window.isEmpty());
        activate(window);
        key(QStringLiteral("ctrl+w"));
        QTRY_VERIFY(!box_->windowVisible());
        QCOMPARE(box_->quillbox({QStringLiteral("--hotkey"), QStringLiteral("PopUp")}), 0);
        QTRY_VERIFY(box_->windowVisible());
        xdo({QStringLiteral("windowmove"), window, QStringLiteral("200"), QStringLiteral("150")});
        QTest::qWait(500);
        // No placement is stored yet; shown again, the window stays where the user put it.
        const QRect moved = geometry(window);
        activate(window);
        key(QStringLiteral("Escape"));
        QTRY_VERIFY(!box_->windowVisible());
        popUp();
        QCOMPARE(geometry(window).topLeft(), moved.topLeft());

        ::kill(pid_t(p->processId()), SIGTERM);
        QVERIFY(p->waitForFinished(10000));
        QCOMPARE(p->exitStatus(), QProcess::NormalExit);
        // The frame stands a border's width off the client's corner.
        QVERIFY(qAbs(box_->setting(QStringLiteral("BootupLeft")).toInt() / 15 - 200) <= 10);
        QVERIFY(qAbs(box_->setting(QStringLiteral("BootupTop")).toInt() / 15 - 150) <= 40);

        // Nothing runs any more: the hot key command starts Quillbox, then shows the lists.
        QCOMPARE(box_->quillbox({QStringLiteral("--hotkey"), QStringLiteral("PopUp")}), 0);
        QTRY_VERIFY(box_->windowVisible());
        QCOMPARE(box_->quillbox({QStringLiteral("--quit")}), 0);
        QTRY_VERIFY(!box_->windowVisible());
    }
};

QTEST_MAIN(TestE2EMainWindow)
#include "tst_e2e_mainwindow.moc"
