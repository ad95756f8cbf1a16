// Line breaks across the clipboard boundary.
#include "platform/LineBreaks.h"

#include <QtTest>

class TestLineBreaks : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void fromClipboard_data();
    void fromClipboard();
    void toClipboard_data();
    void toClipboard();
};

void TestLineBreaks::fromClipboard_data()
{
    QTest::addColumn<QString>("in");
    QTest::addColumn<QString>("out");
    QTest::newRow("none") << "abc" << "abc";
    QTest::newRow("lf") << "a\nb" << "a\r\nb";
    QTest::newRow("crlf kept") << "a\r\nb" << "a\r\nb";
    QTest::newRow("lone cr kept") << "a\rb" << "a\rb";
    QTest::newRow("leading lf") << "\nx" << "\r\nx";
    QTest::newRow("trailing lfs") << "x\n\n" << "x\r\n\r\n";
    QTest::newRow("cr then lf lf") << "\r\n\n" << "\r\n\r\n";
    QTest::newRow("lf cr") << "\n\r" << "\r\n\r";
    QTest::newRow("empty") << "" << "";
}

void TestLineBreaks::fromClipboard()
{
    QFETCH(QString, in);
    QFETCH(QString, out);
    QCOMPARE(LineBreaks::fromClipboard(in), out);
}

void TestLineBreaks::toClipboard_data()
{
    QTest::addColumn<QString>("in");
    QTest::addColumn<QString>("out");
    QTest::newRow("crlf") << "a\r\nb\r\n" << "a\nb\n";
    QTest::newRow("lone cr") << "a\rb" << "a\rb";
    QTest::newRow("lf stays") << "a\nb" << "a\nb";
    QTest::newRow("cr cr lf") << "\r\r\n" << "\r\n";
}

void TestLineBreaks::toClipboard()
{
    QFETCH(QString, in);
    QFETCH(QString, out);
    QCOMPARE(LineBreaks::toClipboard(in), out);
}

QTEST_MAIN(TestLineBreaks)
#include "tst_linebreaks.moc"
