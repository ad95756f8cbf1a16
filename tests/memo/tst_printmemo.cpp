#include "memo/MemoTable.h"
#include "memo/PrintMemo.h"
#include "memo/TextFastReadBinary.h"
#include "platform/Cp932.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <sys/stat.h>

class TestPrintMemo : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;

    struct Output {
        QByteArray out, err;
        int rc = -1;
    };

    Output print(const QByteArray &cards)
    {
        const QString memo = dir_.filePath(QStringLiteral("memo.vlw"));
        QFile f(memo);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(cards);
        f.close();
        return run(memo);
    }

    Output run(const QString &memo)
    {
        std::FILE *out = std::tmpfile();
        std::FILE *err = std::tmpfile();
        Output o;
        o.rc = PrintMemo(memo, out, err);
        for (auto [file, bytes] : {std::pair{out, &o.out}, std::pair{err, &o.err}}) {
            std::rewind(file);
            char buffer[65536];
            size_t n;
            while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
                bytes->append(buffer, qsizetype(n));
            std::fclose(file);
        }
        return o;
    }

private Q_SLOTS:
    void groupsAndItemsInTableOrder()
    {
        const Output o = print(Cp932::encode(QStringLiteral("朝\1挨拶\1おはよう\r\nございます\1夜\1挨拶\1おやすみ\1x＠y\1\1z\1")));
        QCOMPARE(o.rc, 0);
        QVERIFY(o.err.isEmpty());
        const QJsonArray groups = QJsonDocument::fromJson(o.out).array();
        QCOMPARE(groups.size(), 2);
        QCOMPARE(groups[0][QStringLiteral("name")].toString(), QStringLiteral("挨拶"));
        const QJsonArray items = groups[0][QStringLiteral("items")].toArray();
        QCOMPARE(items.size(), 2);
        QCOMPARE(items[0][QStringLiteral("text")].toString(), QStringLiteral("おはよう\r\nございます"));
        QCOMPARE(items[1][QStringLiteral("name")].toString(), QStringLiteral("夜"));
        QCOMPARE(groups[1][QStringLiteral("name")].toString(), QStringLiteral("x"));
        QCOMPARE(groups[1][QStringLiteral("items")].toArray()[0][QStringLiteral("name")].toString(), QStringLiteral("y"));
    }

    // The printed groups are the memo table the program builds, text for text.
    void matchesTheMemoTable_data()
    {
        QTest::addColumn<QByteArray>("cards");
        QTest::newRow("groups interleaved")
            << Cp932::encode(QStringLiteral("a\1G1\1one\1b\1G2\1two\1c\1G1\1three\1d\1G2\1four\1e\1G3\1five\1"));
        QTest::newRow("dates, ＠ titles, no group")
            << Cp932::encode(QStringLiteral("2024/01/02：日付\1G\1x\1群＠品＠余り\1G\1y\1題\1\1z\1"));
        QTest::newRow("quotes, backslashes and control characters")
            << Cp932::encode(QStringLiteral("\"q\"\1g\\h\1tab\there\r\nline\x02\x1f end\1"));
        QTest::newRow("UTF-8 with a byte-order mark") << QByteArray("\xEF\xBB\xBFt\x01g\x01" "caf\xC3\xA9 \xF0\x9F\x98\x80\x01");
        QTest::newRow("empty file") << QByteArray();
        QTest::newRow("no separator at the end") << QByteArray("t\1g\1body");
    }

    void matchesTheMemoTable()
    {
        QFETCH(QByteArray, cards);
        const Output o = print(cards);
        QCOMPARE(o.rc, 0);
        MemoGroups table;
        NoHistory history;
        ReadMemoFile(dir_.filePath(QStringLiteral("memo.vlw")), history, table);
        QJsonParseError error;
        const QJsonArray groups = QJsonDocument::fromJson(o.out, &error).array();
        QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString()));
        QCOMPARE(groups.size(), table.size());
        for (qsizetype g = 0; g < table.size(); ++g) {
            QCOMPARE(groups[g][QStringLiteral("name")].toString(), table[g].Name);
            const QJsonArray items = groups[g][QStringLiteral("items")].toArray();
            QCOMPARE(items.size(), table[g].ItemNames.size());
            for (qsizetype i = 0; i < items.size(); ++i) {
                QCOMPARE(items[i][QStringLiteral("name")].toString(), table[g].ItemNames[i]);
                QCOMPARE(items[i][QStringLiteral("text")].toString(), table[g].ItemTexts[i]);
            }
        }
    }

    // What the program would show as one empty card is an error to a script.
    void unreadableFileFails_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("missing") << "missing";
        QTest::newRow("named pipe") << "fifo";
        QTest::newRow("folder") << "folder";
        QTest::newRow("larger than any card file") << "huge";
    }
    void unreadableFileFails()
    {
        QFETCH(QString, kind);
        const QString path = dir_.filePath(kind + QStringLiteral(".vlw"));
        if (kind == QLatin1String("fifo")) {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else if (kind == QLatin1String("folder")) {
            QVERIFY(QDir().mkpath(path));
        } else if (kind == QLatin1String("huge")) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.resize(TextFastReadBinary::MaxFileSize + 1)); // sparse: costs no disk
        }
        const Output o = run(path);
        QCOMPARE(o.rc, 1);
        QVERIFY(o.out.isEmpty());
        QVERIFY2(o.err.startsWith("error: " + QFile::encodeName(path) + " cannot be read"), o.err.constData());
    }

    void groupLimitWarnsAndStillPrints()
    {
        QByteArray cards;
        for (int i = 0; i <= 32768; ++i)
            cards += "t\1g" + QByteArray::number(i) + "\1b\1";
        cards += "late\1g0\1joins the first group\1";
        const Output o = print(cards);
        QCOMPARE(o.rc, 0);
        QVERIFY(o.err.contains("32768"));
        const QJsonArray groups = QJsonDocument::fromJson(o.out).array();
        QCOMPARE(groups.size(), 32768);
        QCOMPARE(groups[0][QStringLiteral("items")].toArray().size(), 2);
    }
};

QTEST_MAIN(TestPrintMemo)
#include "tst_printmemo.moc"
