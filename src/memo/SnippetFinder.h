#pragma once
// Finds items by part of their name or text, across all groups. Texts are folded once when a
// group is handed in, so a keystroke only searches; a query that extends the previous one
// searches only the previous hits.
#include <QString>
#include <QStringList>
#include <QVector>

#include <vector>

class SnippetFinder
{
public:
    struct Hit {
        int group;
        int item;
        bool operator==(const Hit &other) const { return group == other.group && item == other.item; }
    };

    // What matching ignores: letter case, full-width against half-width forms, hiragana
    // against katakana ("てすと", "テスト" and "ﾃｽﾄ" fold alike).
    static QString fold(QStringView text);

    // The groups in table order; a new count empties every group.
    void setGroupCount(int count);
    // One group's item names and texts (parallel lists), replacing what it held.
    void setGroup(int group, const QStringList &names, const QStringList &texts);

    // Items holding the query, best first: a hit in the name before one in the text, the
    // start of the name before the start of a word before the middle of one; equal hits keep
    // table order. Items with an empty text are never found (there is nothing to copy), nor
    // is anything by an empty query.
    QVector<Hit> find(QStringView query);

private:
    // A group's folded names and texts, each run into one text so that one search covers them
    // all; every entry ends in U+0000, which no query holds. Items with an empty text are left out.
    struct FoldedGroup {
        QString names, texts;
        std::vector<int> nameStarts, textStarts; // per entry, plus the end of the last
        std::vector<int> items;                  // the item of each entry
        QStringView name(int entry) const;
        QStringView text(int entry) const;
    };
    struct Found {
        int group;
        int entry;
        int rank; // 0 at the start of the name ... 4 inside a word of the text
    };
    // Appends the group's entries holding the query, in entry order.
    static void searchGroup(const FoldedGroup &group, int g, const QString &query, std::vector<Found> &out);

    std::vector<FoldedGroup> groups_;
    int entryCount_ = 0;
    QString lastQuery_;           // folded; empty when the next search has to look at every item
    std::vector<Found> lastHits_; // of lastQuery_, in table order
};
