#include "app/SettingsDefaults.h"

#include "lookup/ServiceDefaults.h"
#include "platform/PasteKeys.h"
#include "settings/iniMente.h"

#include <QVector>

const QVector<HotKeyDefault> &HotKeyDefaults()
{
    static const QVector<HotKeyDefault> keys = {
        {QStringLiteral("PopUp"), 46, 1},          // Alt+Delete
        {QStringLiteral("PopUpExtApp"), 145, 1},   // Alt+Scroll Lock
        {QStringLiteral("PopUpClock"), 34, 1},     // Alt+Page Down
        {QStringLiteral("PopUpMenu"), 35, 1},      // Alt+End
        {QStringLiteral("PopUpHistory"), 45, 1},   // Alt+Insert
        {QStringLiteral("PopUpWebSearch"), 33, 1}, // Alt+Page Up
        {QStringLiteral("PopUpDic"), 33, 8},       // Windows+Page Up
        {QStringLiteral("PopUpTV"), 34, 8},        // Windows+Page Down
        {QStringLiteral("PopUpCalc"), 36, 1},      // Alt+Home
    };
    return keys;
}

void WriteDefaults(iniMente &ini, const QString &version, const QString &memoDefault)
{
    ini.SetiniValue(QStringLiteral("iniVer"), version);
    ini.MakeiniItem(QStringLiteral("TXTFile"), memoDefault);
    ini.MakeiniItem(QStringLiteral("PreviewCloseTime"), QStringLiteral("3000"));
    ini.MakeiniItem(QStringLiteral("AlwayonTop"), QStringLiteral("0"));

    for (const HotKeyDefault &key : HotKeyDefaults()) {
        ini.MakeiniItem(key.name, QStringLiteral("1"));
        ini.MakeiniItem(key.name + QStringLiteral("KeyCode"), QString::number(key.keyCode));
        ini.MakeiniItem(key.name + QStringLiteral("KeyMask"), QString::number(key.keyMask));
    }

    ini.DeliniValue(QStringLiteral("WebSearchURL"));

    // An existing list is the user's: only a list without its first entry gets defaults.
    if (ini.GetiniValue(QStringLiteral("WebSearchURL1")).isEmpty()) {
        const auto &urls = DefaultWebSearchUrls();
        for (int i = 0; i < urls.size(); ++i)
            ini.MakeiniItem(QStringLiteral("WebSearchURL%1").arg(i + 1), urls[i]);
    }
    if (ini.GetiniValue(QStringLiteral("DicName1")).isEmpty()) {
        const auto &services = DefaultDicServices();
        for (int i = 0; i < services.size(); ++i)
            ini.MakeiniItem(QStringLiteral("DicName%1").arg(i + 1), services[i].name);
        for (int i = 0; i < services.size(); ++i)
            ini.MakeiniItem(QStringLiteral("DicURL%1").arg(i + 1), services[i].url);
    }
    ini.MakeiniItem(QStringLiteral("TVProgramTableURL"), DefaultTVProgramTableUrl());
    ini.MakeiniItem(QStringLiteral("TerminalWindowClasses"), DefaultTerminalClasses());
    ini.MakeiniItem(QStringLiteral("TerminalPasteKeys"), DefaultTerminalPasteKeys());
}
