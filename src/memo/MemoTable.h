#pragma once
// The memo table: groups and items built from a card file, history groups first.
#include <QString>
#include <QStringList>
#include <QVector>

struct MemoGroup {
    QString Name;
    QStringList ItemNames;
    QStringList ItemTexts; // parallel to ItemNames
};
using MemoGroups = QVector<MemoGroup>;

// Group positions are 16-bit: the table holds at most this many groups, history included.
constexpr int MaxMemoGroups = 32768;

// Fills positions 0 and 1 with the clipboard and address history. Returns false when the
// history is off; it must then leave the table empty.
class HistoryLoader
{
public:
    virtual ~HistoryLoader() = default;
    virtual bool loadHistoryGroups(MemoGroups &table) = 0;
};

// The loader used while the history is switched off.
class NoHistory : public HistoryLoader
{
public:
    bool loadHistoryGroups(MemoGroups &table) override;
};

struct MemoLoadResult {
    bool groupLimitReached = false; // cards needing a new group beyond the limit were dropped
};

// A title "yyyy/mm/dd：..." loses its 11-character date stamp.
QString StripDatePrefix(const QString &title);

// Where a card belongs: "group＠item＠..." in the title names both; otherwise the card's group
// field (or "指定なし") is the group and the title the item. The title is consumed.
struct CardPlace {
    QString groupName;
    QString itemName;
};
CardPlace PlaceCard(QString &&title, const QString &groupField);

// ReadMemoFile: rebuilds table from the card file, history groups first.
MemoLoadResult ReadMemoFile(const QString &memoFilename, HistoryLoader &history, MemoGroups &table);
