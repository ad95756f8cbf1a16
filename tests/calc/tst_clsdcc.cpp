// The expression engine and its number texts, without any window.
#include "calc/NumberText.h"
#include "calc/clsDCC.h"

#include <QTest>

#include <cmath>

Q_DECLARE_METATYPE(NumberText::ParseStatus)

namespace {
constexpr double Untouched = 42.5; // what a failed calculation must leave in the result
}

class TestClsDCC : public QObject
{
    Q_OBJECT

    static void row(const char *expr, qint32 code, const char *expected = "", bool exact = false, int unitStyle = 0)
    {
        QTest::newRow(qPrintable(QStringLiteral("%1 [%2]").arg(QString::fromUtf8(expr)).arg(unitStyle)))
            << QString::fromUtf8(expr) << unitStyle << code << QString::fromLatin1(expected) << exact;
    }

private Q_SLOTS:
    void calculate_data()
    {
        QTest::addColumn<QString>("expr");
        QTest::addColumn<int>("unitStyle");
        QTest::addColumn<qint32>("code");
        QTest::addColumn<QString>("expected"); // the value as decimal text, for successes
        QTest::addColumn<bool>("exact");       // the double itself must match, not only its 15 digits

        // Precedence, associativity, the leading minus, integer division.
        row("1+2*3", 0, "7");
        row("2^3^2", 0, "64");
        row("-2^2", 0, "4");
        row("-(2+3)", 0, "-5");
        row("+5*2", 0, "10");
        row("-5-3", 0, "-8");
        row("10-4-3", 0, "3");
        row("7\\2", 0, "3");
        row("7.5\\2", 0, "4");
        row("6.5\\2", 0, "3");
        row("2+7\\2*2", 0, "3");
        row("(-2147483648)\\(-1)", 0, "2147483648");
        row("2147483648\\1", clsDCC::ErrIntegerRange);
        row("5\\0.5", clsDCC::ErrDivisionByZero);
        // Every name re-enters at 15 digits; the final value does not.
        row("1/3*3", 0, "0.999999999999999", true);
        row("3*1/3", 0, "1", true);
        row("2*(-3)", 0, "-6");
        row("pi", 0, "3.14159265358979", true);
        row("2*pi", 0, "6.28318530717958");
        row("PI", clsDCC::ErrUnknownName);
        // Validation, first failing check decides.
        row("2*-3", clsDCC::ErrOperator);
        row("2^-1", clsDCC::ErrOperator);
        row("1+", clsDCC::ErrOperator);
        row("1,", clsDCC::ErrOperator);
        row("()", clsDCC::ErrEmptyParen);
        row(")1", clsDCC::ErrEmptyParen);
        row("(1", clsDCC::ErrParenCount);
        row("1)", clsDCC::ErrParenCount);
        row("(1)+()", clsDCC::ErrUnknownName);
        row("", clsDCC::ErrUnknownName);
        row("x+1", clsDCC::ErrUnknownName);
        // Structural failures: no implicit multiplication, ")" before its "(", "(" left over.
        row("2(3)", clsDCC::ErrStructure);
        row("sin (0)", clsDCC::ErrStructure);
        row("1)+(2", clsDCC::ErrStructure);
        row(")(x", clsDCC::ErrStructure);
        // Powers.
        row("0^0", clsDCC::ErrZeroPowerZero);
        row("(1-1)^0", clsDCC::ErrZeroPowerZero);
        row("0.0^0", 0, "1");
        row("0^-1", clsDCC::ErrOperator);
        row("0^(-1)", clsDCC::ErrDivisionByZero);
        row("(-8)^0.5", clsDCC::ErrInvalidOperation);
        row("10^309", clsDCC::ErrOverflow);
        row("1E308*10", clsDCC::ErrOverflow);
        row("1E+308*10", clsDCC::ErrUnknownName);
        // Numbers.
        row("1E-5", 0, "0.00001");
        row("1E-5*2", clsDCC::ErrUnknownName);
        row("(1E-5)*2", 0, "0.00002");
        row("1E999", clsDCC::ErrOverflow);
        row("1E-999", 0, "0", true);
        row("&H10+1", 0, "17");
        row("&o17*1", 0, "15");
        row(" 5. + .5 ", 0, "5.5");
        row("1/0", clsDCC::ErrDivisionByZero);
        // Functions, both angle units.
        row("sqr(16)+1", 0, "5");
        row("SIN(0)", 0, "0", true);
        row("x(2)", clsDCC::ErrUnknownFunction);
        row("fact(170)", 0, "7.25741561530799E+306");
        row("fact(171)", clsDCC::ErrFunctionDomain);
        row("fact(-1)", clsDCC::ErrFunctionDomain);
        row("fact(3.7)", 0, "6", true);
        row("fact(0)", 0, "1", true);
        row("log(100)", 0, "2", true);
        row("sqr(-1)", clsDCC::ErrFunctionDomain);
        row("ln(0)", clsDCC::ErrFunctionDomain);
        row("asin(2)", clsDCC::ErrFunctionDomain);
        row("sin(1/0)", clsDCC::ErrDivisionByZero);
        row("exp(1000)", clsDCC::ErrFunctionDomain);
        row("acos(-1)", 0, "3.14159265358979", true);
        row("acos(0)", 0, "1.570796326794895", true);
        row("sin(30)", 0, "-0.988031624092862");
        row("int(-2.5)+abs(-3)", 0, "0");
        row("sinh(1)", 0, "1.1752011936438");
        row("deg(rad(45))", 0, "45");
        row("sin(cos(0)-1)", 0, "0", true);
        row("sin(30)", 0, "0.5", true, 1);
        row("sin(390)", 0, "0.5", true, 1);
        row("sin(-30)", 0, "-0.5", true, 1);
        row("sin(45)", 0, "0.707106781186547", false, 1);
        row("cos(90)", 0, "0", true, 1);
        row("cos(60)", 0, "0.5", true, 1);
        row("tan(90)", clsDCC::ErrFunctionDomain, "", false, 1);
        row("tan(-90)", clsDCC::ErrFunctionDomain, "", false, 1);
        row("tan(225)", 0, "1", true, 1);
        row("asin(1)", 0, "90", true, 1);
        row("acos(-1)", 0, "180", true, 1);
        row("atan(1)", 0, "45", false, 1);
        row("acos(-1)", 0, "3.14159265358979", true, 2);
    }

