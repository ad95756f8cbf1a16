// Card files through a load and a save: what the reader accepts comes back byte for byte.
#include "cards/CardFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

QByteArray sj(const char *bytes) { return QByteArray(bytes); }

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList fieldsOf(const QVector<Card> &cards)
{
    QStringList out;
    for (const Card &card : cards)
        out << card.title << card.group << card.body;
    return out;
}

} // namespace

class TestCardFile : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;

    QString path(const QString &name) const { return dir_.filePath(name); }

private Q_SLOTS:
    void roundTrip_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("saved"); // empty: the same bytes as the file
        QTest::addColumn<int>("cards");

        // 挨拶 = 88 A5 8E A5, 朝 = 92 A9
        QTest::newRow("one card") << sj("\x92\xa9\x01\x88\xa5\x8e\xa5\x01hello\x01") << QByteArray() << 1;
        QTest::newRow("CR LF, lone LF and lone CR in a body")
            << sj("t\x01g\x01line1\r\nline2\nline3\rline4\r\n\x01") << QByteArray() << 1;
        QTest::newRow("CR LF before a title") << sj("\r\nt\x01g\x01" "b\x01") << QByteArray() << 1;
        QTest::newRow("blanks kept") << sj("  t \x01\t g\t\x01\x81\x40 body \x81\x40\x01") << QByteArray() << 1;
        QTest::newRow("at-sign and date stamp titles")
            << sj("Greetings\x81\x97Morning\x01x\x01" "b\x01" "2004/05/06\x81\x46\x97\x5c\x92\xe8\x01\x01" "c\x01")
            << QByteArray() << 2;
        QTest::newRow("empty fields and empty group") << sj("\x01\x01\x01t\x01\x01" "b\x01\x01g\x01\x01") << QByteArray() << 3;
        QTest::newRow("control bytes") << sj("\x1a\x1c\x7f\x02\x01\x1b\x01\x09\x0b\x0c\x01") << QByteArray() << 1;
        QTest::newRow("half-width katakana") << sj("\xb1\xb2\xdf\x01\xa1\x01\xa5\x01") << QByteArray() << 1;
        // Two codes for one character: NEC-selected and IBM rows, NEC row 13 and JIS.
        QTest::newRow("twice-coded characters") << sj("\xed\x40\x01\xfa\x5c\x01\x87\x90\x81\xe0\xee\xf9\x81\xca\x01")
                                                << QByteArray() << 1;
        QTest::newRow("bytes that are not text") << sj("\x81\x01\xa0\x01\xfd\xff\x85\x40\x01") << QByteArray() << 1;
        QTest::newRow("UTF-8 with byte-order mark")
            << sj("\xef\xbb\xbf" "caf\xc3\xa9\x01\xf0\x9f\x98\x80\x01" "a\r\nb\x01") << QByteArray() << 1;
        QTest::newRow("empty file") << QByteArray() << QByteArray() << 0;
        // Shapes the reader accepts that a save writes in full.
        QTest::newRow("no final separator") << sj("t\x01g\x01" "b") << sj("t\x01g\x01" "b\x01") << 1;
        QTest::newRow("seven fields") << sj("a\x01" "b\x01" "c\x01" "d\x01" "e\x01" "f\x01" "g\x01")
                                      << sj("a\x01" "b\x01" "c\x01" "d\x01" "e\x01" "f\x01" "g\x01\x01\x01") << 3;
        QTest::newRow("two final separators") << sj("t\x01g\x01" "b\x01\x01") << sj("t\x01g\x01" "b\x01\x01\x01\x01") << 2;
    }

    void roundTrip()
    {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, saved);
        QFETCH(int, cards);
        const QString in = path(QStringLiteral("in.vlw"));
        const QString out = path(QStringLiteral("out.vlw"));
        QVERIFY(writeFile(in, file));

        CardFileContents contents;
        QString error;
        QCOMPARE(CardFile::load(in, &contents, &error), CardFile::Opened::Read);
        QCOMPARE(contents.cards.size(), cards);
        QVERIFY2(CardFile::save(out, contents, &error), qPrintable(error));
        QCOMPARE(readFile(out), saved.isEmpty() ? file : saved);

        // The saved file holds the same cards, also for a file whose shape changed.
        CardFileContents again;
        QCOMPARE(CardFile::load(out, &again, &error), CardFile::Opened::Read);
        QCOMPARE(fieldsOf(again.cards), fieldsOf(contents.cards));
        QCOMPARE(again.encoding, contents.encoding);
    }

    // An edited card is written from its text in the file's encoding; the others keep their bytes.
    void editedCards_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("body");
        QTest::addColumn<QByteArray>("saved");

        QTest::newRow("code page 932") << sj("t\x01g\x01old\x01\xed\x40\x01" "b\x01" "c\x01")
                                       << QStringLiteral("新\r\n行") << sj("t\x01g\x01\x90\x56\r\n\x8d\x73\x01\xed\x40\x01" "b\x01" "c\x01");
        QTest::newRow("UTF-8") << sj("\xef\xbb\xbft\x01g\x01old\x01")
                               << QStringLiteral("新😀") << sj("\xef\xbb\xbft\x01g\x01\xe6\x96\xb0\xf0\x9f\x98\x80\x01");
    }

    void editedCards()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, body);
        QFETCH(QByteArray, saved);
        const QString in = path(QStringLiteral("edit.vlw"));
        QVERIFY(writeFile(in, file));
        CardFileContents contents;
        QCOMPARE(CardFile::load(in, &contents, nullptr), CardFile::Opened::Read);
        contents.cards[0].setField(CardField::Body, body);
        QCOMPARE(CardFile::serialize(contents), saved);
    }

    void unencodable_data()
    {
        QTest::addColumn<QStringList>("fields"); // three a card
        QTest::addColumn<QStringList>("first");  // "card field position character", at most two
        QTest::addColumn<int>("count");

        QTest::newRow("all held, JIS forms too")
            << QStringList{QStringLiteral("朝"), QStringLiteral("ｱ"), QStringLiteral("≒\uFFE2\x1a〜−")} << QStringList() << 0;
        QTest::newRow("accented letter in a group")
            << QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("t"), QStringLiteral("café"), QString()}
            << QStringList{QStringLiteral("1 1 3 é")} << 1;
        QTest::newRow("emoji in a body, surrogate pair whole, then the rest counted")
            << QStringList{QStringLiteral("t"), QString(), QStringLiteral("smile 😀 é"), QStringLiteral("𠮷野家"), QString(), QStringLiteral("é")}
            << QStringList{QStringLiteral("0 2 6 😀"), QStringLiteral("0 2 9 é")} << 4;
        QTest::newRow("replacement character") << QStringList{QStringLiteral("t\uFFFD"), QString(), QString()}
                                               << QStringList{QStringLiteral("0 0 1 \uFFFD")} << 1;
    }

    void unencodable()
    {
        QFETCH(QStringList, fields);
        QFETCH(QStringList, first);
        QFETCH(int, count);
        QVector<Card> cards;
        for (int i = 0; i + 2 < fields.size(); i += 3) {
            Card c;
            c.setField(CardField::Title, fields[i]);
            c.setField(CardField::Group, fields[i + 1]);
            c.setField(CardField::Body, fields[i + 2]);
            cards.append(c);
        }
        const UnencodableList found = CardFile::findUnencodable(cards, 2);
        QStringList described;
        for (const Unencodable &u : found.first)
            described << QStringLiteral("%1 %2 %3 %4").arg(u.card).arg(int(u.field)).arg(u.at).arg(u.character);
        QCOMPARE(described, first);
        QCOMPARE(found.count, count);
    }

    // Bytes that are not text stay as they were while their card is unchanged.
    void cardAsReadIsNotReported()
    {
        const QString in = path(QStringLiteral("bad.vlw"));
        QVERIFY(writeFile(in, sj("\xfd\x01g\x01" "b\x01")));
        CardFileContents contents;
        QCOMPARE(CardFile::load(in, &contents, nullptr), CardFile::Opened::Read);
        QVERIFY(contents.cards[0].title.contains(QChar(0xFFFD)));
        QCOMPARE(CardFile::findUnencodable(contents.cards, 1).count, 0);
    }

    void opening_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("opened");

        QTest::newRow("missing") << "missing" << int(CardFile::Opened::Missing);
        QTest::newRow("dangling link") << "dangling" << int(CardFile::Opened::Missing);
        QTest::newRow("folder") << "folder" << int(CardFile::Opened::Unreadable);
        QTest::newRow("named pipe, never waited on") << "fifo" << int(CardFile::Opened::Unreadable);
        QTest::newRow("larger than any card file") << "huge" << int(CardFile::Opened::Unreadable);
    }

    void opening()
    {
        QFETCH(QString, kind);
        QFETCH(int, opened);
        const QString target = path(QStringLiteral("open-") + kind);
        if (kind == QLatin1String("dangling"))
            QVERIFY(QFile::link(path(QStringLiteral("nowhere")), target));
        else if (kind == QLatin1String("folder"))
            QVERIFY(QDir().mkpath(target));
        else if (kind == QLatin1String("fifo"))
            QCOMPARE(::mkfifo(QFile::encodeName(target).constData(), 0600), 0);
        else if (kind == QLatin1String("huge")) { // sparse: takes no room on the disk
            QFile f(target);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.resize(TextFastReadBinary::MaxFileSize + 1));
        }

        CardFileContents contents;
        contents.cards.resize(2);
        QString error;
        QCOMPARE(int(CardFile::load(target, &contents, &error)), opened);
        QVERIFY(contents.cards.isEmpty());
        QCOMPARE(error.isEmpty(), opened != int(CardFile::Opened::Unreadable));
    }

    // Saving stops at the size the readers accept, so a saved file always opens again.
    void saveKeepsToTheReadersLimit()
    {
        const QString target = path(QStringLiteral("limit.vlw"));
        QVERIFY(writeFile(target, "old\1g\1x\1"));
        CardFileContents contents;
        for (const char *title : {"one", "two"}) {
            Card card;
            card.setField(CardField::Title, QString::fromLatin1(title));
            card.setField(CardField::Body, QStringLiteral("本文"));
            contents.cards.append(card);
        }
        const qint64 size = CardFile::serialize(contents).size();
        QString error;
        QVERIFY(!CardFile::save(target, contents, &error, size - 1));
        QVERIFY2(error.contains(QString::number(size)) && error.contains(QString::number(size - 1)), qPrintable(error));
        QCOMPARE(readFile(target), QByteArray("old\1g\1x\1"));

        QVERIFY(CardFile::save(target, contents, &error, size));
        CardFileContents back;
        QCOMPARE(int(CardFile::load(target, &back, &error)), int(CardFile::Opened::Read));
        QCOMPARE(fieldsOf(back.cards), fieldsOf(contents.cards));
    }

    void failedSaveLeavesFile()
    {
        CardFileContents contents;
        Card card;
        card.setField(CardField::Title, QStringLiteral("t"));
        contents.cards.append(card);
        QString error;
        QVERIFY(!CardFile::save(path(QStringLiteral("no-such-folder/x.vlw")), contents, &error));
        QVERIFY(!error.isEmpty());
    }
};

QTEST_MAIN(TestCardFile)
#include "tst_cardfile.moc"
