// Whole-program runs of the card file watch, the editor and the recent-file lists: a small
// script plays the card editor and rewrites the card file the way an editor saves it.
#include "QuillboxSandbox.h"

#include "platform/Cp932.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>

using namespace e2e;

namespace {

// Written next to a temporary name and renamed over the target, as editors save.
bool writeAtomically(const QString &path, const QByteArray &bytes)
{
    const QString tmp = path + QStringLiteral(".new");
    return writeFile(tmp, bytes) && ::rename(QFile::encodeName(tmp).constData(), QFile::encodeName(path).constData()) == 0;
}

// The editor stand-in: records its arguments, and when a replacement card is ready it saves
// it over the card file it was given.
const char *const EditorScript = R"(#!/bin/sh
d=$(dirname "$0")
{ echo "$#"; for a in "$@"; do echo "$a"; done; } > "$d/args.tmp" && mv "$d/args.tmp" "$d/args.log"
if [ $# -eq 1 ] && [ -f "$d/newcard" ]; then
  cp "$d/newcard" "$1.tmp" && mv "$1.tmp" "$1"
fi
)";

} // namespace

class TestE2EMemoWatch : public QObject
{
    Q_OBJECT

    std::unique_ptr<QuillboxSandbox> box_;
    QProcess *started_ = nullptr; // the Quillbox quit() ends

    QString path(const QString &name) const { return box_->path(name); }
    // Folders whose names need quoting in any shell.
    QString cardFolder() const { return path(QStringLiteral("my cards $HOME \"q\"")); }
    QString cardFile() const { return cardFolder() + QStringLiteral("/朝 card's.vlw"); }
    QString editorFolder() const { return path(QStringLiteral("ed it $1")); }
    QString editor() const { return editorFolder() + QStringLiteral("/vellum 'x'"); }

    int quillbox(const QStringList &args) { return box_->quillbox(args); }

    QString startAndWaitForWindow()
    {
        started_ = box_->start();
        return box_->waitForWindow();
    }

    void quit() { box_->quitAndWait(started_); }

    bool writeSettings()
    {
        return box_->writeSettings({QStringLiteral("ClipEnable = False"), QStringLiteral("TXTFile = ") + cardFile(),
                                    QStringLiteral("Editor = ") + editor()});
    }

    // Our own recent-file list, newest first.
    bool writeRecentFiles(const QString &newest, const QString &older)
    {
        return writeFile(path(QStringLiteral("RecentVLW.ini")),
                         Cp932::encode(QStringLiteral("[General]\r\nRecentFile0 = %1\r\nRecentFile1 = %2\r\n")
                                           .arg(newest, older)));
    }

    // What the first item of the first group copies, as the user gets it with "a", "a".
    QString firstItemText()
    {
        setClipboardText(QStringLiteral("-"));
        quillbox({QStringLiteral("--hotkey"), QStringLiteral("PopUp")});
        QTest::qWait(150);
        keys({QStringLiteral("a"), QStringLiteral("a")}, 80);
        QString text;
        for (int i = 0; i < 10 && (text.isEmpty() || text == QStringLiteral("-")); ++i) {
            QTest::qWait(100);
            text = clipboardText();
        }
        return text;
    }

    // Polls until the first item copies expected; the time it took, or -1 after timeoutMs.
    qint64 waitForFirstItem(const QString &expected, int timeoutMs = 6000)
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < timeoutMs) {
            if (firstItemText() == expected)
                return clock.elapsed();
            QTest::qWait(200);
        }
        return -1;
    }

    QString editorArgs() const
    {
        return readText(editorFolder() + QStringLiteral("/args.log"));
    }

    void openContextMenu()
    {
        quillbox({QStringLiteral("--hotkey"), QStringLiteral("PopUp")});
        QTest::qWait(200);
        key(QStringLiteral("space"));
        QTest::qWait(400);
    }

    // With no editor list the menu ends in the editor heading, then the older recent file.
    void chooseOlderRecentFile()
    {
        openContextMenu();
        keys({QStringLiteral("Up"), QStringLiteral("Up"), QStringLiteral("Return")}, 100);
    }

