// Whole-program runs: a copy of the built Quillbox in a fresh folder, driven with xdotool
// and xclip on the test run's X server, as a user would.
#include "platform/Cp932.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {

QString run(const QString &program, const QStringList &args, int *exitCode = nullptr, int timeoutMs = 10000)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(timeoutMs);
    if (exitCode)
        *exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

QByteArray card(const QString &title, const QString &group, const QString &body)
{
    return Cp932::encode(title + QChar(1) + group + QChar(1) + body + QChar(1));
}

} // namespace

class TestE2EMainWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir_;
    QList<QProcess *> started_;

    QString path(const QString &name) const { return dir_->filePath(name); }
    QString exe() const { return path(QStringLiteral("Quillbox")); }

    QProcessEnvironment env() const
    {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert(QStringLiteral("XDG_RUNTIME_DIR"), path(QStringLiteral("run")));
        e.insert(QStringLiteral("XDG_CONFIG_HOME"), path(QStringLiteral("config")));
        e.remove(QStringLiteral("QT_QPA_PLATFORM"));
        return e;
    }

    QProcess *startQuillbox(const QStringList &args = {})
    {
        auto *p = new QProcess(this);
        p->setProcessEnvironment(env());
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p->start(exe(), args);
        started_.append(p);
        return p;
    }

    int quillbox(const QStringList &args, QString *out = nullptr)
    {
        QProcess p;
        p.setProcessEnvironment(env());
        p.start(exe(), args);
        p.waitForFinished(15000);
        if (out)
            *out = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError()).trimmed();
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }

    // The X window of our main window, once mapped.
    QString waitForWindow(bool visible = true)
    {
        QString id;
        QStringList args{QStringLiteral("search")};
        if (visible)
            args << QStringLiteral("--onlyvisible");
        args << QStringLiteral("--name") << QStringLiteral("^Quillbox with VLM");
        for (int i = 0; i < 100 && id.isEmpty(); ++i) {
            id = run(QStringLiteral("xdotool"), args).section(u'\n', 0, 0);
            if (id.isEmpty())
                QTest::qWait(100);
        }
        return id;
    }

    bool windowVisible()
    {
        return !run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                                QStringLiteral("--name"), QStringLiteral("^Quillbox with VLM")})
                    .isEmpty();
    }

    void writeSettings(const QStringList &lines)
    {
        QFile f(path(QStringLiteral("Quillbox.ini")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(Cp932::encode(QStringLiteral("[General]\r\n") + lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")));
    }

    QString settings() const
    {
        QFile f(path(QStringLiteral("Quillbox.ini")));
        if (!f.open(QIODevice::ReadOnly))
            return QString();
        return Cp932::decode(f.readAll());
    }

    QString setting(const QString &key) const
    {
        for (const QString &line : settings().split(QStringLiteral("\r\n")))
            if (line.startsWith(key + QStringLiteral(" = ")))
                return line.mid(key.size() + 3);
        return QString();
    }

    void quitAndWait(QProcess *p)
    {
        QCOMPARE(quillbox({QStringLiteral("--quit")}), 0);
        QVERIFY(p->waitForFinished(10000));
        QCOMPARE(p->exitCode(), 0);
    }

private Q_SLOTS:
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        QVERIFY(QFile::copy(QStringLiteral(QUILLBOX_EXE), exe()));
        QDir(dir_->path()).mkpath(QStringLiteral("run"));
        QFile::setPermissions(path(QStringLiteral("run")), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QFile memo(path(QStringLiteral("QuillboxData.vlw")));
        QVERIFY(memo.open(QIODevice::WriteOnly));
        memo.write(card(QStringLiteral("朝"), QStringLiteral("挨拶"), QStringLiteral("おはようございます"))
                   + card(QStringLiteral("夜"), QStringLiteral("挨拶"), QStringLiteral("good night"))
                   + card(QStringLiteral("住所"), QStringLiteral("自宅"), QStringLiteral("東京都\r\n千代田区")));
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

    void firstStartWritesDefaultsAndSecondStartEndsSilently()
    {
        QProcess *first = startQuillbox();
        QVERIFY(!waitForWindow().isEmpty());
        QVERIFY(QFile::exists(path(QStringLiteral("Quillbox.ini"))));

        QString out;
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(quillbox({}, &out), 0);
        QVERIFY2(out.isEmpty(), qPrintable(out));
        QVERIFY(clock.elapsed() < 5000);
        QCOMPARE(first->state(), QProcess::Running);

        quitAndWait(first);
        const QString text = settings();
        QVERIFY(text.startsWith(QStringLiteral("[General]\r\n")));
        QCOMPARE(setting(QStringLiteral("TXTFile")), path(QStringLiteral("QuillboxData.vlw")));
        QCOMPARE(setting(QStringLiteral("PopUpKeyCode")), QStringLiteral("46"));
        QVERIFY(!setting(QStringLiteral("BootupTop")).isEmpty());
        // --quit with nothing running still succeeds.
        QCOMPARE(quillbox({QStringLiteral("--quit")}), 0);
    }

    void startAfterSigkillWorks()
    {
        QProcess *first = startQuillbox();
        QVERIFY(!waitForWindow().isEmpty());
        ::kill(pid_t(first->processId()), SIGKILL);
        QVERIFY(first->waitForFinished(5000));
        QTRY_VERIFY(!windowVisible());
        QProcess *second = startQuillbox();
        QVERIFY(!waitForWindow().isEmpty());
        quitAndWait(second);
    }

    void cardFileOnCommandLineIsShownAndStored()
    {
        QFile other(path(QStringLiteral("other memo.vlw")));
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.write(card(QStringLiteral("件名"), QStringLiteral("仕事"), QStringLiteral("from the other file")));
        other.close();
        writeSettings({QStringLiteral("CopyMode = 7")});

        // A relative path is stored absolute.
        QProcess *p = new QProcess(this);
        p->setProcessEnvironment(env());
        p->setWorkingDirectory(dir_->path());
        p->start(exe(), {QStringLiteral("other memo.vlw")});
        started_.append(p);
        const QString window = waitForWindow();
        QVERIFY(!window.isEmpty());
        run(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), QStringLiteral("--sync"), window});
        QTest::qWait(300);
        // A and B are the clipboard and address history, so the card file's group is C.
        run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("100"),
                                        QStringLiteral("c"), QStringLiteral("a")});
        QTRY_COMPARE(run(QStringLiteral("xclip"), {QStringLiteral("-selection"), QStringLiteral("clipboard"),
                                                   QStringLiteral("-o")}),
                     QStringLiteral("from the other file"));
        quitAndWait(p);
        QCOMPARE(setting(QStringLiteral("TXTFile")), path(QStringLiteral("other memo.vlw")));
        QCOMPARE(setting(QStringLiteral("CopyMode")), QStringLiteral("0"));
    }

    void lettersPasteIntoThePreviousWindow()
    {
        writeSettings({QStringLiteral("MinimizeAfterCopy = 2")});
        QProcess target;
        const QString pastedFile = path(QStringLiteral("pasted.txt"));
        target.start(QStringLiteral(PASTE_TARGET), {QStringLiteral("--out"), pastedFile});
        QVERIFY(target.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(target.canReadLine(), 10000);
        const QString targetWindow = QString::fromUtf8(target.readLine()).trimmed().section(u' ', 1);
        QVERIFY(!targetWindow.isEmpty());

        QProcess *p = startQuillbox();
        const QString window = waitForWindow();
        QVERIFY(!window.isEmpty());
        quillbox({QStringLiteral("--hotkey"), QStringLiteral("PopUp")}); // hidden or not, brings it up
        // The user came from the text editor: focus it, then call the lists up.
        run(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), QStringLiteral("--sync"), targetWindow});
        QTest::qWait(300);
        QCOMPARE(quillbox({QStringLiteral("--hotkey"), QStringLiteral("PopUp")}), 0);
        QTest::qWait(500);
        run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("150"),
                                        QStringLiteral("d"), QStringLiteral("a")});
        QTRY_VERIFY_WITH_TIMEOUT(!windowVisible(), 5000);
        const auto pasted = [&] {
            QFile f(pastedFile);
            return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
        };
        QTRY_COMPARE_WITH_TIMEOUT(pasted(), QStringLiteral("東京都\n千代田区"), 5000);
        target.terminate();
        target.waitForFinished();
        quitAndWait(p);
    }

    void sigtermStoresPlacementAndHotkeyBringsWindowBack()
    {
        QProcess *p = startQuillbox();
        const QString window = waitForWindow();
        QVERIFY(!window.isEmpty());
        run(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), QStringLiteral("--sync"), window});
        run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("ctrl+w")});
        QTRY_VERIFY(!windowVisible());
        QCOMPARE(quillbox({QStringLiteral("--hotkey"), QStringLiteral("PopUp")}), 0);
        QTRY_VERIFY(windowVisible());
        run(QStringLiteral("xdotool"), {QStringLiteral("windowmove"), window, QStringLiteral("200"), QStringLiteral("150")});
        QTest::qWait(500);

        ::kill(pid_t(p->processId()), SIGTERM);
        QVERIFY(p->waitForFinished(10000));
        QCOMPARE(p->exitStatus(), QProcess::NormalExit);
        // The frame stands a border's width off the client's corner.
        QVERIFY(qAbs(setting(QStringLiteral("BootupLeft")).toInt() / 15 - 200) <= 10);
        QVERIFY(qAbs(setting(QStringLiteral("BootupTop")).toInt() / 15 - 150) <= 40);

        int rc = 0;
        QString out;
        rc = quillbox({QStringLiteral("--hotkey"), QStringLiteral("PopUp")}, &out);
        QCOMPARE(rc, 1);
        QVERIFY(!out.isEmpty());
    }
};

QTEST_MAIN(TestE2EMainWindow)
#include "tst_e2e_mainwindow.moc"
