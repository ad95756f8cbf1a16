// Edits of the card list and their undo history, and the list's filter.
#include "cards/CardCommands.h"
#include "cards/CardFilter.h"
#include "cards/CardModel.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QUndoStack>

namespace {

// 纊 in its NEC-selected code, which a fresh encoding would write in the IBM row.
const QByteArray Original("\xed\x40\x01g\x01" "b1\x01" "two\x01g\x01" "b2\x01" "three\x01h\x01" "b3\x01");

QStringList titles(const QAbstractItemModel &model)
{
    QStringList out;
    for (int row = 0; row < model.rowCount(); ++row)
        out << model.index(row, 0).data().toString();
    return out;
}

bool load(CardModel &model, const QByteArray &bytes)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("c.vlw"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        return false;
    f.close();
    CardFileContents contents;
    if (CardFile::load(path, &contents, nullptr) != CardFile::Opened::Read)
        return false;
    model.setContents(std::move(contents));
    return true;
}

// One step as the window makes it: "add 1", "dup 0", "del 2", "move 1 2", "title 0 text",
// "group 0 text", "body 0 text".
void apply(CardModel &model, QUndoStack &stack, const QString &step)
{
    const QStringList w = step.split(u' ');
    const int row = w.value(1).toInt();
    const QString text = w.mid(2).join(u' ');
    if (w[0] == QLatin1String("add")) {
        stack.push(new InsertCardCommand(&model, row, Card(), QStringLiteral("add")));
    } else if (w[0] == QLatin1String("dup")) {
        Card copy = model.card(row);
        copy.serial = 0;
        stack.push(new InsertCardCommand(&model, row + 1, copy, QStringLiteral("dup")));
    } else if (w[0] == QLatin1String("del")) {
        stack.push(new RemoveCardCommand(&model, row));
    } else if (w[0] == QLatin1String("move")) {
        stack.push(new MoveCardCommand(&model, row, w.value(2).toInt()));
    } else {
        const CardField field = w[0] == QLatin1String("title") ? CardField::Title
                                : w[0] == QLatin1String("group") ? CardField::Group
                                                                 : CardField::Body;
        stack.push(new EditFieldCommand(&model, row, field, text));
    }
}

} // namespace

class TestCardEdits : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void undoRedo_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<QStringList>("groups");
        QTest::addColumn<int>("undoSteps");

        const QString first = QStringLiteral("纊");
        QTest::newRow("edit a title") << QStringList{"title 0 x"} << QStringList{"x", "two", "three"}
                                      << QStringList{"g", "h"} << 1;
        QTest::newRow("typing in one field is one step")
            << QStringList{"title 1 t", "title 1 tw", "title 1 twX"} << QStringList{first, "twX", "three"}
            << QStringList{"g", "h"} << 1;
        QTest::newRow("another field is another step")
            << QStringList{"title 1 a", "body 1 b", "title 1 ab"} << QStringList{first, "ab", "three"}
            << QStringList{"g", "h"} << 3;
        QTest::newRow("add, type, move down") << QStringList{"add 1", "title 1 new", "move 1 2"}
                                              << QStringList{first, "two", "new", "three"} << QStringList{"g", "h"} << 3;
        QTest::newRow("move up to the top") << QStringList{"move 2 1", "move 1 0"} << QStringList{"three", first, "two"}
                                            << QStringList{"g", "h"} << 2;
        QTest::newRow("duplicate, then remove the original")
            << QStringList{"dup 0", "del 0", "del 1"} << QStringList{first, "three"} << QStringList{"g", "h"} << 3;
        QTest::newRow("remove every card") << QStringList{"del 0", "del 0", "del 0"} << QStringList{} << QStringList{} << 3;
        QTest::newRow("groups come and go") << QStringList{"group 2 g", "group 0 new", "body 1 x"}
                                            << QStringList{first, "two", "three"} << QStringList{"g", "new"} << 3;
    }

    // Undoing everything gives back the very bytes that were read; redoing everything gives
    // the edited file again.
    void undoRedo()
    {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, titles);
        QFETCH(QStringList, groups);
        QFETCH(int, undoSteps);
        CardModel model;
        QUndoStack stack;
        QVERIFY(load(model, Original));
        for (const QString &step : steps)
            apply(model, stack, step);
        QCOMPARE(::titles(model), titles);
        QCOMPARE(model.groups(), groups);
        QCOMPARE(stack.count(), undoSteps);
        const QByteArray edited = CardFile::serialize(model.contents());

        while (stack.canUndo())
            stack.undo();
        QCOMPARE(CardFile::serialize(model.contents()), Original);
        QCOMPARE(model.groups(), (QStringList{"g", "h"}));
        while (stack.canRedo())
            stack.redo();
        QCOMPARE(::titles(model), titles);
        QCOMPARE(CardFile::serialize(model.contents()), edited);
    }

    void filter_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("shown");

        QTest::newRow("none") << QString() << QStringList{"alpha", "beta", "gamma"};
        QTest::newRow("body, letter case ignored") << "APPLE" << QStringList{"alpha"};
        QTest::newRow("group") << "fruit" << QStringList{"alpha", "gamma"};
        QTest::newRow("title") << "bet" << QStringList{"beta"};
        QTest::newRow("nothing") << "zzz" << QStringList{};
        QTest::newRow("full-width text") << "りんご" << QStringList{"gamma"};
    }

    void filter()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, shown);
        CardModel model;
        QVERIFY(load(model, QStringLiteral("alpha\1fruit\1red apple\1beta\1veg\1green leaf\1gamma\1fruit\1りんご\1").toUtf8().prepend("\xef\xbb\xbf")));
        CardFilter filter(&model);
        filter.setText(text);
        QCOMPARE(titles(filter), shown);
    }

    // The card being worked on stays in the list while the filter lasts.
    void keptCards()
    {
        CardModel model;
        QVERIFY(load(model, QByteArray("alpha\1fruit\1a\1beta\1veg\1b\1gamma\1fruit\1c\1")));
        CardFilter filter(&model);
        filter.setText(QStringLiteral("fruit"));
        filter.keep(model.card(2).serial);
        model.setField(2, CardField::Group, QStringLiteral("other"));
        model.setField(0, CardField::Group, QStringLiteral("other")); // not kept: leaves the list
        model.insertCard(1, Card());
        QCOMPARE(titles(filter), (QStringList{"", "gamma"}));
        filter.setText(QStringLiteral("fruit"));
        QCOMPARE(titles(filter), (QStringList{"", "gamma"}));

        filter.setText(QStringLiteral("frui"));
        QCOMPARE(titles(filter), QStringList{});
        filter.reveal(model.card(3).serial);
        QCOMPARE(titles(filter), (QStringList{"gamma"}));
    }
};

QTEST_MAIN(TestCardEdits)
#include "tst_cardedits.moc"
