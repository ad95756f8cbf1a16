// `Quillbox --desktop-shortcuts`: GNOME's custom shortcuts through a key-file GSettings backend in
// the sandbox, and the lines printed for compositors that keep shortcuts in their own file.
#include "QuillboxSandbox.h"

#include <QTest>

using namespace e2e;

namespace {
const QString kSchema = QStringLiteral("org.gnome.settings-daemon.plugins.media-keys");
const QString kFolder = QStringLiteral("/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/");
const QString kUserEntry = kFolder + QStringLiteral("custom0/");
} // namespace

class TestE2EDesktopShortcuts : public QObject
{
    Q_OBJECT

    std::unique_ptr<QuillboxSandbox> box_;

    QProcessEnvironment env(const QString &desktop) const
    {
        QProcessEnvironment e = box_->env();
        e.insert(QStringLiteral("GSETTINGS_BACKEND"), QStringLiteral("keyfile"));
        e.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), desktop);
        return e;
    }
    // Exit code, standard output and standard error of one run.
    int run(const QString &program, const QStringList &args, const QProcessEnvironment &e, QString *out,
            QString *err = nullptr) const
    {
        QProcess p;
        p.setProcessEnvironment(e);
        p.start(program, args);
        if (!p.waitForFinished(15000) || p.exitStatus() != QProcess::NormalExit)
            return -1;
        *out = QString::fromUtf8(p.readAllStandardOutput()).trimmed();
        if (err)
            *err = QString::fromUtf8(p.readAllStandardError());
        return p.exitCode();
    }
    QString gsettings(const QStringList &args) const
    {
        QString out;
        const int rc = run(QStringLiteral("gsettings"), args, env(QStringLiteral("GNOME")), &out);
        return rc == 0 ? out : QStringLiteral("<gsettings failed>");
    }
    QString entry(const QString &path, const QString &key) const
    {
        return gsettings({QStringLiteral("get"), kSchema + QStringLiteral(".custom-keybinding:") + path, key});
    }
    int shortcuts(const QStringList &args, const QString &desktop, QString *out, QString *err = nullptr) const
    {
        return run(box_->exe(), QStringList{QStringLiteral("--desktop-shortcuts")} + args, env(desktop), out, err);
    }

