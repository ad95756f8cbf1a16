// Pasting into the window the user came from, on a real X server with a window manager.
#include "platform/x11/X11SyntheticInput.h"
#include "platform/desktop/clsMouse.h"

#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

Display *dpy()
{
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->display() : nullptr;
}

QString readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

void holdKeys(const QList<unsigned long> &keysyms, bool press)
{
    for (unsigned long sym : keysyms)
        XTestFakeKeyEvent(dpy(), XKeysymToKeycode(dpy(), sym), press, CurrentTime);
    XSync(dpy(), False);
}

} // namespace

class TestPaste : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void pasteLandsInPreviousWindow_data();
    void pasteLandsInPreviousWindow();
    void ownWindowIsNeverRemembered();
    void targetGoneDoesNotEndProgram();
    void windowClassOfClientChildAndFrame();
    void leftClickAtPointer_data();
    void leftClickAtPointer();

private:
    bool startTarget();

    QTemporaryDir m_dir;
    QProcess *m_target = nullptr;
    QString m_out;
    unsigned long m_targetWindow = 0;
};

void TestPaste::initTestCase()
{
    if (!dpy())
        QSKIP("needs an X display");
    const Atom check = XInternAtom(dpy(), "_NET_SUPPORTING_WM_CHECK", True);
    if (check == 0)
        QSKIP("needs a window manager");
}

void TestPaste::init()
{
    m_out = m_dir.filePath(QStringLiteral("%1.txt").arg(QTest::currentTestFunction()));
    QFile::remove(m_out);
}

void TestPaste::cleanup()
{
    if (m_target) {
        m_target->terminate();
        m_target->waitForFinished(3000);
        delete m_target;
        m_target = nullptr;
    }
}

bool TestPaste::startTarget()
{
    m_target = new QProcess;
    m_target->start(QStringLiteral(PASTE_TARGET), {QStringLiteral("--out"), m_out});
    if (!m_target->waitForStarted(5000))
        return false;
    QElapsedTimer clock;
    clock.start();
    while (!m_target->canReadLine() && clock.elapsed() < 10000)
        QTest::qWait(20);
    const QList<QByteArray> words = m_target->readLine().trimmed().split(' ');
    if (words.size() != 2 || words[0] != "ready")
        return false;
    m_targetWindow = words[1].toULong();
    return m_targetWindow != 0;
}

void TestPaste::pasteLandsInPreviousWindow_data()
{
    QTest::addColumn<QList<unsigned long>>("held");
    QTest::newRow("nothing held") << QList<unsigned long>{};
    QTest::newRow("Alt of a hot key held") << QList<unsigned long>{XK_Alt_L};
    QTest::newRow("Shift of Shift+Enter held") << QList<unsigned long>{XK_Shift_L};
    QTest::newRow("Ctrl+Alt held") << QList<unsigned long>{XK_Control_L, XK_Alt_L};
}

void TestPaste::pasteLandsInPreviousWindow()
{
    QFETCH(QList<unsigned long>, held);
    QVERIFY(startTarget());
    QTRY_COMPARE(X11SyntheticInput::focusedWindow(), m_targetWindow);

    X11SyntheticInput input;
    input.rememberFocus();
    QCOMPARE(input.rememberedWindow(), m_targetWindow);

    QWidget ours;
    ours.resize(200, 100);
    activateWindow(&ours, CurrentTime);
    QTRY_COMPARE(X11SyntheticInput::focusedWindow(), static_cast<unsigned long>(ours.winId()));

    const QString text = QStringLiteral("Dear 田中, thank you.\nline 2");
    QGuiApplication::clipboard()->setText(text);
    holdKeys(held, true);
    ours.hide();
    const bool back = input.paste();
    holdKeys(held, false); // in case a press outlived the paste
    QVERIFY(back);
    QTRY_COMPARE(readAll(m_out), text);
    // Nothing else arrived (a held Alt or Shift would have turned Ctrl+V into another command).
    QTest::qWait(100);
    QCOMPARE(readAll(m_out), text);
}

