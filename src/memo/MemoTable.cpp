#include "memo/MemoTable.h"

#include "memo/TextFastReadBinary.h"
#include "platform/HeapTuning.h"

#include <QHash>

#include <utility>

bool NoHistory::loadHistoryGroups(MemoGroups &table)
{
    table.clear();
    return false;
}

namespace {

bool hasDatePrefix(const QString &title)
{
    return title.size() >= 11 && title.at(4) == u'/' && title.at(7) == u'/'
           && title.at(10) == QChar(0xFF1A);
}

} // namespace

QString StripDatePrefix(const QString &title)
{
    return hasDatePrefix(title) ? title.mid(11) : title;
}

CardPlace PlaceCard(QString &&title, const QString &groupField)
{
    if (hasDatePrefix(title))
        title.remove(0, 11); // StripDatePrefix without a copy: the title is ours alone
    CardPlace place;
    const QChar at(0xFF20);
    const qsizetype firstAt = title.indexOf(at);
    if (firstAt >= 0) {
        place.groupName = title.left(firstAt);
        const qsizetype secondAt = title.indexOf(at, firstAt + 1);
        place.itemName = title.mid(firstAt + 1, secondAt < 0 ? -1 : secondAt - firstAt - 1);
    } else {
        place.groupName = groupField.isEmpty() ? QStringLiteral("指定なし") : groupField;
        place.itemName = std::move(title);
    }
    return place;
}

MemoLoadResult ReadMemoFile(const QString &memoFilename, HistoryLoader &history, MemoGroups &table)
{
    MemoLoadResult result;
    const LargeHeapWork largeWork;
    table.clear();
    table.resize(2);
    bool tableEmpty = !history.loadHistoryGroups(table);

    // Name -> first position holding it: the same answer as a search from position 0 upward.
    QHash<QString, int> firstPosition;
    if (!tableEmpty) {
        for (int i = int(table.size()) - 1; i >= 0; --i)
            firstPosition.insert(table.at(i).Name, i);
    }

    TextFastReadBinary reader;
    reader.LoadTextFile(memoFilename); // a failed load leaves one empty card, as intended
    while (!reader.EOFText()) {
        QString title = reader.InputLine();
        const QString groupField = reader.InputLine();
        QString body = reader.InputLine();
        auto [groupName, itemName] = PlaceCard(std::move(title), groupField);

        int pos = tableEmpty ? -1 : firstPosition.value(groupName, -1);
        if (pos < 0) {
            if (tableEmpty) {
                table.resize(1);
                table[0] = MemoGroup();
                pos = 0;
                tableEmpty = false;
            } else if (table.size() >= MaxMemoGroups) {
                // Positions are 16-bit: keep loading cards of known groups, drop the rest.
                result.groupLimitReached = true;
                continue;
            } else {
                table.append(MemoGroup());
                pos = int(table.size()) - 1;
            }
            table[pos].Name = groupName;
            firstPosition.insert(groupName, pos);
        }
        MemoGroup &group = table[pos];
        group.ItemNames.append(std::move(itemName));
        group.ItemTexts.append(std::move(body));
    }
    return result;
}
