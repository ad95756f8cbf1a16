// Whole-program runs: a copy of the built Quillbox in a fresh folder, driven with xdotool
// and xclip on the test run's X server, as a user would.
#include "QuillboxSandbox.h"
#include "../SmallDisk.h"

#include <QElapsedTimer>
#include <QFile>
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

        ::kill(pid_t(p->processId()), SIGTERM);
        QVERIFY(p->waitForFinished(10000));
        QCOMPARE(p->exitStatus(), QProcess::NormalExit);
        // The frame stands a border's width off the client's corner.
        QVERIFY(qAbs(box_->setting(QStringLiteral("BootupLeft")).toInt() / 15 - 200) <= 10);
        QVERIFY(qAbs(box_->setting(QStringLiteral("BootupTop")).toInt() / 15 - 150) <= 40);

        // Nothing runs any more: the hot key command fails and says why.
        QString out, err;
        QCOMPARE(box_->quillbox({QStringLiteral("--hotkey"), QStringLiteral("PopUp")}, &out, &err), 1);
        QVERIFY(!(out + err).trimmed().isEmpty());
    }
};

QTEST_MAIN(TestE2EMainWindow)
#include "tst_e2e_mainwindow.moc"
