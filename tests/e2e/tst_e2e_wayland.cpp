// Quillbox on a Wayland desktop: a headless sway with XWayland, Quillbox on XWayland, the other
// programs Wayland-native.
#include "SwayRig.h"
#include "QuillboxSandbox.h"

#include "platform/wayland/WaylandConnection.h"

#include "wlr-data-control-unstable-v1-client.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>

#include <wayland-client.h>

using namespace e2e;

class TestWayland : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void connection_data();
    void connection();
    void clipboardWhileHidden();

private:
    std::unique_ptr<SwayRig> rig_;
};

void TestWayland::initTestCase()
{
    rig_ = std::make_unique<SwayRig>();
    QVERIFY2(rig_->isValid(), qPrintable(rig_->problem()));
}

void TestWayland::connection_data()
{
    QTest::addColumn<QByteArray>("interface");
    QTest::addColumn<bool>("offered");
    // What the clipboard and the paste keys rely on; sway 1.7 predates the ext clipboard protocol.
    QTest::newRow("seat") << QByteArray("wl_seat") << true;
    QTest::newRow("wlr data control") << QByteArray("zwlr_data_control_manager_v1") << true;
    QTest::newRow("virtual keyboard") << QByteArray("zwp_virtual_keyboard_manager_v1") << true;
    QTest::newRow("foreign toplevels") << QByteArray("zwlr_foreign_toplevel_manager_v1") << true;
    QTest::newRow("made-up") << QByteArray("qb_no_such_protocol_v1") << false;
}

void TestWayland::connection()
{
    QFETCH(QByteArray, interface);
    QFETCH(bool, offered);
    WaylandConnection connection(qgetenv("WAYLAND_DISPLAY"));
    QVERIFY(connection.isConnected());
    QCOMPARE(connection.offeredVersion(interface.constData()) > 0, offered);
    QVERIFY(connection.roundtrip());
}

namespace {

// Quillbox's windows, as sway names them (the X11 class).
const QString QuillboxClass = QStringLiteral("Quillbox");

// One step of the run: a Wayland program's copy and the history it leads to.
struct CopyStep {
    const char *name;
    QString program; // "wl-copy" or our own copier, which can offer the password hint or hang
    QStringList args;
    QStringList history;
};

// What a Wayland program pastes.
QString wlPaste()
{
    return run(QStringLiteral("wl-paste"), {QStringLiteral("--no-newline")});
}

} // namespace

