#include "winmsg/QtTrayIconService.h"
#include "winmsg/TrayMouse.h"
#include "winmsg/clsSysTray.h"

#include <QApplication>
#include <QPixmap>
#include <QSignalSpy>
#include <QWidget>
#include <QtTest>

namespace {

class FakeTray : public TrayIconService
{
public:
    struct Call {
        Operation op;
        TrayIconRecord record;
    };
    bool NotifyIcon(Operation op, const TrayIconRecord &record) override
    {
        calls.append(Call{op, record});
        if (op == Add) {
            if (shown)
                return false;
            shown = true;
            owner = record.window;
        } else if (!shown || record.window != owner) {
            return false;
        } else if (op == Delete) {
            shown = false;
        }
        if (op != Delete) {
            tip = record.tip;
            iconKey = record.icon.cacheKey();
        }
        return true;
    }
    void setNotify(Notify n) override { notify = std::move(n); }
    bool isAreaAvailable() const override { return true; }

    QVector<Call> calls;
    bool shown = false;
    QWidget *owner = nullptr;
    QString tip;
    qint64 iconKey = 0;
    Notify notify;
};

QIcon coloured(Qt::GlobalColor c)
{
    QPixmap p(16, 16);
    p.fill(c);
    return QIcon(p);
}

} // namespace

