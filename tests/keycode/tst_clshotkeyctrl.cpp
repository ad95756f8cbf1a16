// The hot-key field object on a real window: creation, value, style, geometry, and the
// field's messages passing through the router on their way to the field.
#include "keycode/HotKeyField.h"
#include "keycode/clsHotKeyCtrl.h"
#include "platform/desktop/WidgetWindow.h"

#include <QApplication>
#include <QTest>

using keycode::HKM_GETHOTKEY;
using keycode::HKM_SETHOTKEY;
using keycode::HotKeyField;

namespace {

win::LRESULT NoProc(win::HWND, win::UINT, win::WPARAM, win::LPARAM)
{
    return 0;
}

// A top-level window with a handle, as the field's parent.
struct ParentWindow {
    QWidget widget;
    WidgetWindow window{&widget, &NoProc};
    ParentWindow()
    {
        widget.resize(300, 200);
        widget.move(100, 120);
        widget.show();
        widget.activateWindow();
    }
};

QString pos(float x, float y)
{
    return QStringLiteral("%1,%2").arg(double(x)).arg(double(y));
}

} // namespace

class TestClsHotKeyCtrl : public QObject
{
    Q_OBJECT

    QStringList log_;

    void record(clsHotKeyCtrl &ctrl)
    {
        connect(&ctrl, &clsHotKeyCtrl::GotFocus, this, [this] { log_ << QStringLiteral("GotFocus"); });
        connect(&ctrl, &clsHotKeyCtrl::LostFocus, this, [this] { log_ << QStringLiteral("LostFocus"); });
        connect(&ctrl, &clsHotKeyCtrl::DblClick, this, [this] { log_ << QStringLiteral("DblClick"); });
        connect(&ctrl, &clsHotKeyCtrl::Click, this, [this] { log_ << QStringLiteral("Click"); });
        connect(&ctrl, &clsHotKeyCtrl::MouseMove, this,
                [this](qint16 &state, float &x, float &y) { log_ << QStringLiteral("MouseMove %1 %2").arg(state).arg(pos(x, y)); });
        connect(&ctrl, &clsHotKeyCtrl::MouseDown, this, [this](qint16 &button, qint16 &shift, float &x, float &y) {
            log_ << QStringLiteral("MouseDown %1 %2 %3").arg(button).arg(shift).arg(pos(x, y));
        });
        connect(&ctrl, &clsHotKeyCtrl::MouseUp, this, [this](qint16 &button, qint16 &shift, float &x, float &y) {
            log_ << QStringLiteral("MouseUp %1 %2 %3").arg(button).arg(shift).arg(pos(x, y));
        });
    }

private Q_SLOTS:
    void init() { log_.clear(); }

    void createsOnce()
    {
        ParentWindow parent;
        clsHotKeyCtrl ctrl;
        QCOMPARE(ctrl.phWnd(), 0u);
        QCOMPARE(ctrl.pVirtualKey(), 0);
        QVERIFY(!ctrl.pEnabled());
        QVERIFY(!ctrl.mCreate(0, 10, 10, 20, 150)); // no parent window to hold it
        QVERIFY(ctrl.mCreate(parent.window.hwnd(), 10, 10, 20, 150));
        const win::HWND field = ctrl.phWnd();
        QVERIFY(field != 0);
        QVERIFY(!ctrl.mCreate(parent.window.hwnd(), 10, 40, 20, 150));
        QCOMPARE(ctrl.phWnd(), field);
        QCOMPARE(parent.widget.findChildren<HotKeyField *>().size(), 1);
        QCOMPARE(ctrl.pParent(), parent.window.hwnd());
        QVERIFY(ctrl.pEnabled());
        QVERIFY(ctrl.pVisible());
        QCOMPARE(win::GetWindowStyle(field) & win::WS_CHILD, win::WS_CHILD);
        QVERIFY(clsMessage::pMessageClass(field));
    }

