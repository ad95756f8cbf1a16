#include "app/ClockText.h"

#include <unicode/calendar.h>
#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>
#include <unicode/unistr.h>

#include <memory>

QString JapaneseEraDateText(const QDate &date)
{
    if (!date.isValid())
        return QString();
    UErrorCode status = U_ZERO_ERROR;
    const icu::Locale locale("ja_JP@calendar=japanese");
    // "y=latn" keeps the first year of an era a plain 1 instead of 元.
    icu::SimpleDateFormat format(icu::UnicodeString::fromUTF8("GGGGy年M月d日(EEEE)"),
                                 icu::UnicodeString::fromUTF8("y=latn"), locale, status);
    if (U_FAILURE(status))
        return QString();
    // The date alone matters, so format it at noon UTC with a UTC formatter: no time zone
    // or daylight-saving rule of the machine can move it to another day.
    format.adoptTimeZone(icu::TimeZone::createTimeZone("UTC"));
    const QDateTime noonUtc(date, QTime(12, 0), Qt::UTC);
    icu::UnicodeString out;
    format.format(UDate(noonUtc.toMSecsSinceEpoch()), out);
    return QString(reinterpret_cast<const QChar *>(out.getBuffer()), out.length());
}

QString ClockMessageText(const QDateTime &localTime)
{
    const QTime t = localTime.time();
    return JapaneseEraDateText(localTime.date()) + QStringLiteral("\r\n\r\n")
        + QString::number(t.hour()) + QStringLiteral("時") + QString::number(t.minute())
        + QStringLiteral("分です。");
}