void TestWayland::clipboardWhileHidden()
{
    QuillboxSandbox box;
    QVERIFY(box.isValid());
    QVERIFY(box.writeCardFile(greetingCards()));
    QProcess *quillbox = box.start();
    QVERIFY(!box.waitForWindow().isEmpty());
    QVERIFY(rig_->waitForFocus(QuillboxClass));
    SwayRig::focusX11(box.waitForWindow());
    key(QStringLiteral("Escape"));
    QTRY_VERIFY(!box.windowVisible());

    const QString outFile = box.path(QStringLiteral("target.txt"));
    QProcessEnvironment wayland;
    wayland.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
    rig_->start(QStringLiteral(PASTE_TARGET), {QStringLiteral("--out"), outFile}, wayland);
    QVERIFY(rig_->waitForFocus(QStringLiteral("paste_target")));

    const QString copier = QStringLiteral(WAYLAND_COPY);
    const QString wlCopy = QStringLiteral("wl-copy");
    const QStringList fore{QStringLiteral("--foreground")};
    // Each step's copy is seen while a Wayland window has the focus; a step whose history does not
    // change is proven handled by the next one.
    const CopyStep steps[] = {
        {"wl-copy", wlCopy, fore + QStringList{"from wayland"}, {"from wayland"}},
        {"LF lines, several types", copier, {"line 1\nline 2"}, {"line 1\r\nline 2", "from wayland"}},
        {"password hint secret", copier, {"pa55 word", "--hint", "secret"}, {"line 1\r\nline 2", "from wayland"}},
        {"hint of another value", copier, {"public", "--hint", "public"}, {"public", "line 1\r\nline 2", "from wayland"}},
        {"Japanese", wlCopy, fore + QStringList{QStringLiteral("日本語のテキスト")},
         {QStringLiteral("日本語のテキスト"), "public", "line 1\r\nline 2", "from wayland"}},
    };
    for (const CopyStep &step : steps) {
        QProcess *copy = rig_->start(step.program, step.args);
        QVERIFY2(copy->waitForStarted(10000), step.name);
        if (step.program == copier) {
            QTRY_VERIFY_WITH_TIMEOUT(copy->canReadLine(), 10000);
            QCOMPARE(copy->readLine().trimmed(), QByteArray("owner"));
        }
        QTRY_COMPARE_WITH_TIMEOUT(box.history(), step.history, 10000);
        QVERIFY2(rig_->waitForFocus(QStringLiteral("paste_target"), 1000), step.name);
    }

    // A hot key right after a copy starts from that copy, even from a slow source: the calculator
    // bar computes it. Its result, copied by us outside the lists, is recorded as on X11.
    QProcess *slow = rig_->start(copier, {QStringLiteral("7*6"), QStringLiteral("--slow"), QStringLiteral("700")});
    QTRY_VERIFY_WITH_TIMEOUT(slow->canReadLine(), 10000);
    QCOMPARE(box.quillbox({QStringLiteral("--hotkey"), QStringLiteral("PopUpCalc")}), 0);
    QStringList bars;
    QTRY_VERIFY_WITH_TIMEOUT(!(bars = visibleWindows(QStringLiteral("^電卓$"))).isEmpty(), 5000);
    SwayRig::focusX11(bars.first());
    key(QStringLiteral("shift+Return"));
    QTRY_COMPARE_WITH_TIMEOUT(wlPaste(), QStringLiteral("42"), 5000);
    const QStringList before = QStringList{QStringLiteral("42"), QStringLiteral("7*6")} + steps[std::size(steps) - 1].history;
    QTRY_COMPARE(box.history(), before);
    QTRY_VERIFY(visibleWindows(QStringLiteral("^電卓$")).isEmpty());
    rig_->swaymsg({QStringLiteral("[app_id=paste_target] focus")});
    QVERIFY(rig_->waitForFocus(QStringLiteral("paste_target")));

    // A source that never answers holds nothing up: the lists come at once.
    QProcess *hung = rig_->start(copier, {QStringLiteral("stuck"), QStringLiteral("--hang")});
    QTRY_VERIFY_WITH_TIMEOUT(hung->canReadLine(), 10000);
    QTest::qWait(200); // the change has reached Quillbox, which now waits for the source
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(box.quillbox({QStringLiteral("--hotkey"), QStringLiteral("PopUp")}), 0);
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    QTRY_VERIFY_WITH_TIMEOUT(box.windowVisible(), 1000);

    // A pick is what Wayland programs paste once the Wayland window has the focus again, and our
    // own copy neither adds nor reorders anything.
    QVERIFY(rig_->waitForFocus(QuillboxClass));
    SwayRig::focusX11(box.waitForWindow());
    keys({QStringLiteral("a"), QStringLiteral("e")}); // the history's fifth item
    // The lists stay up after a copy by default: Escape goes from the items to the groups, then hides.
    for (int i = 0; i < 3 && box.windowVisible(); ++i) {
        QTest::qWait(300);
        key(QStringLiteral("Escape"));
    }
    QTRY_VERIFY(!box.windowVisible());
    // As the user would click it: sway leaves the focus where the hidden window was.
    rig_->swaymsg({QStringLiteral("[app_id=paste_target] focus")});
    QVERIFY(rig_->waitForFocus(QStringLiteral("paste_target")));
    QCOMPARE(wlPaste(), QStringLiteral("line 1\nline 2"));
    QTest::qWait(500);
    QCOMPARE(box.history(), before);

    // Still watching after our own copy.
    rig_->start(wlCopy, fore + QStringList{QStringLiteral("after the pick")});
    QTRY_COMPARE_WITH_TIMEOUT(box.history(), QStringList{QStringLiteral("after the pick")} + before, 10000);
    box.quitAndWait(quillbox);
}

QTEST_GUILESS_MAIN(TestWayland)
#include "tst_e2e_wayland.moc"