    void releaseDetachesAndDestroysTheField()
    {
        ParentWindow parent;
        auto ctrl = std::make_unique<clsHotKeyCtrl>();
        QVERIFY(ctrl->mCreate(parent.window.hwnd(), 10, 10, 20, 150));
        const win::HWND field = ctrl->phWnd();
        ctrl.reset();
        QVERIFY(!clsMessage::pMessageClass(field));
        QVERIFY(!win::IsWindow(field));
        QVERIFY(parent.widget.findChildren<HotKeyField *>().isEmpty());
    }

    void valueWord_data()
    {
        QTest::addColumn<int>("start"); // the word the field holds
        QTest::addColumn<QString>("property");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("virtualKey");
        QTest::addColumn<int>("keyFlag");
        QTest::addColumn<QString>("text");
        const int ctrlQ = 0x0200 | 'Q';
        QTest::newRow("key of Ctrl+Q becomes A") << ctrlQ << "pVirtualKey" << 65 << 65 << 2 << "Ctrl + A";
        QTest::newRow("flag of Ctrl+A becomes Alt") << (0x0200 | 'A') << "pKeyFlag" << 4 << 65 << 4 << "Alt + A";
        QTest::newRow("empty field gets a key") << 0 << "pVirtualKey" << 0x70 << 0x70 << 0 << "F1";
        QTest::newRow("extended flag kept with a new key") << 0x0925 << "pVirtualKey" << 0x26 << 0x26 << 9 << "Shift + Up";
    }
    void valueWord()
    {
        QFETCH(int, start);
        QFETCH(QString, property);
        QFETCH(int, value);
        QFETCH(int, virtualKey);
        QFETCH(int, keyFlag);
        QFETCH(QString, text);
        ParentWindow parent;
        clsHotKeyCtrl ctrl;
        QVERIFY(ctrl.mCreate(parent.window.hwnd(), 10, 10, 20, 150));
        win::SendMessage(ctrl.phWnd(), HKM_SETHOTKEY, win::WPARAM(start), 0);
        if (property == QLatin1String("pVirtualKey"))
            ctrl.pVirtualKey(value);
        else
            ctrl.pKeyFlag(value);
        QCOMPARE(ctrl.pVirtualKey(), virtualKey);
        QCOMPARE(ctrl.pKeyFlag(), keyFlag);
        QCOMPARE(int(win::SendMessage(ctrl.phWnd(), HKM_GETHOTKEY, 0, 0)), keyFlag * 256 + virtualKey);
        QCOMPARE(parent.widget.findChild<HotKeyField *>()->text(), text);
    }

    void styleAndGeometry()
    {
        ParentWindow parent;
        clsHotKeyCtrl ctrl;
        QVERIFY(ctrl.mCreate(parent.window.hwnd(), 10, 12, 20, 150));
        auto *field = parent.widget.findChild<HotKeyField *>();
        QVERIFY(QTest::qWaitForWindowExposed(&parent.widget));

        ctrl.pEnabled(true);
        QVERIFY(ctrl.pEnabled());
        QVERIFY(field->isEnabled());
        ctrl.pEnabled(false);
        QVERIFY(!ctrl.pEnabled());
        QVERIFY(!field->isEnabled());
        QVERIFY(win::GetWindowStyle(ctrl.phWnd()) & win::WS_DISABLED);
        ctrl.pVisible(false);
        ctrl.pVisible(false);
        QVERIFY(!ctrl.pVisible());
        QVERIFY(field->isHidden());
        QVERIFY(!ctrl.pEnabled()); // one bit does not disturb the other
        ctrl.pVisible(true);
        ctrl.pEnabled(true);
        QVERIFY(ctrl.pVisible() && ctrl.pEnabled() && field->isVisible());

        const QPoint screen = parent.widget.mapToGlobal(QPoint(10, 12));
        QCOMPARE(ctrl.pLeft(), screen.x());
        QCOMPARE(ctrl.pTop(), screen.y());
        QCOMPARE(ctrl.pWidth(), 150);
        QCOMPARE(ctrl.pHeight(), 20);
        // Written in the same screen pixels as read: the other edges stay.
        ctrl.pLeft(ctrl.pLeft() + 5);
        QCOMPARE(field->geometry(), QRect(15, 12, 150, 20));
        ctrl.pTop(screen.y() + 30);
        ctrl.pWidth(120);
        ctrl.pHeight(24);
        QCOMPARE(field->geometry(), QRect(15, 42, 120, 24));
        QCOMPARE(ctrl.pTop(), screen.y() + 30);
    }

