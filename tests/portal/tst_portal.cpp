// The portal clients against a recording stand-in for the portal on a private session bus.
// Each row starts the stand-in with its options, runs steps on the clients and compares what
// the stand-in was asked and what the clients said.
#include "app/DesktopShortcuts.h"
#include "app/SettingsDefaults.h"
#include "platform/UserStore.h"
#include "platform/portal/GlobalShortcutsService.h"
#include "platform/portal/PortalRequest.h"
#include "platform/portal/RemoteDesktopKeys.h"

#include <QProcess>
#include <QtTest>

namespace {

// Hot keys the X11 service would have been asked to grab.
class RecordingHotKeys : public HotKeyService
{
public:
    bool RegisterHotKey(win::HWND, int id, quint32, quint32) override
    {
        ids.append(id);
        return true;
    }
    bool UnregisterHotKey(win::HWND, int id) override { return ids.removeAll(id) > 0; }
    QList<int> ids;
};

AtomTable *atoms = nullptr;
QStringList hotKeysReceived;

win::LRESULT hotKeyWindow(win::HWND, win::UINT msg, win::WPARAM wParam, win::LPARAM)
{
    if (msg == win::WM_HOTKEY)
        hotKeysReceived.append(atoms->GetAtomName(AtomTable::ATOM(wParam)));
    return 0;
}

const char *resultName(KeyChordSender::Result r)
{
    switch (r) {
    case KeyChordSender::Result::Sent:
        return "Sent";
    case KeyChordSender::Result::Refused:
        return "Refused";
    case KeyChordSender::Result::Unavailable:
        return "Unavailable";
    }
    return "?";
}

} // namespace

class TestPortal : public QObject
{
    Q_OBJECT

    QProcess busDaemon_;
    QString address_;

    // The stand-in's lines up to "done <command>", without the command acknowledgements.
    static QStringList readUntilDone(QProcess &portal, const QString &command, QStringList *calls)
    {
        for (;;) {
            while (!portal.canReadLine()) {
                if (!portal.waitForReadyRead(10000))
                    return *calls;
            }
            const QString line = QString::fromUtf8(portal.readLine()).trimmed();
            if (line == QStringLiteral("done ") + command)
                return *calls;
            if (!line.startsWith(QStringLiteral("done ")))
                calls->append(line);
        }
    }

    static void command(QProcess &portal, const QString &line, QStringList *calls)
    {
        portal.write((line + u'\n').toUtf8());
        readUntilDone(portal, line, calls);
    }

    // Lets the clients finish what they started: closed sessions say so to the portal, and the
    // stand-in's signals, sent before it answers a round trip on our connection, are delivered.
    static void settle(const QDBusConnection &bus)
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        portal::InterfaceVersion(bus, QStringLiteral("org.freedesktop.portal.RemoteDesktop"), 10000);
        for (int pass = 0; pass < 3; ++pass) // a signal's slot may post the delivery in turn
            QCoreApplication::processEvents();
    }

