#pragma once
// Lookup addresses: a service's base address followed by the encoded keyword, and the
// numbered service lists of the settings.
#include <QString>
#include <QUrl>
#include <QVector>
#include <functional>

// The keyword as code page 932 bytes, each byte other than 0-9, A-Z, a-z written as "%XX"
// (upper-case hex) and the blank as "+". Characters the code page cannot hold become "?".
QString ServiceUrlEncode(const QString &keyword);

// Lookup addresses are web addresses: an address built from a setting is opened only when it
// is http: or https: with a host, never a script, a local file or anything else.
bool IsWebAddress(const QUrl &address);

// Reads a setting as text; a missing key reads as empty.
using SettingReader = std::function<QString(const QString &key)>;

struct DicService {
    QString name;
    QString url;
};

// DicName1/DicURL1, DicName2/DicURL2, ... up to the first empty DicURL.
QVector<DicService> ReadDicServices(const SettingReader &read);
// The number of consecutive non-empty keys WebSearchURL1, WebSearchURL2, ...
int CountWebSearchEngines(const SettingReader &read);

// The text without blanks (U+0020 only) at either end.
QString StripBlanks(const QString &text);

// The running program's settings as the lookup windows read them, at each use.
struct LookupSettings {
    SettingReader read;                                                      // missing: empty
    std::function<QString(const QString &key, const QString &def)> readOr; // missing: def, added
};
