#include "app/RecentFiles.h"

#include "settings/iniMente.h"
#include "util/Tool.h"

namespace RecentFiles {

namespace {

bool isWindowsStyle(const QString &p)
{
    const auto isLetter = [](QChar c) {
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
    };
    return (p.size() >= 2 && isLetter(p[0]) && p[1] == u':') || p.startsWith(QStringLiteral("\\\\"));
}

// Entries beyond the menus' reach still count when looking a path up.
constexpr int SearchLimit = 1000;

} // namespace

QString EntryKey(int n)
{
    return QStringLiteral("RecentFile") + QString::number(n);
}

bool SamePath(const QString &a, const QString &b)
{
    if (isWindowsStyle(a) || isWindowsStyle(b))
        return a.compare(b, Qt::CaseInsensitive) == 0;
    return a == b;
}

int FindPath(const iniMente &list, const QString &path)
{
    for (int n = 0; n < SearchLimit; ++n) {
        const QString value = list.GetiniValue(EntryKey(n));
        if (value.isEmpty())
            return -1;
        if (SamePath(value, path))
            return n;
    }
    return -1;
}

void AddPath(iniMente &list, const QString &path)
{
    const int found = FindPath(list, path);
    const int from = found < 0 ? QuillboxItems - 2 : found - 1;
    for (int d = from; d >= 0; --d) {
        const QString value = list.GetiniValue(EntryKey(d));
        // Copying an empty entry over an empty one would only add blank keys to the file.
        if (value.isEmpty() && list.GetiniValue(EntryKey(d + 1)).isEmpty())
            continue;
        list.SetiniValue(EntryKey(d + 1), value);
    }
    list.SetiniValue(EntryKey(0), path);
}

QStringList Entries(const iniMente &list, int maxItems)
{
    QStringList paths;
    for (int i = 0; i < maxItems; ++i) {
        const QString value = list.GetiniValue(EntryKey(i));
        if (value.isEmpty())
            break;
        paths.append(value);
    }
    return paths;
}

QString Caption(int index, const QString &path, bool plainCaptions)
{
    const QString tail = Tool::GetFileNamePart(path) + QLatin1Char('\t')
                         + Tool::CutWithEllipsis(path, CaptionPathLength);
    if (plainCaptions)
        return tail;
    return QLatin1Char('&') + QChar(u'A' + index) + QLatin1Char(' ') + tail;
}

} // namespace RecentFiles
