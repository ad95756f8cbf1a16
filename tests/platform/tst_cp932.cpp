#include "platform/Cp932.h"

#include <QRandomGenerator>
#include <QtTest>

class TestCp932 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void decode_data();
    void decode();
    void encode_data();
    void encode();
    void allControlBytesRoundTrip();
    void everyDoubleByteCodeDecodesAndReencodes();
    void everyEncodableCharacterRoundTrips();
    void randomBytesKeepSeparatorsAndBreaks();
};

static QByteArray bytes(std::initializer_list<int> list)
{
    QByteArray b;
    for (int v : list)
        b.append(char(v));
    return b;
}

void TestCp932::decode_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("expected");

    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("ascii") << QByteArray("Hello, %1!") << QStringLiteral("Hello, %1!");
    QTest::newRow("backslash and tilde stay ascii") << QByteArray("\\~") << QStringLiteral("\\~");
    QTest::newRow("hiragana") << bytes({0x82, 0xA0, 0x82, 0xA2}) << QStringLiteral("あい");
    QTest::newRow("kanji") << bytes({0x93, 0xFA, 0x96, 0x7B}) << QStringLiteral("日本");
    QTest::newRow("half-width katakana") << bytes({0xA1, 0xB1, 0xDF})
                                         << QString::fromUtf16(u"\uFF61\uFF71\uFF9F");
    QTest::newRow("full-width tilde") << bytes({0x81, 0x60}) << QString(QChar(0xFF5E));
    QTest::newRow("full-width minus") << bytes({0x81, 0x7C}) << QString(QChar(0xFF0D));
    QTest::newRow("full-width backslash") << bytes({0x81, 0x5F}) << QString(QChar(0xFF3C));
    QTest::newRow("full-width colon") << bytes({0x81, 0x46}) << QString(QChar(0xFF1A));
    QTest::newRow("full-width at") << bytes({0x81, 0x97}) << QString(QChar(0xFF20));
    QTest::newRow("NEC row 13") << bytes({0x87, 0x90}) << QString(QChar(0x2252));
    QTest::newRow("NEC-selected IBM") << bytes({0xED, 0x40}) << QString(QChar(0x7E8A));
    QTest::newRow("IBM extension") << bytes({0xFA, 0x40}) << QString(QChar(0x2170));
    QTest::newRow("user-defined area") << bytes({0xF0, 0x40}) << QString(QChar(0xE000));
    QTest::newRow("trail byte 0x5C") << bytes({0x95, 0x5C}) << QStringLiteral("表");
    QTest::newRow("invalid lead before separator")
        << bytes({'a', 0x81, 0x01, 'b'}) << QString::fromUtf16(u"a\uFFFD\u0001b");
    QTest::newRow("invalid lead before CR LF")
        << bytes({0x82, 0x0D, 0x0A}) << QString::fromUtf16(u"\uFFFD\r\n");
    QTest::newRow("lead byte at the end") << bytes({'x', 0x82}) << QString::fromUtf16(u"x\uFFFD");
    QTest::newRow("unassigned pair keeps ascii trail")
        << bytes({0x85, 0x40}) << QString::fromUtf16(u"\uFFFD@");
    // The start of a UTF-8 byte-order mark: 0xEF 0xBB is no pair, 0xBB is half-width katakana.
    QTest::newRow("unassigned pair with katakana trail")
        << bytes({0xEF, 0xBB, 0x82, 0xA0}) << QString::fromUtf16(u"\uFFFD\uFF7Bあ");
    QTest::newRow("bytes that are never characters")
        << bytes({0x80, 0xA0, 0xFD, 0xFE, 0xFF}) << QString::fromUtf16(u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD");
    QTest::newRow("NUL bytes") << bytes({0, 'a', 0}) << QString::fromUtf16(u"\u0000a\u0000", 3);
}

void TestCp932::decode()
{
    QFETCH(QByteArray, input);
    QFETCH(QString, expected);
    QCOMPARE(Cp932::decode(input), expected);
}