class TestClsSysTray : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void decode_data()
    {
        QTest::addColumn<int>("message");
        QTest::addColumn<int>("event");
        QTest::addColumn<int>("button");
        using E = tray::MouseEvent;
        QTest::newRow("513") << 513 << int(E::MouseDown) << 1;
        QTest::newRow("514") << 514 << int(E::MouseUp) << 1;
        QTest::newRow("515") << 515 << int(E::DblClick) << 1;
        QTest::newRow("516") << 516 << int(E::MouseDown) << 2;
        QTest::newRow("517") << 517 << int(E::MouseUp) << 2;
        QTest::newRow("518") << 518 << int(E::DblClick) << 2;
        QTest::newRow("512 move") << 512 << int(E::None) << 0;
        QTest::newRow("519 middle") << 519 << int(E::None) << 0;
        QTest::newRow("520 middle") << 520 << int(E::None) << 0;
        QTest::newRow("0") << 0 << int(E::None) << 0;
    }
    void decode()
    {
        QFETCH(int, message);
        QFETCH(int, event);
        QFETCH(int, button);
        const tray::Decoded d = tray::DecodeMouseMessage(message);
        QCOMPARE(int(d.event), event);
        QCOMPARE(int(d.button), button);
    }

    void activationReasons_data()
    {
        QTest::addColumn<int>("reason");
        QTest::addColumn<QVector<qint32>>("messages");
        QTest::newRow("Trigger") << int(QSystemTrayIcon::Trigger) << QVector<qint32>{513, 514};
        QTest::newRow("Context") << int(QSystemTrayIcon::Context) << QVector<qint32>{516, 517};
        QTest::newRow("DoubleClick") << int(QSystemTrayIcon::DoubleClick) << QVector<qint32>{515};
        QTest::newRow("Unknown") << int(QSystemTrayIcon::Unknown) << QVector<qint32>{};
    }
    void activationReasons()
    {
        QFETCH(int, reason);
        QFETCH(QVector<qint32>, messages);
        QCOMPARE(QtTrayIconService::MouseMessagesFor(QSystemTrayIcon::ActivationReason(reason)), messages);
    }

    void clicksBecomeEvents()
    {
        FakeTray svc;
        clsSysTray tray(svc);
        QWidget w;
        tray.setPTarget(&w);
        QSignalSpy down(&tray, &clsSysTray::MouseDown), up(&tray, &clsSysTray::MouseUp),
            dbl(&tray, &clsSysTray::DblClick);
        QStringList order;
        connect(&tray, &clsSysTray::MouseDown, this, [&](qint16 b) { order << QStringLiteral("down%1").arg(b); });
        connect(&tray, &clsSysTray::MouseUp, this, [&](qint16 b) { order << QStringLiteral("up%1").arg(b); });
        for (qint32 m : QtTrayIconService::MouseMessagesFor(QSystemTrayIcon::Context))
            svc.notify(tray::CallbackMessage, m);
        QCOMPARE(order, QStringList({"down2", "up2"}));
        svc.notify(tray::CallbackMessage, 515);
        QCOMPARE(dbl.size(), 1);
        QCOMPARE(dbl[0][0].value<qint16>(), qint16(1));
        svc.notify(0x0201, 513); // another callback message number
        svc.notify(tray::CallbackMessage, 519);
        QCOMPARE(down.size(), 1);
        QCOMPARE(up.size(), 1);
    }

    void targetAddsIconWithRecord()
    {
        FakeTray svc;
        clsSysTray tray(svc);
        QVERIFY(!tray.mDeleteIcon());
        QWidget w;
        w.setWindowTitle("Quillbox with VLM");
        w.setWindowIcon(coloured(Qt::red));
        tray.setPTarget(&w);
        QCOMPARE(svc.calls.size(), 1);
        const auto &c = svc.calls[0];
        QCOMPARE(c.op, TrayIconService::Add);
        QCOMPARE(c.record.window, &w);
        QCOMPARE(c.record.id, 1u);
        QCOMPARE(c.record.flags, 7u);
        QCOMPARE(c.record.callbackMessage, 512u);
        QCOMPARE(svc.tip, QStringLiteral("Quillbox with VLM")); // caption while the tip is empty
        QCOMPARE(svc.iconKey, w.windowIcon().cacheKey());      // window icon while none is set
        tray.setPToolTip("Quillbox with VLM Ver.3.1.0");
        QCOMPARE(svc.calls.last().op, TrayIconService::Modify);
        QCOMPARE(svc.tip, QStringLiteral("Quillbox with VLM Ver.3.1.0"));
        const QIcon blue = coloured(Qt::blue);
        tray.setPIcon(blue);
        QCOMPARE(svc.iconKey, blue.cacheKey());
        tray.setPToolTip(QString());
        QCOMPARE(svc.tip, QStringLiteral("Quillbox with VLM"));
    }

    void valuesBeforeTargetAreOnlyStored()
    {
        FakeTray svc;
        clsSysTray tray(svc);
        tray.setPToolTip("early");
        QVERIFY(!svc.shown);
        QWidget w;
        w.setWindowTitle("caption");
        tray.setPTarget(&w);
        QVERIFY(svc.shown);
        QCOMPARE(svc.tip, QStringLiteral("early"));
    }

    void sameTargetTwiceOneIcon()
    {
        FakeTray svc;
        clsSysTray tray(svc);
        QWidget w;
        tray.setPTarget(&w);
        tray.setPTarget(&w);
        QCOMPARE(svc.calls.size(), 1);
        QVERIFY(svc.shown);
    }

    void newTargetMovesIcon()
    {
        FakeTray svc;
        clsSysTray tray(svc);
        QWidget a, b;
        tray.setPTarget(&a);
        tray.setPTarget(&b);
        QCOMPARE(svc.calls.size(), 3);
        QCOMPARE(svc.calls[1].op, TrayIconService::Delete);
        QCOMPARE(svc.calls[1].record.window, &a);
        QCOMPARE(svc.calls[2].op, TrayIconService::Add);
        QCOMPARE(svc.owner, &b);
        QCOMPARE(tray.pTarget(), &b);
    }

    void releaseRemovesIcon()
    {
        FakeTray svc;
        {
            clsSysTray tray(svc);
            QWidget w;
            tray.setPTarget(&w);
            QVERIFY(svc.shown);
        }
        QVERIFY(!svc.shown);
        QVERIFY(!svc.notify);
    }

    void iconGoesAfterWindowDied()
    {
        FakeTray svc;
        clsSysTray tray(svc);
        auto *w = new QWidget;
        tray.setPTarget(w);
        delete w;
        QVERIFY(tray.mDeleteIcon());
        QVERIFY(!svc.shown);
    }

    // The real service: without a tray host (offscreen) the program still gets an icon object.
    void qtServiceWithoutHost()
    {
        QtTrayIconService svc;
        clsSysTray tray(svc);
        QWidget w;
        w.setWindowIcon(coloured(Qt::green));
        tray.setPTarget(&w);
        QVERIFY(svc.icon());
        tray.setPToolTip("tip");
        QCOMPARE(svc.icon()->toolTip(), QStringLiteral("tip"));
        QSignalSpy down(&tray, &clsSysTray::MouseDown);
        Q_EMIT svc.icon()->activated(QSystemTrayIcon::Trigger);
        QCOMPARE(down.size(), 1);
        QCOMPARE(down[0][0].value<qint16>(), qint16(1));
        QVERIFY(tray.mDeleteIcon());
        QVERIFY(!svc.icon());
    }
};

QTEST_MAIN(TestClsSysTray)
#include "tst_clssystray.moc"
