// Whole-program runs of the web lookup: dictionary windows against a small HTTP server of the
// test on 127.0.0.1, and the web-search window handing addresses to a recording xdg-open.
#include "QuillboxSandbox.h"
#include "platform/UserStore.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

using namespace e2e;

namespace {

// Answers every GET with a small page naming the request, and records the request targets.
class HttpRecorder : public QObject
{
public:
    QStringList targets;

    bool listen()
    {
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = server_.nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { answer(socket); });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
        return server_.listen(QHostAddress::LocalHost);
    }
    QString base() const { return QStringLiteral("http://127.0.0.1:%1").arg(server_.serverPort()); }

private:
    void answer(QTcpSocket *socket)
    {
        QByteArray &request = pending_[socket];
        request += socket->readAll();
        if (!request.contains("\r\n\r\n"))
            return;
        const QList<QByteArray> line = request.left(request.indexOf("\r\n")).split(' ');
        pending_.remove(socket);
        const QString target = line.size() > 1 ? QString::fromLatin1(line[1]) : QString();
        targets << target;
        const QByteArray body = "<html><head><title>page</title></head><body style='font-size:24px'>"
                                "<h1>\xe8\xbe\x9e\xe6\x9b\xb8 test page</h1><p>" +
                                target.toHtmlEscaped().toUtf8() + "</p></body></html>";
        socket->write("HTTP/1.0 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nConnection: close\r\n"
                      "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body);
        socket->disconnectFromHost();
    }

    QTcpServer server_;
    QHash<QTcpSocket *, QByteArray> pending_;
};

QRect windowGeometry(const QString &window)
{
    // The client area on the screen, as xwininfo reports it ("Absolute upper-left X:  1").
    const QString text = run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), window});
    auto number = [&text](const char *label) {
        return QRegularExpression(QLatin1String(label) + QStringLiteral(":\\s+(-?\\d+)")).match(text).captured(1).toInt();
    };
    return QRect(number("Absolute upper-left X"), number("Absolute upper-left Y"), number("Width"), number("Height"));
}

void clickAt(const QString &window, int x, int y, int repeat = 1)
{
    xdo({QStringLiteral("mousemove"), QStringLiteral("--window"), window, QString::number(x), QString::number(y)});
    xdo({QStringLiteral("click"), QStringLiteral("--repeat"), QString::number(repeat), QStringLiteral("--delay"),
         QStringLiteral("80"), QStringLiteral("1")});
}

// Whether the window manager gets an icon of the window's own rather than its generic one.
bool hasIcon(const QString &window)
{
    const QString icon = run(QStringLiteral("xprop"), {QStringLiteral("-id"), window, QStringLiteral("_NET_WM_ICON")});
    return icon.startsWith(QStringLiteral("_NET_WM_ICON(CARDINAL)"));
}

const QString DicCaption = QStringLiteral("WebDictionary on Quillbox with VLM Ver.3.1.0");

} // namespace

class TestE2ELookup : public QObject
{
    Q_OBJECT

    HttpRecorder http_;
    std::unique_ptr<QuillboxSandbox> box_;
    QString xdgOpenLog_;

    QStringList settingsLines() const
    {
        const QString b = http_.base();
        return {QStringLiteral("DicName1 = 1 一"), QStringLiteral("DicURL1 = ") + b + QStringLiteral("/dic1?q="),
                QStringLiteral("DicName2 = 2 二"), QStringLiteral("DicURL2 = ") + b + QStringLiteral("/dic2?q="),
                QStringLiteral("WebSearchURL1 = ") + b + QStringLiteral("/ws1?q="),
                QStringLiteral("WebSearchURL2 = ") + b + QStringLiteral("/ws2?q="),
                QStringLiteral("WebSearchURL3 = ") + b + QStringLiteral("/ws3?q="),
                QStringLiteral("WebSearchFeelingLuckyURL = ") + b + QStringLiteral("/lucky?q="),
                QStringLiteral("TVProgramTableURL = ") + b + QStringLiteral("/tv.html")};
    }

    QString startQuillbox()
    {
        box_ = std::make_unique<QuillboxSandbox>();
        if (!box_->isValid() || !box_->writeSettings(settingsLines()))
            return {};
        box_->start();
        return box_->waitForWindow();
    }

    QString waitForDicWindow(int count = 1)
    {
        QStringList windows;
        for (int i = 0; i < 200 && windows.size() != count; ++i) {
            QTest::qWait(100);
            windows = visibleWindows(DicCaption);
        }
        return windows.size() == count ? windows.last() : QString();
    }