    void calculate()
    {
        QFETCH(QString, expr);
        QFETCH(int, unitStyle);
        QFETCH(qint32, code);
        QFETCH(QString, expected);
        QFETCH(bool, exact);

        clsDCC engine;
        engine.SetVariable(QStringLiteral("pi"), clsDCC::Pi);
        engine.UnitStyle = quint8(unitStyle);
        double result = Untouched;
        QCOMPARE(QString::number(quint32(engine.Calculate(expr, result)), 16), QString::number(quint32(code), 16));
        if (code != 0) {
            QCOMPARE(result, Untouched);
            return;
        }
        double want = 0;
        QCOMPARE(NumberText::parse(expected, &want), NumberText::ParseStatus::Ok);
        QCOMPARE(NumberText::plain(result), NumberText::plain(want));
        if (exact)
            QCOMPARE(result, want);
    }

    void texts_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("plain");
        QTest::addColumn<QString>("grouped");
        QTest::newRow("1E+15") << 1e15 << "1E+15" << "1,000,000,000,000,000";
        QTest::newRow("1.2E+20") << 1.2e20 << "1.2E+20" << "120,000,000,000,000,000,000";
        QTest::newRow("15 digits") << 999999999999999.0 << "999999999999999" << "999,999,999,999,999";
        QTest::newRow("rounded to 15 digits") << 123456789012345678.0 << "1.23456789012346E+17"
                                              << "123,456,789,012,346,000";
        QTest::newRow("1/30000") << 1.0 / 30000 << "3.33333333333333E-05" << "0.0000333333333333333";
        QTest::newRow("0.00001") << 0.00001 << "0.00001" << "0.00001";
        QTest::newRow("15 decimals fixed") << 0.123456789012345 << "0.123456789012345" << "0.123456789012345";
        QTest::newRow("16 decimals exponent") << 0.0123456789012345 << "1.23456789012345E-02" << "0.0123456789012345";
        QTest::newRow("0.999999999999999") << 0.999999999999999 << "0.999999999999999" << "0.999999999999999";
        QTest::newRow("0.1+0.2") << 0.1 + 0.2 << "0.3" << "0.3";
        QTest::newRow("2/3") << 2.0 / 3 << "0.666666666666667" << "0.666666666666667";
        QTest::newRow("zero") << 0.0 << "0" << "0";
        QTest::newRow("negative zero") << -0.0 << "0" << "0";
        QTest::newRow("1234.5") << 1234.5 << "1234.5" << "1,234.5";
        QTest::newRow("negative grouped") << -1234567.125 << "-1234567.125" << "-1,234,567.125";
        QTest::newRow("three digits") << 100.0 << "100" << "100";
        QTest::newRow("below 38 decimals") << 1e-40 << "1E-40" << "0";
        QTest::newRow("38th decimal rounds up") << 1.5e-38 << "1.5E-38" << "0.00000000000000000000000000000000000002";
        QTest::newRow("rounding carries") << 9.99999999999999e-25 << "9.99999999999999E-25"
                                          << "0.000000000000000000000001";
        QTest::newRow("huge") << 1e300 << "1E+300" << QStringLiteral("1") + QStringLiteral(",000").repeated(100);
    }

    void texts()
    {
        QFETCH(double, value);
        QFETCH(QString, plain);
        QFETCH(QString, grouped);
        QCOMPARE(NumberText::plain(value), plain);
        QCOMPARE(NumberText::grouped(value), grouped);
    }

    void numbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<NumberText::ParseStatus>("status");
        QTest::addColumn<double>("value");
        using S = NumberText::ParseStatus;
        QTest::newRow("5.") << "5." << S::Ok << 5.0;
        QTest::newRow(".5") << ".5" << S::Ok << 0.5;
        QTest::newRow("blanks") << "  1.25 " << S::Ok << 1.25;
        QTest::newRow("plus") << "+5" << S::Ok << 5.0;
        QTest::newRow("minus exponent") << "-1e+3" << S::Ok << -1000.0;
        QTest::newRow("nearest double") << "0.1" << S::Ok << 0.1;
        QTest::newRow("hex") << "&H1F" << S::Ok << 31.0;
        QTest::newRow("octal") << "&o777" << S::Ok << 511.0;
        QTest::newRow("long hex") << "&HFFFFFFFFFFFFFFFFF" << S::Ok << std::ldexp(1.0, 68);
        QTest::newRow("too large") << "1E400" << S::TooLarge << 0.0;
        QTest::newRow("too large hex") << QStringLiteral("&H") + QStringLiteral("F").repeated(300) << S::TooLarge << 0.0;
        QTest::newRow("too small") << "123.4E-400" << S::Ok << 0.0;
        QTest::newRow("big mantissa small exponent") << QStringLiteral("1") + QStringLiteral("0").repeated(400) + QStringLiteral("E-1")
                                                     << S::TooLarge << 0.0;
        for (const char *text : {"", ".", "1..2", "1e", "1e+", "inf", "nan", "&H", "&O8", "&HG", "1 2", "\t1",
                                 "0x10", "1,000", "--1", "e5", "1.5.", "@M0"})
            QTest::newRow(text[0] ? text : "empty") << text << S::NotNumber << 0.0;
    }

    void numbers()
    {
        QFETCH(QString, text);
        QFETCH(NumberText::ParseStatus, status);
        QFETCH(double, value);
        double got = -1;
        QCOMPARE(NumberText::parse(text, &got), status);
        if (status == NumberText::ParseStatus::Ok)
            QCOMPARE(got, value);
    }

    void variableTable()
    {
        clsDCC engine;
        double result = 0;
        QCOMPARE(engine.SetVariable(QString(), 1), 0);
        for (int i = 0; i < clsDCC::MaxVariables; ++i)
            QCOMPARE(engine.SetVariable(QStringLiteral("v%1").arg(i), i), 1);
        // Full: a new name is refused, an existing one still takes a new value.
        QCOMPARE(engine.SetVariable(QStringLiteral("extra"), 7), 0);
        QCOMPARE(engine.Calculate(QStringLiteral("extra"), result), qint32(clsDCC::ErrUnknownName));
        QCOMPARE(engine.SetVariable(QStringLiteral("v99"), 5), 0);
        QCOMPARE(engine.Calculate(QStringLiteral("v99*v2"), result), 0);
        QCOMPARE(result, 10.0);
        QVERIFY(engine.ClearVariable());
        QCOMPARE(engine.Calculate(QStringLiteral("v2"), result), qint32(clsDCC::ErrUnknownName));
        QCOMPARE(engine.SetVariable(QStringLiteral("v2"), 3), 1);
        QCOMPARE(engine.Calculate(QStringLiteral("v2"), result), 0);
        QCOMPARE(result, 3.0);
    }

    void intermediateLimit_data()
    {
        QTest::addColumn<int>("terms");
        QTest::addColumn<qint32>("code");
        // n terms make n - 1 intermediate values.
        QTest::newRow("32768 values") << 32769 << qint32(0);
        QTest::newRow("32769 values") << 32770 << qint32(clsDCC::ErrOverflow);
    }

    void intermediateLimit()
    {
        QFETCH(int, terms);
        QFETCH(qint32, code);
        clsDCC engine;
        double result = Untouched;
        const QString sum = QStringLiteral("1") + QStringLiteral("+1").repeated(terms - 1);
        QCOMPARE(engine.Calculate(sum, result), code);
        QCOMPARE(result, code == 0 ? double(terms) : Untouched);
        // The next calculation starts its names at @M0 again.
        QCOMPARE(engine.Calculate(QStringLiteral("(2)*3"), result), 0);
        QCOMPARE(result, 6.0);
    }
};

QTEST_MAIN(TestClsDCC)
#include "tst_clsdcc.moc"
