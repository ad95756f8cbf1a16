// Where a paste's keys go: X11 windows through the X11 back end, Wayland-native windows through the
// first key sender the session has, and copy only, said once, when none sends them.
#include "platform/ToplevelFocus.h"
#include "platform/desktop/SyntheticInputChooser.h"

#include <QTest>

namespace {

using Result = KeyChordSender::Result;

class FakeSender : public KeyChordSender
{
public:
    explicit FakeSender(Result result) : result(result) {}
    Result sendChord(const QList<quint32> &keysyms) override
    {
        chords << keysyms;
        return result;
    }
    Result result;
    QList<QList<quint32>> chords;
};

class FakeToplevels : public ToplevelFocus
{
public:
    quint64 activeToplevel() const override { return active; }
    QString appId(quint64 toplevel) const override { return appIds.value(toplevel); }
    void activate(quint64 toplevel) override
    {
        asked << toplevel;
        if (obeys)
            active = toplevel;
    }
    quint64 active = 0;
    bool obeys = false;
    QList<quint64> asked;
    QHash<quint64, QString> appIds;
};

constexpr quint32 Ctrl = 0xffe3, Shift = 0xffe1, Insert = 0xff63, V = 0x76, C = 0x63;

} // namespace

Q_DECLARE_METATYPE(FocusHolder)