private Q_SLOTS:
    void initTestCase()
    {
        qputenv("WAYLAND_DISPLAY", "quillbox-test-none"); // the chord sender works in Wayland sessions only
        busDaemon_.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                        QStringLiteral("--print-address")});
        QVERIFY2(busDaemon_.waitForReadyRead(10000), "dbus-daemon (package dbus-daemon) did not start");
        address_ = QString::fromUtf8(busDaemon_.readLine()).trimmed();
        QVERIFY(!address_.isEmpty());
    }

    void cleanupTestCase()
    {
        busDaemon_.terminate();
        busDaemon_.waitForFinished(5000);
    }

    void portals_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<QStringList>("results");

        const QStringList ctrlV{"Key 65507 1", "Key 118 1", "Key 118 0", "Key 65507 0"};
        const QStringList opened{"CreateSession RemoteDesktop", "SelectDevices types=1 persist_mode=0 restore_token=",
                                 "Start"};
        QStringList nine;
        for (const HotKeyDefault &k : HotKeyDefaults())
            nine.append(k.name);
        const QString allNine = nine.join(u',');

        QTest::newRow("chord as keysym pairs, session kept")
            << QStringList{} << QStringList{"chord 65507 118", "chord 65507 118", "token"}
            << opened + ctrlV + ctrlV << QStringList{"Sent", "Sent", "token="};
        QTest::newRow("restore token stored and offered to the next session")
            << QStringList{"--remote-version", "2"} << QStringList{"chord 65507 118", "token", "again", "chord 65507 118", "token"}
            << QStringList{"CreateSession RemoteDesktop", "SelectDevices types=1 persist_mode=2 restore_token=", "Start"}
                   + ctrlV
                   + QStringList{"Close", "CreateSession RemoteDesktop",
                                 "SelectDevices types=1 persist_mode=2 restore_token=token-1", "Start"}
                   + ctrlV
            << QStringList{"Sent", "token=token-1", "Sent", "token=token-2"};
        QTest::newRow("refused: no keys, session closed")
            << QStringList{"--refuse-start"} << QStringList{"chord 65507 118"} << opened + QStringList{"Close"}
            << QStringList{"Refused"};
        QTest::newRow("ended by the compositor: opened again")
            << QStringList{} << QStringList{"chord 65507 118", "close", "chord 65507 118"}
            << opened + ctrlV + opened + ctrlV << QStringList{"Sent", "Sent"};
        QTest::newRow("no RemoteDesktop interface")
            << QStringList{"--remote-version", "0"} << QStringList{"chord 65507 118"} << QStringList{}
            << QStringList{"Unavailable"};

        const QStringList bindings{"CreateSession GlobalShortcuts",
                               "BindShortcuts PopUp ALT+Delete 一覧を表示",
                               "BindShortcuts PopUpExtApp ALT+Scroll_Lock 外部アプリ呼出",
                               "BindShortcuts PopUpClock ALT+Page_Down 現在の日時を表示",
                               "BindShortcuts PopUpMenu ALT+End 右クリックメニュー",
                               "BindShortcuts PopUpHistory ALT+Insert クリップボード履歴",
                               "BindShortcuts PopUpWebSearch ALT+Page_Up Web検索",
                               "BindShortcuts PopUpDic LOGO+Page_Up 辞書・TVウインドウを開く",
                               "BindShortcuts PopUpTV LOGO+Page_Down TV番組表",
                               "BindShortcuts PopUpCalc ALT+Home 電卓"};
        QTest::newRow("nine shortcuts bound, activations delivered")
            << QStringList{} << QStringList{"register", "activate PopUp", "activate PopUpCalc"} << bindings
            << QStringList{"bound " + allNine, "fallback ", "hotkey PopUp", "hotkey PopUpCalc"};
        QTest::newRow("nothing bound: X11 grabs instead")
            << QStringList{"--bind-none"} << QStringList{"register", "activate PopUp"} << bindings
            << QStringList{"bound ", "fallback " + allNine};
        QTest::newRow("shortcuts session ended: X11 grabs take over")
            << QStringList{} << QStringList{"register", "close", "bindings"} << bindings
            << QStringList{"bound " + allNine, "fallback ", "bound ", "fallback " + allNine};
    }

    void portals()
    {
        QFETCH(QStringList, options);
        QFETCH(QStringList, steps);
        QFETCH(QStringList, calls);
        QFETCH(QStringList, results);

        QProcess portal;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address_);
        portal.setProcessEnvironment(env);
        portal.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        portal.start(QStringLiteral(FAKE_PORTAL), options);
        QVERIFY(portal.waitForReadyRead(10000));
        QCOMPARE(portal.readLine().trimmed(), QByteArray("ready"));

        const QString name = QString::fromLatin1(QTest::currentDataTag());
        QStringList seenCalls, seenResults;
        {
            QDBusConnection bus = QDBusConnection::connectToBus(address_, name);
            QVERIFY(bus.isConnected());
            MemoryUserStore store;
            auto sender = std::make_unique<RemoteDesktopKeys>(bus, store);
            sender->setStartTimeoutMs(10000); // the machine may be slow; the stand-in never asks the user
            AtomTable table;
            atoms = &table;
            hotKeysReceived.clear();
            const win::HWND window = win::CreateWindowHandle(&hotKeyWindow);
            RecordingHotKeys x11;
            GlobalShortcutsService shortcuts(bus, table, &HotKeyDescription, &x11);
            const auto reportBinding = [&] {
                QStringList fallback;
                for (int id : qAsConst(x11.ids))
                    fallback.append(table.GetAtomName(AtomTable::ATOM(id)));
                seenResults << QStringLiteral("bound ") + shortcuts.boundNames().join(u',')
                            << QStringLiteral("fallback ") + fallback.join(u',');
            };

            for (const QString &step : qAsConst(steps)) {
                const QStringList words = step.split(u' ');
                if (words[0] == QStringLiteral("chord")) {
                    QList<quint32> keysyms;
                    for (int i = 1; i < words.size(); ++i)
                        keysyms.append(words[i].toUInt());
                    seenResults << QString::fromLatin1(resultName(sender->sendChord(keysyms)));
                } else if (words[0] == QStringLiteral("again")) {
                    sender = std::make_unique<RemoteDesktopKeys>(bus, store);
                    sender->setStartTimeoutMs(10000);
                } else if (words[0] == QStringLiteral("token")) {
                    seenResults << QStringLiteral("token=")
                                       + store.GetSetting(RemoteDesktopKeys::StoreApp, RemoteDesktopKeys::StoreSection,
                                                          RemoteDesktopKeys::StoreKey);
                } else if (words[0] == QStringLiteral("register")) {
                    for (const HotKeyDefault &k : HotKeyDefaults())
                        QVERIFY(shortcuts.RegisterHotKey(window, table.AddAtom(k.name), quint32(k.keyMask),
                                                         quint32(k.keyCode)));
                    QTRY_VERIFY_WITH_TIMEOUT(shortcuts.state() == GlobalShortcutsService::State::Bound
                                                 || shortcuts.state() == GlobalShortcutsService::State::FellBack,
                                             10000);
                    reportBinding();
                } else if (words[0] == QStringLiteral("bindings")) {
                    reportBinding();
                } else {
                    const int before = hotKeysReceived.size();
                    command(portal, step, &seenCalls);
                    settle(bus);
                    if (hotKeysReceived.size() > before)
                        seenResults << QStringLiteral("hotkey ") + hotKeysReceived.mid(before).join(u',');
                }
            }
            // What the clients asked up to here, their closing calls included, is in the record.
            settle(bus);
            command(portal, QStringLiteral("sync"), &seenCalls);
            win::DestroyWindowHandle(window);
        }
        QDBusConnection::disconnectFromBus(name);
        portal.closeWriteChannel();
        QVERIFY(portal.waitForFinished(10000));
        QCOMPARE(seenResults, results);
        QCOMPARE(seenCalls, calls);
    }
};

QTEST_GUILESS_MAIN(TestPortal)
#include "tst_portal.moc"
