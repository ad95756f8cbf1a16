// Which windows count as terminal emulators, and the keys each kind of window gets.
#include "platform/PasteKeys.h"

#include <QTest>

class TestPasteKeys : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void choice_data()
    {
        QTest::addColumn<QStringList>("windowClass"); // instance, class
        QTest::addColumn<QString>("classes");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<bool>("terminal");
        QTest::addColumn<QStringList>("expected");

        const QString defaults = DefaultTerminalClasses();
        const QString shiftInsert = DefaultTerminalPasteKeys();
        const QStringList ctrlV = {"ctrl", "v"};
        const QStringList shiftIns = {"shift", "Insert"};
        QTest::newRow("xterm by its class") << QStringList{"xterm", "XTerm"} << defaults << shiftInsert << true << shiftIns;
        QTest::newRow("gnome terminal by its instance")
            << QStringList{"gnome-terminal-server", "Gnome-terminal-server"} << defaults << shiftInsert << true << shiftIns;
        QTest::newRow("letter case ignored") << QStringList{"KITTY", "KITTY"} << defaults << shiftInsert << true << shiftIns;
        QTest::newRow("spaces and empty entries in the list")
            << QStringList{"foot", "foot"} << " kitty , ,foot ," << shiftInsert << true << shiftIns;
        QTest::newRow("Qt editor gets Ctrl+V") << QStringList{"paste_target", "paste_target"} << defaults << shiftInsert
                                              << false << ctrlV;
        QTest::newRow("part of a name is no match") << QStringList{"xterm", "XTerm"} << "term" << shiftInsert << false << ctrlV;
        QTest::newRow("window without a class") << QStringList{} << defaults << shiftInsert << false << ctrlV;
        QTest::newRow("empty names never match an empty entry")
            << QStringList{"", ""} << "XTerm,,foot" << shiftInsert << false << ctrlV;
        QTest::newRow("empty list: no terminals") << QStringList{"xterm", "XTerm"} << "" << shiftInsert << false << ctrlV;
        QTest::newRow("the user's keys, trimmed")
            << QStringList{"kitty", "kitty"} << defaults << " ctrl + shift + v " << true << QStringList{"ctrl", "shift", "v"};
        QTest::newRow("keys left empty: the default ones")
            << QStringList{"URxvt", "URxvt"} << defaults << "  " << true << shiftIns;
        QTest::newRow("the user's keys only for terminals")
            << QStringList{"gedit", "Gedit"} << defaults << "ctrl+shift+v" << false << ctrlV;
    }
    void choice()
    {
        QFETCH(QStringList, windowClass);
        QFETCH(QString, classes);
        QFETCH(QString, keys);
        QFETCH(bool, terminal);
        QFETCH(QStringList, expected);
        QCOMPARE(IsTerminalWindow(windowClass, classes), terminal);
        const PasteChoice choice = ChoosePasteKeys(windowClass, PasteRule{classes, keys});
        QCOMPARE(choice.terminal, terminal);
        QCOMPARE(choice.keys, expected);
    }

    void keysyms_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<quint32>("keysym");
        QTest::newRow("ctrl") << "ctrl" << 0xffe3u;
        QTest::newRow("Control") << "Control" << 0xffe3u;
        QTest::newRow("SHIFT") << "SHIFT" << 0xffe1u;
        QTest::newRow("alt") << "alt" << 0xffe9u;
        QTest::newRow("win") << "win" << 0xffebu;
        QTest::newRow("Insert") << "Insert" << 0xff63u;
        QTest::newRow("insert in lower case") << "insert" << 0xff63u;
        QTest::newRow("v") << "v" << 0x76u;
        QTest::newRow("V stays upper case") << "V" << 0x56u;
        QTest::newRow("unknown") << "nosuchkey" << 0u;
        QTest::newRow("empty") << "" << 0u;
    }
    void keysyms()
    {
        QFETCH(QString, name);
        QFETCH(quint32, keysym);
        QCOMPARE(KeysymForKeyName(name), keysym);
    }

    void defaultsNameTheCommonTerminals()
    {
        const QStringList names = {"XTerm", "UXTerm", "URxvt", "Gnome-terminal", "gnome-terminal-server", "konsole",
                                   "Xfce4-terminal", "kitty", "Alacritty", "Terminator", "Tilix", "lxterminal",
                                   "qterminal", "st-256color", "foot", "wezterm"};
        for (const QString &name : names)
            QVERIFY2(IsTerminalWindow({QString(), name}, DefaultTerminalClasses()), qPrintable(name));
    }
};

QTEST_APPLESS_MAIN(TestPasteKeys)
#include "tst_pastekeys.moc"
