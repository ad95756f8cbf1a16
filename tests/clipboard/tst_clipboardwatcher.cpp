// The desktop clipboard feeding the viewer chain (needs an X server and xclip).
#include "platform/ClipboardChain.h"
#include "platform/desktop/ClipboardWatcher.h"
#include "platform/x11/X11ClipboardClaim.h"

#include <QtTest>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <xcb/xcb.h>

namespace {
int draws = 0;
ClipboardWatcher *watcher = nullptr;
QList<ClipboardSnapshot> seen;

win::LRESULT viewerProc(win::HWND, win::UINT msg, win::WPARAM, win::LPARAM)
{
    if (msg == win::WM_DRAWCLIPBOARD) {
        ++draws;
        if (watcher)
            seen.append(watcher->snapshot());
    }
    return 0;
}

QString xclipOut()
{
    QProcess p;
    p.start(QStringLiteral("xclip"), {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-o")});
    // We own the clipboard and must keep serving it while xclip reads.
    QElapsedTimer timer;
    timer.start();
    while (p.state() != QProcess::NotRunning && timer.elapsed() < 5000)
        QTest::qWait(10);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The clipboard's owner window, through Qt's own connection.
quint32 clipboardOwner()
{
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *c = x11->connection();
    xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, 9, "CLIPBOARD"), nullptr);
    xcb_get_selection_owner_reply_t *owner = xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, atom->atom), nullptr);
    const quint32 result = owner ? owner->owner : 0;
    free(owner);
    free(atom);
    return result;
}

// Another program that owns the clipboard with text until it is told to quit.
QProcess *startOwner(const QStringList &args)
{
    auto *p = new QProcess;
    p->start(QStringLiteral(SECRET_OWNER), args);
    if (!p->waitForReadyRead(10000) || !p->readLine().startsWith("owner")) {
        delete p;
        return nullptr;
    }
    return p;
}

void xclipIn(const QByteArray &data, const QString &target = QString())
{
    QStringList args{QStringLiteral("-selection"), QStringLiteral("clipboard")};
    if (!target.isEmpty())
        args << QStringLiteral("-t") << target;
    QProcess p;
    p.start(QStringLiteral("xclip"), args);
    p.write(data);
    p.closeWriteChannel();
    // xclip stays in the background as the owner; the foreground process ends at once.
    p.waitForFinished(5000);
}
} // namespace

class TestClipboardWatcher : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanupTestCase();
    void ownWriteNotifiesInsideTheCall();
    void otherProgramsTextGetsCrLf();
    void secretHintIsReported();
    void imageHasNoText();
    void snapshotIsReadOncePerChange();
    void currentSnapshotReadsANewOwnerWithAnOldId();

private:
    ProcessClipboardChain chain_;
    win::HWND viewer_ = 0;
    ClipboardWatcher *watcher_ = nullptr;
};

void TestClipboardWatcher::initTestCase()
{
    if (QStandardPaths::findExecutable(QStringLiteral("xclip")).isEmpty())
        QSKIP("xclip is needed");
    viewer_ = win::CreateWindowHandle(&viewerProc);
    chain_.SetClipboardViewer(viewer_);
    watcher_ = new ClipboardWatcher(chain_);
    watcher = watcher_;
}

void TestClipboardWatcher::init()
{
    draws = 0;
    seen.clear();
}

void TestClipboardWatcher::cleanupTestCase()
{
    watcher = nullptr;
    delete watcher_;
}

void TestClipboardWatcher::ownWriteNotifiesInsideTheCall()
{
    ClipboardWatcher::WriteText(QStringLiteral("one\r\ntwo\rthree"));
    QCOMPARE(draws, 1); // before WriteText returned
    QCOMPARE(seen.size(), 1);
    QVERIFY(seen.first().hasText);
    QCOMPARE(seen.first().text, QStringLiteral("one\r\ntwo\rthree"));
    // Other programs see LF.
    QCOMPARE(xclipOut(), QStringLiteral("one\ntwo\rthree"));
}

void TestClipboardWatcher::otherProgramsTextGetsCrLf()
{
    xclipIn("a\nb\r\nc ☆");
    QTRY_COMPARE_WITH_TIMEOUT(draws, 1, 5000);
    QCOMPARE(seen.size(), 1);
    QVERIFY(seen.first().hasText);
    QVERIFY(!seen.first().secret);
    QCOMPARE(seen.first().text, QStringLiteral("a\r\nb\r\nc ☆"));
}

void TestClipboardWatcher::secretHintIsReported()
{
    x11clipboard::Claim(*QGuiApplication::clipboard(), [] {
        auto *data = new QMimeData;
        data->setText(QStringLiteral("hunter2"));
        data->setData(QString::fromLatin1(ClipboardWatcher::PasswordHintFormat), "secret");
        return data;
    });
    QCOMPARE(draws, 1);
    QVERIFY(seen.first().secret);
    QCOMPARE(seen.first().text, QString());
}

void TestClipboardWatcher::imageHasNoText()
{
    QByteArray png;
    {
        QImage image(4, 4, QImage::Format_RGB32);
        image.fill(Qt::red);
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
    }
    xclipIn(png, QStringLiteral("image/png"));
    QTRY_COMPARE_WITH_TIMEOUT(draws, 1, 5000);
    QVERIFY(!seen.first().hasText);
    QCOMPARE(seen.first().text, QString());
}

void TestClipboardWatcher::snapshotIsReadOncePerChange()
{
    ClipboardWatcher::WriteText(QStringLiteral("first"));
    QCOMPARE(watcher_->snapshot().text, QStringLiteral("first"));
    // Bypass the notification: the kept snapshot still describes the last change.
    {
        const QSignalBlocker block(QGuiApplication::clipboard());
        QGuiApplication::clipboard()->setText(QStringLiteral("second"));
    }
    QCOMPARE(watcher_->snapshot().text, QStringLiteral("first"));
    QCOMPARE(ClipboardWatcher::ReadClipboard().text, QStringLiteral("second"));
}

void TestClipboardWatcher::currentSnapshotReadsANewOwnerWithAnOldId()
{
    // The X server hands a gone client's resource ids to the next one, so two programs in turn
    // can own the clipboard with the same window. The second one answers only after 700 ms.
    std::unique_ptr<QProcess> first(startOwner({QStringLiteral("first"), QStringLiteral("--no-hint")}));
    QVERIFY(first);
    QTRY_COMPARE_WITH_TIMEOUT(watcher_->currentSnapshot().text, QStringLiteral("first"), 5000);
    const quint32 firstWindow = clipboardOwner();
    first->write("quit\n");
    QVERIFY(first->waitForFinished(5000));
    QTRY_COMPARE(clipboardOwner(), quint32(0));

    std::unique_ptr<QProcess> second(
        startOwner({QStringLiteral("second"), QStringLiteral("--no-hint"), QStringLiteral("--slow"), QStringLiteral("700")}));
    QVERIFY(second);
    if (clipboardOwner() != firstWindow)
        QSKIP("this X server gave the second owner another window id");
    QCOMPARE(watcher_->currentSnapshot().text, QStringLiteral("second"));
    second->write("quit\n");
    QVERIFY(second->waitForFinished(5000));
}

QTEST_MAIN(TestClipboardWatcher)
#include "tst_clipboardwatcher.moc"