private Q_SLOTS:
    void init()
    {
        box_ = std::make_unique<QuillboxSandbox>();
        QVERIFY(box_->isValid());
        QVERIFY(QDir().mkpath(cardFolder()));
        QVERIFY(QDir().mkpath(editorFolder()));
        QVERIFY(writeFile(editor(), EditorScript));
        QVERIFY(QFile::setPermissions(editor(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
        QVERIFY(writeFile(cardFile(), card(QStringLiteral("朝"), QStringLiteral("挨拶"), QStringLiteral("before edit"))));
    }

    void cleanup()
    {
        started_ = nullptr;
        box_.reset();
    }

    void editorSavesAndListsFollow()
    {
        QVERIFY(writeSettings());
        QVERIFY(writeFile(editorFolder() + QStringLiteral("/newcard"),
                          card(QStringLiteral("件名"), QStringLiteral("更新"), QStringLiteral("after edit"))));
        QVERIFY(!startAndWaitForWindow().isEmpty());
        QCOMPARE(firstItemText(), QStringLiteral("before edit"));
        QTest::qWait(2200); // the watch has seen the file once

        openContextMenu();
        key(QStringLiteral("3")); // "Memoファイルの編集(&3)"
        QTRY_COMPARE_WITH_TIMEOUT(editorArgs(), QStringLiteral("1\n") + cardFile() + QStringLiteral("\n"), 5000);
        const qint64 took = waitForFirstItem(QStringLiteral("after edit"));
        QVERIFY2(took >= 0, "the rewritten card file was not shown within 6 s");
        qInfo("card file shown %lld ms after the editor saved it (includes the polling keys)", took);
        quit();
    }

    // A save that lands between the start-up read and the watch's first tick is no baseline.
    void rewrittenRightAfterStartIsShown()
    {
        QVERIFY(writeSettings());
        started_ = box_->start();
        QTest::qWait(300);
        QVERIFY(writeAtomically(cardFile(), card(QStringLiteral("朝"), QStringLiteral("挨拶"), QStringLiteral("early save"))));
        QVERIFY(!box_->waitForWindow().isEmpty());
        QVERIFY2(waitForFirstItem(QStringLiteral("early save")) >= 0, "the early save was not shown within 6 s");
        quit();
    }

    void deletedKeepsListsRecreatedReloads()
    {
        QVERIFY(writeSettings());
        QVERIFY(!startAndWaitForWindow().isEmpty());
        QTest::qWait(2200);
        QVERIFY(QFile::remove(cardFile()));
        QTest::qWait(4500); // two ticks at least: the file is gone, nothing is reloaded
        QCOMPARE(firstItemText(), QStringLiteral("before edit"));
        // The user is in the item list when the reload comes: the next letters pick a group
        // and then an item, as after a fresh call-up.
        quillbox({QStringLiteral("--hotkey"), QStringLiteral("PopUp")});
        QTest::qWait(150);
        key(QStringLiteral("a"));
        QVERIFY(writeAtomically(cardFile(), card(QStringLiteral("夜"), QStringLiteral("再"), QStringLiteral("re-created"))));
        QTest::qWait(3000); // a tick of the watch
        keys({QStringLiteral("a"), QStringLiteral("a")}, 80);
        QTRY_COMPARE(clipboardText(), QStringLiteral("re-created"));
        // A rewrite within the same second as the last one still counts.
        QVERIFY(writeAtomically(cardFile(), card(QStringLiteral("夜"), QStringLiteral("再"), QStringLiteral("second save"))));
        QVERIFY(waitForFirstItem(QStringLiteral("second save")) >= 0);
        quit();
    }

    void chooseFromOwnRecentList()
    {
        const QString other = cardFolder() + QStringLiteral("/other.vlw");
        QVERIFY(writeFile(other, card(QStringLiteral("件"), QStringLiteral("別"), QStringLiteral("other file"))));
        QVERIFY(writeRecentFiles(cardFile(), other));
        QVERIFY(writeSettings());
        QVERIFY(!startAndWaitForWindow().isEmpty());
        QCOMPARE(firstItemText(), QStringLiteral("before edit"));

        chooseOlderRecentFile();
        QVERIFY(waitForFirstItem(QStringLiteral("other file"), 3000) >= 0);
        QCOMPARE(iniValue(path(QStringLiteral("RecentVLW.ini")), QStringLiteral("RecentFile0")), other);
        QCOMPARE(iniValue(path(QStringLiteral("RecentVLW.ini")), QStringLiteral("RecentFile1")), cardFile());
        quit();
        QCOMPARE(box_->setting(QStringLiteral("TXTFile")), other);
    }

    void fileNamedLikeProgramIsRefused()
    {
        const QString named = cardFolder() + QStringLiteral("/QUILLBOX.vlw");
        QVERIFY(writeFile(named, card(QStringLiteral("件"), QStringLiteral("別"), QStringLiteral("refused"))));
        QVERIFY(writeRecentFiles(cardFile(), named));
        QVERIFY(writeSettings());
        QVERIFY(!startAndWaitForWindow().isEmpty());
        chooseOlderRecentFile();
        // The critical message box carries the application's name as its title.
        QString box;
        for (int i = 0; i < 50 && box.isEmpty(); ++i) {
            QTest::qWait(100);
            box = visibleWindows(QStringLiteral("^Quillbox$")).value(0);
        }
        QVERIFY2(!box.isEmpty(), "no message box");
        activate(box);
        key(QStringLiteral("Return"));
        QCOMPARE(firstItemText(), QStringLiteral("before edit"));
        quit();
        QCOMPARE(box_->setting(QStringLiteral("TXTFile")), cardFile());
        QCOMPARE(iniValue(path(QStringLiteral("RecentVLW.ini")), QStringLiteral("RecentFile0")), cardFile());
    }

    void editorListAppearsAndStartsEditor()
    {
        QVERIFY(writeSettings());
        QVERIFY(!startAndWaitForWindow().isEmpty());
        // The editor records its list while we run; the next tick picks it up.
        const QString second = QStringLiteral("/srv/notes/$x \"y\".vlw");
        QVERIFY(writeAtomically(editorFolder() + QStringLiteral("/Recent.ini"),
                                Cp932::encode(QStringLiteral("[General]\r\nRecentFile0 = /a.vlw\r\nRecentFile1 = %1\r\n")
                                                  .arg(second))));
        QTest::qWait(2500);
        openContextMenu();
        key(QStringLiteral("b")); // the second entry's access key
        QTRY_COMPARE_WITH_TIMEOUT(editorArgs(), QStringLiteral("1\n") + second + QStringLiteral("\n"), 5000);
        quit();
    }
};

QTEST_MAIN(TestE2EMemoWatch)
#include "tst_e2e_memowatch.moc"