    QString stored(const QString &key) const
    {
        FileUserStore store(box_->path(QStringLiteral("config"))); // read afresh
        return store.GetSetting(QStringLiteral("Fennecs SoftWares"), QStringLiteral("Quillbox with VLM"), key);
    }

    QStringList openedAddresses() const
    {
        QFile f(xdgOpenLog_);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(http_.listen());
        // A recording xdg-open first on PATH: the desktop's browser is reached through it.
        static QTemporaryDir bin;
        QVERIFY(bin.isValid());
        xdgOpenLog_ = bin.filePath(QStringLiteral("opened.txt"));
        const QString script = bin.filePath(QStringLiteral("xdg-open"));
        QVERIFY(writeFile(script, "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + xdgOpenLog_.toUtf8() + "'\n"));
        QVERIFY(QFile::setPermissions(script, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
        qputenv("PATH", bin.path().toUtf8() + ':' + qgetenv("PATH"));
    }

    void cleanup() { box_.reset(); }

    // The pop-up menu's 和英辞書 looks the whole clipboard up in service 2; the address box,
    // clicked, copies the page's address.
    void dictionarySearch()
    {
        const QString main = startQuillbox();
        QVERIFY(!main.isEmpty());
        QVERIFY(setClipboardText(QStringLiteral("日本\nword 2")));
        box_->startProcess(box_->exe(), {QStringLiteral("--hotkey"), QStringLiteral("PopUpMenu")});
        QTest::qWait(800);
        keys({QStringLiteral("0"), QStringLiteral("2")}, 300);

        const QString target = QStringLiteral("/dic2?q=%93%FA%96%7B%0D%0Aword+2");
        QTRY_VERIFY_WITH_TIMEOUT(http_.targets.contains(target), 30000);
        const QString dic = waitForDicWindow();
        QVERIFY(!dic.isEmpty());
        QTest::qWait(1500); // the page finishes loading and its address is shown

        const QRect g = windowGeometry(dic);
        clickAt(dic, 60, g.height() - 10);
        QTRY_COMPARE_WITH_TIMEOUT(clipboardText(), http_.base() + target, 5000);

        QVERIFY2(hasIcon(dic), "the dictionary window has no icon of its own");
        // Narrowed as far as it goes, the tool strip and a keyword box stay usable.
        xdo({QStringLiteral("windowsize"), dic, QStringLiteral("50"), QStringLiteral("300")});
        QTest::qWait(800);
        QVERIFY2(windowGeometry(dic).width() >= 400, qPrintable(QString::number(windowGeometry(dic).width())));

        // Esc with the service list dropped down closes the list, not the window.
        key(QStringLiteral("alt+1"));
        key(QStringLiteral("Tab"));
        key(QStringLiteral("alt+Down"));
        QTest::qWait(800);
        key(QStringLiteral("Escape"));
        QTest::qWait(1000);
        QCOMPARE(visibleWindows(DicCaption).size(), 1);
        // Esc closes that window only.
        key(QStringLiteral("Escape"));
        QTRY_VERIFY_WITH_TIMEOUT(visibleWindows(DicCaption).isEmpty(), 5000);
        QVERIFY(box_->windowVisible(main));
        QCOMPARE(box_->quillbox({QStringLiteral("--quit")}), 0);
    }

    // The normal placement is stored even when the window closes maximised, and the next
    // window opens maximised; windows still open at exit store theirs too.
    void placementSurvivesMaximised()
    {
        QVERIFY(!startQuillbox().isEmpty());
        QCOMPARE(box_->quillbox({QStringLiteral("--hotkey"), QStringLiteral("PopUpDic")}), 0);
        QString dic = waitForDicWindow();
        QVERIFY(!dic.isEmpty());
        QTest::qWait(1000); // placed and framed
        xdo({QStringLiteral("windowsize"), dic, QStringLiteral("800"), QStringLiteral("400")});
        xdo({QStringLiteral("windowmove"), dic, QStringLiteral("100"), QStringLiteral("120")});
        QTest::qWait(800);
        xdo({QStringLiteral("windowactivate"), dic});
        QTest::qWait(300);
        key(QStringLiteral("Escape"));
        QTRY_VERIFY_WITH_TIMEOUT(visibleWindows(DicCaption).isEmpty(), 5000);
        QCOMPARE(stored(QStringLiteral("DicWindowState")), QStringLiteral("0"));
        const QStringList placementKeys{QStringLiteral("DicWindowTop"), QStringLiteral("DicWindowLeft"),
                                        QStringLiteral("DicWindowHeight"), QStringLiteral("DicWindowWidth")};
        QStringList normal;
        for (const QString &k : placementKeys)
            normal << stored(k);
        // The outer frame: at least the client's 800 x 400 pixels, in twips.
        QVERIFY2(normal[3].toInt() >= 800 * 15 && normal[3].toInt() < 840 * 15, qPrintable(normal.join(u' ')));
        QVERIFY2(normal[2].toInt() >= 400 * 15 && normal[2].toInt() < 460 * 15, qPrintable(normal.join(u' ')));

        // Reopened at the same place; maximised by a double click on its title bar.
        QCOMPARE(box_->quillbox({QStringLiteral("--hotkey"), QStringLiteral("PopUpDic")}), 0);
        dic = waitForDicWindow();
        QVERIFY(!dic.isEmpty());
        QTest::qWait(800);
        const QRect before = windowGeometry(dic);
        QVERIFY2(qAbs(before.width() - 800) <= 2 && qAbs(before.height() - 400) <= 2,
                 qPrintable(QStringLiteral("%1x%2").arg(before.width()).arg(before.height())));
        xdo({QStringLiteral("mousemove"), QString::number(before.x() + before.width() / 2),
             QString::number(before.y() - 8)});
        xdo({QStringLiteral("click"), QStringLiteral("--repeat"), QStringLiteral("2"), QStringLiteral("--delay"),
             QStringLiteral("80"), QStringLiteral("1")});
        QTRY_VERIFY_WITH_TIMEOUT(windowGeometry(dic).width() > 1000, 5000);
        xdo({QStringLiteral("windowactivate"), dic});
        QTest::qWait(300);
        key(QStringLiteral("Escape"));
        QTRY_VERIFY_WITH_TIMEOUT(visibleWindows(DicCaption).isEmpty(), 5000);
        QCOMPARE(stored(QStringLiteral("DicWindowState")), QStringLiteral("2"));
        for (int i = 0; i < placementKeys.size(); ++i)
            QCOMPARE(stored(placementKeys[i]), normal[i]);

        // The next window opens maximised; open at exit, it stores the same again.
        QCOMPARE(box_->quillbox({QStringLiteral("--hotkey"), QStringLiteral("PopUpDic")}), 0);
        dic = waitForDicWindow();
        QVERIFY(!dic.isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(windowGeometry(dic).width() > 1000, 5000);
        QCOMPARE(box_->quillbox({QStringLiteral("--quit")}), 0);
        QTRY_VERIFY_WITH_TIMEOUT(visibleWindows(DicCaption).isEmpty(), 5000);
        QCOMPARE(stored(QStringLiteral("DicWindowState")), QStringLiteral("2"));
        for (int i = 0; i < placementKeys.size(); ++i)
            QCOMPARE(stored(placementKeys[i]), normal[i]);
    }

    // Made-up placement values put the window on the screen and are not stored back; a
    // dictionary address that is not a web address is refused with a warning naming it.
    void hostileDictionarySettings()
    {
        box_ = std::make_unique<QuillboxSandbox>();
        QVERIFY(box_->isValid());
        QStringList lines = settingsLines();
        lines[1] = QStringLiteral("DicURL1 = javascript:document.title='ran';//");
        QVERIFY(box_->writeSettings(lines));
        {
            FileUserStore store(box_->path(QStringLiteral("config")));
            QVERIFY(store.SaveSettings(QStringLiteral("Fennecs SoftWares"), QStringLiteral("Quillbox with VLM"),
                                       {{QStringLiteral("DicWindowTop"), QStringLiteral("1e12")},
                                        {QStringLiteral("DicWindowLeft"), QStringLiteral("300000")},
                                        {QStringLiteral("DicWindowHeight"), QStringLiteral("9e9")},
                                        {QStringLiteral("DicWindowWidth"), QStringLiteral("nan")}}));
        }
        box_->start();
        QVERIFY(!box_->waitForWindow().isEmpty());
        QVERIFY(setClipboardText(QStringLiteral("word")));
        QCOMPARE(box_->quillbox({QStringLiteral("--hotkey"), QStringLiteral("PopUpDic")}), 0);
        const QString dic = waitForDicWindow();
        QVERIFY(!dic.isEmpty());
        QTest::qWait(1000); // placed and framed
        const QStringList size = xdo({QStringLiteral("getdisplaygeometry")}).split(u' ');
        const QRect screen(0, 0, size.value(0).toInt(), size.value(1).toInt());
        const QRect shown = windowGeometry(dic);
        QVERIFY2(screen.contains(shown), qPrintable(QStringLiteral("%1,%2 %3x%4").arg(shown.x()).arg(shown.y())
                                                        .arg(shown.width()).arg(shown.height())));

        // Enter searches service 1, whose address runs a script: refused, nothing loaded.
        activate(dic);
        key(QStringLiteral("Return"));
        QTRY_COMPARE_WITH_TIMEOUT(visibleWindows(QStringLiteral("^開かないアドレス$")).size(), 1, 5000);
        QVERIFY(!http_.targets.contains(QStringLiteral("/dic1?q=word")));
        key(QStringLiteral("Escape"));
        QTRY_VERIFY_WITH_TIMEOUT(visibleWindows(QStringLiteral("^開かないアドレス$")).isEmpty(), 5000);

        QCOMPARE(box_->quillbox({QStringLiteral("--quit")}), 0);
        QTRY_VERIFY_WITH_TIMEOUT(visibleWindows(DicCaption).isEmpty(), 5000);
        for (const QString &k : {QStringLiteral("DicWindowTop"), QStringLiteral("DicWindowLeft"),
                                 QStringLiteral("DicWindowHeight"), QStringLiteral("DicWindowWidth")}) {
            bool ok = false;
            const int pixels = stored(k).toInt(&ok) / 15;
            QVERIFY2(ok && pixels >= 0 && pixels <= qMax(screen.width(), screen.height()), qPrintable(k + u' ' + stored(k)));
        }
    }

    // A multi search hands one address per engine to the desktop, an address goes as it is,
    // Ctrl+Enter takes the first-hit search.
    void webSearch()
    {
        QVERIFY(!startQuillbox().isEmpty());
        QFile::remove(xdgOpenLog_);
        box_->startProcess(box_->exe(), {QStringLiteral("--hotkey"), QStringLiteral("PopUpMenu")});
        QTest::qWait(800);
        keys({QStringLiteral("0"), QStringLiteral("6")}, 300);
        const QString caption = QStringLiteral("WebSearch on Quillbox with VLM Ver.3.1.0");
        QTRY_COMPARE_WITH_TIMEOUT(visibleWindows(caption).size(), 1, 10000);
        QTest::qWait(300);
        const QString webSearch = visibleWindows(caption).first();
        QVERIFY2(hasIcon(webSearch), "the web-search window has no icon of its own");
        // The program's picture beside the help text.
        QVERIFY(run(QStringLiteral("import"), {QStringLiteral("-window"), webSearch, QStringLiteral("-crop"),
                                               QStringLiteral("32x32+10+88"), QStringLiteral("-format"),
                                               QStringLiteral("%k"), QStringLiteral("info:")})
                    .toInt() > 1);

        xdo({QStringLiteral("type"), QStringLiteral("tea cup")});
        key(QStringLiteral("Return"));
        QTest::qWait(300);
        xdo({QStringLiteral("type"), QStringLiteral("www.example.jp")});
        key(QStringLiteral("Return"));
        QTest::qWait(300);
        // An address leaves the text as it was, unselected.
        key(QStringLiteral("ctrl+a"));
        xdo({QStringLiteral("type"), QStringLiteral("1+1")});
        key(QStringLiteral("ctrl+Return"));

        const QString b = http_.base();
        const QSet<QString> expected{b + QStringLiteral("/ws1?q=tea+cup"), b + QStringLiteral("/ws2?q=tea+cup"),
                                     b + QStringLiteral("/ws3?q=tea+cup"), QStringLiteral("http://www.example.jp"),
                                     b + QStringLiteral("/lucky?q=1%2B1")};
        // Detached starts race: compare the set, not the order.
        QTRY_COMPARE_WITH_TIMEOUT(openedAddresses().size(), 5, 10000);
        QTest::qWait(300); // nothing more arrives
        const QStringList opened = openedAddresses();
        QCOMPARE(QSet<QString>(opened.begin(), opened.end()), expected);
        QCOMPARE(opened.size(), 5);

        // Esc hides it; the hot key brings it back without touching the multi-search box.
        key(QStringLiteral("Escape"));
        QTRY_VERIFY_WITH_TIMEOUT(visibleWindows(caption).isEmpty(), 5000);
        QCOMPARE(box_->quillbox({QStringLiteral("--hotkey"), QStringLiteral("PopUpWebSearch")}), 0);
        QTRY_COMPARE_WITH_TIMEOUT(visibleWindows(caption).size(), 1, 5000);
        QFile::remove(xdgOpenLog_);
        xdo({QStringLiteral("type"), QStringLiteral("z")});
        key(QStringLiteral("Return"));
        QTRY_COMPARE_WITH_TIMEOUT(openedAddresses().size(), 3, 10000);
        QCOMPARE(box_->quillbox({QStringLiteral("--quit")}), 0);
    }
};

QTEST_MAIN(TestE2ELookup)
#include "tst_e2e_lookup.moc"
