#pragma once
// Completes a settings document with every default the program writes at start-up.
#include <QString>
#include <QStringList>
#include <QVector>

class iniMente;

struct HotKeyDefault {
    QString name;
    int keyCode;
    int keyMask; // 1 Alt, 2 Ctrl, 4 Shift, 8 Windows key
};

// The nine hot keys in their registration order.
const QVector<HotKeyDefault> &HotKeyDefaults();

// version is "major.minor.revision"; memoDefault the default card file path.
void WriteDefaults(iniMente &ini, const QString &version, const QString &memoDefault);
