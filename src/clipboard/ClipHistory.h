#pragma once
// The persistent clipboard history and the two history groups at the head of the memo table.
// The history is a numbered list of texts in the per-user store, newest first.
#include "memo/MemoTable.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <utility>

class iniMente;
class UserStore;

class ClipHistory : public HistoryLoader
{
public:
    static const QString AppName;      // "Fennecs SoftWares"
    static const QString StoreSection; // "PipClipBoardHistory"
    static const QString HistoryGroupName;
    static const QString AddressGroupName;
    static const QString EmptyItemName;
    static constexpr int ItemNameLength = 60;

    ClipHistory(iniMente &ini, UserStore &store, MemoGroups &table);

    // Records one text at the top. True when it became a new entry; false when it was empty
    // or already stored (it is then moved to the top). The whole change is one store commit.
    bool ShiftWriteClipHistory(const QString &ClipText);
    // Index of the last stored entry; -1 when the history is empty.
    qint16 MAXofClipHistory();
    // Rebuilds positions 0 and 1 of the memo table; false (table emptied) when the history is off.
    bool ClipRegInToArray();
    bool loadHistoryGroups(MemoGroups &table) override;

    // The stored texts, newest first, read straight from a store.
    static QStringList StoredTexts(UserStore &store);

    static QString HistoryKey(int index);
    static bool IsAddress(const QString &text);
    static QString HistoryItemName(const QString &text);
    // The first maxLength UTF-16 units, one fewer when the cut would split a surrogate pair.
    static QString CutText(const QString &text, int maxLength);

private:
    QString readEntry(int index, const QString &defaultValue);
    void writeEntry(int index, const QString &text);
    qint16 lastIndex();
    bool fillGroups(MemoGroups &table);

    iniMente &ini_;
    UserStore &store_;
    MemoGroups &table_;
    QHash<int, QString> pending_; // writes of the change being built, committed together
    // Item names of the texts shown last, by the texts' shared data: a long text is scanned
    // for its first line break once, not at every rebuild.
    QHash<const QChar *, std::pair<QString, QString>> names_;
};
