#include "app/PrintMemo.h"
#include "platform/Cp932.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

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
