#include "app/ClockText.h"

#include <QtTest>

#include <unicode/timezone.h>
#include <unicode/unistr.h>
#include <memory>

class TestClockText : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void text_data()
    {
        QTest::addColumn<QDateTime>("when");
        QTest::addColumn<QString>("expected");
        QTest::newRow("example") << QDateTime(QDate(2005, 3, 3), QTime(14, 5))
                                 << QStringLiteral("平成17年3月3日(木曜日)\r\n\r\n14時5分です。");
        QTest::newRow("first year of Reiwa") << QDateTime(QDate(2019, 5, 1), QTime(0, 0))
                                             << QStringLiteral("令和1年5月1日(水曜日)\r\n\r\n0時0分です。");
        QTest::newRow("last day of Heisei") << QDateTime(QDate(2019, 4, 30), QTime(23, 59))
                                            << QStringLiteral("平成31年4月30日(火曜日)\r\n\r\n23時59分です。");
        QTest::newRow("first day of Heisei") << QDateTime(QDate(1989, 1, 8), QTime(9, 0))
                                             << QStringLiteral("平成1年1月8日(日曜日)\r\n\r\n9時0分です。");
        QTest::newRow("last day of Showa") << QDateTime(QDate(1989, 1, 7), QTime(12, 30))
                                           << QStringLiteral("昭和64年1月7日(土曜日)\r\n\r\n12時30分です。");
        QTest::newRow("two digits") << QDateTime(QDate(2024, 12, 31), QTime(10, 10))
                                    << QStringLiteral("令和6年12月31日(火曜日)\r\n\r\n10時10分です。");
    }
    void text()
    {
        QFETCH(QDateTime, when);
        QFETCH(QString, expected);
        QCOMPARE(ClockMessageText(when), expected);
    }

    // The day must not move with the default time zone (UTC+14 and UTC-11 here).
    void dateIndependentOfTimeZone_data()
    {
        QTest::addColumn<QString>("zone");
        QTest::newRow("Kiritimati") << "Pacific/Kiritimati";
        QTest::newRow("Pago Pago") << "Pacific/Pago_Pago";
    }
    void dateIndependentOfTimeZone()
    {
        QFETCH(QString, zone);
        std::unique_ptr<icu::TimeZone> old(icu::TimeZone::createDefault());
        icu::TimeZone::adoptDefault(icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(zone.toStdString())));
        const QString text = JapaneseEraDateText(QDate(2005, 3, 3));
        icu::TimeZone::adoptDefault(old.release());
        QCOMPARE(text, QStringLiteral("平成17年3月3日(木曜日)"));
    }
};

QTEST_GUILESS_MAIN(TestClockText)
#include "tst_clocktext.moc"