void TestCp932::encode_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<bool>("lossless");

    QTest::newRow("empty") << QString() << QByteArray() << true;
    QTest::newRow("ascii with question mark") << QStringLiteral("why?") << QByteArray("why?") << true;
    QTest::newRow("hiragana") << QStringLiteral("あい") << bytes({0x82, 0xA0, 0x82, 0xA2}) << true;
    QTest::newRow("half-width katakana") << QString::fromUtf16(u"\uFF71\uFF9F") << bytes({0xB1, 0xDF})
                                         << true;
    QTest::newRow("full-width tilde") << QString(QChar(0xFF5E)) << bytes({0x81, 0x60}) << true;
    // Characters with two codes: the one Windows writes.
    QTest::newRow("approx equal prefers JIS row") << QString(QChar(0x2252)) << bytes({0x81, 0xE0}) << true;
    QTest::newRow("kanji prefers IBM code") << QString(QChar(0x7E8A)) << bytes({0xFA, 0x5C}) << true;
    QTest::newRow("small roman numeral") << QString(QChar(0x2170)) << bytes({0xFA, 0x40}) << true;
    QTest::newRow("not sign") << QString(QChar(0xFFE2)) << bytes({0x81, 0xCA}) << true;
    QTest::newRow("private use") << QString(QChar(0xE000)) << bytes({0xF0, 0x40}) << true;
    // Characters that would not come back unchanged are not encodable.
    QTest::newRow("yen sign") << QString(QChar(0x00A5)) << QByteArray("?") << false;
    // JIS forms that input methods type: the bytes Windows writes for them.
    QTest::newRow("wave dash") << QString(QChar(0x301C)) << bytes({0x81, 0x60}) << true;
    QTest::newRow("double vertical line") << QString(QChar(0x2016)) << bytes({0x81, 0x61}) << true;
    QTest::newRow("minus sign") << QString(QChar(0x2212)) << bytes({0x81, 0x7C}) << true;
    QTest::newRow("cent sign") << QString(QChar(0x00A2)) << bytes({0x81, 0x91}) << true;
    QTest::newRow("pound sign") << QString(QChar(0x00A3)) << bytes({0x81, 0x92}) << true;
    QTest::newRow("not sign, JIS form") << QString(QChar(0x00AC)) << bytes({0x81, 0xCA}) << true;
    QTest::newRow("em dash") << QString(QChar(0x2014)) << bytes({0x81, 0x5C}) << true;
    QTest::newRow("broken bar") << QString(QChar(0x00A6)) << bytes({0xFA, 0x55}) << true;
    QTest::newRow("typed range") << QString::fromUtf16(u"\uFF11\uFF10\u301C\uFF12\uFF10\u2212")
                                 << bytes({0x82, 0x50, 0x82, 0x4F, 0x81, 0x60, 0x82, 0x51, 0x82, 0x4F, 0x81, 0x7C})
                                 << true;
    QTest::newRow("latin accent") << QStringLiteral("café") << QByteArray("caf?") << false;
    QTest::newRow("replacement char") << QString(QChar(0xFFFD)) << QByteArray("?") << false;
    QTest::newRow("emoji is one character") << QString::fromUtf16(u"a\U0001F600b") << QByteArray("a?b")
                                            << false;
    QTest::newRow("lone high surrogate") << QString::fromUtf16(u"a\xD83D" "b", 3) << QByteArray("a?b")
                                         << false;
    QTest::newRow("lone low surrogate") << QString::fromUtf16(u"\xDE00", 1) << QByteArray("?") << false;
    QTest::newRow("two high surrogates") << QString::fromUtf16(u"\xD83D\xD83D\xDE00", 3)
                                         << QByteArray("??") << false;
}

void TestCp932::encode()
{
    QFETCH(QString, input);
    QFETCH(QByteArray, expected);
    QFETCH(bool, lossless);
    bool flag = !lossless;
    QCOMPARE(Cp932::encode(input, &flag), expected);
    QCOMPARE(flag, lossless);
    QCOMPARE(Cp932::canEncode(input), lossless);
    QCOMPARE(Cp932::encode(input), expected);
}

void TestCp932::allControlBytesRoundTrip()
{
    QByteArray all;
    for (int b = 0; b < 0x80; ++b)
        all.append(char(b));
    const QString text = Cp932::decode(all);
    QCOMPARE(text.size(), 0x80);
    for (int b = 0; b < 0x80; ++b)
        QCOMPARE(text.at(b).unicode(), ushort(b));
    bool lossless = false;
    QCOMPARE(Cp932::encode(text, &lossless), all);
    QVERIFY(lossless);
}

void TestCp932::everyDoubleByteCodeDecodesAndReencodes()
{
    int mapped = 0;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (lead >= 0xA0 && lead <= 0xDF)
            continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail == 0x7F)
                continue;
            const QByteArray pair = bytes({lead, trail});
            const QString text = Cp932::decode(pair);
            if (text.size() == 1 && text.at(0) != QChar(0xFFFD)) {
                ++mapped;
                const QByteArray again = Cp932::encode(text);
                QCOMPARE(again.size(), 2);
                QCOMPARE(Cp932::decode(again), text);
            } else {
                // An unmapped pair replaces the lead byte only.
                QCOMPARE(text.size(), 2);
                QCOMPARE(text.at(0), QChar(0xFFFD));
            }
        }
    }
    // JIS X 0208 6879 + NEC row 13 83 + NEC-selected IBM 374 + IBM 388 + user-defined 1880.
    QCOMPARE(mapped, 9604);
}

void TestCp932::everyEncodableCharacterRoundTrips()
{
    int encodable = 0;
    int twins = 0;
    for (int c = 0; c < 0x10000; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF)
            continue;
        const QString s = QString(QChar(char16_t(c)));
        bool lossless = false;
        const QByteArray b = Cp932::encode(s, &lossless);
        QCOMPARE(Cp932::canEncode(s), lossless);
        if (lossless) {
            ++encodable;
            const QString back = Cp932::decode(b);
            // A JIS form comes back as its Microsoft twin, which writes the same bytes.
            if (back != s) {
                ++twins;
                QCOMPARE(Cp932::encode(back), b);
            }
        } else {
            QCOMPARE(b, QByteArray("?"));
        }
    }
    // 128 ASCII + 63 half-width katakana + the distinct characters of the double-byte codes
    // + the eight JIS forms.
    QCOMPARE(encodable, 128 + 63 + 9604 - 398 + 8);
    QCOMPARE(twins, 8);
}

void TestCp932::randomBytesKeepSeparatorsAndBreaks()
{
    QRandomGenerator rng(932);
    for (int round = 0; round < 200; ++round) {
        QByteArray input(int(rng.bounded(1, 400)), Qt::Uninitialized);
        for (char &ch : input) {
            // Bias toward lead bytes and the bytes that must survive after them.
            const quint32 r = rng.bounded(8);
            ch = r == 0 ? char(0x01) : r == 1 ? '\r' : r == 2 ? '\n' : char(rng.bounded(256));
        }
        const QString text = Cp932::decode(input);
        QVERIFY(text.size() <= input.size());
        QCOMPARE(text.count(QChar(0x01)), input.count('\x01'));
        QCOMPARE(text.count(QChar('\r')), input.count('\r'));
        QCOMPARE(text.count(QChar('\n')), input.count('\n'));
    }
}

QTEST_MAIN(TestCp932)
#include "tst_cp932.moc"
