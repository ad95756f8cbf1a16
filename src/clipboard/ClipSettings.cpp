#include "clipboard/ClipSettings.h"

#include "settings/iniMente.h"

#include <algorithm>

namespace ClipSettings {

bool ParseTruth(const QString &value, bool fallback)
{
    const QString v = value.trimmed();
    if (v.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (v.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    bool ok = false;
    const double number = v.toDouble(&ok);
    return ok ? number != 0 : fallback;
}

qint64 ParseNumber(const QString &value, qint64 fallback)
{
    bool ok = false;
    const qint64 number = value.trimmed().toLongLong(&ok);
    return ok ? number : fallback;
}

bool ClipEnable(iniMente &ini)
{
    return ParseTruth(ini.GetiniValue(QStringLiteral("ClipEnable"), true), true);
}

bool ClipBoardBeep(iniMente &ini)
{
    return ParseTruth(ini.GetiniValue(QStringLiteral("ClipBoardBeep"), true), true);
}

QString ClipBoardBeepWaveFileName(iniMente &ini)
{
    return ini.GetiniValue(QStringLiteral("ClipBoardBeepWaveFileName"), QString());
}

int MAXofClipBoardHistory(iniMente &ini)
{
    const qint64 n = ParseNumber(ini.GetiniValue(QStringLiteral("MAXofClipBoardHistory"), qint64(100)), 100);
    // The indices are 16-bit: a larger limit would overflow the counters.
    return int(std::clamp<qint64>(n, -32768, 32767));
}

int MAXofLength1History(iniMente &ini)
{
    const qint64 n = ParseNumber(ini.GetiniValue(QStringLiteral("MAXofLength1History"), qint64(148576)), 148576);
    // Cutting to nothing would store an empty entry 0 and hide the whole history.
    return int(std::clamp<qint64>(n, 1, 0x7fffffff));
}

} // namespace ClipSettings
