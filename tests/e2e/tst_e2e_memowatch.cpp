// Whole-program runs of the card file watch, the editor and the recent-file lists: a small
// script plays the card editor and rewrites the card file the way an editor saves it.
#include "platform/Cp932.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(10000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

QString xdo(const QStringList &args)
{
    return run(QStringLiteral("xdotool"), args);
}

QByteArray card(const QString &title, const QString &group, const QString &body)
{
    return Cp932::encode(title + QChar(1) + group + QChar(1) + body + QChar(1));
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    return f.write(bytes) == bytes.size();
}

// Written next to a temporary name and renamed over the target, as editors save.
bool writeAtomically(const QString &path, const QByteArray &bytes)
{
    const QString tmp = path + QStringLiteral(".new");
    return writeFile(tmp, bytes) && ::rename(QFile::encodeName(tmp).constData(), QFile::encodeName(path).constData()) == 0;
}

QString clipboard()
{
    return run(QStringLiteral("xclip"), {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-o")});
}

void setClipboard(const QString &text)
{
    QProcess p;
    p.start(QStringLiteral("xclip"), {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-i")});
    p.waitForStarted();
    p.write(text.toUtf8());
    p.closeWriteChannel();
    p.waitForFinished(5000);
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

    std::unique_ptr<QTemporaryDir> dir_;
    QList<QProcess *> started_;

    QString path(const QString &name) const { return dir_->filePath(name); }
    QString exe() const { return path(QStringLiteral("Quillbox")); }
    // Folders whose names need quoting in any shell.
    QString cardFolder() const { return path(QStringLiteral("my cards $HOME \"q\"")); }
    QString cardFile() const { return cardFolder() + QStringLiteral("/朝 card's.vlw"); }
    QString editorFolder() const { return path(QStringLiteral("ed it $1")); }
    QString editor() const { return editorFolder() + QStringLiteral("/vellum 'x'"); }

    QProcessEnvironment env() const
    {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert(QStringLiteral("XDG_RUNTIME_DIR"), path(QStringLiteral("run")));
        e.insert(QStringLiteral("XDG_CONFIG_HOME"), path(QStringLiteral("config")));
        e.remove(QStringLiteral("QT_QPA_PLATFORM"));
        return e;
    }

    int quillbox(const QStringList &args)
    {
        QProcess p;
        p.setProcessEnvironment(env());
        p.start(exe(), args);
        p.waitForFinished(15000);
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }

    QString startAndWaitForWindow()
    {
        auto *p = new QProcess(this);
        p->setProcessEnvironment(env());
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p->start(exe(), {});
        started_.append(p);
        QString id;
        for (int i = 0; i < 100 && id.isEmpty(); ++i) {
            id = xdo({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                      QStringLiteral("^Quillbox with VLM")})
                     .section(u'\n', 0, 0);
            if (id.isEmpty())
                QTest::qWait(100);
        }
        return id;
    }

    void quit()
    {
        QCOMPARE(quillbox({QStringLiteral("--quit")}), 0);
        QVERIFY(started_.last()->waitForFinished(10000));
    }

    void writeSettings(const QStringList &extra)
    {
        QStringList lines{QStringLiteral("[General]"), QStringLiteral("ClipEnable = False"),
                          QStringLiteral("TXTFile = ") + cardFile(), QStringLiteral("Editor = ") + editor()};
        QVERIFY(writeFile(path(QStringLiteral("Quillbox.ini")),
                          Cp932::encode((lines + extra).join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"))));
    }

    QString setting(const QString &file, const QString &key) const
    {
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly))
            return QString();
        for (const QString &line : Cp932::decode(f.readAll()).split(QStringLiteral("\r\n")))
            if (line.startsWith(key + QStringLiteral(" = ")))
                return line.mid(key.size() + 3);
        return QString();
    }

    // What the first item of the first group copies, as the user gets it with "a", "a".
    QString firstItemText()
    {
        setClipboard(QStringLiteral("-"));
        quillbox({QStringLiteral("--hotkey"), QStringLiteral("PopUp")});
        QTest::qWait(150);
        xdo({QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("80"), QStringLiteral("a"), QStringLiteral("a")});
        QString text;
        for (int i = 0; i < 10 && (text.isEmpty() || text == QStringLiteral("-")); ++i) {
            QTest::qWait(100);
            text = clipboard();
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
        QFile f(editorFolder() + QStringLiteral("/args.log"));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

    void openContextMenu()
    {
        quillbox({QStringLiteral("--hotkey"), QStringLiteral("PopUp")});
        QTest::qWait(200);
        xdo({QStringLiteral("key"), QStringLiteral("space")});
        QTest::qWait(400);
    }

private Q_SLOTS:
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        QVERIFY(QFile::copy(QStringLiteral(QUILLBOX_EXE), exe()));
        QDir(dir_->path()).mkpath(QStringLiteral("run"));
        QFile::setPermissions(path(QStringLiteral("run")), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QVERIFY(QDir().mkpath(cardFolder()));
        QVERIFY(QDir().mkpath(editorFolder()));
        QVERIFY(writeFile(editor(), EditorScript));
        QVERIFY(QFile::setPermissions(editor(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
        QVERIFY(writeFile(cardFile(), card(QStringLiteral("朝"), QStringLiteral("挨拶"), QStringLiteral("before edit"))));
    }

    void cleanup()
    {
        for (QProcess *p : started_) {
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(3000);
            }
        }
        qDeleteAll(started_);
        started_.clear();
        dir_.reset();
    }

    void editorSavesAndListsFollow()
    {
        writeSettings({});
        QVERIFY(writeFile(editorFolder() + QStringLiteral("/newcard"),
                          card(QStringLiteral("件名"), QStringLiteral("更新"), QStringLiteral("after edit"))));
        QVERIFY(!startAndWaitForWindow().isEmpty());
        QCOMPARE(firstItemText(), QStringLiteral("before edit"));
        QTest::qWait(2200); // the watch has seen the file once

        openContextMenu();
        xdo({QStringLiteral("key"), QStringLiteral("3")}); // "Memoファイルの編集(&3)"
        QTRY_COMPARE_WITH_TIMEOUT(editorArgs(), QStringLiteral("1\n") + cardFile() + QStringLiteral("\n"), 5000);
        const qint64 took = waitForFirstItem(QStringLiteral("after edit"));
        QVERIFY2(took >= 0, "the rewritten card file was not shown within 6 s");
        qInfo("card file shown %lld ms after the editor saved it (includes the polling keys)", took);
        quit();
    }

    void deletedKeepsListsRecreatedReloads()
    {
        writeSettings({});
        QVERIFY(!startAndWaitForWindow().isEmpty());
        QTest::qWait(2200);
        QVERIFY(QFile::remove(cardFile()));
        QTest::qWait(4500); // two ticks at least: the file is gone, nothing is reloaded
        QCOMPARE(firstItemText(), QStringLiteral("before edit"));
        QVERIFY(writeAtomically(cardFile(), card(QStringLiteral("夜"), QStringLiteral("再"), QStringLiteral("re-created"))));
        QVERIFY2(waitForFirstItem(QStringLiteral("re-created")) >= 0, "the re-created card file was not reloaded");
        // A rewrite within the same second as the last one still counts.
        QVERIFY(writeAtomically(cardFile(), card(QStringLiteral("夜"), QStringLiteral("再"), QStringLiteral("second save"))));
        QVERIFY(waitForFirstItem(QStringLiteral("second save")) >= 0);
        quit();
    }

    void chooseFromOwnRecentList()
    {
        const QString other = cardFolder() + QStringLiteral("/other.vlw");
        QVERIFY(writeFile(other, card(QStringLiteral("件"), QStringLiteral("別"), QStringLiteral("other file"))));
        QVERIFY(writeFile(path(QStringLiteral("RecentVLW.ini")),
                          Cp932::encode(QStringLiteral("[General]\r\nRecentFile0 = %1\r\nRecentFile1 = %2\r\n")
                                            .arg(cardFile(), other))));
        writeSettings({});
        QVERIFY(!startAndWaitForWindow().isEmpty());
        QCOMPARE(firstItemText(), QStringLiteral("before edit"));

        // No editor list: from the bottom, the editor heading, then the older recent file.
        openContextMenu();
        xdo({QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("100"), QStringLiteral("Up"),
             QStringLiteral("Up"), QStringLiteral("Return")});
        QVERIFY(waitForFirstItem(QStringLiteral("other file"), 3000) >= 0);
        QCOMPARE(setting(path(QStringLiteral("RecentVLW.ini")), QStringLiteral("RecentFile0")), other);
        QCOMPARE(setting(path(QStringLiteral("RecentVLW.ini")), QStringLiteral("RecentFile1")), cardFile());
        quit();
        QCOMPARE(setting(path(QStringLiteral("Quillbox.ini")), QStringLiteral("TXTFile")), other);
    }

    void fileNamedLikeProgramIsRefused()
    {
        const QString named = cardFolder() + QStringLiteral("/QUILLBOX.vlw");
        QVERIFY(writeFile(named, card(QStringLiteral("件"), QStringLiteral("別"), QStringLiteral("refused"))));
        QVERIFY(writeFile(path(QStringLiteral("RecentVLW.ini")),
                          Cp932::encode(QStringLiteral("[General]\r\nRecentFile0 = %1\r\nRecentFile1 = %2\r\n")
                                            .arg(cardFile(), named))));
        writeSettings({});
        QVERIFY(!startAndWaitForWindow().isEmpty());
        openContextMenu();
        xdo({QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("100"), QStringLiteral("Up"),
             QStringLiteral("Up"), QStringLiteral("Return")});
        // The critical message box carries the application's name as its title.
        QString box;
        for (int i = 0; i < 50 && box.isEmpty(); ++i) {
            QTest::qWait(100);
            box = xdo({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                       QStringLiteral("^Quillbox$")});
        }
        QVERIFY2(!box.isEmpty(), "no message box");
        xdo({QStringLiteral("windowactivate"), QStringLiteral("--sync"), box.section(u'\n', 0, 0)});
        xdo({QStringLiteral("key"), QStringLiteral("Return")});
        QCOMPARE(firstItemText(), QStringLiteral("before edit"));
        quit();
        QCOMPARE(setting(path(QStringLiteral("Quillbox.ini")), QStringLiteral("TXTFile")), cardFile());
        QCOMPARE(setting(path(QStringLiteral("RecentVLW.ini")), QStringLiteral("RecentFile0")), cardFile());
    }

    void editorListAppearsAndStartsEditor()
    {
        writeSettings({});
        QVERIFY(!startAndWaitForWindow().isEmpty());
        // The editor records its list while we run; the next tick picks it up.
        const QString second = QStringLiteral("/srv/notes/$x \"y\".vlw");
        QVERIFY(writeAtomically(editorFolder() + QStringLiteral("/Recent.ini"),
                                Cp932::encode(QStringLiteral("[General]\r\nRecentFile0 = /a.vlw\r\nRecentFile1 = %1\r\n")
                                                  .arg(second))));
        QTest::qWait(2500);
        openContextMenu();
        xdo({QStringLiteral("key"), QStringLiteral("b")}); // the second entry's access key
        QTRY_COMPARE_WITH_TIMEOUT(editorArgs(), QStringLiteral("1\n") + second + QStringLiteral("\n"), 5000);
        quit();
    }
};

QTEST_MAIN(TestE2EMemoWatch)
#include "tst_e2e_memowatch.moc"
