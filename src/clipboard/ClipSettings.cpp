#include "clipboard/ClipSettings.h"

#include "settings/iniMente.h"

#include <algorithm>

namespace ClipSettings {

bool ClipEnable(iniMente &ini)
{
    return ini.GetiniBool(QStringLiteral("ClipEnable"), true);
}

bool ClipBoardBeep(iniMente &ini)
{
    return ini.GetiniBool(QStringLiteral("ClipBoardBeep"), true);
}

QString ClipBoardBeepWaveFileName(iniMente &ini)
{
    return ini.GetiniValue(QStringLiteral("ClipBoardBeepWaveFileName"), QString());
}

int MAXofClipBoardHistory(iniMente &ini)
{
    const qint64 n = ini.GetiniNumber(QStringLiteral("MAXofClipBoardHistory"), 100);
    // The indices are 16-bit: a larger limit would overflow the counters.
    return int(std::clamp<qint64>(n, -32768, 32767));
}

int MAXofLength1History(iniMente &ini)
{
    const qint64 n = ini.GetiniNumber(QStringLiteral("MAXofLength1History"), 148576);
    // Cutting to nothing would store an empty entry 0 and hide the whole history.
    return int(std::clamp<qint64>(n, 1, 0x7fffffff));
}

} // namespace ClipSettings
