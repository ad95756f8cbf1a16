// The main window's dictionary and web-search commands, with the desktop replaced by fakes.
#include "app/MainForm.h"
#include "lookup/frmWebSearch.h"
#include "platform/ClipboardChain.h"
#include "platform/Cp932.h"
#include "FakeShell.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QMessageBox>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class TestMainFormLookup : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;
    FakeShell shell_;
    QString clipboard_;
    QString copiedBySelection_; // what the focused program puts on the clipboard for Ctrl+C
    bool focusIsOurs_ = false;
    int copies_ = 0;
    std::unique_ptr<MainForm> form_;

    MainForm &start()
    {
        QFile f(dir_.filePath(QStringLiteral("Quillbox.ini")));
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(Cp932::encode(QStringLiteral("[General]\r\nClipEnable = False\r\nDicURL1 = http://127.0.0.1:9/d?q=\r\n")));
        f.close();
        AppServices services;
        services.shell = &shell_;
        services.readClipboard = [this] {
            ClipboardSnapshot s;
            s.hasText = !clipboard_.isEmpty();
            s.text = clipboard_;
            return s;
        };
        services.copyFromFocused = [this] {
            if (focusIsOurs_)
                return false;
            ++copies_;
            if (!copiedBySelection_.isEmpty())
                QTimer::singleShot(50, [this] { clipboard_ = copiedBySelection_; });
            return true;
        };
        form_ = std::make_unique<MainForm>(AppPaths{dir_.path(), QStringLiteral("Quillbox"), dir_.path()}, services);
        form_->Form_Load(QString());
        return *form_;
    }

private Q_SLOTS:
    void cleanup()
    {
        form_.reset();
        clipboard_.clear();
        copiedBySelection_.clear();
        focusIsOurs_ = false;
        copies_ = 0;
    }

    // With the auto-copy option the selection is copied first; a keyword then needs the
    // dictionary plugin, which is not beside this test: the user is told so.
    void dictionaryAutoCopy_data()
    {
        QTest::addColumn<bool>("autoCopy");
        QTest::addColumn<bool>("ourFocus");
        QTest::addColumn<QString>("selection");
        QTest::addColumn<int>("copies");
        QTest::addColumn<bool>("pluginAsked");
        QTest::newRow("off") << false << false << QStringLiteral("word") << 0 << false;
        QTest::newRow("on, nothing selected") << true << false << QString() << 1 << false;
        QTest::newRow("on, word selected") << true << false << QStringLiteral("word") << 1 << true;
        QTest::newRow("on, our own window focused") << true << true << QStringLiteral("word") << 0 << false;
    }
    void dictionaryAutoCopy()
    {
        QFETCH(bool, autoCopy);
        QFETCH(bool, ourFocus);
        QFETCH(QString, selection);
        QFETCH(int, copies);
        QFETCH(bool, pluginAsked);
        MainForm &f = start();
        if (autoCopy)
            f.MenuDicAutoCopy->trigger();
        QCOMPARE(f.iniData.GetiniValue(QStringLiteral("MenuDicAutoCopy")), autoCopy ? QStringLiteral("True") : QStringLiteral("False"));
        copiedBySelection_ = selection;
        focusIsOurs_ = ourFocus;
        QString message;
        QTimer closer;
        connect(&closer, &QTimer::timeout, this, [&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                message = box->text();
                box->close();
            }
        });
        closer.start(50);
        f.MenuDicOpen_Click(0);
        QCOMPARE(copies_, copies);
        QCOMPARE(message.contains(QStringLiteral("辞書ウインドウを読み込めませんでした。")), pluginAsked);
        QCOMPARE(message.contains(QStringLiteral("quillbox_dic.so")), pluginAsked);
    }

    void webSearchCommands()
    {
        MainForm &f = start();
        f.MenuWebSearch[1]->trigger();
        frmWebSearch *window = f.webSearchWindow();
        QVERIFY(window->isVisible());
        QVERIFY(window->chkSearchMulti->isChecked());
        QCOMPARE(window->windowTitle(), QStringLiteral("WebSearch on ") + f.windowTitle());
        window->hide();
        // The hot key shows the same window without touching the multi-search box.
        QVERIFY(f.RunHotKeyAction(QStringLiteral("PopUpWebSearch")));
        QVERIFY(window->isVisible());
        QCOMPARE(f.webSearchWindow(), window);
        QVERIFY(window->chkSearchMulti->isChecked());
        f.MenuWebSearch[0]->trigger();
        QVERIFY(!window->chkSearchMulti->isChecked());

        // The exit unloads it.
        QPointer<frmWebSearch> guard(window);
        QSignalSpy finished(&f, &MainForm::shutdownFinished);
        f.requestExit();
        QTRY_COMPARE(finished.count(), 1);
        QVERIFY(guard.isNull());
    }
};

QTEST_MAIN(TestMainFormLookup)
#include "tst_mainformlookup.moc"
