#pragma once
// Colours in the settings file: the decimal value of a 32-bit number with red in the low byte.
#include <QColor>
#include <QString>

inline QColor ColorFromSetting(const QString &value, bool *ok)
{
    const qint64 v = value.trimmed().toLongLong(ok);
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

inline qint64 SettingFromColor(const QColor &color)
{
    return qint64(color.red()) | (qint64(color.green()) << 8) | (qint64(color.blue()) << 16);
}