private Q_SLOTS:
    void init()
    {
        box_ = std::make_unique<QuillboxSandbox>();
        QVERIFY(box_->isValid());
        // One hot key switched off, one moved to another combination.
        QVERIFY(box_->writeSettings({QStringLiteral("PopUpTV = 0"), QStringLiteral("PopUpCalcKeyMask = 6")}));
    }

    void gnomeKeepsTheUsersEntries()
    {
        // The user's own shortcut, made before ours.
        QCOMPARE(gsettings({QStringLiteral("set"), kSchema, QStringLiteral("custom-keybindings"),
                            QStringLiteral("['%1']").arg(kUserEntry)}), QString());
        QCOMPARE(gsettings({QStringLiteral("set"), kSchema + QStringLiteral(".custom-keybinding:") + kUserEntry,
                            QStringLiteral("name"), QStringLiteral("Terminal")}), QString());

        QString out;
        QCOMPARE(shortcuts({QStringLiteral("on")}, QStringLiteral("ubuntu:GNOME"), &out), 0);
        const QString ours = QStringLiteral("quillbox-");
        QStringList expected = {kUserEntry};
        for (const QString &name : {"PopUp", "PopUpExtApp", "PopUpClock", "PopUpMenu", "PopUpHistory",
                                    "PopUpWebSearch", "PopUpDic", "PopUpCalc"})
            expected.append(kFolder + ours + name + u'/');
        const QString list = QStringLiteral("['") + expected.join(QStringLiteral("', '")) + QStringLiteral("']");
        QCOMPARE(gsettings({QStringLiteral("get"), kSchema, QStringLiteral("custom-keybindings")}), list);
        const QString popUp = kFolder + ours + QStringLiteral("PopUp/");
        QCOMPARE(entry(popUp, QStringLiteral("binding")), QStringLiteral("'<Alt>Delete'"));
        QCOMPARE(entry(popUp, QStringLiteral("name")), QStringLiteral("'Quillbox: 一覧を表示'"));
        QCOMPARE(entry(popUp, QStringLiteral("command")),
                 QStringLiteral("\"'%1' --hotkey PopUp\"").arg(box_->exe()));
        QCOMPARE(entry(kFolder + ours + QStringLiteral("PopUpCalc/"), QStringLiteral("binding")),
                 QStringLiteral("'<Control><Shift>Home'"));

        // A second "on" updates in place; the report lists ours only.
        QCOMPARE(shortcuts({QStringLiteral("on")}, QStringLiteral("GNOME"), &out), 0);
        QCOMPARE(gsettings({QStringLiteral("get"), kSchema, QStringLiteral("custom-keybindings")}), list);
        QCOMPARE(shortcuts({}, QStringLiteral("GNOME"), &out), 0);
        const QStringList report = out.split(u'\n');
        QCOMPARE(report.size(), 8);
        QCOMPARE(report.first(), QStringLiteral("<Alt>Delete\tQuillbox: 一覧を表示\t'%1' --hotkey PopUp").arg(box_->exe()));

        QCOMPARE(shortcuts({QStringLiteral("off")}, QStringLiteral("GNOME"), &out), 0);
        QCOMPARE(gsettings({QStringLiteral("get"), kSchema, QStringLiteral("custom-keybindings")}),
                 QStringLiteral("['%1']").arg(kUserEntry));
        QCOMPARE(entry(kUserEntry, QStringLiteral("name")), QStringLiteral("'Terminal'"));
        QCOMPARE(entry(popUp, QStringLiteral("binding")), QStringLiteral("''")); // nothing of ours left
        QCOMPARE(shortcuts({}, QStringLiteral("GNOME"), &out), 0);
        QCOMPARE(out, QString());
    }

    void otherDesktops_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("desktop");
        QTest::addColumn<bool>("hideSchemas");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("firstLine"); // %1: the executable
        QTest::addColumn<QString>("message");
        QTest::newRow("sway on") << QStringList{"on"} << "sway" << false << 0
                                 << "bindsym Mod1+Delete exec '%1' --hotkey PopUp" << "~/.config/sway/config";
        QTest::newRow("i3 report") << QStringList() << "i3" << false << 0
                                   << "bindsym Mod1+Delete exec '%1' --hotkey PopUp" << "~/.config/i3/config";
        QTest::newRow("Hyprland") << QStringList{"on"} << "Hyprland" << false << 0
                                  << "bind = ALT, Delete, exec, '%1' --hotkey PopUp" << "hyprland.conf";
        QTest::newRow("sway off") << QStringList{"off"} << "sway" << false << 0 << "" << "remove the lines";
        QTest::newRow("wrong argument") << QStringList{"maybe"} << "GNOME" << false << 2 << "" << "usage:";
        QTest::newRow("GNOME without its schemas") << QStringList{"on"} << "GNOME" << true << 1 << ""
                                                   << "are not installed";
    }
    void otherDesktops()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, desktop);
        QFETCH(bool, hideSchemas);
        QFETCH(int, exitCode);
        QFETCH(QString, firstLine);
        QFETCH(QString, message);
        QProcessEnvironment e = env(desktop);
        if (hideSchemas)
            e.insert(QStringLiteral("XDG_DATA_DIRS"), box_->path(QStringLiteral("no-data")));
        QString out, err;
        QCOMPARE(run(box_->exe(), QStringList{QStringLiteral("--desktop-shortcuts")} + args, e, &out, &err), exitCode);
        QVERIFY2(err.contains(message), qPrintable(err));
        const QStringList lines = out.isEmpty() ? QStringList() : out.split(u'\n');
        QCOMPARE(lines.value(0), firstLine.isEmpty() ? QString() : firstLine.arg(box_->exe()));
        QCOMPARE(lines.size(), firstLine.isEmpty() ? 0 : 8);
    }
};

QTEST_GUILESS_MAIN(TestE2EDesktopShortcuts)
#include "tst_e2e_desktopshortcuts.moc"
