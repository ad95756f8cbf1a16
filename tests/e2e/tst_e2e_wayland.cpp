// Quillbox on a Wayland desktop: a headless sway with XWayland.
#include "SwayRig.h"
#include "QuillboxSandbox.h"

#include "platform/wayland/WaylandConnection.h"

#include "wlr-data-control-unstable-v1-client.h"

#include <QCoreApplication>
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

QTEST_GUILESS_MAIN(TestWayland)
#include "tst_e2e_wayland.moc"