void TestPaste::ownWindowIsNeverRemembered()
{
    QVERIFY(startTarget());
    QTRY_COMPARE(X11SyntheticInput::focusedWindow(), m_targetWindow);
    X11SyntheticInput input;
    input.rememberFocus();

    QWidget ours;
    activateWindow(&ours, CurrentTime);
    QTRY_COMPARE(X11SyntheticInput::focusedWindow(), static_cast<unsigned long>(ours.winId()));
    input.rememberFocus(); // shown again while in front: the hot key pressed twice
    QCOMPARE(input.rememberedWindow(), m_targetWindow);

    QGuiApplication::clipboard()->setText(QStringLiteral("twice"));
    ours.hide();
    QVERIFY(input.paste());
    QTRY_COMPARE(readAll(m_out), QStringLiteral("twice"));
}

void TestPaste::targetGoneDoesNotEndProgram()
{
    QVERIFY(startTarget());
    QTRY_COMPARE(X11SyntheticInput::focusedWindow(), m_targetWindow);
    X11SyntheticInput input;
    input.rememberFocus();
    QWidget ours;
    activateWindow(&ours, CurrentTime);
    QTRY_COMPARE(X11SyntheticInput::focusedWindow(), static_cast<unsigned long>(ours.winId()));

    m_target->kill();
    QVERIFY(m_target->waitForFinished(3000));
    QGuiApplication::clipboard()->setText(QStringLiteral("nowhere"));
    ours.hide();
    // The remembered window is gone: X errors are absorbed and the paste reports it.
    QVERIFY(!input.paste());
    QVERIFY(dpy());
    XSync(dpy(), False);
}

void TestPaste::windowClassOfClientChildAndFrame()
{
    QVERIFY(startTarget());
    const QStringList expected = {QStringLiteral("paste_target"), QStringLiteral("paste_target")};
    QCOMPARE(X11SyntheticInput::windowClass(m_targetWindow), expected);

    // The window manager's frame around the client carries no class: the client's counts.
    Window root = 0, frame = 0, *children = nullptr;
    unsigned int n = 0;
    QVERIFY(XQueryTree(dpy(), m_targetWindow, &root, &frame, &children, &n));
    if (children)
        XFree(children);
    QVERIFY(frame != root);
    QCOMPARE(X11SyntheticInput::windowClass(frame), expected);

    // A window inside the client (where the focus often sits) has the client's class.
    const Window inner = XCreateSimpleWindow(dpy(), m_targetWindow, 0, 0, 10, 10, 0, 0, 0);
    QCOMPARE(X11SyntheticInput::windowClass(inner), expected);
    XDestroyWindow(dpy(), inner);
    XSync(dpy(), False);
    QCOMPARE(X11SyntheticInput::windowClass(inner), QStringList()); // gone: no class, no crash
}

void TestPaste::leftClickAtPointer_data()
{
    QTest::addColumn<bool>("leftHanded");
    QTest::newRow("right-handed") << false;
    QTest::newRow("left-handed pointer map") << true;
}

void TestPaste::leftClickAtPointer()
{
    QFETCH(bool, leftHanded);
    unsigned char saved[32];
    const int count = XGetPointerMapping(dpy(), saved, sizeof saved);
    if (leftHanded) {
        unsigned char swapped[32];
        std::copy(saved, saved + count, swapped);
        std::swap(swapped[0], swapped[2]);
        QCOMPARE(XSetPointerMapping(dpy(), swapped, count), MappingSuccess);
    }

    QPushButton button(QStringLiteral("item"));
    button.resize(200, 80);
    activateWindow(&button, CurrentTime);
    QVERIFY(QTest::qWaitForWindowExposed(&button));
    QCursor::setPos(button.mapToGlobal(button.rect().center()));
    QTRY_COMPARE(QCursor::pos(), button.mapToGlobal(button.rect().center()));
    QSignalSpy clicked(&button, &QPushButton::clicked);

    {
        clsMouse mouse;
        mouse.LeftDown();
        mouse.LeftUp();
    }
    QTRY_COMPARE(clicked.count(), 1);

    if (leftHanded)
        XSetPointerMapping(dpy(), saved, count);
    XSync(dpy(), False);
}

QTEST_MAIN(TestPaste)
#include "tst_paste.moc"
