// Finding items by typing: what counts as a match (case, widths, kana) and the order of hits.
#include "memo/SnippetFinder.h"

#include <QTest>

namespace {

// Group -> item name -> text. Item names are unique, so a hit is told by its name.
const QVector<QVector<QPair<QString, QString>>> &cards()
{
    static const QVector<QVector<QPair<QString, QString>>> groups = {
        {{QStringLiteral("履歴なし"), QString()}},
        {{QStringLiteral("テスト文面"), QStringLiteral("本文")},
         {QStringLiteral("Meeting notes"), QStringLiteral("agenda for the week")},
         {QStringLiteral("ﾃｽﾄ半角"), QStringLiteral("x")},
         {QStringLiteral("予定"), QStringLiteral("てすとの日程")},
         {QStringLiteral("ＦＵＬＬ　Ｗｉｄｔｈ"), QStringLiteral("y")},
         {QStringLiteral("concat"), QStringLiteral("cat food")},
         {QStringLiteral("the cat"), QStringLiteral("meow")},
         {QStringLiteral("empty cat"), QString()}},
        {{QStringLiteral("会議メモ"), QStringLiteral("議事録")},
         {QStringLiteral("件名35"), QStringLiteral("Price: %10")},
         {QStringLiteral("ﾃﾞｰﾀ"), QStringLiteral("z")},
         {QStringLiteral("scatter"), QStringLiteral("plot")},
         {QStringLiteral("Catalog"), QStringLiteral("spring")},
         {QStringLiteral("notes"), QStringLiteral("a cat here")},
         {QStringLiteral("misc"), QStringLiteral("concatenate")},
         {QStringLiteral("番号"), QStringLiteral("03-1234-5678")}},
    };
    return groups;
}

SnippetFinder loadedFinder()
{
    SnippetFinder finder;
    finder.setGroupCount(int(cards().size()));
    for (int g = 0; g < cards().size(); ++g) {
        QStringList names, texts;
        for (const auto &item : cards()[g]) {
            names << item.first;
            texts << item.second;
        }
        finder.setGroup(g, names, texts);
    }
    return finder;
}

QStringList names(const QVector<SnippetFinder::Hit> &hits)
{
    QStringList out;
    for (const SnippetFinder::Hit &hit : hits)
        out << cards()[hit.group][hit.item].first;
    return out;
}

} // namespace

class TestSnippetFinder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void matching_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QStringList>("expected"); // item names, best first
        const QStringList test{QStringLiteral("テスト文面"), QStringLiteral("ﾃｽﾄ半角"), QStringLiteral("予定")};
        QTest::newRow("hiragana finds katakana and half-width") << QStringLiteral("てすと") << test;
        QTest::newRow("katakana") << QStringLiteral("テスト") << test;
        QTest::newRow("half-width katakana") << QStringLiteral("ﾃｽﾄ") << test;
        QTest::newRow("voiced half-width katakana") << QStringLiteral("でーた") << QStringList{QStringLiteral("ﾃﾞｰﾀ")};
        QTest::newRow("letter case") << QStringLiteral("MEETING") << QStringList{QStringLiteral("Meeting notes")};
        QTest::newRow("full-width query") << QStringLiteral("ｍｅｅｔｉｎｇ") << QStringList{QStringLiteral("Meeting notes")};
        QTest::newRow("full-width name, ideographic space") << QStringLiteral("full width")
                                                           << QStringList{QStringLiteral("ＦＵＬＬ　Ｗｉｄｔｈ")};
        QTest::newRow("minus sign an input method types") << QStringLiteral("03−1234") << QStringList{QStringLiteral("番号")};
        // Start of the name, start of a word, inside a word; then the text likewise.
        QTest::newRow("ranking before table order")
            << QStringLiteral("cat")
            << QStringList{QStringLiteral("Catalog"), QStringLiteral("the cat"), QStringLiteral("concat"),
                           QStringLiteral("scatter"), QStringLiteral("notes"), QStringLiteral("misc")};
        QTest::newRow("kana after kanji starts a word") << QStringLiteral("メモ") << QStringList{QStringLiteral("会議メモ")};
        QTest::newRow("name before text of another item")
            << QStringLiteral("notes") << QStringList{QStringLiteral("notes"), QStringLiteral("Meeting notes")};
        QTest::newRow("in the text") << QStringLiteral("%10") << QStringList{QStringLiteral("件名35")};
        QTest::newRow("nothing to copy is never found") << QStringLiteral("履歴") << QStringList();
        QTest::newRow("empty query") << QString() << QStringList();
        QTest::newRow("no match") << QStringLiteral("zzz") << QStringList();
    }
    void matching()
    {
        QFETCH(QString, query);
        QFETCH(QStringList, expected);
        SnippetFinder fresh = loadedFinder();
        QCOMPARE(names(fresh.find(query)), expected);
        // Typed a character at a time, each search narrowing the one before, and then
        // corrected back to the first character: the same hits as searching at once.
        SnippetFinder typed = loadedFinder();
        QVector<SnippetFinder::Hit> hits;
        for (qsizetype n = 1; n <= query.size(); ++n)
            hits = typed.find(QStringView(query).left(n));
        QCOMPARE(names(hits), expected);
        if (!query.isEmpty())
            QCOMPARE(typed.find(query.left(1)), fresh.find(query.left(1)));
    }

    void changedGroupIsSearchedAfresh()
    {
        SnippetFinder finder = loadedFinder();
        QCOMPARE(names(finder.find(QStringLiteral("cat"))).size(), 6);
        finder.setGroup(2, {QStringLiteral("ｷｬｯﾄ")}, {QStringLiteral("cat")});
        using Hits = QVector<SnippetFinder::Hit>;
        QCOMPARE(finder.find(QStringLiteral("cat")), (Hits{{1, 6}, {1, 5}, {2, 0}}));
    }
};

QTEST_GUILESS_MAIN(TestSnippetFinder)
#include "tst_snippetfinder.moc"
