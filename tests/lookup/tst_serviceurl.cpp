// Keyword encoding and the rules for reading the numbered service lists.
#include "lookup/ServiceUrl.h"

#include <QHash>
#include <QTest>

Q_DECLARE_METATYPE(QVector<DicService>)

namespace {

SettingReader readerOf(const QHash<QString, QString> &values)
{
    return [values](const QString &key) { return values.value(key); };
}

// DicName1/DicURL1 ... DicNameN/DicURLN, all set.
QHash<QString, QString> dicPairs(int count)
{
    QHash<QString, QString> values;
    for (int n = 1; n <= count; ++n) {
        values.insert(QStringLiteral("DicName%1").arg(n), QStringLiteral("%1 name").arg(n));
        values.insert(QStringLiteral("DicURL%1").arg(n), QStringLiteral("http://127.0.0.1/%1?q=").arg(n));
    }
    return values;
}

} // namespace

class TestServiceUrl : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void encode_data()
    {
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<QString>("encoded");
        QTest::newRow("blank") << QStringLiteral("a b") << QStringLiteral("a+b");
        QTest::newRow("plus") << QStringLiteral("1+1") << QStringLiteral("1%2B1");
        QTest::newRow("punctuation") << QStringLiteral("x-y.z_~") << QStringLiteral("x%2Dy%2Ez%5F%7E");
        QTest::newRow("kanji") << QStringLiteral("日本") << QStringLiteral("%93%FA%96%7B");
        QTest::newRow("trail byte 5C") << QStringLiteral("表") << QStringLiteral("%95%5C");
        QTest::newRow("trail byte letter") << QStringLiteral("ア") << QStringLiteral("%83A");
        QTest::newRow("line break") << QStringLiteral("\r\n") << QStringLiteral("%0D%0A");
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("all letters and digits") << QStringLiteral("AZaz09") << QStringLiteral("AZaz09");
        QTest::newRow("small bytes pad") << QStringLiteral("\t") << QStringLiteral("%09");
        QTest::newRow("not in code page") << QStringLiteral("a\U0001F600b") << QStringLiteral("a%3Fb");
        QTest::newRow("latin accent") << QStringLiteral("é") << QStringLiteral("%3F");
        QTest::newRow("half-width kana") << QStringLiteral("ｱ") << QStringLiteral("%B1");
        QTest::newRow("wave dash and minus sign as typed") << QStringLiteral("〜−") << QStringLiteral("%81%60%81%7C");
        QTest::newRow("two lines") << QStringLiteral("日\r\nb c") << QStringLiteral("%93%FA%0D%0Ab+c");
        QTest::newRow("percent and ampersand") << QStringLiteral("%&=") << QStringLiteral("%25%26%3D");
    }
    void encode()
    {
        QFETCH(QString, keyword);
        QFETCH(QString, encoded);
        QCOMPARE(ServiceUrlEncode(keyword), encoded);
    }

    void dicList_data()
    {
        QTest::addColumn<int>("pairs");
        QTest::addColumn<QStringList>("removedKeys");
        QTest::addColumn<QStringList>("emptiedKeys");
        QTest::addColumn<int>("expectedCount");
        QTest::newRow("nineteen") << 19 << QStringList() << QStringList() << 19;
        QTest::newRow("twentieth pair") << 20 << QStringList() << QStringList() << 20;
        QTest::newRow("empty fifth address ends the list")
            << 19 << QStringList() << QStringList{QStringLiteral("DicURL5")} << 4;
        QTest::newRow("missing third address") << 19 << QStringList{QStringLiteral("DicURL3")} << QStringList() << 2;
        QTest::newRow("empty label kept") << 3 << QStringList() << QStringList{QStringLiteral("DicName2")} << 3;
        QTest::newRow("no services") << 0 << QStringList() << QStringList() << 0;
        QTest::newRow("first empty") << 5 << QStringList() << QStringList{QStringLiteral("DicURL1")} << 0;
    }
    void dicList()
    {
        QFETCH(int, pairs);
        QFETCH(QStringList, removedKeys);
        QFETCH(QStringList, emptiedKeys);
        QFETCH(int, expectedCount);
        QHash<QString, QString> values = dicPairs(pairs);
        for (const QString &key : removedKeys)
            values.remove(key);
        for (const QString &key : emptiedKeys)
            values.insert(key, QString());
        const QVector<DicService> services = ReadDicServices(readerOf(values));
        QCOMPARE(services.size(), expectedCount);
        for (int i = 0; i < services.size(); ++i) {
            QCOMPARE(services[i].url, values.value(QStringLiteral("DicURL%1").arg(i + 1)));
            QCOMPARE(services[i].name, values.value(QStringLiteral("DicName%1").arg(i + 1)));
        }
    }

    void engineCount_data()
    {
        QTest::addColumn<QStringList>("urls"); // WebSearchURL1, 2, ...; an empty text is an empty key
        QTest::addColumn<int>("count");
        QTest::newRow("three") << QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")} << 3;
        QTest::newRow("second empty") << QStringList{QStringLiteral("a"), QString(), QStringLiteral("c")} << 1;
        QTest::newRow("first empty") << QStringList{QString(), QStringLiteral("b")} << 0;
        QTest::newRow("none") << QStringList() << 0;
    }
    void engineCount()
    {
        QFETCH(QStringList, urls);
        QFETCH(int, count);
        QHash<QString, QString> values;
        for (int i = 0; i < urls.size(); ++i)
            values.insert(QStringLiteral("WebSearchURL%1").arg(i + 1), urls[i]);
        QCOMPARE(CountWebSearchEngines(readerOf(values)), count);
    }

    // What a lookup setting may open: web addresses only.
    void webAddress_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("http") << QStringLiteral("http://127.0.0.1:8080/dic?q=%93%FA") << true;
        QTest::newRow("https, capitals") << QStringLiteral("HTTPS://Example.org/s?q=a+b") << true;
        QTest::newRow("script") << QStringLiteral("javascript:alert(document.cookie)//x") << false;
        QTest::newRow("script, capitals and blanks") << QStringLiteral("  JavaScript:alert(1)") << false;
        QTest::newRow("local file") << QStringLiteral("file:///etc/passwd") << false;
        QTest::newRow("local path") << QStringLiteral("/etc/passwd") << false;
        QTest::newRow("data") << QStringLiteral("data:text/html,<script>alert(1)</script>") << false;
        QTest::newRow("ftp") << QStringLiteral("ftp://example.org/x") << false;
        QTest::newRow("no host") << QStringLiteral("http:/etc/passwd") << false;
        QTest::newRow("keyword alone") << QStringLiteral("%93%FA") << false;
        QTest::newRow("empty") << QString() << false;
    }
    void webAddress()
    {
        QFETCH(QString, address);
        QFETCH(bool, accepted);
        QCOMPARE(IsWebAddress(QUrl(address, QUrl::TolerantMode)), accepted);
    }

    void stripBlanks_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("stripped");
        QTest::newRow("both ends") << QStringLiteral("  word  ") << QStringLiteral("word");
        QTest::newRow("inner kept") << QStringLiteral(" a b ") << QStringLiteral("a b");
        QTest::newRow("tab kept") << QStringLiteral("\tword ") << QStringLiteral("\tword");
        QTest::newRow("ideographic space kept") << QStringLiteral("　語 ") << QStringLiteral("　語");
        QTest::newRow("blanks only") << QStringLiteral("   ") << QString();
    }
    void stripBlanks()
    {
        QFETCH(QString, text);
        QFETCH(QString, stripped);
        QCOMPARE(StripBlanks(text), stripped);
    }
};

QTEST_GUILESS_MAIN(TestServiceUrl)
#include "tst_serviceurl.moc"