    void mouseEventsThroughTheRouter_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QStringList>("press");
        QTest::addColumn<QString>("release");
        QTest::newRow("left") << int(Qt::LeftButton) << 0
                              << QStringList{"MouseDown 1 1 5,7", "Click", "GotFocus"} << "MouseUp 1 0 5,7";
        QTest::newRow("right with Shift") << int(Qt::RightButton) << int(Qt::ShiftModifier)
                                          << QStringList{"MouseDown 2 6 5,7", "Click", "GotFocus"} << "MouseUp 2 4 5,7";
        QTest::newRow("middle with Ctrl") << int(Qt::MiddleButton) << int(Qt::ControlModifier)
                                          << QStringList{"MouseDown 4 24 5,7", "Click", "GotFocus"} << "MouseUp 4 8 5,7";
    }
    void mouseEventsThroughTheRouter()
    {
        QFETCH(int, button);
        QFETCH(int, modifiers);
        QFETCH(QStringList, press);
        QFETCH(QString, release);
        ParentWindow parent;
        clsHotKeyCtrl ctrl;
        QVERIFY(ctrl.mCreate(parent.window.hwnd(), 10, 10, 20, 150));
        auto *field = parent.widget.findChild<HotKeyField *>();
        QVERIFY(QTest::qWaitForWindowActive(&parent.widget));
        parent.widget.setFocus(); // elsewhere, so that the click has to bring it
        QVERIFY(!field->hasFocus());
        record(ctrl);

        const auto b = Qt::MouseButton(button);
        const auto m = Qt::KeyboardModifiers(modifiers);
        QTest::mousePress(field, b, m, QPoint(5, 7));
        QCOMPARE(log_, press);
        // The field's own procedure still ran: it took the focus.
        QVERIFY(field->hasFocus());
        log_.clear();
        QTest::mouseRelease(field, b, m, QPoint(5, 7));
        QCOMPARE(log_, QStringList{release});
        log_.clear();
        // The second press of a double click: no MouseDown and no Click of its own.
        QMouseEvent dblclk(QEvent::MouseButtonDblClick, QPointF(5, 7), field->mapToGlobal(QPointF(5, 7)), b, b, m);
        QApplication::sendEvent(field, &dblclk);
        QCOMPARE(log_, QStringList{QStringLiteral("DblClick")});
    }

    void moveFocusAndValueMessages()
    {
        ParentWindow parent;
        auto *other = new QWidget(&parent.widget);
        other->setFocusPolicy(Qt::StrongFocus);
        other->setGeometry(10, 100, 50, 20);
        other->show();
        clsHotKeyCtrl ctrl;
        record(ctrl);
        QVERIFY(ctrl.mCreate(parent.window.hwnd(), 10, 10, 20, 150));
        auto *field = parent.widget.findChild<HotKeyField *>();
        QVERIFY(QTest::qWaitForWindowActive(&parent.widget));

        QMouseEvent move(QEvent::MouseMove, QPointF(40, 3), field->mapToGlobal(QPointF(40, 3)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(field, &move);
        ctrl.mSetFocus();
        QVERIFY(field->hasFocus());
        other->setFocus();
        // Messages sent to the hooked field still get the field's answers.
        win::SendMessage(ctrl.phWnd(), HKM_SETHOTKEY, 0x0341, 0);
        QCOMPARE(ctrl.pVirtualKey(), 0x41);
        QCOMPARE(ctrl.pKeyFlag(), 3);
        QCOMPARE(log_, (QStringList{"MouseMove 0 40,3", "GotFocus", "LostFocus"}));
    }
};

QTEST_MAIN(TestClsHotKeyCtrl)
#include "tst_clshotkeyctrl.moc"