class TestSyntheticInputChooser : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void paste_data()
    {
        QTest::addColumn<bool>("wayland");
        QTest::addColumn<FocusHolder>("cameFrom");
        QTest::addColumn<QList<int>>("senders");      // each one's Result
        QTest::addColumn<quint64>("activeAtPaste");   // the compositor's active window then
        QTest::addColumn<bool>("obeys");               // whether it activates the window asked for
        QTest::addColumn<QStringList>("x11Calls");
        QTest::addColumn<QList<int>>("chordsPerSender");
        QTest::addColumn<QList<quint32>>("chord");    // what the last sender that was asked got
        QTest::addColumn<bool>("pasted");
        QTest::addColumn<int>("reports");              // over two pastes

        const int sent = int(Result::Sent), refused = int(Result::Refused), none = int(Result::Unavailable);
        const QList<quint32> ctrlV = {Ctrl, V};
        QTest::newRow("X11 desktop: X11 path even without a client")
            << false << FocusHolder::NoClient << QList<int>{sent} << quint64(1) << false
            << QStringList{"remember", "remember", "paste", "paste"} << QList<int>{0} << QList<quint32>{} << true << 0;
        QTest::newRow("X11 window under XWayland: X11 path")
            << true << FocusHolder::X11Client << QList<int>{sent} << quint64(1) << false
            << QStringList{"remember", "paste", "paste"} << QList<int>{0} << QList<quint32>{} << true << 0;
        QTest::newRow("native window: the first sender")
            << true << FocusHolder::NoClient << QList<int>{sent, sent} << quint64(1) << false << QStringList{}
            << QList<int>{2, 0} << ctrlV << true << 0;
        QTest::newRow("first sender missing: the next one")
            << true << FocusHolder::NoClient << QList<int>{none, sent} << quint64(1) << false << QStringList{}
            << QList<int>{2, 2} << ctrlV << true << 0;
        QTest::newRow("refused: copy only, said once, next sender not asked")
            << true << FocusHolder::NoClient << QList<int>{refused, sent} << quint64(1) << false << QStringList{}
            << QList<int>{2, 0} << ctrlV << false << 1;
        QTest::newRow("no sender: copy only, said once")
            << true << FocusHolder::NoClient << QList<int>{none, none} << quint64(1) << false << QStringList{}
            << QList<int>{2, 2} << ctrlV << false << 1;
        QTest::newRow("no sender at all") << true << FocusHolder::NoClient << QList<int>{} << quint64(1) << false
                                          << QStringList{} << QList<int>{} << QList<quint32>{} << false << 1;
        QTest::newRow("another window active: asked back, then pasted")
            << true << FocusHolder::NoClient << QList<int>{sent} << quint64(2) << true << QStringList{} << QList<int>{2}
            << ctrlV << true << 0;
        QTest::newRow("another window active: no keys, copy only")
            << true << FocusHolder::NoClient << QList<int>{sent} << quint64(2) << false << QStringList{} << QList<int>{0}
            << QList<quint32>{} << false << 1;
    }
    void paste()
    {
        QFETCH(bool, wayland);
        QFETCH(FocusHolder, cameFrom);
        QFETCH(QList<int>, senders);
        QFETCH(quint64, activeAtPaste);
        QFETCH(bool, obeys);
        QFETCH(QStringList, x11Calls);
        QFETCH(QList<int>, chordsPerSender);
        QFETCH(QList<quint32>, chord);
        QFETCH(bool, pasted);
        QFETCH(int, reports);

        RecordingSyntheticInput x11;
        FocusHolder holder = cameFrom;
        std::vector<std::unique_ptr<FakeSender>> fakes;
        QList<KeyChordSender *> list;
        for (int result : senders) {
            fakes.push_back(std::make_unique<FakeSender>(Result(result)));
            list << fakes.back().get();
        }
        FakeToplevels toplevels;
        toplevels.active = 1;
        toplevels.appIds = {{1, "org.example.Editor"}, {2, "other"}};
        SyntheticInputChooser chooser(x11, [&holder] { return holder; }, wayland, list, &toplevels);
        int reported = 0;
        chooser.setCopyOnlyReport([&reported] { ++reported; });

        chooser.rememberFocus();
        // Our window shows and takes the X focus, then hides; the compositor picks the next window.
        holder = FocusHolder::Ours;
        chooser.rememberFocus();
        toplevels.active = activeAtPaste;
        toplevels.obeys = obeys;
        holder = cameFrom;
        QCOMPARE(chooser.paste(), pasted);
        chooser.paste();

        QCOMPARE(x11.calls, x11Calls);
        for (int i = 0; i < int(fakes.size()); ++i) {
            QCOMPARE(fakes[i]->chords.size(), chordsPerSender[i]);
            if (!fakes[i]->chords.isEmpty())
                QCOMPARE(fakes[i]->chords.last(), chord);
        }
        QCOMPARE(reported, reports);
        // Only the window the user came from is ever asked for.
        for (quint64 asked : std::as_const(toplevels.asked))
            QCOMPARE(asked, quint64(1));
        QCOMPARE(toplevels.asked.isEmpty(), activeAtPaste == 1);
    }

    void nativeTerminalGetsItsKeys_data()
    {
        QTest::addColumn<QString>("appId");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QList<quint32>>("chord");
        QTest::newRow("editor") << "org.example.Editor" << "shift+Insert" << QList<quint32>{Ctrl, V};
        QTest::newRow("foot") << "foot" << "shift+Insert" << QList<quint32>{Shift, Insert};
        QTest::newRow("the user's keys") << "foot" << "ctrl+shift+v" << QList<quint32>{Ctrl, Shift, V};
        QTest::newRow("unknown key names: the default ones") << "foot" << "ctrl+nosuchkey"
                                                             << QList<quint32>{Shift, Insert};
    }
    void nativeTerminalGetsItsKeys()
    {
        QFETCH(QString, appId);
        QFETCH(QString, keys);
        QFETCH(QList<quint32>, chord);
        RecordingSyntheticInput x11;
        FakeSender sender(Result::Sent);
        FakeToplevels toplevels;
        toplevels.active = 7;
        toplevels.appIds = {{7, appId}};
        SyntheticInputChooser chooser(x11, [] { return FocusHolder::NoClient; }, true, {&sender}, &toplevels);
        chooser.setPasteRule([keys] { return PasteRule{DefaultTerminalClasses(), keys}; });
        chooser.rememberFocus();
        QVERIFY(chooser.paste());
        QCOMPARE(sender.chords, QList<QList<quint32>>{chord});
    }

    void copyGoesWhereTheFocusIs_data()
    {
        QTest::addColumn<FocusHolder>("holder");
        QTest::addColumn<bool>("copied");
        QTest::addColumn<QStringList>("x11Calls");
        QTest::addColumn<int>("chords");
        QTest::newRow("X11 window") << FocusHolder::X11Client << true << QStringList{"copy"} << 0;
        QTest::newRow("native window") << FocusHolder::NoClient << true << QStringList{} << 1;
        QTest::newRow("ours") << FocusHolder::Ours << false << QStringList{} << 0;
    }
    void copyGoesWhereTheFocusIs()
    {
        QFETCH(FocusHolder, holder);
        QFETCH(bool, copied);
        QFETCH(QStringList, x11Calls);
        QFETCH(int, chords);
        RecordingSyntheticInput x11;
        FakeSender sender(Result::Sent);
        SyntheticInputChooser chooser(x11, [holder] { return holder; }, true, {&sender});
        int reported = 0;
        chooser.setCopyOnlyReport([&reported] { ++reported; });
        QCOMPARE(chooser.copyFromFocused(), copied);
        QCOMPARE(x11.calls, x11Calls);
        QCOMPARE(sender.chords.size(), chords);
        if (chords)
            QCOMPARE(sender.chords.first(), (QList<quint32>{Ctrl, C}));
        QCOMPARE(reported, 0);
    }
};

QTEST_MAIN(TestSyntheticInputChooser)
#include "tst_syntheticinputchooser.moc"
