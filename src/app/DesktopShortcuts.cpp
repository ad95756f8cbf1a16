#include "app/DesktopShortcuts.h"

#include "app/CommandLine.h"
#include "platform/GnomeCustomShortcuts.h"
#include "platform/HotKeyTriggers.h"
#include "platform/ProgramFolder.h"
#include "settings/iniMente.h"
#include "util/Tool.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QHash>

namespace {

QString hotKeyCommand(const QString &executable, const QString &name)
{
    return ShellQuoted(executable) + QStringLiteral(" --hotkey ") + name;
}

void print(FILE *stream, const QString &line)
{
    std::fprintf(stream, "%s\n", qUtf8Printable(line));
}

void printGnome(FILE *out, const QVector<DesktopShortcut> &shortcuts)
{
    for (const DesktopShortcut &s : shortcuts)
        print(out, s.binding + u'\t' + s.name + u'\t' + s.command);
}

bool isHyprland(const QString &xdgCurrentDesktop)
{
    return xdgCurrentDesktop.split(u':').contains(QStringLiteral("Hyprland"), Qt::CaseInsensitive);
}

} // namespace

QVector<HotKeyDefault> EnabledHotKeys(const iniMente &ini)
{
    QVector<HotKeyDefault> enabled;
    for (const HotKeyDefault &key : HotKeyDefaults()) {
        const QString code = ini.GetiniValue(key.name + QStringLiteral("KeyCode"));
        const QString mask = ini.GetiniValue(key.name + QStringLiteral("KeyMask"));
        if (iniMente::NumberValue(ini.GetiniValue(key.name)) != 1 || code.isEmpty() || mask.isEmpty())
            continue;
        const auto vk = iniMente::NumberValue(code);
        const auto modifiers = iniMente::NumberValue(mask);
        if (vk && modifiers && *vk == qint32(*vk) && *modifiers == qint32(*modifiers))
            enabled.append({key.name, qint32(*vk), qint32(*modifiers)});
    }
    return enabled;
}

QString HotKeyDescription(const QString &name)
{
    static const QHash<QString, QString> words = {
        {QStringLiteral("PopUp"), QStringLiteral("一覧を表示")},
        {QStringLiteral("PopUpExtApp"), QStringLiteral("外部アプリ呼出")},
        {QStringLiteral("PopUpClock"), QStringLiteral("現在の日時を表示")},
        {QStringLiteral("PopUpMenu"), QStringLiteral("右クリックメニュー")},
        {QStringLiteral("PopUpHistory"), QStringLiteral("クリップボード履歴")},
        {QStringLiteral("PopUpWebSearch"), QStringLiteral("Web検索")},
        {QStringLiteral("PopUpDic"), QStringLiteral("辞書・TVウインドウを開く")},
        {QStringLiteral("PopUpTV"), QStringLiteral("TV番組表")},
        {QStringLiteral("PopUpCalc"), QStringLiteral("電卓")},
    };
    return words.value(name, name);
}

QString ShellQuoted(const QString &word)
{
    QString quoted = word;
    quoted.replace(u'\'', QStringLiteral("'\\''"));
    return u'\'' + quoted + u'\'';
}

bool IsGnomeDesktop(const QString &xdgCurrentDesktop)
{
    return xdgCurrentDesktop.split(u':').contains(QStringLiteral("GNOME"), Qt::CaseInsensitive);
}

QVector<DesktopShortcut> GnomeShortcuts(const QVector<HotKeyDefault> &keys, const QString &executable)
{
    QVector<DesktopShortcut> shortcuts;
    for (const HotKeyDefault &key : keys) {
        const QString binding = hotkeytriggers::GnomeAccelerator(key.keyCode, key.keyMask);
        if (!binding.isEmpty())
            shortcuts.append({key.name, QStringLiteral("Quillbox: ") + HotKeyDescription(key.name),
                              hotKeyCommand(executable, key.name), binding});
    }
    return shortcuts;
}

QStringList CompositorLines(const QVector<HotKeyDefault> &keys, const QString &executable,
                            const QString &xdgCurrentDesktop)
{
    const bool hyprland = isHyprland(xdgCurrentDesktop);
    QStringList lines;
    for (const HotKeyDefault &key : keys) {
        const QString combination = hyprland ? hotkeytriggers::HyprlandKeys(key.keyCode, key.keyMask)
                                             : hotkeytriggers::SwayKeys(key.keyCode, key.keyMask);
        if (combination.isEmpty())
            continue;
        const QString command = hotKeyCommand(executable, key.name);
        lines.append(hyprland ? QStringLiteral("bind = %1, exec, %2").arg(combination, command)
                              : QStringLiteral("bindsym %1 exec %2").arg(combination, command));
    }
    return lines;
}

QString CompositorLinesPlace(const QString &xdgCurrentDesktop)
{
    return isHyprland(xdgCurrentDesktop) ? QStringLiteral("~/.config/hypr/hyprland.conf")
                                         : QStringLiteral("~/.config/sway/config or ~/.config/i3/config");
}

int DesktopShortcutsCommand(const QString &change, FILE *out, FILE *err)
{
    const QString executable = QCoreApplication::applicationFilePath();
    const QString baseName = QFileInfo(executable).completeBaseName();
    const ProgramFolder folder = ProgramFolder::forThisProgram();
    // The settings as the running program sees them: the file, completed with the defaults.
    iniMente ini;
    ini.iniLoader(Tool::MakePath(folder.userFolder(), baseName + QStringLiteral(".ini")));
    WriteDefaults(ini, VersionText(), Tool::MakePath(folder.userFolder(), baseName + QStringLiteral("Data.vlw")));
    const QVector<HotKeyDefault> keys = EnabledHotKeys(ini);

    const QString desktop = qEnvironmentVariable("XDG_CURRENT_DESKTOP");
    if (!IsGnomeDesktop(desktop)) {
        if (change == QStringLiteral("off")) {
            print(err, QStringLiteral("Quillbox: remove the lines with --hotkey from ") + CompositorLinesPlace(desktop)
                           + QStringLiteral("; Quillbox does not change that file."));
            return 0;
        }
        for (const QString &line : CompositorLines(keys, executable, desktop))
            print(out, line);
        print(err, QStringLiteral("Quillbox: add these lines to ") + CompositorLinesPlace(desktop)
                       + QStringLiteral(" and reload it."));
        return 0;
    }

    QString error;
    const std::unique_ptr<GnomeCustomShortcuts> store = GnomeCustomShortcuts::open(&error);
    if (!store) {
        print(err, QStringLiteral("Quillbox: ") + error);
        return 1;
    }
    if (change.isEmpty()) {
        printGnome(out, store->registered());
        return 0;
    }
    const QVector<DesktopShortcut> wanted = change == QStringLiteral("on") ? GnomeShortcuts(keys, executable)
                                                                           : QVector<DesktopShortcut>();
    if (!store->replace(wanted, &error)) {
        print(err, QStringLiteral("Quillbox: ") + error);
        return 1;
    }
    printGnome(out, wanted);
    return 0;
}
